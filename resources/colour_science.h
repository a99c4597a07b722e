// Colour science for the profile generators: the connection space's white, CIE Lab,
// the display RGB model and the ICC version 2 Lab encodings. Only the basic
// arithmetic operations, floor, sqrt and qclr::Pow are used, so every platform
// computes the same bits.
#pragma once

#include <cstdint>

namespace qclr::resources {

struct Vec3 {
  double v[3];
  double operator[](int i) const { return v[i]; }
  double& operator[](int i) { return v[i]; }
};

struct Mat3 {
  double m[3][3];
  Vec3 operator*(const Vec3& x) const;
  Mat3 operator*(const Mat3& b) const;
};

// Inverse by Cramer's rule (the matrices here are well conditioned).
Mat3 Inverse(const Mat3& a);

// The connection space's white, exactly the s15Fixed16 values of the header
// illuminant: (0xF6D6, 0x10000, 0xD32D) / 65536.
extern const Vec3 kD50;

// The matrix from linear RGB to XYZ whose columns are the XYZ of the unit
// primaries given by their chromaticities, scaled so that RGB (1, 1, 1) is `white`.
Mat3 PrimariesMatrix(const double xy[3][2], const Vec3& white);

// CIE Lab relative to kD50.
Vec3 XyzToLab(const Vec3& xyz);
Vec3 LabToXyz(const Vec3& lab);

// The display RGB model: the common video primaries (red 0.64, 0.33; green 0.30,
// 0.60; blue 0.15, 0.06) with a D65 white, adapted to the D50 connection space
// with the Bradford cone matrix, then rounded to s15Fixed16 with each row summing
// exactly to the D50 white. The raw matrix is what the colorant tags store; the
// double one (raw / 65536) is what every generator computes with.
void DisplayMatrixRaw(int32_t raw[3][3]);
Mat3 DisplayMatrix();
// The display's D65 white as XYZ (chromaticity 0.3127, 0.3290).
Vec3 DisplayWhiteD65();

// The display's tone curve (the piecewise curve of common video RGB: a linear
// segment near black, then an offset power of 2.4), both directions on 0..1.
double DisplayDecode(double v);
double DisplayEncode(double linear);

// Lab in the ICC version 2 encodings: 16-bit L * 652.8 (L 100 = 0xFF00) and
// (a + 128) * 256; 8-bit L * 2.55 and a + 128. Results are rounded and clamped.
void EncodeLab16(const Vec3& lab, uint16_t out[3]);
Vec3 DecodeLab16(const double encoded[3]);
void EncodeLab8(const Vec3& lab, uint16_t out[3]);

// floor(v * 65535 + 0.5) for v clamped to 0..1.
uint16_t ToUnit16(double v);

}  // namespace qclr::resources
