// Kernel handles in the 32-bit fields of the platform interface and the bitmap
// record. Windows keeps handle values within 32 bits in 64-bit processes too (they
// may be truncated and sign-extended back), so the round trip loses nothing.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qclr::platform {

inline uint32_t HandleValue(HANDLE handle) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}

inline HANDLE HandleFromValue(uint32_t value) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

}  // namespace qclr::platform
