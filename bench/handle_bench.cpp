// Throughput of conversions through handles: the ICC transforms between the
// built-in profiles, the emulation tables and the fixed-point Lab records, on a
// 1920 x 1080 image. Run: build/bench/handle_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "qclr/qclr.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

std::vector<uint8_t> Noise(size_t bytes) {
  std::vector<uint8_t> b(bytes);
  uint32_t state = 987654321;
  for (auto& v : b) {
    state = state * 1103515245u + 12345u;
    v = static_cast<uint8_t>(state >> 16);
  }
  return b;
}

void Run(benchmark::State& state, int32_t from, int32_t to, int32_t method, bool labOptions) {
  ConversionParams p;
  std::memset(&p, 0, sizeof p);
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  p.method = method;
  p.flags = static_cast<uint32_t>(method);
  p.tableBits = 8;
  LabOptions lab = {QCLR_LAB_OPTIONS_SIZE, 0, 0, 100, 128, 170, 96, 200};
  if (labOptions) p.labOptions = &lab;
  ClrHandle* handle = nullptr;
  if (Q_ClrInit(&handle, from, to, &p) != CLR_OK) {
    state.SkipWithError("Q_ClrInit failed");
    return;
  }
  const int32_t inBytes = from == CSP_CMYK ? 4 : 3, outBytes = to == CSP_CMYK ? 4 : 3;
  const auto src = Noise(size_t{kWidth} * kHeight * static_cast<size_t>(inBytes));
  std::vector<uint8_t> dst(size_t{kWidth} * kHeight * static_cast<size_t>(outBytes));
  for (auto _ : state) {
    if (Q_ClrConvert(handle, src.data(), dst.data(), kWidth, kHeight, 0, 0) != CLR_OK) {
      state.SkipWithError("Q_ClrConvert failed");
    }
    benchmark::DoNotOptimize(dst.data());
  }
  Q_ClrFree(handle);
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

BENCHMARK_CAPTURE(Run, icc_rgb_to_cmyk, CSP_RGB, CSP_CMYK, METHOD_ICC, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, icc_cmyk_to_rgb, CSP_CMYK, CSP_RGB, METHOD_ICC, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, icc_rgb_to_lab, CSP_RGB, CSP_LAB, METHOD_ICC, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, table_cmyk_to_rgb, CSP_CMYK, CSP_RGB, METHOD_BUILTIN_TABLES, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, table_rgb_to_lab, CSP_RGB, CSP_LAB, METHOD_BUILTIN_TABLES, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, fixed_lab_rgb_to_lab, CSP_RGB, CSP_LAB, METHOD_BUILTIN, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, fixed_lab_lab_to_rgb, CSP_LAB, CSP_RGB, METHOD_BUILTIN, true)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
