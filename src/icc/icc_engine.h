// The ICC engine as the rest of the library sees it: a transform between two
// profiles is created, applied to runs of packed pixels and deleted, and each
// colour space that the engine converts has one pixel-format word. What a
// transform holds stays inside src/icc (color_transform.h).
//
// Nothing here touches process-wide state: the target white is an argument of the
// build, and evaluation keeps its intermediates on the stack, so transforms may be
// built and applied on several threads at once.
#pragma once

#include <cstdint>

namespace qclr {

struct ColorTransform;

// The pixel-format word of a colour space's 8-bit pixels: CSP_RGB, CSP_BGR,
// CSP_CMY, CSP_CMYK and CSP_LAB have one, CSP_YCCK that of CMYK (a YCCK side
// converts through CMYK); every other space 0.
uint32_t IccFormatOfSpace(int32_t space);

// Opens the two profiles (the built-in ones for the formats when useFiles is 0,
// else the files) and builds with the white of `temperature` (55, 65, 75, 93 or
// D50). A format without a built-in profile gives CLR_ERR_COLORSPACE, a missing
// resource the system's error code, a profile that does not open
// CLR_ERR_PROFILE_OPEN.
ColorTransform* IccCreateTransformByTemperature(uint32_t inputFormat, uint32_t outputFormat,
                                                unsigned temperature, int32_t useFiles,
                                                const char* inputPath, const char* outputPath,
                                                int32_t* status);

// As above with the white given as a chromaticity; equal formats give
// CLR_ERR_COLORSPACE at once.
ColorTransform* IccCreateTransformByWhitePoint(uint32_t inputFormat, uint32_t outputFormat,
                                               double x, double y, int32_t useFiles,
                                               const char* inputPath, const char* outputPath,
                                               int32_t* status);

// Converts `count` pixels packed back to back; a count of 0 touches nothing.
int32_t IccApplyTransform(const ColorTransform* transform, const uint8_t* in, uint8_t* out,
                          int32_t count);

// Bytes of one pixel on each side of a transform.
struct IccPixelBytes {
  uint32_t input;
  uint32_t output;
};
IccPixelBytes IccTransformPixelBytes(const ColorTransform* transform);

// Releases the tables, the stages, both profiles and the record (null is ignored).
void IccDeleteTransform(ColorTransform* transform);

// Whether a profile file can serve one side of a transform for `format`, without
// building one: CLR_OK, else the status a build would give (CLR_ERR_PROFILE_OPEN,
// CLR_ERR_PROFILE_MISMATCH, CLR_ERR_COLORSPACE). `reason` receives one
// zero-terminated line, cut to `size` bytes: the profile's version, class and
// spaces, then why it cannot serve or how it serves.
inline constexpr int32_t kIccSideSource = 0;       // device to PCS
inline constexpr int32_t kIccSideDestination = 1;  // PCS to device
int32_t IccCheckProfileFile(const char* path, uint32_t format, int32_t side, char* reason, int32_t size);

}  // namespace qclr
