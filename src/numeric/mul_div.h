// Rounded multiply-divide as the Windows system function defines it, written out
// so that every platform rounds the same way.
#pragma once

#include <cstdint>

namespace qclr {

// The 64-bit product a * b divided by c, rounded to the nearest integer with halves
// away from zero; -1 when c is 0 or the result overflows.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

}  // namespace qclr
