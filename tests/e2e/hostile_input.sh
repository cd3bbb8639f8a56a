#!/usr/bin/env bash
# End to end, hostile input in one start: a koraven.ini full of garbage (huge and negative numbers,
# 10 KiB lines, colours that are not colours, binary bytes, NUL bytes), a BLOCKFILE naming a
# binary file, and about the longest command line Wine passes on (it refuses a longer one before
# the program runs; the 64 KiB case is in tests/shell/command_line_test.cpp). The saver starts,
# reports the block file it cannot read, presents frames, ends on a key with code 0, and the
# settings file then holds the 38 keys once each with sound values, and every other section it
# had.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
kv_init

d="$(kv_folder hostile)"
kv_install "$d"
ini="$d/koraven.ini"
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }
# Every byte value but line ends, and the same with NULs between.
binary="$(for i in $(seq 1 255); do [ "$i" = 10 ] || [ "$i" = 13 ] || printf "\\$(printf %03o "$i")"; done)"
for _ in $(seq 1 16); do printf '%s' "$binary"; done >"$d/garbage.x"
{
  printf '[Before]\r\nKeep=1\r\n[Config]\r\n'
  printf 'R_SPEED=99999999999999999999999\r\nD_SPEED=-99999999999999999999\r\nMAYOI=-2147483649\r\n'
  printf 'SUKIMA=%s\r\n' "$(repeat 9 10240)"
  printf 'RESOLUTION=-1\r\nMOUSESENSE=%s\r\nTITLE=7\r\nFIXCOLOR=-1\r\n' "${binary:0:40}"
  printf 'SHOW_INFO=\x80\xff\x01\r\nSHOW_FPS=1e9\r\nSHOW_TIME=\r\nSHOW_DATE=--5\r\nSHOW_MSG=+1\r\n'
  printf 'SHOW_NEWS1=abc\r\nSHOW_NEWS2=\x00\x01\r\nBLOCKFILE=garbage.x\r\n'
  printf 'WIDTH=-2147483648\r\nHEIGHT=2147483647\r\n'
  printf 'COLOR1=zzzzzz\r\nCOLOR2=#1\r\nCOLOR3=\xff\xfe\x80\x81\x00\x7f\r\nCOLOR4=%s\r\n' "$(repeat f 10240)"
  printf 'COLOR5=\r\nCOLOR6=-1\r\nCOLOR7=\x82\x60\x82\x61\x82\x62\r\n'
  # Shift-JIS text of 10 KiB: the two-byte characters straddle the 254-byte cut.
  printf 'TEXT=a%s\r\n' "$(for _ in $(seq 1 2560); do printf '\x93\x60\x8c\xbe'; done)"
  printf 'NI1_HTML=%s\r\nNI1_UPDATE=-1e308\r\nNI2_UPDATE=nan\r\n' "$(repeat h 10240)"
  printf '%s\r\n' "$binary"
  printf '%s\r\n' "$(repeat '=' 10240)"
  printf '[After]\r\nKeep=2\r\n'
} >"$ini"

# A command line of 32762 characters, program path included: Wine passes 32764 and refuses 32765
# (counted so, measured here); two to spare for quotes around a path with a blank.
prog_path="$(kv_winpath "$d/koraven.scr")"
long="$(repeat y $((32762 - ${#prog_path} - 4)))"
log="$d/frames.txt"
export KORAVEN_FRAME_LOG
KORAVEN_FRAME_LOG="$(kv_winpath "$log")"
kv_mousemove 0 0
kv_start --desktop "$d" /s "$long"
unset KORAVEN_FRAME_LOG
pid=$KV_PID
kv_check "a $((${#prog_path} + ${#long} + 4))-character command line: the window appears" \
  kv_wait_window KORAVEN 30
box="$KV_WORK/box.txt"
kv_check "the binary block file is reported and the report closed" \
  kv_run_helper read_box.exe "$(kv_winpath "$box")" 60000
