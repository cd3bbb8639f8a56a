#!/usr/bin/env bash
# Configure mode in a real process (the dialogs' own rules, Cancel writing nothing among them:
# tests/win32/dialogs_test.cpp; an empty command line meaning /c: tests/shell/command_line_test.cpp):
# /c shows the Japanese dialog; a full-screen start meanwhile ends at once; the news dialog opens
# from it and Escape closes only that one; Return (OK) writes koraven.ini and ends the process
# with 0.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

out="$KV_WORK/dialog.txt"
config_dialog=$(kv_id IDC_BLOCKFILE)  # a control only the configuration dialog has
news_dialog=$(kv_id IDC_NI1_HTML)     # one only the news dialog has
news_button=$(kv_id IDC_NEWS_SETTINGS)
message_field=$(kv_id IDC_TEXT)
# The dialog with that control in front, into $out; then ACTION.
dialog() { kv_tool dialog "$(kv_winpath "$out")" 30000 "$@"; }
caption_is() { dialog "$1" && [ "$(head -n 1 "$out" | tr -d '\r')" = "$2" ]; }
# Keys reach the dialog in $out with the pointer over it: without a window manager the X server
# gives keys to the window under the pointer.
keys() {
  local x y w h
  read -r x y w h < <(sed -n 's/^rect=//p' "$out" | tr -d '\r')
  xdotool mousemove $((x + w / 2)) $((y + h / 2))
  kv_focus_desktop
  xdotool key --delay 50 "$@"
}
ends_with_0() { kv_wait_exit "$1" 30 && [ "$KV_RC" -eq 0 ]; }

d=$(kv_saver config TEXT=before)
kv_start --desktop "$d" /c
pid=$KV_PID
kv_check "/c: the dialog KORAVENの設定 (v1.7) appears" caption_is "$config_dialog" "KORAVENの設定 (v1.7)"
kv_screenshot "$KV_SHOTS/config.png"
kv_start "$d" /s
kv_check "/s while it is open ends at once with 0" ends_with_0 "$KV_PID"
kv_check "the dialog's process keeps running" kv_alive "$pid"
dialog "$config_dialog" click "$news_button"
kv_check "its news button opens the news dialog ニュースの取得" caption_is "$news_dialog" "ニュースの取得"
keys Escape
kv_check "Escape closes only the news dialog" dialog "$config_dialog" text "$message_field" "typed in e2e"
keys Return
kv_check "Return ends the process with 0" ends_with_0 "$pid"
kv_check "and wrote the message into koraven.ini" test "$(kv_value "$d/koraven.ini" TEXT)" = "typed in e2e"

kv_finish
