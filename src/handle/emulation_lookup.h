// Conversion through emulation tables: precomputed grids of 3-byte nodes, stored
// row-major with the last coordinate fastest and no header.
//
//   CMYK to RGB   17 x 17 x 17 x 17 nodes over C, M, Y, K; node k stands for 16 k.
//                 Node content R, G, B.
//   Lab to RGB    33 x 33 x 33 nodes over L, a, b; node k stands for the L byte 8 k
//                 and for a, b = 8 k - 128. Node content R, G, B.
//   RGB to Lab    33 x 33 x 33 nodes over R, G, B; node k stands for 8 k (node 32
//                 for 255). Node content L (unsigned), a, b (signed bytes).
//
// The lookups trust the table to hold all nodes of its kind (the loaders check
// sizes) and only read it. rgbOrder is 1 for R, G, B and 0 for B, G, R on the RGB
// side. Rows follow the common padding rule; destination padding is never written.
#pragma once

#include <cstdint>

namespace qclr {

// CSP_CMYK (4 bytes a pixel) to RGB: the node at or below each channel (value >> 4),
// copied without interpolation, so the nodes at coordinate 16 are never read.
void EmuCmykToRgb(const uint8_t* src, const uint8_t* table, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, uint8_t* dst, int32_t rgbOrder);

// RGB to CSP_LAB: the mean of the node below (v / 8 on every axis) and the node above
// (v / 8 rounded up), L halved unsigned, a and b halved toward zero.
void EmuRgbToLab(const uint8_t* src, const uint8_t* table, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, uint8_t* dst, int32_t rgbOrder);

// CSP_LAB to RGB: the mean of the nodes below and above (L, a + 128, b + 128).
void EmuLabToRgb(const uint8_t* src, const uint8_t* table, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, uint8_t* dst, int32_t rgbOrder);

}  // namespace qclr
