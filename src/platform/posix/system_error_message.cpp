// Messages for the Windows-numbered system errors that the POSIX layer reports
// (see windows_errors.cpp), so that a status above 1 reads the same everywhere.
#include <cstdio>
#include <cstring>

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

size_t SystemErrorMessage(int32_t code, char* text, size_t capacity) {
  char unknown[48];
  const char* message = nullptr;
  for (const ErrorMessage& m : kMessages) {
    if (m.code == code) message = m.text;
  }
  if (message == nullptr) {
    std::snprintf(unknown, sizeof unknown, "system error %ld", static_cast<long>(code));
    message = unknown;
  }
  const size_t length = std::strlen(message);
  if (text != nullptr && capacity > 0) {
    const size_t kept = length < capacity ? length : capacity - 1;
    std::memcpy(text, message, kept);
    text[kept] = '\0';
  }
  return length;
}

}  // namespace qclr::platform
