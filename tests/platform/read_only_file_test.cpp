#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdint>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/handle_fixtures.h"

namespace qclr::platform {
namespace {

TEST(ReadOnlyFile, ReadsAtOffsetsAndReportsFailuresWithWindowsNumbers) {
  const std::string dir = ::testing::TempDir(), path = dir + "ten.bin";
  std::ofstream(path, std::ios::binary) << "0123456789";
  ReadOnlyFile file;
  ASSERT_EQ(OpenReadOnlyFile(path.c_str(), &file), kErrorSuccess);
  uint64_t size = 0;
  char buffer[4] = {};
  EXPECT_EQ(std::pair(ReadOnlyFileSize(file, &size), size), std::pair(kErrorSuccess, uint64_t{10}));
  EXPECT_EQ(ReadOnlyFileAt(file, 6, buffer, 4), kErrorSuccess);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(ReadOnlyFileAt(file, 8, buffer, 3), kErrorHandleEof);
  CloseReadOnlyFile(&file);
  EXPECT_EQ(file.handle, -1);

  const std::pair<std::string, int32_t> failures[] = {
      {dir + "missing.bin", kErrorFileNotFound}, {dir + "missing-folder/file.bin", kErrorPathNotFound},
      {path + "/below-a-file", kErrorPathNotFound}, {"", kErrorPathNotFound},
      {dir, kErrorAccessDenied},  // a folder is not a file
      {std::string(5000, 'a'), kErrorFilenameTooLong},
  };
  for (const auto& [name, expected] : failures) {
    EXPECT_EQ(OpenReadOnlyFile(name.c_str(), &file), expected) << name.substr(0, 80);
    EXPECT_EQ(file.handle, -1);
  }
  EXPECT_EQ(OpenReadOnlyFile(nullptr, nullptr), kErrorInvalidParameter);
}

#ifndef _WIN32
// Only regular files open: a FIFO (whose open would wait for a writer) or a device
// is refused as access denied, at once.
TEST(ReadOnlyFile, RefusesWhatIsNotARegularFile) {
  test::ScratchDir dir;
  const std::string fifo = dir.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& name : {fifo, std::string("/dev/null"), std::string("/dev/zero")}) {
    ReadOnlyFile file;
    EXPECT_EQ(test::CallNamingFifo(fifo, [&] { return OpenReadOnlyFile(name.c_str(), &file); }), kErrorAccessDenied)
        << name;
    EXPECT_EQ(file.handle, -1) << name;
    CloseReadOnlyFile(&file);
  }
}
#else
// Only disk files open: a device is refused as access denied.
TEST(ReadOnlyFile, RefusesWhatIsNotADiskFile) {
  ReadOnlyFile file;
  EXPECT_EQ(OpenReadOnlyFile("NUL", &file), kErrorAccessDenied);
  EXPECT_EQ(file.handle, -1);
}
#endif

}  // namespace
}  // namespace qclr::platform
