// Q_ClrInit: creates a conversion handle for one pair of colour spaces, prepared
// for every method the caller asks for. All the expensive work (ICC transforms,
// emulation tables, Lab records, YCbCr tables) happens here once.
#include <cstring>

#include "api/emulation_table_loading.h"
#include "api/handle_contents.h"
#include "base/cpu_level.h"
#include "base/memory.h"
#include "base/owned.h"
#include "direct/color_space.h"
#include "direct/conversion_tables.h"
#include "handle/clr_handle.h"
#include "handle/handle_registry.h"
#include "handle/lab_records.h"
#include "icc/icc_engine.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

constexpr uint32_t kMethodBits = METHOD_BUILTIN | METHOD_ICC | METHOD_CUSTOM_ICC |
                                 METHOD_BUILTIN_TABLES | METHOD_CUSTOM_TABLES;
constexpr int32_t kGammaHundredths = 45;
constexpr uint32_t kDefaultTemperature = 50;

// A YCCK side converts through the CMYK profile.
int32_t IccSpace(int32_t space) { return space == CSP_YCCK ? CSP_CMYK : space; }

// Releases a handle that failed during creation, registered or not.
void AbandonHandle(ClrHandle* h) {
  UnregisterHandle(h);
  ReleaseHandleContents(h);
  MemFree(h);
}

// A handle being made: abandoned on every early return, handed to the caller
// with release() once it is complete.
using NewHandleOwner = Owned<ClrHandle, AbandonHandle>;

NewHandleOwner NewHandle(int32_t srcSpace, int32_t dstSpace) {
  NewHandleOwner h(static_cast<ClrHandle*>(MemCalloc(1, sizeof(ClrHandle))));
  if (h == nullptr) return nullptr;
  h->structSize = kHandleMarker;
  h->srcSpace = srcSpace;
  h->dstSpace = dstSpace;
  return h;
}

int32_t AddYccTables(ClrHandle* h) {
  h->yccTables = static_cast<YccTables*>(MemAlloc(sizeof(YccTables)));
  if (h->yccTables == nullptr) return CLR_ERR_NOMEM;
  BuildYccDecodeTables(h->yccTables);
  return CLR_OK;
}

// Builds one transform for the handle's formats with the handle's white point.
ColorTransform* BuildTransform(const ClrHandle& h, uint32_t srcFormat, uint32_t dstFormat,
                               int32_t useFiles, int32_t* status) {
  const WhitePoint& white = *h.whitePoint;
  if (white.kind != 0) {
    return IccCreateTransformByTemperature(srcFormat, dstFormat, white.kind, useFiles,
                                           h.srcProfileName, h.dstProfileName, status);
  }
  return IccCreateTransformByWhitePoint(srcFormat, dstFormat, white.x, white.y, useFiles,
                                        h.srcProfileName, h.dstProfileName, status);
}

int32_t ReplaceTransform(ColorTransform** slot, ColorTransform* t) {
  IccDeleteTransform(*slot);
  *slot = t;
  return CLR_OK;
}

bool HasBuiltinProfile(int32_t space) {
  return space == CSP_RGB || space == CSP_BGR || space == CSP_CMYK || space == CSP_CMY ||
         space == CSP_LAB;
}

// The transform between the built-in profiles. With equal spaces both directions
// are built and the second replaces the first.
int32_t SelectBuiltinTransform(ClrHandle* h, int32_t src, int32_t dst) {
  if (!HasBuiltinProfile(src) || !HasBuiltinProfile(dst)) return CLR_ERR_COLORSPACE;
  // The RGB side's word: CSP_RGB's for CSP_RGB, CSP_BGR's for any other space.
  const auto rgbWord = [](int32_t space) {
    return IccFormatOfSpace(space == CSP_RGB ? CSP_RGB : CSP_BGR);
  };
  int32_t status = CLR_OK;
  if (src == CSP_CMYK || src == CSP_CMY || src == CSP_LAB) {
    h->srcFormat = IccFormatOfSpace(src);
    h->dstFormat = rgbWord(dst);
    ColorTransform* t = BuildTransform(*h, h->srcFormat, h->dstFormat, 0, &status);
    ReplaceTransform(&h->iccTransform, t);
    if (status != CLR_OK) return status;
  }
  if (dst == CSP_CMYK || dst == CSP_CMY || dst == CSP_LAB) {
    h->dstFormat = IccFormatOfSpace(dst);
    h->srcFormat = rgbWord(src);
    ColorTransform* t = BuildTransform(*h, h->srcFormat, h->dstFormat, 0, &status);
    ReplaceTransform(&h->iccTransform, t);
  }
  return status;
}

