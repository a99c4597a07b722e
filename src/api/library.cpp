#include "api/library.h"

#include "direct/conversion_tables.h"
#include "handle/handle_registry.h"
#include "qclr/qclr.h"

namespace qclr {

void OnProcessAttach() { BuildConversionTables(); }

void OnProcessDetach() {
  while (ClrHandle* oldest = OldestHandle()) Q_ClrFree(oldest);
}

}  // namespace qclr
