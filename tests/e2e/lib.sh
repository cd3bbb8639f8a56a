# End-to-end helpers: the real koraven.scr under Wine and Xvfb, driven from outside. NAME.sh
# sources this, calls kv_init first and kv_finish last (CTest: e2e_NAME). WINE_ENV (the bench of
# scripts/wine-env.sh), KORAVEN_BIN (koraven.scr, kvtool.exe, *.x) and KORAVEN_OUT (screenshots)
# default to build/win's. Waits poll with generous limits; the EXIT trap ends what was started.
KV_PASS=0 KV_FAIL=0 KV_MOUNTS=() KV_STARTS=0
declare -A KV_LOG_OF  # process id -> its frame log

kv_log() { echo "[$(date +%H:%M:%S)] $*" >&2; }
kv_init() {
  local root m
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  KORAVEN_SOURCE_DIR="${KORAVEN_SOURCE_DIR:-$root}" WINE_ENV="${WINE_ENV:-$root/build/win/wine}"
  KORAVEN_BIN="${KORAVEN_BIN:-$root/build/win/bin}" KV_NAME="$(basename "$0" .sh)"
  [ -f "$WINE_ENV/env" ] || { echo "lib.sh: no bench at $WINE_ENV" >&2; exit 1; }
  source "$WINE_ENV/env"
  # How many keys the settings file holds, from the settings table.
  KV_SETTING_COUNT=$(sed -n 's/^constexpr int kSettingCount = \([0-9]*\);.*/\1/p' "$KORAVEN_SOURCE_DIR/settings/settings.h")
  KV_WORK="$WINE_ENV/e2e/$KV_NAME" KV_SHOTS="${KORAVEN_OUT:-$root/build/win/screenshots}/$KV_NAME"
  while read -r m; do umount -l "$m" 2>/dev/null; done < <(awk -v r="$KV_WORK/" 'index($2, r) == 1 { print $2 }' /proc/mounts)
  rm -rf "$KV_WORK" && mkdir -p "$KV_WORK" "$KV_SHOTS"
  trap kv_cleanup EXIT
  trap 'exit 130' INT TERM
  kv_desktop off
}
kv_cleanup() {  # only jobs still running: a process id freed earlier may be another's by now
  kill -9 $(jobs -pr) 2>/dev/null
  for p in "${KV_MOUNTS[@]}"; do umount -l "$p" 2>/dev/null; done
  kv_desktop off
}

