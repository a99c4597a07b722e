// Resource lookup over the table of resources linked into the library.
#include "platform/platform.h"
#include "platform/posix/embedded_resources.h"

namespace qclr::platform {
namespace {

// Resource type names compare without regard to ASCII case, as on Windows.
bool SameTypeName(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

}  // namespace

int32_t FindLibraryResource(const char* type, int32_t id, ResourceBytes* resource) {
  if (type == nullptr || resource == nullptr) return kErrorInvalidParameter;
  bool typeFound = false;
  for (int32_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const EmbeddedResource& entry = kEmbeddedResources[i];
    if (!SameTypeName(entry.type, type)) continue;
    typeFound = true;
    if (entry.id != id) continue;
    resource->data = entry.data;
    resource->size = *entry.size;
    return kErrorSuccess;
  }
  return typeFound ? kErrorResourceNameNotFound : kErrorResourceTypeNotFound;
}

}  // namespace qclr::platform
