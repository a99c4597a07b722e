#include "parallel.h"

#include <atomic>
#include <thread>
#include <vector>

namespace qclr_tool {

void RunParallel(size_t count, int threads, const std::function<void(size_t)>& task) {
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < count; i = next++) task(i);
  };
  const size_t helpers = threads > 1 ? std::min(count, static_cast<size_t>(threads)) - 1 : 0;
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  for (size_t i = 0; i < helpers; ++i) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
}

int ProcessorCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(n);
}

}  // namespace qclr_tool
