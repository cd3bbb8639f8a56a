#!/usr/bin/env bash
# The saver left running for SOAK_SECONDS (default 120; `make soak`: 600) full screen, End held
# (fast drop) in a 6 x 10 well so that games follow each other quickly, every overlay line on,
# both news sources on a local server whose headlines change with every request, fetched every
# 30 s. Its memory (from /proc: RssAnon, private; VmRSS, resident), GDI objects and handles
# (kvtool stats), threads and open files are read after SOAK_BASELINE seconds (default
# 60), every minute and at the end, which must be within a small bound of the baseline; a soak of
# ten minutes or more also keeps its last third flat. The frames never stop (the frame log's
# longest gap), ten screenshots over the run all differ, both sources are fetched again and
# again, and Escape then ends the saver with 0.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kv_init

soak="${SOAK_SECONDS:-120}"
baseline_at="${SOAK_BASELINE:-60}"
[ "$baseline_at" -lt "$soak" ] || baseline_at=$((soak / 2))
# Wine's Direct3D command thread (on by default) writes every DirectDraw call into an 8 MiB ring
# that the process touches page by page over its first minutes: private memory climbs to 8 MiB
# above the start while the heaps' busy bytes stay the same (HeapWalk, 6,000 frames apart). That is
# Wine's and would hide a leak of the saver's, so the soak runs with the thread off for koraven.scr,
# as `make run` does. Objects, handles and files may grow by a few, threads not at all.
"$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\koraven.scr\Direct3D' /v csmt /t REG_DWORD /d 0 /f >/dev/null
bounds=(2048 4096 3 8 0 8)
names=("private KiB" "resident KiB" "GDI objects" handles threads "open files")

kv_news_server || exit 1
d="$(kv_saver run)"
for s in 1 2; do
  printf '%s\r\n' "NI${s}_HTML=$KV_NEWS_HOST" "NI${s}_FILE=http://news.test/live?s=$s" \
    "NI${s}_IGNORE=<!-- S -->" "NI${s}_TAG=/n?a=" "NI${s}_REJECT=]]" "NI${s}_UPDATE=30"
done | cat <(printf '%s\r\n' '[Config]' TITLE=0 RESOLUTION=0 MOUSESENSE=0 D_SPEED=10 WIDTH=6 \
  HEIGHT=10 SHOW_INFO=1 SHOW_FPS=1 SHOW_TIME=1 SHOW_DATE=1 SHOW_MSG=1 SHOW_NEWS1=1 SHOW_NEWS2=1 \
  "TEXT=長く動かし続ける試験") - | iconv -f UTF-8 -t CP932 >"$d/koraven.ini"
log="$KV_WORK/frames.txt"
kv_check "the saver starts and draws frames" kv_logged_fullscreen "$d"
pid="$KV_PID"
trap 'xdotool keyup End; kv_cleanup' EXIT
xdotool keydown End
# A key X gave to another window never reaches the saver (its frame log counts what did): the
# desktop is focused again and End pressed again.
keys_arrived() { [ "$(kv_value "$log" keys)" -gt 0 ] 2>/dev/null; }
kv_poll 10 keys_arrived || { kv_focus_desktop; xdotool keyup End keydown End; }
kv_check "the held End reached the saver" kv_poll 20 keys_arrived

# One reading as named above; the counts are the smallest of three (a font, a device context, a
# fetch's thread or socket that the saver holds for a moment does not count).
reading() {
  local s
  s="$(for _ in 1 2 3; do kv_tool stats "$(kv_winpath "$KV_WORK/stats.txt")" && echo "$(tr -d '\r' <"$KV_WORK/stats.txt") \
    $(awk '$1 == "Threads:" { print $2 }' "/proc/$pid/status") $(ls "/proc/$pid/fd" | wc -l)"; done |
    awk '{ for (i = 1; i <= 4; i++) if (NR == 1 || $i < m[i]) m[i] = $i } END { if (NR < 3) exit 1; print m[1], m[2], m[3], m[4] }')" || return 1
  awk -v s="$s" '$1 == "RssAnon:" { p = $2 } $1 == "VmRSS:" { r = $2 } END { print p, r, s }' "/proc/$pid/status"
}
show() { kv_log "$1: ${names[*]}: $2; presents $(kv_value "$log" presents), fps $(kv_value "$log" fps), fetches $(wc -l <"$KV_WORK/requests.txt")"; }

start=$(date +%s) shots=()
base="" late="" next_report=$baseline_at
while t=$(($(date +%s) - start)) && [ "$t" -lt "$soak" ] && kv_alive "$pid"; do
  if [ "${#shots[@]}" -lt 10 ] && [ "$t" -ge $(((${#shots[@]} + 1) * soak / 10 - 5)) ]; then
    kv_screenshot "$KV_SHOTS/soak-${#shots[@]}.png"
    shots+=("$(convert "$KV_SHOTS/soak-${#shots[@]}.png" -crop 640x480+0+0 +repage rgb:- | md5sum)")
  fi
  if [ "$t" -ge "$next_report" ] && [ "$t" -lt $((soak - 30)) ]; then
    r="$(reading)" || r=failed
    show "after $t s" "$r"
    [ -z "$base" ] && base="$r"
    [ -z "$late" ] && [ "$soak" -ge 600 ] && [ "$t" -ge $((soak - soak / 3)) ] && late="$r"
    next_report=$((next_report + 60))
  fi
  sleep 1  # the pace of the looks, not a wait for something
done
kv_check "the saver ran for $soak s" kv_alive "$pid"
end="$(reading)" || end=failed
show "end after $(($(date +%s) - start)) s" "$end"
xdotool keyup End

kv_check "the baseline and the end were read" test "$base" != failed -a -n "$base" -a "$end" != failed
read -r -a from <<<"$base"
read -r -a to <<<"$end"
for i in "${!names[@]}"; do
  kv_check "${names[$i]}: grew by at most ${bounds[$i]} (${from[$i]:-?} -> ${to[$i]:-?})" \
    test $((${to[$i]:-0} - ${from[$i]:-0})) -le "${bounds[$i]}"
done
if [ -n "$late" ]; then
  read -r -a third <<<"$late"
  kv_check "memory flat in the last third: at most 1 MiB more (${third[0]} -> ${to[0]} KiB)" \
    test $((${to[0]:-0} - ${third[0]:-0})) -le 1024
fi
kv_check "ten screenshots were taken (${#shots[@]})" test "${#shots[@]}" -eq 10
kv_check "the screenshots all differ" test "$(printf '%s\n' "${shots[@]}" | sort -u | wc -l)" -eq "${#shots[@]}"
want=$(((soak - 15) / 30))
for s in 1 2; do
  kv_check "source $s was fetched every 30 s (at least $want times)" test "$(grep -c "live?s=$s\$" "$KV_WORK/requests.txt")" -ge "$want"
done
# Byte-wise: the lines are Shift-JIS, which a UTF-8 locale's "." does not match.
kv_check "the news lines show headlines" env LC_ALL=C grep -aq '^news2=.' "$KV_WORK/lines.txt"
kv_end "$pid" "after the soak" key Escape
# A stall, not a slow machine: two seconds between frames happen under load.
kv_check "no two frames were more than 10 s apart (longest $(kv_value "$log" max_gap_ms) ms, $(kv_value "$log" fps) a second)" \
  test "$(kv_value "$log" max_gap_ms)" -le 10000
kv_finish
