#include "api/emulation_table_loading.h"

#include <cstring>

#include "api/handle_contents.h"
#include "api/table_image.h"
#include "base/memory.h"
#include "direct/color_space.h"
#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr {

bool EmulationTableFor(int32_t srcSpace, int32_t dstSpace, EmulationTableKind* kind) {
  if (srcSpace == CSP_CMYK && IsRgbSide(dstSpace)) {
    *kind = {111, 250563, 250563};  // 17^4 nodes of R, G, B
  } else if (IsRgbSide(srcSpace) && dstSpace == CSP_LAB) {
    *kind = {113, 108300, 107811};  // 33^3 nodes of L, a, b and 489 unused bytes
  } else if (srcSpace == CSP_LAB && IsRgbSide(dstSpace)) {
    *kind = {112, 108300, 107811};
  } else {
    return false;
  }
  return true;
}

int32_t LoadEmulationTable(ClrHandle* h, int32_t srcSpace, int32_t dstSpace,
                           const char (&tableFileName)[QCLR_FILE_NAME_SIZE], int custom) {
  EmulationTableKind kind{};
  const bool hasTable = EmulationTableFor(srcSpace, dstSpace, &kind);
  if (custom == 0) {
    platform::ResourceBytes resource{};
    if (hasTable && platform::FindLibraryResource("ET", kind.resourceId, &resource) == 0 &&
        resource.size >= kind.bytes) {
      h->builtinTable = resource.data;
    }
    return CLR_OK;
  }
  if (!FileNameUsable(tableFileName)) return CLR_ERR_FILE_NAME;
  std::memcpy(h->tableFileName, tableFileName, QCLR_FILE_NAME_SIZE);
  if (!hasTable) return CLR_OK;
  MemFree(h->customTable);
  h->customTable = static_cast<uint8_t*>(MemAlloc(kind.bytes));
  if (h->customTable == nullptr) return CLR_ERR_NOMEM;
  return ReadTableImage(h->tableFileName, h->customTable, kind.bytes, kind.usedBytes);
}

}  // namespace qclr
