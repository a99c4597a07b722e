#include "direct/conversion_tables.h"

#include <cstring>

#include "platform/platform.h"

namespace qclr {
namespace {

// The entry point fills these tables when the library loads.
[[gnu::used]] const char* const kFilledByLibraryEntry = &platform::kLibraryEntry;

YccTables gYccTables;
uint16_t gSquareTable[256];

// 16.16 weights, each the nearest integer to weight x 65536:
constexpr int32_t kFixRY = 19595;    // 0.29900
constexpr int32_t kFixGY = 38470;    // 0.58700
constexpr int32_t kFixBY = 7471;     // 0.11400
constexpr int32_t kFixRCb = 11059;   // 0.16874
constexpr int32_t kFixGCb = 21709;   // 0.33126
constexpr int32_t kFixHalf = 32768;  // 0.50000 (B->Cb and R->Cr)
constexpr int32_t kFixGCr = 27439;   // 0.41869
constexpr int32_t kFixBCr = 5329;    // 0.08131
constexpr int32_t kFixCrR = 91881;   // 1.40200
constexpr int32_t kFixCbB = 116130;  // 1.77200
constexpr int32_t kFixCrG = 46802;   // 0.71414
constexpr int32_t kFixCbG = 22554;   // 0.34414
// Chroma offset 128 and the rounding half unit folded into one constant:
constexpr int32_t kChromaBias = 128 * 65536 + 32767;

}  // namespace

void BuildYccDecodeTables(YccTables* t) {
  // A table lookup clamps faster than two compares: x < 0 reads the zeros in front
  // of the origin, x > 255 the run of 255s behind the identity ramp. The zeros and
  // the second ramp after them mirror the wrap-around of the original layout.
  uint8_t* r = t->rangeLimit;
  std::memset(r, 0, 256);
  for (int i = 0; i < 256; ++i) r[256 + i] = static_cast<uint8_t>(i);
  std::memset(r + 512, 255, 384);
  std::memset(r + 896, 0, 384);
  for (int i = 0; i < 128; ++i) r[1280 + i] = static_cast<uint8_t>(i);
  t->limit = r + 256;

  for (int i = 0; i < 256; ++i) {
    const int32_t x = i - 128;
    t->crR[i] = (kFixCrR * x + 32768) >> 16;   // nearest int to 1.402 x
    t->cbB[i] = (kFixCbB * x + 32768) >> 16;   // nearest int to 1.772 x
    t->crG[i] = -kFixCrG * x;                  // -0.71414 x, 16.16
    t->cbG[i] = -kFixCbG * x + 32768;          // -0.34414 x + rounding half, 16.16
  }
}

void BuildYccTables(YccTables* t) {
  BuildYccDecodeTables(t);
  for (int32_t i = 0; i < 256; ++i) {
    t->ry[i] = kFixRY * i;
    t->gy[i] = kFixGY * i;
    t->by[i] = kFixBY * i + 32768;  // rounding half for Y
    t->rcb[i] = -kFixRCb * i;
    t->gcb[i] = -kFixGCb * i;
    t->bcb[i] = kFixHalf * i + kChromaBias;
    t->gcr[i] = -kFixGCr * i;
    t->bcr[i] = -kFixBCr * i;
  }
}

const YccTables& LibraryYccTables() { return gYccTables; }

const uint16_t* SquareTable() { return gSquareTable; }

void BuildConversionTables() {
  BuildYccTables(&gYccTables);
  for (int i = 0; i < 256; ++i) {
    const double v = i / 255.0;
    // v * v is the correctly rounded square, the same double as the power function
    // with exponent 2.
    gSquareTable[i] = static_cast<uint16_t>(256.0 * (v * v));
  }
}

}  // namespace qclr
