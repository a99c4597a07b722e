// The tables of the fast Lab rows, and those rows one pixel at a time.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "base/instruction_set.h"
#if QCLR_X86_SIMD
#include <emmintrin.h>
#endif

#include "direct/lab_definition.h"
#include "direct/lab_rows.h"

namespace qclr::lab {
namespace {

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }
double FromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

// The bucket of v >= low among the buckets that start at `low` (a power of two).
int Bucket(double v, double low) {
  return static_cast<int>((Bits(v) >> kBucketShift) - (Bits(low) >> kBucketShift));
}
double BucketStart(int k, double low) {
  return FromBits(((Bits(low) >> kBucketShift) + static_cast<uint64_t>(k)) << kBucketShift);
}

EncodeTables BuildEncode() {
  EncodeTables t{};
  t.linear = &LinearTable();
  for (int j = 0; j < 16; ++j) {
    const double middle = 1 + (2 * j + 1) / 32.0;
    t.middleRoot[j] = Pow(middle, 1.0 / 3.0);
    t.middleInverse[j] = 1 / middle;
  }
  for (int e = -7; e <= 0; ++e) t.octaveRoot[(e + 1023) & 7] = Pow(std::ldexp(1.0, e), 1.0 / 3.0);
  return t;
}

// The smallest double in [0, 1] whose gamma byte is at least k (1 <= k <= 255),
// by bisection over the bit patterns of the positive doubles, whose order is
// that of the values; the gamma byte never decreases as its argument grows.
double GammaThreshold(int k) {
  uint64_t below = 0, atOrAbove = Bits(1.0);  // GammaToByte(0) = 0, GammaToByte(1) = 255
  while (atOrAbove - below > 1) {
    const uint64_t middle = below + (atOrAbove - below) / 2;
    (GammaToByte(FromBits(middle)) >= k ? atOrAbove : below) = middle;
  }
  return FromBits(atOrAbove);
}

DecodeTables BuildDecode() {
  DecodeTables t{};
  for (int v = 0; v < 256; ++v) t.lightness[v] = Lightness(static_cast<uint8_t>(v));
  t.x.resize(101 * 256);
  t.z.resize(101 * 256);
  for (int32_t l = 0; l <= 100; ++l) {
    t.y[l] = ClampedY(l);
    for (int v = 0; v < 256; ++v) {
      t.x[l * 256 + v] = ClampedX(l, static_cast<int8_t>(v));
      t.z[l * 256 + v] = ClampedZ(l, static_cast<int8_t>(v));
    }
  }
  t.threshold[0] = 0;
  for (int k = 1; k < 256; ++k) t.threshold[k] = GammaThreshold(k);
  // A bucket spans a factor of 1 + 2^-8 in the linear value, and the byte
  // 255 v^0.45 grows by at most 255 x 0.45 x 2^-8 < 0.45 across it: each bucket
  // holds at most two bytes, the byte at its start and the next one (the tests
  // check it for every bucket).
  for (int k = 0; k < DecodeTables::kGammaBuckets; ++k) {
    const double start = k == 0 ? 0.0 : BucketStart(k, DecodeTables::kGammaLow);
    const uint64_t byte = static_cast<uint64_t>(
        std::upper_bound(t.threshold.begin() + 1, t.threshold.end(), start) - t.threshold.begin() - 1);
    const bool within = byte < 255 && Bucket(t.threshold[byte + 1], DecodeTables::kGammaLow) == k;
    t.gamma[k] = byte << 48 | (within ? Bits(t.threshold[byte + 1]) & kBucketLowBits : kBucketLowBits + 1);
  }
  return t;
}

// Clamp01 without branches where SSE2 has them: MAXSD a, b is a > b ? a : b and
// MINSD a, b is a < b ? a : b, so with the bounds first these are the comparisons
// of std::clamp (-0 and NaN stay as they are).
double Clamp01Branchless(double v) {
#if QCLR_X86_SIMD
  const __m128d atLeast0 = _mm_max_sd(_mm_set_sd(0.0), _mm_set_sd(v));
  return _mm_cvtsd_f64(_mm_min_sd(_mm_set_sd(1.0), atLeast0));
#else
  return Clamp01(v);
#endif
}

}  // namespace

const EncodeTables& Encode() {
  static const EncodeTables tables = BuildEncode();
  return tables;
}

const DecodeTables& Decode() {
  static const DecodeTables tables = BuildDecode();
  return tables;
}

