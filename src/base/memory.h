// The library's one heap. Every record, table and buffer is obtained and returned
// through these four functions, so any part of the library may release what another
// allocated.
#pragma once

#include <cstddef>

namespace qclr {

void* MemAlloc(size_t size);
void MemFree(void* block);  // null is ignored
void* MemRealloc(void* block, size_t size);
void* MemCalloc(size_t count, size_t size);

// How many allocations have failed on the calling thread so far (by the test hook
// or for want of memory). A caller that sees the count grow across an operation
// that failed knows that memory ran short, not that the input was at fault.
unsigned long FailedAllocationsOnThisThread();

// Test hook: the allocation `countdown` calls from now fails (0 = the next one);
// a negative value switches failures off. Lets tests walk every failure path.
// Returns the countdown it replaces: -1 once the armed failure has happened (or
// when none was armed), else the allocations still to go before it, so arming a
// large countdown and reading it back counts the allocations in between.
long SetAllocationFailure(long countdown);

}  // namespace qclr
