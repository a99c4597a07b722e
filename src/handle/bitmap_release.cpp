// Q_ClrFreeBitmap: releases what the bitmap exports allocated for a record.
#include "handle/bitmap_storage.h"
#include "qclr/qclr.h"

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrFreeBitmap(BitmapRecord* bitmap) {
  if (bitmap == nullptr) return CLR_ERR_PARAM;
  qclr::ReleaseBitmapStorage(bitmap);
  *bitmap = BitmapRecord{};
  return CLR_OK;
}
