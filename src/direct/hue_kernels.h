// Kernels between RGB and the hue-based spaces:
//   CSP_HSV  H (0..255 for 0..360 degrees), S, V
//   CSP_HLS  H (0..255 for a full turn; 85 green, 170 blue), L, S
//   CSP_HSI  I, H, S, where H is this library's own hue encoding (see RgbToHsi)
#pragma once

#include <cstdint>

namespace qclr {

int32_t RgbToHsv(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);
int32_t HsvToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

int32_t RgbToHls(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);
int32_t HlsToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// The HSI encoder works in single precision and its hue is not the textbook one
// (no square root under the arc cosine, scaled by 127.5 and folded into a byte), so
// HsiToRgb does not invert it. Stored HSI data depend on these exact bytes.
int32_t RgbToHsi(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);
int32_t HsiToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

}  // namespace qclr
