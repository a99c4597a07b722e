// The 4:4:4 rows defined in doubles (RGB to YUV, RGB to YCC, YCC to RGB), 8 pixels
// a step in 256-bit vectors.
//
// Memory: a step reads exactly its 24 source bytes and writes its 24 destination
// bytes (32 while the row has them, the next step overwriting the last 8); the
// width mod 8 pixels at the end go through the portable row.
// Nothing outside the row is read or written.
//
// Arithmetic: the integer forms of video_444_rows_avx512.cpp, which explains why
// they give the definition's bytes.
#include "direct/video_rows.h"

#if QCLR_X86_SIMD
#include <array>

#include "direct/simd_avx2.h"

namespace qclr {
namespace {

using avx2::kZ;
using avx2::Weights;

using Mask32 = std::array<uint8_t, 32>;

// From 8 three-byte pixels (avx2::LoadPixelLanes3) to 32-bit lanes of two 16-bit
// values, bytes `first` and `second` of each pixel (-1: zero); `high` puts each
// byte into the high half of its 16-bit value (256 x the signed byte).
constexpr Mask32 PairMask(int first, int second, bool high = false) {
  Mask32 m{};
  for (int i = 0; i < 8; ++i) {
    const int at = i < 4 ? 3 * i : 3 * i - 8, lo = high ? 1 : 0;
    m[4 * i + lo] = static_cast<uint8_t>(at + first);
    m[4 * i + 1 - lo] = kZ;
    m[4 * i + 2 + lo] = second < 0 ? kZ : static_cast<uint8_t>(at + second);
    m[4 * i + 3 - lo] = kZ;
  }
  return m;
}

__m256i Shuffle(__m256i bytes, const Mask32& m) {
  return _mm256_shuffle_epi8(bytes, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m.data())));
}

__m256i Madd(__m256i pairs, int lo, int hi) {
  return _mm256_madd_epi16(pairs, _mm256_set1_epi32(Weights(lo, hi)));
}

// Three 32-bit lanes a pixel, each 0..255, into bytes 0..11 of each 128-bit lane in
// the order a, b, c.
__m256i Interleave(__m256i a, __m256i b, __m256i c) {
  const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, c));
  return _mm256_shuffle_epi8(
      bytes, _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ, 0, 4, 8, 1, 5,
                              9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ));
}

// Runs `step(s, d, left)` over the whole steps of a row; the pixels after the last
// step go through `tail`.
template <typename Step>
void Rows(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at, VideoRow tail,
          Step&& step) {
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 24, d += 24) step(s, d, 3 * ptrdiff_t{width - x});
  tail(s, d, width - x, at);
}

// R, G and B of 8 pixels from the (R, G) and (B, *) lanes, as doubles.
struct RgbDoubles {
  avx2::Doubles8 r, g, b;
};
RgbDoubles ToDoubles(__m256i rg, __m256i bx) {
  const __m256i low = _mm256_set1_epi32(0xFFFF);
  return {avx2::ToDoubles(_mm256_and_si256(rg, low)), avx2::ToDoubles(_mm256_srli_epi32(rg, 16)),
          avx2::ToDoubles(_mm256_and_si256(bx, low))};
}

}  // namespace

void RgbToYuvRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  const Mask32 rgMask = rgb ? PairMask(0, 1) : PairMask(2, 1),
               bMask = rgb ? PairMask(2, -1) : PairMask(0, -1);
  const __m256i order = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ, 0, 4,
                                         8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ);
  Rows(s, d, width, at, RgbToYuvRowPortable, [&](const uint8_t* p, uint8_t* out, ptrdiff_t left) {
    const __m256i bytes = avx2::LoadPixelLanes3(p);
    const __m256i rg = Shuffle(bytes, rgMask), b = Shuffle(bytes, bMask);
    const __m256i ny = _mm256_add_epi32(Madd(rg, 299, 587), Madd(b, 114, 0));
    const __m256i nu = _mm256_add_epi32(Madd(rg, -146, -288), Madd(b, 434, 0));
    const __m256i nv = _mm256_add_epi32(Madd(rg, 617, -517), Madd(b, -100, 0));
    __m256i yu, vv;  // 16-bit lanes: Y0..3 U0..3 and V0..3 V0..3 of each 128-bit lane
    if (avx2::FloorQuotients(ny, avx2::kBy1000, nu, avx2::kBy1000, &yu) |
        avx2::FloorQuotients(nv, avx2::kBy1000, nv, avx2::kBy1000, &vv)) {
      // A multiple of 1000 (every grey's Y): the definition in packed doubles.
      const RgbDoubles c = ToDoubles(rg, b);
      const __m256i y = avx2::ClampTruncate(0.299 * c.r + 0.587 * c.g + 0.114 * c.b, 0, 255);
      const __m256i u = avx2::ClampTruncate(0.434 * c.b - 0.146 * c.r - 0.288 * c.g, 0, 255);
      const __m256i v = avx2::ClampTruncate(0.617 * c.r - 0.517 * c.g - 0.100 * c.b, 0, 255);
      yu = _mm256_packus_epi32(y, u);
      vv = _mm256_packus_epi32(v, v);
    }
    avx2::StorePixelLanes3(out, _mm256_shuffle_epi8(_mm256_packus_epi16(yu, vv), order), left);
  });
}

void RgbToYccRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  const Mask32 rgMask = rgb ? PairMask(0, 1) : PairMask(2, 1),
               bgMask = rgb ? PairMask(2, 1) : PairMask(0, 1);
  const __m256i order = _mm256_setr_epi8(0, 8, 12, 1, 9, 13, 2, 10, 14, 3, 11, 15, kZ, kZ, kZ, kZ,
                                         0, 8, 12, 1, 9, 13, 2, 10, 14, 3, 11, 15, kZ, kZ, kZ, kZ);
  Rows(s, d, width, at, RgbToYccRowPortable, [&](const uint8_t* p, uint8_t* out, ptrdiff_t left) {
    const __m256i bytes = avx2::LoadPixelLanes3(p);
    const __m256i rg = Shuffle(bytes, rgMask), bg = Shuffle(bytes, bgMask);
    const __m256i ny = _mm256_add_epi32(Madd(rg, 299, 587), Madd(bg, 114, 0));
    const __m256i ncb = _mm256_add_epi32(Madd(rg, -8437, -16563), Madd(bg, 25000, 0));
    const __m256i ncr =
        _mm256_add_epi32(_mm256_slli_epi32(Madd(rg, 25000, -20934), 1), Madd(bg, -8131, -1));
    __m256i yy, cb, cr;
    if (avx2::FloorQuotients(ny, avx2::kBy1000, ny, avx2::kBy1000, &yy) |
        avx2::TruncatedQuotient(ncb, 1.0f / 50000, &cb) |
        avx2::TruncatedQuotient(ncr, 1.0f / 100000, &cr)) {
      const RgbDoubles c = ToDoubles(rg, bg);
      const __m256i y = avx2::ClampTruncate(0.299 * c.r + 0.587 * c.g + 0.114 * c.b, 0, 255);
      yy = _mm256_packus_epi32(y, y);
      cb = avx2::ClampTruncate(-0.16874 * c.r - 0.33126 * c.g + 0.5 * c.b, -128, 127);
      cr = avx2::ClampTruncate(0.5 * c.r - 0.41869 * c.g - 0.08131 * c.b, -128, 127);
    }
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i chroma =
        _mm256_packus_epi32(_mm256_and_si256(cb, low), _mm256_and_si256(cr, low));
    avx2::StorePixelLanes3(out, _mm256_shuffle_epi8(_mm256_packus_epi16(yy, chroma), order), left);
  });
}

void YccToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  const Mask32 yMask = PairMask(0, -1), chromaMask = PairMask(1, 2, true);
  Rows(s, d, width, at, YccToRgbRowPortable, [&](const uint8_t* p, uint8_t* out, ptrdiff_t left) {
    const __m256i bytes = avx2::LoadPixelLanes3(p);
    const __m256i y = Shuffle(bytes, yMask), chroma = Shuffle(bytes, chromaMask);
    const __m256i r = _mm256_add_epi32(
        y,
        _mm256_srai_epi32(_mm256_add_epi32(Madd(chroma, 0, 22971), _mm256_set1_epi32(4736)), 22));
    const __m256i b = _mm256_add_epi32(
        y,
        _mm256_srai_epi32(_mm256_add_epi32(Madd(chroma, 29033, 0), _mm256_set1_epi32(12416)), 22));
    const __m256i w = _mm256_add_epi32(Madd(chroma, -11276, -23400),
                                       _mm256_srai_epi32(Madd(chroma, -167, -210), 8));
    const __m256i g =
        _mm256_add_epi32(y, _mm256_srai_epi32(_mm256_add_epi32(w, _mm256_set1_epi32(67)), 23));
    avx2::StorePixelLanes3(out, rgb ? Interleave(r, g, b) : Interleave(b, g, r), left);
  });
}

}  // namespace qclr
#endif
