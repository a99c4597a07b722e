// What a dialog manager makes of a template item. Shared by the scripted users of
// both platforms: on Windows it names the kind of a real control from its class.
#include <cctype>
#include <string>

#include "support/scripted_dialogs.h"

namespace qclr::platform {
namespace {

bool SameClassName(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

ControlKind KindOfItem(const DialogItem& item) {
  switch (item.classAtom) {
    case kClassStatic: return ControlKind::kLabel;
    case kClassEdit: return ControlKind::kEdit;
    case kClassComboBox: return ControlKind::kDropDownList;
    case kClassButton:
      switch (item.style & kButtonTypeMask) {
        case kButtonPush:
        case kButtonDefault: return ControlKind::kPushButton;
        case kButtonAutoCheckBox: return ControlKind::kCheckBox;
        case kButtonAutoRadio: return ControlKind::kRadioButton;
        case kButtonGroupBox: return ControlKind::kGroupBox;
        default: return ControlKind::kUnknown;
      }
    case 0: return SameClassName(item.className, kClassUpDown) ? ControlKind::kUpDown : ControlKind::kUnknown;
    default: return ControlKind::kUnknown;
  }
}

}  // namespace qclr::platform
