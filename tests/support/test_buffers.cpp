#include "support/test_buffers.h"

#include <algorithm>
#include <cstring>

#include "base/cpu_level.h"
#include "base/row_layout.h"

namespace qclr::test {

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
  std::vector<uint8_t> out(count);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : out) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return out;
}

PaddedImage::PaddedImage(ptrdiff_t rowBytes, int32_t height, int32_t align, ptrdiff_t paddingBase)
    : rowBytes_(rowBytes),
      stride_(rowBytes + RowPadding(paddingBase < 0 ? rowBytes : paddingBase, align)),
      height_(height),
      bytes_(static_cast<size_t>(stride_ * (height - 1) + rowBytes), kSentinel) {}

void PaddedImage::SetRows(const std::vector<uint8_t>& packed) {
  for (int32_t y = 0; y < height_; ++y) {
    std::memcpy(row(y), packed.data() + y * rowBytes_, static_cast<size_t>(rowBytes_));
  }
}

std::vector<uint8_t> PaddedImage::Rows() const {
  std::vector<uint8_t> out(static_cast<size_t>(rowBytes_ * height_));
  for (int32_t y = 0; y < height_; ++y) {
    std::memcpy(out.data() + y * rowBytes_, row(y), static_cast<size_t>(rowBytes_));
  }
  return out;
}

bool PaddedImage::PaddingIntact() const {
  for (int32_t y = 0; y + 1 < height_; ++y) {
    const uint8_t* pad = row(y) + rowBytes_;
    if (!std::all_of(pad, pad + (stride_ - rowBytes_), [](uint8_t b) { return b == kSentinel; })) {
      return false;
    }
  }
  return true;
}

CpuLevelScope::CpuLevelScope(int level) { OverrideCpuLevel(level); }
CpuLevelScope::~CpuLevelScope() { OverrideCpuLevel(-1); }

InstructionSetScope::InstructionSetScope(int isa) { CapInstructionSet(isa); }
InstructionSetScope::~InstructionSetScope() { CapInstructionSet(-1); }

std::vector<int32_t> AwkwardWidths() {
  std::vector<int32_t> widths;
  for (int32_t w = 1; w <= 17; ++w) widths.push_back(w);
  for (int32_t w : {23, 24, 25, 31, 32, 33, 39, 40, 63, 64, 65}) widths.push_back(w);
  return widths;
}

}  // namespace qclr::test
