// Work spread over threads of the tool's own (the library starts none).
#pragma once

#include <cstddef>
#include <functional>

namespace qclr_tool {

// Runs task(0) .. task(count - 1) on up to `threads` threads, the calling thread
// among them; each index runs once. Returns when all have run.
void RunParallel(size_t count, int threads, const std::function<void(size_t)>& task);

// The number of processors (at least 1).
int ProcessorCount();

}  // namespace qclr_tool
