// The 4:4:4 rows defined in doubles (RGB to YUV, RGB to YCC, YCC to RGB), 16
// pixels a step in 512-bit vectors, in integers proven to give the definition's
// bytes.
//
// Memory: as the decoders (video_decode_rows_avx512.cpp): whole 64-byte loads
// while the row has 64 bytes from the step's first pixel, masked ones nearer the
// end; avx512::StoreRow3 writes exactly the row's bytes. Nothing outside the row is
// read or written.
//
// The encoders: each channel's double formula has the exact value n / d with
//   YUV  Y  n = 299 R + 587 G + 114 B                  d = 1000
//        U  n = 434 B - 146 R - 288 G                  d = 1000 (negative: 0)
//        V  n = 617 R - 517 G - 100 B                  d = 1000 (negative: 0)
//   YCC  Y  as YUV's Y
//        Cb n = (-16874 R - 33126 G + 50000 B) / 2     d = 50000
//        Cr n = 50000 R - 41869 G - 8131 B             d = 100000
// (the weights read as thousandths or hundred-thousandths). The double result is
// within 1e-12 of n / d, so where n / d is no integer it truncates like n / d,
// which FloorQuotients gives exactly (d = 1000) and TruncatedQuotient where it is
// not near an integer (simd_avx512.h). A step in which some lane is a multiple of
// d (every grey's Y) or near one is computed from the definition itself, in packed
// doubles with the scalar operations in their order. The clamps of the
// definition (0..255; -128..127) change nothing but negative U and V, which the
// unsigned packs make 0.
//
// The decoder: with Y a byte and Cb, Cr signed bytes,
//   R = Y + 1.402 Cr: for Cr != 0 the value is 1402 Cr / 1000 from an integer,
//     never an integer and at least 0.002 from one, so R = Y + floor(1.402 Cr)
//     = Y + ((22971 x 256 Cr + 4736) >> 22) (checked for every Cr; the double's
//     error is below 1e-12); for Cr = 0 the double is exactly Y.
//   B = Y + 1.772 Cb = Y + ((29033 x 256 Cb + 12416) >> 22) likewise.
//   G = Y - 0.3441363 Cb - 0.71413636 Cr: the value is an integer only for
//     Cb = Cr = 0 (exact in double) and otherwise at least 6e-6 from one, and
//     G = Y + ((-2886823 Cb - 5990610 Cr + 67) >> 23) for every pair (Cb, Cr)
//     (found by search over all 65536 pairs; the exhaustive check proves it).
// Each is then clamped to 0..255 by the saturating packs.
#include "direct/video_rows.h"

#if QCLR_X86_SIMD
#include <array>

#include "direct/simd_avx512.h"

namespace qclr {
namespace {

using avx512::kZ;
using avx512::Weights;

using Mask16 = std::array<uint8_t, 16>;

// From a lane's 4 three-byte pixels to 32-bit lanes of two 16-bit values, bytes
// `first` and `second` of each pixel (-1: zero); `high` puts each byte into the
// high half of its 16-bit value (256 x the signed byte).
constexpr Mask16 PairMask(int first, int second, bool high = false) {
  Mask16 m{};
  for (int i = 0; i < 4; ++i) {
    const int lo = high ? 1 : 0;
    m[4 * i + lo] = static_cast<uint8_t>(3 * i + first);
    m[4 * i + 1 - lo] = kZ;
    m[4 * i + 2 + lo] = second < 0 ? kZ : static_cast<uint8_t>(3 * i + second);
    m[4 * i + 3 - lo] = kZ;
  }
  return m;
}

__m512i Shuffle(__m512i bytes, const Mask16& m) {
  return _mm512_shuffle_epi8(
      bytes, _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data()))));
}

__m512i Madd(__m512i pairs, int lo, int hi) {
  return _mm512_madd_epi16(pairs, _mm512_set1_epi32(Weights(lo, hi)));
}

