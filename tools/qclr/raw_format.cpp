// Raw files: the library's buffer of one colour space exactly as it lies in
// memory, rows padded to an alignment (the library's rule), nothing else. The
// video layouts (YUY2, UYVY, Y41P, YVU9) are exchanged this way as frames.
#include <cstring>

#include "format_codecs.h"
#include "qclr/qclr.h"

namespace qclr_tool {

bool DecodeRaw(const std::vector<uint8_t>& file, const RawLayout& layout, Image* image, std::string* error) {
  const SpaceInfo& space = *layout.space;
  if (!FitsGroups(space, layout.width, layout.height)) {
    *error = GroupRule(space);
    return false;
  }
  image->space = &space;
  image->width = layout.width;
  image->height = layout.height;
  const size_t packed = PackedBytes(space, layout.width, layout.height);
  if (space.code == CSP_YVU9) {  // planar: no row padding
    if (file.size() != packed) {
      *error = "a " + std::to_string(layout.width) + " x " + std::to_string(layout.height) + " YVU9 frame is " +
               std::to_string(packed) + " bytes, the file has " + std::to_string(file.size());
      return false;
    }
    image->bytes = file;
    return true;
  }
  const size_t row = RowBytes(space, layout.width), stride = AlignedStride(space, layout.width, layout.align);
  const size_t rows = static_cast<size_t>(layout.height);
  // The last row's padding may be left out.
  const size_t full = stride * rows, shortest = stride * (rows - 1) + row;
  if (file.size() != full && file.size() != shortest) {
    *error = "a " + std::to_string(layout.width) + " x " + std::to_string(layout.height) + " " + space.name +
             " buffer" + (stride != row ? " with rows aligned to " + std::to_string(layout.align) : std::string()) +
             " is " + std::to_string(full) + " bytes, the file has " + std::to_string(file.size());
    return false;
  }
  image->bytes.resize(packed);
  for (size_t y = 0; y < rows; ++y) std::memcpy(&image->bytes[y * row], &file[y * stride], row);
  return true;
}

bool EncodeRaw(const Image& image, int32_t align, std::vector<uint8_t>* file, std::string*) {
  const SpaceInfo& space = *image.space;
  if (space.code == CSP_YVU9) {
    *file = image.bytes;
    return true;
  }
  const size_t row = RowBytes(space, image.width), stride = AlignedStride(space, image.width, align);
  file->assign(stride * static_cast<size_t>(image.height), 0);
  for (size_t y = 0; y < static_cast<size_t>(image.height); ++y) {
    std::memcpy(&(*file)[y * stride], &image.bytes[y * row], row);
  }
  return true;
}

}  // namespace qclr_tool
