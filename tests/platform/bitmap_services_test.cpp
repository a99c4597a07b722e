#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

// What the bitmap storage tests do not show: file positions, unique names, names
// that do not fit, and defaults per thread.
TEST(BitmapServices, TemporaryFilesGrowAreUniqueAndGoAway) {
  uint32_t file = 0, other = 0;
  char name[kTempNameCapacity], otherName[kTempNameCapacity], tiny[4];
  EXPECT_FALSE(CreateTemporaryFile("QC", &file, tiny, sizeof tiny));
  ASSERT_TRUE(CreateTemporaryFile("QC", &file, name, sizeof name));
  ASSERT_TRUE(CreateTemporaryFile("QC", &other, otherName, sizeof otherName));
  EXPECT_STRNE(name, otherName);
  ReleaseTemporaryFile(other, otherName);
  // Written past its end, the file grows; a seek back rewrites the start.
  EXPECT_EQ(SeekTemporaryFile(file, 20), 20);
  EXPECT_TRUE(WriteTemporaryFile(file, "\x09", 1));
  EXPECT_EQ(SeekTemporaryFile(file, 2), 2);
  EXPECT_TRUE(WriteTemporaryFile(file, "abc", 3));
  EXPECT_EQ(SeekTemporaryFile(file, -1), -1);
  std::ifstream in(name, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, std::string("\0\0abc", 5) + std::string(15, '\0') + "\x09");
  ReleaseTemporaryFile(file, name);
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(fcntl(static_cast<int>(file), F_GETFD), -1);  // closed
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
