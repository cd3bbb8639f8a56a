#!/usr/bin/env bash
# `make run`: koraven.scr /s under Wine in Japanese locale.
#
#   scripts/run-saver.sh BUILD_DIR        (BUILD_DIR: the Windows build, e.g. build/win)
#
# With $DISPLAY set, the saver runs full screen on that display until it ends itself (a key, the
# mouse); the script returns its exit code. Without $DISPLAY, it runs inside Wine's virtual
# desktop (1024x768, where full-screen display modes work) on a private Xvfb for RUN_SECONDS
# (default 20) seconds, a screenshot is saved every SHOT_SECONDS (default 5) under out/
# (out/koraven-01.png, ...), then it is closed with WM_CLOSE like a system would and everything is
# stopped. The bench (prefix, Xvfb) is scripts/wine-env.sh's, in BUILD_DIR/run; the saver runs
# from BUILD_DIR/run/saver, where its koraven.ini is written.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/win}" && pwd)"
bin="$build/bin"
bench="$build/run"
saver="$bench/saver"
out="$root/out"
run_seconds="${RUN_SECONDS:-20}"
shot_seconds="${SHOT_SECONDS:-5}"

if [ ! -f "$bin/koraven.scr" ]; then
  echo "run-saver: $bin/koraven.scr is missing: build first (make win)" >&2
  exit 1
fi

mkdir -p "$saver"
cp "$bin/koraven.scr" "$saver/"
for x in "$bin"/*.x; do
  [ -e "$x" ] && cp "$x" "$saver/"
done

cleanup() { "$here/wine-env.sh" stop "$bench" >/dev/null 2>&1 || true; }
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${DISPLAY:-}" ]; then
  echo "run-saver: koraven.scr /s on $DISPLAY (a key or the mouse ends it)"
  KV_USE_DISPLAY="$DISPLAY" "$here/wine-env.sh" start "$bench" >/dev/null
  # shellcheck disable=SC1091
  source "$bench/env"
  "$WINE64" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  set +e
  (cd "$saver" && "$WINE64" "$saver/koraven.scr" /s)
  rc=$?
  set -e
  echo "run-saver: koraven.scr ended with code $rc"
  exit "$rc"
fi

display="$("$here/wine-env.sh" start "$bench")"
# shellcheck disable=SC1091
source "$bench/env"
echo "run-saver: no DISPLAY; koraven.scr /s on a private Xvfb $display for ${run_seconds}s, screenshots in out/"
"$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Virtual /f >/dev/null 2>&1
mkdir -p "$out"
rm -f "$out"/koraven-*.png
(cd "$saver" && exec "$WINE64" "$saver/koraven.scr" /s) >"$bench/saver.log" 2>&1 &
pid=$!

n=0
elapsed=0
while [ "$elapsed" -lt "$run_seconds" ] && kill -0 "$pid" 2>/dev/null; do
  sleep "$shot_seconds"
  elapsed=$((elapsed + shot_seconds))
  n=$((n + 1))
  shot="$(printf '%s/koraven-%02d.png' "$out" "$n")"
  import -window root "$shot" 2>/dev/null && echo "run-saver: $shot"
done

rc=0
if kill -0 "$pid" 2>/dev/null; then
  # End it as the system would: WM_CLOSE to the window of class DEFAULT.
  timeout 30 "$WINE64" "$bin/post_close.exe" DEFAULT KORAVEN 5000 >/dev/null 2>&1 || true
  for _ in $(seq 1 150); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "run-saver: the saver did not end after WM_CLOSE; stopping it" >&2
    kill -9 "$pid" 2>/dev/null || true
  fi
  set +e
  wait "$pid"
  rc=$?
  set -e
else
  set +e
  wait "$pid"
  rc=$?
  set -e
  echo "run-saver: the saver ended by itself before ${run_seconds}s" >&2
fi
"$WINE64" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
echo "run-saver: koraven.scr ended with code $rc; $n screenshot(s) in out/"
exit "$rc"
