// CIE Lab from and to RGB in double precision, with a gamma of 1 / 0.45 and the
// sRGB primaries. The six-digit matrix weights are single-precision values
// widened to double: the stored bytes depend on exactly those values.
#include <algorithm>
#include <array>

#include "base/pixel_loop.h"
#include "direct/cie_kernels.h"
#include "numeric/deterministic_math.h"
#include "numeric/lab_companding.h"
#include "numeric/truncate.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// (v / 255)^(1 / 0.45) for every byte v, built on first use (thread-safe).
const std::array<double, 256>& LinearTable() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int v = 0; v < 256; ++v) t[v] = Pow(v / 255.0, 2.2222222222222223);
    return t;
  }();
  return table;
}

// The inverse of the Lab companding function, before clamping.
double LabExpand(double f) {
  return f > 0.20689 ? Pow(f, 3.0) : (f - 0.13793103448275862) * 0.12842410777351124;
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

void RgbToLabPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t* lab) {
  const std::array<double, 256>& linear = LinearTable();
  const double r = linear[red], g = linear[green], b = linear[blue];
  // XYZ on a 0..100 scale, divided by the white point (95.0166, 100, 108.765).
  const double x = (0.412453f * r + 0.357580f * g + 0.180423f * b) * 100 * 0.010524476602567397;
  const double y = (0.212671f * r + 0.715160f * g + 0.072169f * b) * 100 * 0.01;
  const double z = (0.019334f * r + 0.119193f * g + 0.950227f * b) * 100 * 0.009194134194011438;
  const double fx = LabCompand(x, kLabLine77867), fy = LabCompand(y, kLabLine77867),
               fz = LabCompand(z, kLabLine77867);
  // L is 0..100 here; its low 8 bits are scaled to the byte.
  const uint8_t l = static_cast<uint8_t>(TruncToInt32(116 * fy - 16));
  lab[0] = static_cast<uint8_t>(l * 255 / 100);
  lab[1] = static_cast<uint8_t>(TruncToInt32(500 * (fx - fy)));
  lab[2] = static_cast<uint8_t>(TruncToInt32(200 * (fy - fz)));
}

uint8_t GammaToByte(double linear) {
  const int32_t v = TruncToInt32(Pow(linear, 0.45) * 255 + 0.5);
  return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

void LabToRgbPixel(const uint8_t* lab, uint8_t* out, RgbPositions pos) {
  const int32_t l = TruncToInt32(lab[0] * 0.39215686274509803);  // 100 / 255
  const double a = static_cast<int8_t>(lab[1]), b = static_cast<int8_t>(lab[2]);
  const double fy = (l + 16) * 0.008620689655172414;  // 1 / 116
  const double fx = a * 0.002 + fy;
  const double fz = fy - b * 0.005;
  const double x = Clamp01(LabExpand(fx)) * 0.95;
  const double y = Clamp01(LabExpand(fy));
  const double z = Clamp01(LabExpand(fz)) * 1.088;
  const double r = 3.240479f * x - 0.498535f * z - 1.537150f * y;
  const double g = -0.969256f * x + 1.875992f * y + 0.041556f * z;
  const double bl = 0.055648f * x - 0.204043f * y + 1.057311f * z;
  out[pos.r] = GammaToByte(Clamp01(r));
  out[1] = GammaToByte(Clamp01(g));
  out[pos.b] = GammaToByte(Clamp01(bl));
}

}  // namespace

int32_t RgbToLab(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  ForEachPixel3(src, dst, width, height, inAlign, outAlign, [pos](const uint8_t* s, uint8_t* d) {
    RgbToLabPixel(s[pos.r], s[1], s[pos.b], d);
  });
  return CLR_OK;
}

int32_t LabToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  ForEachPixel3(src, dst, width, height, inAlign, outAlign,
                [pos](const uint8_t* s, uint8_t* d) { LabToRgbPixel(s, d, pos); });
  return CLR_OK;
}

}  // namespace qclr
