#!/usr/bin/env bash
# Every suite under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQCLR_SANITIZE=ON -DQCLR_WERROR=ON
cmake --build build-asan -j "$QCLR_CI_JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$QCLR_CI_JOBS"
