// Both Lab tables sample the display model at their nodes. Lab bytes hold L* scaled
// to 0..255 and a*, b* as signed bytes. The model reproduces the reference nodes
// below to the byte except the darkest corner of the Lab to RGB grid (L* 0,
// a* = b* = -128, far outside the display), whose reference keeps far more green
// than limiting the channels gives; each reference node is pinned and its
// correction blended smoothly into the nodes within kPinRadius.
#include "lab_tables.h"

#include "display_model.h"
#include "node_pinning.h"
#include "table_layout.h"

namespace qclr::tables {
namespace {

// Wide enough to spread the corner's green correction (about 49 levels) over a
// dozen nodes, narrow enough that no pin reaches another pinned node.
constexpr double kPinRadius = 12;

constexpr PinnedNode kLabToRgbReferences[] = {
    {0, 16, 16, {0, 0, 0}},          // L 0, a 0, b 0
    {16, 16, 16, {119, 119, 119}},   // L byte 128
    {32, 16, 16, {255, 255, 255}},   // the top L node
    {0, 0, 0, {0, 108, 195}},        // L 0, a -128, b -128
};

constexpr PinnedNode kRgbToLabReferences[] = {
    {0, 0, 0, {0, 0, 0}},         {16, 16, 16, {137, 0, 0}},   {32, 32, 32, {255, 0, 0}},
    {32, 0, 0, {138, 81, 70}},    {0, 32, 0, {224, -79, 81}},  {0, 0, 32, {75, 68, -112}},
};

std::vector<double> NewGrid() { return std::vector<double>(kLabNodeBytes); }

std::vector<uint8_t> ToBytes(const std::vector<double>& grid, int32_t lo1, int32_t hi1,
                             int32_t lo23, int32_t hi23) {
  std::vector<uint8_t> table(kLabTableBytes, 0);
  for (size_t i = 0; i < kLabNodeBytes; i += 3) {
    table[i] = static_cast<uint8_t>(RoundAndLimit(grid[i], lo1, hi1));
    table[i + 1] = static_cast<uint8_t>(RoundAndLimit(grid[i + 1], lo23, hi23));
    table[i + 2] = static_cast<uint8_t>(RoundAndLimit(grid[i + 2], lo23, hi23));
  }
  return table;
}

}  // namespace

std::vector<uint8_t> MakeLabToRgbTable() {
  std::vector<double> grid = NewGrid();
  for (int i = 0; i < kLabAxis; ++i)
    for (int j = 0; j < kLabAxis; ++j)
      for (int k = 0; k < kLabAxis; ++k) {
        const Rgb rgb = DisplayFromLab({8 * i * 100.0 / 255, 8.0 * j - 128, 8.0 * k - 128});
        const size_t at = LabNodeOffset(i, j, k);
        grid[at] = rgb.r;
        grid[at + 1] = rgb.g;
        grid[at + 2] = rgb.b;
      }
  for (const PinnedNode& pin : kLabToRgbReferences) PinNode(grid, pin, kPinRadius);
  return ToBytes(grid, 0, 255, 0, 255);
}

std::vector<uint8_t> MakeRgbToLabTable() {
  std::vector<double> grid = NewGrid();
  auto level = [](int k) { return k == 32 ? 255.0 : 8.0 * k; };
  for (int i = 0; i < kLabAxis; ++i)
    for (int j = 0; j < kLabAxis; ++j)
      for (int k = 0; k < kLabAxis; ++k) {
        const Lab lab = LabFromDisplay(level(i), level(j), level(k));
        const size_t at = LabNodeOffset(i, j, k);
        grid[at] = lab.l * 255 / 100;
        grid[at + 1] = lab.a;
        grid[at + 2] = lab.b;
      }
  for (const PinnedNode& pin : kRgbToLabReferences) PinNode(grid, pin, kPinRadius);
  return ToBytes(grid, 0, 255, -128, 127);
}

}  // namespace qclr::tables
