#include "handle/handle_registry.h"

#include <mutex>

#include "base/memory.h"
#include "platform/platform.h"

namespace qclr {
namespace {

// The entry point releases the handles still live when the library unloads.
[[gnu::used]] const char* const kEmptiedByLibraryEntry = &platform::kLibraryEntry;

std::mutex gRegistryMutex;
RegistryNode* gHead = nullptr;
RegistryNode* gTail = nullptr;

RegistryNode* FindNode(const void* handle) {
  for (RegistryNode* node = gHead; node != nullptr; node = node->next) {
    if (node->handle == handle) return node;
  }
  return nullptr;
}

// Unlinks `node`; the caller holds the mutex.
void Unlink(RegistryNode* node) {
  if (node->prev != nullptr) {
    node->prev->next = node->next;
  } else {
    gHead = node->next;
  }
  if (node->next != nullptr) {
    node->next->prev = node->prev;
  } else {
    gTail = node->prev;
  }
}

}  // namespace

bool RegisterHandle(ClrHandle* handle) {
  auto* node = static_cast<RegistryNode*>(MemAlloc(sizeof(RegistryNode)));
  if (node == nullptr) return false;
  node->handle = handle;
  node->next = nullptr;
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  node->prev = gTail;
  if (gTail == nullptr) {
    gHead = node;
  } else {
    gTail->next = node;
  }
  gTail = node;
  return true;
}

void UnregisterHandle(const ClrHandle* handle) {
  RegistryNode* node;
  {
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    node = FindNode(handle);
    if (node == nullptr) return;
    Unlink(node);
  }
  MemFree(node);
}

bool TakeLiveHandle(const void* handle) {
  if (handle == nullptr) return false;
  RegistryNode* node;
  {
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    node = FindNode(handle);
    if (node == nullptr || node->handle->structSize != kHandleMarker) return false;
    Unlink(node);
  }
  MemFree(node);
  return true;
}

bool IsLiveHandle(const void* handle) {
  if (handle == nullptr) return false;
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  const RegistryNode* node = FindNode(handle);
  return node != nullptr && node->handle->structSize == kHandleMarker;
}

ClrHandle* OldestHandle() {
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  return gHead == nullptr ? nullptr : gHead->handle;
}

int SnapshotRegistry(RegistryLink* links, int capacity) {
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  int count = 0;
  for (const RegistryNode* node = gHead; node != nullptr; node = node->next, ++count) {
    if (count < capacity) {
      links[count] = {node->handle, node->prev ? node->prev->handle : nullptr,
                      node->next ? node->next->handle : nullptr};
    }
  }
  return count;
}

}  // namespace qclr
