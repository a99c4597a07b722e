// Reading and writing images as PPM (P6, RGB) and PAM (P7) files. A PAM file holds
// any colour space: TUPLTYPE RGB and CMYK are the standard names, the others are
// QCLR_<space>, with one tuple per pixel group of the space.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "space_names.h"

namespace qclr_tool {

struct Image {
  const SpaceInfo* space = nullptr;
  int32_t width = 0;  // in pixels
  int32_t height = 0;
  std::vector<uint8_t> bytes;  // tightly packed library buffer
};

// Reads a PPM or PAM file. On failure returns false with a one-line reason.
bool ReadImage(const std::string& path, Image* image, std::string* error);

// Writes a PPM when the path ends in .ppm (RGB only), a PAM otherwise.
bool WriteImage(const std::string& path, const Image& image, std::string* error);

}  // namespace qclr_tool
