#!/usr/bin/env bash
# The packed rows without SSE2 intrinsics: their portable fallback.
set -euo pipefail
cmake -S . -B build-nosse2 -G Ninja -DCMAKE_BUILD_TYPE=Release -DQCLR_WERROR=ON \
  -DCMAKE_CXX_FLAGS=-DQCLR_HAVE_SSE2=0 -DQCLR_BUILD_TOOLS=OFF
cmake --build build-nosse2 -j "$QCLR_CI_JOBS" --target direct_tests handle_tests
build-nosse2/tests/direct_tests
build-nosse2/tests/handle_tests
