#!/usr/bin/env bash
# End to end, the package of `make dist`: built by the same script, unpacked into an empty folder,
# the saver started from there full screen; it runs and ends on a key with code 0.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
kv_init

zip_file="$("$KORAVEN_SOURCE_DIR/scripts/make-dist.sh" "$KORAVEN_BIN/.." "$KV_WORK/dist" 1.7)"
kv_check "make-dist writes koraven-1.7-win64.zip" test "$(basename "$zip_file")" = koraven-1.7-win64.zip
d="$(kv_folder unpacked)"
unzip -q "$zip_file" -d "$d"
names="$(cd "$d" && ls | tr '\n' ' ')"
kv_check "it holds the program, the shapes and the read-me, nothing else ($names)" \
  test "$names" = "cube.x koraven.scr koraven.x readme.txt round.x "
kv_check "the read-me is Japanese and English, UTF-8 with a byte-order mark" \
  bash -c "head -c 3 '$d/readme.txt' | od -An -tx1 | grep -q 'ef bb bf' && grep -q 'インストール' '$d/readme.txt' && grep -q 'Installing' '$d/readme.txt'"

kv_fullscreen "$d"
kv_check "the unpacked saver runs full screen, frames changing" kv_alive "$KV_PID"
kv_check "it writes its settings beside itself" test -f "$d/koraven.ini"
kv_screenshot "$KV_SHOTS/unpacked.png"
kv_mark
kv_key Escape
kv_end_within "$KV_PID" 20
kv_check "a key ends it with code 0 (got $KV_RC)" test "$KV_RC" -eq 0

kv_finish
