// Throughput of the direct route: every encoder (RGB -> space) and decoder
// (space -> RGB), the RGB/BGR swap and the same-space copy, at the plain and the
// packed processor level. Run: build/bench/kernel_bench [--benchmark_filter=CMYK]
#include <cstdint>
#include <string>

#include "base/cpu_level.h"
#include "bench_frames.h"
#include "direct/color_space.h"
#include "qclr/qclr.h"

namespace {

struct Named {
  int32_t code;
  const char* name;
};

const Named kSpaces[] = {{CSP_YUV, "YUV"},   {CSP_CMYK, "CMYK"}, {CSP_HSV, "HSV"},   {CSP_HLS, "HLS"},
                         {CSP_YIQ, "YIQ"},   {CSP_CMY, "CMY"},   {CSP_LAB, "LAB"},   {CSP_XYZ, "XYZ"},
                         {CSP_YUY2, "YUY2"}, {CSP_YVU9, "YVU9"}, {CSP_YCCK, "YCCK"}, {CSP_Y41P, "Y41P"},
                         {CSP_UYVY, "UYVY"}, {CSP_YCC, "YCC"},   {CSP_HSI, "HSI"}};

double BytesPerPixel(int32_t space) {
  size_t bytes = 0;  // every frame size is a multiple of 8 x 4, the largest size rule
  qclr::BufferBytes(space, 8, 4, 0, &bytes);
  return static_cast<double>(bytes) / 32;
}

// Pins the processor level for the call only: other benchmarks run between
// repetitions and must see the detected level.
void RegisterDirect(const Named& from, const Named& to, int level) {
  const std::string levelName = level == 0 ? "plain" : "packed";
  bench::Register({"direct/" + levelName + "/" + from.name + "->" + to.name, BytesPerPixel(from.code),
                   BytesPerPixel(to.code),
                   bench::Always([=](const uint8_t* src, uint8_t* dst, bench::FrameSize size) {
                     qclr::OverrideCpuLevel(level);
                     const int32_t status = Q_ClrConvertDirect(from.code, to.code, src, dst, size.width,
                                                               size.height, 0, 0);
                     qclr::OverrideCpuLevel(-1);
                     return status == CLR_OK;
                   }),
                   "", from.code == CSP_XYZ ? bench::Source::kUnitDoubles : bench::Source::kBytes});
}

const int kRegistered = [] {
  const Named rgb{CSP_RGB, "RGB"}, bgr{CSP_BGR, "BGR"};
  for (int level : {0, 2}) {
    for (const Named& s : kSpaces) {
      RegisterDirect(rgb, s, level);
      RegisterDirect(s, rgb, level);
    }
    RegisterDirect(rgb, bgr, level);
    RegisterDirect(rgb, rgb, level);
  }
  return 0;
}();

}  // namespace