// Three 32-bit lanes a pixel, each 0..255, into the bytes 0..11 of each 128-bit
// lane in the order a, b, c.
__m512i Interleave(__m512i a, __m512i b, __m512i c) {
  const __m512i bytes = _mm512_packus_epi16(_mm512_packs_epi32(a, b), _mm512_packs_epi32(c, c));
  return _mm512_shuffle_epi8(bytes, _mm512_broadcast_i32x4(_mm_setr_epi8(
                                        0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ)));
}

// Runs `step(s, d, n, left)` over a row, 16 pixels at a time.
// Converts a row, step(s, n, left) giving the lanes of the n <= 16 pixels at s
// (`left` bytes of the row from s).
template <typename Step>
void Rows(const uint8_t* s, uint8_t* d, int32_t width, Step&& step) {
  avx512::StoreRow3(d, width, 1, [&](int32_t x, int32_t n) {
    return step(s + 3 * ptrdiff_t{x}, n, 3 * ptrdiff_t{width - x});
  });
}

// R, G and B of 16 pixels from the (R, G) and (B, *) lanes, as doubles.
struct RgbDoubles {
  avx512::Doubles16 r, g, b;
};
RgbDoubles ToDoubles(__m512i rg, __m512i bx) {
  const __m512i low = _mm512_set1_epi32(0xFFFF);
  return {avx512::ToDoubles(_mm512_and_si512(rg, low)),
          avx512::ToDoubles(_mm512_srli_epi32(rg, 16)),
          avx512::ToDoubles(_mm512_and_si512(bx, low))};
}

}  // namespace

void RgbToYuvRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  const Mask16 rgMask = rgb ? PairMask(0, 1) : PairMask(2, 1),
               bMask = rgb ? PairMask(2, -1) : PairMask(0, -1);
  const __m512i order =
      _mm512_broadcast_i32x4(_mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ));
  Rows(s, d, width, [&](const uint8_t* p, int32_t n, ptrdiff_t left) {
    const __m512i bytes = avx512::LoadPixelLanes3(p, n, left);
    const __m512i rg = Shuffle(bytes, rgMask), b = Shuffle(bytes, bMask);
    const __m512i ny = _mm512_add_epi32(Madd(rg, 299, 587), Madd(b, 114, 0));
    const __m512i nu = _mm512_add_epi32(Madd(rg, -146, -288), Madd(b, 434, 0));
    const __m512i nv = _mm512_add_epi32(Madd(rg, 617, -517), Madd(b, -100, 0));
    __m512i yu, vv;  // 16-bit lanes: Y0..3 U0..3 and V0..3 V0..3 of each 128-bit lane
    if (avx512::FloorQuotients(ny, avx512::kBy1000, nu, avx512::kBy1000, &yu) |
        avx512::FloorQuotients(nv, avx512::kBy1000, nv, avx512::kBy1000, &vv)) {
      // A multiple of 1000 (every grey's Y): the definition in packed doubles.
      const RgbDoubles c = ToDoubles(rg, b);
      const __m512i y = avx512::ClampTruncate(0.299 * c.r + 0.587 * c.g + 0.114 * c.b, 0, 255);
      const __m512i u = avx512::ClampTruncate(0.434 * c.b - 0.146 * c.r - 0.288 * c.g, 0, 255);
      const __m512i v = avx512::ClampTruncate(0.617 * c.r - 0.517 * c.g - 0.100 * c.b, 0, 255);
      yu = _mm512_packus_epi32(y, u);
      vv = _mm512_packus_epi32(v, v);
    }
    return _mm512_shuffle_epi8(_mm512_packus_epi16(yu, vv), order);
  });
}

void RgbToYccRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  const Mask16 rgMask = rgb ? PairMask(0, 1) : PairMask(2, 1),
               bgMask = rgb ? PairMask(2, 1) : PairMask(0, 1);
  const __m512i order = _mm512_broadcast_i32x4(
      _mm_setr_epi8(0, 8, 12, 1, 9, 13, 2, 10, 14, 3, 11, 15, kZ, kZ, kZ, kZ));
  Rows(s, d, width, [&](const uint8_t* p, int32_t n, ptrdiff_t left) {
    const __m512i bytes = avx512::LoadPixelLanes3(p, n, left);
    const __m512i rg = Shuffle(bytes, rgMask), bg = Shuffle(bytes, bgMask);
    const __m512i ny = _mm512_add_epi32(Madd(rg, 299, 587), Madd(bg, 114, 0));
    const __m512i ncb = _mm512_add_epi32(Madd(rg, -8437, -16563), Madd(bg, 25000, 0));
    // Cr: 2 (25000 R - 20934 G) + (-8131 B - G) = 50000 R - 41869 G - 8131 B.
    const __m512i ncr =
        _mm512_add_epi32(_mm512_slli_epi32(Madd(rg, 25000, -20934), 1), Madd(bg, -8131, -1));
    __m512i yy, cb, cr;
    if (avx512::FloorQuotients(ny, avx512::kBy1000, ny, avx512::kBy1000, &yy) |
        avx512::TruncatedQuotient(ncb, 1.0f / 50000, &cb) |
        avx512::TruncatedQuotient(ncr, 1.0f / 100000, &cr)) {
      // A value at or near an integer (every grey's Y): the definition in packed doubles.
      const RgbDoubles c = ToDoubles(rg, bg);
      const __m512i y = avx512::ClampTruncate(0.299 * c.r + 0.587 * c.g + 0.114 * c.b, 0, 255);
      yy = _mm512_packus_epi32(y, y);
      cb = avx512::ClampTruncate(-0.16874 * c.r - 0.33126 * c.g + 0.5 * c.b, -128, 127);
      cr = avx512::ClampTruncate(0.5 * c.r - 0.41869 * c.g - 0.08131 * c.b, -128, 127);
    }
    // Cb and Cr (-128..127) as their two's complement bytes; lanes Y Y Cb Cr.
    const __m512i low = _mm512_set1_epi32(0xFF);
    const __m512i chroma =
        _mm512_packus_epi32(_mm512_and_si512(cb, low), _mm512_and_si512(cr, low));
    return _mm512_shuffle_epi8(_mm512_packus_epi16(yy, chroma), order);
  });
}

void YccToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  const Mask16 yMask = PairMask(0, -1), chromaMask = PairMask(1, 2, true);  // Y; 256 Cb, 256 Cr
  Rows(s, d, width, [&](const uint8_t* p, int32_t n, ptrdiff_t left) {
    const __m512i bytes = avx512::LoadPixelLanes3(p, n, left);
    const __m512i y = Shuffle(bytes, yMask), chroma = Shuffle(bytes, chromaMask);
    const __m512i r = _mm512_add_epi32(
        y,
        _mm512_srai_epi32(_mm512_add_epi32(Madd(chroma, 0, 22971), _mm512_set1_epi32(4736)), 22));
    const __m512i b = _mm512_add_epi32(
        y,
        _mm512_srai_epi32(_mm512_add_epi32(Madd(chroma, 29033, 0), _mm512_set1_epi32(12416)), 22));
    // -2886823 Cb - 5990610 Cr, with 2886823 = 11276 x 256 + 167, 5990610 = 23400 x 256 + 210.
    const __m512i w = _mm512_add_epi32(Madd(chroma, -11276, -23400),
                                       _mm512_srai_epi32(Madd(chroma, -167, -210), 8));
    const __m512i g =
        _mm512_add_epi32(y, _mm512_srai_epi32(_mm512_add_epi32(w, _mm512_set1_epi32(67)), 23));
    return rgb ? Interleave(r, g, b) : Interleave(b, g, r);
  });
}

}  // namespace qclr
#endif
