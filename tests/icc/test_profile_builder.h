// A tiny ICC profile writer for the reader's tests: well-formed profiles by
// default, with hooks to break them (signature, directory entries, truncation).
#pragma once

#include <cstdint>
#include <vector>

#include "icc/icc_signatures.h"

namespace qclr::test {

using Bytes = std::vector<uint8_t>;

inline void PutU8(Bytes& b, uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
inline void PutU16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
inline void PutU32(Bytes& b, uint32_t v) {
  PutU16(b, v >> 16);
  PutU16(b, v & 0xFFFF);
}
inline void SetU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Tag data: type signature, reserved word, then the body.
inline Bytes TagHead(uint32_t type) {
  Bytes b;
  PutU32(b, type);
  PutU32(b, 0);
  return b;
}

inline Bytes XyzTag(int32_t x, int32_t y, int32_t z, uint32_t type = kIccTypeXyz) {
  Bytes b = TagHead(type);
  for (int32_t v : {x, y, z}) PutU32(b, static_cast<uint32_t>(v));
  return b;
}

inline Bytes CurveTag(const std::vector<uint16_t>& entries) {
  Bytes b = TagHead(kIccTypeCurve);
  PutU32(b, static_cast<uint32_t>(entries.size()));
  for (uint16_t v : entries) PutU16(b, v);
  return b;
}

// A lookup table tag as written; an 8-bit table writes the low byte of each value.
struct TestLut {
  bool wide = true;
  uint32_t inputs = 3, outputs = 3, points = 2;
  uint32_t inputEntries = 2, outputEntries = 2;  // written for 16-bit tables only
  int32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x10000};
  std::vector<uint16_t> values;  // input curves, grid, output curves, back to back
};

inline Bytes LutTag(const TestLut& lut) {
  Bytes b = TagHead(lut.wide ? kIccTypeLut16 : kIccTypeLut8);
  for (uint32_t v : {lut.inputs, lut.outputs, lut.points, 0u}) PutU8(b, v);
  for (int32_t m : lut.matrix) PutU32(b, static_cast<uint32_t>(m));
  if (lut.wide) {
    PutU16(b, lut.inputEntries);
    PutU16(b, lut.outputEntries);
  }
  for (uint16_t v : lut.values) lut.wide ? PutU16(b, v) : PutU8(b, v);
  return b;
}

// The evenly spaced curve the reader calls linear: floor(i / (n - 1) * 65535 + 0.5).
inline std::vector<uint16_t> Ramp(uint32_t entries) {
  std::vector<uint16_t> r(entries);
  for (uint32_t i = 0; i < entries; ++i) r[i] = static_cast<uint16_t>(i / double(entries - 1) * 65535.0 + 0.5);
  return r;
}

class TestProfile {
 public:
  uint32_t deviceClass = kIccClassDisplay;
  uint32_t colorSpace = kIccSpaceRgb;
  uint32_t connectionSpace = kIccSpaceXyz;
  uint32_t renderingIntent = 0;
  uint32_t magic = kIccMagic;
  int32_t illuminant[3] = {0xF6D6, 0x10000, 0xD32D};

  TestProfile& Tag(uint32_t signature, Bytes data) {
    tags_.push_back({signature, std::move(data)});
    return *this;
  }

  // The profile: header, directory, tag data 4-byte aligned in the order added.
  Bytes Build() const {
    Bytes b(128, 0);
    SetU32(b, 8, 0x02100000);
    SetU32(b, 12, deviceClass);
    SetU32(b, 16, colorSpace);
    SetU32(b, 20, connectionSpace);
    SetU32(b, 36, magic);
    SetU32(b, 64, renderingIntent);
    for (int i = 0; i < 3; ++i) SetU32(b, 68 + 4 * i, static_cast<uint32_t>(illuminant[i]));
    PutU32(b, static_cast<uint32_t>(tags_.size()));
    const size_t directory = b.size();
    b.resize(directory + 12 * tags_.size());
    for (size_t i = 0; i < tags_.size(); ++i) {
      while (b.size() % 4) b.push_back(0);
      SetU32(b, directory + 12 * i, tags_[i].signature);
      SetU32(b, directory + 12 * i + 4, static_cast<uint32_t>(b.size()));
      SetU32(b, directory + 12 * i + 8, static_cast<uint32_t>(tags_[i].data.size()));
      b.insert(b.end(), tags_[i].data.begin(), tags_[i].data.end());
    }
    SetU32(b, 0, static_cast<uint32_t>(b.size()));
    return b;
  }

  // Byte offset of directory entry `index` (signature, then offset, then size).
  static size_t EntryAt(size_t index) { return 132 + 12 * index; }

 private:
  struct TagData {
    uint32_t signature;
    Bytes data;
  };
  std::vector<TagData> tags_;
};

}  // namespace qclr::test
