#include "direct/kernel_table.h"

#include "direct/cie_kernels.h"
#include "direct/conversion_tables.h"
#include "direct/hue_kernels.h"
#include "direct/ink_kernels.h"
#include "direct/video_kernels.h"
#include "direct/ycck_kernels.h"
#include "direct/yiq_kernels.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

int32_t RgbToCmykDirect(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t ia,
                        int32_t oa, int32_t order) {
  return RgbToCmyk(s, d, w, h, ia, oa, kDirectBlackParam, order);
}

int32_t CmykToRgbDirect(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t ia,
                        int32_t oa, int32_t order) {
  return CmykToRgb(s, d, w, h, ia, oa, kDirectBlackParam, order);
}

int32_t YcckToRgbDirect(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t ia,
                        int32_t oa, int32_t order) {
  return YcckToRgb(LibraryYccTables(), s, d, w, h, ia, oa, order);
}

// The planar YVU9 source has no row padding.
int32_t Yvu9ToRgbDirect(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t /*ia*/,
                        int32_t oa, int32_t order) {
  return Yvu9ToRgb(s, d, w, h, oa, order);
}

constexpr SpaceKernels kCmy = {RgbToCmy, CmyToRgb};
constexpr SpaceKernels kCmyk = {RgbToCmykDirect, CmykToRgbDirect};
constexpr SpaceKernels kYcck = {RgbToYcck, YcckToRgbDirect};
constexpr SpaceKernels kHsv = {RgbToHsv, HsvToRgb};
constexpr SpaceKernels kHls = {RgbToHls, HlsToRgb};
constexpr SpaceKernels kHsi = {RgbToHsi, HsiToRgb};
constexpr SpaceKernels kYiq = {RgbToYiq, YiqToRgb};
constexpr SpaceKernels kLab = {RgbToLab, LabToRgb};
constexpr SpaceKernels kXyz = {RgbToXyz, XyzToRgb};
constexpr SpaceKernels kYuv = {RgbToYuv, YuvToRgb};
constexpr SpaceKernels kYuy2 = {RgbToYuy2, Yuy2ToRgb};
constexpr SpaceKernels kUyvy = {RgbToUyvy, UyvyToRgb};
constexpr SpaceKernels kY41p = {RgbToY41p, Y41pToRgb};
constexpr SpaceKernels kYvu9 = {RgbToYvu9, Yvu9ToRgbDirect};
constexpr SpaceKernels kYcc = {RgbToYcc, YccToRgb};

}  // namespace

const SpaceKernels* DirectKernels(int32_t space) {
  switch (space) {
    case CSP_CMY: return &kCmy;
    case CSP_CMYK: return &kCmyk;
    case CSP_YCCK: return &kYcck;
    case CSP_HSV: return &kHsv;
    case CSP_HLS: return &kHls;
    case CSP_HSI: return &kHsi;
    case CSP_YIQ: return &kYiq;
    case CSP_LAB: return &kLab;
    case CSP_XYZ: return &kXyz;
    case CSP_YUV: return &kYuv;
    case CSP_YUY2: return &kYuy2;
    case CSP_UYVY: return &kUyvy;
    case CSP_Y41P: return &kY41p;
    case CSP_YVU9: return &kYvu9;
    case CSP_YCC: return &kYcc;
    default: return nullptr;
  }
}

}  // namespace qclr
