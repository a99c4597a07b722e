#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and CI need; packages that
# are already present are skipped. Runs apt-get as root (through sudo when needed).
set -euo pipefail

packages=(cmake ninja-build g++ googletest libgtest-dev)
case "${1:-all}" in
  build) ;;
  all) packages+=(g++-multilib qemu-user libtiff-dev libbenchmark-dev clang libclang-rt-14-dev icc-profiles-free) ;;
  *) echo "usage: $0 [build|all]" >&2; exit 2 ;;
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
