// Writes ICC version 2 profiles: the header, the tag table and the tag types the
// built-in profiles use, all big-endian, every tag 4-byte aligned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qclr::resources {

using Bytes = std::vector<uint8_t>;

// s15Fixed16Number of `v`, rounded to nearest (halves away from zero).
int32_t ToS15Fixed16(double v);

// Tag data of the types used here (type signature, reserved word, body).
Bytes XyzTag(const double xyz[3]);
Bytes XyzTagRaw(const int32_t xyz[3]);  // already s15Fixed16
Bytes CurveTag(const std::vector<uint16_t>& entries);
Bytes TextTag(const std::string& text);
Bytes DescriptionTag(const std::string& text);

// A lookup table as lut8Type / lut16Type store it. Curves and grid hold 16-bit
// values; for an 8-bit table they must be 0..255. The grid lists the nodes with
// the first input slowest, the outputs of a node adjacent.
struct LutData {
  int inputs = 3;
  int outputs = 3;
  int gridPoints = 2;
  int inputEntries = 256;
  int outputEntries = 256;
  std::vector<std::vector<uint16_t>> inputCurves;
  std::vector<std::vector<uint16_t>> outputCurves;
  std::vector<uint16_t> grid;
};
Bytes Lut16Tag(const LutData& lut);
Bytes Lut8Tag(const LutData& lut);

// The identity curve of `entries` values: entry i = floor(i / (entries - 1) * 65535 + 0.5).
std::vector<uint16_t> RampCurve(int entries);

struct ProfileHeader {
  uint32_t deviceClass;
  uint32_t colorSpace;
  uint32_t connectionSpace;
  uint32_t renderingIntent = 0;
};

// Collects tags in the order they are added and lays the profile out.
class ProfileWriter {
 public:
  void Add(uint32_t signature, Bytes data);
  // Another directory entry for the data of the tag `existing` (shared data).
  void Share(uint32_t signature, uint32_t existing);
  Bytes Finish(const ProfileHeader& header) const;

 private:
  struct Entry {
    uint32_t signature;
    size_t dataIndex;
  };
  std::vector<Entry> entries_;
  std::vector<Bytes> data_;
};


}  // namespace qclr::resources
