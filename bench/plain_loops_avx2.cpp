#include "plain_loops.h"

#include <algorithm>

namespace bench {

void PlainRgbToCmy(const uint8_t* rgb, uint8_t* cmy, size_t pixels) {
  for (size_t i = 0; i < 3 * pixels; ++i) cmy[i] = static_cast<uint8_t>(255 - rgb[i]);
}

void PlainCmyToRgb(const uint8_t* cmy, uint8_t* rgb, size_t pixels) {
  for (size_t i = 0; i < 3 * pixels; ++i) rgb[i] = static_cast<uint8_t>(255 - cmy[i]);
}

void PlainRgbToCmyk(const uint8_t* rgb, uint8_t* cmyk, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t c = 255 - rgb[3 * i], m = 255 - rgb[3 * i + 1], y = 255 - rgb[3 * i + 2];
    const uint8_t k = std::min({c, m, y});
    cmyk[4 * i] = c - k;
    cmyk[4 * i + 1] = m - k;
    cmyk[4 * i + 2] = y - k;
    cmyk[4 * i + 3] = k;
  }
}

void PlainCmykToRgb(const uint8_t* cmyk, uint8_t* rgb, size_t pixels) {
  for (size_t i = 0; i < pixels; ++i) {
    const unsigned white = 255u - cmyk[4 * i + 3];
    for (int ch = 0; ch < 3; ++ch) {
      rgb[3 * i + ch] = static_cast<uint8_t>((255u - cmyk[4 * i + ch]) * white / 255u);
    }
  }
}

}  // namespace bench
