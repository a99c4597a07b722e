// Built-in, profile-free kernels between RGB and the CIE spaces:
//   CSP_LAB  L (0..255 for L* 0..100), a* and b* as signed bytes that wrap
//            outside -128..127;
//   CSP_XYZ  three little-endian doubles X, Y, Z: 24 bytes a pixel, with the row
//            padding computed from a row of 3 x width bytes.
#pragma once

#include <cstdint>

namespace qclr {

int32_t RgbToLab(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);
int32_t LabToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// RgbToXyz writes X, Y, Z of up to about 133 (its weights carry a scale of about
// 100), while XyzToRgb expects 0..1: a round trip through CSP_XYZ saturates.
int32_t RgbToXyz(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);
int32_t XyzToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

}  // namespace qclr