int32_t PrepareCustomTransform(ClrHandle* h, const ConversionParams& p, int32_t src, int32_t dst) {
  if (!FileNameUsable(p.srcProfileName) || !FileNameUsable(p.dstProfileName)) {
    return CLR_ERR_FILE_NAME;
  }
  std::memcpy(h->srcProfileName, p.srcProfileName, QCLR_FILE_NAME_SIZE);
  std::memcpy(h->dstProfileName, p.dstProfileName, QCLR_FILE_NAME_SIZE);
  if (IccFormatOfSpace(src) != 0) h->srcFormat = IccFormatOfSpace(src);
  if (IccFormatOfSpace(dst) != 0) h->dstFormat = IccFormatOfSpace(dst);
  int32_t status = CLR_OK;
  h->customIccTransform = BuildTransform(*h, h->srcFormat, h->dstFormat, 1, &status);
  return status;
}

template <typename Record>
int32_t CopyRecord(const Record& from, Record** to) {
  *to = static_cast<Record*>(MemAlloc(sizeof(Record)));
  if (*to == nullptr) return CLR_ERR_NOMEM;
  std::memcpy(*to, &from, sizeof(Record));
  return CLR_OK;
}

int32_t PrepareLabRecords(ClrHandle* h, const LabOptions& options) {
  h->labDecode = static_cast<LabDecodeTable*>(MemCalloc(1, sizeof(LabDecodeTable)));
  h->labEncode = static_cast<LabEncodeTable*>(MemCalloc(1, sizeof(LabEncodeTable)));
  if (h->labDecode == nullptr || h->labEncode == nullptr) return CLR_ERR_NOMEM;
  SetLabParametersFromOptions(*h->labDecode, *h->labEncode, options);
  BuildLabDecode(*h->labDecode, h->gammaHundredths);
  BuildLabEncode(*h->labEncode, h->gammaHundredths);
  return CLR_OK;
}

// The option records of the sides the handle has.
int32_t PrepareOptions(ClrHandle* h, const ConversionParams& p) {
  const auto hasSide = [h](int32_t space) { return h->srcSpace == space || h->dstSpace == space; };
  if (hasSide(CSP_CMYK) && p.cmykOptions != nullptr) {
    if (p.cmykOptions->structSize != QCLR_CMYK_OPTIONS_SIZE) return CLR_ERR_STRUCT_SIZE;
    if (!CmykOptionsValid(*p.cmykOptions)) return CLR_ERR_PARAM;
    if (int32_t s = CopyRecord(*p.cmykOptions, &h->cmykOptions); s != CLR_OK) return s;
  }
  if (hasSide(CSP_YUV) && p.yuvLayout != nullptr) {
    if (p.yuvLayout->structSize != QCLR_YUV_LAYOUT_SIZE) return CLR_ERR_STRUCT_SIZE;
    if (!YuvLayoutValid(*p.yuvLayout)) return CLR_ERR_PARAM;
    h->yuvLayout = CopyYuvLayout(*p.yuvLayout);  // with its own offsets
    if (h->yuvLayout == nullptr) return CLR_ERR_NOMEM;
  }
  if (hasSide(CSP_LAB) && p.labOptions != nullptr) {
    if (p.labOptions->structSize != QCLR_LAB_OPTIONS_SIZE) return CLR_ERR_STRUCT_SIZE;
    if (!LabOptionsValid(*p.labOptions)) return CLR_ERR_PARAM;
    if (int32_t s = PrepareLabRecords(h, *p.labOptions); s != CLR_OK) return s;
  }
  return CLR_OK;
}

// METHOD_AUTO in both method and flags: the method for the pair, or 0 when there
// is no sensible choice.
int32_t AutomaticMethod(int32_t src, int32_t dst) {
  const auto either = [src, dst](int32_t space) { return src == space || dst == space; };
  if (!IsRgbSide(src) && !IsRgbSide(dst)) return METHOD_BUILTIN;
  if (either(CSP_CMYK)) return METHOD_ICC;
  if (either(CSP_LAB)) return METHOD_BUILTIN;
  if (src == CSP_YCCK && IsRgbSide(dst)) return METHOD_ICC;
  return 0;
}

