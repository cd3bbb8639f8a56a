#!/usr/bin/env bash
# newsprobe.exe under Wine: a saved page and reject text with Japanese names give "result 0" and
# the headlines kept in UTF-8; a page missing on tls_servers.py gives "result 6" and exit 1.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ -z "${KV_HTTP_PORT:-}" ]; then
  tls="${WINE_ENV:-$here/../../build/win/wine}/e2e-newsprobe-servers"
  exec python3 "$here/tls_servers.py" "$tls" bash "$0"
fi
source "$here/lib.sh"
kv_init

probe() {  # ARGS...: newsprobe.exe's output in out.txt, errors in err.txt, exit code in KV_RC
  (cd "$KV_WORK" && timeout 60 "$WINE64" "$KORAVEN_BIN/newsprobe.exe" "$@") >"$KV_WORK/out.txt" \
    2>"$KV_WORK/err.txt"
  KV_RC=$?
}
lines() { tr -d '\r' <"$KV_WORK/out.txt"; }

page="$KV_WORK/保存した頁.html"
printf '%s\n' '<html><!-- S -->' '<a href="/n?a=1">運転の評価</a>' '<a href="/n?a=2">広告です</a>' \
  '<a href="/n?a=3">最後の見出し</a></html>' | iconv -f UTF-8 -t EUC-JP >"$page"
probe --ignore '<!-- S -->' --tag '/n?a=' --reject '広告' "$(kv_winpath "$page")"
kv_check "a saved page with a Japanese name exits 0" test "$KV_RC" = 0
kv_check "its first line is the result" test "$(lines | head -n 1)" = "result 0"
kv_check "the Japanese reject text removes its headline" test "$(lines | tail -n +2)" = \
  "$(printf '%s\n' 運転の評価 最後の見出し)"

probe --ignore '<!-- S -->' --tag '/n?a=' "http://localhost:$KV_HTTP_PORT/missing"
kv_check "a missing page exits 1" test "$KV_RC" = 1
kv_check "and prints result 6" test "$(lines)" = "result 6"
kv_finish
