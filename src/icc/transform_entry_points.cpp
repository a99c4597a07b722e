// The two ways a conversion handle asks for a transform: by colour temperature or
// by white-point chromaticity, between built-in profiles or profile files.
#include <utility>

#include "base/memory.h"
#include "base/owned.h"
#include "icc/color_transform.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// Opens the profile for one side; null with the status set on failure.
IccProfile* OpenSide(uint32_t format, int32_t useFiles, const char* path, int32_t* status) {
  if (useFiles != 0) {
    IccProfile* p = IccOpenProfileFromFile(path);
    if (p == nullptr) *status = CLR_ERR_PROFILE_OPEN;
    return p;
  }
  if (IccBuiltinProfileId(format) == 0) {
    *status = CLR_ERR_COLORSPACE;  // no built-in profile serves this format
    return nullptr;
  }
  int32_t systemError = 0;
  IccProfile* p = IccOpenBuiltinProfile(format, &systemError);
  if (p == nullptr) *status = systemError != 0 ? systemError : CLR_ERR_PROFILE_OPEN;
  return p;
}

ColorTransform* OpenAndBuild(uint32_t inputFormat, uint32_t outputFormat, const XyzTriple& target,
                             int32_t useFiles, const char* inputPath, const char* outputPath,
                             int32_t* status) {
  OwnedProfile in(OpenSide(inputFormat, useFiles, inputPath, status));
  if (in == nullptr) return nullptr;
  OwnedProfile out(OpenSide(outputFormat, useFiles, outputPath, status));
  if (out == nullptr) return nullptr;
  return IccCreateTransform(std::move(in), inputFormat, std::move(out), outputFormat, target, status);
}

// A build that failed because memory ran short says so, whichever step of reading
// or building met the failed allocation (the steps themselves report only that
// they could not go on).
ColorTransform* Create(uint32_t inputFormat, uint32_t outputFormat, const XyzTriple& target,
                       int32_t useFiles, const char* inputPath, const char* outputPath,
                       int32_t* status) {
  const unsigned long failedBefore = FailedAllocationsOnThisThread();
  ColorTransform* t = OpenAndBuild(inputFormat, outputFormat, target, useFiles, inputPath, outputPath, status);
  if (t == nullptr && FailedAllocationsOnThisThread() != failedBefore) *status = CLR_ERR_NOMEM;
  return t;
}

}  // namespace

ColorTransform* IccCreateTransformByTemperature(uint32_t inputFormat, uint32_t outputFormat,
                                                unsigned temperature, int32_t useFiles,
                                                const char* inputPath, const char* outputPath,
                                                int32_t* status) {
  *status = CLR_OK;
  return Create(inputFormat, outputFormat, IccSetWhiteByTemperature(temperature), useFiles,
                inputPath, outputPath, status);
}

ColorTransform* IccCreateTransformByWhitePoint(uint32_t inputFormat, uint32_t outputFormat,
                                               double x, double y, int32_t useFiles,
                                               const char* inputPath, const char* outputPath,
                                               int32_t* status) {
  *status = CLR_OK;
  if (inputFormat == outputFormat) {
    *status = CLR_ERR_COLORSPACE;
    return nullptr;
  }
  return Create(inputFormat, outputFormat, IccSetWhiteByChromaticity(x, y), useFiles, inputPath,
                outputPath, status);
}

}  // namespace qclr
