#!/usr/bin/env bash
# Frames per second and processor share of the whole saver, full screen under Wine.
#
#   bench/saver_fps.sh [BUILD_DIR]          (default build/win; koraven.scr must be built)
#
# For every case (the present path; Wine's Direct3D command-stream thread on, as Wine ships, and
# off; an idle machine and one core held by a busy loop) and every resolution, the saver runs full
# screen for SECONDS_PER_RUN seconds (default 60) after a settling time of SETTLE seconds (default
# 8; the title screen is off). It prints one line per run:
#
#   path=directdraw csmt=on  load=idle RESOLUTION=0  640x480x16   fps=  60.0  cpu= 12.3% (wined3d_cs   4.0%)  xvfb=  8.0%  loadavg=...
#
# path=directdraw runs in Wine's virtual desktop on a 1600 x 1200 X screen, where DirectDraw
# changes the display mode (RESOLUTION 0 to 4) or, for RESOLUTION 5, keeps the desktop's own mode
# (the virtual desktop is then 1024 x 768). path=gdi runs on a bare X screen of the resolution's
# size (no virtual desktop) with USEGDI=1 in the settings: the saver presents through GDI at the
# desktop's size without opening DirectDraw. xvfb is the X server's share over the same run.
#
# fps comes from the saver's own frame log (KORAVEN_FRAME_LOG: frames presented over the run),
# cpu is the saver process's user + system time over the run divided by the run's wall time
# (100 % = one core; /proc/PID/stat), of which Wine's Direct3D command-stream thread used the
# share in brackets (/proc/PID/task/*/stat); loadavg is /proc/loadavg at the end of the run, so
# a busy machine shows in the figures. Environment: SECONDS_PER_RUN (60), SETTLE (8), RESOLUTIONS
# ("0 5 4"), PATHS ("directdraw gdi"), CSMT ("on off"), LOADS ("idle busy"). This is a
# measurement, not a test.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/win}" && pwd)"
run_seconds="${SECONDS_PER_RUN:-60}"
settle="${SETTLE:-8}"
resolutions="${RESOLUTIONS:-0 5 4}"
path_cases="${PATHS:-directdraw gdi}"
csmt_cases="${CSMT:-on off}"
load_cases="${LOADS:-idle busy}"
bench="$build/bench-saver"
work="$bench/work"
hz="$(getconf CLK_TCK)"

[ -f "$build/bin/koraven.scr" ] || {
  echo "saver_fps: $build/bin/koraven.scr is missing: build first (make win)" >&2
  exit 1
}

busy_pid=""
saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill -9 "$saver_pid" 2>/dev/null || true
  [ -n "$busy_pid" ] && kill "$busy_pid" 2>/dev/null || true
  "$root/scripts/wine-env.sh" stop "$bench" >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# SCREEN [DESKTOP]: a bench on an X screen of SCREEN (WxH), in a virtual desktop of DESKTOP (WxH)
