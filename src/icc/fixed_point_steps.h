// Small arithmetic steps shared by the table and matrix/curve kernels. Channels are
// unsigned 16-bit (65535 = 1.0); matrix elements are s15.16 (65536 = 1.0).
#pragma once

#include <cstdint>

#include "numeric/truncate.h"

namespace qclr {

// Stores a wider integer as a 16-bit channel: negative gives 0, above 65535 gives
// 65535.
inline uint16_t ClampChannel(int64_t v) {
  if (v < 0) return 0;
  if (v > 65535) return 65535;
  return static_cast<uint16_t>(v);
}

// A channel rescaled so that 65535 becomes 65536 (1.0 in 16.16), rounded.
inline int32_t ChannelToUnit(uint16_t x) { return TruncToInt32(x * 65536.0 / 65535.0 + 0.5); }

// The reverse rescaling, 65536 back to 65535 (65535/65536 = 0.9999847412109375),
// rounded and clamped to a channel.
inline uint16_t UnitToChannel(int64_t v) {
  return ClampChannel(TruncToInt32(static_cast<double>(v) * 0.9999847412109375 + 0.5));
}

// One row of an s15.16 matrix times a vector on the 65536 = 1.0 scale. Every term is
// rounded (toward zero after adding 0.5) on its own, then the terms are summed; the
// sum is kept in 64 bits so that extreme matrices cannot overflow it.
inline int64_t MatrixRow(const int32_t* row, const int32_t* v) {
  int64_t sum = 0;
  for (int c = 0; c < 3; ++c) {
    sum += TruncToInt32(row[c] / 65536.0 * (v[c] / 65536.0) * 65536.0 + 0.5);
  }
  return sum;
}

}  // namespace qclr
