#include "dialog/dialog_records.h"

#include <cstring>

#include "dialog/control_ids.h"

namespace qclr::dialog {

void StartDialogRecords(int32_t dialogKind, DialogRecords* records) {
  ConversionParams& p = records->params;
  std::memset(&p, 0, sizeof p);
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  p.method = METHOD_BUILTIN;
  p.flags = METHOD_BUILTIN;
  p.tableBits = 8;
  records->whitePoint = WhitePoint{50, 0, 0.0, 0.0};
  p.whitePoint = &records->whitePoint;
  records->cmykOptions = CmykOptions{QCLR_CMYK_OPTIONS_SIZE, 250, 1};
  if (dialogKind == kCmykDialogKind) p.cmykOptions = &records->cmykOptions;
  records->state = ClrDlgState{&p, 0, 0, 0, dialogKind};
}

}  // namespace qclr::dialog
