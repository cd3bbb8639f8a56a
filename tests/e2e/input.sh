#!/usr/bin/env bash
# The saver full screen in Wine's virtual desktop, driven with real X input: which keys and
# mouse actions end it (at once, with exit code 0) and which must not.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
source "$here/input_lib.bash"
kv_init

# Keys that end the saver; the times go to the log and to KV_SHOTS/end_times.txt.
times="$KV_SHOTS/end_times.txt"
: >"$times"

# 1. Overlay toggles, headline keys and the game's own keys leave it running; Escape then ends it.
d="$(kv_folder keys)"
kv_install "$d"
kvi_ini "$d"
kvi_start "$d"
kv_check "the saver runs full screen" kv_alive "$KV_PID"
# Each key is tapped; a tap is held for the game frame after it even when both halves arrive
# between two frames. The keypad digits and point are left to the Win32 tests: xdotool reaches
# them by pressing Num Lock around them, and Num Lock is a key that ends the saver. Space comes
# last: it puts the well back in the middle.
kv_key 1 2 3 4 5 1 2 3 4 5 KP_Add KP_Subtract
kv_key Left Right Up Down Prior Next Home End space
kv_check "frames keep running after the keys" kvi_wait_frames 3 20
kv_screenshot "$KV_SHOTS/after_keys.png"
kv_check "number, keypad and game keys do not end it" kv_alive "$KV_PID"
kvi_mark
kv_key Escape
kvi_end_within "$KV_PID" 10
kv_check "Escape ends it with exit code 0" test "$KV_RC" -eq 0
kv_check "Escape ends it within 2 s (${KVI_MS} ms)" test "$KVI_MS" -lt 2000
echo "Escape ${KVI_MS} ms" >>"$times"

# 2. A letter, 3. Enter.
for key in x Return; do
  d="$(kv_folder "key_$key")"
  kv_install "$d"
  kvi_ini "$d"
  kvi_start "$d"
  kvi_mark
  kv_key "$key"
  kvi_end_within "$KV_PID" 10
  kv_check "$key ends it with exit code 0" test "$KV_RC" -eq 0
  kv_check "$key ends it within 2 s (${KVI_MS} ms)" test "$KVI_MS" -lt 2000
  echo "$key ${KVI_MS} ms" >>"$times"
done

# 4. Two diagonal moves do not end it; the third does. The pointer starts at (0, 0), so the move
#    the saver itself makes there at start does not count.
d="$(kv_folder mouse)"
kv_install "$d"
kvi_ini "$d"
kvi_start "$d"
kvi_move 100 100
kvi_move 150 150
kvi_move 150 250  # one axis only: never counts
kvi_move 300 250
kv_check "two diagonal moves and one along an axis do not end it" kv_alive "$KV_PID"
kvi_mark
kv_mousemove 350 300
kvi_end_within "$KV_PID" 10
kv_check "the third diagonal move ends it with exit code 0" test "$KV_RC" -eq 0
kv_check "the third move ends it within 2 s (${KVI_MS} ms)" test "$KVI_MS" -lt 2000
echo "third mouse move ${KVI_MS} ms" >>"$times"

# 5. A click ends it at once.
d="$(kv_folder click)"
kv_install "$d"
kvi_ini "$d"
kvi_start "$d"
kvi_mark
kv_click 1
kvi_end_within "$KV_PID" 10
kv_check "a left click ends it with exit code 0" test "$KV_RC" -eq 0
kv_check "a left click ends it within 2 s (${KVI_MS} ms)" test "$KVI_MS" -lt 2000
echo "left click ${KVI_MS} ms" >>"$times"

# 6. MOUSESENSE=0: neither moves nor buttons end it; a key still does.
d="$(kv_folder mousesense0)"
kv_install "$d"
kvi_ini "$d" MOUSESENSE=0
kvi_start "$d"
for p in "100 100" "200 200" "300 300" "400 350" "500 400"; do
  # shellcheck disable=SC2086
  kvi_move $p
done
kv_click 1
kv_click 3
kvi_wait_frames 3 20
kv_check "with MOUSESENSE=0 moves and clicks do not end it" kv_alive "$KV_PID"
kvi_mark
kv_key Return
kvi_end_within "$KV_PID" 10
kv_check "with MOUSESENSE=0 Enter still ends it with exit code 0" test "$KV_RC" -eq 0

# 7. A key tapped while the title screen holds the loop up still ends the saver once the game runs.
d="$(kv_folder title_tap)"
kv_install "$d"
kvi_ini "$d" TITLE=1
kv_mousemove 0 0
kv_start --desktop "$d" /s
kv_wait_window KORAVEN 30 >/dev/null
desk="$(kvi_desktop_window)"
[ -n "$desk" ] && kv_focus "$desk"
kvi_mark
kv_key Escape
kvi_end_within "$KV_PID" 20
kv_check "Escape tapped during the title screen ends it after the title (${KVI_MS} ms)" \
  test "$KV_RC" -eq 0

cat "$times"
kv_finish
