// Temporary files for bitmap storage, in the C library's temporary directory
// (P_tmpdir; no environment variable is read). The name is removed as soon as the
// file is open: the descriptor keeps the file until it is released, and nothing
// is left behind however the process ends.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/platform.h"
#include "platform/storage_failures.h"

namespace qclr::platform {
namespace {

#ifdef P_tmpdir
constexpr const char* kTempDirectory = P_tmpdir;
#else
constexpr const char* kTempDirectory = "/tmp";
#endif

}  // namespace

bool CreateTemporaryFile(const char* prefix, uint32_t* handle, char* name, size_t capacity) {
  if (StorageCallFails(StorageService::kTempFile)) return false;
  const int length = std::snprintf(name, capacity, "%s/%sXXXXXX", kTempDirectory, prefix);
  if (length < 0 || static_cast<size_t>(length) >= capacity) return false;
  const int fd = mkostemp(name, O_CLOEXEC);
  if (fd < 0) return false;
  unlink(name);
  *handle = static_cast<uint32_t>(fd);
  return true;
}

int64_t SeekTemporaryFile(uint32_t handle, int64_t offset) {
  if (StorageCallFails(StorageService::kFileSeek)) return -1;
  if (offset < 0 || offset > std::numeric_limits<off_t>::max()) return -1;
  return lseek(static_cast<int>(handle), static_cast<off_t>(offset), SEEK_SET);
}

bool WriteTemporaryFile(uint32_t handle, const void* bytes, size_t count) {
  if (StorageCallFails(StorageService::kFileWrite)) return false;
  const auto* next = static_cast<const uint8_t*>(bytes);
  while (count > 0) {
    const ssize_t written = write(static_cast<int>(handle), next, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    next += written;
    count -= static_cast<size_t>(written);
  }
  return true;
}

void ReleaseTemporaryFile(uint32_t handle, const char* /*name*/) {
  // The name was removed at creation (another file may carry it by now): closing
  // the last descriptor deletes the file.
  close(static_cast<int>(handle));
}

}  // namespace qclr::platform
