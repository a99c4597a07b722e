#include "direct/store_policy.h"

#include <atomic>

namespace qclr {
namespace {

thread_local bool tStreaming = false;
std::atomic<int> gForced{-1};

}  // namespace

StreamingStoresScope::StreamingStoresScope(size_t destinationBytes) : previous_(tStreaming) {
  const int forced = gForced.load(std::memory_order_relaxed);
  tStreaming = forced >= 0 ? forced != 0 : destinationBytes >= kStreamingStoreBytes;
}

StreamingStoresScope::~StreamingStoresScope() { tStreaming = previous_; }

bool StreamingStores() { return tStreaming; }

void ForceStreamingStores(int mode) {
  gForced.store(mode < 0 ? -1 : mode, std::memory_order_relaxed);
}

}  // namespace qclr
