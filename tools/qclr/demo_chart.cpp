#include "demo_chart.h"

#include <algorithm>
#include <cstdlib>

#include "qclr/qclr.h"

namespace qclr_tool {

Image MakeChart(int32_t width, int32_t height) {
  Image chart;
  chart.space = FindSpace(CSP_RGB);
  chart.width = width;
  chart.height = height;
  chart.bytes.resize(PackedBytes(*chart.space, width, height));
  const int32_t band = height - 8, half = band / 2;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &chart.bytes[3 * (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x))];
      if (y >= band) {
        p[0] = p[1] = p[2] = static_cast<uint8_t>(x * 255 / (width - 1));
        continue;
      }
      const int32_t sector = x * 6 / width, step = (x * 6 % width) * 255 / width;
      const int32_t rising = step, falling = 255 - step;
      const int32_t table[6][3] = {{255, rising, 0},  {falling, 255, 0}, {0, 255, rising},
                                   {0, falling, 255}, {rising, 0, 255},  {255, 0, falling}};
      for (int c = 0; c < 3; ++c) {
        const int32_t v = table[sector][c];
        // Top half: towards white; bottom half: towards black.
        const int32_t shaded = y < half ? v + (255 - v) * (half - 1 - y) / half : v * (band - y) / half;
        p[c] = static_cast<uint8_t>(std::clamp(shaded, 0, 255));
      }
    }
  }
  return chart;
}

Difference Compare(const Image& a, const Image& b) {
  Difference d;
  long long sum = 0;
  const size_t n = std::min(a.bytes.size(), b.bytes.size());
  for (size_t i = 0; i < n; ++i) {
    const int delta = std::abs(a.bytes[i] - b.bytes[i]);
    d.maximum = std::max(d.maximum, delta);
    sum += delta;
  }
  d.mean = n == 0 ? 0.0 : static_cast<double>(sum) / static_cast<double>(n);
  return d;
}

}  // namespace qclr_tool
