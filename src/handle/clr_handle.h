// The conversion handle record. Created by handle initialisation, registered in the
// handle registry, released by Q_ClrFree; it owns everything it points to except
// builtinTable, which points into the library's resources.
#pragma once

#include <cstdint>

#include "qclr/qclr.h"

namespace qclr {

struct ColorTransform;
struct LabDecodeTable;
struct LabEncodeTable;
struct YccTables;

// The value of structSize in every live handle, on every target.
inline constexpr uint32_t kHandleMarker = 864;

// True for the five method values a handle can be prepared for and convert by
// (not the automatic choice, which initialisation resolves).
inline bool IsMethodValue(int32_t m) {
  return m == METHOD_BUILTIN || m == METHOD_ICC || m == METHOD_CUSTOM_ICC ||
         m == METHOD_BUILTIN_TABLES || m == METHOD_CUSTOM_TABLES;
}

}  // namespace qclr

struct ClrHandle {
  uint32_t structSize;  // kHandleMarker
  int32_t srcSpace;
  int32_t dstSpace;
  qclr::ColorTransform* iccTransform;        // between the built-in profiles
  qclr::ColorTransform* customIccTransform;  // between the caller's profile files
  uint32_t srcFormat;  // one step: pixel-format words; two steps: colour-space codes
  uint32_t dstFormat;
  CmykOptions* cmykOptions;  // own copy, or null
  YuvLayout* yuvLayout;      // own (shallow) copy, or null
  int32_t pathKind;          // 1 one step, 2 two steps through RGB
  WhitePoint* whitePoint;    // own copy; null for bare handles
  int32_t method;            // active method
  uint32_t methodMask;       // methods prepared
  char srcProfileName[QCLR_FILE_NAME_SIZE];
  char dstProfileName[QCLR_FILE_NAME_SIZE];
  char tableFileName[QCLR_FILE_NAME_SIZE];
  const uint8_t* builtinTable;  // into the resources, not owned
  uint8_t* customTable;         // owned
  int32_t gammaHundredths;      // 45
  qclr::LabDecodeTable* labDecode;
  qclr::LabEncodeTable* labEncode;
  qclr::YccTables* yccTables;  // own tables for a YCCK source
};
