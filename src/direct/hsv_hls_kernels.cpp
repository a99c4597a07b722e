// HSV and HLS in integer arithmetic. Both keep H on a byte: HSV through degrees
// (0..359, then scaled by 255/360), HLS directly on a wheel of 255 steps.
#include <algorithm>

#include "base/pixel_loop.h"
#include "direct/hue_kernels.h"
#include "direct/hue_rows.h"
#include "numeric/mul_div.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

void RgbToHsvPixel(int32_t r, int32_t g, int32_t b, uint8_t* hsv) {
  const int32_t mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
  // d >= 1 whenever mx > mn, so S is 0 exactly for greys and no MulDiv below
  // divides by zero.
  const int32_t s = mx == 0 ? 0 : MulDiv(d, 255, mx);
  int32_t h = 0;
  if (s != 0) {
    if (r == mx) {
      h = MulDiv(g - b, 60, d);
    } else if (g == mx) {
      h = MulDiv(b - r, 60, d) + 120;
    } else {
      h = MulDiv(r - g, 60, d) + 240;
    }
    if (h < 0) h += 360;
  }
  hsv[0] = static_cast<uint8_t>(h * 255 / 360);
  hsv[1] = static_cast<uint8_t>(s);
  hsv[2] = static_cast<uint8_t>(mx);
}

void HsvToRgbPixel(const uint8_t* hsv, uint8_t* out, RgbPositions pos) {
  const int32_t s = hsv[1], v = hsv[2];
  int32_t red = v, green = v, blue = v;
  if (s != 0) {
    int32_t h = hsv[0] * 360 / 255;
    if (h == 360) h = 0;
    const int32_t f = h % 60;
    const int32_t p = v - s * v / 255;
    const int32_t q = v - s * v * f / 15300;  // 15300 = 255 x 60
    const int32_t t = v - s * v * (60 - f) / 15300;
    switch (h / 60) {
      case 0: red = v, green = t, blue = p; break;
      case 1: red = q, green = v, blue = p; break;
      case 2: red = p, green = v, blue = t; break;
      case 3: red = p, green = q, blue = v; break;
      case 4: red = t, green = p, blue = v; break;
      default: red = v, green = p, blue = q; break;
    }
  }
  out[pos.r] = static_cast<uint8_t>(red);
  out[1] = static_cast<uint8_t>(green);
  out[pos.b] = static_cast<uint8_t>(blue);
}

void RgbToHlsPixel(int32_t r, int32_t g, int32_t b, uint8_t* hls) {
  const int32_t mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
  int32_t h = 0, s = 0;
  if (mx != mn) {
    // mx + mn < 510 here, so neither divisor is 0; S >= 1 since d >= 1.
    s = mx + mn < 256 ? d * 255 / (mx + mn) : d * 255 / (510 - mx - mn);
    const int32_t e = 6 * d;
    if (r == mx) {
      h = (g - b) * 255 / e;
    } else if (g == mx) {
      h = (b - r) * 255 / e + 85;
    } else {
      h = (r - g) * 255 / e + 170;
    }
    if (h < 0) h += 255;
  }
  hls[0] = static_cast<uint8_t>(h);
  hls[1] = static_cast<uint8_t>((mx + mn) / 2);
  hls[2] = static_cast<uint8_t>(s);
}

// One channel of HLS -> RGB: x is the channel's position on the 255-step wheel.
// A ramp from m1 up to m2 over 0..42, m2 up to 127, a ramp back down to m1 over
// 127..170, m1 beyond.
int32_t HlsChannel(int32_t m1, int32_t m2, int32_t x) {
  if (x <= 42) return m1 + (m2 - m1) * x * 6 / 255;
  if (x <= 127) return m2;
  if (x <= 170) return m1 + (m2 - m1) * 6 * (170 - x) / 255;
  return m1;
}

void HlsToRgbPixel(const uint8_t* hls, uint8_t* out, RgbPositions pos) {
  const int32_t h = hls[0], l = hls[1], s = hls[2];
  int32_t red = l, green = l, blue = l;
  if (s != 0) {
    // m1 <= l <= m2 <= 255 and m1 >= 0 for every byte triple.
    const int32_t m2 = l < 128 ? (s + 255) * l / 255 : s + l - s * l / 255;
    const int32_t m1 = 2 * l - m2;
    const int32_t hr = h + 85 > 255 ? h + 85 - 255 : h + 85;
    const int32_t hb = h - 85 < 0 ? h - 85 + 255 : h - 85;
    red = HlsChannel(m1, m2, hr);
    green = HlsChannel(m1, m2, h);
    blue = HlsChannel(m1, m2, hb);
  }
  out[pos.r] = static_cast<uint8_t>(red);
  out[1] = static_cast<uint8_t>(green);
  out[pos.b] = static_cast<uint8_t>(blue);
}

}  // namespace

namespace hue {

void RgbToHsvRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) RgbToHsvPixel(s[pos.r], s[1], s[pos.b], d);
}

void HsvToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) HsvToRgbPixel(s, d, pos);
}

void RgbToHlsRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) RgbToHlsPixel(s[pos.r], s[1], s[pos.b], d);
}

void HlsToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) HlsToRgbPixel(s, d, pos);
}

}  // namespace hue

namespace {

int32_t ConvertRows(hue::HueRow row, const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                    int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  const ptrdiff_t rowBytes = 3 * ptrdiff_t{width};
  ForEachRow(src, PaddedStride(rowBytes, inAlign), dst, PaddedStride(rowBytes, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, width, pos); });
  return CLR_OK;
}

}  // namespace

int32_t RgbToHsv(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(hue::kRgbToHsvRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t HsvToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(hue::kHsvToRgbRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t RgbToHls(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(hue::kRgbToHlsRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t HlsToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(hue::kHlsToRgbRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

}  // namespace qclr
