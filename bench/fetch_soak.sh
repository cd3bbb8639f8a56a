#!/usr/bin/env bash
# The memory of the news fetch: a thousand fetches in a row and the private memory they leave.
#
#   bench/fetch_soak.sh [BUILD_DIR] [oneline|http ...]   (default build/win, both modes)
#
# Runs bench/win32/fetch_soak.cpp (build/win/tests/fetch_soak.exe) under Wine on a bench of its
# own (BUILD_DIR/wine-fetch) against the local servers: the one-line request to
# scripts/news_server.py, the system's HTTP client to tests/e2e/tls_servers.py. Each time the
# program reports a fetch count, the process's private memory is read from /proc as the soak
# reads it (RssAnon) and printed with its change since the fiftieth fetch:
#
#   http     fetch   50  private  12345 KiB  since fetch 50 +0 KiB
#
# COUNT (default 1000) sets the number of fetches. This is a measurement, not a test.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/win}" && pwd)"
shift || true
modes="${*:-oneline http}"
count="${COUNT:-1000}"
bench="$build/wine-fetch"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  "$root/scripts/wine-env.sh" stop "$bench" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

"$root/scripts/wine-env.sh" start "$bench" >/dev/null
python3 "$root/scripts/news_server.py" "$work/port" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
export KV_ONELINE_HOST="127.0.0.1:$(cat "$work/port")"

for mode in $modes; do
  out="$work/$mode.txt"
  : >"$out"
  python3 "$root/tests/e2e/tls_servers.py" "$work/tls" "$root/scripts/wine-run.sh" "$bench" \
    "$build/tests/fetch_soak.exe" "$mode" "$count" >"$out" 2>/dev/null &
  runner=$!
  pids+=("$runner")
  seen=0 base=""
  while kill -0 "$runner" 2>/dev/null || [ "$(grep -c '^fetch' "$out")" -gt "$seen" ]; do
    lines="$(grep -c '^fetch' "$out" || true)"
    if [ "$lines" -gt "$seen" ]; then
      seen=$lines
      n="$(grep '^fetch' "$out" | tail -1 | awk '{ print $2 }')"
      pid="$(pgrep -f 'fetch_soak.exe' | while read -r p; do
        [ "$(readlink "/proc/$p/exe" 2>/dev/null)" != /usr/bin/python3 ] && echo "$p"; done | tail -1)"
      kib="$(awk '$1 == "RssAnon:" { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)"
      [ -z "$base" ] && base="$kib"
      printf '%-8s fetch %5d  private %7d KiB  since fetch 50 %+d KiB  %s\n' "$mode" "$n" "$kib" \
        $((kib - base)) "$(grep '^fetch' "$out" | tail -1 | cut -d' ' -f3-)"
    fi
    sleep 0.2
  done
  wait "$runner" || echo "$mode: fetch_soak.exe exit $?"
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
