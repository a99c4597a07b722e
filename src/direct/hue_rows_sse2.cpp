// HSV and HLS rows with SSE2: 4 pixels a step in 32-bit lanes (hue_lanes.h), the
// bytes moved in and out one at a time (SSE2 has no byte shuffle).
//
// Memory: a step reads its 12 source bytes and then writes its 12 destination
// bytes; the width mod 4 pixels at the end of a row go through the portable rows.
// Nothing outside the row is read or written.
#include "direct/hue_rows.h"

#if QCLR_X86_SIMD
#include "direct/hue_lanes.h"

namespace qclr::hue {
namespace {

using VI = int32_t __attribute__((vector_size(16)));
using VF = float __attribute__((vector_size(16)));
using Lanes = HueLanes<VI, VF>;
constexpr int32_t kStep = 4;

VI Channel(const uint8_t* s, int c) { return VI{s[c], s[3 + c], s[6 + c], s[9 + c]}; }

void Store(VI first, VI second, VI third, uint8_t* d) {
  for (int k = 0; k < kStep; ++k, d += 3) {
    d[0] = static_cast<uint8_t>(first[k]);
    d[1] = static_cast<uint8_t>(second[k]);
    d[2] = static_cast<uint8_t>(third[k]);
  }
}

template <typename Fn>
void EncodeRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos, Fn lanes, HueRow rest) {
  int32_t x = 0;
  for (; x + kStep <= width; x += kStep, s += 3 * kStep, d += 3 * kStep) {
    const Lanes::Lanes3 out = lanes(Channel(s, pos.r), Channel(s, 1), Channel(s, pos.b));
    Store(out.first, out.second, out.third, d);
  }
  rest(s, d, width - x, pos);
}

template <typename Fn>
void DecodeRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos, Fn lanes, HueRow rest) {
  int32_t x = 0;
  for (; x + kStep <= width; x += kStep, s += 3 * kStep, d += 3 * kStep) {
    const Lanes::Lanes3 rgb = lanes(Channel(s, 0), Channel(s, 1), Channel(s, 2));
    Store(pos.r == 0 ? rgb.first : rgb.third, rgb.second, pos.r == 0 ? rgb.third : rgb.first, d);
  }
  rest(s, d, width - x, pos);
}

}  // namespace

void RgbToHsvRowSse2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  EncodeRow(s, d, width, pos, Lanes::RgbToHsvLanes, RgbToHsvRowPortable);
}
void HsvToRgbRowSse2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  DecodeRow(s, d, width, pos, Lanes::HsvToRgbLanes, HsvToRgbRowPortable);
}
void RgbToHlsRowSse2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  EncodeRow(s, d, width, pos, Lanes::RgbToHlsLanes, RgbToHlsRowPortable);
}
void HlsToRgbRowSse2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  DecodeRow(s, d, width, pos, Lanes::HlsToRgbLanes, HlsToRgbRowPortable);
}

}  // namespace qclr::hue

#endif
