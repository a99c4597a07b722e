// Q_ClrStatusText: the name and one-line meaning of every status the library
// returns; statuses above 1 are system error numbers, described by the platform.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

struct StatusEntry {
  int32_t status;
  const char* name;
  const char* text;
};

constexpr StatusEntry kStatuses[] = {
    {CLR_OK, "CLR_OK", "success"},
    {CLR_CANCELLED, "CLR_CANCELLED", "the user cancelled the settings dialog; no handle was created"},
    {CLR_ERR_NOMEM, "CLR_ERR_NOMEM", "an allocation failed"},
    {CLR_ERR_FILE_NAME, "CLR_ERR_FILE_NAME",
     "a file name the method needs is empty or 260 characters or longer"},
    {CLR_ERR_PARAM, "CLR_ERR_PARAM",
     "an invalid argument (null pointer, bad size or alignment, missing record)"},
    {CLR_ERR_HANDLE, "CLR_ERR_HANDLE", "the handle is not a live conversion handle"},
    {CLR_ERR_SAME_BUFFER, "CLR_ERR_SAME_BUFFER",
     "the same buffer was given as source and destination where that is not converted in place"},
    {CLR_ERR_COLORSPACE, "CLR_ERR_COLORSPACE",
     "an unknown colour-space code, or a pair the chosen route cannot convert"},
    {CLR_ERR_METHOD, "CLR_ERR_METHOD",
     "no conversion method, a method not prepared for the handle, or one that cannot convert "
     "this pair"},
    {CLR_ERR_PROFILE_OPEN, "CLR_ERR_PROFILE_OPEN",
     "an ICC profile cannot be opened (missing, unreadable, or not an ICC profile)"},
    {CLR_ERR_PROFILE_MISMATCH, "CLR_ERR_PROFILE_MISMATCH",
     "a profile does not fit the colour space, or lacks the tables or tags a transform needs"},
    {CLR_ERR_STRUCT_SIZE, "CLR_ERR_STRUCT_SIZE", "the structSize field of a record is wrong"},
    {CLR_ERR_TABLE_FORMAT, "CLR_ERR_TABLE_FORMAT",
     "an emulation table file is not an uncompressed 8-bit TIFF of the table's size"},
    {CLR_ERR_BITMAP_STORAGE, "CLR_ERR_BITMAP_STORAGE", "no pixel storage could be allocated for the bitmap"},
    {CLR_ERR_BITMAP_TILES, "CLR_ERR_BITMAP_TILES", "the bitmap storage could not be split into tiles"},
    {CLR_ERR_BITMAP_SEEK, "CLR_ERR_BITMAP_SEEK", "the bitmap's temporary file could not be positioned"},
    {CLR_ERR_BITMAP_WRITE, "CLR_ERR_BITMAP_WRITE", "writing the bitmap's temporary file failed"},
    {CLR_ERR_BITMAP_EMPTY, "CLR_ERR_BITMAP_EMPTY", "the bitmap has no pixels"},
    {CLR_ERR_BITMAP_BITS, "CLR_ERR_BITMAP_BITS", "a bit count the bitmap record cannot describe"},
};

// Copies `value` zero-terminated into `out`, cut to `size` - 1 characters.
void CopyCut(const char* value, char* out, int32_t size) {
  if (out == nullptr || size <= 0) return;
  const size_t kept = std::min(std::strlen(value), static_cast<size_t>(size) - 1);
  std::memcpy(out, value, kept);
  out[kept] = '\0';
}

}  // namespace
}  // namespace qclr

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrStatusText(int32_t status, char* name, int32_t nameSize,
                                                      char* text, int32_t textSize) {
  using namespace qclr;
  if (nameSize < 0 || textSize < 0) return CLR_ERR_PARAM;
  if (status > CLR_OK) {
    CopyCut("SYSTEM_ERROR", name, nameSize);
    if (text != nullptr && textSize > 0) {
      platform::SystemErrorMessage(status, text, static_cast<size_t>(textSize));
    }
    return CLR_OK;
  }
  for (const StatusEntry& e : kStatuses) {
    if (e.status == status) {
      CopyCut(e.name, name, nameSize);
      CopyCut(e.text, text, textSize);
      return CLR_OK;
    }
  }
  char unknown[48];
  std::snprintf(unknown, sizeof unknown, "unknown status %ld", static_cast<long>(status));
  CopyCut("CLR_ERR_UNKNOWN", name, nameSize);
  CopyCut(unknown, text, textSize);
  return CLR_ERR_PARAM;
}
