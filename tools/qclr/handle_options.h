// Command-line options that make `qclr convert` go through a conversion handle
// (Q_ClrInit + Q_ClrConvert) instead of the direct route.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qclr/qclr.h"

namespace qclr_tool {

struct HandleOptions {
  bool used = false;  // any handle option given
  ConversionParams params{};
  WhitePoint white{};
  CmykOptions cmyk{};
  LabOptions lab{};
  YuvLayout yuv{};
  std::vector<int32_t> yuvOffsets;
  bool hasWhite = false, hasCmyk = false, hasLab = false, hasYuv = false;
  int32_t rawWidth = 0, rawHeight = 0;  // --size, for raw described-YUV input
};

// Consumes the option at args[*i] (and its value) when it is a handle option.
// Returns false with `error` set for a malformed value; `*taken` tells whether the
// option was one of these.
bool ParseHandleOption(const std::vector<std::string>& args, size_t* i, HandleOptions* options,
                       bool* taken, std::string* error);

// Points the parameter record at the option records that were given.
void FinishHandleOptions(HandleOptions* options);

// The help text of these options.
const char* HandleOptionsHelp();

}  // namespace qclr_tool
