#!/usr/bin/env bash
# Line coverage that the fuzz targets' corpora reach (clang's source-based
# coverage), measured after a fuzzing run such as CI stage 50: builds the targets
# with -fprofile-instr-generate -fcoverage-mapping into build-fuzz-cov, runs each
# once over its corpus (build-fuzz/fuzz/corpus/<target>) and its seeds, and prints
# the line coverage of the files the target is for. Needs clang and llvm-14.
set -euo pipefail
cd "$(dirname "$0")/.."
flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S . -B build-fuzz-cov -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQCLR_BUILD_FUZZ=ON -DQCLR_BUILD_TESTS=OFF -DQCLR_BUILD_TOOLS=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate > /dev/null
declare -A files=(
  [icc_reader_fuzzer]="src/icc/icc_profile.cpp src/icc/icc_curve_tags.cpp src/icc/icc_lut_tags.cpp src/icc/icc_xyz_tags.cpp src/icc/icc_types.cpp"
  [icc_transform_fuzzer]="$(echo src/icc/*.cpp)"
  [table_tiff_fuzzer]="src/api/table_tiff_parser.cpp"
  [conversion_api_fuzzer]="$(echo src/api/*.cpp src/handle/*.cpp src/direct/*.cpp)"
)
declare -A seeds=([icc_reader_fuzzer]=icc_seeds [icc_transform_fuzzer]=icc_seeds [table_tiff_fuzzer]=table_seeds)
declare -A max_len=([icc_reader_fuzzer]=65536 [icc_transform_fuzzer]=524288 [table_tiff_fuzzer]=4096
                    [conversion_api_fuzzer]=4096)
targets=(icc_reader_fuzzer icc_transform_fuzzer table_tiff_fuzzer conversion_api_fuzzer)
cmake --build build-fuzz-cov -j "${QCLR_CI_JOBS:-2}" --target "${targets[@]}" > /dev/null
out=build-fuzz-cov/coverage
rm -rf "$out" && mkdir -p "$out"
for target in "${targets[@]}"; do
  corpus=build-fuzz/fuzz/corpus/$target
  inputs=()
  [ -d "$corpus" ] && inputs+=("$corpus")
  [ -n "${seeds[$target]:-}" ] && inputs+=("build-fuzz-cov/fuzz/${seeds[$target]}")
  LLVM_PROFILE_FILE="$out/$target.profraw" build-fuzz-cov/fuzz/$target "${inputs[@]}" -runs=0 \
    -max_len="${max_len[$target]}" > "$out/$target.log" 2>&1
  llvm-profdata-14 merge -sparse "$out/$target.profraw" -o "$out/$target.profdata"
  # shellcheck disable=SC2086  # the list of files is split on purpose
  total=$(llvm-cov-14 report "build-fuzz-cov/fuzz/$target" -instr-profile="$out/$target.profdata" ${files[$target]} |
          grep '^TOTAL')
  printf '%-24s lines covered: %s of %s lines (%s)\n' "$target" \
    "$(echo "$total" | awk '{print $8 - $9}')" "$(echo "$total" | awk '{print $8}')" "$(echo "$total" | awk '{print $10}')"
done
