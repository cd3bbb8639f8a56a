#!/usr/bin/env bash
# Installs, with apt-get, every Debian package the build, the tests and `make run` need, and
# nothing when all of them are there already.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix
  wine64 wine xvfb xdotool x11-utils imagemagick zip unzip
  fonts-ipafont-gothic fonts-ipafont-mincho
  locales python3 openssl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locales the Wine bench runs under: without them Wine stores file names as ASCII, and a
# block file with a Japanese name cannot be made or opened.
for l in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qx "$l.utf8"; then
    $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done
