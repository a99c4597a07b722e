// Elementary functions that give the same bits on every platform and compiler.
// The C libraries differ in the last bit between platforms (glibc's 32-bit x86
// functions differ from its 64-bit ones), and converted results depend on those
// bits, so the library computes them itself, correctly rounded.
#pragma once

namespace qclr {

double Pow(double x, double y);
double Acos(double x);
double Cos(double x);
float Acosf(float x);  // the single-precision arc cosine, correctly rounded

}  // namespace qclr
