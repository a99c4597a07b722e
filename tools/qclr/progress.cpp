#include "progress.h"

#include <unistd.h>

#include <string>

#include "messages.h"

namespace qclr_tool {

Progress::Progress(size_t total, bool quiet) : total_(total), shown_(!quiet && isatty(STDERR_FILENO) == 1) {
  if (shown_) Draw();
}

Progress::~Progress() {
  if (shown_) ShowStatusLine("");
}

void Progress::Advance(bool failed) {
  ++done_;
  if (failed) ++failed_;
  if (shown_) Draw();
}

void Progress::Draw() {
  std::lock_guard<std::mutex> lock(drawing_);
  constexpr size_t kWidth = 30;
  const size_t done = done_, filled = total_ == 0 ? kWidth : done * kWidth / total_;
  std::string bar = "[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
                    std::to_string(done) + "/" + std::to_string(total_) + " files";
  if (failed_ > 0) bar += ", " + std::to_string(failed_.load()) + " failed";
  ShowStatusLine(bar);
}

}  // namespace qclr_tool
