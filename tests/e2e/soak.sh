#!/usr/bin/env bash
# The saver left running: full screen in the virtual desktop for SOAK_SECONDS (default 120) with End
# held down (fast drop: the pieces fall at every other step) and a small well (6 x 10), so that
# games follow each other quickly, all seven overlay lines on and both news sources on a local
# server (tests/e2e/news_server.py) that changes its headlines with every request, refreshed every
# 30 s. After SOAK_BASELINE seconds (default 60) and at the end, the saver's memory (from /proc:
# RssAnon, the private memory in use, and VmRSS, the working set; Wine gives another process's
# private bytes as 0), its GDI and USER objects, kernel handles and threads
# (tests/helpers/process_stats) and its open files are taken; the end must be within a small bound
# of the baseline. The frames never stop (the saver's frame log: the longest time between two
# presents), screenshots taken at ten even intervals all differ, both sources were fetched again and
# again, and Escape then ends the saver with code 0. A line of figures is printed every minute and
# at the end.
#
# CTest runs the two-minute version on a bench of its own (the wine_soak fixture), beside the
# other tests; `make soak` runs it for ten minutes (SOAK_SECONDS=600) or as long as asked.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
kv_init

soak="${SOAK_SECONDS:-120}"
baseline_at="${SOAK_BASELINE:-60}"
[ "$baseline_at" -lt "$soak" ] || baseline_at=$((soak / 2))
# Bounds of the growth from the baseline to the end. Wine's heap of the process grows until it
# has touched its first 8 MiB region and is flat after that (in two ten-minute soaks: 6.0 and
# 8.1 MiB after the first minute, flat from the fifth or seventh minute on; with every line off
# too), so the memory bounds leave room for that; a long soak (ten minutes or more) also checks
# that its last third is flat. Objects, handles and files may grow by a few, threads not at all.
max_private_kib=12288
max_rss_kib=14336
max_late_kib=1024
max_objects=3
max_handles=8
max_gap_ms=2000

kv_news_server || exit 1
host="$KV_NEWS_HOST"

d="$(kv_folder run)"
kv_install "$d"
{
  printf '%s\r\n' '[Config]' TITLE=0 RESOLUTION=0 MOUSESENSE=0 D_SPEED=10 WIDTH=6 HEIGHT=10 \
    SHOW_INFO=1 SHOW_FPS=1 SHOW_TIME=1 SHOW_DATE=1 SHOW_MSG=1 SHOW_NEWS1=1 SHOW_NEWS2=1 "TEXT=長く動かし続ける試験" \
    "NI1_HTML=$host" NI1_FILE=http://news.test/live?s=1 "NI1_IGNORE=<!-- S -->" "NI1_TAG=/n?a=" \
    NI1_REJECT=]] NI1_UPDATE=30 "NI2_HTML=$host" NI2_FILE=http://news.test/live?s=2 \
    "NI2_IGNORE=<!-- S -->" "NI2_TAG=/n?a=" NI2_REJECT=]] NI2_UPDATE=30
} | iconv -f UTF-8 -t CP932 >"$d/koraven.ini"

frames="$KV_WORK/frames.txt"
export KORAVEN_FRAME_LOG KORAVEN_OVERLAY_LOG
KORAVEN_FRAME_LOG="$(kv_winpath "$frames")"
KORAVEN_OVERLAY_LOG="$(kv_winpath "$KV_WORK/lines.txt")"
kv_check "the saver starts and draws frames" kv_fullscreen "$d"
pid="$KV_PID"
end_held=0
release_end() { [ "$end_held" = 1 ] && xdotool keyup End 2>/dev/null; end_held=0; }
trap 'release_end; kv_cleanup' EXIT
xdotool keydown End && end_held=1

frame_value() { { tr -d '\r' <"$frames"; } 2>/dev/null | awk -F= -v k="$1" '$1 == k { print $2 }'; }
proc_kib() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$pid/status" 2>/dev/null; }
# One reading: private and resident KiB, GDI and USER objects, handles, threads, open files.
# The counts are the smallest of three helper runs, so that a font or device context that a
# frame holds for a moment does not count.
reading() {
  local gdi=999999 user=999999 handles=999999 threads=999999 line g u h t
  for _ in 1 2 3; do
    rm -f "$KV_WORK/stats.txt"
    kv_run_helper process_stats.exe "$(kv_winpath "$KV_WORK/stats.txt")" || return 1
    line="$(tr -d '\r' <"$KV_WORK/stats.txt")"
    g="$(sed -n 's/.*\bgdi=\([0-9]*\).*/\1/p' <<<"$line")"
    u="$(sed -n 's/.*\buser=\([0-9]*\).*/\1/p' <<<"$line")"
    h="$(sed -n 's/.*\bhandles=\([0-9]*\).*/\1/p' <<<"$line")"
    t="$(sed -n 's/.*\bthreads=\([0-9]*\).*/\1/p' <<<"$line")"
    [ -n "$g" ] && [ -n "$u" ] && [ -n "$h" ] && [ -n "$t" ] || return 1
    [ "$g" -lt "$gdi" ] && gdi="$g"
    [ "$u" -lt "$user" ] && user="$u"
    [ "$h" -lt "$handles" ] && handles="$h"
    [ "$t" -lt "$threads" ] && threads="$t"
  done
  echo "$(proc_kib RssAnon) $(proc_kib VmRSS) $gdi $user $handles $threads $(ls "/proc/$pid/fd" | wc -l)"
}
show() {
  local p r g u h t f
  read -r p r g u h t f <<<"$2"
  kv_log "$1: private ${p} KiB, resident ${r} KiB, GDI $g, USER $u, handles $h, threads $t," \
    "files $f, presents $(frame_value presents), fps $(frame_value fps)," \
    "fetches $(wc -l <"$KV_WORK/requests.txt" 2>/dev/null || echo 0)"
}

