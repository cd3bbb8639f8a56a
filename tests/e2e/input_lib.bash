# Helpers shared by tests/e2e/input.sh and tests/e2e/shutdown.sh (sourced after lib.sh): start the
# saver full screen in the virtual desktop, wait until its frames run, time its end.
#
#   kvi_ini DIR [KEY=VALUE...]   koraven.ini in DIR: no title screen, no news lines, plus the keys
#   kvi_start DIR                pointer to (0, 0), start DIR/koraven.scr /s in the virtual desktop,
#                                wait for its window and for its frames; the desktop gets the focus
#   kvi_wait_frames N SECONDS    wait until the picture has changed N times (frames are running);
#                                fails at once when the saver (KV_PID) has ended
#   kvi_mark                     note the time, just before the input that should end the saver
#   kvi_end_within PID SECONDS   wait for the end; KV_RC, and KVI_MS the milliseconds since kvi_mark
#   kvi_move X Y                 move the pointer, then wait for two frames (the saver has handled
#                                the move before them; moves left waiting are merged into one)
#   kvi_winpath FILE             the Windows path (Z:...) of a Unix path
#   kvi_screen_size              the screen size Win32 reports inside the desktop: "W H"
#   kvi_desktop_size             the size of the virtual desktop's X window: "WxH"

kvi_ini() {
  local dir="$1"
  shift
  {
    printf '[Config]\r\nTITLE=0\r\nSHOW_NEWS1=0\r\nSHOW_NEWS2=0\r\n'
    local kv
    for kv in "$@"; do printf '%s\r\n' "$kv"; done
  } >"$dir/koraven.ini"
}

kvi_picture() { import -window root -crop 640x480+0+0 rgb:- 2>/dev/null | md5sum | cut -c1-32; }

kvi_wait_frames() {
  local want="$1" limit="$2" changes=0 last now start
  start=$(date +%s%N)
  last="$(kvi_picture)"
  while [ "$changes" -lt "$want" ]; do
    if [ -n "${KV_PID:-}" ] && ! kv_alive "$KV_PID"; then
      kv_log "the saver ended while waiting for frames"
      return 1
    fi
    if [ $(($(date +%s%N) - start)) -gt $((limit * 1000000000)) ]; then
      kv_log "the picture changed only $changes times in ${limit}s"
      return 1
    fi
    now="$(kvi_picture)"
    if [ "$now" != "$last" ]; then
      changes=$((changes + 1))
      last="$now"
    fi
  done
}

kvi_move() {
  kv_mousemove "$1" "$2"
  kvi_wait_frames 2 20
}

kvi_desktop_window() { xdotool search --name 'Wine desktop$' 2>/dev/null | head -n 1; }

kvi_start() {
  local dir="$1"
  kv_mousemove 0 0
  kv_start --desktop "$dir" /s
  kv_wait_window KORAVEN 30 >/dev/null || return 1
  local desk
  desk="$(kvi_desktop_window)"
  [ -n "$desk" ] && kv_focus "$desk"
  kvi_wait_frames 3 30
}

kvi_mark() { KVI_T0=$(date +%s%N); }

kvi_end_within() {
  local pid="$1" limit="$2"
  kv_wait_exit "$pid" "$limit"
  local ok=$?
  KVI_MS=$((($(date +%s%N) - KVI_T0) / 1000000))
  kv_log "ended after ${KVI_MS} ms with exit code $KV_RC"
  return $ok
}

kvi_winpath() {
  local p="$1"
  printf 'Z:%s' "${p//\//\\}"
}

kvi_screen_size() {
  local f="$KV_WORK/screen_size.txt"
  rm -f "$f"
  kv_run_helper screen_size.exe "$(kvi_winpath "$f")" && tr -d '\r' <"$f"
}

kvi_desktop_size() {
  local w
  w="$(kvi_desktop_window)"
  [ -n "$w" ] || return 1
  xwininfo -id "$w" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}
