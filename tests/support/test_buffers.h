// Helpers shared by the test suites: reproducible random data, padded images with
// sentinel bytes in their padding, and a guard that pins the processor level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/instruction_set.h"

namespace qclr::test {

// Deterministic pseudo-random bytes (xorshift), the same on every platform.
std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed);

// The sentinel written into padding bytes before a conversion.
inline constexpr uint8_t kSentinel = 0xA5;

// An image buffer of `height` rows of `rowBytes` bytes, padded for `align` from a
// row of `paddingBase` bytes (defaults to rowBytes). The buffer is exactly as long
// as the library may touch: the last row has no padding, so sanitizers catch
// overruns. Padding bytes start as kSentinel.
class PaddedImage {
 public:
  PaddedImage(ptrdiff_t rowBytes, int32_t height, int32_t align, ptrdiff_t paddingBase = -1);

  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  ptrdiff_t stride() const { return stride_; }
  uint8_t* row(int32_t y) { return bytes_.data() + y * stride_; }
  const uint8_t* row(int32_t y) const { return bytes_.data() + y * stride_; }

  // Fills every row's pixel bytes from `packed` (rows of rowBytes back to back).
  void SetRows(const std::vector<uint8_t>& packed);
  // The pixel bytes of every row, back to back.
  std::vector<uint8_t> Rows() const;
  // True when every padding byte still holds kSentinel.
  bool PaddingIntact() const;

 private:
  ptrdiff_t rowBytes_;
  ptrdiff_t stride_;
  int32_t height_;
  std::vector<uint8_t> bytes_;
};

// Pins the processor level the kernels use for the guard's lifetime.
class CpuLevelScope {
 public:
  explicit CpuLevelScope(int level);
  ~CpuLevelScope();
  CpuLevelScope(const CpuLevelScope&) = delete;
  CpuLevelScope& operator=(const CpuLevelScope&) = delete;
};

// Caps the instruction set the kernels use for the guard's lifetime.
class InstructionSetScope {
 public:
  explicit InstructionSetScope(int isa);
  ~InstructionSetScope();
  InstructionSetScope(const InstructionSetScope&) = delete;
  InstructionSetScope& operator=(const InstructionSetScope&) = delete;
};

// Calls run(isa) once for every instruction set from the portable one up to the
// processor's best, with the kernels capped at it: a test that compares each
// run's bytes with the portable run's checks every implementation this machine
// can execute.
template <typename Run>
void ForEachInstructionSet(Run&& run) {
  const int best = static_cast<int>(DetectedInstructionSet());
  for (int isa = 0; isa <= best; ++isa) {
    InstructionSetScope scope(isa);
    run(static_cast<InstructionSet>(isa));
  }
}

// Widths that straddle the 8-pixel groups of packed rows.
std::vector<int32_t> AwkwardWidths();

}  // namespace qclr::test