// Everything after registration; a status other than CLR_OK abandons the handle.
// `chose` tells whether the automatic choice was written into the caller's record.
int32_t Prepare(ClrHandle* h, ConversionParams& p, bool* chose) {
  const int32_t src = h->srcSpace, dst = h->dstSpace;
  WhitePoint white{};
  white.kind = kDefaultTemperature;
  if (p.whitePoint != nullptr) {
    white = *p.whitePoint;
    if (!WhitePointValid(white)) return CLR_ERR_PARAM;
  }
  if (int32_t s = CopyRecord(white, &h->whitePoint); s != CLR_OK) return s;

  // The automatic choice is written into the caller's record while the call runs;
  // it stays there when a later step fails.
  if (p.flags == METHOD_AUTO && p.method == METHOD_AUTO) {
    if (const int32_t m = AutomaticMethod(src, dst); m != 0) {
      p.method = m;
      p.flags = static_cast<uint32_t>(m);
      *chose = true;
    }
  }

  const uint32_t prepared = p.flags & kMethodBits;
  if (prepared == 0 || !IsMethodValue(p.method) || (prepared & static_cast<uint32_t>(p.method)) == 0) {
    return CLR_ERR_METHOD;
  }
  h->method = p.method;
  h->methodMask = prepared;
  h->gammaHundredths = kGammaHundredths;
  h->pathKind = src == dst || IsRgbSide(src) || IsRgbSide(dst) ? 1 : 2;

  if (h->pathKind == 2) {
    h->srcFormat = static_cast<uint32_t>(src);
    h->dstFormat = static_cast<uint32_t>(dst);
  } else {
    if (prepared & METHOD_ICC) {
      if (int32_t s = SelectBuiltinTransform(h, IccSpace(src), IccSpace(dst)); s != CLR_OK) return s;
    }
    if (prepared & METHOD_CUSTOM_ICC) {
      if (int32_t s = PrepareCustomTransform(h, p, src, dst); s != CLR_OK) return s;
    }
  }
  if (prepared & METHOD_BUILTIN_TABLES) {
    if (int32_t s = LoadEmulationTable(h, src, dst, p.tableFileName, 0); s != CLR_OK) return s;
  }
  if (prepared & METHOD_CUSTOM_TABLES) {
    if (int32_t s = LoadEmulationTable(h, src, dst, p.tableFileName, 1); s != CLR_OK) return s;
  }
  if (int32_t s = PrepareOptions(h, p); s != CLR_OK) return s;
  if (src == CSP_YCCK) return AddYccTables(h);
  return CLR_OK;
}

}  // namespace
}  // namespace qclr

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrInit(ClrHandle** outHandle, int32_t srcSpace,
                                                int32_t dstSpace, ConversionParams* params) {
  using namespace qclr;
  RefreshCpuLevel();
  if (outHandle == nullptr) return CLR_ERR_PARAM;

  // Same spaces without bit 4 of flags: a bare handle that converts by copying.
  // flags is read only from a record of the right size (a shorter one ends before
  // it); other records are refused below.
  const bool wholeRecord = params != nullptr && params->structSize == QCLR_CONVERSION_PARAMS_SIZE;
  if (srcSpace == dstSpace && (params == nullptr || (wholeRecord && (params->flags & 4) == 0))) {
    NewHandleOwner h = NewHandle(srcSpace, dstSpace);
    if (h == nullptr || !RegisterHandle(h.get())) return CLR_ERR_NOMEM;
    *outHandle = h.release();
    return CLR_OK;
  }
  if ((srcSpace == CSP_RGB && dstSpace == CSP_BGR) || (srcSpace == CSP_BGR && dstSpace == CSP_RGB)) {
    return CLR_ERR_COLORSPACE;  // the two orders swap by the formulas only
  }
  if (params != nullptr && params->structSize != QCLR_CONVERSION_PARAMS_SIZE) {
    return CLR_ERR_STRUCT_SIZE;
  }
  if (!IsValidColorSpace(srcSpace) || !IsValidColorSpace(dstSpace)) return CLR_ERR_COLORSPACE;
  NewHandleOwner h = NewHandle(srcSpace, dstSpace);
  if (h == nullptr) return CLR_ERR_NOMEM;

  if (params == nullptr) {
    h->method = METHOD_BUILTIN;
    h->methodMask = METHOD_BUILTIN;
    h->pathKind = IsRgbSide(srcSpace) || IsRgbSide(dstSpace) ? 1 : 2;
    h->gammaHundredths = kGammaHundredths;
    if (!RegisterHandle(h.get())) return CLR_ERR_NOMEM;
    if (srcSpace == CSP_YCCK && AddYccTables(h.get()) != CLR_OK) return CLR_ERR_NOMEM;
    *outHandle = h.release();
    return CLR_OK;
  }

  if (params->method == METHOD_BUILTIN_TABLES && params->tableBits != 8) return CLR_ERR_PARAM;
  if (!RegisterHandle(h.get())) return CLR_ERR_NOMEM;
  bool chose = false;
  const int32_t status = Prepare(h.get(), *params, &chose);
  if (status != CLR_OK) return status;
  if (chose) {  // a successful call leaves METHOD_AUTO in the record
    params->method = METHOD_AUTO;
    params->flags = METHOD_AUTO;
  }
  *outHandle = h.release();
  return CLR_OK;
}
