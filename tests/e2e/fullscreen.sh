#!/usr/bin/env bash
# The saver full screen inside Wine's virtual desktop, driven with real X input: the title line,
# the display mode and its return, the game on screen and its keys, what ends the saver and what
# must not, the error box of a missing shape file, and a second instance giving way.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

value() { sed -n "s/^$2=//p" "$1" 2>/dev/null | tr -d '\r'; }
value_is() { [ "$(value "$1" "$2")" = "$3" ]; }
value_above() { [ "$(value "$1" "$2")" -gt "$3" ] 2>/dev/null; }
screen_size() {
  rm -f "$KV_WORK/size.txt"
  kv_run_helper screen_size.exe "$(kv_winpath "$KV_WORK/size.txt")" && tr -d '\r' <"$KV_WORK/size.txt"
}
# Picture of the rectangle WxH+X+Y of the desktop (DX, DY: its place on the X screen) into FILE.
shoot() {
  local r="${2%%+*}" x y
  IFS=+ read -r _ x y <<<"$2"
  kv_screenshot "$KV_WORK/full.png" &&
    convert "$KV_WORK/full.png" -crop "$r+$((x + DX))+$((y + DY))" +repage "$1"
}
DX=0
DY=0
# Largest grey value (0..255) of the rectangle WxH+X+Y of the desktop's picture.
region_max() {
  shoot "$KV_WORK/region.png" "$1" &&
    convert "$KV_WORK/region.png" -colorspace Gray -format '%[fx:int(maxima*255+0.5)]' info:
}
region_at_least() { [ "$(region_max "$1")" -ge "$2" ]; }
region_at_most() { [ "$(region_max "$1")" -le "$2" ]; }
sizes_are() { [ "$(screen_size) $(kv_desktop_geometry | cut -d' ' -f3,4)" = "$1" ]; }
# "LEFT RIGHT COUNT" of the lit pixels (grey above 16 %) of the 640 x 480 picture FILE.
lit_span() {
  local n
  convert "$1" -colorspace Gray -threshold 16% "$KV_WORK/mask.png"
  n="$(convert "$KV_WORK/mask.png" -format '%[fx:int(mean*w*h+0.5)]' info:)"
  [ "$n" -eq 0 ] && { echo "-1 -1 0"; return; }
  convert "$KV_WORK/mask.png" -format '%@' info: | awk -v n="$n" '{ split($0, a, /[x+]/); print a[3], a[3] + a[1] - 1, n }'
}
blocks_shown() { shoot "$1" 640x480+0+0 && read -r L R N < <(lit_span "$1") && [ "$N" -gt 0 ]; }

# 1. RESOLUTION 0 with the title screen: 640 x 480 x 16, the title line, then the game.
d=$(kv_saver res0 RESOLUTION=0 TITLE=1 R_SPEED=0 D_SPEED=10 WIDTH=10 HEIGHT=20 SHOW_INFO=0 \
  SHOW_FPS=0 SHOW_TIME=0 SHOW_DATE=0 SHOW_MSG=0)
xdotool mousemove 0 0
KORAVEN_FRAME_LOG="$(kv_winpath "$d/frames.txt")" kv_start --desktop "$d" /s
pid=$KV_PID
kv_poll 30 kv_window KORAVEN
read -r DX DY _ < <(kv_desktop_geometry)
kv_check "title: white in its box from (160, 216)" kv_poll 30 region_at_least 480x24+160+216 200
kv_screenshot "$KV_SHOTS/title.png"
kv_check "title: nothing above it" region_at_most 640x216+0+0 8
kv_check "title: nothing left of or below it" \
  test "$(region_max 160x480+0+0)" -le 8 -a "$(region_max 640x236+0+244)" -le 8
kv_check "the desktop takes the mode's size, Win32 reports it" sizes_are "640 480 640 480"
kv_check "the frame log names 640x480x16" kv_poll 30 value_is "$d/frames.txt" mode 640x480x16
kv_check "title: fades out" kv_poll 20 region_at_most 80x24+160+216 40
kv_check "blocks appear" kv_poll 30 blocks_shown "$KV_SHOTS/first.png"
read -r l0 r0 _ < <(lit_span "$KV_SHOTS/first.png")
kv_check "in the middle third ($l0..$r0)" test "$l0" -ge 213 -a "$r0" -le 426
xdotool windowfocus --sync "$(kv_desktop_window)" 2>/dev/null
KV_PID=$pid
kv_check "the game moves on" kv_frames 2 20
kv_key 1 2 3 4 5 1 2 3 4 5 KP_Add KP_Subtract Prior Next Home End
shoot "$KV_WORK/before.png" 640x480+0+0
read -r l0 r0 _ < <(lit_span "$KV_WORK/before.png")
# Held keys act on every game frame while they are down: hold until the picture shows it.
span_is() {  # LEFT_AT_LEAST RIGHT_AT_MOST of the lit pixels, or no lit pixel at all when LEFT is -1
  shoot "$KV_WORK/span.png" 640x480+0+0 && read -r L R N < <(lit_span "$KV_WORK/span.png") &&
    if [ "$1" = -1 ]; then [ "$N" -eq 0 ] || [ "$R" -le "$2" ]; else [ "$N" -gt 0 ] && [ "$L" -ge "$1" ] && [ "$R" -le "$2" ]; fi
}
xdotool keydown Left
kv_check "a held Left moves the well left ($l0..$r0)" kv_poll 10 span_is -1 $((r0 - 20))
xdotool keyup Left
cp "$KV_WORK/span.png" "$KV_SHOTS/left.png"
xdotool keydown space
kv_check "space puts it back in the middle third" kv_poll 10 span_is 213 426
xdotool keyup space
kv_check "overlay, news and game keys leave it running" kv_frames 2 20
for p in "100 100" "150 150" "150 250" "300 250"; do
  # shellcheck disable=SC2086
  xdotool mousemove $p
  kv_frames 2 20
