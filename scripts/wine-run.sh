#!/usr/bin/env bash
# Runs one Windows program in the bench that `scripts/wine-env.sh start DIR` prepared.
#
#   scripts/wine-run.sh DIR prog.exe [args...]
#
# Sources DIR/env (prefix, Japanese locale, DISPLAY of the private Xvfb), then runs the program
# with /usr/lib/wine/wine64 in the current folder and exits with the program's own exit code.
# Standard output and error of a console program (the GoogleTest programs) come through as they
# are. Exit 125 when DIR/env is missing (the bench was not started). KV_LOCALE, when set, replaces
# the bench's locale for this program (en_US.UTF-8 gives the ANSI code page 1252).
set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 DIR prog.exe [args...]" >&2
  exit 2
fi
dir="$1"
shift
if [ ! -f "$dir/env" ]; then
  echo "wine-run: $dir/env is missing: run scripts/wine-env.sh start $dir first" >&2
  exit 125
fi
# shellcheck disable=SC1091
source "$dir/env"
if [ -n "${KV_LOCALE:-}" ]; then
  export LC_ALL="$KV_LOCALE" LANG="$KV_LOCALE" 2>/dev/null
fi
exec "$WINE64" "$@"
