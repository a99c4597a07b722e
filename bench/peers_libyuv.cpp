// libyuv's conversions. Its "RAW" is R, G, B in memory (qclr's CSP_RGB), its
// "RGB24" B, G, R. Where libyuv has no direct function for 3-byte RGB, each row
// goes through a one-row ARGB buffer, as a caller of libyuv would do it.
#include <libyuv.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_frames.h"

namespace {

using bench::FrameSize;

// Converts row y of the frame, through one row of ARGB where libyuv needs it.
using RowStep = std::function<void(const uint8_t* src, uint8_t* argb, uint8_t* dst, int y, FrameSize s)>;

void Register(const char* conversion, double srcBpp, double dstBpp, RowStep step, const std::string& label) {
  const bench::Prepare prepare = [step](FrameSize size) -> bench::ConvertFrame {
    auto argb = std::make_shared<std::vector<uint8_t>>(4 * size_t(size.width));
    return [step, argb](const uint8_t* src, uint8_t* dst, FrameSize s) {
      for (int y = 0; y < s.height; ++y) step(src, argb->data(), dst, y, s);
      return true;
    };
  };
  bench::Register({std::string("peer/libyuv/") + conversion, srcBpp, dstBpp, prepare, label});
}

void RegisterFrame(const char* conversion, double srcBpp, double dstBpp, bench::ConvertFrame convert,
                   const char* label) {
  bench::Register({std::string("peer/libyuv/") + conversion, srcBpp, dstBpp, bench::Always(std::move(convert)),
                   label});
}

// Row y of a packed frame of `bytesPerPixel`.
template <typename T>
T* Row(T* frame, double bytesPerPixel, int y, FrameSize s) {
  return frame + static_cast<size_t>(bytesPerPixel * s.width) * y;
}

// A packed-to-packed libyuv conversion (src, srcStride, dst, dstStride, width, height).
using PackedFn = int (*)(const uint8_t*, int, uint8_t*, int, int, int);

struct ThroughArgb {
  const char* conversion;
  double srcBpp, dstBpp;
  PackedFn toArgb, fromArgb;
  const char* toName;
  const char* fromName;
};

const ThroughArgb kThroughArgb[] = {
    {"RGB->YUY2", 3, 2, libyuv::RAWToARGB, libyuv::ARGBToYUY2, "RAWToARGB", "ARGBToYUY2"},
    {"RGB->UYVY", 3, 2, libyuv::RAWToARGB, libyuv::ARGBToUYVY, "RAWToARGB", "ARGBToUYVY"},
    {"YUY2->RGB", 2, 3, libyuv::YUY2ToARGB, libyuv::ARGBToRAW, "YUY2ToARGB", "ARGBToRAW"},
    {"UYVY->RGB", 2, 3, libyuv::UYVYToARGB, libyuv::ARGBToRAW, "UYVYToARGB", "ARGBToRAW"},
};

const int kRegistered = [] {
  using namespace libyuv;
  for (const ThroughArgb& t : kThroughArgb) {
    Register(
        t.conversion, t.srcBpp, t.dstBpp,
        [t](const uint8_t* src, uint8_t* argb, uint8_t* dst, int y, FrameSize s) {
          t.toArgb(Row(src, t.srcBpp, y, s), 0, argb, 0, s.width, 1);
          t.fromArgb(argb, 0, Row(dst, t.dstBpp, y, s), 0, s.width, 1);
        },
        std::string(t.toName) + " + " + t.fromName + " a row");
  }
  // 4:4:4 is planar in libyuv: three planes of width x height bytes.
  Register(
      "RGB->YUV", 3, 3,
      [](const uint8_t* src, uint8_t* argb, uint8_t* dst, int y, FrameSize s) {
        const size_t plane = size_t(s.width) * s.height;
        uint8_t* yRow = Row(dst, 1, y, s);
        RAWToARGB(Row(src, 3, y, s), 0, argb, 0, s.width, 1);
        ARGBToI444(argb, 0, yRow, 0, yRow + plane, 0, yRow + 2 * plane, 0, s.width, 1);
      },
      "RAWToARGB + ARGBToI444 a row");
  RegisterFrame(
      "YUV->RGB", 3, 3,
      [](const uint8_t* src, uint8_t* dst, FrameSize s) {
        const size_t plane = size_t(s.width) * s.height;
        return I444ToRAW(src, s.width, src + plane, s.width, src + 2 * plane, s.width, dst, 3 * s.width,
                         s.width, s.height) == 0;
      },
      "I444ToRAW");
  RegisterFrame(
      "RGB->BGR", 3, 3,
      [](const uint8_t* src, uint8_t* dst, FrameSize s) {
        return RAWToRGB24(src, 3 * s.width, dst, 3 * s.width, s.width, s.height) == 0;
      },
      "RAWToRGB24");
  RegisterFrame(
      "I420->RGB", 1.5, 3,
      [](const uint8_t* src, uint8_t* dst, FrameSize s) {
        const size_t plane = size_t(s.width) * s.height;
        const uint8_t* u = src + plane;
        const uint8_t* v = u + plane / 4;
        return I420ToRAW(src, s.width, u, s.width / 2, v, s.width / 2, dst, 3 * s.width, s.width, s.height) == 0;
      },
      "I420ToRAW");
  return 0;
}();

}  // namespace
