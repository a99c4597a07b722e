#include "dialog/method_enabling.h"

#include "dialog/control_ids.h"

namespace qclr::dialog {
namespace {

constexpr int32_t kCmykGoverned[] = {kIdSourceProfile, kIdBrowseSource, kIdDestinationProfile,
                                     kIdBrowseDestination, kIdTable, kIdBrowseTable,
                                     kIdWhitePoint, kIdWhiteX, kIdWhiteY,
                                     kIdBlackGeneration, kIdBlackGenerationSpin};
constexpr int32_t kLabGoverned[] = {kIdSourceProfile, kIdBrowseSource, kIdDestinationProfile,
                                    kIdBrowseDestination, kIdLabTable, kIdBrowseLabTable,
                                    kIdRgbTable, kIdBrowseRgbTable, kIdRgbToLabRadio,
                                    kIdLabToRgbRadio, kIdWhitePoint, kIdWhiteX, kIdWhiteY};

}  // namespace

bool ControlEnabledFor(const ClrDlgState& state, int32_t id) {
  const int32_t method = state.params->method;
  const bool icc = method == METHOD_ICC || method == METHOD_CUSTOM_ICC;
  const bool customTables = method == METHOD_CUSTOM_TABLES;
  const bool cmyk = state.dialogKind == kCmykDialogKind;
  switch (id) {
    case kIdSourceProfile:
    case kIdBrowseSource:
    case kIdDestinationProfile:
    case kIdBrowseDestination: return method == METHOD_CUSTOM_ICC;
    case kIdWhitePoint: return icc;
    case kIdWhiteX:
    case kIdWhiteY: return icc && state.params->whitePoint->kind == 0;
    default: break;
  }
  if (cmyk) {
    switch (id) {
      case kIdTable:
      case kIdBrowseTable: return customTables;
      // The arrows follow their box: they would change it while it is disabled.
      case kIdBlackGeneration:
      case kIdBlackGenerationSpin: return method == METHOD_BUILTIN;
      default: return true;
    }
  }
  switch (id) {
    case kIdRgbToLabRadio:
    case kIdLabToRgbRadio: return customTables;
    case kIdLabTable:
    case kIdBrowseLabTable: return customTables && state.rgbTableSelected == 0;
    case kIdRgbTable:
    case kIdBrowseRgbTable: return customTables && state.rgbTableSelected == 1;
    default: return true;
  }
}

void ApplyEnabling(platform::DialogWindow* dialog, const ClrDlgState& state) {
  if (state.dialogKind == kCmykDialogKind) {
    for (const int32_t id : kCmykGoverned) platform::EnableControl(dialog, id, ControlEnabledFor(state, id));
  } else {
    for (const int32_t id : kLabGoverned) platform::EnableControl(dialog, id, ControlEnabledFor(state, id));
  }
}

}  // namespace qclr::dialog
