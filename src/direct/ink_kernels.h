// Kernels between RGB and the ink spaces CSP_CMY and CSP_CMYK (0 = no ink,
// 255 = full ink), with black generation and undercolour removal for CMYK.
#pragma once

#include <cstdint>

namespace qclr {

int32_t RgbToCmy(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);
int32_t CmyToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// blackParam is the black generation in thousandths (the direct route passes 175).
// Callers that take it from users restrict it to 0..1000; outside that range the
// formulas still run and bytes wrap modulo 256.
int32_t RgbToCmyk(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t blackParam, int32_t rgbOrder);
int32_t CmykToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t blackParam, int32_t rgbOrder);

// Factors derived once per call from blackParam (P = blackParam x 0.001):
struct RgbToCmykFactors {
  double p;  // K = trunc(lo x P)
  double q;  // P^5, scales the undercolour removal
};
RgbToCmykFactors MakeRgbToCmykFactors(int32_t blackParam);

// F = trunc(256 x P^4) as a signed 16-bit value: 0 below 250, 1 at 250, 256 at 1000.
int16_t CmykBlackFactor(int32_t blackParam);

// Row functions. The scalar rows are the definition. The packed rows work on groups
// of 8 pixels in 16-bit lanes and finish the width mod 8 pixels one by one:
// CmyToRgbRowPacked gives the scalar bytes; CmykToRgbRowPacked keeps the
// undercolour amount u in a 16-bit lane and compares it as a signed value, so it
// gives the scalar bytes while u < 32768 (see CmykToRgbPixelPacked).
void CmyToRgbRow(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmyToRgbRowPacked(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmykToRgbRow(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f, int32_t rgbOrder);
void CmykToRgbRowPacked(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f,
                        int32_t rgbOrder);

// One pixel of the packed CmykToRgb arithmetic, lane by lane: the reference the
// vector code is tested against.
void CmykToRgbPixelPacked(const uint8_t* cmyk, uint8_t* rgb, int16_t f, int32_t rgbOrder);

}  // namespace qclr
