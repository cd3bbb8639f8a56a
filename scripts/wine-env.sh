#!/usr/bin/env bash
# The private Wine test bench: one Wine prefix and one Xvfb per folder.
#
#   scripts/wine-env.sh start DIR   prepares DIR/prefix (created on the first start, reused after),
#                                   starts a private Xvfb :N -screen 0 1024x768x24 on a free display
#                                   number and writes DIR/env, a file of `export` lines to source:
#                                     WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL LANG
#                                     DISPLAY WINE64 WINESERVER KV_XVFB_PID KV_ENV_DIR
#                                   Prints the display (":N") on success. Exit 0 on success.
#                                   KV_XVFB_SCREEN=WxHxD picks another screen (default
#                                   1024x768x24), e.g. 1024x768x16 for a 5-6-5 desktop.
#                                   With KV_USE_DISPLAY=:N in the environment no Xvfb is started
#                                   and DISPLAY becomes :N (`make run` on a real display).
#   scripts/wine-env.sh stop DIR    ends every Wine process of the prefix (wineserver -k) and the
#                                   Xvfb that `start` left, removes DIR/env. Safe to run more than
#                                   once, and when `start` failed or never ran.
#
# The prefix: Japanese locale (LC_ALL=ja_JP.UTF-8, ANSI code page 932), WINEDEBUG=-all, no install
# prompts (mscoree, mshtml off) and no sound drivers (winealsa, winepulse off), the font
# replacements (IPA fonts for the Windows face names) and a virtual desktop named
# "Virtual" of 1024x768 that tests/e2e/lib.sh turns on for one start when it asks for one. The
# dialog tests always run in a virtual desktop of their own, "Dialogs" (on the bare display, with
# no window manager, Wine waits two seconds for every window it hides; a desktop of another name
# keeps a closing one out of the next end-to-end test's way). A program that crashes ends (its
# backtrace on its standard error) instead of waiting behind Wine's crash dialog.
#
# A failing `start` stops what it started before it returns non-zero: nothing is left running.
set -euo pipefail

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
SCRIPT_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

usage() {
  echo "usage: $0 start|stop DIR" >&2
  exit 2
}

[ $# -eq 2 ] || usage
cmd="$1"
dir="$2"

wine_vars() {
  # The variables every Wine call of the bench runs with.
  export WINEPREFIX="$dir/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv="
  # bash itself may lack this locale and would warn on the assignment; Wine needs only the name.
  export LC_ALL=ja_JP.UTF-8 2>/dev/null
  export LANG=ja_JP.UTF-8 2>/dev/null
}

stop_env() {
  mkdir -p "$dir"
  dir="$(cd "$dir" && pwd)"
  wine_vars
  if [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    # wineserver -k asks; wait (bounded) until the server of this prefix is gone.
    for _ in $(seq 1 50); do
      "$WINESERVER" -k >/dev/null 2>&1 || break
      sleep 0.1
    done
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    local pid
    pid="$(cat "$dir/xvfb.pid")"
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/xvfb.pid"
  fi
  rm -f "$dir/env"
}

start_xvfb() {
  # Xvfb picks a free display number itself and writes it to the descriptor given by -displayfd.
  local fifo="$dir/xvfb.display"
  rm -f "$fifo"
  : >"$fifo"
  Xvfb -displayfd 3 -screen 0 "${KV_XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$fifo" \
    >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  local n=""
  for _ in $(seq 1 100); do
    n="$(tr -dc '0-9' <"$fifo")"
    [ -n "$n" ] && break
    kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$n" ]; then
    echo "wine-env: Xvfb did not start (see $dir/xvfb.log)" >&2
    return 1
  fi
  export DISPLAY=":$n"
  # Wait until the server answers.
  for _ in $(seq 1 100); do
    if xdpyinfo >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "wine-env: Xvfb on $DISPLAY does not answer" >&2
  return 1
}

write_reg() {
  # regedit reads the version 5 form as UTF-16LE with its byte-order mark.
  local out="$1"
  {
    printf '\xff\xfe'
    printf '%s\r\n' \
      'Windows Registry Editor Version 5.00' \
      '' \
      '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
      '"ＭＳ Ｐゴシック"="IPAPGothic"' \
      '"ＭＳＰ ゴシック"="IPAPGothic"' \
      '"標準ゴシック"="IPAGothic"' \
      '"標準明朝"="IPAMincho"' \
      '' \
      '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' \
      '"Virtual"="1024x768"' \
      '"Default"="1024x768"' \
      '"Dialogs"="1024x768"' \
      '' \
      '[HKEY_CURRENT_USER\Software\Wine\AppDefaults\wtest_dialogs.exe\Explorer]' \
      '"Desktop"="Dialogs"' \
      '' \
      '[HKEY_CURRENT_USER\Software\Wine\AppDefaults\wtest_news_try.exe\Explorer]' \
      '"Desktop"="Dialogs"' \
      '' \
      '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' \
      '"ShowCrashDialog"=dword:00000000' \
      '' | iconv -f UTF-8 -t UTF-16LE
  } >"$out"
}

# Bumped whenever the prefix's set-up changes, so an older prefix is made anew.
PREFIX_VERSION=5

make_prefix() {
  local stamp="$WINEPREFIX/.koraven-ready"
  [ "$(cat "$stamp" 2>/dev/null)" = "$PREFIX_VERSION" ] && return 0
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  timeout 240 "$WINE64" wineboot -i >"$dir/wineboot.log" 2>&1
  timeout 60 "$WINESERVER" -w
  write_reg "$dir/koraven.reg"
  timeout 60 "$WINE64" regedit /S "$(winepath_of "$dir/koraven.reg")" >>"$dir/wineboot.log" 2>&1
  timeout 60 "$WINESERVER" -w
  echo "$PREFIX_VERSION" >"$stamp"
}

winepath_of() {
  # Z: maps the Unix root in every new prefix.
  local p="$1"
  printf 'Z:%s' "${p//\//\\}"
}

start_env() {
  mkdir -p "$dir"
  dir="$(cd "$dir" && pwd)"
  stop_env
  trap 'stop_env; exit 1' ERR INT TERM
  wine_vars
  if [ -n "${KV_USE_DISPLAY:-}" ]; then
    export DISPLAY="$KV_USE_DISPLAY"
    : >"$dir/xvfb.pid"
  else
    start_xvfb
  fi
  make_prefix
  # A virtual desktop left on by an interrupted e2e run is turned off again.
  timeout 60 "$WINE64" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  {
    for v in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL LANG DISPLAY; do
      printf 'export %s=%q 2>/dev/null\n' "$v" "${!v}"
    done
    printf 'export WINE64=%q\n' "$WINE64"
    printf 'export WINESERVER=%q\n' "$WINESERVER"
    printf 'export KV_XVFB_PID=%q\n' "$(cat "$dir/xvfb.pid")"
    printf 'export KV_ENV_DIR=%q\n' "$dir"
    printf 'export KV_SCRIPTS=%q\n' "$SCRIPT_DIR"
  } >"$dir/env.tmp"
  mv "$dir/env.tmp" "$dir/env"
  trap - ERR INT TERM
  echo "$DISPLAY"
}

case "$cmd" in
  start) start_env ;;
  stop) stop_env ;;
  *) usage ;;
esac
