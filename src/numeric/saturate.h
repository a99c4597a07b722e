// Conversions to int32 that clamp instead of wrapping, for intermediate values of
// fixed-point arithmetic that are exact whenever they fit and only leave the int32
// range for absurd inputs (an encoding offset of a billion, say).
#pragma once

#include <algorithm>
#include <cstdint>

#include "numeric/truncate.h"

namespace qclr {

inline int32_t SaturateToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Truncates toward zero; values beyond the int32 range give its nearest end.
// NaN still gives kIntegerIndefinite.
inline int32_t TruncSaturated(double v) {
  if (v != v) return kIntegerIndefinite;
  return TruncToInt32(std::clamp(v, -2147483648.0, 2147483647.0));
}

}  // namespace qclr
