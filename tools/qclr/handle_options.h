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
  ConversionParams params{};  // method, flags and option records; file names apart
  std::string srcProfile, dstProfile;  // a file, "embedded" or "builtin"
  std::string table;                   // --table
  WhitePoint white{};
  CmykOptions cmyk{};
  LabOptions lab{};
  YuvLayout yuv{};
  std::vector<int32_t> yuvOffsets;
  bool hasWhite = false, hasCmyk = false, hasLab = false, hasYuv = false;
};

// Consumes the option at args[*i] (and its value) when it is a handle option.
// Returns false with `error` set for a malformed value; `*taken` tells whether the
// option was one of these.
bool ParseHandleOption(const std::vector<std::string>& args, size_t* i, HandleOptions* options,
                       bool* taken, std::string* error);

// Completes the parameter record: the method (custom-icc when only profiles were
// given, else builtin), its flags, and pointers to the option records given. The
// record points into `options`, which must stay where it is while it is used.
void FinishHandleOptions(HandleOptions* options);

// The method the library will use: the one given, or for METHOD_AUTO the choice
// the library makes for this pair of spaces (0 when it can make none).
int32_t EffectiveMethod(const HandleOptions& options, int32_t srcSpace, int32_t dstSpace);

// The method's name on the command line ("builtin", "custom-icc", ...).
const char* MethodName(int32_t method);

// The help text of these options.
const char* HandleOptionsHelp();

}  // namespace qclr_tool
