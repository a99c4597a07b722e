// Reading files with the Windows file functions; their error numbers pass through.
#include <windows.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

HANDLE AsHandle(const ReadOnlyFile& file) { return reinterpret_cast<HANDLE>(file.handle); }

}  // namespace

int32_t OpenReadOnlyFile(const char* path, ReadOnlyFile* file) {
  if (path == nullptr || file == nullptr) return kErrorInvalidParameter;
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return static_cast<int32_t>(GetLastError());
  // Only files on disk: reads of a pipe or a device could wait for another process.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return kErrorAccessDenied;
  }
  file->handle = reinterpret_cast<intptr_t>(h);
  return kErrorSuccess;
}

int32_t ReadOnlyFileSize(const ReadOnlyFile& file, uint64_t* size) {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(AsHandle(file), &value)) return static_cast<int32_t>(GetLastError());
  *size = static_cast<uint64_t>(value.QuadPart);
  return kErrorSuccess;
}

int32_t ReadOnlyFileAt(const ReadOnlyFile& file, uint64_t offset, void* buffer, size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = count < (size_t{1} << 30) ? static_cast<DWORD>(count) : (DWORD{1} << 30);
    DWORD got = 0;
    if (!ReadFile(AsHandle(file), out, chunk, &got, &at)) return static_cast<int32_t>(GetLastError());
    if (got == 0) return kErrorHandleEof;
    out += got;
    offset += got;
    count -= got;
  }
  return kErrorSuccess;
}

void CloseReadOnlyFile(ReadOnlyFile* file) {
  if (file == nullptr || file->handle == -1) return;
  CloseHandle(AsHandle(*file));
  file->handle = -1;
}

}  // namespace qclr::platform
