// Throughput of the direct route: every encoder (RGB -> space) and decoder
// (space -> RGB) on a 1920 x 1080 image, at the plain and the packed processor
// level. Run: build/bench/kernel_bench [--benchmark_filter=CMYK]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "api/cpu_level.h"
#include "direct/color_space.h"
#include "qclr/qclr.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

struct Named {
  int32_t code;
  const char* name;
};

const Named kSpaces[] = {{CSP_YUV, "YUV"},   {CSP_CMYK, "CMYK"}, {CSP_HSV, "HSV"},   {CSP_HLS, "HLS"},
                         {CSP_YIQ, "YIQ"},   {CSP_CMY, "CMY"},   {CSP_LAB, "LAB"},   {CSP_XYZ, "XYZ"},
                         {CSP_YUY2, "YUY2"}, {CSP_YVU9, "YVU9"}, {CSP_YCCK, "YCCK"}, {CSP_Y41P, "Y41P"},
                         {CSP_UYVY, "UYVY"}, {CSP_YCC, "YCC"},   {CSP_HSI, "HSI"}};

std::vector<uint8_t> Buffer(int32_t space) {
  size_t bytes = 0;
  qclr::BufferBytes(space, kWidth, kHeight, 0, &bytes);
  std::vector<uint8_t> b(bytes);
  uint32_t state = 12345;
  for (auto& v : b) {
    state = state * 1103515245u + 12345u;
    v = static_cast<uint8_t>(state >> 16);
  }
  return b;
}

void Run(benchmark::State& state, int32_t from, int32_t to, int level) {
  const auto src = Buffer(from);
  auto dst = Buffer(to);
  qclr::OverrideCpuLevel(level);
  for (auto _ : state) {
    const int32_t status = Q_ClrConvertDirect(from, to, src.data(), dst.data(), kWidth, kHeight, 0, 0);
    if (status != CLR_OK) state.SkipWithError(("status " + std::to_string(status)).c_str());
    benchmark::DoNotOptimize(dst.data());
  }
  qclr::OverrideCpuLevel(-1);
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

const int kRegistered = [] {
  for (const Named& s : kSpaces) {
    for (int level : {0, 2}) {
      const std::string suffix = level == 0 ? "/plain" : "/packed";
      benchmark::RegisterBenchmark((std::string("RGB->") + s.name + suffix).c_str(),
                                   [=](benchmark::State& st) { Run(st, CSP_RGB, s.code, level); })
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((std::string(s.name) + "->RGB" + suffix).c_str(),
                                   [=](benchmark::State& st) { Run(st, s.code, CSP_RGB, level); })
          ->Unit(benchmark::kMillisecond);
    }
  }
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
