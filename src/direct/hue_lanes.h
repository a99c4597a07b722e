// The integer arithmetic of the HSV and HLS kernels on N pixels at once, in 32-bit
// lanes (GCC vector extensions), for the row files of each instruction set.
//
// HueLanes<VI, VF> takes VI (N x int32_t) and VF (N x float). Everything here has
// internal linkage: each row file gets its own copy, compiled for its set.
//
// Every operation gives the integer of the portable rows (hsv_hls_kernels.cpp):
//  - a quotient with a varying divisor, floor(n / m) for 0 <= n < 2^24 and
//    1 <= m <= 2^8, is the float quotient truncated: it is exact where n / m is an
//    integer, and otherwise at least 1 / m below the next integer k + 1, more than
//    half a float step there ((k + 1) 2^-24, as m (k + 1) <= n + m < 2^24);
//  - quotients by constants are multiplications and shifts, checked below over
//    every numerator they see;
//  - MulDiv(n, k, m) of non-negative m is sign(n) floor((|n| k + m / 2) / m);
//  - C++ division truncates toward zero: sign(n) floor(|n| k / m).
// bench/exhaustive_check compares the rows built on these with the portable rows
// over all 2^24 inputs.
#pragma once

#include <cstdint>

namespace qclr {
namespace {

// Quotients by constants, checked over the numerators they see.
constexpr int32_t Div255(int32_t x) { return (x + 1 + (x >> 8)) >> 8; }  // 0 <= x <= 255 x 256
constexpr int32_t Div24(int32_t x) { return (x * 2731) >> 16; }          // 0 <= x <= 359 x 17
constexpr int32_t Div17(int32_t x) { return (x * 7711) >> 17; }          // 0 <= x <= 255 x 24
constexpr int32_t Div60(int32_t x) { return (x * 1093) >> 16; }          // 0 <= x <= 359
constexpr bool QuotientsExact() {
  for (int32_t x = 0; x <= 255 * 256; ++x) {
    if (Div255(x) != x / 255) return false;
  }
  for (int32_t x = 0; x <= 359 * 17; ++x) {
    if (Div24(x) != x / 24) return false;
  }
  for (int32_t x = 0; x <= 255 * 24; ++x) {
    if (Div17(x) != x / 17) return false;
  }
  for (int32_t x = 0; x <= 359; ++x) {
    if (Div60(x) != x / 60) return false;
  }
  return true;
}
static_assert(QuotientsExact());

template <typename VI, typename VF>
struct HueLanes {
  static VI Max(VI a, VI b) { return a > b ? a : b; }
  static VI Min(VI a, VI b) { return a < b ? a : b; }
  static VI Abs(VI a) { return a < 0 ? -a : a; }

  // floor(n / m) for 0 <= n < 2^24, 1 <= m <= 2^8 (see above).
  static VI DivFloor(VI n, VI m) {
    return __builtin_convertvector(__builtin_convertvector(n, VF) / __builtin_convertvector(m, VF), VI);
  }
  static VI DivFloor(VI n, float m) {
    return __builtin_convertvector(__builtin_convertvector(n, VF) / m, VI);
  }

  static VI Div255(VI x) { return (x + 1 + (x >> 8)) >> 8; }
  static VI Div24(VI x) { return (x * 2731) >> 16; }
  static VI Div17(VI x) { return (x * 7711) >> 17; }
  static VI Div60(VI x) { return (x * 1093) >> 16; }

  struct Lanes3 {
    VI first, second, third;
  };

  // The signed difference that carries the hue and the hue's base, by which channel
  // is the maximum (R before G before B on ties).
  struct HueSector {
    VI n, base;
  };
  static HueSector Sector(VI r, VI g, VI b, VI mx, int32_t baseG, int32_t baseB) {
    const VI rMax = r == mx, gMax = g == mx;
    const VI n = rMax ? g - b : (gMax ? b - r : r - g);
    const VI base = rMax ? VI{} : (gMax ? VI{} + baseG : VI{} + baseB);
    return {n, base};
  }

