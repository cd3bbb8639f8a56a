#!/usr/bin/env bash
# The modes as the system starts them, from the package of `make dist` unpacked into an empty
# folder: full screen with frames and its settings written beside it, other starts giving way to
# it with code 0, a key ending it with 0; and a preview inside a host window, ended by the host.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

zip="$("$KORAVEN_SOURCE_DIR/scripts/make-dist.sh" "$KORAVEN_BIN/.." "$KV_WORK/dist" "$KORAVEN_VERSION")"
d="$KV_WORK/unpacked"
unzip -q "$zip" -d "$d"
kv_check "the package is named for the version" test "$(basename "$zip")" = "koraven-$KORAVEN_VERSION-win64.zip"
for f in koraven.scr newsprobe.exe koraven.x cube.x round.x readme.txt; do
  kv_check "the package holds $f" test -f "$d/$f"
done
kv_check "the package holds nothing else" test "$(ls "$d" | wc -l)" -eq 6
kv_check "the read-me starts with a UTF-8 byte-order mark" test "$(head -c 3 "$d/readme.txt" | od -An -tx1 | xargs)" = "ef bb bf"
kv_check "the read-me names the version" grep -q "KORAVEN $KORAVEN_VERSION " "$d/readme.txt"

kv_check "/s: full screen, frames changing" kv_fullscreen "$d"
first=$KV_PID
kv_check "/s: every setting written beside it" test "$(kv_key_count "$d/koraven.ini")" = "$KV_SETTING_COUNT"
ends_at_once() { kv_start "$@" && kv_wait_exit "$KV_PID" 15 && [ "$KV_RC" -eq 0 ]; }
kv_check "a second /s ends at once with 0" ends_at_once "$d" /s
kv_check "/c while it runs ends at once with 0" ends_at_once "$d" /c
kv_check "the first keeps running" kv_alive "$first"
kv_screenshot "$KV_SHOTS/unpacked.png"
kv_focus_desktop
kv_end "$first" "/s" key Escape
kv_check "'/p 99999' (no such host window) ends at once with 0" ends_at_once "$d" /p 99999

# The preview: the whole game shrunk into a 152 x 112 child of the host's area.
d=$(kv_saver preview TITLE=0)
dump="$d/frame.bmp"
KORAVEN_FRAME_DUMP="$(kv_winpath "$dump")" kv_tool_bg preview "$(kv_winpath "$d/koraven.scr")" 15
host=$KV_PID
coloured() {  # per mille of the pixels both lit (grey above 5 %) and coloured
  convert "$dump" "$KV_SHOTS/preview.png" 2>/dev/null &&
    convert \( "$KV_SHOTS/preview.png" -colorspace HSL -channel G -separate +channel -threshold 30% \) \
      \( "$KV_SHOTS/preview.png" -colorspace Gray -threshold 5% \) -compose Multiply -composite \
      -format '%[fx:int(mean*1000)]' info:
}
shows_colour() { [ "$(coloured)" -ge 1 ]; }
kv_check "preview: the shrunk game shows coloured blocks" kv_poll 15 shows_colour
kv_wait_exit "$host" 40
kv_check "preview: ends with 0 when the host closes (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "preview: its window was a child of the host's area" \
  test "$(kv_value "$KV_WORK/preview_host.txt" child)" = 1
kv_check "preview: its window was 152x112" test "$(kv_value "$KV_WORK/preview_host.txt" size)" = 152x112
kv_finish
