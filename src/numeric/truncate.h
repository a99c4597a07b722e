// Double-to-integer conversion with the processor's defined result for every input.
#pragma once

#include <cstdint>

namespace qclr {

// The processor's "integer indefinite" value, produced for NaN and out-of-range
// inputs by the x86 truncating conversions. Its low byte is 0.
inline constexpr int32_t kIntegerIndefinite = INT32_MIN;

// Truncates toward zero like the x86 cvttsd2si instruction: NaN and values
// outside the int32 range give kIntegerIndefinite. A bare cast would be undefined
// behaviour there and differs between compilers.
inline int32_t TruncToInt32(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return kIntegerIndefinite;
  return static_cast<int32_t>(v);
}

}  // namespace qclr
