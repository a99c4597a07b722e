// Helpers for the tests of conversion handles: parameter records, files in a
// scratch folder (profiles, emulation tables as small TIFF images), the size of
// the handle registry and a probe for "nothing was allocated".
#pragma once

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/memory.h"
#include "handle/handle_registry.h"
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

// A scratch folder of this test, removed with the object.
class ScratchDir {
 public:
  ScratchDir()
      : path_(std::filesystem::path(::testing::TempDir()) /
              ("qclr_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "_" +
               std::to_string(counter_++))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

#ifndef _WIN32
// Runs `call` on another thread while `fifo` (a FIFO, see mkfifo) may block it: a
// call still running after 10 seconds is a test failure, and the FIFO is then
// opened for writing so that the call can return instead of hanging the suite.
template <typename Call>
auto CallNamingFifo(const std::string& fifo, Call call) -> decltype(call()) {
  auto result = std::async(std::launch::async, call);
  if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    ADD_FAILURE() << "the call blocked on the FIFO " << fifo;
    while (result.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout) {
      const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // fails unless a reader waits
      if (fd >= 0) close(fd);
    }
  }
  return result.get();
}
#endif

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

// One directory entry of a TIFF file: tag, type (3 SHORT, 4 LONG) and values.
struct TiffEntry {
  uint16_t tag, type;
  std::vector<uint32_t> values;  // empty StripOffsets/StripByteCounts: filled in
};

// A TIFF file: header, the strips of pixel data, the values that do not fit their
// entry's 4-byte field, then the one directory.
inline std::vector<uint8_t> TiffFile(std::vector<TiffEntry> entries,
                                     const std::vector<std::vector<uint8_t>>& strips,
                                     bool bigEndian = false) {
  const uint8_t order = bigEndian ? 'M' : 'I';
  std::vector<uint8_t> f = {order, order, 0, 0, 0, 0, 0, 0};
  const auto put = [&f, bigEndian](size_t at, uint32_t v, size_t size) {
    f.resize(std::max(f.size(), at + size));
    for (size_t i = 0; i < size; ++i) f[at + (bigEndian ? size - 1 - i : i)] = uint8_t(v >> (8 * i));
  };
  put(2, 42, 2);
  std::vector<uint32_t> offsets, counts, fields;
  for (const auto& s : strips) {
    offsets.push_back(uint32_t(f.size()));
    counts.push_back(uint32_t(s.size()));
    f.insert(f.end(), s.begin(), s.end());
  }
  for (TiffEntry& e : entries) {
    if (e.values.empty() && e.tag == 273) e.values = offsets;
    if (e.values.empty() && e.tag == 279) e.values = counts;
    const size_t size = e.type == 3 ? 2 : 4;
    fields.push_back(e.values.size() * size > 4 ? uint32_t(f.size()) : 0);
    for (size_t i = 0; fields.back() != 0 && i < e.values.size(); ++i) put(f.size(), e.values[i], size);
  }
  const size_t ifd = f.size();
  put(4, uint32_t(ifd), 4);
  put(ifd, uint32_t(entries.size()), 2);
  put(ifd + 2 + 12 * entries.size(), 0, 4);  // no further directory
  for (size_t i = 0; i < entries.size(); ++i) {
    const TiffEntry& e = entries[i];
    const size_t at = ifd + 2 + 12 * i, size = e.type == 3 ? 2 : 4;
    put(at, e.tag, 2), put(at + 2, e.type, 2), put(at + 4, uint32_t(e.values.size()), 4);
    if (fields[i] != 0) put(at + 8, fields[i], 4);
    for (size_t k = 0; fields[i] == 0 && k < e.values.size(); ++k) put(at + 8 + k * size, e.values[k], size);
  }
  return f;
}

// The entries of an uncompressed 8-bit RGB image in one or more strips.
inline std::vector<TiffEntry> RgbTiffEntries(uint32_t width, uint32_t height, uint16_t sizeType = 4) {
  return {{256, sizeType, {width}}, {257, sizeType, {height}}, {258, 3, {8, 8, 8}}, {259, 3, {1}},
          {262, 3, {2}},            {273, 4, {}},              {277, 3, {3}},       {279, 4, {}}};
}

// `pixels` in one strip as an image `width` pixels wide.
inline std::vector<uint8_t> MinimalTableTiff(const std::vector<uint8_t>& pixels, uint32_t width) {
  return TiffFile(RgbTiffEntries(width, uint32_t(pixels.size() / (width * 3))), {pixels});
}

}  // namespace qclr::test
