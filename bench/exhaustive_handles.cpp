// The handle routes of the exhaustive check. Each route converts, through one
// handle, an image of rows of 256 pixels holding
//  - three-byte sources: one in `step` of the 24-bit values (exhaustive_sample.h;
//    all 2^24 inputs when step is 1);
//  - four-byte sources: 2^24 / step values spread over all 2^32 (the counter times
//    an odd constant, so no two pixels repeat);
//  - described YUV sources: pseudo-random bytes, so that every group position
//    meets every sample value many times;
// once with the kernels capped at each instruction set the processor has. Every
// implementation must give the portable bytes; the portable bytes' checksum is
// printed, and must not change from build to build or platform to platform.
#include "exhaustive_handles.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/cpu_level.h"
#include "base/instruction_set.h"
#include "exhaustive_sample.h"
#include "qclr/qclr.h"

namespace exhaustive {
namespace {

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

constexpr int32_t kWidth = 256;

enum class Fill { kCounter3, kSpread4, kRandom };

struct Route {
  const char* name;
  int32_t from;
  int32_t to;
  int32_t method;
  Fill fill;
  double srcBytesPerPixel;
  int dstBytesPerPixel;
  const LabOptions* lab = nullptr;
  const YuvLayout* yuv = nullptr;
  uint32_t temperature = 0;  // 0: D50
  int level = -1;            // processor level to run at; -1 the detected one
};

const LabOptions kDefaultLab = {QCLR_LAB_OPTIONS_SIZE, 0, 0, 100, 128, 170, 96, 200};
// Narrow chroma ranges: most colours lie outside them and go through the chroma
// limiting.
const LabOptions kNarrowLab = {QCLR_LAB_OPTIONS_SIZE, 0, 10, 80, 128, 60, 128, 50};

int32_t kYuy2Offsets[] = {0, 2, 1, 3};
int32_t kUyvyOffsets[] = {1, 3, 0, 2};
int32_t k411Offsets[] = {1, 2, 3, 4, 7, 8, 9, 10, 0, 6, 5, 11};  // 8 pixels, 12 bytes
int32_t k444Offsets[] = {0, 1, 2};
int32_t kOrderYuv[] = {0};
int32_t kOrderYvu[] = {1};
int32_t kOrderVuy[] = {5};
const YuvLayout kPackedYuy2{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, kYuy2Offsets, 2, 0, 0};
const YuvLayout kPackedUyvyRaw{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, kUyvyOffsets, 2, 1, 0};
const YuvLayout kPacked411{QCLR_YUV_LAYOUT_SIZE, 0, 4, 1, 4, 1, k411Offsets, 8, 0, 0};
const YuvLayout kPacked444{QCLR_YUV_LAYOUT_SIZE, 0, 1, 1, 1, 1, k444Offsets, 1, 0, 0};
const YuvLayout kPlanarI420{QCLR_YUV_LAYOUT_SIZE, 0, 2, 2, 2, 2, kOrderYuv, 1, 0, 1};
const YuvLayout kPlanarYv12{QCLR_YUV_LAYOUT_SIZE, 0, 2, 2, 2, 2, kOrderYvu, 1, 0, 1};
const YuvLayout kPlanar422Raw{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, kOrderVuy, 1, 1, 1};
const YuvLayout kPlanar444{QCLR_YUV_LAYOUT_SIZE, 0, 1, 1, 1, 1, kOrderYuv, 1, 0, 1};
const YuvLayout kPlanarYvu9{QCLR_YUV_LAYOUT_SIZE, 0, 4, 4, 4, 4, kOrderYvu, 1, 0, 1};
const YuvLayout kPlanarMixed{QCLR_YUV_LAYOUT_SIZE, 0, 2, 2, 4, 4, kOrderYuv, 1, 0, 1};

const Route kRoutes[] = {
    {"icc RGB->CMYK", CSP_RGB, CSP_CMYK, METHOD_ICC, Fill::kCounter3, 3, 4},
    {"icc BGR->CMYK", CSP_BGR, CSP_CMYK, METHOD_ICC, Fill::kCounter3, 3, 4},
    {"icc RGB->CMY", CSP_RGB, CSP_CMY, METHOD_ICC, Fill::kCounter3, 3, 3},
    {"icc RGB->LAB", CSP_RGB, CSP_LAB, METHOD_ICC, Fill::kCounter3, 3, 3},
    {"icc RGB->LAB D65", CSP_RGB, CSP_LAB, METHOD_ICC, Fill::kCounter3, 3, 3, nullptr, nullptr, 65},
    {"icc CMY->RGB", CSP_CMY, CSP_RGB, METHOD_ICC, Fill::kCounter3, 3, 3},
    {"icc LAB->RGB", CSP_LAB, CSP_RGB, METHOD_ICC, Fill::kCounter3, 3, 3},
    {"icc LAB->BGR", CSP_LAB, CSP_BGR, METHOD_ICC, Fill::kCounter3, 3, 3},
    {"icc CMYK->RGB", CSP_CMYK, CSP_RGB, METHOD_ICC, Fill::kSpread4, 4, 3},
    {"icc CMYK->BGR", CSP_CMYK, CSP_BGR, METHOD_ICC, Fill::kSpread4, 4, 3},
    {"icc CMYK->LAB", CSP_CMYK, CSP_LAB, METHOD_ICC, Fill::kSpread4, 4, 3},
    {"fixed RGB->LAB", CSP_RGB, CSP_LAB, METHOD_BUILTIN, Fill::kCounter3, 3, 3, &kDefaultLab},
    {"fixed BGR->LAB", CSP_BGR, CSP_LAB, METHOD_BUILTIN, Fill::kCounter3, 3, 3, &kDefaultLab},
    {"fixed RGB->LAB narrow", CSP_RGB, CSP_LAB, METHOD_BUILTIN, Fill::kCounter3, 3, 3, &kNarrowLab},
    {"fixed LAB->RGB", CSP_LAB, CSP_RGB, METHOD_BUILTIN, Fill::kCounter3, 3, 3, &kDefaultLab},
    {"fixed LAB->BGR", CSP_LAB, CSP_BGR, METHOD_BUILTIN, Fill::kCounter3, 3, 3, &kDefaultLab},
    {"fixed LAB->RGB narrow", CSP_LAB, CSP_RGB, METHOD_BUILTIN, Fill::kCounter3, 3, 3, &kNarrowLab},
    {"table RGB->LAB", CSP_RGB, CSP_LAB, METHOD_BUILTIN_TABLES, Fill::kCounter3, 3, 3},
    {"table BGR->LAB", CSP_BGR, CSP_LAB, METHOD_BUILTIN_TABLES, Fill::kCounter3, 3, 3},
    {"table LAB->RGB", CSP_LAB, CSP_RGB, METHOD_BUILTIN_TABLES, Fill::kCounter3, 3, 3},
    {"table LAB->BGR", CSP_LAB, CSP_BGR, METHOD_BUILTIN_TABLES, Fill::kCounter3, 3, 3},
    {"table CMYK->RGB", CSP_CMYK, CSP_RGB, METHOD_BUILTIN_TABLES, Fill::kSpread4, 4, 3},
    {"table CMYK->BGR", CSP_CMYK, CSP_BGR, METHOD_BUILTIN_TABLES, Fill::kSpread4, 4, 3},
    {"ycck formulas RGB->YCCK", CSP_RGB, CSP_YCCK, METHOD_BUILTIN, Fill::kCounter3, 3, 4},
    {"ycck formulas YCCK->RGB plain", CSP_YCCK, CSP_RGB, METHOD_BUILTIN, Fill::kSpread4, 4, 3,
     nullptr, nullptr, 0, 0},
    {"ycck formulas YCCK->RGB packed", CSP_YCCK, CSP_RGB, METHOD_BUILTIN, Fill::kSpread4, 4, 3,
     nullptr, nullptr, 0, 2},
    {"ycck icc RGB->YCCK", CSP_RGB, CSP_YCCK, METHOD_ICC, Fill::kCounter3, 3, 4},
    {"ycck icc YCCK->RGB", CSP_YCCK, CSP_RGB, METHOD_ICC, Fill::kSpread4, 4, 3},
    {"ycck icc YCCK->BGR", CSP_YCCK, CSP_BGR, METHOD_ICC, Fill::kSpread4, 4, 3},
    {"yuv packed YUY2", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 2, 3, nullptr, &kPackedYuy2},
    {"yuv packed UYVY raw BGR", CSP_YUV, CSP_BGR, METHOD_BUILTIN, Fill::kRandom, 2, 3, nullptr,
     &kPackedUyvyRaw},
    {"yuv packed 4:1:1", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 1.5, 3, nullptr, &kPacked411},
    {"yuv packed 4:4:4", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 3, 3, nullptr, &kPacked444},
    {"yuv planar I420", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 1.5, 3, nullptr, &kPlanarI420},
    {"yuv planar YV12 BGR", CSP_YUV, CSP_BGR, METHOD_BUILTIN, Fill::kRandom, 1.5, 3, nullptr,
     &kPlanarYv12},
    {"yuv planar 4:2:2 raw", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 2, 3, nullptr,
     &kPlanar422Raw},
    {"yuv planar 4:4:4", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 3, 3, nullptr, &kPlanar444},
    {"yuv planar YVU9", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 1.125, 3, nullptr,
     &kPlanarYvu9},
    {"yuv planar mixed steps", CSP_YUV, CSP_RGB, METHOD_BUILTIN, Fill::kRandom, 1.375, 3, nullptr,
     &kPlanarMixed},
};

std::vector<uint8_t> Source(Fill fill, int32_t count, uint32_t step, size_t bytes) {
  std::vector<uint8_t> in(bytes);
  switch (fill) {
    case Fill::kCounter3:
      for (int32_t i = 0; i < count; ++i) {
        const uint32_t v = exhaustive::SampleValue(static_cast<uint32_t>(i), step);
        uint8_t* p = &in[3 * static_cast<size_t>(i)];
        p[0] = static_cast<uint8_t>(v >> 16);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v);
      }
      break;
    case Fill::kSpread4:
      for (int32_t i = 0; i < count; ++i) {
        const uint32_t v = static_cast<uint32_t>(i) * step * 0x9E3779B1u;
        uint8_t* p = &in[4 * static_cast<size_t>(i)];
        p[0] = static_cast<uint8_t>(v >> 24);
        p[1] = static_cast<uint8_t>(v >> 16);
        p[2] = static_cast<uint8_t>(v >> 8);
        p[3] = static_cast<uint8_t>(v);
      }
      break;
    case Fill::kRandom: {
      uint32_t state = 2463534242u;
      for (uint8_t& b : in) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        b = static_cast<uint8_t>(state >> 24);
      }
      break;
    }
  }
  return in;
}

