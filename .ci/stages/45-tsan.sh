#!/usr/bin/env bash
# The concurrency tests (the test suites named Concurrent..., and the per-thread
# bitmap defaults) under ThreadSanitizer, with the library and the suites that hold
# them instrumented. A deliberate race through a conversion kernel must be
# reported, which shows that the library's own code is instrumented.
set -euo pipefail
scripts/install-deps.sh test
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQCLR_SANITIZE=thread -DQCLR_WERROR=ON \
  -DQCLR_BUILD_TOOLS=OFF
suites=(handle_tests)  # the concurrency tests: transforms built, handles shared, bitmap defaults per thread
cmake --build build-tsan -j "${QCLR_CI_JOBS:-2}" --target "${suites[@]}"
if ! nm -u build-tsan/src/libqclr.a | grep __tsan_write1 > /dev/null; then  # grep reads all: no SIGPIPE
  echo "the library is not instrumented" >&2
  exit 1
fi

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
for suite in "${suites[@]}"; do
  build-tsan/tests/$suite --gtest_filter='Concurrent*:*Thread*' --gtest_brief=1
done

canary=build-tsan/canary.log
if build-tsan/tests/handle_tests --gtest_filter='Concurrent*.DISABLED_*' --gtest_also_run_disabled_tests \
     > "$canary" 2>&1 || ! grep -q 'ThreadSanitizer: data race' "$canary"; then
  cat "$canary" >&2
  echo "the deliberate race went unreported" >&2
  exit 1
fi
echo "deliberate race reported, as it must be"
