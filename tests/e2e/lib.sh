# End-to-end helpers: the real koraven.scr under Wine, driven from outside. Source this file from
# a tests/e2e/<name>.sh script (CTest runs each as e2e_<name>, one at a time, after wine_start):
#
#   source "$(dirname "$0")/lib.sh"
#   kv_init                                   # once, first
#   d=$(kv_folder empty)                      # a fresh folder under the test's work folder
#   kv_install "$d"                           # koraven.scr and the *.x shapes into it
#   kv_start "$d" /s                          # start it (in the background); sets KV_PID
#   w=$(kv_wait_window KORAVEN 20)            # X window id, or fail after 20 s
#   kv_key Escape; kv_mousemove 100 100       # input through the X server (XTEST)
#   kv_screenshot "$KV_SHOTS/first.png"       # the whole screen
#   kv_run_helper post_close.exe              # a tests/helpers program; returns its exit code
#   kv_wait_exit "$KV_PID" 20; echo "$KV_RC"  # wait (bounded) for the end and its exit code
#   kv_check "what was expected" test "$KV_RC" -eq 0
#   kv_finish                                 # prints "N passed, N failed"; exit status
#
# Environment (set by CMake for e2e tests; defaults fit a build in build/win):
#   WINE_ENV            the bench folder of scripts/wine-env.sh (its env file is sourced)
#   KORAVEN_BIN         folder of koraven.scr, the helpers and the .x shapes
#   KORAVEN_OUT         where screenshots go (KV_SHOTS = $KORAVEN_OUT/<test name>)
# Every wait polls with a time limit in seconds and fails (non-zero) when it runs out. Whatever a
# test started is ended at its exit (kv_cleanup runs from an EXIT trap): saver processes still
# running are killed, the virtual desktop is turned off, read-only mounts are removed.
#
# Functions:
#   kv_init                       source the bench, make the work folder KV_WORK, set the trap
#   kv_folder NAME                print a new empty folder KV_WORK/NAME
#   kv_install DIR [PROGNAME]     copy koraven.scr (as PROGNAME, default koraven.scr) and *.x
#   kv_readonly DIR               make DIR read-only (a read-only bind mount on itself; when mounts
#                                 are not allowed, koraven.ini becomes a folder so writes fail)
#   kv_start [--desktop] [--prog NAME] DIR ARGS...
#                                 start DIR/NAME (default koraven.scr) with ARGS, current folder
#                                 DIR, stdout/stderr to KV_WORK/logs/<folder name>.log (a crash's
#                                 backtrace lands there too); KV_PID := its process id.
#                                 --desktop runs it inside Wine's virtual desktop "Virtual"
#                                 (1024x768), where full-screen display modes work; helpers
#                                 started while it runs share that desktop.
#   kv_desktop on|off             turn the virtual desktop on or off for the next starts
#   kv_alive PID                  true while the process runs
#   kv_wait_exit PID SECONDS      wait for the end; KV_RC := exit code (124 when it timed out)
#   kv_wait_window NAME SECONDS   print the first X window whose name is exactly NAME
#   kv_wait_gone NAME SECONDS     wait until no X window has the name NAME
#   kv_wait_file FILE SECONDS     wait until FILE exists
#   kv_focus WINDOW               give an X window the keyboard focus
#   kv_key KEY...                 xdotool key (e.g. Escape, a, 1, KP_Add)
#   kv_mousemove X Y              move the pointer to screen coordinates X, Y
#   kv_click BUTTON               press and release a mouse button (1 left, 3 right)
#   kv_screenshot FILE            screenshot of the root window (PNG)
#   kv_run_helper PROG ARGS...    run KORAVEN_BIN/PROG under Wine in the foreground (60 s limit);
#                                 returns its exit code
#   kv_start_helper PROG ARGS...  the same in the background, current folder KV_WORK; KV_PID set
#   kv_kill PID                   end a process (and wait for it)
#   kv_winpath PATH               print the Wine (Z:) path of a Unix path
#   kv_news_server                start tests/e2e/news_server.py on 127.0.0.1 and a free port (its
#                                 requests are logged to KV_WORK/requests.txt);
#                                 KV_NEWS_HOST := 127.0.0.1:PORT
#   kv_check DESC CMD...          run CMD; count and print PASS/FAIL DESC
#   kv_finish                     print the count line and return 0 only when nothing failed

