// Q_ClrSetConversionParams: changes parameter groups of a live handle in place and
// rebuilds what depends on them. Groups apply in a fixed order; a failure leaves
// the groups before it applied, and releases what the failing call created. The
// group that fails leaves the handle as it found it: a new transform or table
// replaces the old one only once it is complete, so a handle never loses the one
// it converts with to a missing file or a failed allocation.
#include <cstring>

#include "api/emulation_table_loading.h"
#include "api/handle_contents.h"
#include "api/table_image.h"
#include "base/memory.h"
#include "base/owned.h"
#include "handle/clr_handle.h"
#include "handle/described_yuv.h"
#include "handle/handle_registry.h"
#include "handle/lab_records.h"
#include "icc/icc_engine.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// Group bits of ConversionParams::flags.
constexpr uint32_t kGroupMethod = 1;
constexpr uint32_t kGroupProfiles = 2;
constexpr uint32_t kGroupWhitePoint = 4;
constexpr uint32_t kGroupTableFile = 8;
constexpr uint32_t kGroupCmyk = 16;
constexpr uint32_t kGroupYuv = 32;
constexpr uint32_t kGroupLab = 64;

constexpr uint32_t kDefaultTemperature = 50;

bool HasSide(const ClrHandle& h, int32_t space) { return h.srcSpace == space || h.dstSpace == space; }

// Records created by this call, released again when a later group fails.
struct Created {
  bool cmykOptions = false;
  bool yuvLayout = false;
  bool labDecode = false;
  bool whitePoint = false;
  void Undo(ClrHandle* h) const {
    if (cmykOptions) { MemFree(h->cmykOptions); h->cmykOptions = nullptr; }
    if (yuvLayout) { MemFree(h->yuvLayout); h->yuvLayout = nullptr; }
    if (labDecode) { MemFree(h->labDecode); h->labDecode = nullptr; }
    if (whitePoint) { MemFree(h->whitePoint); h->whitePoint = nullptr; }
  }
};

int32_t ChangeCmyk(ClrHandle* h, const CmykOptions* options, Created* created) {
  if (!HasSide(*h, CSP_CMYK)) return CLR_ERR_METHOD;
  if (options == nullptr) return CLR_ERR_PARAM;
  if (options->structSize != QCLR_CMYK_OPTIONS_SIZE) return CLR_ERR_STRUCT_SIZE;
  if (h->cmykOptions == nullptr) {
    if (!CmykOptionsValid(*options)) return CLR_ERR_PARAM;
    h->cmykOptions = static_cast<CmykOptions*>(MemAlloc(sizeof(CmykOptions)));
    if (h->cmykOptions == nullptr) return CLR_ERR_NOMEM;
    *h->cmykOptions = *options;
    created->cmykOptions = true;
  } else if (options->mask & 1) {
    if (!CmykOptionsValid(*options)) return CLR_ERR_PARAM;
    h->cmykOptions->value = options->value;
  }
  return CLR_OK;
}

int32_t ChangeYuv(ClrHandle* h, const YuvLayout* from, Created* created) {
  if (!HasSide(*h, CSP_YUV)) return CLR_ERR_METHOD;
  if (from == nullptr) return CLR_ERR_PARAM;
  if (from->structSize != QCLR_YUV_LAYOUT_SIZE) return CLR_ERR_STRUCT_SIZE;
  if (h->yuvLayout == nullptr) {
    if (!YuvLayoutValid(*from)) return CLR_ERR_PARAM;
    h->yuvLayout = CopyYuvLayout(*from);
    if (h->yuvLayout == nullptr) return CLR_ERR_NOMEM;
    created->yuvLayout = true;
    return CLR_OK;
  }
  // The fields the caller's mask selects, checked together before any is taken.
  YuvLayout next = *h->yuvLayout;
  const uint32_t m = from->mask;
  if (m & 1) next.uStepX = from->uStepX;
  if (m & 2) next.uStepY = from->uStepY;
  if (m & 4) next.vStepX = from->vStepX;
  if (m & 8) next.vStepY = from->vStepY;
  if (m & 32) next.groupPixels = from->groupPixels;
  if (m & 64) next.noOffsets = from->noOffsets;
  if (m & 16) {
    // New offsets: the entries the new layout reads, from the caller's array into
    // an array of the handle's own.
    if (from->sampleOffsets == nullptr) return CLR_ERR_PARAM;
    next.sampleOffsets = from->sampleOffsets;
    if (!YuvLayoutValid(next)) return CLR_ERR_PARAM;
    YuvLayout* copy = CopyYuvLayout(next);
    if (copy == nullptr) return CLR_ERR_NOMEM;
    MemFree(h->yuvLayout);
    h->yuvLayout = copy;
    return CLR_OK;
  }
  // The handle's array holds the entries of its current layout; the new layout may
  // read no more of them.
  const int64_t entries = YuvLayoutOffsetEntries(next);
  if (entries < 1 || entries > YuvLayoutOffsetEntries(*h->yuvLayout) || !YuvLayoutValid(next)) {
    return CLR_ERR_PARAM;
  }
  *h->yuvLayout = next;
  return CLR_OK;
}

