# End-to-end helpers: the real koraven.scr under Wine, driven from outside. A tests/e2e/NAME.sh
# script sources this file and calls kv_init first and kv_finish last; CTest runs it as e2e_NAME
# after wine_start, one script at a time. Environment (set by CMake; defaults fit build/win):
# WINE_ENV (the bench of scripts/wine-env.sh), KORAVEN_BIN (koraven.scr, helpers, *.x),
# KORAVEN_OUT (screenshots go to KV_SHOTS = KORAVEN_OUT/NAME). Every wait polls with a limit in
# seconds; whatever a script started is ended by the EXIT trap.
#
#   d=$(kv_saver NAME [KEY=VALUE...])  a fresh folder with koraven.scr, the shapes and a
#                                      koraven.ini (no title, no news lines, plus the keys)
#   kv_start [--desktop] [--prog P] DIR ARGS...   start DIR/P (koraven.scr) in the background from
#                                      DIR (--desktop: inside Wine's 1024x768 virtual desktop,
#                                      where display modes work); KV_PID := its id
#   kv_fullscreen DIR                  kv_start --desktop DIR /s, wait for its window and frames
#   kv_poll SECONDS CMD...             run CMD every 0.2 s until it succeeds
#   kv_wait_exit PID SECONDS           KV_RC := exit code (124 when it still runs)
#   kv_mark; kv_end_within PID S       KV_MS := milliseconds from kv_mark to the end
#   kv_frames N SECONDS                the screen's picture changed N times (frames run)
#   kv_folder NAME; kv_install DIR [P] a bare folder; koraven.scr (as P) and the shapes put in DIR
#   kv_wait_window NAME S; kv_wait_file F S   poll for a window title or a file
#   kv_news_server                     news_server.py on 127.0.0.1, a free port; KV_NEWS_HOST
#   kv_run_helper PROG ARGS...         a tests/helpers program in the foreground (60 s limit)
#   kv_check DESC CMD...               count and print PASS/FAIL DESC

KV_PASS=0 KV_FAIL=0 KV_PIDS=() KV_MOUNTS=()

kv_log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

kv_init() {
  local here
  here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  KORAVEN_SOURCE_DIR="${KORAVEN_SOURCE_DIR:-$(cd "$here/../.." && pwd)}"
  WINE_ENV="${WINE_ENV:-$KORAVEN_SOURCE_DIR/build/win/wine}"
  KORAVEN_BIN="${KORAVEN_BIN:-$KORAVEN_SOURCE_DIR/build/win/bin}"
  KORAVEN_OUT="${KORAVEN_OUT:-$KORAVEN_SOURCE_DIR/build/win/screenshots}"
  [ -f "$WINE_ENV/env" ] || { echo "lib.sh: no bench at $WINE_ENV" >&2; exit 1; }
  # shellcheck disable=SC1091
  source "$WINE_ENV/env"
  KV_NAME="$(basename "$0" .sh)"
  KV_WORK="$WINE_ENV/e2e/$KV_NAME"
  KV_SHOTS="$KORAVEN_OUT/$KV_NAME"
  local m
  while read -r m; do umount -l "$m" 2>/dev/null; done < <(awk -v r="$KV_WORK/" 'index($2, r) == 1 { print $2 }' /proc/mounts)
  rm -rf "$KV_WORK"
  mkdir -p "$KV_WORK/logs" "$KV_SHOTS"
  trap kv_cleanup EXIT
  trap 'exit 130' INT TERM
  kv_desktop off
}

kv_cleanup() {
  local p
  for p in "${KV_PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
  for p in "${KV_MOUNTS[@]}"; do umount -l "$p" 2>/dev/null; done
  kv_desktop off
}

