// Helpers for the tests of conversion handles: parameter records, files in a
// scratch folder (profiles, emulation tables as minimal TIFF images), the size of
// the handle registry and a probe for "nothing was allocated".
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/handle_registry.h"
#include "api/memory.h"
#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr::test {

// A parameter record with the right size, the method active and `flags` prepared.
inline ConversionParams Params(int32_t method, uint32_t flags) {
  ConversionParams p{};
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  p.method = method;
  p.flags = flags;
  p.tableBits = 8;
  return p;
}

inline void SetName(char (&field)[QCLR_FILE_NAME_SIZE], const std::string& name) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, name.data(), std::min(name.size(), sizeof field));
}

inline int LiveHandles() { return SnapshotRegistry(nullptr, 0); }

// Arms the allocation hook so that the next allocation fails; Untouched() tells
// whether anything was allocated in between.
class AllocationProbe {
 public:
  AllocationProbe() { SetAllocationFailure(0); }
  ~AllocationProbe() { SetAllocationFailure(-1); }
  bool Untouched() {
    void* p = MemAlloc(1);  // fails exactly when the armed failure was not used up
    const bool untouched = p == nullptr;
    MemFree(p);
    SetAllocationFailure(-1);
    return untouched;
  }
};

// A scratch folder of this process, removed with the object.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("qclr_handle_tests_" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "_" +
             std::to_string(counter_++));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  const std::filesystem::path& root() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

// The bytes of a resource of the library ("ICM" profiles 105 RGB, 106 Lab, 107 CMYK,
// 110 CMY; "ET" tables 111, 112, 113).
inline std::vector<uint8_t> ResourceCopy(const char* type, int32_t id) {
  platform::ResourceBytes r{};
  EXPECT_EQ(platform::FindLibraryResource(type, id, &r), platform::kErrorSuccess);
  return {r.data, r.data + r.size};
}

// The built-in profiles written out as files, to stand for the caller's profiles.
struct ProfileFiles {
  ScratchDir dir;
  std::string rgb = dir.Write("rgb.icc", ResourceCopy("ICM", 105));
  std::string lab = dir.Write("lab.icc", ResourceCopy("ICM", 106));
  std::string cmyk = dir.Write("cmyk.icc", ResourceCopy("ICM", 107));
};

// Frees the handle it holds, if any.
struct HandleGuard {
  ClrHandle* h = nullptr;
  HandleGuard() = default;
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  ~HandleGuard() {
    if (h != nullptr) Q_ClrFree(h);
  }
};

// A little-endian baseline TIFF holding `pixels` in one strip as an image of
// width x (pixels / (width x 3)) RGB samples.
inline std::vector<uint8_t> MinimalTableTiff(const std::vector<uint8_t>& pixels, uint32_t width) {
  const uint32_t height = static_cast<uint32_t>(pixels.size() / (width * 3));
  std::vector<uint8_t> f = {'I', 'I', 42, 0, 0, 0, 0, 0};
  const auto put16 = [&f](uint32_t v) { f.push_back(uint8_t(v)); f.push_back(uint8_t(v >> 8)); };
  const auto put32 = [&](uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
  const uint32_t bitsAt = 8;  // three SHORTs 8, 8, 8
  put16(8), put16(8), put16(8), put16(0);
  const uint32_t dataAt = static_cast<uint32_t>(f.size());
  f.insert(f.end(), pixels.begin(), pixels.end());
  if (f.size() % 2) f.push_back(0);
  const uint32_t ifd = static_cast<uint32_t>(f.size());
  f[4] = uint8_t(ifd), f[5] = uint8_t(ifd >> 8), f[6] = uint8_t(ifd >> 16), f[7] = uint8_t(ifd >> 24);
  const uint32_t entries[][4] = {{256, 4, 1, width},  {257, 4, 1, height},      {258, 3, 3, bitsAt},
                                 {259, 3, 1, 1},      {262, 3, 1, 2},           {273, 4, 1, dataAt},
                                 {277, 3, 1, 3},      {279, 4, 1, uint32_t(pixels.size())}};
  put16(sizeof entries / sizeof entries[0]);
  for (const auto& e : entries) {
    put16(e[0]), put16(e[1]), put32(e[2]);
    if (e[1] == 3 && e[2] == 1) {
      put16(e[3]), put16(0);  // a single SHORT sits left in the field
    } else {
      put32(e[3]);
    }
  }
  put32(0);
  return f;
}

}  // namespace qclr::test
