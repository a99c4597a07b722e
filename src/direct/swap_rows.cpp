#include "direct/swap_rows.h"

namespace qclr {

void SwapRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const uint8_t first = s[0];
    d[0] = s[2];
    d[1] = s[1];
    d[2] = first;
  }
}

void SwapInvertRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const uint8_t first = s[0];
    d[0] = static_cast<uint8_t>(255 - s[2]);
    d[1] = static_cast<uint8_t>(255 - s[1]);
    d[2] = static_cast<uint8_t>(255 - first);
  }
}

}  // namespace qclr