  // H, S, V of R, G, B.
  static Lanes3 RgbToHsvLanes(VI r, VI g, VI b) {
    const VI mx = Max(Max(r, g), b), mn = Min(Min(r, g), b), d = mx - mn;
    const VI one = VI{} + 1;
    // S = MulDiv(d, 255, mx); black gives 0 / 1. S is 0 exactly where d is.
    const VI s = DivFloor(d * 255 + (mx >> 1), Max(mx, one));
    const HueSector sector = Sector(r, g, b, mx, 120, 240);
    const VI q = DivFloor(Abs(sector.n) * 60 + (d >> 1), Max(d, one));  // MulDiv(n, 60, d)
    VI h = (sector.n < 0 ? -q : q) + sector.base;
    h = h < 0 ? h + 360 : h;
    h = d == 0 ? VI{} : h;
    return {Div24(h * 17), s, mx};  // h x 255 / 360
  }

  // R, G, B of H, S, V.
  static Lanes3 HsvToRgbLanes(VI hByte, VI s, VI v) {
    VI h = Div17(hByte * 24);  // H x 360 / 255
    h = h == 360 ? VI{} : h;
    const VI sector = Div60(h), f = h - sector * 60;
    const VI sv = s * v;
    const VI p = v - Div255(sv);
    const VI q = v - DivFloor(sv * f, 15300.0f);
    const VI t = v - DivFloor(sv * (60 - f), 15300.0f);
    const VI red = ((sector == 0) | (sector == 5)) ? v : (sector == 1 ? q : (sector == 4 ? t : p));
    const VI green = sector == 0 ? t : (((sector == 1) | (sector == 2)) ? v : (sector == 3 ? q : p));
    const VI blue = ((sector == 0) | (sector == 1)) ? p : (sector == 2 ? t : (sector == 5 ? q : v));
    const VI grey = s == 0;
    return {grey ? v : red, grey ? v : green, grey ? v : blue};
  }

  // H, L, S of R, G, B.
  static Lanes3 RgbToHlsLanes(VI r, VI g, VI b) {
    const VI mx = Max(Max(r, g), b), mn = Min(Min(r, g), b), d = mx - mn, sum = mx + mn;
    const VI one = VI{} + 1;
    // Greys (d = 0) give 0 / 1, even where 510 - mx - mn is 0.
    const VI s = DivFloor(d * 255, Max(sum < 256 ? sum : 510 - sum, one));
    const HueSector sector = Sector(r, g, b, mx, 85, 170);
    const VI magnitude = DivFloor(Abs(sector.n) * 255, Max(6 * d, one));
    VI h = (sector.n < 0 ? -magnitude : magnitude) + sector.base;
    h = h < 0 ? h + 255 : h;
    return {d == 0 ? VI{} : h, sum >> 1, s};
  }

  // One channel of HLS -> RGB at position x of the 255-step wheel.
  static VI HlsChannel(VI m1, VI m2, VI x) {
    const VI rise = m1 + Div255((m2 - m1) * x * 6), fall = m1 + Div255((m2 - m1) * 6 * (170 - x));
    return x <= 42 ? rise : (x <= 127 ? m2 : (x <= 170 ? fall : m1));
  }

  // R, G, B of H, L, S.
  static Lanes3 HlsToRgbLanes(VI h, VI l, VI s) {
    const VI m2 = l < 128 ? Div255((s + 255) * l) : s + l - Div255(s * l);
    const VI m1 = 2 * l - m2;
    const VI hr = h + 85 > 255 ? h + 85 - 255 : h + 85;
    const VI hb = h - 85 < 0 ? h - 85 + 255 : h - 85;
    const VI grey = s == 0;
    return {grey ? l : HlsChannel(m1, m2, hr), grey ? l : HlsChannel(m1, m2, h),
            grey ? l : HlsChannel(m1, m2, hb)};
  }
};

}  // namespace
}  // namespace qclr