int32_t ChangeLab(ClrHandle* h, const LabOptions* options, Created* created) {
  if (!HasSide(*h, CSP_LAB)) return CLR_ERR_METHOD;
  if (options == nullptr) return CLR_ERR_PARAM;
  if (options->structSize != QCLR_LAB_OPTIONS_SIZE) return CLR_ERR_STRUCT_SIZE;
  if (h->labDecode == nullptr) {
    // A handle made without Lab options gets the D50 record with the default
    // encoding; the caller's values are not used.
    h->labDecode = static_cast<LabDecodeTable*>(MemCalloc(1, sizeof(LabDecodeTable)));
    if (h->labDecode == nullptr) return CLR_ERR_NOMEM;
    created->labDecode = true;
    SetDefaultLabDecodeParameters(*h->labDecode);
  } else {
    LabDecodeTable& d = *h->labDecode;
    LabOptions next{};
    next.lOffset = d.lOffset;
    next.lRange = d.lRange;
    next.aOffset = d.aOffset;
    next.aRange = d.aRange;
    next.bOffset = d.bOffset;
    next.bRange = d.bRange;
    const uint32_t m = options->mask;
    if (m & 1) next.lOffset = options->lOffset;
    if (m & 2) next.lRange = options->lRange;
    if (m & 4) next.aOffset = options->aOffset;
    if (m & 8) next.aRange = options->aRange;
    if (m & 16) next.bOffset = options->bOffset;
    if (m & 32) next.bRange = options->bRange;
    if (!LabOptionsValid(next)) return CLR_ERR_PARAM;
    d.lOffset = next.lOffset;
    d.lRange = next.lRange;
    d.aOffset = next.aOffset;
    d.aRange = next.aRange;
    d.bOffset = next.bOffset;
    d.bRange = next.bRange;
  }
  BuildLabDecode(*h->labDecode, h->gammaHundredths);
  return CLR_OK;
}

// Rebuilds one transform from the handle's formats, white point and profile names;
// the new transform replaces the old one only when it is built. Two-step handles
// convert by the formulas and keep no transform.
int32_t RebuildTransform(ClrHandle* h, ColorTransform** slot, int32_t useFiles) {
  if (h->pathKind == 2) {
    IccDeleteTransform(*slot);
    *slot = nullptr;
    return CLR_OK;
  }
  const uint32_t srcFormat = h->srcFormat != 0 ? h->srcFormat : IccFormatOfSpace(h->srcSpace);
  const uint32_t dstFormat = h->dstFormat != 0 ? h->dstFormat : IccFormatOfSpace(h->dstSpace);
  int32_t status = CLR_OK;
  ColorTransform* built = nullptr;
  const WhitePoint* white = h->whitePoint;
  if (white == nullptr || white->kind != 0) {
    const unsigned temperature = white == nullptr ? kDefaultTemperature : white->kind;
    built = IccCreateTransformByTemperature(srcFormat, dstFormat, temperature, useFiles,
                                            h->srcProfileName, h->dstProfileName, &status);
  } else {
    built = IccCreateTransformByWhitePoint(srcFormat, dstFormat, white->x, white->y, useFiles,
                                           h->srcProfileName, h->dstProfileName, &status);
  }
  if (status != CLR_OK) {
    IccDeleteTransform(built);
    return status;
  }
  IccDeleteTransform(*slot);
  *slot = built;
  return CLR_OK;
}

// The settings a rebuild reads, as a group found them, to be put back when the
// group fails.
struct TransformSettings {
  bool hadWhitePoint;
  WhitePoint whitePoint;
  char srcProfileName[QCLR_FILE_NAME_SIZE];
  char dstProfileName[QCLR_FILE_NAME_SIZE];

  explicit TransformSettings(const ClrHandle& h) : hadWhitePoint(h.whitePoint != nullptr), whitePoint{} {
    if (hadWhitePoint) whitePoint = *h.whitePoint;
    std::memcpy(srcProfileName, h.srcProfileName, QCLR_FILE_NAME_SIZE);
    std::memcpy(dstProfileName, h.dstProfileName, QCLR_FILE_NAME_SIZE);
  }

  // Puts the settings back and passes `status` on.
  int32_t Restore(ClrHandle* h, int32_t status) const {
    if (hadWhitePoint) {
      *h->whitePoint = whitePoint;
    } else {
      MemFree(h->whitePoint);
      h->whitePoint = nullptr;
    }
    std::memcpy(h->srcProfileName, srcProfileName, QCLR_FILE_NAME_SIZE);
    std::memcpy(h->dstProfileName, dstProfileName, QCLR_FILE_NAME_SIZE);
    return status;
  }
};

