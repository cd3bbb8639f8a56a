#!/usr/bin/env bash
# End to end, the foundation (issue 2): koraven.scr under Wine in its three modes, its settings
# file, the single instance, the close from outside, preview and bad input; bare on the Xvfb and
# inside Wine's virtual desktop.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

expected_keys="R_SPEED D_SPEED MAYOI SUKIMA RESOLUTION MOUSESENSE TITLE FIXCOLOR SHOW_INFO SHOW_FPS
SHOW_TIME SHOW_DATE SHOW_MSG SHOW_NEWS1 SHOW_NEWS2 BLOCKFILE WIDTH HEIGHT COLOR1 COLOR2 COLOR3
COLOR4 COLOR5 COLOR6 COLOR7 TEXT NI1_HTML NI1_FILE NI1_IGNORE NI1_TAG NI1_REJECT NI1_UPDATE
NI2_HTML NI2_FILE NI2_IGNORE NI2_TAG NI2_REJECT NI2_UPDATE"

keys_in() { grep -o '^[A-Z0-9_]*=' "$1" | tr -d '=' | tr '\n' ' ' | sed 's/ $//'; }
want_keys() { echo $expected_keys; }
value_of() { grep -a "^$2=" "$1" | head -n 1 | cut -d= -f2- | tr -d '\r'; }

# Ends a running saver through WM_CLOSE from outside and checks that it returns 0.
close_and_expect_zero() {
  local pid="$1" what="$2"
  kv_check "$what: the close helper finds the window" kv_run_helper post_close.exe DEFAULT KORAVEN 10000
  kv_wait_exit "$pid" 30
  kv_check "$what: WM_CLOSE from outside ends it with code 0 (got $KV_RC)" test "$KV_RC" -eq 0
}

# ---- 1. /s in an empty folder, bare on the Xvfb -------------------------------------------------
d=$(kv_folder fullscreen)
kv_install "$d"
kv_start "$d" /s
first=$KV_PID
kv_check "/s: its window \"KORAVEN\" appears" kv_wait_window KORAVEN 30
kv_check "/s: the window is of class DEFAULT" kv_run_helper find_window.exe DEFAULT KORAVEN 10000
kv_check "/s: koraven.ini is created beside the program" kv_wait_file "$d/koraven.ini" 10
sleep 0.5
kv_check "/s: [Config] is the first line" test "$(head -n 1 "$d/koraven.ini" | tr -d '\r')" = "[Config]"
kv_check "/s: the 38 keys in their order" test "$(keys_in "$d/koraven.ini")" = "$(want_keys)"
kv_check "/s: defaults written (R_SPEED=3, COLOR1=f7f773, NI2_UPDATE=700)" \
  test "$(value_of "$d/koraven.ini" R_SPEED)$(value_of "$d/koraven.ini" COLOR1)$(value_of "$d/koraven.ini" NI2_UPDATE)" = "3f7f773700"
kv_screenshot "$KV_SHOTS/fullscreen-bare.png"

# A second /s meanwhile ends at once with 0; the first keeps running.
kv_start "$d" /s
kv_wait_exit "$KV_PID" 15
kv_check "second /s: exits at once with code 0 (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "second /s: the first keeps running" kv_alive "$first"
# So do a second preview and configure start.
kv_start "$d" /c
kv_wait_exit "$KV_PID" 15
kv_check "second /c while one runs: exits with 0 (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "the first still runs" kv_alive "$first"
close_and_expect_zero "$first" "/s bare"
kv_check "/s bare: its window is gone" kv_wait_gone KORAVEN 10

# ---- 2. preview without a host window (configure mode: tests/e2e/config_dialog.sh) -----------
kv_start "$d" /p 99999
kv_wait_exit "$KV_PID" 15
kv_check "/p 99999: exits at once with code 0 (got $KV_RC)" test "$KV_RC" -eq 0

# ---- 3. preview inside a host window --------------------------------------------------------
rm -f "$KV_WORK/preview_host.txt"
kv_start_helper preview_host.exe "$(kv_winpath "$d/koraven.scr")" 4
host=$KV_PID
kv_wait_exit "$host" 40
kv_check "preview: ends with code 0 when the host closes (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "preview: its window was a child of the host's preview area" \
  grep -q '^child=1' "$KV_WORK/preview_host.txt"
kv_check "preview: of the preview area's size 152x112" grep -q '^size=152x112' "$KV_WORK/preview_host.txt"

# ---- 4. a read-only folder still starts ------------------------------------------------------
ro=$(kv_folder readonly)
kv_install "$ro"
kv_readonly "$ro"
kv_start "$ro" /s
pid=$KV_PID
kv_check "read-only folder: the window appears" kv_wait_window KORAVEN 30
kv_check "read-only folder: no settings file could be written" test ! -f "$ro/koraven.ini"
close_and_expect_zero "$pid" "read-only folder"

# ---- 5. bad input (garbage settings and a long command line: tests/e2e/hostile_input.sh) ------
# A program file of another name: the bare settings name, in the Windows folder.
other=$(kv_folder othername)
kv_install "$other" Koraven.scr
kv_start --prog Koraven.scr "$other" /s
pid=$KV_PID
kv_check "Koraven.scr: starts" kv_wait_window KORAVEN 30
kv_check "Koraven.scr: no koraven.ini beside it (the bare name is used)" test ! -e "$other/koraven.ini"
close_and_expect_zero "$pid" "Koraven.scr"

# ---- 6. inside Wine's virtual desktop (full-screen display modes work there) -------------------
vd=$(kv_folder desktop)
kv_install "$vd"
kv_start --desktop "$vd" /s
pid=$KV_PID
kv_check "desktop /s: its window appears" kv_wait_window KORAVEN 30
kv_check "desktop /s: the virtual desktop is there" kv_wait_window "Virtual - Wine desktop" 10
kv_check "desktop /s: koraven.ini is created" kv_wait_file "$vd/koraven.ini" 10
sleep 1
kv_check "desktop /s: the 38 keys in their order" test "$(keys_in "$vd/koraven.ini")" = "$(want_keys)"
kv_screenshot "$KV_SHOTS/fullscreen-desktop.png"
kv_start "$vd" /s
kv_wait_exit "$KV_PID" 15
kv_check "desktop: a second /s exits at once with 0 (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "desktop: the first keeps running" kv_alive "$pid"
close_and_expect_zero "$pid" "desktop /s"
kv_desktop off

kv_finish
