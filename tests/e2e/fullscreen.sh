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

sizes_are() { [ "$(xdotool getwindowgeometry "$(kv_desktop_window)" 2>/dev/null | sed -n 's/.*Geometry: //p')" = "$1" ]; }
# Largest grey value (0..255) in the rectangle WxH+X+Y of the desktop's 640 x 480 corner.
region_max() {
  kv_screenshot "$KV_WORK/full.png" && convert "$KV_WORK/full.png" -crop 640x480+0+0 +repage \
    -crop "$1" -colorspace Gray -format '%[fx:int(maxima*255+0.5)]' info:
}
region_at_least() { [ "$(region_max "$1")" -ge "$2" ]; }
# "LEFT RIGHT" of the lit pixels (grey above 16 %) of the desktop's 640 x 480 corner, "" if none.
lit_span() {
  kv_screenshot "$KV_WORK/full.png" && convert "$KV_WORK/full.png" -crop 640x480+0+0 +repage \
    -colorspace Gray -threshold 16% -trim -format '%X %w' info: 2>/dev/null | awk '$2 > 1 { print $1 + 0, $1 + $2 - 1 }'
}
span_within() { local l r; read -r l r < <(lit_span); [ -n "$l" ] && [ "$l" -ge "$1" ] && [ "$r" -le "$2" ]; }
# Another window in front until the saver stops presenting; a second start then ends at once and
# brings the first back, which restores its surfaces and presents again.
lose_and_return() {
  local log="$1" what="$2" r0
  r0="$(kv_value "$log" restores)"
  kv_tool_bg hold
  kv_check "$what: another window comes to the front" kv_poll 20 kv_front 'KvForeground|KORAVEN other'
  kv_poll 30 eval "p=\$(kv_value '$log' presents); sleep 2; [ \"\$(kv_value '$log' presents)\" = \"\$p\" ]"
  kv_start --desktop "$(dirname "$log")" /s
  kv_wait_exit "$KV_PID" 20
  kv_check "$what: a second start ends at once with 0 (got $KV_RC)" test "$KV_RC" -eq 0
  kv_check "$what: and brings the first to the front" kv_front 'DEFAULT|KORAVEN'
  kv_tool close KvForeground "KORAVEN other"
  kv_check "$what: it presents again" kv_presenting "$log" 30
  kv_check "$what: its surfaces were restored" test "$(kv_value "$log" restores)" -gt "${r0:-0}"
}

# 1. RESOLUTION 0 with the title: 640 x 480 x 16, the title line, then the game.
d=$(kv_saver res0 RESOLUTION=0 TITLE=1 R_SPEED=0 D_SPEED=10 SHOW_INFO=0 SHOW_FPS=0 SHOW_TIME=0 SHOW_DATE=0 SHOW_MSG=0)
log="$d/frames.txt"
xdotool mousemove 0 0
KORAVEN_FRAME_LOG="$(kv_winpath "$log")" kv_start --desktop "$d" /s
pid=$KV_PID
kv_check "the window appears" kv_poll 30 kv_window KORAVEN
kv_check "the title is white in its box from (160, 216)" kv_poll 30 region_at_least 480x24+160+216 200
kv_screenshot "$KV_SHOTS/title.png"
kv_check "nothing above it or left of it" eval '[ "$(region_max 640x216+0+0)" -le 8 ] && [ "$(region_max 160x480+0+0)" -le 8 ]'
kv_check "the desktop takes the mode's size" kv_poll 10 sizes_are 640x480
kv_check "the frame log names 640x480x16" kv_poll 30 eval "[ \"\$(kv_value '$log' mode)\" = 640x480x16 ]"
lose_and_return "$log" "during the title"
kv_check "the title ends, blocks appear in the middle third" kv_poll 40 span_within 213 426
kv_screenshot "$KV_SHOTS/game.png"
kv_focus_desktop
KV_PID=$pid
kv_check "the game moves on" kv_frames 2 20
read -r l0 r0 < <(lit_span)
xdotool keydown Left
kv_check "a held Left moves the well left ($l0..$r0)" kv_poll 10 eval 'read -r l r < <(lit_span); [ -z "$l" ] || [ "$r" -le $((r0 - 20)) ]'
xdotool keyup Left
for p in "100 100" "150 250" "300 250"; do  # two diagonal moves, one along an axis
  xdotool mousemove $p
  kv_frames 1 20
done
kv_check "two diagonal moves and one along an axis leave it running" kv_alive "$pid"
xdotool mousemove 350 300
kv_wait_exit "$pid" 10
kv_check "the third diagonal move ends it with 0 (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "the display mode is given back" kv_poll 10 sizes_are 1024x768

# 2. Hostile input. Every byte value but line ends, alone and as the shape file.
d=$(kv_saver hostile -)
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
KORAVEN_FRAME_LOG="$(kv_winpath "$log")" kv_start --desktop "$d" /s "$long"
pid=$KV_PID
kv_check "a 32762-character command line: the window appears" kv_poll 30 kv_window KORAVEN
kv_check "the binary shape file is reported in a box" kv_tool dialog "$(kv_winpath "$KV_WORK/box.txt")" 60000 0
kv_screenshot "$KV_SHOTS/error-box.png"
box="$(tr -d '\r' <"$KV_WORK/box.txt")"
kv_check "titled エラー発生, naming the loader's error" \
  test "$(head -n 1 <<<"$box") $(grep -c '^ka3D::LoadObject : Xファイルを読み込めません$' <<<"$box")" = "エラー発生 1"
kv_tool dialog "$(kv_winpath "$KV_WORK/box.txt")" 10000 0 click 1
kv_check "frames are presented after it" kv_presenting "$log" 30
lose_and_return "$log" "during the game"
kv_focus_desktop
kv_end "$pid" "hostile input" Return
config="$(awk '/^\[/ { s = $0 } s ~ /^\[Config\]/' "$ini" | tr -d '\r')"
kv_check "the settings file holds 38 keys once each" \
  test "$(grep -aoE '^[A-Z][A-Z0-9_]*=' <<<"$config" | sort -u | wc -l) $(grep -acE '^[A-Z][A-Z0-9_]*=' <<<"$config")" = "38 38"
kv_check "every number and colour is one (NI*_UPDATE: texts)" test "$(grep -aE '^[A-Z0-9_]+=' <<<"$config" |
  grep -avE '^(TEXT|BLOCKFILE|NI[12]_[A-Z]+)=' | grep -acvE '=(-?[0-9]+|[0-9a-f]{6})$')" = 0
kv_check "R_SPEED D_SPEED SUKIMA WIDTH HEIGHT TITLE are held to their ranges" test \
  "$(for k in R_SPEED D_SPEED SUKIMA WIDTH HEIGHT TITLE; do kv_value <(echo "$config") $k; done | xargs)" = "18 1 10 1 30 0"
kv_check "TEXT is cut to at most 254 bytes, at a whole Shift-JIS character" eval \
  '[ "$(kv_value <(echo "$config") TEXT | wc -c)" -le 255 ] && kv_value <(echo "$config") TEXT | iconv -f CP932 -t UTF-8 >/dev/null'
kv_check "the other sections are kept" eval \
  "tr -d '\r' <'$ini' | grep -aA1 '^\[Before\]' | grep -q Keep=1 && tr -d '\r' <'$ini' | grep -aA1 '^\[After\]' | grep -q Keep=2"
kv_finish
