// 3 x 3 matrices of doubles, row by row, for the colorant matrices of
// matrix/curve profiles.
#pragma once

namespace qclr {

struct Matrix3 {
  double m[3][3];
};

// Inverts by Gauss-Jordan elimination with partial pivoting: for each column the
// row with the largest magnitude at or below the diagonal becomes the pivot (a
// later row replaces an earlier one only when strictly larger). False when a pivot
// is exactly 0.
bool InvertMatrix3(const Matrix3& a, Matrix3* inverse);

// a x b.
Matrix3 MultiplyMatrix3(const Matrix3& a, const Matrix3& b);

}  // namespace qclr
