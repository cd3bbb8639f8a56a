#!/usr/bin/env bash
# koraven.scr under Wine started as the system starts it: full screen (its settings file, the
# single instance), configure, preview inside a host window, and with a read-only folder and
# another program name.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

keys="R_SPEED D_SPEED MAYOI SUKIMA RESOLUTION MOUSESENSE TITLE FIXCOLOR SHOW_INFO SHOW_FPS SHOW_TIME
SHOW_DATE SHOW_MSG SHOW_NEWS1 SHOW_NEWS2 BLOCKFILE WIDTH HEIGHT COLOR1 COLOR2 COLOR3 COLOR4 COLOR5
COLOR6 COLOR7 TEXT NI1_HTML NI1_FILE NI1_IGNORE NI1_TAG NI1_REJECT NI1_UPDATE NI2_HTML NI2_FILE
NI2_IGNORE NI2_TAG NI2_REJECT NI2_UPDATE"
keys_in() { grep -o '^[A-Z0-9_]*=' "$1" | tr -d '=' | tr '\n' ' ' | sed 's/ $//'; }
values() { local f="$1" k; shift; for k in "$@"; do grep -a "^$k=" "$f" | head -n 1 | cut -d= -f2- | tr -d '\r'; done | xargs; }
ini_complete() { [ "$(keys_in "$1" | wc -w)" -eq 38 ]; }
ends_at_once() { kv_start "$@"; kv_wait_exit "$KV_PID" 15 && [ "$KV_RC" -eq 0 ]; }

# 1. /s in an empty folder: the settings file is written; other starts give way to the running one.
d=$(kv_saver fullscreen)
rm "$d/koraven.ini"
kv_start "$d" /s
first=$KV_PID
kv_check "/s: its window appears" kv_poll 30 kv_window KORAVEN
kv_check "/s: koraven.ini is written beside the program" kv_poll 10 ini_complete "$d/koraven.ini"
kv_check "/s: [Config] first, the 38 keys in order" \
  test "$(head -n 1 "$d/koraven.ini" | tr -d '\r') $(keys_in "$d/koraven.ini")" = "[Config] $(echo $keys)"
kv_check "/s: defaults (R_SPEED COLOR1 NI2_UPDATE)" \
  test "$(values "$d/koraven.ini" R_SPEED COLOR1 NI2_UPDATE)" = "3 f7f773 700"
kv_check "a second /s ends at once with 0" ends_at_once "$d" /s
kv_check "/c while one runs ends at once with 0" ends_at_once "$d" /c
kv_check "the first keeps running" kv_alive "$first"
kv_close "$first" "/s"
# A preview without its host window ends at once (configure mode: tests/e2e/config_dialog.sh).
kv_check "'/p 99999' ends at once with 0" ends_at_once "$d" /p 99999

# 2. Preview: a 152 x 112 child of the host's area, the whole game shrunk into it.
d=$(kv_saver preview)
log="$d/frames.txt"
dump="$d/frame.bmp"
KORAVEN_FRAME_LOG="$(kv_winpath "$log")" KORAVEN_FRAME_DUMP="$(kv_winpath "$dump")" \
  kv_start_helper preview_host.exe "$(kv_winpath "$d/koraven.scr")" 15
host=$KV_PID
blocks_in_dump() {
  convert "$dump" "$KV_WORK/dump.png" 2>/dev/null &&
    [ "$(kv_lit "$KV_WORK/dump.png")" -ge 2 ] && [ "$(kv_coloured "$KV_WORK/dump.png")" -ge 1 ]
}
kv_check "preview: the shrunk game shows coloured blocks" kv_poll 15 blocks_in_dump
cp "$KV_WORK/dump.png" "$KV_SHOTS/preview-152x112.png" 2>/dev/null
kv_check "preview: copied from {0, 0, 152, 112} of a 640 x 480 display" \
  test "$(values "$log" source) $(values "$log" mode | cut -dx -f1,2)" = "0,0,152,112 640x480"
read -r dl dt dr db < <(values "$log" dest | tr , ' ')
kv_check "preview: to 152 x 112 at the host area's screen position" \
  test "$((dr - dl))x$((db - dt))" = 152x112 -a "$dl" -gt 0 -a "$dt" -gt 0
kv_wait_exit "$host" 40
kv_check "preview: ends with 0 when the host closes (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "preview: its window was a 152x112 child of the host's area" \
  test "$(grep -E '^(child|size)=' "$KV_WORK/preview_host.txt" | tr -d '\r' | xargs)" = "child=1 size=152x112"

# 3. Input it must survive: a read-only folder, another program name.
d=$(kv_saver readonly)
rm "$d/koraven.ini"
kv_readonly "$d"
kv_start "$d" /s
kv_check "read-only folder: it runs" kv_poll 30 kv_window KORAVEN
kv_check "read-only folder: no settings file" test ! -f "$d/koraven.ini"
kv_close "$KV_PID" "read-only folder"

# (Garbage settings and a long command line: tests/e2e/hostile_input.sh.)
d=$(kv_saver othername)
rm "$d/koraven.ini"
mv "$d/koraven.scr" "$d/Koraven.scr"
kv_start --prog Koraven.scr "$d" /s
kv_check "Koraven.scr: it runs" kv_poll 30 kv_window KORAVEN
kv_check "Koraven.scr: the bare settings name is used, none beside it" test ! -e "$d/koraven.ini"
kv_close "$KV_PID" "Koraven.scr"

kv_finish
