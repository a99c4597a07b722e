// Memory mappings for bitmap storage: an anonymous memory file, sized and mapped
// shared. Its descriptor is the mapping's handle; the file's size tells the
// mapping's length again when it is released.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

#include "platform/platform.h"
#include "platform/storage_failures.h"

namespace qclr::platform {

bool CreateSharedMemory(size_t bytes, SharedMemory* mapping) {
  if (StorageCallFails(StorageService::kSharedMemory)) return false;
  if (bytes == 0 || bytes > static_cast<size_t>(std::numeric_limits<off_t>::max())) return false;
  const int fd = memfd_create("qclr-bitmap", MFD_CLOEXEC);
  if (fd < 0) return false;
  if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    close(fd);
    return false;
  }
  void* view = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    close(fd);
    return false;
  }
  mapping->handle = static_cast<uint32_t>(fd);
  mapping->view = static_cast<uint8_t*>(view);
  return true;
}

void ReleaseSharedMemory(uint32_t handle, void* view) {
  const int fd = static_cast<int>(handle);
  struct stat info {};
  if (view != nullptr && fstat(fd, &info) == 0 && info.st_size > 0) {
    munmap(view, static_cast<size_t>(info.st_size));
  }
  close(fd);
}

}  // namespace qclr::platform
