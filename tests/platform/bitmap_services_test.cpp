#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

// What the on-disk bitmap storage does not show: unique names, names that do not
// fit, refused seeks. Nothing stays behind if the process ends before releasing a
// temporary file: on POSIX it has no name left once it is open (its descriptor
// keeps it), on Windows the system deletes it when its handle closes. (The
// defaults of each thread show in the bitmap records.)
TEST(BitmapServices, TemporaryFileNamesAndSeeks) {
  uint32_t file = 0, other = 0;
  char name[kTempNameCapacity], otherName[kTempNameCapacity], tiny[4];
  EXPECT_FALSE(CreateTemporaryFile("QC", &file, tiny, sizeof tiny));
  ASSERT_TRUE(CreateTemporaryFile("QC", &file, name, sizeof name));
  ASSERT_TRUE(CreateTemporaryFile("QC", &other, otherName, sizeof otherName));
  EXPECT_STRNE(name, otherName);
  EXPECT_EQ(SeekTemporaryFile(file, 20), 20);
  EXPECT_TRUE(WriteTemporaryFile(file, "x", 1));
#ifdef _WIN32
  EXPECT_EQ(std::filesystem::file_size(name), 21u);
#else
  struct stat info {};
  EXPECT_NE(stat(name, &info), 0) << name;
  EXPECT_NE(stat(otherName, &info), 0) << otherName;
  ASSERT_EQ(fstat(static_cast<int>(file), &info), 0);
  EXPECT_EQ(info.st_size, 21);
#endif
  EXPECT_EQ(SeekTemporaryFile(file, -1), -1);
  ReleaseTemporaryFile(other, otherName);
  ReleaseTemporaryFile(file, name);
  EXPECT_FALSE(std::filesystem::exists(name)) << name;
  EXPECT_FALSE(std::filesystem::exists(otherName)) << otherName;
}

}  // namespace
}  // namespace qclr::platform