# The soak: a look every second (the saver runs, its frames go on), a screenshot at ten even
# intervals, a reading at the baseline, every minute and at the end.
start=$(date +%s)
shots=()
next_shot=1
base=""
late=""
late_at=$((soak - soak / 3))
alive=1
frozen=""
last_presents=0
last_change=$start
next_report=$((baseline_at + 60))
while :; do
  now=$(date +%s)
  t=$((now - start))
  [ "$t" -ge "$soak" ] && break
  if ! kv_alive "$pid"; then
    alive=0
    break
  fi
  p="$(frame_value presents)"
  if [ -n "$p" ] && [ "$p" -gt "$last_presents" ]; then
    last_presents="$p"
    last_change=$now
  elif [ $((now - last_change)) -gt 10 ]; then
    frozen="no new frames for $((now - last_change)) s at ${t} s"
  fi
  if [ "$t" -ge $((next_shot * soak / 10 - 5)) ] && [ "$next_shot" -le 10 ]; then
    f="$KV_SHOTS/$(printf 'soak-%02d' "$next_shot").png"
    kv_screenshot "$f"
    shots+=("$(convert "$f" -crop 640x480+0+0 +repage rgb:- 2>/dev/null | md5sum | cut -c1-32)")
    next_shot=$((next_shot + 1))
  fi
  if [ -z "$base" ] && [ "$t" -ge "$baseline_at" ]; then
    base="$(reading)" || base="failed"
    show "baseline after ${t} s" "$base"
  elif [ "$t" -ge "$next_report" ] && [ "$t" -lt $((soak - 30)) ]; then
    r="$(reading)" || r="failed"
    show "after ${t} s" "$r"
    if [ -z "$late" ] && [ "$soak" -ge 600 ] && [ "$t" -ge "$late_at" ]; then late="$r"; fi
    next_report=$((next_report + 60))
  fi
  sleep 1
done
kv_check "the saver ran for ${soak} s" test "$alive" = 1
kv_check "its frames never stopped for 10 s ${frozen}" test -z "$frozen"
last="$(reading)" || last="failed"
show "end after $(($(date +%s) - start)) s" "$last"
release_end

kv_check "the readings were taken" test "$base" != failed -a "$last" != failed -a -n "$base"
read -r p0 r0 g0 u0 h0 t0 f0 <<<"$base"
read -r p1 r1 g1 u1 h1 t1 f1 <<<"$last"
within() { [ -n "$2" ] && [ -n "$3" ] && [ $(($3 - $2)) -le "$1" ]; }
kv_check "private memory grew by at most $max_private_kib KiB ($p0 -> $p1)" within "$max_private_kib" "$p0" "$p1"
if [ -n "$late" ]; then
  read -r p2 _ <<<"$late"
  kv_check "private memory grew by at most $max_late_kib KiB in the last third ($p2 -> $p1)" \
    within "$max_late_kib" "$p2" "$p1"
fi
kv_check "resident memory grew by at most $max_rss_kib KiB ($r0 -> $r1)" within "$max_rss_kib" "$r0" "$r1"
kv_check "GDI objects grew by at most $max_objects ($g0 -> $g1)" within "$max_objects" "$g0" "$g1"
kv_check "USER objects grew by at most $max_objects ($u0 -> $u1)" within "$max_objects" "$u0" "$u1"
kv_check "handles grew by at most $max_handles ($h0 -> $h1)" within "$max_handles" "$h0" "$h1"
kv_check "threads: as many as before ($t0 -> $t1)" within 0 "$t0" "$t1"
kv_check "open files grew by at most $max_handles ($f0 -> $f1)" within "$max_handles" "$f0" "$f1"

unique="$(printf '%s\n' "${shots[@]}" | sort -u | wc -l)"
kv_check "the ${#shots[@]} screenshots all differ ($unique different)" test "${#shots[@]}" -ge 10 -a "$unique" = "${#shots[@]}"
# A fetch at the start and one every 30 s after it, for each source (the last may fall after the
# end).
fetches() { grep -c "live?s=$1\$" "$KV_WORK/requests.txt" 2>/dev/null || echo 0; }
want=$(((soak - 15) / 30))
kv_check "source 1 was fetched every 30 s ($(fetches 1) fetches, $want wanted)" test "$(fetches 1)" -ge "$want"
kv_check "source 2 was fetched every 30 s ($(fetches 2) fetches, $want wanted)" test "$(fetches 2)" -ge "$want"
kv_check "the news lines show headlines" grep -q '^news2=.' "$KV_WORK/lines.txt"

kv_mark
kv_key Escape
kv_end_within "$pid" 20
kv_check "Escape ends it with exit code 0" test "$KV_RC" -eq 0
gap="$(frame_value max_gap_ms)"
kv_check "no two frames were more than $max_gap_ms ms apart (longest ${gap} ms, $(frame_value presents) frames, $(frame_value fps) a second)" \
  test -n "$gap" -a "${gap:-0}" -le "$max_gap_ms"
kv_finish
