// The records a colour settings dialog works on while it is shown. They belong to
// one call of Q_ClrDlg; the caller's own records are written only at the end.
#pragma once

#include <cstdint>

#include "qclr/qclr.h"

namespace qclr::dialog {

// What the dialog procedure is handed: the working parameters and the choices
// that are not part of them.
struct ClrDlgState {
  ConversionParams* params;
  int32_t rgbTableSelected;  // Lab dialog: "CIE&Lab To RGB" chosen (the RGB table box is active)
  int32_t bgrOrder;          // "BGR &Order" ticked: the RGB side is CSP_BGR
  int32_t fromRgb;           // "RGB &to CMYK" / "RGB &to LAB" ticked: convert from the RGB side
  int32_t dialogKind;        // kCmykDialogKind or kLabDialogKind
};

struct DialogRecords {
  ConversionParams params;
  WhitePoint whitePoint;
  CmykOptions cmykOptions;  // CMYK dialog only
  ClrDlgState state;

  DialogRecords() = default;
  // The records point into themselves.
  DialogRecords(const DialogRecords&) = delete;
  DialogRecords& operator=(const DialogRecords&) = delete;
};

// The starting choice, whatever the caller's records hold: built-in conversion
// (method and flags 1, table bits 8), white point D50 with x = y = 0, and in the
// CMYK dialog black generation 250 (option mask 1); no box ticked.
void StartDialogRecords(int32_t dialogKind, DialogRecords* records);

}  // namespace qclr::dialog
