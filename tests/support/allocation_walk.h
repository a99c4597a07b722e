// Allocation-failure walks: an operation runs once to count its allocations, then
// once for each of them with that allocation failing. The caller's attempt prepares
// what the operation needs (not counted), runs the operation through the hook and
// checks what a failure must leave behind; the walk checks that each armed failure
// really happened and, in the sanitizer build, that nothing leaked.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "base/memory.h"
#include "direct/color_space.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define QCLR_TEST_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define QCLR_TEST_LEAK_CHECK 1
#endif
#endif

namespace qclr::test {

// One run of the operation: Run() arms the hook for allocation `failAt` (or, when
// counting, for none) around the operation alone.
class AllocationHook {
 public:
  explicit AllocationHook(long failAt) : failAt_(failAt) {}

  template <typename Operation>
  int32_t Run(Operation&& operation) {
    SetAllocationFailure(failAt_ < 0 ? kCounting : failAt_);
    const int32_t status = operation();
    left_ = SetAllocationFailure(-1);
    ran_ = true;
    return status;
  }

  // True when this run failed an allocation.
  bool Failed() const { return failAt_ >= 0 && ran_ && left_ < 0; }
  // Allocations of a counting run.
  long Counted() const { return failAt_ < 0 && ran_ ? kCounting - left_ : 0; }

 private:
  static constexpr long kCounting = 1L << 30;
  long failAt_;
  long left_ = -1;
  bool ran_ = false;
};

struct AllocationWalk {
  long allocations = 0;           // of one run without failures
  std::vector<int32_t> statuses;  // with allocation n failing
};

// `attempt(hook)` runs the operation once through hook.Run and returns its status;
// it must succeed when nothing fails.
template <typename Attempt>
AllocationWalk WalkAllocationFailures(Attempt&& attempt) {
  AllocationWalk walk;
  AllocationHook counting(-1);
  EXPECT_EQ(attempt(counting), CLR_OK) << "fails without an injected failure";
  walk.allocations = counting.Counted();
  for (long n = 0; n < walk.allocations; ++n) {
    SCOPED_TRACE(testing::Message() << "allocation " << n << " of " << walk.allocations << " fails");
    AllocationHook hook(n);
    walk.statuses.push_back(attempt(hook));
    EXPECT_TRUE(hook.Failed()) << "the run made fewer allocations";
  }
#if defined(QCLR_TEST_LEAK_CHECK)
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "leaks, reported above";
#endif
  return walk;
}

// What a conversion gives: its status and the whole destination buffer.
struct Converted {
  int32_t status;
  std::vector<uint8_t> bytes;
  bool operator==(const Converted&) const = default;
  friend void PrintTo(const Converted& c, std::ostream* os) {
    *os << "status " << c.status << ", " << c.bytes.size() << " bytes:";
    for (size_t i = 0; i < c.bytes.size() && i < 16; ++i) *os << ' ' << int{c.bytes[i]};
  }
};

// Converts a fixed random image of width x height pixels of `srcSpace` through the
// handle (or directly when it is null) into a buffer of `dstSpace`.
inline Converted ConvertSample(ClrHandle* handle, int32_t srcSpace, int32_t dstSpace, int32_t width = 8,
                               int32_t height = 4) {
  size_t srcBytes = 0, dstBytes = 0;
  EXPECT_TRUE(BufferBytes(srcSpace, width, height, 0, &srcBytes) && BufferBytes(dstSpace, width, height, 0, &dstBytes));
  const std::vector<uint8_t> src = RandomBytes(srcBytes, 61);
  Converted out{0, std::vector<uint8_t>(dstBytes, 0x5A)};
  out.status = handle != nullptr
                   ? Q_ClrConvert(handle, src.data(), out.bytes.data(), width, height, 0, 0)
                   : Q_ClrConvertDirect(srcSpace, dstSpace, src.data(), out.bytes.data(), width, height, 0, 0);
  return out;
}

}  // namespace qclr::test