kv_check "the report names the loader" grep -aq 'ka3D::LoadObject' "$box"
# (Nothing may move on the screen: the blocks are invisible and the text lines may be off.)
presents() { sed -n 's/^presents=//p' "$log" 2>/dev/null | tr -d '\r'; }
presents_above() { # COUNT SECONDS
  local t=0 p
  while [ "$t" -le $(($2 * 4)) ]; do
    p="$(presents)"
    [ -n "$p" ] && [ "$p" -gt "$1" ] && return 0
    sleep 0.25
    t=$((t + 1))
  done
  return 1
}
kv_check "frames are presented" kv_wait_file "$log" 30
before="$(presents)"
kv_check "and go on being presented" presents_above "${before:-0}" 30
kv_screenshot "$KV_SHOTS/hostile.png"
desk="$(kv_desktop_window)"
[ -n "$desk" ] && kv_focus "$desk"
kv_key Escape
kv_wait_exit "$pid" 20
kv_check "a key ends it with code 0 (got $KV_RC)" test "$KV_RC" -eq 0

# ---- the settings file afterwards -------------------------------------------------------------
config="$(awk '/^\[/ { s = $0 } s ~ /^\[Config\]/' "$ini" | tr -d '\r')"
value_of() { grep -a "^$1=" <<<"$config" | head -n 1 | cut -d= -f2-; }
in_range() { # KEY MIN MAX
  local v
  v="$(value_of "$1")"
  [[ "$v" =~ ^-?[0-9]+$ ]] && [ "$v" -ge "$2" ] && [ "$v" -le "$3" ]
}
bad=""
for range in R_SPEED:-18:18 D_SPEED:1:10 MAYOI:0:10 SUKIMA:0:10 RESOLUTION:0:4 MOUSESENSE:0:1 \
  TITLE:0:1 FIXCOLOR:0:1 SHOW_INFO:0:1 SHOW_FPS:0:1 SHOW_TIME:0:1 SHOW_DATE:0:1 SHOW_MSG:0:1 \
  SHOW_NEWS1:0:1 SHOW_NEWS2:0:1 WIDTH:1:30 HEIGHT:5:30; do
  IFS=: read -r key lo hi <<<"$range"
  in_range "$key" "$lo" "$hi" || bad="$bad $key=$(value_of "$key")"
done
kv_check "integers held to their ranges:${bad:- all 17}" test -z "$bad"
kv_check "clamped where expected (R_SPEED=18 D_SPEED=1 SUKIMA=10 WIDTH=1 HEIGHT=30 TITLE=1)" \
  test "$(value_of R_SPEED) $(value_of D_SPEED) $(value_of SUKIMA) $(value_of WIDTH) $(value_of HEIGHT) $(value_of TITLE)" = "18 1 10 1 30 1"
bad=""
for n in 1 2 3 4 5 6 7; do
  [[ "$(value_of COLOR$n)" =~ ^[0-9a-f]{6}$ ]] || bad="$bad COLOR$n"
done
kv_check "colours are six hexadecimal digits:${bad:- all 7}" test -z "$bad"
kv_check "TEXT is cut to at most 254 bytes" test "$(value_of TEXT | wc -c)" -le 255
kv_check "TEXT ends on a whole Shift-JIS character" \
  bash -c "printf '%s' \"\$1\" | iconv -f CP932 -t UTF-8 >/dev/null" _ "$(value_of TEXT)"
kv_check "BLOCKFILE is kept as given" test "$(value_of BLOCKFILE)" = garbage.x
missing=""
for key in R_SPEED D_SPEED MAYOI SUKIMA RESOLUTION MOUSESENSE TITLE FIXCOLOR SHOW_INFO SHOW_FPS \
  SHOW_TIME SHOW_DATE SHOW_MSG SHOW_NEWS1 SHOW_NEWS2 BLOCKFILE WIDTH HEIGHT COLOR1 COLOR2 COLOR3 \
  COLOR4 COLOR5 COLOR6 COLOR7 TEXT NI1_HTML NI1_FILE NI1_IGNORE NI1_TAG NI1_REJECT NI1_UPDATE \
  NI2_HTML NI2_FILE NI2_IGNORE NI2_TAG NI2_REJECT NI2_UPDATE; do
  [ "$(grep -ac "^$key=" <<<"$config")" = 1 ] || missing="$missing $key"
done
kv_check "each of the 38 keys once in [Config]:${missing:- yes}" test -z "$missing"
kv_check "the other sections are kept ([Before] Keep=1, [After] Keep=2)" \
  bash -c "tr -d '\r' <'$ini' | grep -aA1 '^\[Before\]' | grep -q '^Keep=1' && tr -d '\r' <'$ini' | grep -aA1 '^\[After\]' | grep -q '^Keep=2'"
kv_desktop off
kv_finish
