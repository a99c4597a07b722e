// Where a handle's emulation table comes from: a resource of the library for the
// built-in tables, a TIFF file named by the caller for custom ones.
#pragma once

#include <cstddef>
#include <cstdint>

#include "handle/clr_handle.h"

namespace qclr {

// The table of a colour-space pair: its "ET" resource id, its size in bytes and
// the bytes its lookups read (a file may hold just those). False for pairs
// without a table. BGR takes RGB's tables.
struct EmulationTableKind {
  int32_t resourceId;
  size_t bytes;
  size_t usedBytes;
};
bool EmulationTableFor(int32_t srcSpace, int32_t dstSpace, EmulationTableKind* kind);

// custom 0: points builtinTable at the pair's resource (nothing for other pairs).
// custom 1: copies `tableFileName` into the handle and, for a pair with a table,
// reads the file into a new customTable. Returns CLR_OK, CLR_ERR_FILE_NAME,
// CLR_ERR_NOMEM, CLR_ERR_TABLE_FORMAT or the system error of the file.
int32_t LoadEmulationTable(ClrHandle* handle, int32_t srcSpace, int32_t dstSpace,
                           const char (&tableFileName)[QCLR_FILE_NAME_SIZE], int custom);

}  // namespace qclr
