// The subcommands of the qclr program. Each returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace qclr_tool {

int RunConvert(const std::vector<std::string>& args);
int RunDemo(const std::vector<std::string>& args);

// Prints a one-line error and returns the exit status for failures.
int Fail(const std::string& message);

}  // namespace qclr_tool
