#!/usr/bin/env bash
# Preview: the saver started by a host window (tests/helpers/preview_host.cpp) draws into a
# 152 x 112 child of it and shrinks the whole 640 x 480 game into it. The saver's frame log gives
# the presentation rectangles (the host area's screen position, source {0, 0, 152, 112}) and its
# frame dump the shrunk picture, which must show coloured blocks. (Wine 8 does not show a child
# window of another process on the X screen, so the dump is what can be looked at.) No title
# text is drawn in preview. The picture is kept under $KORAVEN_OUT/display_preview.
source "$(dirname "$0")/lib.sh"
kv_init

window_shows() { kv_wait_window "$@" >/dev/null; }

log_value() { sed -n "s/^$2=//p" "$1" 2>/dev/null | tr -d '\r'; }

# Polls (up to $2 s) until the dump has lit and coloured pixels; keeps a PNG copy in $3.
wait_for_blocks_in_dump() {
  local dump="$1" limit="$2" keep="$3" t=0 lit col
  while [ "$t" -le $((limit * 2)) ]; do
    if [ -s "$dump" ] && convert "$dump" "$KV_WORK/dump.png" 2>/dev/null; then
      lit="$(convert "$KV_WORK/dump.png" -colorspace Gray -threshold 5% -format '%[fx:int(mean*1000)]' info:)"
      col="$(convert "$KV_WORK/dump.png" -colorspace HSL -channel G -separate +channel -threshold 30% \
        -format '%[fx:int(mean*1000)]' info:)"
      if [ "$lit" -ge 2 ] && [ "$col" -ge 1 ]; then
        cp "$KV_WORK/dump.png" "$keep"
        return 0
      fi
    fi
    sleep 0.5
    t=$((t + 1))
  done
  return 1
}

d="$(kv_folder preview)"
kv_install "$d"
printf '[Config]\r\nRESOLUTION=0\r\nTITLE=1\r\nSHOW_NEWS1=0\r\nSHOW_NEWS2=0\r\n' >"$d/koraven.ini"
log="$d/frames.txt"
dump="$d/frame.bmp"
export KORAVEN_FRAME_LOG KORAVEN_FRAME_DUMP
KORAVEN_FRAME_LOG="$(kv_winpath "$log")"
KORAVEN_FRAME_DUMP="$(kv_winpath "$dump")"
# The host runs the saver for 40 s, then closes its window as the system's dialog does.
kv_start_helper preview_host.exe "$(kv_winpath "$d/koraven.scr")" 40
unset KORAVEN_FRAME_LOG KORAVEN_FRAME_DUMP
host="$KV_PID"

kv_check "the host window appears" window_shows "KORAVEN preview host" 30
kv_check "the preview presents frames" kv_wait_file "$log" 40
kv_check "the display behind the preview is 640 x 480" \
  test "$(log_value "$log" mode | cut -dx -f1,2)" = 640x480
kv_check "the copy comes from {0, 0, 152, 112}" test "$(log_value "$log" source)" = 0,0,152,112
read -r dl dt dr db < <(log_value "$log" dest | tr , ' ')
kv_check "and goes to 152 x 112 at the host area's screen position" \
  test "$((dr - dl))x$((db - dt))" = 152x112 -a "$dl" -gt 0 -a "$dt" -gt 0
shot="$KV_SHOTS/preview-152x112.png"
kv_check "the shrunk game shows coloured blocks" wait_for_blocks_in_dump "$dump" 40 "$shot"
[ -f "$shot" ] && convert "$shot" -scale 400% "$KV_SHOTS/preview-152x112-x4.png"
kv_screenshot "$KV_SHOTS/host-window.png"

kv_check "the host ends the preview" kv_wait_exit "$host" 60
kv_check "the saver ended with 0 (the host's exit code)" test "${KV_RC:-1}" -eq 0
kv_check "the saver was a child of the host's area" grep -q '^child=1' "$KV_WORK/preview_host.txt"
kv_finish
