#include "progress.h"

#include <cstdio>
#include <string>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "messages.h"

namespace qclr_tool {

bool StandardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) == 1;
#endif
}

Progress::Progress(size_t total, bool quiet) : total_(total), shown_(!quiet && StandardErrorIsTerminal()) {
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
