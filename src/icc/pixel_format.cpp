#include "icc/pixel_format.h"

#include <cstring>

#include "icc/icc_engine.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// 8-bit channels widen by b * 257, so 0xFF becomes 0xFFFF; they narrow to the
// high byte, truncating.
const uint8_t* Unpack3x8(const uint8_t* in, uint16_t* c) {
  for (int i = 0; i < 3; ++i) c[i] = static_cast<uint16_t>(in[i] * 257);
  return in + 3;
}

const uint8_t* Unpack3x8Swapped(const uint8_t* in, uint16_t* c) {
  for (int i = 0; i < 3; ++i) c[2 - i] = static_cast<uint16_t>(in[i] * 257);
  return in + 3;
}

const uint8_t* Unpack4x8(const uint8_t* in, uint16_t* c) {
  for (int i = 0; i < 4; ++i) c[i] = static_cast<uint16_t>(in[i] * 257);
  return in + 4;
}

const uint8_t* Unpack3x16(const uint8_t* in, uint16_t* c) {
  std::memcpy(c, in, 6);
  return in + 6;
}

const uint8_t* Unpack4x16(const uint8_t* in, uint16_t* c) {
  std::memcpy(c, in, 8);
  return in + 8;
}

uint8_t* Pack3x8(const uint16_t* c, uint8_t* out) {
  for (int i = 0; i < 3; ++i) out[i] = static_cast<uint8_t>(c[i] >> 8);
  return out + 3;
}

uint8_t* Pack3x8Swapped(const uint16_t* c, uint8_t* out) {
  for (int i = 0; i < 3; ++i) out[i] = static_cast<uint8_t>(c[2 - i] >> 8);
  return out + 3;
}

uint8_t* Pack4x8(const uint16_t* c, uint8_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(c[i] >> 8);
  return out + 4;
}

uint8_t* Pack3x16(const uint16_t* c, uint8_t* out) {
  std::memcpy(out, c, 6);
  return out + 6;
}

uint8_t* Pack4x16(const uint16_t* c, uint8_t* out) {
  std::memcpy(out, c, 8);
  return out + 8;
}

}  // namespace

Unpacker SelectUnpacker(uint32_t format) {
  const uint32_t bytes = FormatBytes(format), channels = FormatChannels(format);
  if (bytes == 1 && channels == 3) return FormatSwapped(format) ? Unpack3x8Swapped : Unpack3x8;
  if (bytes == 1 && channels == 4) return Unpack4x8;  // the swap bit is ignored
  if (bytes == 2 && channels == 3) return Unpack3x16;
  if (bytes == 2 && channels == 4) return Unpack4x16;
  return nullptr;
}

Packer SelectPacker(uint32_t format) {
  const uint32_t bytes = FormatBytes(format), channels = FormatChannels(format);
  if (bytes == 1 && channels == 3) return FormatSwapped(format) ? Pack3x8Swapped : Pack3x8;
  if (bytes == 1 && channels == 4) return Pack4x8;
  if (bytes == 2 && channels == 3) return Pack3x16;
  if (bytes == 2 && channels == 4) return Pack4x16;
  return nullptr;
}

uint32_t IccFormatOfSpace(int32_t space) {
  switch (space) {
    case CSP_RGB: return kFormatRgb8;
    case CSP_BGR: return kFormatBgr8;
    case CSP_CMYK:
    case CSP_YCCK: return kFormatCmyk8;
    case CSP_CMY: return kFormatCmy8;
    case CSP_LAB: return kFormatLab8;
    default: return 0;
  }
}

uint32_t RequiredProfileSpace(uint32_t format) {
  switch (format) {
    case kFormatRgb8:
    case kFormatBgr8: return 0x52474220;  // 'RGB '
    case kFormatCmy8: return 0x434D5920;  // 'CMY '
    case kFormatCmyk8: return 0x434D594B; // 'CMYK'
    case kFormatLab8: return 0x4C616220;  // 'Lab '
    default: return 0;
  }
}

}  // namespace qclr
