// The exit statuses of the qclr program, one per kind of failure, and the failure
// record that the commands pass up to main.
#pragma once

#include <string>

namespace qclr_tool {

enum ExitCode : int {
  kExitOk = 0,
  kExitOther = 1,        // out of memory or an unexpected failure
  kExitUsage = 2,        // a malformed command line
  kExitInput = 3,        // an input (image, profile, table) cannot be read
  kExitUnsupported = 4,  // a space, format, method or profile that cannot work together
  kExitLibrary = 5,      // the library refused with a status
  kExitWrite = 6,        // an output cannot be written
};

// A failure: the exit status and a one-line message naming the file and the reason.
struct Failure {
  int code = kExitOk;
  std::string message;

  bool failed() const { return code != kExitOk; }
};

inline Failure Fails(int code, std::string message) { return Failure{code, std::move(message)}; }

}  // namespace qclr_tool
