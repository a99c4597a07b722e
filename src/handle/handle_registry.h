// The process-wide list of live conversion handles, oldest first. Every
// handle-taking export validates its argument here before reading the record.
#pragma once

#include "handle/clr_handle.h"

namespace qclr {

struct RegistryNode {
  RegistryNode* next;  // null at the tail
  RegistryNode* prev;  // null at the head
  ClrHandle* handle;
};

// Appends a node for `handle` at the tail. False when the node cannot be allocated.
bool RegisterHandle(ClrHandle* handle);

// Removes the node of `handle`, if any.
void UnregisterHandle(const ClrHandle* handle);

// Removes `handle` when it is live (as IsLiveHandle) and returns true; the test
// and the removal are one step, so only one of two racing releases wins.
bool TakeLiveHandle(const void* handle);

// True when `handle` is registered and its record carries the handle marker. The
// list is searched before the record is read, so stale pointers are never touched.
bool IsLiveHandle(const void* handle);

// The oldest live handle, or null when none is live.
ClrHandle* OldestHandle();

// Test access: copies up to `capacity` nodes, head first; returns the node count.
// Each entry gets the node's own, previous and next handles (null at the ends).
struct RegistryLink {
  const ClrHandle* handle;
  const ClrHandle* prev;
  const ClrHandle* next;
};
int SnapshotRegistry(RegistryLink* links, int capacity);

}  // namespace qclr
