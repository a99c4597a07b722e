// Converting one 3840 x 2160 image through one handle in horizontal bands, one
// band a thread (the caller's threads: the library starts none), on 1 to N
// threads, N the number of processors (at least 2). Wall-clock time.
// Run: build/bench/thread_bench
#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "bench_frames.h"
#include "bench_handles.h"
#include "qclr/qclr.h"

namespace {

constexpr int32_t kWidth = 3840;
constexpr int32_t kHeight = 2160;

struct Route {
  const char* name;
  int32_t from, to, method;
  int32_t srcBytesPerPixel, dstBytesPerPixel;
};

const Route kRoutes[] = {
    {"handle/formulas/RGB->CMYK", CSP_RGB, CSP_CMYK, METHOD_BUILTIN, 3, 4},
    {"handle/fixed_lab/LAB->RGB", CSP_LAB, CSP_RGB, METHOD_BUILTIN, 3, 3},
    {"handle/table/RGB->LAB", CSP_RGB, CSP_LAB, METHOD_BUILTIN_TABLES, 3, 3},
    {"handle/icc/RGB->CMYK", CSP_RGB, CSP_CMYK, METHOD_ICC, 3, 4},
};

void ConvertInBands(benchmark::State& state, const Route& r, int threads) {
  const auto handle = bench::MakeHandle(r.from, r.to, r.method);
  if (!handle) {
    state.SkipWithError("Q_ClrInit failed");
    return;
  }
  const size_t srcRow = size_t{kWidth} * r.srcBytesPerPixel, dstRow = size_t{kWidth} * r.dstBytesPerPixel;
  const uint8_t* src = bench::SourceFrame(bench::Source::kBytes, srcRow * kHeight);
  std::vector<uint8_t> dst(dstRow * kHeight);
  std::vector<int32_t> statuses(threads);
  for (auto _ : state) {
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
      const int32_t first = kHeight * t / threads, rows = kHeight * (t + 1) / threads - first;
      pool.emplace_back([&, t, first, rows] {
        statuses[t] = Q_ClrConvert(handle.get(), src + first * srcRow, dst.data() + first * dstRow, kWidth,
                                   rows, 0, 0);
      });
    }
    for (std::thread& th : pool) th.join();
    if (std::count(statuses.begin(), statuses.end(), CLR_OK) != threads) {
      state.SkipWithError("Q_ClrConvert failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

// 1, 2, 4, ... below the processor count, then the processor count (at least 2).
std::vector<int> ThreadCounts() {
  const int most = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
  std::vector<int> counts;
  for (int n = 1; n < most; n *= 2) counts.push_back(n);
  counts.push_back(most);
  return counts;
}

const int kRegistered = [] {
  for (const Route& r : kRoutes) {
    for (int threads : ThreadCounts()) {
      const std::string name = std::string("threads/") + r.name + "/" + std::to_string(threads);
      benchmark::RegisterBenchmark(name.c_str(), [&r, threads](benchmark::State& st) {
        ConvertInBands(st, r, threads);
      })->UseRealTime()->Unit(benchmark::kMillisecond);
    }
  }
  return 0;
}();

}  // namespace
