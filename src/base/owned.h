// Owning pointers for what the library allocates internally. Each releases its
// object when it goes out of scope, so every early return releases it too;
// release() hands the object over to a record that keeps it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/memory.h"

namespace qclr {

// Deleter that calls `Release` (unique_ptr never calls it with null).
template <auto Release>
struct ReleaseWith {
  template <typename T>
  void operator()(T* object) const {
    Release(object);
  }
};

// A block of the library heap, released with MemFree.
template <typename T>
using MemPtr = std::unique_ptr<T, ReleaseWith<MemFree>>;

// A record released by its own function, e.g. Owned<IccProfile, IccCloseProfile>.
template <typename T, auto Release>
using Owned = std::unique_ptr<T, ReleaseWith<Release>>;

// A zero-filled record from MemCalloc, held by `Owner` (an Owned<T, Release> whose
// Release frees what the record holds, then the record); null when memory runs
// out. The record's pointers start null, so it may be released at any point of
// being filled in.
template <typename Owner>
Owner CallocRecord() {
  using T = typename Owner::element_type;
  return Owner(static_cast<T*>(MemCalloc(1, sizeof(T))));
}

// `bytes` bytes from MemAlloc, owned; null when memory runs out.
template <typename T = uint8_t>
MemPtr<T> AllocOwned(size_t bytes) {
  return MemPtr<T>(static_cast<T*>(MemAlloc(bytes)));
}

// `count` zero-filled T from MemCalloc, owned; null when memory runs out.
template <typename T>
MemPtr<T> CallocOwned(size_t count = 1) {
  return MemPtr<T>(static_cast<T*>(MemCalloc(count, sizeof(T))));
}

// A tightly packed intermediate image of width x height pixels of `pixelBytes`
// bytes (sizes the caller has checked), owned; null when memory runs out.
inline MemPtr<uint8_t> AllocPackedImage(int32_t width, int32_t height, int32_t pixelBytes) {
  return AllocOwned(static_cast<size_t>(width) * static_cast<size_t>(height) *
                    static_cast<size_t>(pixelBytes));
}

}  // namespace qclr
