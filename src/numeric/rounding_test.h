// Ziv's rounding test for double-double results: when every value within the error
// bound of an approximation rounds to the same number, that number is the correct
// rounding of the exact value; otherwise the caller recomputes more precisely.
#pragma once

#include <bit>
#include <cstdint>

#include "numeric/double_double.h"

namespace qclr::dd {

// v approximates a value within relative error `error` (|v.lo| <= ulp(v.hi)/2).
// The bound is widened by 2^-100 for the roundings of the test itself. Since
// hi + t rounds to nearest in one operation and rounding is monotonic, equal
// roundings of both ends decide every value between them.
inline bool RoundsToSameDouble(DD v, double error, double& result) {
  const double magnitude = v.hi < 0 ? -v.hi : v.hi;
  const double delta = (error + 0x1p-100) * magnitude;
  const double low = v.hi + (v.lo - delta);
  const double high = v.hi + (v.lo + delta);
  if (low != high) return false;
  result = low;
  return true;
}

// True when the double v is exactly halfway between two floats of the normal range
// (its bits below the float precision are 1 followed by zeros).
inline bool IsFloatMidpoint(double v) {
  return (std::bit_cast<uint64_t>(v) & 0x1FFFFFFF) == 0x10000000;
}

// The float version of RoundsToSameDouble, for results in the normal float range.
// The ends are rounded to doubles first; that cannot change a decision unless an end
// lands exactly on a float midpoint, which is excluded. Otherwise a float midpoint
// inside the interval (a double itself) would lie strictly between the two ends and
// separate their float roundings.
inline bool RoundsToSameFloat(DD v, double error, float& result) {
  const double magnitude = v.hi < 0 ? -v.hi : v.hi;
  const double delta = (error + 0x1p-100) * magnitude;
  const double low = v.hi + (v.lo - delta);
  const double high = v.hi + (v.lo + delta);
  const float lowFloat = static_cast<float>(low);
  if (lowFloat != static_cast<float>(high) || IsFloatMidpoint(low) || IsFloatMidpoint(high)) {
    return false;
  }
  result = lowFloat;
  return true;
}

}  // namespace qclr::dd
