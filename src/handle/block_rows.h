// The row loop of the fast rows that convert fixed blocks of pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qclr {

// Runs block(src, dst) on the row's whole blocks of kPixels pixels, then once on
// a copy of the remaining pixels (zeros after them) into a block on the stack, of
// which only those pixels are copied out: nothing outside the row is read or
// written.
template <int kPixels, int kInBytes, int kOutBytes, typename Block>
inline void ForEachBlock(const uint8_t* src, uint8_t* dst, int32_t width, const Block& block) {
  int32_t x = 0;
  for (; x + kPixels <= width; x += kPixels, src += kInBytes * kPixels, dst += kOutBytes * kPixels) {
    block(src, dst);
  }
  if (x < width) {
    const auto rest = static_cast<size_t>(width - x);
    uint8_t in[kInBytes * kPixels] = {}, out[kOutBytes * kPixels];
    std::memcpy(in, src, kInBytes * rest);
    block(in, out);
    std::memcpy(dst, out, kOutBytes * rest);
  }
}

}  // namespace qclr
