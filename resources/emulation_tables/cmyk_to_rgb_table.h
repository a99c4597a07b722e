// The built-in CMYK to RGB emulation table, from a press model.
#pragma once

#include <cstdint>
#include <vector>

namespace qclr::tables {

// 17^4 nodes x 3 bytes (R, G, B), C outermost, K fastest.
std::vector<uint8_t> MakeCmykToRgbTable();

}  // namespace qclr::tables
