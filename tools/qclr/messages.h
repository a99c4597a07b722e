// Messages on standard error: failures, warnings, and the texts of library
// statuses and system errors.
#pragma once

#include <cstdint>
#include <string>

#include "exit_codes.h"

namespace qclr_tool {

// Prints "qclr: MESSAGE" and returns the failure's exit status.
int Report(const Failure& failure);

// Prints "qclr: warning: MESSAGE" unless warnings are silenced (-q).
void Warn(const std::string& message);
void SilenceWarnings(bool silent);

// A line kept at the bottom of a terminal (the progress bar): other messages are
// printed above it. An empty text ends it.
void ShowStatusLine(const std::string& text);

// "CLR_ERR_METHOD (no conversion method, ...)" from the library's own texts.
std::string StatusText(int32_t status);

// "CLR_ERR_METHOD": the status's name alone.
std::string StatusName(int32_t status);

// The exit status for a failed library call: statuses that say the spaces, the
// method or a profile cannot work together are kExitUnsupported, the others
// kExitLibrary.
int ExitForStatus(int32_t status);

// "cannot open 'PATH': REASON" with the system's reason for errno `err`.
std::string CannotOpen(const std::string& path, int err);

// The name a path is shown by in messages ("standard input" or "standard output"
// for "-").
std::string ShownName(const std::string& path, bool output = false);

}  // namespace qclr_tool
