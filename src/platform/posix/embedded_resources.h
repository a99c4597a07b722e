// The resources linked into the library on POSIX systems. The table is generated
// at build time from resources/manifest.txt; the bytes are assembled into the
// library with .incbin, all symbols hidden.
#pragma once

#include <cstdint>

namespace qclr::platform {

struct EmbeddedResource {
  const char* type;
  int32_t id;
  const uint8_t* data;
  const uint32_t* size;  // assembled beside the data
};

extern const EmbeddedResource kEmbeddedResources[];
extern const int32_t kEmbeddedResourceCount;

}  // namespace qclr::platform
