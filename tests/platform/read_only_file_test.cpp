#include <cstdint>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

TEST(ReadOnlyFile, ReadsAtOffsetsAndReportsTheEnd) {
  const std::string path = ::testing::TempDir() + "ten.bin";
  std::ofstream(path, std::ios::binary) << "0123456789";
  ReadOnlyFile file;
  ASSERT_EQ(OpenReadOnlyFile(path.c_str(), &file), kErrorSuccess);
  uint64_t size = 0;
  EXPECT_EQ(ReadOnlyFileSize(file, &size), kErrorSuccess);
  EXPECT_EQ(size, 10u);
  char buffer[4] = {};
  EXPECT_EQ(ReadOnlyFileAt(file, 6, buffer, 4), kErrorSuccess);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(ReadOnlyFileAt(file, 8, buffer, 3), kErrorHandleEof);
  CloseReadOnlyFile(&file);
  EXPECT_EQ(file.handle, -1);
}

TEST(ReadOnlyFile, OpenFailuresUseWindowsNumbers) {
  const std::string dir = ::testing::TempDir();
  const std::string plain = dir + "plain.bin";
  std::ofstream(plain, std::ios::binary) << "x";
  const struct {
    std::string path;
    int32_t expected;
  } cases[] = {
      {dir + "missing.bin", kErrorFileNotFound},
      {dir + "missing-folder/file.bin", kErrorPathNotFound},
      {plain + "/below-a-file", kErrorPathNotFound},
      {"", kErrorPathNotFound},
      {dir, kErrorAccessDenied},  // a folder is not a file
      {std::string(5000, 'a'), kErrorFilenameTooLong},
  };
  for (const auto& c : cases) {
    ReadOnlyFile file;
    EXPECT_EQ(OpenReadOnlyFile(c.path.c_str(), &file), c.expected) << c.path.substr(0, 80);
    EXPECT_EQ(file.handle, -1);
  }
  EXPECT_EQ(OpenReadOnlyFile(nullptr, nullptr), kErrorInvalidParameter);
}

}  // namespace
}  // namespace qclr::platform