done
kv_check "two diagonal moves and one along an axis leave it running" kv_alive "$pid"
kv_mark
xdotool mousemove 350 300
kv_end_within "$pid" 10
kv_check "the third diagonal move ends it with 0 ($KV_MS ms)" test "$KV_RC" -eq 0
kv_check "the display mode is given back" kv_poll 10 sizes_are "1024 768 1024 768"

# 2. RESOLUTION 2, a shape file that is not there, MOUSESENSE 0: the error box over the saver,
#    frames after it, the mouse ignored, a second instance giving way; Enter ends it.
d=$(kv_saver missing RESOLUTION=2 BLOCKFILE=missing.x MOUSESENSE=0)
KORAVEN_FRAME_LOG="$(kv_winpath "$d/frames.txt")" kv_start --desktop "$d" /s
pid=$KV_PID
box="$KV_WORK/box.txt"
kv_check "the error box appears over the saver" kv_run_helper read_box.exe "$(kv_winpath "$box")" 60000 keep
kv_screenshot "$KV_SHOTS/error-box.png"
kv_check "the box is closed" kv_run_helper read_box.exe "$(kv_winpath "$box")" 10000
kv_check "caption エラー発生, text of the load error" test "$(iconv -f CP932 -t UTF-8 "$box" | tr -d '\r' | head -n 2 | xargs)" = "エラー発生 ka3D::LoadObject : Xファイルを読み込めません"
kv_check "frames are presented at 1024x768x16" kv_poll 30 value_is "$d/frames.txt" mode 1024x768x16
p0="$(value "$d/frames.txt" presents)"
kv_check "and go on being presented" kv_poll 20 value_above "$d/frames.txt" presents "${p0:-0}"
xdotool windowfocus --sync "$(kv_desktop_window)" 2>/dev/null
KV_PID=$pid
presents_go_on() { local p; p="$(value "$d/frames.txt" presents)"; kv_poll 20 value_above "$d/frames.txt" presents "${p:-0}"; }
for p in "100 100" "200 200" "300 300" "400 350"; do
  # shellcheck disable=SC2086
  xdotool mousemove $p
  presents_go_on
done
xdotool click 1 click 3
kv_check "with MOUSESENSE=0 moves and clicks leave it running" presents_go_on
kv_start_helper foreground.exe hold
holder=$KV_PID
front() {
  kv_run_helper foreground.exe query "$(kv_winpath "$KV_WORK/front.txt")" &&
    grep -q "^$1\$" <(tr -d '\r' <"$KV_WORK/front.txt")
}
kv_check "another window is in front" kv_poll 20 front 'KvForeground|KORAVEN other'
kv_start --desktop "$d" /s
kv_wait_exit "$KV_PID" 10
kv_check "a second instance ends at once with 0 (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "and brings the first to the front" front 'DEFAULT|KORAVEN'
kv_run_helper post_close.exe KvForeground "KORAVEN other"
kv_mark
kv_key Return
kv_end_within "$pid" 10
kv_check "Enter ends it with 0 ($KV_MS ms)" test "$KV_RC" -eq 0

# 3. Escape tapped while the title screen holds the loop up ends the saver once the game starts.
d=$(kv_saver title_tap TITLE=1)
xdotool mousemove 0 0
kv_start --desktop "$d" /s
pid=$KV_PID
kv_poll 30 kv_window KORAVEN
xdotool windowfocus --sync "$(kv_desktop_window)" 2>/dev/null
kv_key Escape
kv_wait_exit "$pid" 20
kv_check "Escape tapped during the title ends it after the title (got $KV_RC)" test "$KV_RC" -eq 0

# 4. Starts and ends in a row: a close that arrives during the start-up, or a key once frames run.
d=$(kv_saver repeat)
ended=0
for i in 1 2 3 4; do
  if [ $((i % 2)) -eq 0 ]; then
    kv_fullscreen "$d" && kv_key x
  else
    kv_start --desktop "$d" /s
    kv_run_helper post_close.exe DEFAULT KORAVEN 20000
  fi
  kv_wait_exit "$KV_PID" 20 && [ "$KV_RC" -eq 0 ] && ended=$((ended + 1))
done
kv_check "four starts in a row each end with 0 ($ended)" test "$ended" -eq 4
kv_check "no saver process is left" test "$(pgrep -fc "$KV_WORK/.*koraven.scr")" -eq 0
kv_finish
