#include "space_names.h"

#include <strings.h>

#include "qclr/qclr.h"

namespace qclr_tool {

const std::vector<SpaceInfo>& AllSpaces() {
  // File geometry: one PAM tuple per pixel group. A YVU9 tuple stands for a 4 x 4
  // block (16 luminance and 2 chroma bytes); its bytes keep the library's planar
  // order, so only the byte count matches the tuple grid.
  static const std::vector<SpaceInfo> spaces = {
      {CSP_RGB, "RGB", 1, 1, 3},   {CSP_YUV, "YUV", 1, 1, 3},   {CSP_CMYK, "CMYK", 1, 1, 4},
      {CSP_HSV, "HSV", 1, 1, 3},   {CSP_HLS, "HLS", 1, 1, 3},   {CSP_YIQ, "YIQ", 1, 1, 3},
      {CSP_CMY, "CMY", 1, 1, 3},   {CSP_LAB, "LAB", 1, 1, 3},   {CSP_XYZ, "XYZ", 1, 1, 24},
      {CSP_YUY2, "YUY2", 2, 1, 4}, {CSP_YVU9, "YVU9", 4, 4, 18}, {CSP_YCCK, "YCCK", 1, 1, 4},
      {CSP_BGR, "BGR", 1, 1, 3},   {CSP_Y41P, "Y41P", 8, 1, 12}, {CSP_UYVY, "UYVY", 2, 1, 4},
      {CSP_YCC, "YCC", 1, 1, 3},   {CSP_HSI, "HSI", 1, 1, 3},
  };
  return spaces;
}

const SpaceInfo* FindSpace(const std::string& name) {
  for (const SpaceInfo& s : AllSpaces()) {
    if (strcasecmp(s.name, name.c_str()) == 0) return &s;
  }
  return nullptr;
}

const SpaceInfo* FindSpace(int32_t code) {
  for (const SpaceInfo& s : AllSpaces()) {
    if (s.code == code) return &s;
  }
  return nullptr;
}

size_t PackedBytes(const SpaceInfo& space, int32_t width, int32_t height) {
  return static_cast<size_t>(width / space.groupWidth) * static_cast<size_t>(height / space.groupHeight) *
         static_cast<size_t>(space.groupBytes);
}

bool FitsGroups(const SpaceInfo& space, int32_t width, int32_t height) {
  return width > 0 && height > 0 && width % space.groupWidth == 0 && height % space.groupHeight == 0;
}

}  // namespace qclr_tool
