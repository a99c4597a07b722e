#!/usr/bin/env bash
# Installs the Debian 12 packages that one kind of work needs: `build` (the library
# and the tool), `test` (the test suites too), `python` (the Python module: numpy),
# `bench` (the benchmarks and the peer libraries they are compared with), or one of
# CI's extra builds (`ci-...`); packages that are already present are skipped. Runs
# apt-get as root (through sudo when needed).
set -euo pipefail

packages=(cmake ninja-build g++)
# The qclr tool reads and writes image files through Debian's image libraries.
tool_packages=(libpng-dev libjpeg62-turbo-dev libtiff-dev)
# colord-data and icc-profiles-free: the profiles Debian ships, which the ICC tests
# convert through (they skip without them).
test_packages=(googletest libgtest-dev libtiff-dev colord-data icc-profiles-free)
case "${1:-test}" in
  build) packages+=("${tool_packages[@]}") ;;
  test) packages+=("${tool_packages[@]}" "${test_packages[@]}") ;;
  python) packages=(python3 python3-numpy) ;;
  bench) packages+=(libbenchmark-dev pkg-config libopencv-dev libyuv-dev libswscale-dev libavutil-dev python3) ;;
  ci-x86-32) packages+=("${test_packages[@]}" g++-multilib qemu-user) ;;
  ci-fuzz) packages+=(clang libclang-rt-14-dev icc-profiles-free colord-data) ;;  # profiles: seeds
  ci-install) packages+=(pkg-config python3-numpy python3-pytest colord-data) ;;
  ci-windows) packages+=(googletest g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth python3) ;;
  *) echo "usage: $0 [build|test|python|bench|ci-x86-32|ci-fuzz|ci-install|ci-windows]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

run_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
run_root apt-get update -qq
run_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
