// Pixel-format words of the ICC engine and the unpackers and packers between
// pixel bytes and the 16-bit channels (0..65535) a transform works on.
//
//   bits 0-2   bytes per channel (1 or 2)
//   bits 3-6   channels per pixel (3 or 4)
//   bit  10    channels stored in reverse order
//   bits 16-20 colour space (4 RGB, 5 CMY, 6 CMYK, 10 Lab)
#pragma once

#include <cstdint>

namespace qclr {

inline constexpr uint32_t kFormatRgb8 = 0x40019;
inline constexpr uint32_t kFormatBgr8 = 0x40419;
inline constexpr uint32_t kFormatCmy8 = 0x50019;
inline constexpr uint32_t kFormatCmyk8 = 0x60021;
inline constexpr uint32_t kFormatLab8 = 0xA0019;
inline constexpr uint32_t kFormat3x16 = 0x4001A;  // used while sampling
inline constexpr uint32_t kFormat4x16 = 0x60022;

inline constexpr uint32_t FormatBytes(uint32_t f) { return f & 7; }
inline constexpr uint32_t FormatChannels(uint32_t f) { return (f >> 3) & 15; }
inline constexpr bool FormatSwapped(uint32_t f) { return ((f >> 10) & 1) != 0; }
inline constexpr uint32_t FormatSpace(uint32_t f) { return (f >> 16) & 31; }

// Each returns the pointer advanced past the pixel.
using Unpacker = const uint8_t* (*)(const uint8_t* in, uint16_t* channels);
using Packer = uint8_t* (*)(const uint16_t* channels, uint8_t* out);

// The unpacker / packer of a format, or null for a combination without one.
Unpacker SelectUnpacker(uint32_t format);
Packer SelectPacker(uint32_t format);

// The ICC colour-space signature a profile must have to serve an 8-bit format
// ('RGB ' for RGB and BGR), or 0 for formats without a requirement.
uint32_t RequiredProfileSpace(uint32_t format);

}  // namespace qclr
