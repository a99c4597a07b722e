#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

// What the on-disk bitmap storage does not show: unique names, names that do not
// fit, refused seeks, and defaults per thread.
TEST(BitmapServices, TemporaryFileNamesAndSeeks) {
  uint32_t file = 0, other = 0;
  char name[kTempNameCapacity], otherName[kTempNameCapacity], tiny[4];
  EXPECT_FALSE(CreateTemporaryFile("QC", &file, tiny, sizeof tiny));
  ASSERT_TRUE(CreateTemporaryFile("QC", &file, name, sizeof name));
  ASSERT_TRUE(CreateTemporaryFile("QC", &other, otherName, sizeof otherName));
  EXPECT_STRNE(name, otherName);
  EXPECT_EQ(SeekTemporaryFile(file, 20), 20);
  EXPECT_EQ(SeekTemporaryFile(file, -1), -1);
  ReleaseTemporaryFile(other, otherName);
  ReleaseTemporaryFile(file, name);
}

TEST(BitmapServices, ThreadDefaultsArePerThread) {
  const ThreadDefaults* mine = CurrentThreadDefaults();
  const ThreadDefaults* theirs = nullptr;
  std::thread([&theirs] { theirs = CurrentThreadDefaults(); }).join();
  ASSERT_NE(mine, nullptr);
  EXPECT_NE(theirs, mine);
  EXPECT_EQ(mine, CurrentThreadDefaults());
  EXPECT_EQ(std::tuple(mine->flags, mine->xResolution, mine->yResolution), std::tuple(7u, 150, 150));
}

}  // namespace
}  // namespace qclr::platform
