// Which encoder and decoder serve each colour space on the direct route.
#pragma once

#include <cstdint>

namespace qclr {

// The common kernel signature: rgbOrder 1 for CSP_RGB on the RGB side, 0 for
// CSP_BGR. Kernels with extra arguments (black generation, a handle) appear here
// through adapters that pass the direct route's values.
using Kernel = int32_t (*)(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                           int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

struct SpaceKernels {
  Kernel encoder;  // RGB side -> space
  Kernel decoder;  // space -> RGB side
};

// The kernels of `space`, or null for CSP_RGB, CSP_BGR and invalid codes.
const SpaceKernels* DirectKernels(int32_t space);

// The black-generation parameter of the direct route (0.175).
inline constexpr int32_t kDirectBlackParam = 175;

}  // namespace qclr
