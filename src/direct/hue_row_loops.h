// The row loops of the wider HSV and HLS rows: whole steps of kStep pixels through
// the row file's PixelIo (Load, Store) and lanes (hue_lanes.h), the rest of the row
// through the portable row. Internal linkage, as in hue_lanes.h: each row file
// compiles its own copy for its instruction set.
#pragma once

#include <cstdint>

#include "direct/hue_rows.h"

namespace qclr::hue {
namespace {

template <int32_t kStep, typename PixelIo, typename Fn>
void EncodeRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos, Fn lanes, HueRow rest) {
  const PixelIo io(pos.r, 1, pos.b);
  int32_t x = 0;
  for (; x + kStep <= width; x += kStep, s += 3 * kStep, d += 3 * kStep) {
    const auto rgb = io.Load(s);
    const auto out = lanes(rgb.first, rgb.second, rgb.third);
    io.Store(out.first, out.second, out.third, d);
  }
  rest(s, d, width - x, pos);
}

template <int32_t kStep, typename PixelIo, typename Fn>
void DecodeRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos, Fn lanes, HueRow rest) {
  const PixelIo io(0, 1, 2);
  int32_t x = 0;
  for (; x + kStep <= width; x += kStep, s += 3 * kStep, d += 3 * kStep) {
    const auto in = io.Load(s);
    const auto rgb = lanes(in.first, in.second, in.third);
    io.Store(pos.r == 0 ? rgb.first : rgb.third, rgb.second, pos.r == 0 ? rgb.third : rgb.first, d);
  }
  rest(s, d, width - x, pos);
}

}  // namespace
}  // namespace qclr::hue
