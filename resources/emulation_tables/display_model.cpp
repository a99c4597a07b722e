#include "display_model.h"

#include "numeric/deterministic_math.h"

namespace qclr::tables {
namespace {

using Matrix = double[3][3];

struct Xyz {
  double x, y, z;
};

// The D50 white of L*a*b* (the ICC connection-space white).
constexpr Xyz kD50 = {0.9642, 1.0, 0.8249};

// Chromaticities of the monitor's primaries and white.
constexpr double kPrimaries[3][2] = {{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}};
constexpr double kD65[2] = {0.3127, 0.3290};

// Bradford cone response matrix.
constexpr Matrix kBradford = {
    {0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}};

Xyz FromChromaticity(double x, double y) { return {x / y, 1.0, (1 - x - y) / y}; }

Xyz Apply(const Matrix& m, const Xyz& v) {
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
          m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

void Multiply(const Matrix& a, const Matrix& b, Matrix& out) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
}

void Invert(const Matrix& m, Matrix& out) {
  const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
  const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
  out[0][0] = c00 / det;
  out[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
  out[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
  out[1][0] = c01 / det;
  out[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
  out[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
  out[2][0] = c02 / det;
  out[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
  out[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
}

// Linear RGB to D50 XYZ and back, built once from the chromaticities.
struct DisplayMatrices {
  Matrix toXyz;
  Matrix fromXyz;

  DisplayMatrices() {
    // Columns: the primaries' XYZ scaled so that RGB (1, 1, 1) is the D65 white.
    Matrix primaries;
    for (int p = 0; p < 3; ++p) {
      const Xyz c = FromChromaticity(kPrimaries[p][0], kPrimaries[p][1]);
      primaries[0][p] = c.x;
      primaries[1][p] = c.y;
      primaries[2][p] = c.z;
    }
    Matrix inverse;
    Invert(primaries, inverse);
    const Xyz d65 = FromChromaticity(kD65[0], kD65[1]);
    const Xyz scale = Apply(inverse, d65);
    Matrix rgbToD65;
    for (int r = 0; r < 3; ++r) {
      rgbToD65[r][0] = primaries[r][0] * scale.x;
      rgbToD65[r][1] = primaries[r][1] * scale.y;
      rgbToD65[r][2] = primaries[r][2] * scale.z;
    }
    // Bradford: scale the cone responses of D65 onto those of D50.
    const Xyz coneD65 = Apply(kBradford, d65), coneD50 = Apply(kBradford, kD50);
    Matrix gain = {{coneD50.x / coneD65.x, 0, 0}, {0, coneD50.y / coneD65.y, 0},
                   {0, 0, coneD50.z / coneD65.z}};
    Matrix bradfordInverse, step, adapt;
    Invert(kBradford, bradfordInverse);
    Multiply(gain, kBradford, step);
    Multiply(bradfordInverse, step, adapt);
    Multiply(adapt, rgbToD65, toXyz);
    Invert(toXyz, fromXyz);
  }
};

const DisplayMatrices& Matrices() {
  static const DisplayMatrices matrices;
  return matrices;
}

// The sRGB transfer curve: display level (0..1) to linear light and back.
double ToLinear(double v) { return v <= 0.04045 ? v / 12.92 : Pow((v + 0.055) / 1.055, 2.4); }
double FromLinear(double v) { return v <= 0.0031308 ? 12.92 * v : 1.055 * Pow(v, 1 / 2.4) - 0.055; }

// The L*a*b* companding function and its inverse, with the linear segment below
// (6/29)^3.
constexpr double kDelta = 6.0 / 29.0;
double LabF(double t) {
  return t > kDelta * kDelta * kDelta ? Pow(t, 1.0 / 3.0) : t / (3 * kDelta * kDelta) + 4.0 / 29.0;
}
double LabFInverse(double f) {
  return f > kDelta ? f * f * f : 3 * kDelta * kDelta * (f - 4.0 / 29.0);
}

double LimitUnit(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace

Lab LabFromDisplay(double r, double g, double b) {
  const Xyz lin = {ToLinear(r / 255), ToLinear(g / 255), ToLinear(b / 255)};
  const Xyz xyz = Apply(Matrices().toXyz, lin);
  const double fx = LabF(xyz.x / kD50.x), fy = LabF(xyz.y / kD50.y), fz = LabF(xyz.z / kD50.z);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

Rgb DisplayFromLab(const Lab& lab) {
  const double fy = (lab.l + 16) / 116;
  const Xyz xyz = {kD50.x * LabFInverse(fy + lab.a / 500), kD50.y * LabFInverse(fy),
                   kD50.z * LabFInverse(fy - lab.b / 200)};
  const Xyz lin = Apply(Matrices().fromXyz, xyz);
  return {255 * FromLinear(LimitUnit(lin.x)), 255 * FromLinear(LimitUnit(lin.y)),
          255 * FromLinear(LimitUnit(lin.z))};
}

}  // namespace qclr::tables