KV_PASS=0
KV_FAIL=0
KV_PIDS=()
KV_MOUNTS=()
KV_DESKTOP_ON=0

kv_log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

kv_init() {
  local here
  here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  KORAVEN_SOURCE_DIR="${KORAVEN_SOURCE_DIR:-$(cd "$here/../.." && pwd)}"
  WINE_ENV="${WINE_ENV:-$KORAVEN_SOURCE_DIR/build/win/wine}"
  KORAVEN_BIN="${KORAVEN_BIN:-$KORAVEN_SOURCE_DIR/build/win/bin}"
  KORAVEN_OUT="${KORAVEN_OUT:-$KORAVEN_SOURCE_DIR/build/win/screenshots}"
  if [ ! -f "$WINE_ENV/env" ]; then
    echo "lib.sh: no bench at $WINE_ENV (scripts/wine-env.sh start $WINE_ENV)" >&2
    exit 1
  fi
  # shellcheck disable=SC1091
  source "$WINE_ENV/env"
  KV_NAME="$(basename "$0" .sh)"
  KV_WORK="$WINE_ENV/e2e/$KV_NAME"
  KV_SHOTS="$KORAVEN_OUT/$KV_NAME"
  kv_unmount_all "$KV_WORK"
  rm -rf "$KV_WORK"
  mkdir -p "$KV_WORK" "$KV_SHOTS"
  trap kv_cleanup EXIT
  trap 'exit 130' INT TERM
  kv_desktop off
}

kv_unmount_all() {
  # Read-only mounts that an earlier, killed run may have left below a folder.
  local root="$1" m
  [ -d "$root" ] || return 0
  while read -r m; do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
  done < <(awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/mounts | sort -r)
}

kv_cleanup() {
  local p m
  for p in "${KV_PIDS[@]}"; do
    if kill -0 "$p" 2>/dev/null; then
      kv_log "cleanup: ending process $p"
      kill -9 "$p" 2>/dev/null || true
    fi
  done
  for m in "${KV_MOUNTS[@]}"; do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
  done
  KV_MOUNTS=()
  if [ "$KV_DESKTOP_ON" = 1 ]; then kv_desktop off; fi
}

kv_folder() {
  local d="$KV_WORK/$1"
  mkdir -p "$d"
  echo "$d"
}

