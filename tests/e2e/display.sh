#!/usr/bin/env bash
# The game on the display, full screen inside Wine's virtual desktop. RESOLUTION 0: the saver
# opens 640 x 480 at 16 bits per pixel (its own frame log says so and the desktop takes that
# size), the well turns with coloured blocks (the picture is not black, has colour, and changes
# between two shots), and the frame rate it reaches over a minute is printed. RESOLUTION 2 opens
# 1024 x 768 x 16. A close request ends each run. Screenshots are kept under $KORAVEN_OUT/display.
source "$(dirname "$0")/lib.sh"
kv_init

window_shows() { kv_wait_window "$@" >/dev/null; }

desktop_geometry() {
  local w
  w="$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)"
  [ -n "$w" ] || return 1
  xdotool getwindowgeometry --shell "$w" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x+0, y+0, w+0, h+0}'
}

# Per mille of the pixels of an image that are lit (grey above 5 %), and that are coloured
# (saturation above 30 % and lit).
lit_permille() {
  convert "$1" -colorspace Gray -threshold 5% -format '%[fx:int(mean*1000)]' info:
}
coloured_permille() {
  convert \( "$1" -colorspace HSL -channel G -separate +channel -threshold 30% \) \
    \( "$1" -colorspace Gray -threshold 5% \) -compose Multiply -composite \
    -format '%[fx:int(mean*1000)]' info:
}
# Per mille of the pixels that differ between two images.
changed_permille() {
  local ae total
  ae="$(compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 | awk '{print int($1)}')"
  total="$(identify -format '%[fx:w*h]' "$1")"
  echo $((ae * 1000 / total))
}

log_value() { sed -n "s/^$2=//p" "$1" 2>/dev/null | tr -d '\r'; }

# Waits until the frame log's "seconds" reaches $2 (a whole number); $3 seconds at most.
wait_log_seconds() {
  local log="$1" want="$2" limit="$3" t=0 s
  while [ "$t" -le $((limit * 4)) ]; do
    s="$(log_value "$log" seconds)"
    if [ -n "$s" ] && [ "${s%.*}" -ge "$want" ]; then return 0; fi
    sleep 0.25
    t=$((t + 1))
  done
  kv_log "frame log $log: seconds did not reach $want"
  return 1
}

# Takes the picture of the display's area of the screen into $1.
shoot_display() {
  local x y w h
  read -r x y w h < <(desktop_geometry)
  kv_screenshot "$KV_WORK/full.png"
  convert "$KV_WORK/full.png" -crop "${w}x${h}+${x}+${y}" +repage "$1"
}

# Polls (up to $2 s) until a shot of the display has some lit and coloured pixels; keeps it in $1.
wait_for_blocks() {
  local shot="$1" limit="$2" t=0
  while [ "$t" -le $((limit * 2)) ]; do
    shoot_display "$shot"
    if [ "$(lit_permille "$shot")" -ge 2 ] && [ "$(coloured_permille "$shot")" -ge 1 ]; then
      return 0
    fi
    sleep 0.5
    t=$((t + 1))
  done
  return 1
}

start_fullscreen() {
  local name="$1" res="$2" d
  d="$(kv_folder "$name")"
  kv_install "$d"
  printf '[Config]\r\nRESOLUTION=%s\r\nTITLE=0\r\nSHOW_NEWS1=0\r\nSHOW_NEWS2=0\r\n' "$res" \
    >"$d/koraven.ini"
  FRAME_LOG="$d/frames.txt"
  export KORAVEN_FRAME_LOG
  KORAVEN_FRAME_LOG="$(kv_winpath "$FRAME_LOG")"
  kv_start --desktop "$d" /s
  unset KORAVEN_FRAME_LOG
}

stop_fullscreen() {
  local what="$1" pid="$2"
  kv_check "$what: a close request ends the saver" kv_run_helper post_close.exe
  kv_check "$what: the saver exits with 0" kv_wait_exit "$pid" 30
  kv_check "$what: exit code 0" test "${KV_RC:-1}" -eq 0
  kv_alive "$pid" && kv_kill "$pid"
  kv_desktop off
}

# Starts RESOLUTION $1 and checks that it opens $2 x $3 x 16; leaves the saver's id in pid.
open_mode() {
  local res="$1" w="$2" h="$3"
  start_fullscreen "res$res" "$res"
  pid="$KV_PID"
  kv_check "res $res: the saver's window appears" window_shows KORAVEN 30
  kv_check "res $res: frames are presented" kv_wait_file "$FRAME_LOG" 60
  kv_check "res $res: the display is $w x $h x 16" test "$(log_value "$FRAME_LOG" mode)" = "${w}x${h}x16"
  kv_check "res $res: the desktop takes the display mode's size" \
    test "$(desktop_geometry | cut -d' ' -f3,4)" = "$w $h"
}

# ---- RESOLUTION 0 ----------------------------------------------------------------------------
open_mode 0 640 480
shot1="$KV_SHOTS/well-res0-1.png"
shot2="$KV_SHOTS/well-res0-2.png"
kv_check "res 0: coloured blocks are drawn" wait_for_blocks "$shot1" 60
# The camera turns continuously: a later shot differs.
wait_log_seconds "$FRAME_LOG" $(($(log_value "$FRAME_LOG" seconds | cut -d. -f1) + 2)) 30
shoot_display "$shot2"
kv_check "res 0: the picture changes as the well turns" \
  test "$(changed_permille "$shot1" "$shot2")" -ge 1

# Frame rate over a minute of the game.
p0="$(log_value "$FRAME_LOG" presents)"
s0="$(log_value "$FRAME_LOG" seconds)"
kv_check "res 0: the saver runs a minute" wait_log_seconds "$FRAME_LOG" $((${s0%.*} + 61)) 120
p1="$(log_value "$FRAME_LOG" presents)"
s1="$(log_value "$FRAME_LOG" seconds)"
fps="$(awk -v a="$p0" -v b="$p1" -v s="$s0" -v t="$s1" 'BEGIN { if (t > s) printf "%.1f", (b - a) / (t - s) }')"
echo "FRAME RATE: ${fps} frames per second at 640 x 480 x 16 over $(awk -v s="$s0" -v t="$s1" 'BEGIN{printf "%.0f", t - s}') s ($((p1 - p0)) frames)"
echo "${fps}" >"$KV_SHOTS/frame-rate-640x480.txt"
shoot_display "$KV_SHOTS/well-res0-3.png"
stop_fullscreen "res 0" "$pid"

# ---- RESOLUTION 2 ----------------------------------------------------------------------------
open_mode 2 1024 768
kv_check "res 2: coloured blocks are drawn" wait_for_blocks "$KV_SHOTS/well-res2.png" 60
stop_fullscreen "res 2" "$pid"

kv_finish
