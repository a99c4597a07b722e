#include <gtest/gtest.h>

#include "api/memory.h"

namespace qclr {
namespace {

TEST(Memory, FailureCountdownHitsExactlyOneAllocation) {
  SetAllocationFailure(2);
  void* a = MemAlloc(8);
  void* b = MemCalloc(2, 8);
  void* c = MemAlloc(8);  // the third call fails
  void* d = MemRealloc(nullptr, 8);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);
  EXPECT_EQ(static_cast<unsigned char*>(b)[15], 0);  // zero-filled
  MemFree(a);
  MemFree(b);
  MemFree(d);
  MemFree(nullptr);  // ignored
  SetAllocationFailure(-1);
  void* e = MemAlloc(0);
  EXPECT_NE(e, nullptr);
  MemFree(e);
}

}  // namespace
}  // namespace qclr
