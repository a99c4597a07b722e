// Where R and B sit in a 3-byte pixel of the RGB side; G is always byte 1. Every
// kernel and converter takes the byte order from rgbOrder through this one type.
#pragma once

#include <cstdint>

namespace qclr {

struct RgbPositions {
  int r;
  int b;
};

// rgbOrder 1: CSP_RGB (R first); 0: CSP_BGR (B first).
inline RgbPositions RgbPositionsFor(int32_t rgbOrder) {
  return rgbOrder ? RgbPositions{0, 2} : RgbPositions{2, 0};
}

}  // namespace qclr
