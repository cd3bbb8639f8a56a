#!/usr/bin/env bash
# End to end: where the settings live when the saver's folder cannot be written. A read-only
# program folder (with and without a file beside the program) and a read-only Windows folder with
# a mixed-case program name (the bare "koraven.ini") send the settings to the per-user copy
# <application data>\KORAVEN\koraven.ini, which starts from the file at the derived path and is
# read by later starts.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

user_folder="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/KORAVEN"
copy="$user_folder/koraven.ini"
windows="$WINEPREFIX/drive_c/windows"

keys_in() { grep -ao '^[A-Z0-9_]*=' "$1" | tr -d '=' | tr '\n' ' ' | sed 's/ $//'; }
value_of() { grep -a "^$2=" "$1" | head -n 1 | cut -d= -f2- | tr -d '\r'; }
order="R_SPEED D_SPEED MAYOI SUKIMA RESOLUTION MOUSESENSE TITLE FIXCOLOR SHOW_INFO SHOW_FPS SHOW_TIME SHOW_DATE SHOW_MSG SHOW_NEWS1 SHOW_NEWS2 BLOCKFILE WIDTH HEIGHT COLOR1 COLOR2 COLOR3 COLOR4 COLOR5 COLOR6 COLOR7 TEXT NI1_HTML NI1_FILE NI1_IGNORE NI1_TAG NI1_REJECT NI1_UPDATE NI2_HTML NI2_FILE NI2_IGNORE NI2_TAG NI2_REJECT NI2_UPDATE"

# One full-screen start of DIR/PROG, ended from outside; the settings are written before the
# window exists, so they are final once it has ended.
run_saver() {
  local dir="$1" prog="$2" what="$3"
  kv_start --prog "$prog" "$dir" /s
  local pid=$KV_PID
  kv_check "$what: the window appears" kv_wait_window KORAVEN 30
  kv_check "$what: the close helper finds it" kv_run_helper post_close.exe DEFAULT KORAVEN 10000
  kv_wait_exit "$pid" 30
  kv_check "$what: ends with code 0 (got $KV_RC)" test "$KV_RC" -eq 0
}

# ---- 1. read-only program folder, no settings file: a new per-user copy with the defaults ------
rm -rf "$user_folder"
empty=$(kv_folder readonly-empty)
kv_install "$empty"
kv_readonly "$empty"
run_saver "$empty" koraven.scr "read-only folder"
kv_check "read-only folder: the per-user copy holds the 38 keys in order" \
  test "$(keys_in "$copy")" = "$order"
kv_check "read-only folder: with the defaults (R_SPEED=3 WIDTH=10)" \
  test "$(value_of "$copy" R_SPEED) $(value_of "$copy" WIDTH)" = "3 10"
kv_check "read-only folder: nothing beside the program" test ! -e "$empty/koraven.ini"

# ---- 2. a later start reads the copy and keeps what it holds ----------------------------------
sed -i 's/^R_SPEED=3/R_SPEED=-9/' "$copy"
printf '[Mine]\r\nA=1\r\n' >>"$copy"
cp "$copy" "$KV_WORK/edited.ini"
run_saver "$empty" koraven.scr "second start"
kv_check "second start: the copy is read and written back unchanged (R_SPEED=-9, [Mine])" \
  cmp -s "$copy" "$KV_WORK/edited.ini"

# Cases 3 and 4 need a file in a read-only folder: a read-only bind mount. Where mounts are not
# allowed, kv_readonly can only turn koraven.ini into a folder, and they are skipped.
probe=$(kv_folder probe)
kv_readonly "$probe"
if [ -d "$probe/koraven.ini" ]; then
  echo "SKIP: an administrator's file in a read-only folder (no read-only mounts here)"
  rm -rf "$user_folder"
  kv_finish
  exit
fi

# ---- 3. read-only program folder with an administrator's file: the copy starts from it ----------
admin=$(kv_folder readonly-admin)
kv_install "$admin"
sed -e 's/^WIDTH=10/WIDTH=7/' -e 's/^COLOR1=.*/COLOR1=123456\r/' "$KV_WORK/edited.ini" >"$admin/koraven.ini"
printf '[Before]\r\nX=1\r\n' | cat - "$admin/koraven.ini" >"$KV_WORK/admin.ini"
cp "$KV_WORK/admin.ini" "$admin/koraven.ini"
kv_readonly "$admin"
rm -rf "$user_folder"
run_saver "$admin" koraven.scr "administrator's file"
kv_check "administrator's file: the copy has its content and order, byte for byte" \
  cmp -s "$copy" "$KV_WORK/admin.ini"
kv_check "administrator's file: its values are the ones in use (WIDTH=7 COLOR1=123456)" \
  test "$(value_of "$copy" WIDTH) $(value_of "$copy" COLOR1)" = "7 123456"
kv_check "administrator's file: left as it was" cmp -s "$admin/koraven.ini" "$KV_WORK/admin.ini"

# ---- 4. read-only Windows folder, program named Koraven.scr (the bare "koraven.ini") -----------
# The Windows folder is the prefix's; what an earlier test left there comes back afterwards.
saved=""
if [ -f "$windows/koraven.ini" ]; then
  saved="$KV_WORK/windows-koraven.ini"
  cp "$windows/koraven.ini" "$saved"
fi
sed 's/^HEIGHT=20/HEIGHT=12/' "$KV_WORK/edited.ini" >"$KV_WORK/windows.ini"
cp "$KV_WORK/windows.ini" "$windows/koraven.ini"
rm -rf "$user_folder"
mixed=$(kv_folder mixed-case)
kv_install "$mixed" Koraven.scr
kv_readonly "$windows"
run_saver "$mixed" Koraven.scr "read-only Windows folder"
kv_check "read-only Windows folder: the copy starts from the Windows folder's file" \
  cmp -s "$copy" "$KV_WORK/windows.ini"
kv_check "read-only Windows folder: nothing beside the program" test ! -e "$mixed/koraven.ini"
umount "$windows" 2>/dev/null || umount -l "$windows"
KV_MOUNTS=("${KV_MOUNTS[@]/$windows/}")
if [ -n "$saved" ]; then cp "$saved" "$windows/koraven.ini"; else rm -f "$windows/koraven.ini"; fi
rm -rf "$user_folder"

kv_finish
