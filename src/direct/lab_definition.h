// The arithmetic of the direct Lab kernels, one pixel at a time, exactly as the
// bytes are defined: double precision, the correctly rounded Pow, a gamma of
// 1 / 0.45 and the sRGB primaries. The six-digit matrix weights are
// single-precision values widened to double: the stored bytes depend on exactly
// those values.
//
// The portable rows are these functions; the fast rows (lab_rows.h) build their
// tables from them and fall back to them where a fast result could differ.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/rgb_positions.h"
#include "numeric/deterministic_math.h"
#include "numeric/lab_companding.h"
#include "numeric/truncate.h"

namespace qclr::lab {

// (v / 255)^(1 / 0.45) for every byte v, built on first use (thread-safe).
inline const std::array<double, 256>& LinearTable() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int v = 0; v < 256; ++v) t[v] = Pow(v / 255.0, 2.2222222222222223);
    return t;
  }();
  return table;
}

// The inverse of the Lab companding function, before clamping.
inline double Expand(double f) {
  return f > 0.20689 ? Pow(f, 3.0) : (f - 0.13793103448275862) * 0.12842410777351124;
}

inline double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// x, y, z of linear r, g, b, divided by the white point (95.0166, 100, 108.765).
inline double WhiteX(double r, double g, double b) {
  return (0.412453f * r + 0.357580f * g + 0.180423f * b) * 100 * 0.010524476602567397;
}
inline double WhiteY(double r, double g, double b) {
  return (0.212671f * r + 0.715160f * g + 0.072169f * b) * 100 * 0.01;
}
inline double WhiteZ(double r, double g, double b) {
  return (0.019334f * r + 0.119193f * g + 0.950227f * b) * 100 * 0.009194134194011438;
}

// The three bytes from the companded fx, fy, fz. L is 0..100 here; its low 8
// bits are scaled to the byte.
inline void StoreLab(double fx, double fy, double fz, uint8_t* lab) {
  const uint8_t l = static_cast<uint8_t>(TruncToInt32(116 * fy - 16));
  lab[0] = static_cast<uint8_t>(l * 255 / 100);
  lab[1] = static_cast<uint8_t>(TruncToInt32(500 * (fx - fy)));
  lab[2] = static_cast<uint8_t>(TruncToInt32(200 * (fy - fz)));
}

inline void RgbToLabPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t* lab) {
  const std::array<double, 256>& linear = LinearTable();
  const double r = linear[red], g = linear[green], b = linear[blue];
  const double x = WhiteX(r, g, b), y = WhiteY(r, g, b), z = WhiteZ(r, g, b);
  StoreLab(LabCompand(x, kLabLine77867), LabCompand(y, kLabLine77867), LabCompand(z, kLabLine77867), lab);
}

// L (0..100) of the byte L8.
inline int32_t Lightness(uint8_t l8) { return TruncToInt32(l8 * 0.39215686274509803); }  // 100 / 255

// fy of L and the clamped x, y, z of L with a and b (signed bytes).
inline double CompandedY(int32_t l) { return (l + 16) * 0.008620689655172414; }  // 1 / 116
inline double ClampedX(int32_t l, int8_t a) { return Clamp01(Expand(a * 0.002 + CompandedY(l))) * 0.95; }
inline double ClampedY(int32_t l) { return Clamp01(Expand(CompandedY(l))); }
inline double ClampedZ(int32_t l, int8_t b) { return Clamp01(Expand(CompandedY(l) - b * 0.005)) * 1.088; }

// Linear R, G, B of x, y, z.
inline double LinearRed(double x, double y, double z) {
  return 3.240479f * x - 0.498535f * z - 1.537150f * y;
}
inline double LinearGreen(double x, double y, double z) {
  return -0.969256f * x + 1.875992f * y + 0.041556f * z;
}
inline double LinearBlue(double x, double y, double z) {
  return 0.055648f * x - 0.204043f * y + 1.057311f * z;
}

inline uint8_t GammaToByte(double linear) {
  const int32_t v = TruncToInt32(Pow(linear, 0.45) * 255 + 0.5);
  return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

inline void LabToRgbPixel(const uint8_t* lab, uint8_t* out, RgbPositions pos) {
  const int32_t l = Lightness(lab[0]);
  const double x = ClampedX(l, static_cast<int8_t>(lab[1]));
  const double y = ClampedY(l);
  const double z = ClampedZ(l, static_cast<int8_t>(lab[2]));
  out[pos.r] = GammaToByte(Clamp01(LinearRed(x, y, z)));
  out[1] = GammaToByte(Clamp01(LinearGreen(x, y, z)));
  out[pos.b] = GammaToByte(Clamp01(LinearBlue(x, y, z)));
}

}  // namespace qclr::lab
