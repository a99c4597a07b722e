#include "temporary_profile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "qclr/qclr.h"

namespace qclr_tool {

TemporaryProfile::~TemporaryProfile() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove(path_, ignored);
}

Failure TemporaryProfile::Create(const std::vector<uint8_t>& bytes) {
  const char* folder = std::getenv("TMPDIR");
  std::string name = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/qclr-profile-XXXXXX";
  if (name.size() >= QCLR_FILE_NAME_SIZE) name = "/tmp/qclr-profile-XXXXXX";  // the library's name limit
  const int fd = mkstemp(name.data());  // mode 0600
  if (fd < 0) {
    return Fails(kExitWrite, "cannot create a temporary profile file '" + name + "': " + std::strerror(errno));
  }
  path_ = name;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      const int err = errno;
      close(fd);
      return Fails(kExitWrite, "cannot write the temporary profile file '" + name + "': " + std::strerror(err));
    }
    done += static_cast<size_t>(put);
  }
  close(fd);
  return {};
}

}  // namespace qclr_tool
