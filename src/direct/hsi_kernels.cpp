// HSI: intensity, a hue of this library's own encoding, saturation.
//
// The encoder runs wholly in single precision and the decoder in double
// precision; their constants and their order of operations are part of the
// stored format, so both are kept exactly as they are, including the behaviour of
// the x86 truncating conversion on NaN (the integer indefinite value, low byte 0).
#include <algorithm>

#include "base/pixel_loop.h"
#include "direct/hsi_rows.h"
#include "direct/hue_kernels.h"
#include "numeric/deterministic_math.h"
#include "numeric/truncate.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// Truncates a float as the processor's single-to-integer conversion does.
int32_t TruncFloat(float v) { return TruncToInt32(static_cast<double>(v)); }

// No square root under the quotient: n / m often leaves -1..1, and a grey gives
// 0 / 0. Both make the arc cosine NaN, whose truncation has a low byte of 0.
// The hue reaches 400 and keeps its low 8 bits. (Before mirroring.)
uint8_t HueByte(float r, float g, float b) {
  const float n = 0.5f * (r - g) + (r - b);
  const float m = (g - b) * (r - b) + (r - g) * (r - g);
  return static_cast<uint8_t>(TruncFloat(Acosf(n / m) * 255.0f * 0.5f));
}

int32_t Intensity(float r, float g, float b) { return TruncFloat((r + g + b) * 0.33333334f); }

// Black gives 0 / 0 here as well, so S = 0.
uint8_t Saturation(float r, float g, float b, int32_t i) {
  const float lo = std::min({r, g, b});
  return static_cast<uint8_t>(TruncFloat((1.0f - lo / static_cast<float>(i)) * 255.0f));
}

void StoreHsi(float r, float g, float b, uint8_t hue, uint8_t* hsi) {
  const int32_t i = Intensity(r, g, b);
  hsi[0] = static_cast<uint8_t>(i);
  hsi[1] = b >= g ? static_cast<uint8_t>(255 - hue) : hue;
  hsi[2] = Saturation(r, g, b, i);
}

void RgbToHsiPixel(float r, float g, float b, uint8_t* hsi) { StoreHsi(r, g, b, HueByte(r, g, b), hsi); }

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

// The angle the hue is measured against in h's sector.
double Shift(double h) {
  if (h <= kPiOver3) return kPiOver3 - h;
  if (h <= kTwoPiOver3) return kPi - h;
  return kFivePiOver6 - h;
}

double Hue(uint8_t byte) { return byte * kHueStep; }

// The decoder with cos h and cos Shift(h) given.
void HsiToRgbPixelWith(const uint8_t* hsi, double cosHue, double cosShift, uint8_t* out, RgbPositions pos) {
  const double i = hsi[0];
  const double h = Hue(hsi[1]);
  const double s = hsi[2] / 255.0;
  const int32_t lo = TruncToInt32(i * (1 - s));
  // The channel that carries the hue, and the remaining one from the sum 3I.
  const int32_t lifted = TruncToInt32(i * (1 + s * cosHue / cosShift));
  const auto rest = [&](int32_t a, int32_t b) {
    return TruncToInt32(3 * i - (Low16(a) + Low16(b)));
  };
  int32_t red = 0, green = 0, blue = 0;
  if (h <= kPiOver3) {
    red = lifted;
    blue = lo;
    green = rest(red, blue);
  } else if (h <= kTwoPiOver3) {
    red = lo;
    green = lifted;
    blue = rest(green, red);
  } else {
    green = lo;
    blue = lifted;
    red = rest(green, blue);
  }
  out[pos.r] = ClampChannel(red);
  out[1] = ClampChannel(green);
  out[pos.b] = ClampChannel(blue);
}

void HsiToRgbPixel(const uint8_t* hsi, uint8_t* out, RgbPositions pos) {
  const double h = Hue(hsi[1]);
  HsiToRgbPixelWith(hsi, Cos(h), Cos(Shift(h)), out, pos);
}

hsi::Tables BuildTables() {
  hsi::Tables t;
  t.hue.assign(511 * 511 + 3, 0);
  for (int32_t redMinusGreen = -255; redMinusGreen <= 255; ++redMinusGreen) {
    for (int32_t redMinusBlue = -255; redMinusBlue <= 255; ++redMinusBlue) {
      // Any pixel with these differences gives the same n and m; pairs that no
      // pixel has keep 0.
      const int32_t r = std::max({0, redMinusGreen, redMinusBlue});
      const int32_t g = r - redMinusGreen, b = r - redMinusBlue;
      if (r > 255 || g > 255 || b > 255) continue;
      t.hue[hsi::HueIndex(redMinusGreen, redMinusBlue)] =
          HueByte(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b));
    }
  }
  for (int byte = 0; byte < 256; ++byte) {
    const double h = Hue(static_cast<uint8_t>(byte));
    t.cosHue[byte] = Cos(h);
    t.cosShift[byte] = Cos(Shift(h));
  }
  return t;
}

}  // namespace

namespace hsi {

const Tables& GetTables() {
  static const Tables tables = BuildTables();
  return tables;
}

void RgbToHsiRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) RgbToHsiPixel(s[pos.r], s[1], s[pos.b], d);
}

void HsiToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) HsiToRgbPixel(s, d, pos);
}

void RgbToHsiRowTables(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const std::vector<uint8_t>& hue = GetTables().hue;
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const int32_t r = s[pos.r], g = s[1], b = s[pos.b];
    StoreHsi(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), hue[HueIndex(r - g, r - b)], d);
  }
}

void HsiToRgbRowTables(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const Tables& t = GetTables();
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) HsiToRgbPixelWith(s, t.cosHue[s[1]], t.cosShift[s[1]], d, pos);
}

}  // namespace hsi

namespace {

int32_t ConvertRows(hsi::HsiRow row, const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                    int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  const ptrdiff_t rowBytes = 3 * ptrdiff_t{width};
  ForEachRow(src, PaddedStride(rowBytes, inAlign), dst, PaddedStride(rowBytes, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, width, pos); });
  return CLR_OK;
}

}  // namespace

int32_t RgbToHsi(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(hsi::kRgbToHsiRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t HsiToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(hsi::kHsiToRgbRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

}  // namespace qclr
