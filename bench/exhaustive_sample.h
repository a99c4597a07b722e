// Which inputs a sampled exhaustive check takes.
#pragma once

#include <cstdint>

namespace exhaustive {

// The i-th 24-bit input when one in `step` (a power of two) is taken: one value from
// each run of `step` consecutive values, at a place that moves from run to run, so
// that a sample still meets every value of the low bytes (i * step alone leaves the
// low byte 0 for steps of 256 and more). With a step of 1 it is every value in order.
inline uint32_t SampleValue(uint64_t i, uint32_t step) {
  const uint32_t place = (static_cast<uint32_t>(i) * 2654435761u >> 16) & (step - 1);
  return static_cast<uint32_t>(i * step + place) & 0xFFFFFFu;
}

}  // namespace exhaustive
