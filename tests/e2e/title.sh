#!/usr/bin/env bash
# The title screen in full screen inside Wine's virtual desktop: the title line appears in white
# in its box for three seconds (RESOLUTION 0: 640 x 480, box from (160, 216); RESOLUTION 2:
# 1024 x 768, box from (256, 345)), nothing is drawn above or left of it, and it fades away
# before the game starts. Screenshots are kept under $KORAVEN_OUT/title.
source "$(dirname "$0")/lib.sh"
kv_init

# Largest grey value (0..255) of a rectangle of an image.
region_max() {
  local shot="$1" x="$2" y="$3" w="$4" h="$5"
  convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -colorspace Gray \
    -format '%[fx:int(maxima*255+0.5)]' info:
}

# Origin of the picture on the X screen: the virtual desktop's window, where the mode puts it.
desktop_origin() {
  local w
  w="$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)"
  if [ -n "$w" ]; then
    xdotool getwindowgeometry --shell "$w" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x+0, y+0}'
  else
    echo "0 0"
  fi
}

desktop_size() {
  local w
  w="$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)"
  [ -n "$w" ] || return 1
  xdotool getwindowgeometry --shell "$w" | awk -F= '/^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print w, h}'
}

# Polls with screenshots until the rectangle's largest value passes `test MAX OP VALUE` (-ge to
# wait for light, -le for dark); keeps the shot that did as FILE. Fails after LIMIT seconds.
#   wait_region X Y W H OP VALUE FILE LIMIT
wait_region() {
  local x="$1" y="$2" w="$3" h="$4" op="$5" value="$6" shot="$7" limit="$8" t=0
  local tmp="$KV_WORK/poll.png"
  while [ "$t" -le $((limit * 4)) ]; do
    kv_screenshot "$tmp"
    if [ "$(region_max "$tmp" "$x" "$y" "$w" "$h")" "$op" "$value" ]; then
      mv "$tmp" "$shot"
      return 0
    fi
    sleep 0.25
    t=$((t + 1))
  done
  return 1
}

run_resolution() {
  local res="$1" W="$2" H="$3" left="$4" top="$5" size="$6"
  local d shot
  d="$(kv_folder "res$res")"
  kv_install "$d"
  # The settings file is Shift-JIS; these lines are ASCII. No news, so nothing follows the fade.
  printf '[Config]\r\nRESOLUTION=%s\r\nTITLE=1\r\nSHOW_NEWS1=0\r\nSHOW_NEWS2=0\r\n' "$res" \
    >"$d/koraven.ini"
  kv_start --desktop "$d" /s
  local pid="$KV_PID"
  shot="$KV_SHOTS/title-res$res.png"

  # The desktop window takes the display mode's size once the saver has set it.
  local ox=0 oy=0
  kv_wait_window KORAVEN 30 >/dev/null || true
  read -r ox oy < <(desktop_origin)
  kv_check "res $res: the title line shows in white in its box" \
    wait_region $((ox + left)) $((oy + top)) $((W - left)) "$size" -ge 200 "$shot" 30
  if [ -f "$shot" ]; then
    kv_check "res $res: the desktop has taken the display mode ($W x $H)" \
      test "$(desktop_size)" = "$W $H"
    kv_check "res $res: nothing above the title box" \
      test "$(region_max "$shot" "$ox" "$oy" "$W" "$top")" -le 8
    kv_check "res $res: nothing left of the title box" \
      test "$(region_max "$shot" "$ox" "$oy" "$left" "$H")" -le 8
    kv_check "res $res: the line is one line high (the text fits the width)" \
      test "$(region_max "$shot" "$ox" $((oy + top + size + 2)) "$W" $((H - top - size - 2)))" -le 8
  fi
  # The left part of the line only: the game's well turns in the middle of the screen.
  kv_check "res $res: the title fades out" \
    wait_region $((ox + left)) $((oy + top)) $((W * 3 / 8 - left)) "$size" -le 40 \
    "$KV_SHOTS/after-fade-res$res.png" 20

  # The game runs now; a close request from outside ends it.
  kv_check "res $res: the game takes over and closes on request" kv_run_helper post_close.exe
  kv_check "res $res: the saver ends" kv_wait_exit "$pid" 30
  kv_alive "$pid" && kv_kill "$pid"
  kv_desktop off
}

run_resolution 0 640 480 160 216 24
run_resolution 2 1024 768 256 345 38
kv_finish
