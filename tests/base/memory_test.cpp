#include <gtest/gtest.h>

#include "base/memory.h"

namespace qclr {
namespace {

// The failure hook that every allocation-failure walk relies on.
TEST(Memory, FailureCountdownHitsExactlyOneAllocation) {
  EXPECT_EQ(SetAllocationFailure(2), -1);  // nothing was armed
  void* blocks[] = {MemAlloc(8), MemCalloc(2, 8), MemAlloc(8), MemRealloc(nullptr, 8)};
  EXPECT_EQ(SetAllocationFailure(-1), -1);                          // the failure happened
  EXPECT_TRUE(blocks[0] && blocks[1] && !blocks[2] && blocks[3]);  // only the third fails
  EXPECT_EQ(static_cast<unsigned char*>(blocks[1])[15], 0);        // zero-filled
  for (void* b : blocks) MemFree(b);                                // null is ignored
  void* empty = MemAlloc(0);  // a block of its own
  EXPECT_NE(empty, nullptr);
  MemFree(empty);
}

// Arming far ahead and reading the countdown back counts allocations, released
// blocks not included.
TEST(Memory, CountdownReadBackCountsAllocations) {
  SetAllocationFailure(100);
  MemFree(MemAlloc(4));
  MemFree(MemCalloc(1, 4));
  MemFree(MemRealloc(nullptr, 4));
  MemFree(nullptr);
  EXPECT_EQ(SetAllocationFailure(-1), 97);
}

}  // namespace
}  // namespace qclr
