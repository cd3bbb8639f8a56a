#!/usr/bin/env bash
# The saver full screen inside Wine's virtual desktop, driven with real X input. 1: the 640 x 480
# x 16 mode and its return, the title line, the game in the middle third and a held key moving
# it, the mouse ending it, its surfaces lost and restored during the title. 2: hostile input in
# one start (a koraven.ini of garbage, a binary shape file, about the longest command line Wine
# passes on): the load error's box, frames, surfaces lost in the game and restored when a second
# start brings the first to the front, Enter ending it, and the settings file made sound.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

# Grey (0..255) of the brightest pixel in WxH+X+Y of the desktop's 640 x 480 corner is >= MIN.
lit() {
  kv_screenshot "$KV_WORK/full.png" && [ "$(convert "$KV_WORK/full.png" -crop 640x480+0+0 +repage \
    -crop "$1" -colorspace Gray -format '%[fx:int(maxima*255+0.5)]' info:)" -ge "$2" ]
}
# The lit pixels (grey above 16 %) of the desktop's 640 x 480 corner lie between LEFT and RIGHT.
span_within() {
  kv_screenshot "$KV_WORK/full.png" && convert "$KV_WORK/full.png" -crop 640x480+0+0 +repage -colorspace \
    Gray -threshold 16% -trim -format '%X %w' info: 2>/dev/null | awk -v l="$1" -v r="$2" '{ exit !($1 >= l && $1 + $2 <= r) }'
}
# Another window in front: the saver stops presenting. A second start then ends at once and
# brings the first back, which restores its surfaces and presents again.
lose_and_return() {
  local log="$1" what="$2" r0
  r0="$(kv_value "$log" restores)"
  kv_tool_bg hold
  kv_check "$what: another window in front, the saver stops presenting" \
    kv_poll 30 kv_not_presenting "$log"
  kv_start --desktop "$(dirname "$log")" /s
  kv_wait_exit "$KV_PID" 20
  kv_check "$what: a second start ends at once with 0 (got $KV_RC)" test "$KV_RC" -eq 0
  kv_check "$what: and brings the first back: it presents again" kv_presenting "$log" 30
  kv_check "$what: its surfaces were restored" test "$(kv_value "$log" restores)" -gt "${r0:-0}"
  kv_tool close KvForeground "KORAVEN other"
}

# 1. RESOLUTION 0 with the title: 640 x 480 x 16, the title line, then the game.
d=$(kv_saver res0 RESOLUTION=0 TITLE=1 R_SPEED=0 D_SPEED=10 SHOW_INFO=0 SHOW_FPS=0 SHOW_TIME=0 SHOW_DATE=0 SHOW_MSG=0)
log="$d/frames.txt"
xdotool mousemove 0 0
KV_FRAME_LOG="$log" kv_start --desktop "$d" /s
pid=$KV_PID
kv_check "the window appears" kv_poll 30 kv_window KORAVEN
kv_check "the title is white in its box from (160, 216)" kv_poll 30 lit 480x24+160+216 200
kv_screenshot "$KV_SHOTS/title.png"
unlit() { ! lit "$@"; }
kv_check "nothing above it" unlit 640x216+0+0 9
kv_check "the desktop takes the mode's size" kv_poll 10 sizes_are 640x480
kv_check "the frame log names 640x480x16" kv_poll 30 kv_log_says "$log" mode 640x480x16
lose_and_return "$log" "during the title"
in_middle_right() { span_within 213 426 && ! span_within 0 340; }
kv_check "the title ends, blocks appear in the middle third, right of x 340" kv_poll 40 in_middle_right
kv_screenshot "$KV_SHOTS/game.png"
kv_focus_desktop
KV_PID=$pid
xdotool keydown Left
kv_check "a held Left moves the well left of x 340" kv_poll 10 span_within 0 340
xdotool keyup Left
moved=0
for p in "100 100" "150 250" "300 250"; do  # two diagonal moves, one along an axis
  xdotool mousemove $p
  kv_frames 2 20 && moved=$((moved + 1))
done
kv_check "two diagonal moves and one along an axis leave it running, frames changing" test $moved = 3
kv_end "$pid" "the third diagonal move" mousemove 350 300
kv_check "the display mode is given back" kv_poll 10 sizes_are 1024x768

