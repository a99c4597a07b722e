// Whether the vector rows of a conversion store around the caches.
//
// Non-temporal stores write whole cache lines without reading them first and
// without evicting the source from the caches; for a destination far larger than
// the caches that is the faster stream, for a smaller one, which the caller (or the
// second step of a conversion) may read back at once, it is not. A kernel decides
// once per image from its destination's size; the AVX-512 rows that store whole
// aligned lines ask when they run.
#pragma once

#include <cstddef>

namespace qclr {

// Destinations of at least this many bytes stream (a 3840 x 2160 RGB frame is
// 24 MiB; 1920 x 1080 is 6 MiB, which stays in a level-3 cache).
inline constexpr size_t kStreamingStoreBytes = size_t{16} << 20;

// Sets the choice for the calling thread while a kernel converts into a
// destination of `destinationBytes` bytes, and restores the previous one after.
class StreamingStoresScope {
 public:
  explicit StreamingStoresScope(size_t destinationBytes);
  ~StreamingStoresScope();
  StreamingStoresScope(const StreamingStoresScope&) = delete;
  StreamingStoresScope& operator=(const StreamingStoresScope&) = delete;

 private:
  bool previous_;
};

// True while the calling thread converts into a destination that streams.
bool StreamingStores();

// Test hook: 0 never streams, 1 always streams (within a scope), a negative value
// returns to the size rule; so that tests and the exhaustive check run both kinds
// of stores on images of any size.
void ForceStreamingStores(int mode);

}  // namespace qclr
