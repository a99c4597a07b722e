// The library's own profiles, carried as "ICM" resources.
#include "icc/icc_profile.h"
#include "platform/platform.h"

namespace qclr {

int32_t IccBuiltinProfileId(uint32_t format) {
  switch (format) {
    case 0x40019:  // RGB, 3 x 8 bits
    case 0x40419:  // BGR, 3 x 8 bits
      return 105;
    case 0x50019:  // CMY, 3 x 8 bits
      return 110;
    case 0x60021:  // CMYK, 4 x 8 bits
      return 107;
    case 0xA0019:  // CIE Lab, 3 x 8 bits
      return 106;
    default:
      return 0;
  }
}

IccProfile* IccOpenBuiltinProfile(uint32_t format, int32_t* systemError) {
  if (systemError != nullptr) *systemError = platform::kErrorSuccess;
  const int32_t id = IccBuiltinProfileId(format);
  if (id == 0) return nullptr;
  platform::ResourceBytes resource;
  const int32_t error = platform::FindLibraryResource("ICM", id, &resource);
  if (error != platform::kErrorSuccess) {
    if (systemError != nullptr) *systemError = error;
    return nullptr;
  }
  return IccOpenProfileFromMem(resource.data, resource.size);
}

}  // namespace qclr
