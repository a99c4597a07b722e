#include "numeric/deterministic_math.h"

#include <cmath>

namespace qclr {

double Pow(double x, double y) { return std::pow(x, y); }
double Acos(double x) { return std::acos(x); }
double Cos(double x) { return std::cos(x); }
float Acosf(float x) { return std::acos(x); }

}  // namespace qclr
