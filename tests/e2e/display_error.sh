#!/usr/bin/env bash
# A BLOCKFILE that is not there: full screen in the virtual desktop, the 3D layer's load fails,
# the report shows "ka3D::LoadObject : Xファイルを読み込めません" in a box captioned "エラー発生"
# over the saver (found, read and closed from inside Wine by the read_box helper), and once the
# box is closed the saver goes on presenting frames (with no blocks to show) until a close
# request ends it. Screenshots go to $KORAVEN_OUT/display_error.
source "$(dirname "$0")/lib.sh"
kv_init

log_value() { sed -n "s/^$2=//p" "$1" 2>/dev/null | tr -d '\r'; }

# Waits until the frame log counts more than $2 presents; $3 seconds at most.
wait_presents_above() {
  local log="$1" above="$2" limit="$3" t=0 p
  while [ "$t" -le $((limit * 4)) ]; do
    p="$(log_value "$log" presents)"
    if [ -n "$p" ] && [ "$p" -gt "$above" ]; then return 0; fi
    sleep 0.25
    t=$((t + 1))
  done
  return 1
}

# Polls (up to $2 s) until the screen shows something other than black; keeps the shot in $1.
wait_for_picture() {
  local shot="$1" limit="$2" t=0
  while [ "$t" -le $((limit * 2)) ]; do
    kv_screenshot "$shot"
    if [ "$(convert "$shot" -colorspace Gray -threshold 5% -format '%[fx:int(mean*1000)]' info:)" -ge 10 ]; then
      return 0
    fi
    sleep 0.5
    t=$((t + 1))
  done
  return 1
}

d="$(kv_folder missing)"
kv_install "$d"
printf '[Config]\r\nRESOLUTION=0\r\nTITLE=0\r\nSHOW_NEWS1=0\r\nSHOW_NEWS2=0\r\nBLOCKFILE=missing.x\r\nMOUSESENSE=0\r\n' \
  >"$d/koraven.ini"
log="$d/frames.txt"
export KORAVEN_FRAME_LOG
KORAVEN_FRAME_LOG="$(kv_winpath "$log")"
kv_start --desktop "$d" /s
unset KORAVEN_FRAME_LOG
pid="$KV_PID"

# The box is found from inside Wine (its owner is the saver's window), read and closed.
text_file="$KV_WORK/box.txt"
kv_check "the error box appears" kv_run_helper read_box.exe "$(kv_winpath "$text_file")" 60000 keep
kv_check "the box is drawn over the saver" wait_for_picture "$KV_SHOTS/error-box.png" 20
kv_check "the box is closed" kv_run_helper read_box.exe "$(kv_winpath "$text_file")" 10000
box="$(iconv -f CP932 -t UTF-8 "$text_file" 2>/dev/null | tr -d "\r")"
kv_check "its caption is エラー発生" test "$(sed -n 1p <<<"$box")" = "エラー発生"
kv_check "its text names the load and the file error" \
  test "$(sed -n 2p <<<"$box")" = "ka3D::LoadObject : Xファイルを読み込めません"
kv_check "the saver is still running" kv_alive "$pid"
kv_check "frames are presented after the report" kv_wait_file "$log" 60
before="$(log_value "$log" presents)"
kv_check "and go on being presented" wait_presents_above "$log" "${before:-0}" 30
kv_screenshot "$KV_SHOTS/after-error.png"

kv_check "a close request ends the saver" kv_run_helper post_close.exe
kv_check "the saver exits" kv_wait_exit "$pid" 30
kv_check "exit code 0" test "${KV_RC:-1}" -eq 0
kv_alive "$pid" && kv_kill "$pid"
kv_desktop off
kv_finish
