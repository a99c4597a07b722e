// The plain C loops of the inks (plain_loops.h), registered only where the
// processor runs the AVX2 code they were built for.
#include <string>

#include "bench_frames.h"
#include "plain_loops.h"

namespace {

using PlainLoop = void (*)(const uint8_t*, uint8_t*, size_t);

void RegisterLoop(const char* conversion, double srcBpp, double dstBpp, PlainLoop loop) {
  bench::Register({std::string("peer/c_avx2/") + conversion, srcBpp, dstBpp,
                   bench::Always([loop](const uint8_t* src, uint8_t* dst, bench::FrameSize s) {
                     loop(src, dst, size_t(s.width) * s.height);
                     return true;
                   }),
                   "plain C loop, -O3 -mavx2"});
}

const int kRegistered = [] {
  __builtin_cpu_init();  // runs before main, where the features are not read yet
  if (!__builtin_cpu_supports("avx2")) return 0;
  RegisterLoop("RGB->CMY", 3, 3, bench::PlainRgbToCmy);
  RegisterLoop("CMY->RGB", 3, 3, bench::PlainCmyToRgb);
  RegisterLoop("RGB->CMYK", 3, 4, bench::PlainRgbToCmyk);
  RegisterLoop("CMYK->RGB", 4, 3, bench::PlainCmykToRgb);
  return 1;
}();

}  // namespace