kv_install() {
  local dir="$1" name="${2:-koraven.scr}"
  mkdir -p "$dir"
  cp "$KORAVEN_BIN/koraven.scr" "$dir/$name"
  local x
  for x in "$KORAVEN_BIN"/*.x; do
    [ -e "$x" ] && cp "$x" "$dir/"
  done
  return 0
}

kv_readonly() {
  local dir="$1"
  if mount --bind "$dir" "$dir" 2>/dev/null; then
    if mount -o remount,bind,ro "$dir" 2>/dev/null; then
      KV_MOUNTS+=("$dir")
      return 0
    fi
    umount "$dir" 2>/dev/null || true
  fi
  kv_log "kv_readonly: mounts not allowed; koraven.ini becomes a folder instead"
  rm -f "$dir/koraven.ini"
  mkdir -p "$dir/koraven.ini"
}

kv_desktop() {
  local key='HKCU\Software\Wine\Explorer'
  if [ "$1" = on ]; then
    "$WINE64" reg add "$key" /v Desktop /d Virtual /f >/dev/null 2>&1
    KV_DESKTOP_ON=1
  else
    "$WINE64" reg delete "$key" /v Desktop /f >/dev/null 2>&1 || true
    KV_DESKTOP_ON=0
  fi
}

kv_start() {
  local desktop=0 prog=koraven.scr
  while [ $# -gt 0 ]; do
    case "$1" in
      --desktop) desktop=1; shift ;;
      --prog) prog="$2"; shift 2 ;;
      *) break ;;
    esac
  done
  local dir="$1"
  shift
  if [ "$desktop" = 1 ]; then kv_desktop on; fi
  local args="$*"
  [ ${#args} -gt 120 ] && args="${args:0:120}... (${#args} characters)"
  kv_log "start: $dir/$prog $args"
  # The log sits beside the folder, so that a read-only folder can be tested.
  mkdir -p "$KV_WORK/logs"
  (cd "$dir" && exec "$WINE64" "$dir/$prog" "$@") >>"$KV_WORK/logs/$(basename "$dir").log" 2>&1 &
  KV_PID=$!
  KV_PIDS+=("$KV_PID")
}

kv_alive() { kill -0 "$1" 2>/dev/null; }

kv_wait_exit() {
  local pid="$1" limit="$2" t=0
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$t" -ge $((limit * 10)) ]; then
      KV_RC=124
      kv_log "process $pid still runs after ${limit}s"
      return 1
    fi
    sleep 0.1
    t=$((t + 1))
  done
  wait "$pid" 2>/dev/null
  KV_RC=$?
  return 0
}

kv_wait_window() {
  local name="$1" limit="$2" t=0 w
  while [ "$t" -le $((limit * 10)) ]; do
    w="$(xdotool search --name "^${name}\$" 2>/dev/null | head -n 1)"
    if [ -n "$w" ]; then
      echo "$w"
      return 0
    fi
    sleep 0.1
    t=$((t + 1))
  done
  kv_log "no window \"$name\" after ${limit}s"
  return 1
}

kv_wait_gone() {
  local name="$1" limit="$2" t=0
  while [ "$t" -le $((limit * 10)) ]; do
    if [ -z "$(xdotool search --name "^${name}\$" 2>/dev/null | head -n 1)" ]; then return 0; fi
    sleep 0.1
    t=$((t + 1))
  done
  kv_log "window \"$name\" still there after ${limit}s"
  return 1
}

kv_wait_file() {
  local file="$1" limit="$2" t=0
  while [ "$t" -le $((limit * 10)) ]; do
    [ -e "$file" ] && return 0
    sleep 0.1
    t=$((t + 1))
  done
  kv_log "no file $file after ${limit}s"
  return 1
}

kv_focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
kv_key() { xdotool key --delay 50 "$@"; }
kv_mousemove() { xdotool mousemove "$1" "$2"; }
kv_click() { xdotool click "$1"; }
kv_screenshot() {
  mkdir -p "$(dirname "$1")"
  import -window root "$1" 2>/dev/null
}

kv_run_helper() {
  local prog="$1"
  shift
  (cd "$KV_WORK" && exec timeout 60 "$WINE64" "$KORAVEN_BIN/$prog" "$@") >>"$KV_WORK/helpers.log" 2>&1
}

kv_start_helper() {
  local prog="$1"
  shift
  (cd "$KV_WORK" && exec "$WINE64" "$KORAVEN_BIN/$prog" "$@") >>"$KV_WORK/helpers.log" 2>&1 &
  KV_PID=$!
  KV_PIDS+=("$KV_PID")
}

kv_kill() {
  kill -9 "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

kv_winpath() {
  local p="$1"
  printf 'Z:%s' "${p//\//\\}"
}

kv_news_server() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/news_server.py" "$KV_WORK/port" "$KV_WORK/requests.txt" \
    >>"$KV_WORK/server.log" 2>&1 &
  KV_PIDS+=("$!")
  kv_wait_file "$KV_WORK/port" 20 || return 1
  KV_NEWS_HOST="127.0.0.1:$(cat "$KV_WORK/port")"
}

kv_check() {
  local desc="$1"
  shift
  if "$@"; then
    KV_PASS=$((KV_PASS + 1))
    echo "PASS: $desc"
  else
    KV_FAIL=$((KV_FAIL + 1))
    echo "FAIL: $desc"
  fi
}

kv_finish() {
  echo "$KV_NAME: $KV_PASS passed, $KV_FAIL failed"
  [ "$KV_FAIL" -eq 0 ] && [ "$KV_PASS" -gt 0 ]
}
