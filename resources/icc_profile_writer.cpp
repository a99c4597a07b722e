#include "icc_profile_writer.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "icc/icc_signatures.h"

namespace qclr::resources {
namespace {

void PutU8(Bytes& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
void PutU16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void PutU32(Bytes& out, uint32_t v) {
  PutU16(out, v >> 16);
  PutU16(out, v & 0xFFFF);
}
void SetU32(Bytes& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v >> 24);
  out[at + 1] = static_cast<uint8_t>(v >> 16);
  out[at + 2] = static_cast<uint8_t>(v >> 8);
  out[at + 3] = static_cast<uint8_t>(v);
}

Bytes TypeHead(uint32_t type) {
  Bytes out;
  PutU32(out, type);
  PutU32(out, 0);
  return out;
}

void Require(bool condition, const char* what) {
  if (!condition) throw std::invalid_argument(what);
}

void PutLutHead(Bytes& out, const LutData& lut) {
  Require(lut.inputs >= 1 && lut.inputs <= 15 && lut.outputs >= 1 && lut.outputs <= 15, "channels");
  Require(lut.gridPoints >= 2 && lut.gridPoints <= 255, "grid points");
  size_t nodes = 1;
  for (int i = 0; i < lut.inputs; ++i) nodes *= static_cast<size_t>(lut.gridPoints);
  Require(lut.grid.size() == nodes * static_cast<size_t>(lut.outputs), "grid size");
  Require(lut.inputCurves.size() == static_cast<size_t>(lut.inputs), "input curves");
  Require(lut.outputCurves.size() == static_cast<size_t>(lut.outputs), "output curves");
  for (const auto& c : lut.inputCurves) Require(c.size() == static_cast<size_t>(lut.inputEntries), "input entries");
  for (const auto& c : lut.outputCurves) Require(c.size() == static_cast<size_t>(lut.outputEntries), "output entries");
  PutU8(out, static_cast<uint32_t>(lut.inputs));
  PutU8(out, static_cast<uint32_t>(lut.outputs));
  PutU8(out, static_cast<uint32_t>(lut.gridPoints));
  PutU8(out, 0);
  // Identity matrix: the tables never use it.
  for (int i = 0; i < 9; ++i) PutU32(out, i % 4 == 0 ? 0x10000u : 0u);
}

}  // namespace

int32_t ToS15Fixed16(double v) {
  const double scaled = v * 65536.0;
  const double rounded = scaled < 0 ? -std::floor(-scaled + 0.5) : std::floor(scaled + 0.5);
  Require(rounded >= -2147483648.0 && rounded <= 2147483647.0, "s15Fixed16 range");
  return static_cast<int32_t>(rounded);
}

Bytes XyzTagRaw(const int32_t xyz[3]) {
  Bytes out = TypeHead(kIccTypeXyz);
  for (int i = 0; i < 3; ++i) PutU32(out, static_cast<uint32_t>(xyz[i]));
  return out;
}

Bytes XyzTag(const double xyz[3]) {
  const int32_t raw[3] = {ToS15Fixed16(xyz[0]), ToS15Fixed16(xyz[1]), ToS15Fixed16(xyz[2])};
  return XyzTagRaw(raw);
}

Bytes CurveTag(const std::vector<uint16_t>& entries) {
  Bytes out = TypeHead(kIccTypeCurve);
  PutU32(out, static_cast<uint32_t>(entries.size()));
  for (uint16_t v : entries) PutU16(out, v);
  return out;
}

Bytes TextTag(const std::string& text) {
  Bytes out = TypeHead(kIccTypeText);
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
  return out;
}

Bytes DescriptionTag(const std::string& text) {
  Bytes out = TypeHead(kIccTypeDescription);
  PutU32(out, static_cast<uint32_t>(text.size() + 1));  // ASCII, with its terminator
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
  PutU32(out, 0);  // Unicode language code
  PutU32(out, 0);  // Unicode character count
  PutU16(out, 0);  // ScriptCode code
  PutU8(out, 0);   // ScriptCode count
  out.insert(out.end(), 67, 0);
  return out;
}

Bytes Lut16Tag(const LutData& lut) {
  Require(lut.inputEntries >= 2 && lut.inputEntries <= 4096, "input entries");
  Require(lut.outputEntries >= 2 && lut.outputEntries <= 4096, "output entries");
  Bytes out = TypeHead(kIccTypeLut16);
  PutLutHead(out, lut);
  PutU16(out, static_cast<uint32_t>(lut.inputEntries));
  PutU16(out, static_cast<uint32_t>(lut.outputEntries));
  for (const auto& curve : lut.inputCurves)
    for (uint16_t v : curve) PutU16(out, v);
  for (uint16_t v : lut.grid) PutU16(out, v);
  for (const auto& curve : lut.outputCurves)
    for (uint16_t v : curve) PutU16(out, v);
  return out;
}

Bytes Lut8Tag(const LutData& lut) {
  Require(lut.inputEntries == 256 && lut.outputEntries == 256, "8-bit curves have 256 entries");
  Bytes out = TypeHead(kIccTypeLut8);
  PutLutHead(out, lut);
  auto put8 = [&out](uint16_t v) {
    Require(v <= 255, "8-bit value");
    PutU8(out, v);
  };
  for (const auto& curve : lut.inputCurves)
    for (uint16_t v : curve) put8(v);
  for (uint16_t v : lut.grid) put8(v);
  for (const auto& curve : lut.outputCurves)
    for (uint16_t v : curve) put8(v);
  return out;
}

std::vector<uint16_t> RampCurve(int entries) {
  std::vector<uint16_t> curve(static_cast<size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    curve[static_cast<size_t>(i)] = static_cast<uint16_t>(std::floor(i / double(entries - 1) * 65535.0 + 0.5));
  }
  return curve;
}

void ProfileWriter::Add(uint32_t signature, Bytes data) {
  entries_.push_back({signature, data_.size()});
  data_.push_back(std::move(data));
}

void ProfileWriter::Share(uint32_t signature, uint32_t existing) {
  for (const Entry& e : entries_) {
    if (e.signature == existing) {
      entries_.push_back({signature, e.dataIndex});
      return;
    }
  }
  throw std::invalid_argument("shared tag not found");
}

Bytes ProfileWriter::Finish(const ProfileHeader& header) const {
  Bytes out(128, 0);
  SetU32(out, 4, 0);            // preferred CMM: none
  SetU32(out, 8, 0x02100000);   // version 2.1
  SetU32(out, 12, header.deviceClass);
  SetU32(out, 16, header.colorSpace);
  SetU32(out, 20, header.connectionSpace);
  // Creation date, fixed so that every build writes the same bytes: 2024-01-01 00:00:00.
  const uint16_t date[6] = {2024, 1, 1, 0, 0, 0};
  for (int i = 0; i < 6; ++i) {
    out[24 + 2 * i] = static_cast<uint8_t>(date[i] >> 8);
    out[25 + 2 * i] = static_cast<uint8_t>(date[i]);
  }
  SetU32(out, 36, kIccMagic);
  SetU32(out, 64, header.renderingIntent);
  // The connection space's illuminant, D50 as s15Fixed16 (0.9642, 1.0, 0.8249).
  SetU32(out, 68, 0x0000F6D6);
  SetU32(out, 72, 0x00010000);
  SetU32(out, 76, 0x0000D32D);

  PutU32(out, static_cast<uint32_t>(entries_.size()));
  const size_t directory = out.size();
  out.resize(directory + 12 * entries_.size(), 0);
  std::vector<uint32_t> offsets(data_.size());
  std::vector<uint32_t> sizes(data_.size());
  for (size_t i = 0; i < data_.size(); ++i) {
    while (out.size() % 4 != 0) out.push_back(0);
    offsets[i] = static_cast<uint32_t>(out.size());
    sizes[i] = static_cast<uint32_t>(data_[i].size());
    out.insert(out.end(), data_[i].begin(), data_[i].end());
  }
  while (out.size() % 4 != 0) out.push_back(0);
  for (size_t i = 0; i < entries_.size(); ++i) {
    SetU32(out, directory + 12 * i, entries_[i].signature);
    SetU32(out, directory + 12 * i + 4, offsets[entries_[i].dataIndex]);
    SetU32(out, directory + 12 * i + 8, sizes[entries_[i].dataIndex]);
  }
  SetU32(out, 0, static_cast<uint32_t>(out.size()));
  return out;
}

}  // namespace qclr::resources
