// Messages for the Windows-numbered system errors that the POSIX layer reports
// (see windows_errors.cpp), so that a status above 1 reads the same everywhere.
#include <cstdio>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

struct ErrorMessage {
  int32_t code;
  const char* text;
};

constexpr ErrorMessage kMessages[] = {
    {kErrorSuccess, "the operation completed successfully"},
    {kErrorFileNotFound, "the file cannot be found"},
    {kErrorPathNotFound, "the path cannot be found (a folder of it is missing)"},
    {kErrorTooManyOpenFiles, "too many files are open"},
    {kErrorAccessDenied, "access is denied (no permission, or the name is a folder)"},
    {kErrorNotEnoughMemory, "not enough memory"},
    {kErrorReadFault, "the device cannot be read"},
    {kErrorGenFailure, "the system reported a failure it does not describe further"},
    {kErrorSharingViolation, "the file is in use"},
    {kErrorHandleEof, "the file ends too early"},
    {kErrorInvalidParameter, "an argument is not valid"},
    {kErrorFilenameTooLong, "the file name is too long"},
    {kErrorArithmeticOverflow, "a size or position is too large for the system"},
    {kErrorResourceTypeNotFound, "the library has no resource of this type"},
    {kErrorResourceNameNotFound, "the library has no resource with this id"},
    {kErrorCantResolveFilename, "the name cannot be resolved (too many symbolic links)"},
};

}  // namespace

void SystemErrorMessage(int32_t code, char* text, size_t capacity) {
  for (const ErrorMessage& m : kMessages) {
    if (m.code == code) {
      std::snprintf(text, capacity, "%s", m.text);
      return;
    }
  }
  std::snprintf(text, capacity, "system error %ld", static_cast<long>(code));
}

}  // namespace qclr::platform
