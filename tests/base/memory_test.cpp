#include <gtest/gtest.h>

#include "base/memory.h"

namespace qclr {
namespace {

// The failure hook that every allocation-failure walk relies on.
TEST(Memory, FailureCountdownHitsExactlyOneAllocation) {
  SetAllocationFailure(2);
  void* blocks[] = {MemAlloc(8), MemCalloc(2, 8), MemAlloc(8), MemRealloc(nullptr, 8)};
  SetAllocationFailure(-1);
  EXPECT_TRUE(blocks[0] && blocks[1] && !blocks[2] && blocks[3]);  // only the third fails
  EXPECT_EQ(static_cast<unsigned char*>(blocks[1])[15], 0);        // zero-filled
  for (void* b : blocks) MemFree(b);                                // null is ignored
  void* empty = MemAlloc(0);  // a block of its own
  EXPECT_NE(empty, nullptr);
  MemFree(empty);
}

}  // namespace
}  // namespace qclr
