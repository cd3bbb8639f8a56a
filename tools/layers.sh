#!/usr/bin/env bash
# Prints the program's folder include graph and the library graph of CMakeLists.txt, fails when
# either has a circle or a folder includes one above it, and prints the size of the tests against
# the program.
#
#   tools/layers.sh [ROOT]    ROOT: the source tree (default: this script's tree)
#
# Folders: every top-level folder with C++ files except tests/ fuzz/ bench/ tools/; a win32/
# subfolder counts as its parent. An edge A -> B is an `#include "B/..."` in a file of A.
# Library graph: the KORAVEN_DEPS_<folder> lists of CMakeLists.txt.
# Line counts (all lines, blank and comment lines included): tests are the files under tests/
# except tests/faults/; the program is every *.cpp and *.h outside tests/ fuzz/ bench/ tools/.
set -uo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$root" || exit 2

folders=$(git ls-files '*.cpp' '*.h' | grep -vE '^(tests|fuzz|bench|tools)/' | grep / |
  cut -d/ -f1 | sort -u)

include_edges() {
  for f in $folders; do
    git ls-files "$f/*.cpp" "$f/*.h" | xargs -r grep -ohE '^#include "[a-z0-9_]+/' |
      sed -E 's/#include "([a-z0-9_]+)\//\1/' | sort -u | grep -vx "$f" |
      grep -xF "$folders" | sed "s/^/$f /"
  done
}

library_edges() {
  sed -nE 's/^set\(KORAVEN_DEPS_([a-z0-9_]+) ?(.*)\)$/\1 \2/p' CMakeLists.txt |
    while read -r lib deps; do
      for d in $(echo "$deps" | tr -d '"'); do echo "$lib $d"; done
    done
}

# Prints "folder: what it uses" lines; tsort fails (and names the loop) on a circle.
show() {
  local title="$1" edges="$2"
  echo "$title"
  for f in $folders; do
    echo "  $f -> $(echo "$edges" | awk -v f="$f" '$1 == f { printf "%s ", $2 }')"
  done
  { echo "$edges"; for f in $folders; do echo "$f $f"; done; } | tsort >/dev/null 2>/tmp/layers.$$
  if [ -s /tmp/layers.$$ ]; then
    echo "  CIRCLE:"; sed 's/^/    /' /tmp/layers.$$; rm -f /tmp/layers.$$; return 1
  fi
  rm -f /tmp/layers.$$
  echo "  no circle; from the bottom: $(echo "$edges" | awk '{ print $2, $1 }' | tsort | tr '\n' ' ')"
}

status=0
show "Folder includes (folder -> folders it includes):" "$(include_edges)" || status=1
show "Libraries (library -> libraries it links):" "$(library_edges)" || status=1

# An include the library graph does not allow is a layer broken as surely as a circle.
lib=$(library_edges)
while read -r a b; do
  [ -z "$a" ] && continue
  [ "$b" = resources ] && continue  # headers only, no library
  if ! echo "$lib" | grep -qx "$a $b"; then
    echo "  $a includes $b, which its library does not link"; status=1
  fi
done <<< "$(include_edges)"

tests=$(git ls-files tests | grep -v '^tests/faults/' | xargs cat | wc -l)
program=$(git ls-files '*.cpp' '*.h' | grep -vE '^(tests|fuzz|bench|tools)/' | xargs cat | wc -l)
echo "Test lines $tests, program lines $program, ratio $(awk -v t="$tests" -v p="$program" 'BEGIN { printf "%.3f", t / p }')"
[ $status -eq 0 ] && echo "layers: ok" || echo "layers: FAILED"
exit $status
