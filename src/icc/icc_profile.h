// ICC profiles (versions 2 and 4) opened from memory, from a file or from the library's
// built-in "ICM" resources. Opening keeps the header fields, the tag directory and
// a private copy of the whole profile; tags are read from that copy on demand
// (icc_tag_readers.h), every read bounded by the profile's size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/owned.h"
#include "icc/icc_byte_reader.h"

namespace qclr {

struct IccTagEntry {
  uint32_t signature;
  uint32_t offset;  // from the start of the profile
  uint32_t size;
};

inline constexpr size_t kIccHeaderSize = 128;
inline constexpr size_t kIccFileNameSize = 260;

struct IccProfile {
  uint32_t version;  // header offset 8: major in the high byte, minor and bug-fix nibbles below
  uint32_t deviceClass;
  uint32_t colorSpace;
  uint32_t connectionSpace;
  uint32_t renderingIntent;
  double illuminant[3];  // X, Y, Z of the header
  int32_t tagCount;
  IccTagEntry* tags;  // tagCount entries in directory order
  char fileName[kIccFileNameSize];  // a file profile's path, cut to 259 characters
  int32_t fromMemory;  // 1 opened from memory or a resource, 0 from a file
  uint8_t* data;       // the whole profile (owned)
  size_t size;
};

// A profile is as long as the size in its header (offset 0) declares; bytes after
// that are not part of it. A profile whose declared size cannot hold its header and
// tag directory, or exceeds the bytes there are, is refused.

// Opens a profile from the `size` bytes at `data`; the profile's bytes are copied
// and the caller's block is not referenced afterwards. Null when the block is too
// short for the header, the signature at offset 36 is not 'acsp', the declared
// size is refused, or memory runs out.
IccProfile* IccOpenProfileFromMem(const void* data, size_t size);

// Opens the profile file at `path`: reads its header, then the declared size (at
// most 256 MiB) from the start of the file, and closes it at once. Null on the same
// conditions as from memory, or when the file cannot be read (or is not a regular
// file).
IccProfile* IccOpenProfileFromFile(const char* path);

// Why a profile file did not open.
enum class IccOpenFailure {
  kNone,
  kUnreadable,    // the file cannot be opened or read (`systemError` says why)
  kNotAProfile,   // too short for a header, or no 'acsp' at offset 36
  kBadSize,       // the declared size cannot hold the directory or exceeds the file
  kTooLarge,      // the declared size is beyond what is read (256 MiB)
  kNoMemory,
};
struct IccOpenError {
  IccOpenFailure failure;
  int32_t systemError;  // the platform's error number for kUnreadable, else 0
};

// IccOpenProfileFromFile, saying why it failed in `error` (may be null).
IccProfile* IccOpenProfileFromFileWithError(const char* path, IccOpenError* error);

// Opens the built-in profile that serves `format` (a PixelFormat word): 0x40019
// and 0x40419 the display RGB profile, 0x50019 CMY, 0x60021 CMYK, 0xA0019 Lab.
// Null for any other format, or on failure; `systemError` (may be null) receives
// the platform's error number when the resource cannot be found, 0 otherwise.
IccProfile* IccOpenBuiltinProfile(uint32_t format, int32_t* systemError);

// The "ICM" resource id of the built-in profile for `format`, or 0 when none.
int32_t IccBuiltinProfileId(uint32_t format);

// Frees the profile and everything it holds: 1, or 0 for null.
int32_t IccCloseProfile(IccProfile* profile);

using OwnedProfile = Owned<IccProfile, IccCloseProfile>;

// Header fields as stored.
uint32_t IccGetColorSpace(const IccProfile* profile);
uint32_t IccGetConnectionSpace(const IccProfile* profile);
uint32_t IccGetDeviceClass(const IccProfile* profile);
uint32_t IccGetRenderingIntent(const IccProfile* profile);
uint32_t IccGetVersion(const IccProfile* profile);
// The major version: 2 for version 2 profiles, 4 for version 4.
inline uint32_t IccMajorVersion(const IccProfile* profile) { return profile->version >> 24; }
void IccGetIlluminant(const IccProfile* profile, double xyz[3]);

// Whether the directory names `signature`.
bool IccIsTag(const IccProfile* profile, uint32_t signature);

// For the tag readers: finds the first directory entry of `signature` and reads
// the tag's type signature. 1: `reader` covers the tag's declared size only and is
// left just behind the 8-byte tag head; 0: the tag is absent; -1: the tag does
// not fit (its extent leaves the profile, it starts within the header or the tag
// directory, or its declared size cannot hold the head).
int32_t IccOpenTag(const IccProfile* profile, uint32_t signature, IccByteReader* reader, uint32_t* type);

}  // namespace qclr
