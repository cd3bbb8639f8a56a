#!/usr/bin/env bash
# `make run`: koraven.scr under Wine in Japanese locale, inside Wine's virtual desktop (1024x768,
# where full-screen display modes work).
#
#   scripts/run-saver.sh BUILD_DIR [ARGS [INI]]     (make run ARGS=/c INI=my.ini)
#
#   BUILD_DIR  the Windows build, e.g. build/win
#   ARGS       the mode, as the screen-saver host passes it: /s full screen (default), /c the
#              configuration dialog, /p a preview, drawn into a 320x240 stand-in for the host's
#              preview window (kvtool preview, tests/helpers/kvtool.cpp)
#   INI        a settings file to run with: copied beside the saver before the start; after a /c
#              run the dialog's result is copied back to it
#
# With NEWS=1 in the environment (make run NEWS=1) a local news server (scripts/news_server.py)
# runs on 127.0.0.1 and a free port for the run, and the run's settings get both news sources
# pointed at it (a fresh page every 30 s) and both news lines on; the settings file given with
# INI itself is left as it is (a /c run with NEWS=1 is not copied back). docs/demo.ini is the
# settings file of the README's recording (docs/koraven.gif):
#   make run INI=docs/demo.ini NEWS=1 FPS=3 GIF_WIDTH=360 GIF_COLORS=32
#
# With $DISPLAY set, the virtual desktop is a window on that display and the saver runs until it
# ends itself (a key, the mouse, the dialog's buttons, closing the preview host); the script
# returns its exit code. Without $DISPLAY, everything runs on a private Xvfb: the desktop is
# recorded for RUN_SECONDS (default 20) at FPS (default 5) pictures a second, then the saver is
# ended as the system would end it (WM_CLOSE; Escape for the dialog) and everything is stopped.
# The recording becomes out/NAME.gif (GIF_WIDTH pixels wide, default 512, GIF_COLORS colours,
# default 64) and four PNG pictures at full size, out/NAME-1.png to out/NAME-4.png, taken evenly
# over the run; NAME is koraven, koraven-config or koraven-preview after the mode. The bench (prefix, Xvfb) is
# scripts/wine-env.sh's, in BUILD_DIR/run; the saver runs from BUILD_DIR/run/saver, where its
# koraven.ini is written. Full screen runs through GDI (USEGDI=1) unless that file sets USEGDI,
# and Wine's Direct3D command thread is off for koraven.scr (the light way under Wine).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/win}" && pwd)"
args="${2:-/s}"
ini="${3:-}"
bin="$build/bin"
bench="$build/run"
saver="$bench/saver"
out="$root/out"
run_seconds="${RUN_SECONDS:-20}"
fps="${FPS:-5}"
gif_width="${GIF_WIDTH:-512}"
gif_colors="${GIF_COLORS:-64}"

if [ ! -f "$bin/koraven.scr" ]; then
  echo "run-saver: $bin/koraven.scr is missing: build first (make win)" >&2
  exit 1
fi
if [ -n "$ini" ]; then
  [ -f "$ini" ] || { echo "run-saver: no settings file $ini" >&2; exit 1; }
  ini="$(cd "$(dirname "$ini")" && pwd)/$(basename "$ini")"
fi

# The mode from the second character, as the saver reads it.
case "${args:1:1}" in
  c | C) mode=config name=koraven-config ;;
  p | P) mode=preview name=koraven-preview ;;
  *) mode=fullscreen name=koraven ;;
esac

