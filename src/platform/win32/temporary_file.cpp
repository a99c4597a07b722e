// Temporary files for bitmap storage: a file with a unique name in the system's
// temporary folder, deleted by the system when its last handle closes. It is
// shared for reading, writing and deletion, so that others (the imaging library
// that releases the bitmap, tests) can open it by name while it is in use; such
// an open must allow deletion too, since this handle has the file deleted.
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/storage_failures.h"
#include "platform/win32/handle_values.h"

namespace qclr::platform {

bool CreateTemporaryFile(const char* prefix, uint32_t* handle, char* name, size_t capacity) {
  if (StorageCallFails(StorageService::kTempFile)) return false;
  char folder[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH) return false;
  // The system's names take at most MAX_PATH characters with the terminator.
  char made[MAX_PATH];
  if (GetTempFileNameA(folder, prefix, 0, made) == 0) return false;  // creates the file
  const size_t madeLength = std::strlen(made);
  if (madeLength + 1 > capacity) {
    DeleteFileA(made);
    return false;
  }
  HANDLE file = CreateFileA(made, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(made);
    return false;
  }
  std::memcpy(name, made, madeLength + 1);
  *handle = HandleValue(file);
  return true;
}

int64_t SeekTemporaryFile(uint32_t handle, int64_t offset) {
  if (StorageCallFails(StorageService::kFileSeek)) return -1;
  if (offset < 0) return -1;
  LARGE_INTEGER to{}, reached{};
  to.QuadPart = offset;
  if (!SetFilePointerEx(HandleFromValue(handle), to, &reached, FILE_BEGIN)) return -1;
  return reached.QuadPart;
}

bool WriteTemporaryFile(uint32_t handle, const void* bytes, size_t count) {
  if (StorageCallFails(StorageService::kFileWrite)) return false;
  const auto* next = static_cast<const uint8_t*>(bytes);
  while (count > 0) {
    const DWORD chunk = count < (size_t{1} << 30) ? static_cast<DWORD>(count) : (DWORD{1} << 30);
    DWORD written = 0;
    if (!WriteFile(HandleFromValue(handle), next, chunk, &written, nullptr) || written == 0) return false;
    next += written;
    count -= written;
  }
  return true;
}

void ReleaseTemporaryFile(uint32_t handle, const char* /*name*/) {
  // Closing the only handle deletes the file.
  CloseHandle(HandleFromValue(handle));
}

}  // namespace qclr::platform
