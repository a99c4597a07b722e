// What a conversion handle owns, released in one place for Q_ClrFree and for
// handle creation and change that fail half way.
#pragma once

#include "handle/clr_handle.h"

namespace qclr {

// Releases every record, table and transform the handle holds (not the handle
// record itself) and clears the fields. Every transform present is deleted,
// whatever methods the handle was prepared for.
void ReleaseHandleContents(ClrHandle* handle);

// True when `name` is a usable file name: not empty and zero-terminated within its
// fixed field (at most 259 characters). Never reads past the field.
bool FileNameUsable(const char (&name)[QCLR_FILE_NAME_SIZE]);

// Checks of the caller's records shared by creation and change (method values:
// IsMethodValue in handle/clr_handle.h): CMYK black generation 0..1000; Lab ranges not zero; a YUV layout that means
// something; a chromaticity inside the triangle of real colours (0 < x, 0 < y,
// x + y < 1).
bool CmykOptionsValid(const CmykOptions& options);
bool LabOptionsValid(const LabOptions& options);
bool YuvLayoutValid(const YuvLayout& layout);
bool WhitePointValid(const WhitePoint& white);

// The handle's own copy of a layout that YuvLayoutValid accepts: the record and the
// offsets it reads in one block (released with the record), sampleOffsets pointing
// at the block's array. Null when memory runs out.
YuvLayout* CopyYuvLayout(const YuvLayout& layout);

}  // namespace qclr
