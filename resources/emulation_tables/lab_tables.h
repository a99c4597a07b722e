// The built-in Lab to RGB and RGB to Lab emulation tables, from the display model.
#pragma once

#include <cstdint>
#include <vector>

namespace qclr::tables {

// 33^3 nodes x 3 bytes (R, G, B) over L (byte 8 k), a and b (8 k - 128), followed by
// zero bytes up to 108300.
std::vector<uint8_t> MakeLabToRgbTable();

// 33^3 nodes x 3 bytes (L byte, signed a, signed b) over R, G, B (8 k, node 32 = 255),
// followed by zero bytes up to 108300.
std::vector<uint8_t> MakeRgbToLabTable();

}  // namespace qclr::tables
