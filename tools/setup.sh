#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are there.
# Non-interactive, so it runs the same on a fresh machine, a developer's and CI's.
set -euo pipefail

packages=(
  cmake make g++                      # native build
  libgtest-dev libgmock-dev googletest  # GoogleTest: libraries natively, sources for Windows
  g++-mingw-w64-x86-64-posix          # the Windows build
  wine wine64 xvfb xauth              # running and testing the Windows build
  imagemagick                         # screenshots of the virtual display (import)
  clang libclang-rt-14-dev            # fuzzing with libFuzzer and the sanitizers
  libstb-dev zlib1g-dev libz-mingw-w64-dev  # the map pictures: stb_image, zlib (both trees)
  ioquake3 openarena openarena-data openarena-088-data  # a real engine and free data: play tests, archives
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
  else
    echo "setup: these packages are missing and I am not root: ${missing[*]}" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
