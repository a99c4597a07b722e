// Whole files in and out: "-" is standard input or output. An output file is
// written under a temporary name beside it and renamed when complete, so a failure
// never leaves a partial or empty file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exit_codes.h"

namespace qclr_tool {

// Reads the whole file (kExitInput with the system's reason on failure).
Failure ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes);

// Writes the bytes to `path` (kExitWrite with the system's reason on failure).
Failure WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Makes the folder and the folders above it that are missing (kExitWrite with the
// system's reason on failure).
Failure MakeFolder(const std::string& folder);

// True when `path` names an existing folder.
bool IsFolder(const std::string& path);

}  // namespace qclr_tool
