// Writing a generated resource to the build folder, shared by the generators.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qclr::resources {

// Writes `bytes` to `path`, replacing the file; false (with a message on standard
// error) when the file cannot be written completely.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace qclr::resources
