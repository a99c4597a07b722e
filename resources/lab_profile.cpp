// "ICM" 106, the CIE Lab colour-space profile (Lab data, Lab connection).
//
// Model: the identity. Device values are Lab in the 8-bit encoding (L * 2.55,
// a + 128, b + 128); the connection space's 16-bit encoding is the same times 256.
// Both tables are 8-bit with a 32-point grid, and the reader widens every 8-bit
// value by a shift (v * 256, so 255 reads as 65280, not 65535). Curves of entries
// i and a grid of nodes round(k * 255 / 31) would therefore each shrink their input
// by 65280 / 65535, three times per table: L = 100 would come back as 98.8 and the
// neutral a and b of 128 as 126.5. So each table is laid out around the widening:
//   - input curves: entry i = i, the exact factor 65280 / 65535;
//   - grid: node k = 8k on each channel, an exact line (node 31 reads as 63488);
//   - output curves: the factor that remains, rounded to bytes.
// A2B0 maps device level d (input 257 d) to 256 d; B2A0 maps 256 d to 256 d + 128,
// the middle of the level, so that an 8-bit packer that keeps the high byte gives
// d back. The rounding of the output curves keeps each table within half a level
// of that; A2B0's offset of 0.02 makes the neutral a and b (128) exact.
#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "profiles.h"

#include <cmath>

namespace qclr::resources {
namespace {

constexpr int kPoints = 32;
constexpr int kGridStep = 8;  // node k holds 8k

// How far along its output curve (in entries) a 16-bit table input x lands: the
// input curve scales by 65280 / 65535, the grid line by 8 * 256 * 31 / 65535, and
// the output curve has 255 entries over 0..65535.
constexpr double kEntriesPerInput =
    (65280.0 / 65535.0) * (kGridStep * 256.0 * (kPoints - 1) / 65535.0) * (255.0 / 65535.0);

// Identity input curves, the grid line and output curves with entry
// i = round(i * slope + offset) (at most 255): output bytes per entry.
LutData LabLut8(double slope, double offset) {
  LutData lut;
  lut.gridPoints = kPoints;
  std::vector<uint16_t> identity(256), output(256);
  for (int i = 0; i < 256; ++i) {
    identity[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
    const double entry = std::floor(i * slope + offset + 0.5);
    output[static_cast<size_t>(i)] = static_cast<uint16_t>(std::fmin(255.0, entry));
  }
  lut.inputCurves.assign(3, identity);
  lut.outputCurves.assign(3, output);
  lut.grid.reserve(kPoints * kPoints * kPoints * 3);
  for (int l = 0; l < kPoints; ++l) {
    for (int a = 0; a < kPoints; ++a) {
      for (int b = 0; b < kPoints; ++b) {
        const uint16_t node[3] = {static_cast<uint16_t>(kGridStep * l), static_cast<uint16_t>(kGridStep * a),
                                  static_cast<uint16_t>(kGridStep * b)};
        lut.grid.insert(lut.grid.end(), node, node + 3);
      }
    }
  }
  return lut;
}

}  // namespace

Bytes MakeLabProfile() {
  const double white[3] = {kD50[0], kD50[1], kD50[2]};
  ProfileWriter w;
  w.Add(kIccTagDescription, DescriptionTag("qclr CIE Lab"));
  w.Add(kIccTagCopyright, TextTag(kCopyright));
  w.Add(kIccTagMediaWhite, XyzTag(white));
  // A2B0: the input 257 d reaches entry 257 d * kEntriesPerInput, which must read
  // as d bytes.
  w.Add(kIccTagAToB0, Lut8Tag(LabLut8(1.0 / (257.0 * kEntriesPerInput), 0.02)));
  // B2A0: the input 256 d must read as d + 0.5 bytes; black stays at 0.
  LutData fromPcs = LabLut8(1.0 / (256.0 * kEntriesPerInput), 0.5);
  for (auto& curve : fromPcs.outputCurves) curve[0] = 0;
  w.Add(kIccTagBToA0, Lut8Tag(fromPcs));
  return w.Finish({kIccClassColorSpace, kIccSpaceLab, kIccSpaceLab});
}

}  // namespace qclr::resources
