// Colour-space names on the command line and the geometry of their image files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qclr_tool {

struct SpaceInfo {
  int32_t code;
  const char* name;    // as typed on the command line, e.g. "YUY2"
  int32_t groupWidth;  // pixels a file column stands for
  int32_t groupHeight; // pixels a file row stands for
  int32_t groupBytes;  // bytes of one file column (the PAM depth)
};

// Every colour space the library knows, in code order.
const std::vector<SpaceInfo>& AllSpaces();

// True when the names are the same but for the case of ASCII letters.
bool SameName(const char* a, const std::string& b);

// The space of a name (case-insensitive), or null.
const SpaceInfo* FindSpace(const std::string& name);
const SpaceInfo* FindSpace(int32_t code);

// Bytes of a tightly packed buffer of width x height pixels.
size_t PackedBytes(const SpaceInfo& space, int32_t width, int32_t height);

// True when width and height fit the space's pixel groups.
bool FitsGroups(const SpaceInfo& space, int32_t width, int32_t height);

// "YUY2 needs a width multiple of 2 ..." for a size that does not fit.
std::string GroupRule(const SpaceInfo& space);

// The largest image the tool takes: every buffer of it fits comfortably in memory
// and in the library's 32-bit sizes.
bool SizeWithinLimits(int32_t width, int32_t height);

// Bytes of one unpadded row of a packed space (the luminance row for YVU9), and
// the row length from which the padding of an aligned row is computed (XYZ pads
// as if its rows were 3 bytes a pixel).
size_t RowBytes(const SpaceInfo& space, int32_t width);
size_t PaddingBaseBytes(const SpaceInfo& space, int32_t width);

// The distance between rows of an aligned buffer: a row of N bytes is followed by
// A - (N mod A) padding bytes when A >= 1 and A does not divide N.
size_t AlignedStride(const SpaceInfo& space, int32_t width, int32_t align);

}  // namespace qclr_tool
