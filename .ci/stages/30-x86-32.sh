#!/usr/bin/env bash
# Every suite in a 32-bit x86 build (-m32 -msse2 -mfpmath=sse), through qemu where
# the kernel cannot run 32-bit programs.
set -euo pipefail
scripts/install-deps.sh ci-x86-32
cmake -S . -B build-32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake -DQCLR_WERROR=ON
cmake --build build-32 -j "$QCLR_CI_JOBS"
ctest --test-dir build-32 --output-on-failure -j "$QCLR_CI_JOBS"
