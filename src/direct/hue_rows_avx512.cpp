// HSV and HLS rows with AVX-512: 16 pixels a step in 32-bit lanes (hue_lanes.h).
//
// Memory: a step reads its 48 source bytes and then writes its 48 destination
// bytes; the width mod 16 pixels at the end of a row go through the portable rows.
// Nothing outside the row is read or written.
#include "direct/hue_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include "direct/hue_lanes.h"
#include "direct/hue_row_loops.h"
#include "direct/pixel_shuffle_x86.h"

// GCC 12 takes the undefined upper lanes that many intrinsics start from for
// uninitialised values.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace qclr::hue {
namespace {

using VI = int32_t __attribute__((vector_size(64)));
using VF = float __attribute__((vector_size(64)));
using Lanes = HueLanes<VI, VF>;
constexpr int32_t kStep = 16;

// Sixteen pixels (two groups of 8) to and from three channels of 32-bit lanes.
class PixelIo {
 public:
  PixelIo(int first, int second, int third)
      : split_{SplitMasks(first), SplitMasks(second), SplitMasks(third)} {}

  Lanes::Lanes3 Load(const uint8_t* s) const {
    const Pixels8 low(s), high(s + 24);
    return {Widen(low, high, split_[0]), Widen(low, high, split_[1]), Widen(low, high, split_[2])};
  }
  void Store(VI first, VI second, VI third, uint8_t* d) const {
    const __m128i a = Narrow(first), b = Narrow(second), c = Narrow(third);
    join_.Store(_mm_unpacklo_epi64(a, b), c, d);
    join_.Store(_mm_unpackhi_epi64(a, b), _mm_srli_si128(c, 8), d + 24);
  }

 private:
  static VI Widen(const Pixels8& low, const Pixels8& high, const ChannelMasks& m) {
    return reinterpret_cast<VI>(_mm512_cvtepu8_epi32(_mm_unpacklo_epi64(low.Channel(m), high.Channel(m))));
  }
  // The low byte of each lane.
  static __m128i Narrow(VI v) { return _mm512_cvtepi32_epi8(reinterpret_cast<__m512i>(v)); }

  ChannelMasks split_[3];
  JoinMasks join_;
};

}  // namespace

void RgbToHsvRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  EncodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::RgbToHsvLanes, RgbToHsvRowPortable);
}
void HsvToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  DecodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::HsvToRgbLanes, HsvToRgbRowPortable);
}
void RgbToHlsRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  EncodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::RgbToHlsLanes, RgbToHlsRowPortable);
}
void HlsToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  DecodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::HlsToRgbLanes, HlsToRgbRowPortable);
}

}  // namespace qclr::hue

#endif
