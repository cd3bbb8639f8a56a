# End-to-end helpers: the real koraven.scr under Wine and Xvfb, driven from outside. NAME.sh
# sources this, calls kv_init first and kv_finish last (CTest: e2e_NAME). WINE_ENV (the bench of
# scripts/wine-env.sh), KORAVEN_BIN (koraven.scr, kvtool.exe, *.x) and KORAVEN_OUT (screenshots)
# default to build/win's. Waits poll with generous limits; the EXIT trap ends what was started.
KV_PASS=0 KV_FAIL=0 KV_PIDS=() KV_MOUNTS=()

kv_log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

kv_init() {
  local root m
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  KORAVEN_SOURCE_DIR="${KORAVEN_SOURCE_DIR:-$root}"
  WINE_ENV="${WINE_ENV:-$root/build/win/wine}"
  KORAVEN_BIN="${KORAVEN_BIN:-$root/build/win/bin}"
  [ -f "$WINE_ENV/env" ] || { echo "lib.sh: no bench at $WINE_ENV" >&2; exit 1; }
  source "$WINE_ENV/env"
  KV_NAME="$(basename "$0" .sh)"
  KV_WORK="$WINE_ENV/e2e/$KV_NAME"
  KV_SHOTS="${KORAVEN_OUT:-$root/build/win/screenshots}/$KV_NAME"
  while read -r m; do umount -l "$m" 2>/dev/null; done < <(awk -v r="$KV_WORK/" 'index($2, r) == 1 { print $2 }' /proc/mounts)
  rm -rf "$KV_WORK"
  mkdir -p "$KV_WORK" "$KV_SHOTS"
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

# A folder with koraven.scr, the shapes and a koraven.ini of KEY=VALUEs, no title, no news ("-":
# no koraven.ini).
kv_saver() {
  local d="$KV_WORK/$1" x
  shift
  mkdir -p "$d"
  cp "$KORAVEN_BIN/koraven.scr" "$KORAVEN_BIN"/*.x "$d/"
  [ "${1:-}" = - ] && { echo "$d"; return; }
  printf '[Config]\r\n' >"$d/koraven.ini"
  for x in "$@" TITLE=0 SHOW_NEWS1=0 SHOW_NEWS2=0; do
    grep -q "^${x%%=*}=" "$d/koraven.ini" || printf '%s\r\n' "$x" >>"$d/koraven.ini"
  done
  echo "$d"
}

# A read-only bind mount on itself; where mounts are not allowed koraven.ini becomes a folder.
kv_readonly() {
  if mount --bind "$1" "$1" 2>/dev/null && mount -o remount,bind,ro "$1" 2>/dev/null; then
    KV_MOUNTS+=("$1")
  else
    umount "$1" 2>/dev/null
    rm -f "$1/koraven.ini" && mkdir "$1/koraven.ini"
  fi
}

kv_desktop() {
  local key='HKCU\Software\Wine\Explorer'
  if [ "$1" = on ]; then "$WINE64" reg add "$key" /v Desktop /d Virtual /f; else "$WINE64" reg delete "$key" /v Desktop /f; fi >/dev/null 2>&1
  return 0
}

# [--desktop] [--prog P] DIR ARGS...: DIR/P (koraven.scr) in the background (in Wine's 1024x768
# virtual desktop, where display modes work, once asked for); KV_PID := its id.
kv_start() {
  local prog=koraven.scr
  [ "$1" = --desktop ] && { kv_desktop on; shift; }
  [ "$1" = --prog ] && { prog="$2"; shift 2; }
  local dir="$1" args="${*:2}"
  shift
  kv_log "start: $dir/$prog ${args:0:80}"
  (cd "$dir" && exec "$WINE64" "$dir/$prog" "$@") >>"$KV_WORK/$(basename "$dir").log" 2>&1 &
  KV_PID=$!
  KV_PIDS+=("$KV_PID")
}

kv_alive() { kill -0 "$1" 2>/dev/null; }

# SECONDS CMD...: CMD every 0.2 s until it succeeds.
kv_poll() {
  local limit=$(($1 * 5)) t=0
  shift
  until "$@"; do
    t=$((t + 1))
    [ "$t" -gt "$limit" ] && { kv_log "still not true after $((limit / 5)) s: $*"; return 1; }
    sleep 0.2
  done
}

# PID SECONDS: KV_RC := its exit code (124 when it still runs).
kv_wait_exit() {
  KV_RC=124
  kv_poll "$2" eval "! kv_alive $1" || return 1
  wait "$1" 2>/dev/null
  KV_RC=$?
}

# Presses keys (or, with "close", WM_CLOSE from outside); checks that PID then ends with code 0.
kv_end() {
  local pid="$1" what="$2"
  if [ "$3" = close ]; then kv_tool close DEFAULT KORAVEN 10000; else xdotool key --delay 50 "${@:3}"; fi
  kv_wait_exit "$pid" 30
  kv_check "$what: ${3} ends it with code 0 (got $KV_RC)" test "$KV_RC" -eq 0
}

kv_window() { [ -n "$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)" ]; }
kv_desktop_window() { xdotool search --name 'Wine desktop$' 2>/dev/null | head -n 1; }
kv_focus_desktop() { xdotool windowfocus --sync "$(kv_desktop_window)" 2>/dev/null; }
kv_screenshot() { import -window root "$1" 2>/dev/null; }
kv_winpath() { printf 'Z:%s' "${1//\//\\}"; }
# VALUE of KEY=VALUE in FILE (a settings file, a frame log); its first line with that key.
kv_value() { grep -a "^$2=" "$1" 2>/dev/null | head -n 1 | cut -d= -f2- | tr -d '\r'; }

# The frame log LOG counts more presents within SECONDS than it did at the call.
kv_presenting() {
  local p0
  p0="$(kv_value "$1" presents)"
  kv_poll "$2" eval "[ \"\$(kv_value '$1' presents)\" -gt ${p0:-0} ] 2>/dev/null"
}

# The screen's picture changed N times within SECONDS while KV_PID runs.
kv_frames() {
  local end=$(($(date +%s) + $2)) n=-1 last="" now
  while [ "$n" -lt "$1" ]; do
    kv_alive "$KV_PID" && [ "$(date +%s)" -le "$end" ] || { kv_log "only $n new pictures"; return 1; }
    now="$(import -window root -crop 640x480+0+0 rgb:- 2>/dev/null | md5sum)"
    [ "$now" != "$last" ] && n=$((n + 1)) && last="$now"
  done
}

# DIR's saver full screen (/s) in the virtual desktop; waits for its window and frames.
kv_fullscreen() {
  xdotool mousemove 0 0
  kv_start --desktop "$1" /s
  kv_poll 30 kv_window KORAVEN || return 1
  kv_focus_desktop
  kv_frames 3 30
}

# tests/helpers/kvtool.cpp, waited for (60 s at most) or in the background.
kv_tool() { (cd "$KV_WORK" && exec timeout 60 "$WINE64" "$KORAVEN_BIN/kvtool.exe" "$@") >>"$KV_WORK/kvtool.log" 2>&1; }
kv_tool_bg() {
  (cd "$KV_WORK" && exec "$WINE64" "$KORAVEN_BIN/kvtool.exe" "$@") >>"$KV_WORK/kvtool.log" 2>&1 &
  KV_PID=$!
  KV_PIDS+=("$KV_PID")
}
# The foreground window, "CLASS|TITLE", is PATTERN (grep).
kv_front() { kv_tool front "$(kv_winpath "$KV_WORK/front.txt")" && tr -d '\r' <"$KV_WORK/front.txt" | grep -q "^$1\$"; }

kv_news_server() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/news_server.py" "$KV_WORK/port" "$KV_WORK/requests.txt" \
    >>"$KV_WORK/server.log" 2>&1 &
  KV_PIDS+=("$!")
  kv_poll 20 test -e "$KV_WORK/port" || return 1
  KV_NEWS_HOST="127.0.0.1:$(cat "$KV_WORK/port")"
}

kv_check() {
  if "${@:2}"; then KV_PASS=$((KV_PASS + 1)) && echo "PASS: $1"; else KV_FAIL=$((KV_FAIL + 1)) && echo "FAIL: $1"; fi
}

kv_finish() {
  echo "$KV_NAME: $KV_PASS passed, $KV_FAIL failed"
  [ "$KV_FAIL" -eq 0 ] && [ "$KV_PASS" -gt 0 ]
}
