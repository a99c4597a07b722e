// HSI: intensity, a hue of this library's own encoding, saturation.
//
// The encoder runs wholly in single precision and the decoder in double
// precision; their constants and their order of operations are part of the
// stored format, so both are kept exactly as they are, including the behaviour of
// the x86 truncating conversion on NaN (the integer indefinite value, low byte 0).
#include <algorithm>

#include "base/pixel_loop.h"
#include "direct/hue_kernels.h"
#include "numeric/deterministic_math.h"
#include "numeric/truncate.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// Truncates a float as the processor's single-to-integer conversion does.
int32_t TruncFloat(float v) { return TruncToInt32(static_cast<double>(v)); }

void RgbToHsiPixel(float r, float g, float b, uint8_t* hsi) {
  const int32_t i = TruncFloat((r + g + b) * 0.33333334f);
  hsi[0] = static_cast<uint8_t>(i);

  // No square root under the quotient: n / m often leaves -1..1, and a grey gives
  // 0 / 0. Both make the arc cosine NaN, whose truncation has a low byte of 0.
  // The hue reaches 400 and keeps its low 8 bits.
  const float n = 0.5f * (r - g) + (r - b);
  const float m = (g - b) * (r - b) + (r - g) * (r - g);
  uint8_t h = static_cast<uint8_t>(TruncFloat(Acosf(n / m) * 255.0f * 0.5f));
  if (b >= g) h = static_cast<uint8_t>(255 - h);
  hsi[1] = h;

  // Black gives 0 / 0 here as well, so S = 0.
  const float lo = std::min({r, g, b});
  hsi[2] = static_cast<uint8_t>(TruncFloat((1.0f - lo / static_cast<float>(i)) * 255.0f));
}

constexpr double kHueStep = 0.012319971190196078;  // pi / 255
constexpr double kPiOver3 = 1.0471975511666667;
constexpr double kTwoPiOver3 = 2.0943951023333334;
constexpr double kPi = 3.1415926535;
constexpr double kFivePiOver6 = 2.6179938779166667;

// The decoder's channels are 16-bit values: sums take the low 16 bits of their
// terms as signed numbers, and results are clamped as signed 16-bit values.
int16_t Low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

uint8_t ClampChannel(int32_t v) {
  const int16_t w = Low16(v);
  if (w >= 255) return 255;
  if (w <= 0) return 0;
  return static_cast<uint8_t>(w);
}

void HsiToRgbPixel(const uint8_t* hsi, uint8_t* out, RgbPositions pos) {
  const double i = hsi[0];
  const double h = hsi[1] * kHueStep;
  const double s = hsi[2] / 255.0;
  const int32_t lo = TruncToInt32(i * (1 - s));
  // The channel that carries the hue, and the remaining one from the sum 3I.
  const auto lifted = [&](double shift) { return TruncToInt32(i * (1 + s * Cos(h) / Cos(shift))); };
  const auto rest = [&](int32_t a, int32_t b) {
    return TruncToInt32(3 * i - (Low16(a) + Low16(b)));
  };
  int32_t red = 0, green = 0, blue = 0;
  if (h <= kPiOver3) {
    red = lifted(kPiOver3 - h);
    blue = lo;
    green = rest(red, blue);
  } else if (h <= kTwoPiOver3) {
    red = lo;
    green = lifted(kPi - h);
    blue = rest(green, red);
  } else {
    green = lo;
    blue = lifted(kFivePiOver6 - h);
    red = rest(green, blue);
  }
  out[pos.r] = ClampChannel(red);
  out[1] = ClampChannel(green);
  out[pos.b] = ClampChannel(blue);
}

}  // namespace

int32_t RgbToHsi(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  ForEachPixel3(src, dst, width, height, inAlign, outAlign, [pos](const uint8_t* s, uint8_t* d) {
    RgbToHsiPixel(s[pos.r], s[1], s[pos.b], d);
  });
  return CLR_OK;
}

int32_t HsiToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  ForEachPixel3(src, dst, width, height, inAlign, outAlign,
                [pos](const uint8_t* s, uint8_t* d) { HsiToRgbPixel(s, d, pos); });
  return CLR_OK;
}

}  // namespace qclr
