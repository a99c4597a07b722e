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
  // Only regular files: a folder opens on POSIX but not as a file on Windows, and a
  // FIFO or a device could block the open or the reads. Looking before opening
  // keeps devices from being opened at all; the open itself does not wait (a FIFO
  // that appears in between is caught by the second look).
  struct stat info;
  if (stat(path, &info) != 0) return WindowsErrorFromErrno(errno, path);
  if (!S_ISREG(info.st_mode)) return kErrorAccessDenied;
  int fd;
  do {
    fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return WindowsErrorFromErrno(errno, path);
  int err = 0;
  if (fstat(fd, &info) != 0) {
    err = errno;
  } else if (!S_ISREG(info.st_mode)) {
    err = EACCES;
  } else {
    const int flags = fcntl(fd, F_GETFL);  // reads of a regular file block as usual
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) err = errno;
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
