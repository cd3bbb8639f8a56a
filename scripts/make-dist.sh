#!/usr/bin/env bash
# `make dist`: the package for Windows users.
#
#   scripts/make-dist.sh BUILD_DIR OUT_DIR [VERSION]
#
# Writes OUT_DIR/koraven-VERSION-win64.zip (VERSION default: the project version of
# CMakeLists.txt) holding, side by side, koraven.scr, the console probe newsprobe.exe and the
# block shapes *.x from BUILD_DIR/bin and readme.txt (docs/package-readme.txt,
# Japanese and English, as UTF-8 with a byte-order mark and CRLF line ends so that Notepad shows
# it right). Prints the zip's path.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
bin="$1/bin"
out="$2"
version="${3:-$(sed -n 's/^project(koraven VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")}"

for p in koraven.scr newsprobe.exe; do
  [ -f "$bin/$p" ] || { echo "make-dist: $bin/$p is missing (make win)" >&2; exit 1; }
done
compgen -G "$bin/*.x" >/dev/null || { echo "make-dist: no block shapes in $bin" >&2; exit 1; }

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$bin/koraven.scr" "$bin/newsprobe.exe" "$bin"/*.x "$stage/"
{ printf '\xef\xbb\xbf'; sed "s/@VERSION@/$version/; s/\$/\r/" "$root/docs/package-readme.txt"; } >"$stage/readme.txt"

mkdir -p "$out"
zip_file="$(cd "$out" && pwd)/koraven-$version-win64.zip"
rm -f "$zip_file"
(cd "$stage" && zip -q -X -9 "$zip_file" koraven.scr newsprobe.exe ./*.x readme.txt)
echo "$zip_file"
