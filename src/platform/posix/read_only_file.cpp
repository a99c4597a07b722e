// Reading files with the POSIX calls; errors become Windows error numbers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

#include "platform/platform.h"
#include "platform/posix/windows_errors.h"

namespace qclr::platform {

int32_t OpenReadOnlyFile(const char* path, ReadOnlyFile* file) {
  if (path == nullptr || file == nullptr) return kErrorInvalidParameter;
  int fd;
  do {
    fd = open(path, O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return WindowsErrorFromErrno(errno, path);
  // A folder opens on POSIX but not as a file on Windows.
  struct stat info;
  int err = 0;
  if (fstat(fd, &info) != 0) {
    err = errno;
  } else if (S_ISDIR(info.st_mode)) {
    err = EISDIR;
  }
  if (err != 0) {
    close(fd);
    return WindowsErrorFromErrno(err, path);
  }
  file->handle = fd;
  return kErrorSuccess;
}

int32_t ReadOnlyFileSize(const ReadOnlyFile& file, uint64_t* size) {
  struct stat info;
  if (fstat(static_cast<int>(file.handle), &info) != 0) return WindowsErrorFromErrno(errno, nullptr);
  *size = static_cast<uint64_t>(info.st_size);
  return kErrorSuccess;
}

int32_t ReadOnlyFileAt(const ReadOnlyFile& file, uint64_t offset, void* buffer, size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return kErrorHandleEof;
    // Chunks below 1 GiB keep every request within what one read() transfers.
    const size_t chunk = count < (size_t{1} << 30) ? count : (size_t{1} << 30);
    const ssize_t got = pread(static_cast<int>(file.handle), out, chunk, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return WindowsErrorFromErrno(errno, nullptr);
    }
    if (got == 0) return kErrorHandleEof;
    out += got;
    offset += static_cast<uint64_t>(got);
    count -= static_cast<size_t>(got);
  }
  return kErrorSuccess;
}

void CloseReadOnlyFile(ReadOnlyFile* file) {
  if (file == nullptr || file->handle < 0) return;
  close(static_cast<int>(file->handle));
  file->handle = -1;
}

}  // namespace qclr::platform