// |u| <= 2^-5, and the first term left out of the series, 154/6561 u^6, is below
// 2^-35.4 of the result; the roundings of the three factors, of 1 / c and of the
// evaluation add some 2^-50.
double CubeRootFast(const EncodeTables& tables, double t) {
  const uint64_t bits = Bits(t);
  const int j = static_cast<int>(bits >> 48) & 15, e = static_cast<int>(bits >> 52) & 7;
  const double m = FromBits((bits & kFractionBits) | Bits(1.0));
  const double middle = FromBits((bits & kSixteenthBits) | Bits(1.0) | kHalfSixteenth);
  const double u = (m - middle) * tables.middleInverse[j];  // m - middle is exact
  const double* a = kCubeRootSeries;
  const double series = 1 + u * (a[0] + u * (a[1] + u * (a[2] + u * (a[3] + u * a[4]))));
  return tables.middleRoot[j] * series * tables.octaveRoot[e];
}

int32_t GammaByteFast(const DecodeTables& tables, double linear) {
  // std::max keeps -0 out of the bucket arithmetic; it gives byte 0 like +0.
  const double v = std::max(linear, DecodeTables::kGammaLow);
  const uint64_t entry = tables.gamma[Bucket(v, DecodeTables::kGammaLow)];
  return static_cast<int32_t>(entry >> 48) +
         ((Bits(v) & kBucketLowBits) >= (entry & (2 * kBucketLowBits + 1)) ? 1 : 0);
}

bool NearInteger(double v) {
  constexpr double kMargin = 0x1p-20;
  const double fraction = v - static_cast<int32_t>(v);  // |v| < 1000 where used
  const double distance = fraction < 0 ? -fraction : fraction;
  return distance < kMargin || distance > 1 - kMargin;
}

void RgbToLabPixelExact(uint8_t red, uint8_t green, uint8_t blue, uint8_t* lab) {
  RgbToLabPixel(red, green, blue, lab);
}

bool RgbToLabPixelFast(const EncodeTables& tables, uint8_t red, uint8_t green, uint8_t blue, uint8_t* lab) {
  const std::array<double, 256>& linear = *tables.linear;
  const double r = linear[red], g = linear[green], b = linear[blue];
  const double x = WhiteX(r, g, b), y = WhiteY(r, g, b), z = WhiteZ(r, g, b);
  constexpr LabLine line = kLabLine77867;
  const bool rootX = x > 0.008856, rootY = y > 0.008856, rootZ = z > 0.008856;
  const double fx = rootX ? CubeRootFast(tables, x) : line.slope * x + line.offset;
  const double fy = rootY ? CubeRootFast(tables, y) : line.slope * y + line.offset;
  const double fz = rootZ ? CubeRootFast(tables, z) : line.slope * z + line.offset;
  // Only a cube root is approximate; the straight line is computed as defined.
  // Bitwise on 0 and 1: every test is cheap, and short circuits would be branches
  // hard to predict.
  const int nearL = NearInteger(116 * fy - 16), nearA = NearInteger(500 * (fx - fy)),
            nearB = NearInteger(200 * (fy - fz));
  const int approximateX = rootX, approximateY = rootY, approximateZ = rootZ;
  if ((approximateY & nearL) | ((approximateX | approximateY) & nearA) |
      ((approximateY | approximateZ) & nearB)) {
    return false;
  }
  StoreLab(fx, fy, fz, lab);
  return true;
}

void RgbToLabRowTables(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const EncodeTables& tables = Encode();
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const uint8_t red = s[pos.r], green = s[1], blue = s[pos.b];
    if (!RgbToLabPixelFast(tables, red, green, blue, d)) RgbToLabPixel(red, green, blue, d);
  }
}

void LabToRgbRowTables(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const DecodeTables& t = Decode();
  for (int32_t i = 0; i < width; ++i, s += 3, d += 3) {
    const int32_t l = t.lightness[s[0]];
    const double x = t.x[l * 256 + s[1]], y = t.y[l], z = t.z[l * 256 + s[2]];
    const uint8_t red = static_cast<uint8_t>(GammaByteFast(t, Clamp01Branchless(LinearRed(x, y, z))));
    const uint8_t green = static_cast<uint8_t>(GammaByteFast(t, Clamp01Branchless(LinearGreen(x, y, z))));
    const uint8_t blue = static_cast<uint8_t>(GammaByteFast(t, Clamp01Branchless(LinearBlue(x, y, z))));
    d[pos.r] = red;
    d[1] = green;
    d[pos.b] = blue;
  }
}

}  // namespace qclr::lab
