#!/usr/bin/env bash
# News full screen from news_server.py: source 1's page gives news line 1 a headline; key 7 turns
# on source 2, a byte every four seconds through the system's HTTP client (the host field empty),
# and frames go on and Escape ends the saver while that client waits.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

kv_news_server || exit 1
d="$(kv_saver run)"
printf '%s\r\n' '[Config]' TITLE=0 RESOLUTION=0 SHOW_INFO=0 SHOW_FPS=0 SHOW_DATE=0 SHOW_TIME=1 \
  D_SPEED=10 SHOW_MSG=1 SHOW_NEWS1=1 SHOW_NEWS2=0 "TEXT=KORAVEN の浮かぶ行" "NI1_HTML=$KV_NEWS_HOST" \
  NI1_FILE=http://news.test/good "NI1_IGNORE=<!-- S -->" "NI1_TAG=/n?a=" NI1_REJECT=]] \
  NI1_UPDATE=600 NI2_HTML= "NI2_FILE=http://$KV_NEWS_HOST/trickle" "NI2_IGNORE=<!-- S -->" |
  iconv -f UTF-8 -t CP932 >"$d/koraven.ini"
log="$KV_WORK/frames.txt"
kv_check "the saver starts and draws frames" kv_logged_fullscreen "$d"
pid="$KV_PID"

headline() {
  iconv -f CP932 -t UTF-8 "$KV_WORK/lines.txt" 2>/dev/null | tr -d '\r' | sed -n 's/^news1=//p' |
    grep -qxE '遠くの行ほど小さく暗く、ゆっくり昇る|井戸の後ろを流れるニュースの見出し|テンキーの＋で次の見出しへ'
}
kv_check "news line 1 shows a headline of the page" kv_poll 25 headline
kv_screenshot "$KV_SHOTS/lines.png"

kv_focus_desktop
xdotool key 7
kv_check "key 7 fetches source 2 at once" kv_poll 20 grep -qx /trickle "$KV_WORK/requests.txt"
kv_check "frames go on during the slow fetch" kv_presenting "$log" 20
kv_screenshot "$KV_SHOTS/later.png"
kv_end "$pid" "during the fetch" key Escape  # about 400 ms on a quiet machine
kv_finish
