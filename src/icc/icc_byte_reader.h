// Bounded big-endian reading of profile bytes: every read checks that the bytes
// are there, so a profile can never be read past its end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qclr {

class IccByteReader {
 public:
  IccByteReader() = default;
  IccByteReader(const uint8_t* data, size_t size, size_t position = 0)
      : data_(data), size_(size), position_(position <= size ? position : size) {}

  size_t Remaining() const { return size_ - position_; }
  size_t Position() const { return position_; }
  size_t Size() const { return size_; }

  // A reader over the same bytes, at `offset` from their start (at the end when
  // `offset` lies beyond it, so that every read fails).
  IccByteReader At(size_t offset) const { return IccByteReader(data_, size_, offset); }

  // Each read returns false, leaving the output and the position alone, when
  // fewer bytes remain than it needs.
  bool ReadU8(uint8_t* v) {
    if (Remaining() < 1) return false;
    *v = data_[position_++];
    return true;
  }
  bool ReadU16(uint16_t* v) {
    if (Remaining() < 2) return false;
    *v = static_cast<uint16_t>((data_[position_] << 8) | data_[position_ + 1]);
    position_ += 2;
    return true;
  }
  bool ReadU32(uint32_t* v) {
    if (Remaining() < 4) return false;
    const uint8_t* p = data_ + position_;
    *v = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
    position_ += 4;
    return true;
  }
  bool ReadS32(int32_t* v) {
    uint32_t u;
    if (!ReadU32(&u)) return false;
    *v = static_cast<int32_t>(u);
    return true;
  }
  // The next `count` bytes, or null when they are not all there.
  const uint8_t* Take(size_t count) {
    if (Remaining() < count) return nullptr;
    const uint8_t* p = data_ + position_;
    position_ += count;
    return p;
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t position_ = 0;
};

// s15Fixed16Number as a double: sign * ((|raw| & 0xFFFF) / 65536 + (|raw| >> 16)),
// which equals raw / 65536 (the magnitude is taken unsigned, so INT32_MIN works).
inline double S15Fixed16ToDouble(int32_t raw) {
  const uint32_t magnitude = raw < 0 ? 0u - static_cast<uint32_t>(raw) : static_cast<uint32_t>(raw);
  const double value = (magnitude & 0xFFFF) / 65536.0 + static_cast<double>(magnitude >> 16);
  return raw < 0 ? -value : value;
}

// u8Fixed8Number: high byte + low byte / 256.
inline double U8Fixed8ToDouble(uint16_t raw) { return (raw >> 8) + (raw & 0xFF) * 0.00390625; }

}  // namespace qclr
