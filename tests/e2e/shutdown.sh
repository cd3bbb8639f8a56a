#!/usr/bin/env bash
# The orderly end of the saver under Wine, full screen in the virtual desktop: the display mode is
# given back, a close from outside ends it, a second instance gives way to the first, and fifty
# starts and ends in a row each end the process.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
source "$here/input_lib.bash"
kv_init

# 1. While it runs the desktop has the saver's display mode; after a close from outside it is back
#    at its own size.
d="$(kv_folder mode)"
kv_install "$d"
kvi_ini "$d" RESOLUTION=0
kvi_start "$d"
during="$(kvi_screen_size)"
kv_check "while running the screen is 640 x 480 (Win32: $during)" test "$during" = "640 480"
kv_check "while running the desktop window is 640x480 ($(kvi_desktop_size))" \
  test "$(kvi_desktop_size)" = 640x480
kv_screenshot "$KV_SHOTS/running.png"
kv_run_helper post_close.exe
kvi_mark
kvi_end_within "$KV_PID" 10
kv_check "WM_CLOSE from outside ends it with exit code 0" test "$KV_RC" -eq 0
after="$(kvi_screen_size)"
kv_check "after the end the screen is 1024 x 768 again (Win32: $after)" test "$after" = "1024 768"
kv_check "after the end the desktop window is 1024x768 again ($(kvi_desktop_size))" \
  test "$(kvi_desktop_size)" = 1024x768

# 2. A second instance started while one runs exits at once and brings the first to the front.
d="$(kv_folder first)"
kv_install "$d"
kvi_ini "$d"
kvi_start "$d"
first=$KV_PID
kv_start_helper foreground.exe hold
holder=$KV_PID
front="$KV_WORK/front.txt"
query_front() {
  rm -f "$front"
  kv_run_helper foreground.exe query "$(kvi_winpath "$front.crlf")"
  tr -d '\r' <"$front.crlf" >"$front"
}
for _ in $(seq 1 100); do
  query_front
  grep -q '^KvForeground|' "$front" 2>/dev/null && break
done
kv_check "another window is in front before the second start ($(cat "$front"))" \
  grep -q '^KvForeground|KORAVEN other$' "$front"
d2="$(kv_folder second)"
kv_install "$d2"
kvi_ini "$d2"
kvi_mark
kv_start --desktop "$d2" /s
second=$KV_PID
kvi_end_within "$second" 10
kv_check "the second instance exits at once (${KVI_MS} ms) with exit code 0" test "$KV_RC" -eq 0
query_front
kv_check "the first instance is brought to the front ($(cat "$front"))" \
  grep -q '^DEFAULT|KORAVEN$' "$front"
kv_check "the first instance still runs" kv_alive "$first"
kv_run_helper post_close.exe KvForeground "KORAVEN other"
kv_wait_exit "$holder" 10
KV_PID=$first
kv_run_helper post_close.exe
kv_wait_exit "$first" 10
kv_check "the first instance then ends with exit code 0" test "$KV_RC" -eq 0

# 3. Fifty starts and ends in a row. Every fifth is ended by a key once its frames run; the others
#    by a close from outside that arrives as soon as the window exists, during the start-up.
d="$(kv_folder repeat)"
kv_install "$d"
kvi_ini "$d"
ended=0
start=$(date +%s)
for i in $(seq 1 50); do
  if [ $((i % 5)) -eq 0 ]; then
    kvi_start "$d"
    kv_key Escape
  else
    kv_mousemove 0 0
    kv_start --desktop "$d" /s
    kv_run_helper post_close.exe DEFAULT KORAVEN 20000
  fi
  if kv_wait_exit "$KV_PID" 20 && [ "$KV_RC" -eq 0 ]; then
    ended=$((ended + 1))
  else
    kv_log "start $i: exit code $KV_RC"
    kv_kill "$KV_PID"
  fi
done
kv_log "50 starts and ends in $(($(date +%s) - start)) s"
kv_check "50 starts: every one ended with exit code 0 ($ended)" test "$ended" -eq 50
left="$(pgrep -f "$d/koraven.scr" | wc -l)"
kv_check "no saver process is left ($left)" test "$left" -eq 0
kv_check "the desktop is at its own size after them ($(kvi_desktop_size))" \
  test "$(kvi_desktop_size)" = 1024x768

kv_finish
