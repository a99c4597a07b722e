#include "api/library.h"

#include "api/handle_registry.h"
#include "direct/conversion_tables.h"
#include "qclr/qclr.h"

namespace qclr {

void OnProcessAttach() { BuildConversionTables(); }

void OnProcessDetach() {
  while (ClrHandle* oldest = OldestHandle()) Q_ClrFree(oldest);
}

}  // namespace qclr
