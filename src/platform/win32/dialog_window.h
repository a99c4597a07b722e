// The Windows dialog manager's dialog: the system's dialog window and what the
// platform layer keeps beside it (kept in the window's user data).
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/platform.h"
#include "platform/win32/dialog_observer.h"

namespace qclr::platform {

struct DialogWindow {
  HWND window = nullptr;  // set when the system has made the dialog
  int32_t templateId = 0;
  void* owner = nullptr;
  DialogProcedure procedure = nullptr;
  void* context = nullptr;
  bool ended = false;
  int32_t result = 0;
  // The observer installed when the dialog was asked for (null: none); it keeps
  // it until it ends.
  DialogObserver* observer = nullptr;

  HWND Control(int32_t id) const { return window == nullptr ? nullptr : GetDlgItem(window, id); }
};

}  // namespace qclr::platform
