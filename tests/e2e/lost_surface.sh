#!/usr/bin/env bash
# Lost surfaces come back. While the saver runs full screen another program comes to the front:
# the saver gives up its display and its surfaces are lost. When it is brought back (a second
# start brings the first instance to the front), the surfaces are restored and the saver
# presents again: after a loss during the title's pause the title finishes and the game starts,
# and after a loss during the game its blocks are drawn again and move.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
kv_init

log="$KV_WORK/frames.txt"
export KORAVEN_FRAME_LOG
KORAVEN_FRAME_LOG="$(kv_winpath "$log")"

logged() { tr -d '\r' <"$log" 2>/dev/null | awk -F= -v k="$1" '$1 == k { print $2 }'; }
presents() { logged presents; }

# Polls until the frame log counts more than $1 presented frames; fails after $2 seconds.
presents_above() {
  local n="$1" limit="$2" t=0 p
  while [ "$t" -le $((limit * 10)) ]; do
    p="$(presents)"
    [ -n "$p" ] && [ "$p" -gt "$n" ] && return 0
    sleep 0.1
    t=$((t + 1))
  done
  kv_log "presents stayed at ${p:-none} (wanted more than $n) for ${limit}s"
  return 1
}

front() {
  local f="$KV_WORK/front.txt"
  rm -f "$f"
  kv_run_helper foreground.exe query "$(kv_winpath "$f")" && tr -d '\r' <"$f"
}

# Another window to the front, until the saver has stopped presenting; then the saver back.
lose_and_return() {
  local saver="$1" what="$2" t
  kv_start_helper foreground.exe hold
  local holder=$KV_PID
  for t in $(seq 1 100); do
    front | grep -q '^KvForeground|' && break
    sleep 0.1
  done
  kv_check "$what: another program is in front ($(front))" test "$(front | cut -d'|' -f1)" = KvForeground
  sleep 1
  local during
  during="$(presents)"
  local d2
  d2="$(kv_saver "back-$RANDOM")"
  kv_start --desktop "$d2" /s
  kv_wait_exit "$KV_PID" 20
  kv_check "$what: the saver is in front again ($(front))" test "$(front)" = 'DEFAULT|KORAVEN'
  kv_run_helper post_close.exe KvForeground "KORAVEN other"
  kv_wait_exit "$holder" 10
  KV_PID=$saver
  kv_check "$what: the saver presents again (from ${during:-none} frames)" \
    presents_above "$((${during:-0} + 60))" 30
  kv_check "$what: its surfaces were lost and restored ($(logged restores) restorations)" \
    test "$(logged restores)" -gt "$restores_before"
  restores_before="$(logged restores)"
}
restores_before=0

d="$(kv_saver run TITLE=1 RESOLUTION=0 WIDTH=10 HEIGHT=20 D_SPEED=10)"
kv_mousemove 0 0
kv_start --desktop "$d" /s
saver=$KV_PID
kv_check "the saver's window appears" kv_wait_window KORAVEN 30
# The title's first picture, then a loss during its three-second pause.
kv_check "the title is presented" presents_above 0 30
lose_and_return "$saver" "during the title"
kv_check "the saver still runs" kv_alive "$saver"
kv_screenshot "$KV_SHOTS/after-title-loss.png"

# In the game: a loss, then blocks drawn and moving again.
lose_and_return "$saver" "during the game"
kv_check "the saver still runs after the game's loss" kv_alive "$saver"
first="$KV_SHOTS/game-1.png"
second="$KV_SHOTS/game-2.png"
kv_screenshot "$first"
lit="$(convert "$first" -crop 640x480+0+0 +repage -colorspace Gray -threshold 16% -format '%[fx:int(mean*w*h+0.5)]' info:)"
kv_check "blocks are on the screen ($lit lit pixels)" test "$lit" -gt 200
sleep 2
kv_screenshot "$second"
kv_check "the game moves on" \
  test "$(compare -metric AE "$first" "$second" null: 2>&1 | cut -d' ' -f1)" -gt 0

kv_run_helper post_close.exe
kv_wait_exit "$saver" 20
kv_check "it ends with exit code 0" test "$KV_RC" -eq 0
kv_finish
