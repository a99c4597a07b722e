// The numbers the user types into the dialogs' boxes, read and shown the same way
// in every locale (a '.' before the decimals, no grouping).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qclr::dialog {

// A chromaticity coordinate: a decimal number strictly between 0 and 1 (an
// exponent is allowed, spaces around it are ignored). False for anything else.
bool ParseChromaticity(std::string_view text, double* value);

// A black-generation value: a whole number from 0 to 1000, spaces around it
// ignored. False for anything else.
bool ParseBlackGeneration(std::string_view text, int32_t* value);

// `value` with 8 significant digits, as printf's "%.8g" shows it in the C locale.
// `capacity` of 32 holds every double.
void FormatChromaticity(double value, char* text, size_t capacity);

}  // namespace qclr::dialog
