// Read-only tables built once when the library is attached: the YCbCr tables of
// the YCCK kernels with their sample range-limit bytes, and the square table of
// CmykToRgb.
#pragma once

#include <cstdint>

namespace qclr {

// JFIF (BT.601 full-range) YCbCr conversion in 16.16 fixed point, built the way
// the YCCK kernels apply it:
//   Y  = (ry[r]  + gy[g]  + by[b])  >> 16
//   Cb = (rcb[r] + gcb[g] + bcb[b]) >> 16
//   Cr = (bcb[r] + gcr[g] + bcr[b]) >> 16       (bcb doubles as the R->Cr table)
//   R = limit[y + crR[cr]]; G = limit[y + ((cbG[cb] + crG[cr]) >> 16)];
//   B = limit[y + cbB[cb]]
struct YccTables {
  // Origin of the range-limit bytes (rangeLimit + 256). Valid indexes -256..1151:
  // below 0 -> 0, 0..255 -> x, 256..639 -> 255, 640..1023 -> 0, 1024..1151 -> x - 1024.
  const uint8_t* limit;
  uint8_t rangeLimit[1408];
  int32_t ry[256], gy[256], by[256];
  int32_t rcb[256], gcb[256], bcb[256];
  int32_t gcr[256], bcr[256];
  int32_t crR[256], cbB[256], crG[256], cbG[256];
};

// Fills the range-limit bytes and the four YCbCr-to-RGB tables of `tables` (a
// handle's own copy needs only these).
void BuildYccDecodeTables(YccTables* tables);

// Fills every table of `tables`.
void BuildYccTables(YccTables* tables);

// The library-wide tables; valid once the library is attached.
const YccTables& LibraryYccTables();

// S[i] = trunc(256 x (i/255)^2), i = 0..255 (S[0] = 0, S[128] = 64, S[255] = 256).
const uint16_t* SquareTable();

// Builds the library-wide tables: the YCbCr tables first, then the square table.
void BuildConversionTables();

}  // namespace qclr
