#!/usr/bin/env bash
# The game in full screen inside Wine's virtual desktop (640 x 480, no title, no overlay lines,
# the well not turning): blocks appear and move, a held Left key moves the well to the left and
# space brings it back, and a held Escape ends the saver with exit code 0. Screenshots are kept
# under $KORAVEN_OUT/game.
source "$(dirname "$0")/lib.sh"
kv_init

W=640
H=480

# "left right count" of the lit pixels of the picture (grey above 16 %); "-1 -1 0" when dark.
lit() {
  local shot="$1" ox="$2" oy="$3" mask="$KV_WORK/mask.png" count box
  convert "$shot" -crop "${W}x${H}+${ox}+${oy}" +repage -colorspace Gray -threshold 16% "$mask"
  count="$(convert "$mask" -format '%[fx:int(mean*w*h+0.5)]' info:)"
  if [ "$count" -eq 0 ]; then
    echo "-1 -1 0"
    return
  fi
  box="$(convert "$mask" -format '%@' info:)"  # WxH+X+Y of the lit part
  awk -v b="$box" -v n="$count" 'BEGIN { split(b, a, /[x+]/); print a[3], a[3] + a[1] - 1, n }'
}

# Holds a key down for $2 seconds.
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

desktop_origin() {
  local w
  w="$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)"
  if [ -n "$w" ]; then
    xdotool getwindowgeometry --shell "$w" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x+0, y+0}'
  else
    echo "0 0"
  fi
}

# Polls until the picture has lit pixels; the shot is left in $3. Fails after $4 seconds.
wait_for_blocks() {
  local ox="$1" oy="$2" shot="$3" limit="$4" t=0 l r n
  while [ "$t" -le $((limit * 4)) ]; do
    kv_screenshot "$shot"
    read -r l r n < <(lit "$shot" "$ox" "$oy")
    [ "$n" -gt 0 ] && return 0
    sleep 0.25
    t=$((t + 1))
  done
  return 1
}

d="$(kv_folder run)"
kv_install "$d"
printf '[Config]\r\nRESOLUTION=0\r\nTITLE=0\r\nR_SPEED=0\r\nD_SPEED=10\r\nWIDTH=10\r\nHEIGHT=20\r\n' \
  >"$d/koraven.ini"
printf 'SHOW_INFO=0\r\nSHOW_FPS=0\r\nSHOW_TIME=0\r\nSHOW_DATE=0\r\nSHOW_MSG=0\r\n' >>"$d/koraven.ini"
printf 'SHOW_NEWS1=0\r\nSHOW_NEWS2=0\r\n' >>"$d/koraven.ini"
kv_start --desktop "$d" /s
pid="$KV_PID"
w="$(kv_wait_window KORAVEN 30)" || true
kv_check "the saver's window appears" test -n "$w"
[ -n "$w" ] && kv_focus "$w"
read -r ox oy < <(desktop_origin)

first="$KV_SHOTS/first.png"
kv_check "blocks appear" wait_for_blocks "$ox" "$oy" "$first" 30
read -r l0 r0 n0 < <(lit "$first" "$ox" "$oy")
# The well is ten columns wide around the middle of the picture.
kv_check "the blocks lie in the middle third ($l0..$r0)" \
  test "$l0" -ge $((W / 3)) -a "$r0" -le $((W * 2 / 3))

sleep 2
kv_screenshot "$KV_SHOTS/later.png"
kv_check "the game moves on" \
  test "$(compare -metric AE "$first" "$KV_SHOTS/later.png" null: 2>&1 | cut -d' ' -f1)" -gt 0

# The well moves one unit a frame while Left is held: held until it has gone well to the left
# (or out of the picture), for at most 15 s.
held_left_moves_well() {
  local t=0
  xdotool keydown Left
  while [ "$t" -lt 60 ]; do
    kv_screenshot "$KV_SHOTS/left.png"
    read -r l1 r1 n1 < <(lit "$KV_SHOTS/left.png" "$ox" "$oy")
    if [ "$n1" -eq 0 ] || [ "$r1" -lt $((r0 - 20)) ]; then break; fi
    sleep 0.25
    t=$((t + 1))
  done
  xdotool keyup Left
  [ "$t" -lt 60 ]
}
kv_check "a held Left moves the well to the left" held_left_moves_well

hold space 0.3
sleep 0.5
kv_screenshot "$KV_SHOTS/space.png"
read -r l2 r2 n2 < <(lit "$KV_SHOTS/space.png" "$ox" "$oy")
kv_check "space puts the well back ($l2..$r2)" \
  test "$n2" -gt 0 -a "$l2" -ge $((W / 3)) -a "$r2" -le $((W * 2 / 3))

hold Escape 0.5
kv_check "a held Escape ends the saver" kv_wait_exit "$pid" 20
kv_check "with exit code 0" test "$KV_RC" -eq 0
kv_finish
