#!/usr/bin/env bash
# Where the settings live when the saver's folder cannot be written: a read-only program folder
# (with and without a file beside the program) and a read-only Windows folder with a mixed-case
# program name (the bare "koraven.ini") send them to <application data>\KORAVEN\koraven.ini, which
# starts from the file at the usual path and is read by later starts.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

copy="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/KORAVEN/koraven.ini"
windows="$WINEPREFIX/drive_c/windows"

# DIR/PROG full screen from a fresh per-user folder (but with "keep"), closed from outside once
# its window is there: the settings are written before the window exists.
run_saver() {
  [ "${4:-}" = keep ] || rm -rf "$(dirname "$copy")"
  kv_start --prog "$2" "$1" /s
  kv_end "$KV_PID" "$3" close
}

# 1. Read-only program folder, no settings file: a new per-user copy with the defaults.
d=$(kv_saver readonly)
kv_readonly "$d"
run_saver "$d" koraven.scr "read-only folder"
kv_check "read-only folder: the per-user copy holds the 39 keys, the defaults (R_SPEED=3 WIDTH=10), none beside the program" \
  test "$(grep -c '^[A-Z0-9_]*=' "$copy") $(kv_value "$copy" R_SPEED) $(kv_value "$copy" WIDTH) $(ls "$d" | xargs)" = "39 3 10 cube.x koraven.scr koraven.x round.x"

# 2. A later start reads the copy and keeps what it holds.
sed -i 's/^R_SPEED=3/R_SPEED=-9/' "$copy"
printf '[Mine]\r\nA=1\r\n' >>"$copy"
cp "$copy" "$KV_WORK/edited.ini"
run_saver "$d" koraven.scr "second start" keep
kv_check "second start: the copy is read and written back unchanged (R_SPEED=-9, [Mine])" \
  cmp "$copy" "$KV_WORK/edited.ini"

# 3 and 4 need a file in a read-only folder: a read-only bind mount, where mounts are allowed.
[ -d "$d/koraven.ini" ] && { echo "SKIP: a file in a read-only folder (no mounts here)"; kv_finish; exit; }

# 3. Read-only program folder with an administrator's file: the copy starts from it.
d=$(kv_saver admin)
{ printf '[Before]\r\nX=1\r\n'; sed -e 's/^WIDTH=10/WIDTH=7/' "$KV_WORK/edited.ini"; } >"$KV_WORK/admin.ini"
cp "$KV_WORK/admin.ini" "$d/koraven.ini"
kv_readonly "$d"
run_saver "$d" koraven.scr "administrator's file"
kv_check "administrator's file: the copy has its content and order, byte for byte" \
  cmp "$copy" "$KV_WORK/admin.ini"
kv_check "administrator's file: left as it was" cmp "$d/koraven.ini" "$KV_WORK/admin.ini"

# 4. Read-only Windows folder, Koraven.scr: its file there is where the copy starts from. What an
# earlier test left in the prefix's Windows folder comes back afterwards.
saved="$KV_WORK/windows-koraven.ini"
cp "$windows/koraven.ini" "$saved" 2>/dev/null || saved=""
sed 's/^HEIGHT=20/HEIGHT=12/' "$KV_WORK/edited.ini" >"$windows/koraven.ini"
cp "$windows/koraven.ini" "$KV_WORK/windows.ini"
d=$(kv_saver mixed-case)
mv "$d/koraven.scr" "$d/Koraven.scr"
kv_readonly "$windows"
run_saver "$d" Koraven.scr "read-only Windows folder"
kv_check "read-only Windows folder: the copy starts from its file, none beside the program" \
  eval "cmp '$copy' '$KV_WORK/windows.ini' && [ ! -e '$d/koraven.ini' ]"
umount "$windows" 2>/dev/null || umount -l "$windows"
KV_MOUNTS=("${KV_MOUNTS[@]/$windows/}")
if [ -n "$saved" ]; then cp "$saved" "$windows/koraven.ini"; else rm -f "$windows/koraven.ini"; fi
rm -rf "$(dirname "$copy")"
kv_finish
