// Elementary functions that give the same bits on every platform and compiler.
// The C libraries differ in the last bit between platforms (glibc's 32-bit x86
// functions differ from its 64-bit ones), and converted results depend on those
// bits, so the library computes them itself, correctly rounded: each result is
// the exact value rounded to nearest, ties to even. Only IEEE-754 additions,
// multiplications, divisions, square roots, comparisons and exact conversions are
// used, plus integer arithmetic.
//
// Each function first computes a double-double approximation with a proven error
// bound (relative 2^-67, for Pow 2^-76 (1 + |y log x|)) and returns its rounding
// when the whole error interval rounds the same way (Ziv's test). Otherwise (about
// one call in 10^4) it recomputes in multiple precision, 88 bits and more, doubling
// until the rounding is decided; exact ties of Pow (e.g. (1 + 2^-27)^2) are
// recognised in integer arithmetic. Correct rounding therefore holds for every
// input unless an exact value lies within 2^-2200 of a rounding tie without being
// one; no such double is known or expected.
//
// Speed: the fast paths take some 40-80 ns per call; the multiple-precision path
// some microseconds (Cos of huge arguments, subnormal Pow results and the rare
// hard cases). The first call of each function builds its tables (a few ms).
#pragma once

namespace qclr {

// x^y with the special cases of C99 Annex F: pow(x, +-0) = 1 for any x (NaN too),
// pow(+1, y) = 1 for any y (NaN too), NaN otherwise propagates, signed zeros and
// infinities for x = +-0 and +-inf and for y = +-inf, negative x with an odd
// integer y gives a negative result and with a non-integer y NaN; overflow gives
// infinity, underflow a correctly rounded subnormal or zero.
double Pow(double x, double y);
// The arc cosine on [-1, 1]; NaN outside and for NaN.
double Acos(double x);
// The cosine of any finite x (correctly rounded over the whole range; arguments
// from about 1.6e6 up take the multiple-precision reduction); NaN for infinities
// and NaN.
double Cos(double x);
// The single-precision arc cosine, correctly rounded from a double-double value
// (never through a rounded double, which could round twice).
float Acosf(float x);

}  // namespace qclr
