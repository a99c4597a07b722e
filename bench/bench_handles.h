// Handles as the benchmarks make them: the method given is the only one prepared;
// Lab handles of the built-in method get the default Lab options (fixed-point Lab);
// equal spaces take the copying shortcut.
#pragma once

#include <cstdint>
#include <memory>

#include "qclr/qclr.h"

namespace bench {

// Null when Q_ClrInit fails. `yuv` (and its offsets) must outlive the handle.
std::shared_ptr<ClrHandle> MakeHandle(int32_t from, int32_t to, int32_t method, const YuvLayout* yuv = nullptr);

}  // namespace bench
