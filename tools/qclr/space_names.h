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

// The space of a name (case-insensitive), or null.
const SpaceInfo* FindSpace(const std::string& name);
const SpaceInfo* FindSpace(int32_t code);

// Bytes of a tightly packed buffer of width x height pixels.
size_t PackedBytes(const SpaceInfo& space, int32_t width, int32_t height);

// True when width and height fit the space's pixel groups.
bool FitsGroups(const SpaceInfo& space, int32_t width, int32_t height);

}  // namespace qclr_tool
