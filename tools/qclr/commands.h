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

// The arguments of a command that takes names and --help only. Returns true with
// the names in `names`; false when the command is done, with its exit status in
// `*exitCode` (the help printed, or an unknown option reported).
bool NameArguments(const std::vector<std::string>& args, const char* command, const char* help,
                   std::vector<std::string>* names, int* exitCode);

}  // namespace qclr_tool
