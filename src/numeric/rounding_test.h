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

// The float nearest to hi + lo (ties to even), for |lo| <= ulp(hi)/2.
inline float RoundToFloat(DD v) {
  const float f = static_cast<float>(v.hi);
  const double back = f;
  if (back == v.hi) return f;
  // hi lies between f and its neighbour g; only when hi is exactly their midpoint
  // can lo move the rounding.
  const uint32_t bits = std::bit_cast<uint32_t>(f);
  const bool awayFromZero = (v.hi < 0 ? -v.hi : v.hi) > (back < 0 ? -back : back);
  const float g = std::bit_cast<float>(awayFromZero ? bits + 1 : bits - 1);
  const double middle = (back + static_cast<double>(g)) * 0.5;  // exact
  if (v.hi != middle || v.lo == 0) return f;
  const float below = f < g ? f : g;
  const float above = f < g ? g : f;
  return v.lo > 0 ? above : below;
}

// The float version of RoundsToSameDouble.
inline bool RoundsToSameFloat(DD v, double error, float& result) {
  const double magnitude = v.hi < 0 ? -v.hi : v.hi;
  const double delta = (error + 0x1p-100) * magnitude;
  const float low = RoundToFloat(FastTwoSum(v.hi, v.lo - delta));
  const float high = RoundToFloat(FastTwoSum(v.hi, v.lo + delta));
  if (low != high) return false;
  result = low;
  return true;
}

}  // namespace qclr::dd
