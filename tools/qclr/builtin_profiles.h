// The library's four built-in ICC profiles, carried by the tool as well: they are
// written into output files converted by the icc method, and given to the engine as
// files where one side of a custom-icc conversion asks for "builtin".
#pragma once

#include <cstdint>
#include <vector>

namespace qclr_tool {

// The built-in profile serving the space (RGB and BGR: the display profile; CMYK
// and YCCK: the press profile; CMY; LAB), or an empty vector.
const std::vector<uint8_t>& BuiltinProfile(int32_t space);

}  // namespace qclr_tool
