// Per-pixel formulas of the fixed video layouts (YUV 4:4:4, YUY2, UYVY, Y41P, YVU9),
// shared by their row functions.
#pragma once

#include <cstdint>

#include "base/rgb_positions.h"
#include "numeric/truncate.h"

namespace qclr {

inline uint8_t ClampToByte(int32_t v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Video-range Y, U, V (Y 16..235, chroma centred on 128) to one RGB pixel. The
// weights are scaled by 1024, with the offsets 16 and 128 and half a unit for
// rounding folded into the constants:
//   283008 = 1192*16 + 2066*128 - 512
//   139264 = -1192*16 + 400*128 + 833*128 + 512
//   227712 = 1192*16 + 1634*128 - 512
// The division truncates toward zero.
inline void DecodeVideoRangePixel(int32_t y, int32_t u, int32_t v, uint8_t* rgb, RgbPositions at) {
  const int32_t b = (1192 * y + 2066 * u - 283008) / 1024;
  const int32_t g = (1192 * y - 400 * u - 833 * v + 139264) / 1024;
  const int32_t r = (1192 * y + 1634 * v - 227712) / 1024;
  rgb[at.r] = ClampToByte(r);
  rgb[1] = ClampToByte(g);
  rgb[at.b] = ClampToByte(b);
}

struct VideoSample {
  uint8_t y;
  uint8_t u;
  uint8_t v;
};

// One RGB pixel to video-range Y, U, V, the formula of the subsampled encoders.
// The weights are scaled by 1024 and applied to the channels less one half; each
// sum is truncated, shifted down arithmetically and offset, and only its low 8 bits
// are kept (for 8-bit input the results stay within 15..234 and 16..239).
inline VideoSample EncodeVideoRangePixel(const uint8_t* rgb, RgbPositions at) {
  const double r = rgb[at.r] - 0.5, g = rgb[1] - 0.5, b = rgb[at.b] - 0.5;
  const int32_t sy = TruncToInt32(263 * r + 516 * g + 100 * b);
  const int32_t su = TruncToInt32(450 * b - 298 * g - 152 * r);
  const int32_t sv = TruncToInt32(450 * r - 377 * g - 73 * b);
  return {static_cast<uint8_t>(16 + (sy >> 10)), static_cast<uint8_t>(128 + (su >> 10)),
          static_cast<uint8_t>(128 + (sv >> 10))};
}

// Image geometry common to the kernels: nothing to convert for sizes below 1.
inline bool HasPixels(int32_t width, int32_t height) { return width >= 1 && height >= 1; }

}  // namespace qclr
