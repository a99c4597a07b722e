// What the library does when a process loads and unloads it; the platform layer's
// entry point calls these (declared in platform/platform.h).
#include "direct/conversion_tables.h"
#include "handle/handle_registry.h"
#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr {

void OnProcessAttach() { BuildConversionTables(); }

void OnProcessDetach() {
  while (ClrHandle* oldest = OldestHandle()) Q_ClrFree(oldest);
}

}  // namespace qclr
