#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/test_buffers.h"

namespace qclr::platform {
namespace {

bool DescriptorOpen(uint32_t handle) { return fcntl(static_cast<int>(handle), F_GETFD) != -1; }

struct HookScope {
  ~HookScope() { ClearStorageFailures(); }
};

TEST(BitmapServices, SharedMemoryIsZeroedWritableAndReleased) {
  for (size_t bytes : {size_t{1}, size_t{4095}, size_t{4096}, size_t{100000}}) {
    SCOPED_TRACE(bytes);
    SharedMemory mapping{};
    ASSERT_TRUE(CreateSharedMemory(bytes, &mapping));
    ASSERT_NE(mapping.view, nullptr);
    EXPECT_TRUE(DescriptorOpen(mapping.handle));
    const std::vector<uint8_t> zero(bytes, 0);
    EXPECT_EQ(std::memcmp(mapping.view, zero.data(), bytes), 0);
    const std::vector<uint8_t> pattern = test::RandomBytes(bytes, 7);
    std::memcpy(mapping.view, pattern.data(), bytes);
    EXPECT_EQ(std::memcmp(mapping.view, pattern.data(), bytes), 0);
    ReleaseSharedMemory(mapping.handle, mapping.view);
    EXPECT_FALSE(DescriptorOpen(mapping.handle));
  }
  SharedMemory none{};
  EXPECT_FALSE(CreateSharedMemory(0, &none));
}

TEST(BitmapServices, TemporaryFileLivesInTheTemporaryDirectoryUntilReleased) {
  uint32_t file = 0;
  char name[kTempNameCapacity];
  ASSERT_TRUE(CreateTemporaryFile("QC", &file, name, sizeof name));
  const std::string path = name;
  EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(P_tmpdir));
  EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("QC", 0), 0u);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);

  // Written past its end, the file grows; a seek back rewrites the start.
  const uint8_t tail = 9;
  EXPECT_EQ(SeekTemporaryFile(file, 20), 20);
  EXPECT_TRUE(WriteTemporaryFile(file, &tail, 1));
  EXPECT_EQ(SeekTemporaryFile(file, 2), 2);
  EXPECT_TRUE(WriteTemporaryFile(file, "abc", 3));
  EXPECT_EQ(SeekTemporaryFile(file, -1), -1);
  std::ifstream in(path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, std::string("\0\0abc", 5) + std::string(15, '\0') + "\x09");

  // Two files never share a name.
  uint32_t other = 0;
  char otherName[kTempNameCapacity];
  ASSERT_TRUE(CreateTemporaryFile("QC", &other, otherName, sizeof otherName));
  EXPECT_STRNE(name, otherName);
  ReleaseTemporaryFile(other, otherName);

  ReleaseTemporaryFile(file, name);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(DescriptorOpen(file));
  // A name that does not fit is refused before anything is made.
  char tiny[4];
  EXPECT_FALSE(CreateTemporaryFile("QC", &file, tiny, sizeof tiny));
}

TEST(BitmapServices, MemoryStatusAndThreadDefaults) {
  EXPECT_GT(AvailableMemoryBytes(), 0u);
  const ThreadDefaults* mine = CurrentThreadDefaults();
  const ThreadDefaults* theirs = nullptr;
  std::thread([&theirs] { theirs = CurrentThreadDefaults(); }).join();
  ASSERT_NE(mine, nullptr);
  EXPECT_NE(theirs, mine);
  EXPECT_EQ(mine, CurrentThreadDefaults());
  EXPECT_EQ(mine->flags, 7u);
  EXPECT_EQ(mine->xResolution, 150);
  EXPECT_EQ(mine->yResolution, 150);
}

// After `skip` successes the forced calls fail, then the service works again.
TEST(BitmapServices, ForcedFailuresHitExactlyTheChosenCalls) {
  HookScope scope;
  uint32_t file = 0;
  char name[kTempNameCapacity];
  ASSERT_TRUE(CreateTemporaryFile("QC", &file, name, sizeof name));
  struct Service {
    StorageService service;
    std::function<bool()> call;  // true when the call succeeded
  };
  const Service services[] = {
      {StorageService::kSharedMemory,
       [] {
         SharedMemory m{};
         if (!CreateSharedMemory(64, &m)) return false;
         ReleaseSharedMemory(m.handle, m.view);
         return true;
       }},
      {StorageService::kMemoryStatus, [] { return AvailableMemoryBytes() > 0; }},
      {StorageService::kTempFile,
       [] {
         uint32_t f = 0;
         char n[kTempNameCapacity];
         if (!CreateTemporaryFile("QC", &f, n, sizeof n)) return false;
         ReleaseTemporaryFile(f, n);
         return true;
       }},
      {StorageService::kFileSeek, [file] { return SeekTemporaryFile(file, 3) == 3; }},
      {StorageService::kFileWrite, [file] { return WriteTemporaryFile(file, "x", 1); }},
      {StorageService::kThreadDefaults, [] { return CurrentThreadDefaults() != nullptr; }},
  };
  for (const Service& s : services) {
    SCOPED_TRACE(static_cast<int>(s.service));
    ForceStorageFailure(s.service, 1, 2);
    const bool outcomes[] = {s.call(), s.call(), s.call(), s.call()};
    EXPECT_TRUE(outcomes[0] && !outcomes[1] && !outcomes[2] && outcomes[3]);
    ForceStorageFailure(s.service, 0, -1);
    EXPECT_FALSE(s.call() || s.call());
    ClearStorageFailures();
    EXPECT_TRUE(s.call());
  }
  ReleaseTemporaryFile(file, name);
}

}  // namespace
}  // namespace qclr::platform
