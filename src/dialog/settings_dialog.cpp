// Q_ClrDlg: lets the user choose conversion parameters in one of the two colour
// settings dialogs, creates a handle from the choice and hands the choice back.
#include <cstring>

#include "dialog/control_ids.h"
#include "dialog/dialog_records.h"
#include "dialog/settings_procedure.h"
#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr::dialog {
namespace {

void ExchangeProfileNames(ConversionParams& params) {
  char name[QCLR_FILE_NAME_SIZE];
  std::memcpy(name, params.srcProfileName, sizeof name);
  std::memcpy(params.srcProfileName, params.dstProfileName, sizeof name);
  std::memcpy(params.dstProfileName, name, sizeof name);
}

// There is no emulation table from RGB to CMYK: the CMYK dialog converts from the
// RGB side with the built-in formulas instead.
void ReplaceEmulationMethod(const ClrDlgState& state, ConversionParams& params) {
  if (state.dialogKind != kCmykDialogKind) return;
  if (params.method == METHOD_BUILTIN_TABLES || params.method == METHOD_CUSTOM_TABLES) {
    params.method = METHOD_BUILTIN;
    params.flags = METHOD_BUILTIN;
  }
}

// The handle for the choice. Its status is not the dialog's: a choice that cannot
// be made into a handle leaves *outHandle unwritten.
void CreateHandle(DialogRecords& records, ClrHandle** outHandle) {
  const ClrDlgState& state = records.state;
  ConversionParams& work = records.params;
  const int32_t rgbSide = state.bgrOrder == 1 ? CSP_BGR : CSP_RGB;
  const int32_t otherSide = state.dialogKind == kCmykDialogKind ? CSP_CMYK : CSP_LAB;
  if (state.fromRgb == 1) {
    // The profile of the other side becomes the destination's, for this call only.
    const bool exchange = work.method == METHOD_CUSTOM_ICC;
    if (exchange) ExchangeProfileNames(work);
    ReplaceEmulationMethod(state, work);
    Q_ClrInit(outHandle, rgbSide, otherSide, &work);
    if (exchange) ExchangeProfileNames(work);
  } else {
    Q_ClrInit(outHandle, otherSide, rgbSide, &work);
  }
}

// The choice into the caller's records; its pointers to sub-records stay its own.
void CopyBack(const DialogRecords& records, ConversionParams* params) {
  const ConversionParams& work = records.params;
  params->whitePoint->kind = records.whitePoint.kind;
  params->whitePoint->x = records.whitePoint.x;
  params->whitePoint->y = records.whitePoint.y;
  if (records.state.dialogKind == kCmykDialogKind) *params->cmykOptions = records.cmykOptions;
  params->method = work.method;
  params->flags = work.flags;
  params->structSize = work.structSize;
  params->tableBits = work.tableBits;
  std::memcpy(params->srcProfileName, work.srcProfileName, QCLR_FILE_NAME_SIZE);
  std::memcpy(params->dstProfileName, work.dstProfileName, QCLR_FILE_NAME_SIZE);
  std::memcpy(params->tableFileName, work.tableFileName, QCLR_FILE_NAME_SIZE);
}

}  // namespace
}  // namespace qclr::dialog

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrDlg(int32_t dialogKind, void* parentWindow,
                                               ClrHandle** outHandle, ConversionParams* params) {
  using namespace qclr::dialog;
  if (dialogKind != kCmykDialogKind && dialogKind != kLabDialogKind) return CLR_OK;
  if (params != nullptr &&
      (params->whitePoint == nullptr || (dialogKind == kCmykDialogKind && params->cmykOptions == nullptr))) {
    return CLR_ERR_PARAM;
  }
  DialogRecords records;
  StartDialogRecords(dialogKind, &records);
  const int32_t templateId = dialogKind == kCmykDialogKind ? kCmykTemplateId : kLabTemplateId;
  // Only Cancel cancels: a dialog that cannot be shown takes the starting choice.
  const int32_t ended =
      qclr::platform::RunModalDialog(templateId, parentWindow, SettingsDialogProcedure, &records.state);
  if (ended == kIdCancel) return CLR_CANCELLED;

  if (outHandle != nullptr) {
    CreateHandle(records, outHandle);
  } else if (dialogKind == kLabDialogKind) {
    return CLR_ERR_PARAM;
  }
  if (params == nullptr) return CLR_OK;
  // Also when no handle was asked for, the caller receives the method a handle
  // would have been made with.
  if (records.state.fromRgb == 1) ReplaceEmulationMethod(records.state, records.params);
  CopyBack(records, params);
  return CLR_OK;
}
