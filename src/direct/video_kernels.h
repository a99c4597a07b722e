// Kernels between RGB and the luminance-chrominance spaces of video and still-image
// exchange: CSP_YUV (4:4:4), CSP_YUY2 and CSP_UYVY (4:2:2), CSP_Y41P (4:1:1),
// CSP_YVU9 (planar, one chroma pair per 4 x 4 block) and CSP_YCC (signed chroma).
//
// Encoders and decoders are not exact inverses: the subsampled encoders weigh in
// floating point, the decoders (all but YccToRgb) share one integer formula.
#pragma once

#include <cstdint>

namespace qclr {

// Statuses of a kernel called with a size its layout cannot hold. The direct route
// refuses such sizes before any kernel runs; other callers may still pass them.
inline constexpr int32_t kStatusHeightRuleBroken = -795;  // encoder: height only
inline constexpr int32_t kStatusWidthRuleBroken = -796;   // encoder: width (only)
inline constexpr int32_t kStatusBothRulesBroken = -797;   // encoder: width and height
inline constexpr int32_t kStatusNotConverted = 0;         // decoder: nothing written

// Encoders that meet a broken size rule still convert the whole pixel groups (pairs,
// groups of 8, 4 x 4 blocks) and return the status above; decoders convert nothing.
// A width or height below 1 converts nothing.

int32_t RgbToYuv(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder);
int32_t YuvToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder);

// Width even.
int32_t RgbToYuy2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder);
int32_t Yuy2ToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder);
int32_t RgbToUyvy(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder);
int32_t UyvyToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder);

// Width a multiple of 8.
int32_t RgbToY41p(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder);
int32_t Y41pToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder);

// Width and height multiples of 4. The planar side has no row padding, so the
// encoder ignores outAlign and the decoder takes no inAlign. The buffer is the
// Y plane (width x height), then the V plane, then the U plane, each
// (width/4) x (height/4) bytes.
int32_t RgbToYvu9(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder);
int32_t Yvu9ToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t outAlign,
                  int32_t rgbOrder);

int32_t RgbToYcc(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder);
int32_t YccToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder);

}  // namespace qclr
