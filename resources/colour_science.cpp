#include "colour_science.h"

#include <cmath>

#include "numeric/deterministic_math.h"

namespace qclr::resources {
namespace {

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The CIE Lab companding function and its inverse (threshold (6/29)^3).
constexpr double kDelta = 6.0 / 29.0;
double LabF(double t) {
  return t > kDelta * kDelta * kDelta ? Pow(t, 1.0 / 3.0) : t / (3.0 * kDelta * kDelta) + 4.0 / 29.0;
}
double LabFInverse(double u) { return u > kDelta ? u * u * u : 3.0 * kDelta * kDelta * (u - 4.0 / 29.0); }

}  // namespace

const Vec3 kD50 = {{63190.0 / 65536.0, 1.0, 54061.0 / 65536.0}};

Vec3 Mat3::operator*(const Vec3& x) const {
  Vec3 r;
  for (int i = 0; i < 3; ++i) r[i] = m[i][0] * x[0] + m[i][1] * x[1] + m[i][2] * x[2];
  return r;
}

Mat3 Mat3::operator*(const Mat3& b) const {
  Mat3 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = m[i][0] * b.m[0][j] + m[i][1] * b.m[1][j] + m[i][2] * b.m[2][j];
  return r;
}

Mat3 Inverse(const Mat3& a) {
  const auto& m = a.m;
  const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
  const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
  Mat3 r;
  r.m[0][0] = c00 / det;
  r.m[1][0] = c01 / det;
  r.m[2][0] = c02 / det;
  r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
  r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
  r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
  r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
  r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
  r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
  return r;
}

Mat3 PrimariesMatrix(const double xy[3][2], const Vec3& white) {
  Mat3 p;
  for (int c = 0; c < 3; ++c) {
    const double x = xy[c][0], y = xy[c][1];
    p.m[0][c] = x / y;
    p.m[1][c] = 1.0;
    p.m[2][c] = (1.0 - x - y) / y;
  }
  const Vec3 s = Inverse(p) * white;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) p.m[r][c] *= s[c];
  return p;
}

Vec3 XyzToLab(const Vec3& xyz) {
  const double fx = LabF(xyz[0] / kD50[0]);
  const double fy = LabF(xyz[1] / kD50[1]);
  const double fz = LabF(xyz[2] / kD50[2]);
  return {{116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)}};
}

Vec3 LabToXyz(const Vec3& lab) {
  const double fy = (lab[0] + 16.0) / 116.0;
  return {{kD50[0] * LabFInverse(fy + lab[1] / 500.0), kD50[1] * LabFInverse(fy),
           kD50[2] * LabFInverse(fy - lab[2] / 200.0)}};
}

Vec3 DisplayWhiteD65() { return {{0.3127 / 0.3290, 1.0, (1.0 - 0.3127 - 0.3290) / 0.3290}}; }

void DisplayMatrixRaw(int32_t raw[3][3]) {
  const double primaries[3][2] = {{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}};
  const Mat3 toXyzD65 = PrimariesMatrix(primaries, DisplayWhiteD65());
  // Bradford adaptation D65 -> D50: to cone responses, scale them by the whites'
  // ratio, back to XYZ.
  const Mat3 bradford = {{{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
  const Vec3 coneD65 = bradford * DisplayWhiteD65();
  const Vec3 coneD50 = bradford * kD50;
  Mat3 scale = {{{coneD50[0] / coneD65[0], 0, 0}, {0, coneD50[1] / coneD65[1], 0}, {0, 0, coneD50[2] / coneD65[2]}}};
  const Mat3 toXyzD50 = Inverse(bradford) * (scale * (bradford * toXyzD65));
  const int32_t whiteRaw[3] = {0xF6D6, 0x10000, 0xD32D};
  for (int r = 0; r < 3; ++r) {
    int32_t sum = 0;
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
      raw[r][c] = static_cast<int32_t>(std::floor(toXyzD50.m[r][c] * 65536.0 + 0.5));
      sum += raw[r][c];
      if (raw[r][c] > raw[r][largest]) largest = c;
    }
    // Rounding may leave the row a unit off the white; the largest element takes it.
    raw[r][largest] += whiteRaw[r] - sum;
  }
}

Mat3 DisplayMatrix() {
  int32_t raw[3][3];
  DisplayMatrixRaw(raw);
  Mat3 m;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m.m[r][c] = raw[r][c] / 65536.0;
  return m;
}

double DisplayDecode(double v) {
  v = Clamp(v, 0.0, 1.0);
  return v <= 0.04045 ? v / 12.92 : Pow((v + 0.055) / 1.055, 2.4);
}

double DisplayEncode(double linear) {
  linear = Clamp(linear, 0.0, 1.0);
  return linear <= 0.0031308 ? linear * 12.92 : 1.055 * Pow(linear, 1.0 / 2.4) - 0.055;
}

void EncodeLab16(const Vec3& lab, uint16_t out[3]) {
  const double v[3] = {lab[0] * 652.8, (lab[1] + 128.0) * 256.0, (lab[2] + 128.0) * 256.0};
  for (int i = 0; i < 3; ++i) out[i] = static_cast<uint16_t>(std::floor(Clamp(v[i], 0.0, 65535.0) + 0.5));
}

Vec3 DecodeLab16(const double encoded[3]) {
  return {{encoded[0] / 652.8, encoded[1] / 256.0 - 128.0, encoded[2] / 256.0 - 128.0}};
}

void EncodeLab8(const Vec3& lab, uint16_t out[3]) {
  const double v[3] = {lab[0] * 2.55, lab[1] + 128.0, lab[2] + 128.0};
  for (int i = 0; i < 3; ++i) out[i] = static_cast<uint16_t>(std::floor(Clamp(v[i], 0.0, 255.0) + 0.5));
}

uint16_t ToUnit16(double v) { return static_cast<uint16_t>(std::floor(Clamp(v, 0.0, 1.0) * 65535.0 + 0.5)); }

}  // namespace qclr::resources