# 2. Hostile input. Every byte value but line ends, alone and as the shape file.
d=$(kv_saver hostile)
ini="$d/koraven.ini"
log="$d/frames.txt"
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }
binary="$(for i in $(seq 1 255); do [ "$i" = 10 ] || [ "$i" = 13 ] || printf "\\$(printf %03o "$i")"; done)"
for _ in $(seq 1 16); do printf '%s' "$binary"; done >"$d/garbage.x"
{
  printf '[Before]\r\nKeep=1\r\n[Config]\r\nR_SPEED=99999999999999999999999\r\nD_SPEED=-99999999999999999999\r\n'
  printf 'MAYOI=-2147483649\r\nSUKIMA=%s\r\nRESOLUTION=-1\r\nMOUSESENSE=%s\r\nTITLE=-3\r\n' "$(repeat 9 10240)" "${binary:0:40}"
  printf 'SHOW_INFO=\x80\xff\x01\r\nSHOW_FPS=1e9\r\nSHOW_TIME=\r\nSHOW_DATE=--5\r\nSHOW_MSG=+1\r\n'
  printf 'SHOW_NEWS1=abc\r\nSHOW_NEWS2=\x00\x01\r\nBLOCKFILE=garbage.x\r\nWIDTH=-2147483648\r\nHEIGHT=2147483647\r\n'
  printf 'COLOR1=zzzzzz\r\nCOLOR2=#1\r\nCOLOR3=\xff\xfe\x80\x81\x00\x7f\r\nCOLOR4=%s\r\nCOLOR7=\x82\x60\x82\x61\r\n' "$(repeat f 10240)"
  # Shift-JIS text of 10 KiB: the two-byte characters straddle the 254-byte cut.
  printf 'TEXT=a%s\r\n' "$(for _ in $(seq 1 2560); do printf '\x93\x60\x8c\xbe'; done)"
  printf 'NI1_HTML=%s\r\nNI1_UPDATE=-1e308\r\nNI2_UPDATE=nan\r\n%s\r\n' "$(repeat h 10240)" "$binary"
  printf '%s\r\n[After]\r\nKeep=2\r\n' "$(repeat '=' 10240)"
} >"$ini"
# 32762 characters, the program's path included: Wine passes on 32764 and refuses 32765; two to
# spare for quotes around a path with a blank. (Longer ones: tests/shell/command_line_test.cpp.)
long="$(repeat y $((32762 - ${#d} - 18)))"
kv_focus_desktop
KV_FRAME_LOG="$log" kv_start --desktop "$d" /s "$long"
pid=$KV_PID
kv_check "a 32762-character command line: the window appears" kv_poll 30 kv_window KORAVEN
kv_check "the binary shape file is reported in a box" kv_tool dialog "$(kv_winpath "$KV_WORK/box.txt")" 60000 0
kv_screenshot "$KV_SHOTS/error-box.png"
box="$(tr -d '\r' <"$KV_WORK/box.txt")"
kv_check "the box is titled エラー発生" test "$(head -n 1 <<<"$box")" = エラー発生
kv_check "the box names the loader's error once" \
  test "$(grep -c '^ka3D::LoadObject : Xファイルを読み込めません$' <<<"$box")" -eq 1
kv_tool dialog "$(kv_winpath "$KV_WORK/box.txt")" 10000 0 click 1
kv_check "frames are presented after it" kv_presenting "$log" 30
lose_and_return "$log" "during the game"
kv_focus_desktop
kv_end "$pid" "hostile input" key Return
# The settings file made sound: each key once, every number a number and every colour a colour
# (the other values are texts), TEXT cut at a whole Shift-JIS character, the other sections kept.
config="$(awk '/^\[/ { s = $0 } s ~ /^\[Config\]/' "$ini" | tr -d '\r' | grep -aE '^[A-Z][A-Z0-9_]*=')"
kv_check "the settings file holds every key" test "$(cut -d= -f1 <<<"$config" | sort -u | wc -l)" -eq "$KV_SETTING_COUNT"
kv_check "the settings file holds each key once" test "$(wc -l <<<"$config")" -eq "$KV_SETTING_COUNT"
kv_check "every number is a number and every colour a colour" \
  test "$(grep -avE '^(TEXT|BLOCKFILE|NI[12]_[A-Z]+)=' <<<"$config" | grep -acvE '=(-?[0-9]+|[0-9a-f]{6})$')" -eq 0
text="$(kv_value <(echo "$config") TEXT)"
kv_check "TEXT is cut to whole characters (${#text} bytes)" iconv -f CP932 -t UTF-8 <<<"$text" -o /dev/null
kv_check "TEXT keeps the most whole characters that fit" test "$(printf '%s' "$text" | wc -c)" -eq 255
kv_check "the sections before and after [Config] are kept" test "$(grep -ac '^Keep=[12]' "$ini")" -eq 2
kv_finish
