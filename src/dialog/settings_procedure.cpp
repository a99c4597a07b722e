#include "dialog/settings_procedure.h"

#include "dialog/control_ids.h"
#include "dialog/dialog_records.h"
#include "dialog/entry_text.h"
#include "dialog/file_choices.h"
#include "dialog/method_enabling.h"

namespace qclr::dialog {
namespace {

using platform::ControlNotice;
using platform::DialogWindow;

static_assert(kIdCancel == platform::kCloseCommandId, "closing a dialog must cancel it");

struct Entry {
  const char* text;
  int32_t value;
};

// The method box, in this order, and the method each entry chooses.
constexpr Entry kMethods[] = {{"Built-in conversion", METHOD_BUILTIN},
                              {"ICC profiling", METHOD_ICC},
                              {"Custom ICC Profiling", METHOD_CUSTOM_ICC},
                              {"Built-in emulation tables", METHOD_BUILTIN_TABLES},
                              {"Custom emulation tables", METHOD_CUSTOM_TABLES}};

// The white-point box (the list sorts them) and the kind each entry chooses.
constexpr Entry kWhitePoints[] = {{"Custom (xyY) point", 0}, {"D50", 50}, {"D55", 55},
                                  {"D65", 65},                {"D75", 75}, {"D93", 93}};

// The longest text the entry boxes are read with; longer text is not a number
// they take.
constexpr size_t kEntryCapacity = 64;

void Initialise(DialogWindow* dialog, ClrDlgState& state) {
  for (const Entry& e : kMethods) platform::AddListEntry(dialog, kIdMethod, e.text, e.value);
  platform::SelectListValue(dialog, kIdMethod, METHOD_BUILTIN);
  for (const Entry& e : kWhitePoints) platform::AddListEntry(dialog, kIdWhitePoint, e.text, e.value);
  platform::SelectListValue(dialog, kIdWhitePoint, 50);

  const WhitePoint& white = *state.params->whitePoint;
  char text[32];
  platform::LimitControlText(dialog, kIdWhiteX, kChromaticityCharacters);
  platform::LimitControlText(dialog, kIdWhiteY, kChromaticityCharacters);
  FormatChromaticity(white.x, text, sizeof text);
  platform::SetControlText(dialog, kIdWhiteX, text);
  FormatChromaticity(white.y, text, sizeof text);
  platform::SetControlText(dialog, kIdWhiteY, text);

  if (state.dialogKind == kCmykDialogKind) {
    platform::SetUpDownRange(dialog, kIdBlackGenerationSpin, 0, kBlackGenerationMax);
    platform::SetUpDownPosition(dialog, kIdBlackGenerationSpin, state.params->cmykOptions->value);
  } else {
    platform::CheckButton(dialog, kIdRgbToLabRadio, true);
  }
  ApplyEnabling(dialog, state);
}

// The method box reports anything (a new entry, the focus): the choice is read again.
void ReadMethod(DialogWindow* dialog, ClrDlgState& state) {
  const int32_t method = platform::SelectedListValue(dialog, kIdMethod, state.params->method);
  state.params->method = method;
  state.params->flags = static_cast<uint32_t>(method);
  ApplyEnabling(dialog, state);
}

void ReadWhitePoint(DialogWindow* dialog, ClrDlgState& state) {
  WhitePoint& white = *state.params->whitePoint;
  white.kind = static_cast<uint32_t>(
      platform::SelectedListValue(dialog, kIdWhitePoint, static_cast<int32_t>(white.kind)));
  ApplyEnabling(dialog, state);
}

bool ReadChromaticity(DialogWindow* dialog, int32_t box, double* value) {
  char text[kEntryCapacity];
  const size_t length = platform::GetControlText(dialog, box, text, sizeof text);
  return length < sizeof text && ParseChromaticity(text, value);
}

bool ReadBlackGeneration(DialogWindow* dialog, int32_t* value) {
  char text[kEntryCapacity];
  const size_t length = platform::GetControlText(dialog, kIdBlackGeneration, text, sizeof text);
  return length < sizeof text && ParseBlackGeneration(text, value);
}

// Takes over the values typed into the entry boxes: x and y when the white point
// is the custom point (0 < x, 0 < y, x + y < 1), the black generation in the CMYK
// dialog. Nothing is taken over unless every entry is sound. Returns 0, or the id
// of the first box whose entry cannot be taken.
int32_t TakeEntries(DialogWindow* dialog, ClrDlgState& state) {
  WhitePoint& white = *state.params->whitePoint;
  double x = white.x, y = white.y;
  if (white.kind == 0) {
    if (!ReadChromaticity(dialog, kIdWhiteX, &x)) return kIdWhiteX;
    if (!ReadChromaticity(dialog, kIdWhiteY, &y) || !(x + y < 1.0)) return kIdWhiteY;
  }
  int32_t blackGeneration = 0;
  if (state.dialogKind == kCmykDialogKind && !ReadBlackGeneration(dialog, &blackGeneration)) {
    return kIdBlackGeneration;
  }
  white.x = x;
  white.y = y;
  if (state.dialogKind == kCmykDialogKind) state.params->cmykOptions->value = blackGeneration;
  return 0;
}

// OK ends the dialog once the entries are taken. Otherwise it stays open with the
// focus on the box to correct or, when the method has disabled that box, on the
// method box, from where the user can bring it back.
void Accept(DialogWindow* dialog, ClrDlgState& state) {
  const int32_t refused = TakeEntries(dialog, state);
  if (refused == 0) return platform::EndDialog(dialog, kIdOk);
  platform::FocusControl(dialog, ControlEnabledFor(state, refused) ? refused : kIdMethod);
}

void Command(DialogWindow* dialog, ClrDlgState& state, int32_t id, ControlNotice notice) {
  switch (id) {
    case kIdMethod: return ReadMethod(dialog, state);
    case kIdWhitePoint: return ReadWhitePoint(dialog, state);
    default: break;
  }
  if (notice != ControlNotice::kClicked) return;
  switch (id) {
    case kIdOk: return Accept(dialog, state);
    case kIdCancel: return platform::EndDialog(dialog, kIdCancel);
    case kIdBgrOrder: state.bgrOrder = platform::IsButtonChecked(dialog, id) ? 1 : 0; return;
    case kIdFromRgb: state.fromRgb = platform::IsButtonChecked(dialog, id) ? 1 : 0; return;
    case kIdRgbToLabRadio:
    case kIdLabToRgbRadio:
      if (state.dialogKind != kLabDialogKind) return;
      state.rgbTableSelected = platform::IsButtonChecked(dialog, kIdRgbToLabRadio) ? 0 : 1;
      return ApplyEnabling(dialog, state);
    default: BrowseForFile(dialog, state, id); return;
  }
}

}  // namespace

void SettingsDialogProcedure(DialogWindow* dialog, const platform::DialogMessage& message, void* context) {
  ClrDlgState& state = *static_cast<ClrDlgState*>(context);
  if (message.kind == platform::DialogMessageKind::kInitialise) {
    Initialise(dialog, state);
  } else {
    Command(dialog, state, message.controlId, message.notice);
  }
}

}  // namespace qclr::dialog

