// The script the tests' scripted user plays, on either platform: setting one puts
// the platform's player in place, removing it takes the player away again.
#include <mutex>
#include <utility>

#include "support/scripted_dialogs.h"

namespace qclr::platform {
namespace {

std::mutex gScriptMutex;
DialogScript gScript;

}  // namespace

void SetDialogScript(DialogScript script) {
  std::lock_guard<std::mutex> lock(gScriptMutex);
  InstallScriptPlayer(static_cast<bool>(script));
  gScript = std::move(script);
}

DialogScript CurrentDialogScript() {
  std::lock_guard<std::mutex> lock(gScriptMutex);
  return gScript;
}

}  // namespace qclr::platform
