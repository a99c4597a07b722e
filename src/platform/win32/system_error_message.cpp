// The system's own text for an error number.
#include <windows.h>

#include <cstdio>

#include "platform/platform.h"

namespace qclr::platform {

void SystemErrorMessage(int32_t code, char* text, size_t capacity) {
  char message[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), 0, message, sizeof message, nullptr);
  if (length == 0) {
    std::snprintf(text, capacity, "system error %ld", static_cast<long>(code));
    return;
  }
  // The system's messages end in a period and a line break: one line is wanted.
  while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' ||
                        message[length - 1] == ' ' || message[length - 1] == '.')) {
    --length;
  }
  message[length] = '\0';
  std::snprintf(text, capacity, "%s", message);
}

}  // namespace qclr::platform
