#!/usr/bin/env bash
# Deliberate faults: applies each tests/faults/NN-name.patch in turn to a scratch copy of the
# tree, rebuilds incrementally, runs the suite and reports whether a test caught the fault.
# Not part of `make test`.
#
#   tests/faults/run.sh [--rev REV] [--work DIR] [--layers L,L,...] [FAULT...]
#
#   --rev REV     the commit whose tests are run (default HEAD; its committed files only)
#   --work DIR    scratch folder (default /tmp/koraven-faults); DIR/REV/ holds the copy and its
#                 build folders, kept between runs so a fault rebuilds only what it touches
#   --layers      build folders to try, cheapest first; DIR:REGEX runs only the CTest tests
#                 matching REGEX (default: every Makefile build target of REV, the Windows one
#                 split into win:win32_ and win:e2e_)
#   FAULT         fault numbers or parts of names (default: all), e.g. 07 settings-clamp
#
# The unchanged tree must build and pass each layer once first.
# For each fault the layers run in order (make LAYER, then ctest --stop-on-failure) until one
# fails: "caught LAYER TEST". A fault the suite does not notice is "NOT caught". Results are also
# appended to DIR/results-REV.txt. Needs what `make test` needs (scripts/install-deps.sh).
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
rev=HEAD
work=/tmp/koraven-faults
layers=""
picks=()
while [ $# -gt 0 ]; do
  case "$1" in
    --rev) rev="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --layers) layers="$2"; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) picks+=("$1"); shift ;;
  esac
done

short="$(git -C "$repo" rev-parse --short "$rev")" || exit 2
copy="$work/$short"
if [ ! -f "$copy/.fault-copy" ]; then
  rm -rf "$copy"
  mkdir -p "$copy"
  git -C "$repo" archive "$rev" | tar -x -C "$copy" || exit 2
  touch "$copy/.fault-copy"
fi
if [ -z "$layers" ]; then
  layers="native"
  for t in asan fuzz; do grep -q "^$t:" "$copy/Makefile" && layers="$layers,$t"; done
  layers="$layers,win:win32_,win:e2e_"
fi
IFS=, read -r -a layer_list <<<"$layers"

patches=()
for p in "$here"/*.patch; do
  name="$(basename "$p" .patch)"
  if [ ${#picks[@]} -eq 0 ]; then
    patches+=("$p")
    continue
  fi
  for k in "${picks[@]}"; do
    # A number picks that fault; any other word, the faults whose names contain it.
    case "$k" in
      *[!0-9]*) case "$name" in *"$k"*) patches+=("$p"); break ;; esac ;;
      *) case "$name" in "$k"-*) patches+=("$p"); break ;; esac ;;
    esac
  done
done

log="$work/log-$short"
mkdir -p "$log"
results="$work/results-$short.txt"
caught=0
total=0

run_layer() {
  # $1 = build folder (= Makefile target), $2 = test regex or empty. 0 when every test passed.
  local dir="$1" regex="$2" out="$3"
  make -C "$copy" "$dir" JOBS="${JOBS:-2}" >>"$out" 2>&1 || return 3
  local args=(--stop-on-failure --output-on-failure -j"${JOBS:-2}")
  [ -n "$regex" ] && args+=(-R "$regex")
  (cd "$copy/build/$dir" && timeout 1200 ctest "${args[@]}") >>"$out" 2>&1
  local rc=$?
  if [ -f "$copy/build/$dir/wine/env" ]; then
    "$copy/scripts/wine-env.sh" stop "$copy/build/$dir/wine" >/dev/null 2>&1
  fi
  return $rc
}

# The unchanged tree first: every layer built and its tests passing once (else every fault
# would look caught), the build folders then ready to rebuild in part.
for l in "${layer_list[@]}"; do
  dir="${l%%:*}"
  regex=""
  [ "$dir" != "$l" ] && regex="${l#*:}"
  mark="$copy/.passed-$(printf '%s' "$l" | md5sum | cut -c1-8)"
  [ -f "$mark" ] && continue
  if ! run_layer "$dir" "$regex" "$log/unchanged-$dir.log"; then
    echo "the unchanged tree fails ($l): see $log/unchanged-$dir.log" >&2
    exit 2
  fi
  touch "$mark"
done

for p in "${patches[@]}"; do
  name="$(basename "$p" .patch)"
  desc="$(sed -n '1s/^Fault: //p' "$p")"
  out="$log/$name.log"
  : >"$out"
  total=$((total + 1))
  if ! patch -d "$copy" -p1 -s --no-backup-if-mismatch <"$p" >>"$out" 2>&1; then
    verdict="patch does not apply"
  else
    verdict="NOT caught"
    # Code under */win32/ is built only for Windows: the native layers cannot see it.
    win_only=0
    grep -E '^\+\+\+ ' "$p" | grep -qv '/win32/' || win_only=1
    for l in "${layer_list[@]}"; do
      dir="${l%%:*}"
      [ $win_only -eq 1 ] && [ "$dir" != win ] && continue
      regex=""
      [ "$dir" != "$l" ] && regex="${l#*:}"
      start=$SECONDS
      run_layer "$dir" "$regex" "$out"
      rc=$?
      if [ $rc -eq 3 ]; then
        verdict="build failed ($dir)"
        break
      elif [ $rc -ne 0 ]; then
        test_name="$(sed -n '/The following tests FAILED:/,$p' "$out" | grep -E '^\s+[0-9]+ - ' |
          tail -1 | sed -E 's/^\s+[0-9]+ - //; s/ \([^()]*\)$//')"
        verdict="caught $l${test_name:+ $test_name} ($((SECONDS - start)) s)"
        caught=$((caught + 1))
        break
      fi
    done
    patch -d "$copy" -p1 -R -s --no-backup-if-mismatch <"$p" >>"$out" 2>&1
  fi
  line="$(printf '%-32s %s  -- %s' "$name" "$verdict" "$desc")"
  echo "$line"
  echo "$line" >>"$results"
done
echo "$caught of $total faults caught ($short; logs in $log)"
