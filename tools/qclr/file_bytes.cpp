#include "file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "messages.h"

namespace qclr_tool {
namespace {

bool ReadAll(int fd, std::vector<uint8_t>* bytes) {
  bytes->clear();
  uint8_t chunk[1 << 16];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes->insert(bytes->end(), chunk, chunk + got);
  }
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(put);
  }
  return true;
}

Failure WriteFailure(const std::string& path, int err) {
  return Fails(kExitWrite, "cannot write " + ShownName(path, true) + ": " + std::strerror(err));
}

// The mode a newly created file gets: read-write for everyone the umask allows.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

Failure ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes) {
  if (path == "-") {
    if (!ReadAll(STDIN_FILENO, bytes)) return Fails(kExitInput, CannotOpen(path, errno));
    return {};
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fails(kExitInput, CannotOpen(path, errno));
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    return Fails(kExitInput, "cannot read " + ShownName(path) + ": it is a folder");
  }
  const bool ok = ReadAll(fd, bytes);
  const int err = errno;
  close(fd);
  if (!ok) return Fails(kExitInput, "cannot read " + ShownName(path) + ": " + std::strerror(err));
  return {};
}

Failure WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (path == "-") {
    if (!WriteAll(STDOUT_FILENO, bytes)) return WriteFailure(path, errno);
    return {};
  }
  if (IsFolder(path)) return Fails(kExitWrite, "cannot write " + ShownName(path) + ": it is a folder");
  std::string temporary = path + ".qclr-XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return WriteFailure(path, errno);
  bool ok = fchmod(fd, NewFileMode()) == 0 && WriteAll(fd, bytes);
  int err = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(temporary.c_str());
    return WriteFailure(path, err);
  }
  return {};
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace qclr_tool
