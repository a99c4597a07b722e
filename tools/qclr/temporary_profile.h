// A profile given to the library as a file of its own: the engine opens profiles
// by name, so an embedded or built-in profile is written to a private temporary
// file (mode 0600), removed again when this object goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exit_codes.h"

namespace qclr_tool {

class TemporaryProfile {
 public:
  TemporaryProfile() = default;
  TemporaryProfile(const TemporaryProfile&) = delete;
  TemporaryProfile& operator=(const TemporaryProfile&) = delete;
  ~TemporaryProfile();

  Failure Create(const std::vector<uint8_t>& bytes);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace qclr_tool
