// The CMYK <-> YCCK steps: lookups, additions and shifts per channel.
#include <cstddef>

#include "base/row_layout.h"
#include "direct/conversion_tables.h"
#include "direct/store_policy.h"
#include "direct/ycck_kernels.h"
#include "qclr/qclr.h"

namespace qclr {

void CmykToYcckRow(const YccTables& t, const uint8_t* s, uint8_t* d, int32_t width) {
  for (int32_t x = 0; x < width; ++x, s += 4, d += 4) {
    const int r = 255 - s[0], g = 255 - s[1], b = 255 - s[2];
    const uint8_t k = s[3];
    d[0] = static_cast<uint8_t>((t.ry[r] + t.gy[g] + t.by[b]) >> 16);
    d[1] = static_cast<uint8_t>((t.rcb[r] + t.gcb[g] + t.bcb[b]) >> 16);
    d[2] = static_cast<uint8_t>((t.bcb[r] + t.gcr[g] + t.bcr[b]) >> 16);
    d[3] = k;
  }
}

void YcckToCmykRow(const YccTables& t, const uint8_t* s, uint8_t* d, int32_t width) {
  const uint8_t* limit = t.limit;
  for (int32_t x = 0; x < width; ++x, s += 4, d += 4) {
    const int y = s[0], cb = s[1], cr = s[2];
    const uint8_t k = s[3];
    d[0] = limit[255 - (y + t.crR[cr])];
    d[1] = limit[255 - (y + ((t.cbG[cb] + t.crG[cr]) >> 16))];
    d[2] = limit[255 - (y + t.cbB[cb])];
    d[3] = k;
  }
}

namespace {

int32_t ConvertRows(YccTableRow rowFn, const YccTables& t, const uint8_t* src, uint8_t* dst,
                    int32_t width, int32_t height, int32_t inAlign, int32_t outAlign) {
  const ptrdiff_t row = 4 * ptrdiff_t{width};
  const StreamingStoresScope streaming(static_cast<size_t>(PaddedStride(row, outAlign) * height));
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { rowFn(t, s, d, width); });
  return CLR_OK;
}

}  // namespace

int32_t CmykToYcck(const YccTables& t, const uint8_t* src, uint8_t* dst, int32_t width,
                   int32_t height, int32_t inAlign, int32_t outAlign) {
  return ConvertRows(SelectRow(kCmykToYcckRows), t, src, dst, width, height, inAlign, outAlign);
}

int32_t YcckToCmyk(const YccTables& t, const uint8_t* src, uint8_t* dst, int32_t width,
                   int32_t height, int32_t inAlign, int32_t outAlign) {
  return ConvertRows(SelectRow(kYcckToCmykRows), t, src, dst, width, height, inAlign, outAlign);
}

}  // namespace qclr
