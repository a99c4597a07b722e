#include "platform/posix/windows_errors.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

// True when the folder that would hold `path` exists.
bool ParentFolderExists(const char* path) {
  const char* slash = std::strrchr(path, '/');
  if (slash == nullptr) return true;  // relative to the working folder
  const size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
  char folder[4096];
  if (length >= sizeof folder) return false;  // longer than any path the system opens
  std::memcpy(folder, path, length);
  folder[length] = '\0';
  struct stat info;
  return stat(folder, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int32_t WindowsErrorFromErrno(int err, const char* path) {
  switch (err) {
    case 0:
      return kErrorSuccess;
    case ENOENT:
      if (path == nullptr) return kErrorFileNotFound;
      // Windows reports an empty name as a path that cannot be found.
      if (path[0] == '\0' || !ParentFolderExists(path)) return kErrorPathNotFound;
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:  // opening a folder as a file is refused as access denied
    case EROFS:
      return kErrorAccessDenied;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EIO:
      return kErrorReadFault;
    case EBUSY:
    case ETXTBSY:
      return kErrorSharingViolation;
    case EINVAL:
      return kErrorInvalidParameter;
    case ENAMETOOLONG:
      return kErrorFilenameTooLong;
    case EOVERFLOW:
    case EFBIG:
      return kErrorArithmeticOverflow;
    case ELOOP:
      return kErrorCantResolveFilename;
    default:
      return kErrorGenFailure;
  }
}

}  // namespace qclr::platform