ClrHandle* MakeHandle(const Route& r) {
  ConversionParams p;
  std::memset(&p, 0, sizeof p);
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  p.method = r.method;
  p.flags = static_cast<uint32_t>(r.method);
  p.tableBits = 8;
  WhitePoint white = {r.temperature, 0, 0.0, 0.0};
  if (r.temperature != 0) p.whitePoint = &white;
  LabOptions lab = r.lab != nullptr ? *r.lab : LabOptions{};
  if (r.lab != nullptr) p.labOptions = &lab;
  YuvLayout yuv = r.yuv != nullptr ? *r.yuv : YuvLayout{};
  if (r.yuv != nullptr) p.yuvLayout = &yuv;
  ClrHandle* handle = nullptr;
  return Q_ClrInit(&handle, r.from, r.to, &p) == CLR_OK ? handle : nullptr;
}

int CheckRoute(const Route& r, uint32_t step) {
  int failures = 0;
  const auto fail = [&](const std::string& what) {
    ++failures;
    std::printf("FAIL handle %s: %s\n", r.name, what.c_str());
  };
  ClrHandle* handle = MakeHandle(r);
  if (handle == nullptr) {
    fail("no handle");
    return failures;
  }
  const int32_t count = static_cast<int32_t>((1u << 24) / step);
  const int32_t height = count / kWidth;
  const auto srcBytes = static_cast<size_t>(r.srcBytesPerPixel * count);
  const std::vector<uint8_t> in = Source(r.fill, count, step, srcBytes);
  const auto convert = [&](int isa) {
    qclr::OverrideCpuLevel(r.level);
    qclr::CapInstructionSet(isa);
    std::vector<uint8_t> out(static_cast<size_t>(count) * r.dstBytesPerPixel);
    const int32_t status = Q_ClrConvert(handle, in.data(), out.data(), kWidth, height, 0, 0);
    if (status != CLR_OK) fail("status " + std::to_string(status));
    qclr::CapInstructionSet(-1);
    qclr::OverrideCpuLevel(-1);
    return out;
  };
  const std::vector<uint8_t> portable = convert(0);
  for (int isa = 1; isa <= static_cast<int>(qclr::DetectedInstructionSet()); ++isa) {
    if (convert(isa) != portable) {
      fail(std::string("the ") + qclr::InstructionSetName(static_cast<qclr::InstructionSet>(isa)) +
           " implementation differs from the portable one");
    }
  }
  Q_ClrFree(handle);
  std::printf("handle %-31s %016llx\n", r.name, static_cast<unsigned long long>(Fnv1a(portable)));
  return failures;
}

}  // namespace

int CheckHandleRoutes(uint32_t step) {
  int failures = 0;
  for (const Route& r : kRoutes) failures += CheckRoute(r, step);
  return failures;
}

}  // namespace exhaustive