# NAME [KEY=VALUE...]: a folder with koraven.scr and the shapes; given KEY=VALUEs, a koraven.ini
# of them (the news lines off unless they say otherwise).
kv_saver() {
  mkdir -p "$KV_WORK/$1" && cp "$KORAVEN_BIN/koraven.scr" "$KORAVEN_BIN"/*.x "$KV_WORK/$1/"
  [ $# -gt 1 ] && printf '%s\r\n' '[Config]' "${@:2}" SHOW_NEWS1=0 SHOW_NEWS2=0 >"$KV_WORK/$1/koraven.ini"
  echo "$KV_WORK/$1"
}
kv_readonly() {  # a read-only bind mount on itself; where mounts fail, koraven.ini is a folder
  if mount --bind "$1" "$1" 2>/dev/null && mount -o remount,bind,ro "$1" 2>/dev/null; then KV_MOUNTS+=("$1")
  else umount "$1" 2>/dev/null; rm -f "$1/koraven.ini" && mkdir "$1/koraven.ini"; fi
}
kv_desktop() {  # on: later starts run in Wine's virtual desktop "Virtual", 1024x768
  if [ "$1" = on ]; then set -- add /d Virtual; else set -- delete; fi
  "$WINE64" reg "$1" 'HKCU\Software\Wine\Explorer' /v Desktop "${@:2}" /f >/dev/null 2>&1 || true
}

# [--desktop] DIR ARGS...: DIR/koraven.scr in the background, in the virtual
# desktop (where display modes work) once asked for; KV_PID := its id. Its frame log goes to
# KV_FRAME_LOG when that is set, else to a file of its own in KV_WORK; KV_LOG_OF[KV_PID] names it.
kv_start() {
  local a log
  [ "$1" = --desktop ] && { kv_desktop on; shift; }
  a="${*:2}" && kv_log "start: $1 ${a:0:80}"
  KV_STARTS=$((KV_STARTS + 1)) && log="${KV_FRAME_LOG:-$KV_WORK/frames-$KV_STARTS.txt}"
  KORAVEN_FRAME_LOG="$(kv_winpath "$log")" kv_bg "$1" "$1/koraven.scr" "${@:2}"
  KV_LOG_OF[$KV_PID]="$log"
}
kv_bg() {  # DIR PROGRAM ARGS...: in the background from DIR
  (cd "$1" && exec "$WINE64" "${@:2}") >>"$KV_WORK/$(basename "$2").log" 2>&1 &
  KV_PID=$!
}
# tests/helpers/kvtool.cpp, waited for (60 s at most) or in the background.
kv_tool() { (cd "$KV_WORK" && exec timeout 60 "$WINE64" "$KORAVEN_BIN/kvtool.exe" "$@") >>"$KV_WORK/kvtool.log" 2>&1; }
kv_tool_bg() { kv_bg "$KV_WORK" "$KORAVEN_BIN/kvtool.exe" "$@"; }
kv_alive() { kill -0 "$1" 2>/dev/null; }
kv_gone() { ! kv_alive "$1"; }

kv_poll() {  # SECONDS CMD...: CMD every 0.2 s until it succeeds
  local limit=$(($1 * 5)) t=0
  until "${@:2}" 2>/dev/null; do
    [ $((t += 1)) -gt "$limit" ] && { kv_log "still not true after $1 s: ${*:2}"; return 1; }
    sleep 0.2
  done
}
kv_wait_exit() {  # PID SECONDS: KV_RC := its exit code (124 when it still runs)
  KV_RC=124
  kv_poll "$2" kv_gone "$1" || return 1
  wait "$1" 2>/dev/null
  KV_RC=$?
}
# PID WHAT XDOTOOL-ARGS... (or "close": WM_CLOSE from outside): PID then ends with code 0 (time
# shown). Under heavy load Wine may lose an input before it reaches the saver. The saver's frame
# log counts the keys and mouse inputs its window received: an input that never arrived is given
# again (twice at most) once the desktop has the X focus again; one that arrived without ending
# the saver fails at once.
kv_end() {
  local t=$(date +%s%N) n log="${KV_LOG_OF[$1]}" kind=keys before now
  case "$3" in mousemove | click) kind=mouse ;; esac
  for n in 1 2 3; do
    [ "$3" = close ] || { kv_presenting "$log" 10; before="$(kv_value "$log" "$kind")"; }
    if [ "$3" = close ]; then kv_tool close DEFAULT KORAVEN 30000; else xdotool "${@:3}"; fi
    kv_wait_exit "$1" 10 && break
    [ "$3" = close ] && break
    kv_presenting "$log" 10
    now="$(kv_value "$log" "$kind")"
    if [ "${now:-0}" -gt "${before:-0}" ]; then
      kv_log "$2: the saver received ${*:3} and went on" && break
    fi
    kv_log "$2: ${*:3} never reached the saver ($kind=${now:-?}); the desktop focused, given again"
    kv_focus_desktop
  done
  kv_check "$2: ${*:3} ends it with code 0 (got $KV_RC, $((($(date +%s%N) - t) / 1000000)) ms, given $n times)" test "$KV_RC" -eq 0
}

kv_window() { [ -n "$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)" ]; }
kv_desktop_window() { xdotool search --name 'Wine desktop$' 2>/dev/null | head -n 1; }
# WxH: the size of Wine's virtual desktop.
sizes_are() { [ "$(xdotool getwindowgeometry "$(kv_desktop_window)" 2>/dev/null | sed -n 's/.*Geometry: //p')" = "$1" ]; }
kv_focus_desktop() { xdotool windowfocus --sync "$(kv_desktop_window)" 2>/dev/null; }
kv_screenshot() { import -window root "$1" 2>/dev/null; }
kv_winpath() { printf 'Z:%s' "${1//\//\\}"; }
# FILE KEY: the value of its first KEY= line (a settings file, a frame log).
kv_value() { grep -a "^$2=" "$1" 2>/dev/null | head -n 1 | cut -d= -f2- | tr -d '\r'; }
# FILE: how many KEY= lines it has.
kv_key_count() { grep -ac '^[A-Z0-9_]*=' "$1"; }
# NAME: the number resources/dialog_ids.h gives a control or dialog.
kv_id() { sed -n "s/^#define $1 \([0-9]*\)\$/\1/p" "$KORAVEN_SOURCE_DIR/resources/dialog_ids.h"; }
# LOG: the frame log shows no new present for two seconds.
kv_not_presenting() { local p; p="$(kv_value "$1" presents)"; sleep 2; [ "$(kv_value "$1" presents)" = "$p" ]; }
# LOG KEY VALUE: the frame log's KEY is VALUE.
kv_log_says() { [ "$(kv_value "$1" "$2")" = "$3" ]; }
# LOG SECONDS: the frame log counts more presents than it did at the call.
kv_presenting() { local p; p="$(kv_value "$1" presents)"; kv_poll "$2" kv_presents_above "$1" "${p:-0}"; }
kv_presents_above() { [ "$(kv_value "$1" presents)" -gt "$2" ] 2>/dev/null; }

kv_frames() {  # N SECONDS: the screen's picture changed N times while KV_PID runs
  local end=$(($(date +%s) + $2)) n=-1 last="" now
  while [ "$n" -lt "$1" ]; do
    kv_alive "$KV_PID" && [ "$(date +%s)" -le "$end" ] || { kv_log "only $n new pictures"; return 1; }
    now="$(import -window root -crop 640x480+0+0 rgb:- 2>/dev/null | md5sum)"
    [ "$now" != "$last" ] && n=$((n + 1)) && last="$now"
  done
}
kv_fullscreen() {  # DIR: its saver full screen in the virtual desktop, its window and frames
  xdotool mousemove 0 0
  kv_start --desktop "$1" /s
  kv_poll 30 kv_window KORAVEN && kv_focus_desktop
  kv_frames 3 30
}

kv_logged_fullscreen() {  # DIR: kv_fullscreen, frame log in $KV_WORK/frames.txt, news lines in lines.txt
  KV_FRAME_LOG="$KV_WORK/frames.txt" KORAVEN_OVERLAY_LOG="$(kv_winpath "$KV_WORK/lines.txt")" \
    kv_fullscreen "$1"
}

kv_news_server() {  # news_server.py on 127.0.0.1, a free port: KV_NEWS_HOST
  python3 "$KORAVEN_SOURCE_DIR/scripts/news_server.py" "$KV_WORK/port" "$KV_WORK/requests.txt" \
    >>"$KV_WORK/server.log" 2>&1 &
  kv_poll 20 test -e "$KV_WORK/port" && KV_NEWS_HOST="127.0.0.1:$(cat "$KV_WORK/port")"
}
kv_check() {
  if "${@:2}"; then KV_PASS=$((KV_PASS + 1)) && echo "PASS: $1"; else KV_FAIL=$((KV_FAIL + 1)) && echo "FAIL: $1"; fi
}
kv_finish() {
  echo "$KV_NAME: $KV_PASS passed, $KV_FAIL failed"
  [ "$KV_FAIL" -eq 0 ] && [ "$KV_PASS" -gt 0 ]
}
