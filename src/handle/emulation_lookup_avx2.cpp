// Emulation-table rows with AVX2, 8 pixels a step (emulation_lookup_rows.h). The
// node offsets are computed on 32-bit lanes and the nodes read by gathers of 4
// bytes at each node's first byte.
//
// Memory: a step reads its 24 or 32 source bytes and then writes its 24
// destination bytes, so a row may be converted in place; the width mod 8 pixels
// go through a block on the stack. In the table, a 4-byte read takes one byte
// after its node, which is the next node's, except for the last node of the
// 33-point grids (all three coordinates 32), which is read from one byte earlier
// so that nothing past the grid is read; the 17-point grid's last nodes are never
// read (coordinates stop at 15).
#include "handle/emulation_lookup_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include "base/rgb_positions.h"
#include "handle/block_rows.h"
#include "handle/rgb_blocks_avx2.h"

namespace qclr {
namespace {

constexpr int kBlock = 8;
constexpr int32_t kLastLabNode = 3 * (33 * 33 * 33 - 1);

inline __m256i Set(int32_t v) { return _mm256_set1_epi32(v); }

inline __m256i Node(const uint8_t* table, __m256i offsets) {
  return _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), offsets, 1);
}

// Byte offset of the 33-point node (i1, i2, i3): 3 x ((i1 x 33 + i2) x 33 + i3).
inline __m256i LabNodeOffset(__m256i i1, __m256i i2, __m256i i3) {
  const __m256i times33 = Set(33);
  return _mm256_mullo_epi32(
      _mm256_add_epi32(_mm256_mullo_epi32(_mm256_add_epi32(_mm256_mullo_epi32(i1, times33), i2), times33), i3),
      Set(3));
}

struct NodePair {
  __m256i low;   // the node below, its bytes in lane order
  __m256i high;  // the node above
};

// The nodes below (v / 8) and above (v / 8 rounded up) of three channel lanes.
inline NodePair LabNodes(const uint8_t* table, __m256i c1, __m256i c2, __m256i c3) {
  const auto lower = [](__m256i v) { return _mm256_srli_epi32(v, 3); };
  const auto upper = [](__m256i v) { return _mm256_srli_epi32(_mm256_add_epi32(v, Set(7)), 3); };
  const __m256i low = LabNodeOffset(lower(c1), lower(c2), lower(c3));
  const __m256i high = LabNodeOffset(upper(c1), upper(c2), upper(c3));
  // The last node is read from one byte earlier, its bytes then one place up.
  const __m256i last = _mm256_cmpeq_epi32(high, Set(kLastLabNode));
  const __m256i highNode = Node(table, _mm256_add_epi32(high, last));
  return {Node(table, low), _mm256_srlv_epi32(highNode, _mm256_and_si256(last, Set(8)))};
}

// Byte k of each lane, unsigned.
inline __m256i ByteOf(__m256i v, int k) { return _mm256_and_si256(_mm256_srli_epi32(v, 8 * k), Set(0xFF)); }

// Byte k of each lane, signed.
inline __m256i SignedByteOf(__m256i v, int k) { return _mm256_srai_epi32(_mm256_slli_epi32(v, 24 - 8 * k), 24); }

// R, G, B bytes (0, 1, 2 of each lane) in the order of `at`.
inline __m256i Ordered(__m256i rgb, RgbPositions at) {
  if (at.r == 0) return rgb;
  return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(ByteOf(rgb, 0), 16), _mm256_and_si256(rgb, Set(0xFF00))),
                         ByteOf(rgb, 2));
}

}  // namespace

void EmuCmykToRgbRowAvx2(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 4, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) {
    const __m256i cmyk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    const auto node = [&](int k) { return _mm256_srli_epi32(ByteOf(cmyk, k), 4); };
    const __m256i axis = Set(17);
    const __m256i index = _mm256_add_epi32(
        _mm256_mullo_epi32(
            _mm256_add_epi32(_mm256_mullo_epi32(_mm256_add_epi32(_mm256_mullo_epi32(node(0), axis), node(1)), axis),
                             node(2)),
            axis),
        node(3));
    avx2::StoreBlock24(Ordered(Node(table, _mm256_mullo_epi32(index, Set(3))), at), d);
  });
}

void EmuRgbToLabRowAvx2(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) {
    const __m256i block = avx2::LoadBlock24(s);
    const NodePair n =
        LabNodes(table, avx2::Channel24(block, at.r), avx2::Channel24(block, 1), avx2::Channel24(block, at.b));
    // L halved unsigned; a and b (signed) halved toward zero.
    const __m256i l = _mm256_srli_epi32(_mm256_add_epi32(ByteOf(n.low, 0), ByteOf(n.high, 0)), 1);
    const auto halved = [&](int k) {
      const __m256i sum = _mm256_add_epi32(SignedByteOf(n.low, k), SignedByteOf(n.high, k));
      return _mm256_and_si256(_mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_srli_epi32(sum, 31)), 1), Set(0xFF));
    };
    avx2::StoreBlock24(_mm256_or_si256(_mm256_or_si256(l, _mm256_slli_epi32(halved(1), 8)), _mm256_slli_epi32(halved(2), 16)),
                       d);
  });
}

void EmuLabToRgbRowAvx2(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) {
    const __m256i block = avx2::LoadBlock24(s);
    // The signed a and b bytes plus 128: their top bit flipped.
    const __m256i flip = Set(0x80);
    const NodePair n = LabNodes(table, avx2::Channel24(block, 0), _mm256_xor_si256(avx2::Channel24(block, 1), flip),
                                _mm256_xor_si256(avx2::Channel24(block, 2), flip));
    const auto halved = [&](int k) {
      return _mm256_slli_epi32(_mm256_srli_epi32(_mm256_add_epi32(ByteOf(n.low, k), ByteOf(n.high, k)), 1), 8 * k);
    };
    avx2::StoreBlock24(Ordered(_mm256_or_si256(_mm256_or_si256(halved(0), halved(1)), halved(2)), at), d);
  });
}

}  // namespace qclr
#endif
