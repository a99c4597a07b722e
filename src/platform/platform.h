// The platform layer: everything the operating system or the processor provides.
// The core of the library reaches the system only through this interface; posix/
// and win32/ implement it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qclr::platform {

// CPUID function 1: stores the EDX feature bits and returns true; false on a
// processor without CPUID (every non-x86 processor).
bool ReadCpuFeatureBits(uint32_t* edx);

// Windows MulDiv: the 64-bit product a * b divided by c, rounded to the nearest
// integer with halves away from zero; -1 when c is 0 or the result overflows.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// ---- System error numbers ---------------------------------------------------
// Failures of the functions below are reported with the numbers Windows uses, on
// every platform, so a status passed through to a caller means the same
// everywhere. 0 is success.
inline constexpr int32_t kErrorSuccess = 0;
inline constexpr int32_t kErrorFileNotFound = 2;
inline constexpr int32_t kErrorPathNotFound = 3;
inline constexpr int32_t kErrorTooManyOpenFiles = 4;
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorNotEnoughMemory = 8;
inline constexpr int32_t kErrorReadFault = 30;
inline constexpr int32_t kErrorGenFailure = 31;
inline constexpr int32_t kErrorSharingViolation = 32;
inline constexpr int32_t kErrorHandleEof = 38;
inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorFilenameTooLong = 206;
inline constexpr int32_t kErrorArithmeticOverflow = 534;
inline constexpr int32_t kErrorResourceTypeNotFound = 1813;
inline constexpr int32_t kErrorResourceNameNotFound = 1814;
inline constexpr int32_t kErrorCantResolveFilename = 1921;

// ---- The library's own resources -----------------------------------------------
// Read-only data linked into the library (built-in ICC profiles, emulation tables,
// dialog templates), found by a type name and a numeric id. The bytes stay valid
// for as long as the library is loaded.
struct ResourceBytes {
  const uint8_t* data;
  uint32_t size;
};

// Finds resource `id` of `type` ("ICM", "ET", ...; compared without regard to
// case). Returns kErrorSuccess and fills `resource`, or the system's error:
// kErrorResourceTypeNotFound when no resource has that type,
// kErrorResourceNameNotFound when the type has no such id.
int32_t FindLibraryResource(const char* type, int32_t id, ResourceBytes* resource);

// ---- Reading files ------------------------------------------------------------
// A file opened for reading; `handle` is the system's descriptor or handle.
struct ReadOnlyFile {
  intptr_t handle = -1;
};

// Opens the file at `path` (an 8-bit path as the caller gave it) for reading.
// Returns kErrorSuccess, or e.g. kErrorFileNotFound, kErrorPathNotFound (a folder
// of the path is missing), kErrorAccessDenied (no permission, or a folder).
int32_t OpenReadOnlyFile(const char* path, ReadOnlyFile* file);

// The file's size in bytes.
int32_t ReadOnlyFileSize(const ReadOnlyFile& file, uint64_t* size);

// Reads exactly `count` bytes at `offset`. A file that ends first gives
// kErrorHandleEof.
int32_t ReadOnlyFileAt(const ReadOnlyFile& file, uint64_t offset, void* buffer, size_t count);

// Closes the file (a file that is not open is ignored) and marks it closed.
void CloseReadOnlyFile(ReadOnlyFile* file);

}  // namespace qclr::platform
