// The progress bar of a batch: drawn on standard error when it is a terminal and
// the run is not quiet, nothing otherwise.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>

namespace qclr_tool {

// True when standard error is a terminal (where a progress bar can be redrawn).
bool StandardErrorIsTerminal();

class Progress {
 public:
  Progress(size_t total, bool quiet);
  ~Progress();

  // One more item done (from any thread).
  void Advance(bool failed);

 private:
  void Draw();

  const size_t total_;
  const bool shown_;
  std::atomic<size_t> done_{0}, failed_{0};
  std::mutex drawing_;
};

}  // namespace qclr_tool