# when given. The virtual desktop offers display modes up to the size of the X screen it runs on.
start_bench() {
  KV_XVFB_SCREEN="$1x24" "$root/scripts/wine-env.sh" start "$bench" >/dev/null
  # shellcheck disable=SC1091
  source "$bench/env"
  if [ -n "${2:-}" ]; then
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Virtual /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Virtual /d "$2" /f >/dev/null 2>&1
  fi
}
resolution_size() { case "$1" in 0) echo 640x480 ;; 1) echo 800x600 ;; 2 | 5) echo 1024x768 ;; 3) echo 1280x1024 ;; *) echo 1600x1200 ;; esac; }
mkdir -p "$work"
cp "$build/bin/koraven.scr" "$build"/bin/*.x "$work/"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

# The same for the threads of Wine's Direct3D command stream alone.
cs_ticks() {
  local t sum=0
  for t in /proc/"$1"/task/*; do
    [ "$(cat "$t/comm" 2>/dev/null)" = wined3d_cs ] || continue
    sum=$((sum + $(awk '{ print $14 + $15 }' "$t/stat" 2>/dev/null || echo 0)))
  done
  echo "$sum"
}

# Reads key=value from the frame log.
log_value() { [ -f "$1" ] && tr -d '\r' <"$1" | awk -F= -v k="$2" '$1 == k { print $2 }' || true; }

set_csmt() {
  local key='HKCU\Software\Wine\AppDefaults\koraven.scr\Direct3D'
  if [ "$1" = off ]; then
    "$WINE64" reg add "$key" /v csmt /t REG_DWORD /d 0 /f >/dev/null 2>&1
  else
    "$WINE64" reg delete "$key" /v csmt /f >/dev/null 2>&1 || true
  fi
  "$WINESERVER" -w
}

one_run() {
  local path="$1" csmt="$2" load="$3" res="$4" log="$work/frames.txt"
  if [ "$path" = gdi ]; then
    start_bench "$(resolution_size "$res")"
  elif [ "$res" = 5 ]; then
    start_bench 1600x1200 1024x768
  else
    start_bench 1600x1200 1600x1200
  fi
  set_csmt "$csmt"
  rm -f "$log" "$log.new"
  local gdi=0
  [ "$path" = gdi ] && gdi=1
  printf '[Config]\r\nRESOLUTION=%s\r\nUSEGDI=%s\r\nTITLE=0\r\nWIDTH=10\r\nHEIGHT=20\r\n' "$res" "$gdi" >"$work/koraven.ini"
  (cd "$work" && KORAVEN_FRAME_LOG="$(printf 'Z:%s' "${log//\//\\}")" exec "$WINE64" \
    "$work/koraven.scr" /s) >"$work/saver.log" 2>&1 &
  saver_pid=$!
  # The first frames log within seconds; the prefix's first start takes longer.
  local t=0
  while [ ! -f "$log" ] && [ "$t" -lt 600 ]; do
    sleep 0.1
    t=$((t + 1))
  done
  sleep "$settle"
  local p0 t0 c0 p1 t1 c1 s0 s1 x0 x1 used
  p0="$(log_value "$log" presents)"
  t0="$(log_value "$log" seconds)"
  x0="$(cpu_ticks "$KV_XVFB_PID")"
  c0="$(cpu_ticks "$saver_pid")"
  s0="$(cs_ticks "$saver_pid")"
  local w0
  w0="$(date +%s.%N)"
  sleep "$run_seconds"
  p1="$(log_value "$log" presents)"
  t1="$(log_value "$log" seconds)"
  x1="$(cpu_ticks "$KV_XVFB_PID")"
  c1="$(cpu_ticks "$saver_pid")"
  s1="$(cs_ticks "$saver_pid")"
  local w1
  w1="$(date +%s.%N)"
  local mode
  mode="$(log_value "$log" mode)"
  used="$(log_value "$log" present)"
  kill -9 "$saver_pid" 2>/dev/null || true
  wait "$saver_pid" 2>/dev/null || true
  saver_pid=""
  "$root/scripts/wine-env.sh" stop "$bench" >/dev/null 2>&1 || true
  awk -v path="${used:-?}" -v x0="${x0:-0}" -v x1="${x1:-0}" -v csmt="$csmt" -v load="$load" -v res="$res" -v mode="${mode:-?}" \
    -v p0="${p0:-0}" -v p1="${p1:-0}" -v t0="${t0:-0}" -v t1="${t1:-0}" \
    -v c0="$c0" -v c1="$c1" -v s0="$s0" -v s1="$s1" -v w0="$w0" -v w1="$w1" -v hz="$hz" -v la="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN {
       fps = (t1 > t0) ? (p1 - p0) / (t1 - t0) : 0
       cpu = (w1 > w0) ? 100 * (c1 - c0) / hz / (w1 - w0) : 0
       cs = (w1 > w0) ? 100 * (s1 - s0) / hz / (w1 - w0) : 0
       xv = (w1 > w0) ? 100 * (x1 - x0) / hz / (w1 - w0) : 0
       printf "path=%-10s csmt=%-3s load=%-4s RESOLUTION=%s  %-12s fps=%6.1f  cpu=%5.1f%% (wined3d_cs %5.1f%%)  xvfb=%5.1f%%  loadavg=%s\n",
              path, csmt, load, res, mode, fps, cpu, cs, xv, la
     }'
}

for path in $path_cases; do
for csmt in $csmt_cases; do
  for load in $load_cases; do
    if [ "$load" = busy ]; then
      (while :; do :; done) &
      busy_pid=$!
    fi
    for res in $resolutions; do
      one_run "$path" "$csmt" "$load" "$res"
    done
    if [ -n "$busy_pid" ]; then
      kill "$busy_pid" 2>/dev/null || true
      wait "$busy_pid" 2>/dev/null || true
      busy_pid=""
    fi
  done
done
done
