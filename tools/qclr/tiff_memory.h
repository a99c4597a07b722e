// libtiff on a file held in memory: a TIFF handle that reads from a byte vector or
// writes into one, with libtiff's error messages kept for the calling thread.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qclr_tool {

struct TiffMemory {
  std::vector<uint8_t>* bytes = nullptr;  // read from, or written into
  uint64_t position = 0;
};

// Opens `memory` for reading ("r") or writing ("w"); null on failure.
TIFF* OpenTiffInMemory(TiffMemory* memory, const char* mode);

// libtiff's last error message on this thread (empty when none), and clears it.
std::string TakeTiffError();

}  // namespace qclr_tool
