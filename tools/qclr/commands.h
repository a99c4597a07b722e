// The subcommands of the qclr program and the help texts they share. Each command
// returns the process exit status (exit_codes.h).
#pragma once

#include <string>
#include <vector>

namespace qclr_tool {

int RunConvert(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunDemo(const std::vector<std::string>& args);

// The colour spaces and their file forms, for the help texts.
std::string SpacesHelp();

// The exit statuses, for the help texts.
const char* ExitCodesHelp();

}  // namespace qclr_tool
