#include "icc/matrix3.h"

#include <cmath>
#include <utility>

namespace qclr {

bool InvertMatrix3(const Matrix3& a, Matrix3* inverse) {
  // Augmented [a | I], reduced to [I | a^-1].
  double w[3][6];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      w[r][c] = a.m[r][c];
      w[r][c + 3] = r == c ? 1.0 : 0.0;
    }
  }
  for (int col = 0; col < 3; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 3; ++r) {
      if (std::fabs(w[r][col]) > std::fabs(w[pivot][col])) pivot = r;
    }
    if (w[pivot][col] == 0.0) return false;
    if (pivot != col) {
      for (int c = 0; c < 6; ++c) std::swap(w[pivot][c], w[col][c]);
    }
    const double p = w[col][col];
    for (int c = 0; c < 6; ++c) w[col][c] /= p;
    for (int r = 0; r < 3; ++r) {
      if (r == col) continue;
      const double f = w[r][col];
      for (int c = 0; c < 6; ++c) w[r][c] -= f * w[col][c];
    }
  }
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) inverse->m[r][c] = w[r][c + 3];
  }
  return true;
}

Matrix3 MultiplyMatrix3(const Matrix3& a, const Matrix3& b) {
  Matrix3 p{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += a.m[r][k] * b.m[k][c];
      p.m[r][c] = sum;
    }
  }
  return p;
}

}  // namespace qclr
