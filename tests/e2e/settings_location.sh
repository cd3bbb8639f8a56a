#!/usr/bin/env bash
# Where the settings live when the saver's folder cannot be written: a read-only program folder
# (with and without a file beside the program) sends them to <application data>\KORAVEN\koraven.ini,
# which starts from the file at the usual path and is read by later starts.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

copy="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/KORAVEN/koraven.ini"

# DIR's saver full screen from a fresh per-user folder (but with "keep"), closed from outside once
# its window is there: the settings are written before the window exists.
run_saver() {
  [ "${3:-}" = keep ] || rm -rf "$(dirname "$copy")"
  kv_start "$1" /s
  kv_end "$KV_PID" "$2" close
}

# 1. Read-only program folder, no settings file: a new per-user copy with the defaults.
d=$(kv_saver readonly)
kv_readonly "$d"
run_saver "$d" "read-only folder"
kv_check "read-only folder: the per-user copy holds every key" test "$(kv_key_count "$copy")" -eq "$KV_SETTING_COUNT"
kv_check "read-only folder: the copy holds the default R_SPEED" test "$(kv_value "$copy" R_SPEED)" = 3
kv_check "read-only folder: the copy holds the default WIDTH" test "$(kv_value "$copy" WIDTH)" = 10
kv_check "read-only folder: no settings file beside the program" test ! -e "$d/koraven.ini"

# 2. A later start reads the copy and keeps what it holds.
sed -i 's/^R_SPEED=3/R_SPEED=-9/' "$copy"
printf '[Mine]\r\nA=1\r\n' >>"$copy"
cp "$copy" "$KV_WORK/edited.ini"
run_saver "$d" "second start" keep
kv_check "second start: the copy is read and written back unchanged (R_SPEED=-9, [Mine])" \
  cmp "$copy" "$KV_WORK/edited.ini"

# 3 needs a file in a read-only folder: a read-only bind mount, where mounts are allowed.
[ -d "$d/koraven.ini" ] && { echo "SKIP: a file in a read-only folder (no mounts here)"; kv_finish; exit; }

# 3. Read-only program folder with an administrator's file: the copy starts from it.
d=$(kv_saver admin)
{ printf '[Before]\r\nX=1\r\n'; sed -e 's/^WIDTH=10/WIDTH=7/' "$KV_WORK/edited.ini"; } >"$KV_WORK/admin.ini"
cp "$KV_WORK/admin.ini" "$d/koraven.ini"
kv_readonly "$d"
run_saver "$d" "administrator's file"
kv_check "administrator's file: the copy has its content and order, byte for byte" \
  cmp "$copy" "$KV_WORK/admin.ini"
kv_check "administrator's file: left as it was" cmp "$d/koraven.ini" "$KV_WORK/admin.ini"

rm -rf "$(dirname "$copy")"
kv_finish
