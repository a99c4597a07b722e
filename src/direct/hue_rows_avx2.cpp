// HSV and HLS rows with AVX2: 8 pixels a step in 32-bit lanes (hue_lanes.h).
//
// Memory: a step reads its 24 source bytes and then writes its 24 destination
// bytes; the width mod 8 pixels at the end of a row go through the portable rows.
// Nothing outside the row is read or written.
#include "direct/hue_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include "direct/hue_lanes.h"
#include "direct/hue_row_loops.h"
#include "direct/pixel_shuffle_x86.h"

namespace qclr::hue {
namespace {

using VI = int32_t __attribute__((vector_size(32)));
using VF = float __attribute__((vector_size(32)));
using Lanes = HueLanes<VI, VF>;
constexpr int32_t kStep = 8;

// Eight pixels to and from three channels of 32-bit lanes.
class PixelIo {
 public:
  PixelIo(int first, int second, int third)
      : split_{SplitMasks(first), SplitMasks(second), SplitMasks(third)} {}

  Lanes::Lanes3 Load(const uint8_t* s) const {
    const Pixels8 pixels(s);
    return {Widen(pixels.Channel(split_[0])), Widen(pixels.Channel(split_[1])),
            Widen(pixels.Channel(split_[2]))};
  }
  void Store(VI first, VI second, VI third, uint8_t* d) const {
    join_.Store(_mm_unpacklo_epi64(Narrow(first), Narrow(second)), Narrow(third), d);
  }

 private:
  static VI Widen(__m128i bytes) { return reinterpret_cast<VI>(_mm256_cvtepu8_epi32(bytes)); }
  // The low byte of each lane, in bytes 0..7.
  static __m128i Narrow(VI v) {
    const __m256i lanes = reinterpret_cast<__m256i>(v);
    const __m128i lowBytes = _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    return _mm_unpacklo_epi32(_mm_shuffle_epi8(_mm256_castsi256_si128(lanes), lowBytes),
                              _mm_shuffle_epi8(_mm256_extracti128_si256(lanes, 1), lowBytes));
  }

  ChannelMasks split_[3];
  JoinMasks join_;
};

}  // namespace

void RgbToHsvRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  EncodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::RgbToHsvLanes, RgbToHsvRowPortable);
}
void HsvToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  DecodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::HsvToRgbLanes, HsvToRgbRowPortable);
}
void RgbToHlsRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  EncodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::RgbToHlsLanes, RgbToHlsRowPortable);
}
void HlsToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  DecodeRow<kStep, PixelIo>(s, d, width, pos, Lanes::HlsToRgbLanes, HlsToRgbRowPortable);
}

}  // namespace qclr::hue

#endif