int32_t CopyProfileNames(ClrHandle* h, const ConversionParams& p) {
  if (!FileNameUsable(p.srcProfileName) || !FileNameUsable(p.dstProfileName)) {
    return CLR_ERR_FILE_NAME;
  }
  std::memcpy(h->srcProfileName, p.srcProfileName, QCLR_FILE_NAME_SIZE);
  std::memcpy(h->dstProfileName, p.dstProfileName, QCLR_FILE_NAME_SIZE);
  return CLR_OK;
}

int32_t ChangeWhitePoint(ClrHandle* h, const ConversionParams& p, Created* created) {
  const int32_t method = h->method;
  if (method != METHOD_BUILTIN && method != METHOD_BUILTIN_TABLES && method != METHOD_ICC &&
      method != METHOD_CUSTOM_ICC) {
    return CLR_OK;
  }
  if (p.whitePoint == nullptr) return CLR_ERR_PARAM;
  if (!WhitePointValid(*p.whitePoint)) return CLR_ERR_PARAM;
  const TransformSettings previous(*h);
  if (h->whitePoint == nullptr) {
    // A handle made without parameters has no copy yet: make one.
    h->whitePoint = static_cast<WhitePoint*>(MemCalloc(1, sizeof(WhitePoint)));
    if (h->whitePoint == nullptr) return CLR_ERR_NOMEM;
  }
  h->whitePoint->kind = p.whitePoint->kind;
  h->whitePoint->x = p.whitePoint->x;
  h->whitePoint->y = p.whitePoint->y;
  int32_t status = CLR_OK;
  if (method == METHOD_CUSTOM_ICC) {
    if (p.flags & kGroupProfiles) status = CopyProfileNames(h, p);
    if (status == CLR_OK) status = RebuildTransform(h, &h->customIccTransform, 1);
  } else if (method == METHOD_ICC) {
    status = RebuildTransform(h, &h->iccTransform, 0);
  }
  if (status != CLR_OK) return previous.Restore(h, status);
  created->whitePoint = !previous.hadWhitePoint;
  return CLR_OK;
}

int32_t ChangeProfiles(ClrHandle* h, const ConversionParams& p) {
  const TransformSettings previous(*h);
  int32_t status = CopyProfileNames(h, p);
  if (status == CLR_OK) status = RebuildTransform(h, &h->customIccTransform, 1);
  return status == CLR_OK ? CLR_OK : previous.Restore(h, status);
}

// A new table is read into a buffer of its own and replaces the handle's table
// when it is complete.
int32_t ChangeTableFile(ClrHandle* h, const ConversionParams& p) {
  if (!FileNameUsable(p.tableFileName)) return CLR_ERR_FILE_NAME;
  EmulationTableKind kind{};
  MemPtr<uint8_t> table;
  if (EmulationTableFor(h->srcSpace, h->dstSpace, &kind)) {
    table = AllocOwned(kind.bytes);
    if (table == nullptr) return CLR_ERR_NOMEM;
    const int32_t status = ReadTableImage(p.tableFileName, table.get(), kind.bytes, kind.usedBytes);
    if (status != CLR_OK) return status;
  }
  std::memcpy(h->tableFileName, p.tableFileName, QCLR_FILE_NAME_SIZE);
  MemFree(h->customTable);
  h->customTable = table.release();  // null for a pair without a table: the name is only stored
  return CLR_OK;
}

int32_t Apply(ClrHandle* h, const ConversionParams& p, Created* created) {
  const uint32_t groups = p.flags;
  if (groups & kGroupMethod) {
    if (!IsMethodValue(p.method) || (h->methodMask & static_cast<uint32_t>(p.method)) == 0) {
      return CLR_ERR_METHOD;
    }
    h->method = p.method;
  }
  if (groups & kGroupCmyk) {
    if (int32_t s = ChangeCmyk(h, p.cmykOptions, created); s != CLR_OK) return s;
  }
  if (groups & kGroupYuv) {
    if (int32_t s = ChangeYuv(h, p.yuvLayout, created); s != CLR_OK) return s;
  }
  if (groups & kGroupLab) {
    if (int32_t s = ChangeLab(h, p.labOptions, created); s != CLR_OK) return s;
  }
  if (groups & kGroupWhitePoint) {
    if (int32_t s = ChangeWhitePoint(h, p, created); s != CLR_OK) return s;
  }
  if (groups & kGroupProfiles) {
    if (int32_t s = ChangeProfiles(h, p); s != CLR_OK) return s;
  }
  if (groups & kGroupTableFile) {
    if (int32_t s = ChangeTableFile(h, p); s != CLR_OK) return s;
  }
  return CLR_OK;
}

}  // namespace
}  // namespace qclr

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrSetConversionParams(ClrHandle* handle,
                                                               const ConversionParams* params) {
  using namespace qclr;
  if (!IsLiveHandle(handle)) return CLR_ERR_PARAM;
  if (params == nullptr) return CLR_ERR_SAME_BUFFER;
  if (params->structSize != QCLR_CONVERSION_PARAMS_SIZE) return CLR_ERR_STRUCT_SIZE;
  Created created;
  const int32_t status = Apply(handle, *params, &created);
  if (status == CLR_ERR_NOMEM) created.Undo(handle);
  return status;
}
