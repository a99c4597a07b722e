// The two paths behind each correctly rounded function of deterministic_math.h,
// exposed for tests: a fast double-double approximation with a proven error bound,
// and the slow multiple-precision path that settles what the fast one cannot.
#pragma once

#include "numeric/double_double.h"

namespace qclr::detail {

// x^y ~ (value.hi + value.lo) * 2^scale within relative error `error`, for x > 0
// and finite y. False when the input has no fast approximation (results that are
// subnormal, or certainly overflow or vanish, or exponents too small or too large).
bool PowApproximation(double x, double y, dd::DD& value, int& scale, double& error);
// cos x within relative error `error`; false for NaN and for |x| from about
// 2^20 pi/2 = 1.6e6 up (those take the slow path).
bool CosApproximation(double x, dd::DD& value, double& error);
// acos x within relative error `error`, for |x| <= 1.
void AcosApproximation(double x, dd::DD& value, double& error);

// The slow paths alone: correctly rounded through multiple precision.
double PowAccurate(double x, double y);  // x > 0, |y log x| < 746
double CosAccurate(double x);            // finite x
double AcosAccurate(double x);           // |x| <= 1
float AcosfAccurate(float x);            // |x| <= 1

// When x^y (x > 0) is exactly the midpoint of the adjacent doubles low < high,
// sets `result` to the one with the even significand and returns true.
bool PowHitsMidpoint(double x, double y, double low, double high, double& result);

}  // namespace qclr::detail
