// An image as the tool holds it between reading and writing: the library's tightly
// packed buffer of one colour space, an optional alpha plane, the embedded ICC
// profile, and what the file said about its samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lab_encoding.h"
#include "space_names.h"

namespace qclr_tool {

struct Image {
  const SpaceInfo* space = nullptr;
  int32_t width = 0;  // in pixels
  int32_t height = 0;
  std::vector<uint8_t> bytes;    // tightly packed library buffer
  std::vector<uint8_t> alpha;    // one byte a pixel, or empty
  std::vector<uint8_t> profile;  // embedded ICC profile, or empty
  LabEncoding lab = LabEncoding::kUnspecified;  // for CSP_LAB: how a and b are stored
  int32_t fileBits = 8;  // bits a sample in the file (16-bit samples are rounded to 8)
};

}  // namespace qclr_tool
