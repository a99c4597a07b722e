#include "space_names.h"

#include <cctype>

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

bool SameName(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] != '\0'; ++i) {
    if (i == b.size() || std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == b.size();
}

const SpaceInfo* FindSpace(const std::string& name) {
  for (const SpaceInfo& s : AllSpaces()) {
    if (SameName(s.name, name)) return &s;
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

std::string GroupRule(const SpaceInfo& space) {
  return std::string(space.name) + " needs a width multiple of " + std::to_string(space.groupWidth) +
         (space.groupHeight > 1 ? " and a height multiple of " + std::to_string(space.groupHeight) : "");
}

bool SizeWithinLimits(int32_t width, int32_t height) {
  // 2^28 pixels: 6 GiB as XYZ doubles, and every byte count below 2^31 for the
  // other spaces' rows.
  return width > 0 && height > 0 && width <= (1 << 24) && height <= (1 << 24) &&
         static_cast<int64_t>(width) * height <= (int64_t{1} << 28);
}

size_t RowBytes(const SpaceInfo& space, int32_t width) {
  if (space.code == CSP_YVU9) return static_cast<size_t>(width);
  return static_cast<size_t>(width / space.groupWidth) * static_cast<size_t>(space.groupBytes);
}

size_t PaddingBaseBytes(const SpaceInfo& space, int32_t width) {
  return space.code == CSP_XYZ ? 3 * static_cast<size_t>(width) : RowBytes(space, width);
}

size_t AlignedStride(const SpaceInfo& space, int32_t width, int32_t align) {
  const size_t row = RowBytes(space, width), base = PaddingBaseBytes(space, width);
  if (align < 1 || base % static_cast<size_t>(align) == 0) return row;
  return row + static_cast<size_t>(align) - base % static_cast<size_t>(align);
}

bool FitsGroups(const SpaceInfo& space, int32_t width, int32_t height) {
  return width > 0 && height > 0 && width % space.groupWidth == 0 && height % space.groupHeight == 0;
}

}  // namespace qclr_tool
