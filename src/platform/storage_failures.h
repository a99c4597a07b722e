// The forced failures of the bitmap storage services, consulted by their
// implementations on every call.
#pragma once

#include "platform/platform.h"

namespace qclr::platform {

// True when this call of `service` must fail; counts the call either way.
bool StorageCallFails(StorageService service);

}  // namespace qclr::platform
