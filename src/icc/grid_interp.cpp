#include "icc/grid_interp.h"

#include <cstddef>

#include "icc/fixed_point_steps.h"
#include "numeric/truncate.h"

namespace qclr {
namespace {

// Where one input falls in the grid: the offsets of the nodes below and above it
// and the 16-bit fraction between them.
struct Axis {
  int32_t lower;
  int32_t upper;
  int64_t fraction;
};

Axis Locate(uint16_t x, int32_t domain, int32_t stride) {
  const int64_t p = GridAxisPosition(x, domain);
  const auto node = static_cast<int32_t>(p >> 16);
  // Only an input of 65535 reaches the last node; it has no upper neighbour.
  const int32_t next = node >= domain ? node : node + 1;
  return {stride * node, stride * next, p & 0xFFFF};
}

// a + (b - a) x f on 16.16 values; the shift of a negative product is arithmetic.
int64_t Lerp(int64_t a, int64_t b, int64_t f) { return a + (((b - a) * f) >> 16); }

}  // namespace

int64_t GridAxisPosition(uint16_t x, int32_t domain) {
  return static_cast<int64_t>(x) * domain * 65536 / 65535;
}

int32_t GridSlicePosition(uint16_t x, int32_t domain) {
  return TruncToInt32(domain * static_cast<double>(x) * 65536.0 * (1.0 / 65535.0) + 0.5);
}

void IccEvalGrid3(const uint16_t* in, uint16_t* out, const uint16_t* grid,
                  const InterpParams& params) {
  const int32_t d = params.domain;
  const Axis a0 = Locate(in[0], d, params.stride[2]);
  const Axis a1 = Locate(in[1], d, params.stride[1]);
  const Axis a2 = Locate(in[2], d, params.stride[0]);
  const int32_t outputs = params.outputs;
  for (int32_t k = 0; k < outputs; ++k) {
    // Corner (i, j, l): i along input 0, j along input 1, l along input 2.
    auto corner = [&](int32_t o0, int32_t o1, int32_t o2) {
      return static_cast<int64_t>(grid[o0 + o1 + o2 + k]) << 16;
    };
    const int64_t c00 = Lerp(corner(a0.lower, a1.lower, a2.lower),
                             corner(a0.upper, a1.lower, a2.lower), a0.fraction);
    const int64_t c01 = Lerp(corner(a0.lower, a1.lower, a2.upper),
                             corner(a0.upper, a1.lower, a2.upper), a0.fraction);
    const int64_t c10 = Lerp(corner(a0.lower, a1.upper, a2.lower),
                             corner(a0.upper, a1.upper, a2.lower), a0.fraction);
    const int64_t c11 = Lerp(corner(a0.lower, a1.upper, a2.upper),
                             corner(a0.upper, a1.upper, a2.upper), a0.fraction);
    const int64_t c0 = Lerp(c00, c10, a1.fraction);
    const int64_t c1 = Lerp(c01, c11, a1.fraction);
    out[k] = ClampChannel((Lerp(c0, c1, a2.fraction) + 0x8000) >> 16);
  }
}

void IccEvalGrid4(const LutTable& table, const uint16_t* in, uint16_t* out) {
  const InterpParams& params = table.gridParams;
  const int32_t d = params.domain;
  const int32_t pos = GridSlicePosition(in[0], d);
  const int32_t slice = pos >> 16;
  const int32_t f = pos & 0xFFFF;
  const int32_t next = slice >= d ? slice : slice + 1;

  // The slices are addressed through the 3-D strides stride[0..2], which are the
  // steps of inputs 3, 2 and 1; the table itself is left untouched.
  const std::ptrdiff_t sliceStep = params.stride[3];
  uint16_t a[kMaxLutChannels], b[kMaxLutChannels];
  IccEvalGrid3(in + 1, a, table.grid + sliceStep * slice, params);
  IccEvalGrid3(in + 1, b, table.grid + sliceStep * next, params);
  for (int32_t k = 0; k < params.outputs; ++k) {
    const double v = static_cast<double>(b[k] - a[k]) * f * (1.0 / 65536.0) + a[k];
    out[k] = ClampChannel(TruncToInt32(v));
  }
}

}  // namespace qclr
