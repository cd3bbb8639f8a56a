#!/usr/bin/env bash
# The display's Win32 tests once more on a 16-bit desktop: a second bench (its own prefix and a
# 1024x768x16 Xvfb) runs wtest_display.exe with KORAVEN_EXPECT_DEPTH=16, so the windowed set-up,
# the pixel format record (5-6-5: green 5-bit shift 6), the colour match and the blits are
# checked on 16-bit surfaces as well. The second bench is stopped at the end.
source "$(dirname "$0")/lib.sh"
kv_init

bench16="${WINE_ENV}-x16"
scripts="$KORAVEN_SOURCE_DIR/scripts"
test_exe="$KORAVEN_BIN/../tests/wtest_display.exe"
trap 'kv_cleanup; "$scripts/wine-env.sh" stop "$bench16" >/dev/null 2>&1' EXIT

kv_check "the display test program is built" test -f "$test_exe"
kv_check "a 16-bit bench starts" env KV_XVFB_SCREEN=1024x768x16 "$scripts/wine-env.sh" start "$bench16"
kv_check "its X screen is 16 bits deep" \
  bash -c "source '$bench16/env' && xdpyinfo | grep -q 'depth of root window:  *16 planes'"
out="$KV_WORK/wtest_display_16.txt"
(cd "$(dirname "$test_exe")" && KORAVEN_EXPECT_DEPTH=16 timeout 600 "$scripts/wine-run.sh" "$bench16" "$test_exe") \
  >"$out" 2>&1
rc=$?
grep -E '^\[( +OK|  FAILED|  PASSED) ' "$out"
kv_check "the display tests pass on the 16-bit desktop" test "$rc" -eq 0
kv_check "stopping the 16-bit bench" "$scripts/wine-env.sh" stop "$bench16"
kv_finish
