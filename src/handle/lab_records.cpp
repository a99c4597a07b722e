#include "handle/lab_records.h"

#include <cmath>

#include "numeric/deterministic_math.h"
#include "numeric/lab_companding.h"
#include "numeric/saturate.h"

namespace qclr {
namespace {

// The constants of the Lab formulas with the byte scale folded in:
// 29580 = 116 x 255, 127500 = 500 x 255, 51000 = 200 x 255, 4080 = 16 x 255.
constexpr double kLScaleBase = 29580;
constexpr double kAScaleBase = 127500;
constexpr double kBScaleBase = 51000;
constexpr double kLOffsetBase = 4080;
constexpr double kOne16 = 65536;      // 1.0 in 16.16
constexpr double kOne28 = 268435456;  // 1.0 in 4.28

// White point and matrices of the set handle initialisation uses; every value is
// the single-precision value of the decimal.
constexpr float kInitWhiteX = 95.0166f;
constexpr double kInitWhiteY = 100.0;
constexpr float kInitWhiteZ = 108.765f;
constexpr float kInitXyzToRgb[9] = {3.240479f,  -1.537150f, -0.498535f,  //
                                    -0.969256f, 1.875992f,  0.041556f,   //
                                    0.055648f,  -0.204043f, 1.057311f};
constexpr float kInitRgbToXyz[9] = {0.412453f, 0.357580f, 0.180423f,  //
                                    0.212671f, 0.715160f, 0.072169f,  //
                                    0.019334f, 0.119193f, 0.950227f};

// The set of a decode record made without the caller's encoding.
constexpr double kDefaultWhite[3] = {96.421, 99.997, 82.524};
constexpr float kDefaultXyzToRgb[9] = {2.8308806f,  -1.0300474f, -0.56046003f,  //
                                       -1.5802162f, 2.721428f,   0.026361216f,  //
                                       0.20551385f, -0.5249315f, 1.766278f};
constexpr int32_t kDefaultEncoding[6] = {0, 100, 128, 170, 96, 200};

double Nearest(double x) { return std::trunc(x >= 0 ? x + 0.5 : x - 0.5); }
int32_t NearestInt32(double x) { return TruncSaturated(x >= 0 ? x + 0.5 : x - 0.5); }

// 4080 / lRange, the L* offset of 16 in bytes; left out for a zero range, whose
// scale makes the offset irrelevant.
double LOffsetTerm(int32_t lRange) { return lRange == 0 ? 0.0 : kLOffsetBase / lRange; }

// base / range in single precision; 0 for a zero range.
float SingleRatio(double base, int32_t range) {
  return range == 0 ? 0.0f : static_cast<float>(base) / static_cast<float>(range);
}

struct Limits {
  int32_t lower, upper;
};

// The 16.16 chroma differences whose bytes offset + d x scale stay within 0..255.
// A zero scale maps everything to the offset, so nothing lies outside.
Limits ChromaLimits(int32_t offset, float scale) {
  if (scale == 0.0f) return {INT32_MIN, INT32_MAX};
  return {NearestInt32(-static_cast<double>(offset) / scale * kOne16),
          NearestInt32((255.0 - offset) / scale * kOne16)};
}

template <typename Record>
void SetEncoding(Record& record, const int32_t (&values)[6]) {
  record.lOffset = values[0];
  record.lRange = values[1];
  record.aOffset = values[2];
  record.aRange = values[3];
  record.bOffset = values[4];
  record.bRange = values[5];
}

template <typename Record>
void SetInitWhite(Record& record) {
  record.whiteX = kInitWhiteX;
  record.whiteY = kInitWhiteY;
  record.whiteZ = kInitWhiteZ;
}

}  // namespace

void SetLabParametersFromOptions(LabDecodeTable& decode, LabEncodeTable& encode,
                                 const LabOptions& options) {
  const int32_t values[6] = {options.lOffset, options.lRange, options.aOffset,
                             options.aRange,  options.bOffset, options.bRange};
  SetInitWhite(decode);
  SetInitWhite(encode);
  for (int i = 0; i < 9; ++i) {
    decode.matrix[i] = kInitXyzToRgb[i];
    encode.matrix[i] = kInitRgbToXyz[i];
  }
  SetEncoding(decode, values);
  SetEncoding(encode, values);
}

void SetDefaultLabDecodeParameters(LabDecodeTable& decode) {
  decode.whiteX = kDefaultWhite[0];
  decode.whiteY = kDefaultWhite[1];
  decode.whiteZ = kDefaultWhite[2];
  for (int i = 0; i < 9; ++i) decode.matrix[i] = kDefaultXyzToRgb[i];
  SetEncoding(decode, kDefaultEncoding);
}

void BuildLabDecode(LabDecodeTable& t, int32_t gammaHundredths) {
  const double g = 1 / (gammaHundredths * 0.01);
  t.lScale = Nearest(static_cast<double>(t.lRange) * 4096 / kLScaleBase * kOne16);
  t.aScale = Nearest(static_cast<double>(t.aRange) * 4096 / kAScaleBase * kOne16);
  t.bScale = Nearest(static_cast<double>(t.bRange) * 4096 / kBScaleBase * kOne16);
  t.lOffsetFixed = static_cast<float>(Nearest((t.lOffset - LOffsetTerm(t.lRange)) * kOne16));

  // The decoder works with X/Xn, Y/Yn, Z/Zn; scaling the X and Z columns by
  // Xn/Yn and Zn/Yn turns them back into XYZ relative to Yn = 1.
  const double xScale = t.whiteX / t.whiteY, zScale = t.whiteZ / t.whiteY;
  for (int r = 0; r < 3; ++r) {
    const double* m = &t.matrix[3 * r];
    t.fixedMatrix[3 * r + 0] = NearestInt32(m[0] * xScale * kOne16);
    t.fixedMatrix[3 * r + 1] = NearestInt32(m[1] * kOne16);
    t.fixedMatrix[3 * r + 2] = NearestInt32(m[2] * zScale * kOne16);
  }

  // Linear light halfway between neighbouring output codes: a linear value v
  // encodes as the number of thresholds at or below it.
  for (int i = 0; i < 255; ++i) {
    t.thresholds[i] = NearestInt32(Pow((i + 0.5) / 255, g) * kOne28);
  }
}

void BuildLabEncode(LabEncodeTable& t, int32_t gammaHundredths) {
  // The factors are single precision; the table products are double.
  const float g = 1.0f / (static_cast<float>(gammaHundredths) * 0.01f);
  const float k[3] = {static_cast<float>(t.whiteY) / static_cast<float>(t.whiteX), 1.0f,
                      static_cast<float>(t.whiteY) / static_cast<float>(t.whiteZ)};
  const float sL = SingleRatio(kLScaleBase, t.lRange);
  const float sA = SingleRatio(kAScaleBase, t.aRange);
  const float sB = SingleRatio(kBScaleBase, t.bRange);

  const Limits a = ChromaLimits(t.aOffset, sA), b = ChromaLimits(t.bOffset, sB);
  t.aMin = a.lower;
  t.aMax = a.upper;
  t.bMin = b.lower;
  t.bMax = b.upper;

  t.lScaleFixed = NearestInt32(sL * kOne16);
  t.aScaleFixed = NearestInt32(sA * kOne16);
  t.bScaleFixed = NearestInt32(sB * kOne16);
  t.lOffsetFixed = NearestInt32((t.lOffset - LOffsetTerm(t.lRange)) * kOne16);

  for (int i = 0; i < 256; ++i) {
    const float encoded = static_cast<float>(i) / 255.0f;
    const double v = Pow(encoded, g);  // linear light of byte i
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        t.channelTables[3 * r + c][i] = NearestInt32(v * k[r] * t.matrix[3 * r + c] * kOne16);
      }
    }
  }

  for (int j = 0; j < 4096; ++j) {
    const float tj = static_cast<float>(16 * j) / 65536.0f;
    const double f = LabCompand(tj, kLabLine77867Short);
    // f stays below 1.0 (the last entry stands for t = 65520/65536), so it fits.
    t.cubeRoot[j] = static_cast<uint16_t>(NearestInt32(f * kOne16));
  }
}

}  // namespace qclr
