// Samples of more than 8 bits reduced to the library's bytes, by rounding to the
// nearest of the 256 levels.
#pragma once

#include <cstdint>

namespace qclr_tool {

// v of 0..maxval onto 0..255, rounded (halves up): (v * 255 + maxval / 2) / maxval.
inline uint8_t ScaleToByte(uint32_t v, uint32_t maxval) {
  return static_cast<uint8_t>((uint64_t{v} * 255 + maxval / 2) / maxval);
}

inline uint8_t Reduce16(uint16_t v) { return ScaleToByte(v, 65535); }

// A 16-bit a* or b* stored as a signed value of 256 a unit onto a signed byte:
// rounded, and kept within -128..127.
inline uint8_t ReduceSignedLab16(int16_t v) {
  const int32_t rounded = (int32_t{v} + 128) >> 8;
  return static_cast<uint8_t>(static_cast<int8_t>(rounded > 127 ? 127 : rounded));
}

// A 16-bit a* + 128 or b* + 128 stored 256 a unit onto a byte, rounded, at most 255.
inline uint8_t ReduceOffsetLab16(uint16_t v) {
  const uint32_t rounded = (uint32_t{v} + 128) >> 8;
  return static_cast<uint8_t>(rounded > 255 ? 255 : rounded);
}

// A big-endian 16-bit sample.
inline uint16_t BigEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

}  // namespace qclr_tool