mkdir -p "$saver"
cp "$bin/koraven.scr" "$saver/"
for x in "$bin"/*.x; do
  [ -e "$x" ] && cp "$x" "$saver/"
done
if [ -n "$ini" ]; then cp "$ini" "$saver/koraven.ini"; fi

news_pid=""
cleanup() {
  [ -n "$news_pid" ] && kill "$news_pid" 2>/dev/null || true
  if [ -n "${WINE64:-}" ]; then
    "$WINE64" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  fi
  "$here/wine-env.sh" stop "$bench" >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The bench's env file sets DISPLAY (its own Xvfb's when there was none).
shown_on="${DISPLAY:-}"
if [ -n "$shown_on" ]; then
  KV_USE_DISPLAY="$DISPLAY" "$here/wine-env.sh" start "$bench" >/dev/null
else
  display="$("$here/wine-env.sh" start "$bench")"
fi
# shellcheck disable=SC1091
source "$bench/env"
"$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Virtual /f >/dev/null 2>&1

# Sets KEY=VALUE lines in the [Config] section of a settings file (Shift-JIS bytes pass through
# untouched): the keys' old lines there go, the new ones follow the section's header.
set_config() {
  local file="$1"
  shift
  [ -f "$file" ] || : >"$file"
  local keys=" " kv
  for kv in "$@"; do keys+="${kv%%=*} "; done
  env NEW="$(printf '%s\r\n' "$@")" KEYS="$keys" LC_ALL=C awk '
    BEGIN { n = split(ENVIRON["NEW"], add, "\n") }
    function put() { for (i = 1; i <= n; i++) if (add[i] != "") print add[i] }
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[/ { section = tolower(line) }
    section == "[config]" && index(ENVIRON["KEYS"], " " substr(line, 1, index(line, "=") - 1) " ") &&
      index(line, "=") > 1 { next }
    { print }
    line ~ /^\[[Cc][Oo][Nn][Ff][Ii][Gg]\]$/ && !done { put(); done = 1 }
    END { if (!done) { print "[Config]\r"; put() } }
  ' "$file" >"$file.new"
  mv "$file.new" "$file"
}

# The light way to run under Wine (README, "Present paths under Wine"): full screen through GDI
# unless the settings file says otherwise, and, for a DirectDraw run, Wine's Direct3D command
# thread off for this program alone.
"$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\koraven.scr\Direct3D' /v csmt /t REG_DWORD /d 0 /f \
  >/dev/null 2>&1
if [ "$mode" = fullscreen ] && ! grep -aq '^USEGDI=' "$saver/koraven.ini" 2>/dev/null; then
  set_config "$saver/koraven.ini" USEGDI=1
fi

if [ "${NEWS:-}" = 1 ]; then
  rm -f "$bench/news.port"
  python3 "$root/scripts/news_server.py" "$bench/news.port" "$bench/news.log" \
    >"$bench/news-server.log" 2>&1 &
  news_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$bench/news.port" ] && break
    sleep 0.1
  done
  [ -s "$bench/news.port" ] || { echo "run-saver: the news server did not start" >&2; exit 1; }
  news_host="127.0.0.1:$(cat "$bench/news.port")"
  set_config "$saver/koraven.ini" SHOW_NEWS1=1 SHOW_NEWS2=1 \
    "NI1_HTML=$news_host" "NI1_FILE=http://news.test/live?s=1" "NI1_IGNORE=<!-- S -->" \
    "NI1_TAG=/n?a=" "NI1_REJECT=]]" NI1_UPDATE=30 \
    "NI2_HTML=$news_host" "NI2_FILE=http://news.test/live?s=2" "NI2_IGNORE=<!-- S -->" \
    "NI2_TAG=/n?a=" "NI2_REJECT=]]" NI2_UPDATE=30
  echo "run-saver: news from a local server on $news_host"
fi

winpath() { printf 'Z:%s' "${1//\//\\}"; }
dump="$bench/preview.bmp"
frame_log="$bench/preview.txt"

# One picture of the desktop into $1; in preview the saver's last frame dump is laid over it where
# the saver presents.
take_picture() {
  import -screen -window "$desk" "$1" 2>/dev/null || return 1
  [ "$mode" = preview ] || return 0
  local dest
  dest="$(sed -n 's/^dest=//p' "$frame_log" 2>/dev/null | tr -d '\r')"
  [ -n "$dest" ] && cp "$dump" "$bench/dump.bmp" 2>/dev/null || return 0
  IFS=, read -r l t _ _ <<<"$dest"
  convert "$1" "$bench/dump.bmp" -geometry "+$l+$t" -composite "$1" 2>/dev/null || true
}

# Starts the saver in the mode asked for, in the background; pid := its process (or the host's).
start_saver() {
  local seconds="$1"
  if [ "$mode" = preview ]; then
    # Wine does not put a child window of another process on the X screen: the saver's own
    # frame dump (a BMP every 30 frames) and frame log (where it presents) show the preview.
    rm -f "$dump" "$frame_log"
    (cd "$bench" && KORAVEN_FRAME_DUMP="$(winpath "$dump")" KORAVEN_FRAME_LOG="$(winpath "$frame_log")" \
      exec "$WINE64" "$bin/kvtool.exe" preview "$(winpath "$saver/koraven.scr")" "$seconds" 320 240) \
      >"$bench/saver.log" 2>&1 &
  else
    # shellcheck disable=SC2086
    (cd "$saver" && exec "$WINE64" "$saver/koraven.scr" $args) >"$bench/saver.log" 2>&1 &
  fi
  pid=$!
}

finish() {
  local rc="$1"
  if [ "$mode" = config ] && [ -n "$ini" ] && [ -f "$saver/koraven.ini" ] && [ "${NEWS:-}" != 1 ]; then
    cp "$saver/koraven.ini" "$ini"
    echo "run-saver: settings written back to $ini"
  fi
  echo "run-saver: koraven.scr ended with code $rc"
  exit "$rc"
}

if [ -n "$shown_on" ]; then
  echo "run-saver: koraven.scr $args in a window on $DISPLAY (a key or the mouse ends it)"
  start_saver 0
  set +e
  wait "$pid"
  rc=$?
  set -e
  finish "$rc"
fi

echo "run-saver: no DISPLAY; koraven.scr $args on a private Xvfb $display, recorded for ${run_seconds}s"
frames="$bench/frames"
rm -rf "$frames"
mkdir -p "$frames" "$out"
rm -f "$out/$name.gif" "$out/$name"-[0-9].png
start_saver $((run_seconds + 10))

# The desktop's window, once the saver's own window is there (the dialog's comes with the desktop).
want='^KORAVEN$'
[ "$mode" = preview ] && want='^KORAVEN preview host$'
[ "$mode" = config ] && want='Wine desktop$'
desk=""
for _ in $(seq 1 300); do
  kill -0 "$pid" 2>/dev/null || break
  if xdotool search --name "$want" >/dev/null 2>&1; then
    desk="$(xdotool search --name 'Wine desktop$' 2>/dev/null | head -n 1)"
    [ -n "$desk" ] && break
  fi
  sleep 0.1
done
[ -n "$desk" ] || echo "run-saver: the saver showed no window" >&2

# Pictures at FPS a second; the GIF's delay comes from the time they really took.
n=0
start_ns=$(date +%s%N)
step_ns=$((1000000000 / fps))
while [ -n "$desk" ] && kill -0 "$pid" 2>/dev/null; do
  now=$(date +%s%N)
  [ $((now - start_ns)) -ge $((run_seconds * 1000000000)) ] && break
  n=$((n + 1))
  take_picture "$(printf '%s/%04d.miff' "$frames" "$n")" || n=$((n - 1))
  wait_ns=$((start_ns + n * step_ns - $(date +%s%N)))
  [ "$wait_ns" -gt 0 ] && sleep "$(printf '0.%09d' "$wait_ns")"
done
elapsed_ns=$(($(date +%s%N) - start_ns))

rc=0
if kill -0 "$pid" 2>/dev/null; then
  # End it as the system would: Escape for the dialog, WM_CLOSE to the saver's window, the end
  # of the preview host's time.
  if [ "$mode" = config ]; then xdotool key Escape 2>/dev/null || true; fi
  if [ "$mode" = fullscreen ] || [ "$mode" = config ]; then
    timeout 30 "$WINE64" "$bin/kvtool.exe" close DEFAULT KORAVEN 5000 >/dev/null 2>&1 || true
  fi
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "run-saver: the saver did not end; stopping it" >&2
    kill -9 "$pid" 2>/dev/null || true
  fi
else
  echo "run-saver: the saver ended by itself" >&2
fi
set +e
wait "$pid"
rc=$?
set -e

if [ "$n" -gt 0 ]; then
  # Four pictures at full size, evenly over the run, and the GIF.
  for i in 1 2 3 4; do
    k=$(((n * i + 2) / 4))
    [ "$k" -lt 1 ] && k=1
    convert "$(printf '%s/%04d.miff' "$frames" "$k")" "$out/$name-$i.png"
  done
  delay=$((elapsed_ns / n / 10000000))
  [ "$delay" -lt 2 ] && delay=2
  convert -delay "$delay" -loop 0 "$frames"/*.miff -resize "${gif_width}x" -dither None \
    -colors "$gif_colors" -layers OptimizeTransparency "$out/$name.gif"
  echo "run-saver: $n pictures in $((elapsed_ns / 1000000)) ms: out/$name.gif ($(du -k "$out/$name.gif" | cut -f1) KiB), out/$name-1.png .. out/$name-4.png"
fi
finish "$rc"
