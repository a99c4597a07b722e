#include "numeric/mul_div.h"

#include <cstdint>
#include <cstdlib>

namespace qclr {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * b;
  const bool negative = (product < 0) != (c < 0);
  const uint64_t magnitude = product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
  const uint64_t divisor = c < 0 ? 0 - static_cast<uint64_t>(int64_t{c}) : static_cast<uint64_t>(c);
  // Adding half the divisor before dividing rounds halves away from zero.
  const uint64_t quotient = (magnitude + divisor / 2) / divisor;
  if (negative) {
    if (quotient > uint64_t{1} << 31) return -1;
    return static_cast<int32_t>(0 - static_cast<int64_t>(quotient));
  }
  if (quotient > INT32_MAX) return -1;
  return static_cast<int32_t>(quotient);
}

}  // namespace qclr
