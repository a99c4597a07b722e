// The plain C loops a user would write instead of calling a library for the inks,
// built with -O3 -mavx2 in their own file (plain_loops_avx2.cpp): call them only
// when the processor runs AVX2.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bench {

// c = 255 - r, m = 255 - g, y = 255 - b.
void PlainRgbToCmy(const uint8_t* rgb, uint8_t* cmy, size_t pixels);
void PlainCmyToRgb(const uint8_t* cmy, uint8_t* rgb, size_t pixels);
// Full black generation: k = min(c, m, y), the inks less k.
void PlainRgbToCmyk(const uint8_t* rgb, uint8_t* cmyk, size_t pixels);
// r = (255 - c) (255 - k) / 255, and so on.
void PlainCmykToRgb(const uint8_t* cmyk, uint8_t* rgb, size_t pixels);

}  // namespace bench