kv_saver() {
  local d="$KV_WORK/$1" x
  shift
  mkdir -p "$d"
  cp "$KORAVEN_BIN/koraven.scr" "$d/"
  for x in "$KORAVEN_BIN"/*.x; do cp "$x" "$d/"; done
  printf '[Config]\r\n' >"$d/koraven.ini"
  for x in "$@" TITLE=0 SHOW_NEWS1=0 SHOW_NEWS2=0; do
    grep -q "^${x%%=*}=" "$d/koraven.ini" || printf '%s\r\n' "$x" >>"$d/koraven.ini"
  done
  echo "$d"
}

kv_readonly() {
  # A read-only bind mount on itself; where mounts are not allowed koraven.ini becomes a folder.
  if mount --bind "$1" "$1" 2>/dev/null && mount -o remount,bind,ro "$1" 2>/dev/null; then
    KV_MOUNTS+=("$1")
  else
    umount "$1" 2>/dev/null
    rm -f "$1/koraven.ini" && mkdir "$1/koraven.ini"
  fi
}

kv_desktop() {  # on: the next starts run inside the virtual desktop "Virtual"
  local key='HKCU\Software\Wine\Explorer'
  if [ "$1" = on ]; then "$WINE64" reg add "$key" /v Desktop /d Virtual /f; else "$WINE64" reg delete "$key" /v Desktop /f; fi >/dev/null 2>&1
  return 0
}

kv_start() {
  local prog=koraven.scr
  [ "$1" = --desktop ] && { kv_desktop on; shift; }
  [ "$1" = --prog ] && { prog="$2"; shift 2; }
  local dir="$1"
  shift
  local args="$*"
  [ ${#args} -gt 120 ] && args="${args:0:120}... (${#args} characters)"
  kv_log "start: $dir/$prog $args"
  (cd "$dir" && exec "$WINE64" "$dir/$prog" "$@") >>"$KV_WORK/logs/$(basename "$dir").log" 2>&1 &
  KV_PID=$!
  KV_PIDS+=("$KV_PID")
}

kv_alive() { kill -0 "$1" 2>/dev/null; }
kv_kill() { kill -9 "$1" 2>/dev/null; wait "$1" 2>/dev/null; return 0; }

# A bare folder, and koraven.scr (or another NAME) with the shapes copied into one.
kv_folder() { mkdir -p "$KV_WORK/$1" && echo "$KV_WORK/$1"; }
kv_install() {
  mkdir -p "$1" && cp "$KORAVEN_BIN/koraven.scr" "$1/${2:-koraven.scr}" && cp "$KORAVEN_BIN"/*.x "$1/"
}

kv_poll() {
  local limit=$(($1 * 5)) t=0
  shift
  until "$@"; do
    t=$((t + 1))
    [ "$t" -gt "$limit" ] && { kv_log "still not true after $((limit / 5)) s: $*"; return 1; }
    sleep 0.2
  done
}

kv_gone() { ! kv_alive "$1"; }

kv_wait_exit() {
  KV_RC=124
  kv_poll "$2" kv_gone "$1" || return 1
  wait "$1" 2>/dev/null
  KV_RC=$?
}

kv_window() { [ -n "$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)" ]; }
kv_wait_window() { kv_poll "$2" kv_window "$1"; }
kv_wait_file() { kv_poll "$2" test -e "$1"; }
kv_desktop_window() { xdotool search --name 'Wine desktop$' 2>/dev/null | head -n 1; }

# "X Y W H" of the virtual desktop's X window.
kv_desktop_geometry() {
  xdotool getwindowgeometry --shell "$(kv_desktop_window)" 2>/dev/null |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x+0, y+0, w+0, h+0}'
}

kv_key() { xdotool key --delay 50 "$@"; }
kv_focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
kv_mousemove() { xdotool mousemove "$1" "$2"; }
kv_screenshot() { import -window root "$1" 2>/dev/null; }
kv_winpath() { printf 'Z:%s' "${1//\//\\}"; }

kv_picture() { import -window root -crop 640x480+0+0 rgb:- 2>/dev/null | md5sum | cut -c1-32; }

kv_frames() {
  local want="$1" end=$(($(date +%s) + $2)) changes=0 last now
  last="$(kv_picture)"
  while [ "$changes" -lt "$want" ]; do
    kv_alive "$KV_PID" && [ "$(date +%s)" -le "$end" ] || { kv_log "only $changes new pictures"; return 1; }
    now="$(kv_picture)"
    [ "$now" != "$last" ] && changes=$((changes + 1)) && last="$now"
  done
}

kv_fullscreen() {
  xdotool mousemove 0 0
  kv_start --desktop "$1" /s
  kv_poll 30 kv_window KORAVEN || return 1
  xdotool windowfocus --sync "$(kv_desktop_window)" 2>/dev/null
  kv_frames 3 30
}

kv_mark() { KV_T0=$(date +%s%N); }
kv_end_within() {
  kv_wait_exit "$1" "$2"
  local ok=$?
  KV_MS=$((($(date +%s%N) - KV_T0) / 1000000))
  return $ok
}

kv_run_helper() { (cd "$KV_WORK" && exec timeout 60 "$WINE64" "$KORAVEN_BIN/$1" "${@:2}") >>"$KV_WORK/helpers.log" 2>&1; }
kv_start_helper() {
  (cd "$KV_WORK" && exec "$WINE64" "$KORAVEN_BIN/$1" "${@:2}") >>"$KV_WORK/helpers.log" 2>&1 &
  KV_PID=$!
  KV_PIDS+=("$KV_PID")
}

# Ends PID with WM_CLOSE from outside; checks that it exits with 0.
kv_close() {
  kv_check "$2: WM_CLOSE from outside reaches the window of class DEFAULT" \
    kv_run_helper post_close.exe DEFAULT KORAVEN 10000
  kv_wait_exit "$1" 30
  kv_check "$2: it ends with exit code 0 (got $KV_RC)" test "$KV_RC" -eq 0
}

# Per mille of an image's pixels that are lit (grey above 5 %) and that are coloured.
kv_lit() { convert "$1" -colorspace Gray -threshold 5% -format '%[fx:int(mean*1000)]' info:; }
kv_coloured() {
  convert \( "$1" -colorspace HSL -channel G -separate +channel -threshold 30% \) \
    \( "$1" -colorspace Gray -threshold 5% \) -compose Multiply -composite \
    -format '%[fx:int(mean*1000)]' info:
}

kv_news_server() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/news_server.py" "$KV_WORK/port" "$KV_WORK/requests.txt" \
    >>"$KV_WORK/server.log" 2>&1 &
  KV_PIDS+=("$!")
  kv_wait_file "$KV_WORK/port" 20 || return 1
  KV_NEWS_HOST="127.0.0.1:$(cat "$KV_WORK/port")"
}

kv_check() {
  if "${@:2}"; then KV_PASS=$((KV_PASS + 1)) && echo "PASS: $1"; else KV_FAIL=$((KV_FAIL + 1)) && echo "FAIL: $1"; fi
}

kv_finish() {
  echo "$KV_NAME: $KV_PASS passed, $KV_FAIL failed"
  [ "$KV_FAIL" -eq 0 ] && [ "$KV_PASS" -gt 0 ]
}
