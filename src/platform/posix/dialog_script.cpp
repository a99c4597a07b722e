// The script that plays the user of every later dialog (tests). Shared with the
// Windows layer, whose scripted user plays the system's dialogs.
#include <mutex>
#include <utility>

#include "platform/posix/scripted_dialogs.h"

namespace qclr::platform {
namespace {

std::mutex gScriptMutex;
DialogScript gScript;

}  // namespace

void SetDialogScript(DialogScript script) {
  std::lock_guard<std::mutex> lock(gScriptMutex);
  gScript = std::move(script);
}

DialogScript CurrentDialogScript() {
  std::lock_guard<std::mutex> lock(gScriptMutex);
  return gScript;
}

}  // namespace qclr::platform
