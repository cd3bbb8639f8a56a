#!/usr/bin/env bash
# End to end, configure mode (issue 11): koraven.scr /c, an empty command line and /c:1234 show the
# Japanese configuration dialog inside Wine's virtual desktop; Return (OK) writes koraven.ini and
# Escape writes nothing, and either way the process ends with 0; the news dialog opens from it;
# a second instance started while the dialog is open ends at once; Japanese reads and survives
# under code page 932 and under 1252. Screenshots of both dialogs on both code pages.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

out="$KV_WORK/dialog.txt"
config_title="KORAVENの設定 (v1.7)"
news_title="ニュースの取得"

# The configuration (config_dialog) or news dialog's (news_dialog) caption and texts into $out
# (UTF-8) once it is the foreground window, then an optional action on it: WAIT_MS [ACTION...].
config_dialog() { kv_run_helper read_dialog.exe "$(kv_winpath "$out")" "$1" 1016 "${@:2}"; }
news_dialog() { kv_run_helper read_dialog.exe "$(kv_winpath "$out")" "$1" 1040 "${@:2}"; }
caption() { head -n 1 "$out" | tr -d '\r'; }
value_of() { grep -a "^$2=" "$1" | head -n 1 | cut -d= -f2- | tr -d '\r'; }
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# Keys reach the dialog that $out describes (read_dialog has waited until it is Wine's foreground
# window) with the pointer over it: on a display without a window manager the X server gives keys
# to the window under the pointer, and over the bare desktop they would go to the desktop itself.
keys() {
  local x y w h desk
  read -r x y w h < <(grep '^rect=' "$out" | tr -d '\r' | cut -d= -f2)
  kv_mousemove $((x + w / 2)) $((y + h / 2))
  desk="$(xdotool search --name '^Virtual - Wine desktop$' 2>/dev/null | head -n 1)"
  [ -n "$desk" ] && kv_focus "$desk"
  kv_key "$@"
}

# A screenshot cropped to the dialog that $out describes.
shot() {
  local x y w h
  read -r x y w h < <(grep '^rect=' "$out" | tr -d '\r' | cut -d= -f2)
  kv_screenshot "$KV_SHOTS/$1-full.png"
  convert "$KV_SHOTS/$1-full.png" -crop "${w}x${h}+${x}+${y}" +repage "$KV_SHOTS/$1.png"
}

# Starts configure mode with ARGS (under the locale in KV_LC when set) and waits for the dialog.
start_dialog() {
  local what="$1"
  shift
  if [ -n "${KV_LC:-}" ]; then
    # (bash itself may lack the locale and warns; Wine needs only its name.)
    LC_ALL="$KV_LC" LANG="$KV_LC" kv_start --desktop "$d" "$@"
  else
    kv_start --desktop "$d" "$@"
  fi
  pid=$KV_PID
  kv_check "$what: the dialog appears" config_dialog 30000
  kv_check "$what: titled \"$config_title\" (got \"$(caption)\")" test "$(caption)" = "$config_title"
}

end_with() {
  local what="$1" key="$2"
  keys "$key"
  kv_wait_exit "$pid" 30
  kv_check "$what: $key ends the process with code 0 (got $KV_RC)" test "$KV_RC" -eq 0
  # A saver left running would answer for the next start, which then ends as a second instance.
  kv_alive "$pid" && kv_kill "$pid"
  return 0
}

d=$(kv_folder config)
kv_install "$d"

# ---- 1. /c, code page 932: the dialog, second instances, the news dialog, Return --------------
start_dialog "/c" /c
kv_check "/c: labels in Japanese" grep -q '^マウスの移動でも終了する' "$out"
kv_check "/c: the block files beside the program are offered (combo shows koraven.x)" grep -qx 'koraven.x' <(tr -d '\r' <"$out")
shot config-cp932
kv_start "$d" /s
kv_wait_exit "$KV_PID" 15
kv_check "/s while the dialog is open: exits at once with 0 (got $KV_RC)" test "$KV_RC" -eq 0
kv_check "the dialog's process keeps running" kv_alive "$pid"
config_dialog 5000 click 1035
kv_check "button 1035 opens the news dialog" news_dialog 10000
kv_check "news dialog titled \"$news_title\" (got \"$(caption)\")" test "$(caption)" = "$news_title"
kv_check "news dialog shows NI1_HTML" grep -qx 'news1.example' <(tr -d '\r' <"$out")
shot news-cp932
keys Escape
kv_check "Escape closes only the news dialog" config_dialog 10000 text 1032 "typed in e2e"
end_with "/c" Return
kv_check "/c: OK wrote the message into koraven.ini" test "$(value_of "$d/koraven.ini" TEXT)" = "typed in e2e"

# ---- 2. Escape writes nothing; the empty command line and /c:1234 show the same dialog ----------
start_dialog "/c:1234" /c:1234
before="$(md5sum <"$d/koraven.ini")"
config_dialog 5000 text 1032 "not to be saved"
end_with "/c:1234" Escape
kv_check "/c:1234: Escape left koraven.ini byte for byte" test "$(md5sum <"$d/koraven.ini")" = "$before"

start_dialog "empty command line"
config_dialog 5000 text 1032 "saved again"
end_with "empty command line" Return
kv_check "empty command line: OK wrote koraven.ini" test "$(value_of "$d/koraven.ini" TEXT)" = "saved again"

# ---- 3. code page 1252: Japanese still reads, and survives OK byte for byte ---------------------
{
  printf '[Config]\r\nTEXT='
  sjis "伝言①∵テスト"
  printf '\r\nBLOCKFILE='
  sjis "ブロック表示.x"
  printf '\r\n'
} >"$d/koraven.ini"
KV_LC=en_US.UTF-8 start_dialog "code page 1252" /c
kv_check "code page 1252: the labels read in Japanese" grep -q '^マウスの移動でも終了する' "$out"
kv_check "code page 1252: the message reads in Japanese" grep -qx '伝言①∵テスト' <(tr -d '\r' <"$out")
shot config-cp1252
config_dialog 5000 click 1035
news_dialog 10000
kv_check "code page 1252: news dialog titled \"$news_title\"" test "$(caption)" = "$news_title"
shot news-cp1252
keys Escape
kv_check "code page 1252: Escape closes only the news dialog" config_dialog 10000
end_with "code page 1252" Return
kv_check "code page 1252: TEXT kept as Shift-JIS byte for byte" \
  test "$(value_of "$d/koraven.ini" TEXT)" = "$(sjis "伝言①∵テスト")"
kv_check "code page 1252: BLOCKFILE kept as Shift-JIS byte for byte" \
  test "$(value_of "$d/koraven.ini" BLOCKFILE)" = "$(sjis "ブロック表示.x")"

kv_finish
