// Press model of the CMYK to RGB table.
//
// Each chromatic ink covers a fraction a of the paper; a dot of area a passes
// 1 - a (1 - s) of each display channel, where s is what the solid ink passes
// (a Murray-Davies mix taken in the display's gamma-encoded values, which in linear
// light is a Yule-Nielsen mix with n equal to the display gamma). Overprinted inks
// multiply. The solids are fitted so that node 15 of each ink alone, the darkest
// node a lookup reads, reproduces the press's measured solids exactly:
//   cyan (0, 179, 235), magenta (228, 13, 129), yellow (250, 245, 0).
// The dot area follows a mid-tone dot gain, a = t + g t (1 - t) for the nominal
// coverage t = value / 240 (g = 0.18: a 50 % dot prints as 54.5 %); nodes 16, never
// read by the lookup, print as solid. Black is taken from the press's measured grey
// ramp of black alone, one entry per node, and scales the colour below it.
#include "cmyk_to_rgb_table.h"

#include <array>

#include "table_layout.h"

namespace qclr::tables {
namespace {

constexpr double kDotGain = 0.18;

// What the solid of each chromatic ink passes of R, G, B, in display levels.
constexpr int32_t kSolids[3][3] = {{0, 179, 235}, {228, 13, 129}, {250, 245, 0}};

// The grey of black ink alone at K nodes 0..16.
constexpr int32_t kBlackRamp[17] = {255, 243, 230, 217, 204, 191, 177, 163, 149,
                                    133, 117, 101, 84,  65,  44,  22,  0};

// Printed dot area of a chromatic ink at node k (value 16 k).
double DotArea(int k) {
  const double t = (k < 15 ? k : 15) / 15.0;
  return t + kDotGain * t * (1 - t);
}

// Fraction of a display channel passed by `ink` at node k.
double Passed(int ink, int channel, int k) {
  return 1 - DotArea(k) * (1 - kSolids[ink][channel] / 255.0);
}

}  // namespace

std::vector<uint8_t> MakeCmykToRgbTable() {
  // Per-ink transmissions by node, computed once.
  std::array<std::array<std::array<double, kCmykAxis>, 3>, 3> passed{};
  for (int ink = 0; ink < 3; ++ink)
    for (int ch = 0; ch < 3; ++ch)
      for (int k = 0; k < kCmykAxis; ++k) passed[ink][ch][k] = Passed(ink, ch, k);

  std::vector<uint8_t> table(kCmykTableBytes);
  for (int c = 0; c < kCmykAxis; ++c)
    for (int m = 0; m < kCmykAxis; ++m)
      for (int y = 0; y < kCmykAxis; ++y)
        for (int k = 0; k < kCmykAxis; ++k) {
          uint8_t* node = &table[CmykNodeOffset(c, m, y, k)];
          for (int ch = 0; ch < 3; ++ch) {
            const double v = kBlackRamp[k] * passed[0][ch][c] * passed[1][ch][m] * passed[2][ch][y];
            node[ch] = static_cast<uint8_t>(RoundAndLimit(v, 0, 255));
          }
        }
  return table;
}

}  // namespace qclr::tables
