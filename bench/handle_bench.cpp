// Throughput of conversions through handles, one per converter of the handle
// route: the built-in formulas (their kernels are the direct ones, see
// kernel_bench), the same-space copy, ICC transforms between the built-in
// profiles, emulation tables, fixed-point Lab, described YUV layouts and YCCK.
// Run: build/bench/handle_bench [--benchmark_filter=icc]
#include <cstdint>
#include <memory>
#include <string>

#include "bench_frames.h"
#include "bench_handles.h"
#include "qclr/qclr.h"

namespace {

int32_t kYuy2Offsets[] = {0, 2, 1, 3};  // Y0 Y1, U, V: outlives every handle
int32_t kPlaneOrderYuv[] = {0};
YuvLayout kPackedYuy2{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, kYuy2Offsets, 2, 0, 0};
YuvLayout kPlanarI420{QCLR_YUV_LAYOUT_SIZE, 0, 2, 2, 2, 2, kPlaneOrderYuv, 1, 0, 1};

struct Side {
  int32_t space;
  const char* name;
  double bytesPerPixel;
};

const Side kRgb{CSP_RGB, "RGB", 3}, kCmyk{CSP_CMYK, "CMYK", 4}, kCmy{CSP_CMY, "CMY", 3},
    kLab{CSP_LAB, "LAB", 3}, kYcck{CSP_YCCK, "YCCK", 4};

bench::Prepare ThroughHandle(int32_t from, int32_t to, int32_t method, const YuvLayout* yuv) {
  return [=](bench::FrameSize) -> bench::ConvertFrame {
    std::shared_ptr<ClrHandle> handle = bench::MakeHandle(from, to, method, yuv);
    if (!handle) return {};
    return [handle](const uint8_t* src, uint8_t* dst, bench::FrameSize size) {
      return Q_ClrConvert(handle.get(), src, dst, size.width, size.height, 0, 0) == CLR_OK;
    };
  };
}

void RegisterHandle(const char* route, const Side& from, const Side& to, int32_t method,
                    const YuvLayout* yuv = nullptr) {
  bench::Register({std::string("handle/") + route + "/" + from.name + "->" + to.name, from.bytesPerPixel,
                   to.bytesPerPixel, ThroughHandle(from.space, to.space, method, yuv)});
}

const int kRegistered = [] {
  RegisterHandle("formulas", kRgb, kCmyk, METHOD_BUILTIN);
  RegisterHandle("formulas", kCmyk, kRgb, METHOD_BUILTIN);
  RegisterHandle("copy", kRgb, kRgb, METHOD_BUILTIN);
  for (const Side* s : {&kCmyk, &kCmy, &kLab}) {
    RegisterHandle("icc", kRgb, *s, METHOD_ICC);
    RegisterHandle("icc", *s, kRgb, METHOD_ICC);
  }
  RegisterHandle("table", kCmyk, kRgb, METHOD_BUILTIN_TABLES);
  RegisterHandle("table", kRgb, kLab, METHOD_BUILTIN_TABLES);
  RegisterHandle("table", kLab, kRgb, METHOD_BUILTIN_TABLES);
  RegisterHandle("fixed_lab", kRgb, kLab, METHOD_BUILTIN);
  RegisterHandle("fixed_lab", kLab, kRgb, METHOD_BUILTIN);
  RegisterHandle("described_yuv", {CSP_YUV, "YUY2", 2}, kRgb, METHOD_BUILTIN, &kPackedYuy2);
  RegisterHandle("described_yuv", {CSP_YUV, "I420", 1.5}, kRgb, METHOD_BUILTIN, &kPlanarI420);
  for (int32_t method : {METHOD_BUILTIN, METHOD_ICC}) {
    const char* route = method == METHOD_BUILTIN ? "ycck_formulas" : "ycck_icc";
    RegisterHandle(route, kRgb, kYcck, method);
    RegisterHandle(route, kYcck, kRgb, method);
  }
  return 0;
}();

}  // namespace
