#!/usr/bin/env bash
# Installs, with apt-get, what `make bench` needs beyond scripts/install-deps.sh: Mesa's EGL and
# OpenGL with the llvmpipe software driver (the other side of bench/render_vs_llvmpipe.cpp) and
# perf for profiling the benchmarks; nothing when all of them are there already.
set -euo pipefail

packages=(
  libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  linux-perf
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
