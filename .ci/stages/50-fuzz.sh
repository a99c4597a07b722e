#!/usr/bin/env bash
# A short fuzzing run of the ICC profile reader (clang, libFuzzer, 45 s).
set -euo pipefail
scripts/install-deps.sh ci-fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQCLR_BUILD_FUZZ=ON -DQCLR_SANITIZE=ON -DQCLR_BUILD_TESTS=OFF \
  -DQCLR_BUILD_TOOLS=OFF
cmake --build build-fuzz -j "$QCLR_CI_JOBS" --target icc_reader_fuzzer
rm -rf build-fuzz/fuzz/corpus && mkdir -p build-fuzz/fuzz/corpus
build-fuzz/fuzz/icc_reader_fuzzer build-fuzz/fuzz/corpus build-fuzz/fuzz/icc_seeds \
  -max_total_time=45 -max_len=65536 -print_final_stats=1
