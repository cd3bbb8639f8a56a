#!/usr/bin/env bash
# Full screen on today's displays. 1: on the bare X display (no virtual desktop), where DirectDraw
# refuses exclusive full screen, the saver draws through GDI at the desktop's size. 2: the same
# where the settings ask for a mode the display lacks. 3: RESOLUTION=5 inside the virtual desktop:
# the desktop's own size and depth, its mode unchanged during and after. 4: GDI chosen in
# the settings.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

# The lit pixels (grey above 16 %) of the screen's picture reach right of X.
lit_right_of() {
  kv_screenshot "$KV_WORK/full.png" && convert "$KV_WORK/full.png" -colorspace Gray -threshold 16% \
    -trim -format '%X %w' info: 2>/dev/null | awk -v x="$1" '{ exit !($1 + $2 > x) }'
}
no_error_box() { ! kv_window 'エラー発生'; }

# LOG MODE N: the frame log names MODE and more than N presents.
presenting_in() { kv_log_says "$1" mode "$2" && kv_presents_above "$1" "$3"; }

# DIR WHAT MODE [--desktop]: starts DIR's saver full screen with a frame log; checks it draws through
# GDI at MODE (the log's mode), shows frames and no error box; Escape ends it.
gdi_run() {
  local d="$1" what="$2" mode="$3" log="$1/frames.txt"
  xdotool mousemove 10 10
  KV_FRAME_LOG="$log" kv_start ${4:-} "$d" /s
  local pid=$KV_PID
  kv_check "$what: the window appears" kv_poll 30 kv_window KORAVEN
  kv_check "$what: frames are presented at the desktop's size ($mode)" \
    kv_poll 60 presenting_in "$log" "$mode" 60
  kv_check "$what: through GDI" test "$(kv_value "$log" present)" = gdi
  kv_check "$what: the game shows right of x 300" kv_poll 30 lit_right_of 300
  kv_screenshot "$KV_SHOTS/$(basename "$d").png"
  kv_check "$what: no error box" no_error_box
  # The key goes to the window that has the X focus: the desktop's, or the saver's own on the bare
  # display (where an earlier test's window may still hold the focus).
  if [ -n "${4:-}" ]; then kv_focus_desktop; else xdotool search --name '^KORAVEN$' windowfocus --sync 2>/dev/null; fi
  xdotool mousemove 10 10
  kv_end "$pid" "$what" key Escape
  kv_alive "$pid" && kill -9 "$pid"  # a saver left running would keep the next ones from starting
}

d=$(kv_saver bare RESOLUTION=0 TITLE=0 MOUSESENSE=0)
gdi_run "$d" "bare display" 1024x768x32

d=$(kv_saver missing RESOLUTION=4 TITLE=0 MOUSESENSE=0)
gdi_run "$d" "1600x1200 missing from the 1024x768 desktop" 1024x768x32 --desktop
kv_check "missing mode: the desktop kept its size" sizes_are 1024x768

# 3. The desktop's own size: exclusive full screen through DirectDraw with no mode change.
d=$(kv_saver desktop RESOLUTION=5 TITLE=0 MOUSESENSE=0 SHOW_TIME=1 SHOW_DATE=1 SHOW_MSG=1 SHOW_INFO=1)
log="$d/frames.txt"
xdotool mousemove 10 10
KV_FRAME_LOG="$log" kv_start --desktop "$d" /s
pid=$KV_PID
kv_check "RESOLUTION=5: the window appears" kv_poll 30 kv_window KORAVEN
kv_check "RESOLUTION=5: frames at the desktop's size and depth" \
  kv_poll 60 presenting_in "$log" 1024x768x32 30
kv_check "RESOLUTION=5: through DirectDraw" test "$(kv_value "$log" present)" = directdraw
kv_check "RESOLUTION=5: the desktop is 1024x768 during" sizes_are 1024x768
kv_check "RESOLUTION=5: the game and the lines reach right of x 640" kv_poll 30 lit_right_of 640
kv_screenshot "$KV_SHOTS/desktop.png"
kv_focus_desktop
xdotool mousemove 10 10
kv_end "$pid" "RESOLUTION=5" key Escape
kv_check "RESOLUTION=5: the desktop is 1024x768 after" sizes_are 1024x768

# 4. GDI chosen in the settings: no DirectDraw even where it would work, the desktop's size.
d=$(kv_saver chosen RESOLUTION=0 USEGDI=1 TITLE=0 MOUSESENSE=0)
gdi_run "$d" "USEGDI=1" 1024x768x32 --desktop
kv_check "USEGDI=1: the desktop kept its size" sizes_are 1024x768

kv_finish
