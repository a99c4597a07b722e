#!/usr/bin/env bash
# Short fuzzing runs (clang, libFuzzer, AddressSanitizer + UBSan), under 4 minutes in
# all: the ICC profile reader, profile pairs through the transform build and
# conversions (slow: a build samples a whole grid), the emulation-table reader, and
# the public interface with arbitrary records, codes, sizes and alignments over
# buffers that end at an inaccessible page. The
# profile seeds are the built-in profiles and those of the Debian packages
# icc-profiles-free and colord-data. A crash, leak or failed check fails the stage;
# the input is kept in build-fuzz/fuzz/artifacts/.
set -euo pipefail
scripts/install-deps.sh ci-fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQCLR_BUILD_FUZZ=ON -DQCLR_SANITIZE=ON -DQCLR_BUILD_TESTS=OFF \
  -DQCLR_BUILD_TOOLS=OFF
targets=(icc_reader_fuzzer icc_transform_fuzzer table_tiff_fuzzer conversion_api_fuzzer)
cmake --build build-fuzz -j "${QCLR_CI_JOBS:-2}" --target "${targets[@]}"

fuzz=build-fuzz/fuzz
rm -rf "$fuzz/corpus" "$fuzz/artifacts" && mkdir -p "$fuzz/artifacts"
run() {  # target, seconds, seed folder (or ""), largest input, more options
  local target=$1 seconds=$2 seeds=$3 max_len=$4
  shift 4
  mkdir -p "$fuzz/corpus/$target"
  echo "-- $target"
  "$fuzz/$target" "$fuzz/corpus/$target" ${seeds:+"$fuzz/$seeds"} -max_total_time="$seconds" \
    -max_len="$max_len" -timeout=25 -print_final_stats=1 -artifact_prefix="$fuzz/artifacts/$target-" \
    "$@" 2> "$fuzz/$target.log" || { tail -60 "$fuzz/$target.log" >&2; exit 1; }
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units' "$fuzz/$target.log"
}
run icc_reader_fuzzer 40 icc_seeds 65536
run icc_transform_fuzzer 80 icc_seeds 524288
run table_tiff_fuzzer 40 table_seeds 4096
run conversion_api_fuzzer 60 "" 1024 -len_control=0  # long inputs at once: many calls an input
