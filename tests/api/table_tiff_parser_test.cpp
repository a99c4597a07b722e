#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "api/table_image.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

// Builds small TIFF files byte by byte, in either byte order.
class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian) : big_(bigEndian) {}

  struct Entry {
    uint16_t tag, type;
    std::vector<uint32_t> values;
  };

  // Lays out: header, pixel data in `strips`, value arrays, then the directory.
  std::vector<uint8_t> Build(std::vector<Entry> entries, const std::vector<std::vector<uint8_t>>& strips) {
    bytes_.assign(8, 0);
    bytes_[0] = bytes_[1] = big_ ? 'M' : 'I';
    Put16(2, 42);
    std::vector<uint32_t> offsets, counts;
    for (const auto& strip : strips) {
      offsets.push_back(static_cast<uint32_t>(bytes_.size()));
      counts.push_back(static_cast<uint32_t>(strip.size()));
      bytes_.insert(bytes_.end(), strip.begin(), strip.end());
    }
    for (Entry& e : entries) {
      if (e.tag == 273 && e.values.empty()) e.values = offsets;
      if (e.tag == 279 && e.values.empty()) e.values = counts;
    }
    // Arrays that do not fit an entry's 4-byte field.
    std::vector<uint32_t> fields;
    for (const Entry& e : entries) {
      const size_t size = e.type == 3 ? 2 : 4;
      if (e.values.size() * size <= 4) {
        uint32_t field = 0;
        for (size_t i = 0; i < e.values.size(); ++i) {
          field |= big_ ? e.values[i] << (8 * (4 - size * (i + 1))) : e.values[i] << (8 * size * i);
        }
        fields.push_back(field);
        continue;
      }
      fields.push_back(static_cast<uint32_t>(bytes_.size()));
      for (uint32_t v : e.values) {
        const size_t at = bytes_.size();
        bytes_.resize(at + size);
        size == 2 ? Put16(at, v) : Put32(at, v);
      }
    }
    const size_t ifd = bytes_.size();
    Put32(4, static_cast<uint32_t>(ifd));
    bytes_.resize(ifd + 2 + 12 * entries.size() + 4);
    Put16(ifd, static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
      const size_t at = ifd + 2 + 12 * i;
      Put16(at, entries[i].tag);
      Put16(at + 2, entries[i].type);
      Put32(at + 4, static_cast<uint32_t>(entries[i].values.size()));
      // The field's bytes as they lie in the file: written raw for inline values.
      const uint32_t f = fields[i];
      if (uint64_t{entries[i].values.size()} * (entries[i].type == 3 ? 2 : 4) <= 4) {
        for (int b = 0; b < 4; ++b) bytes_[at + 8 + b] = static_cast<uint8_t>(big_ ? f >> (24 - 8 * b) : f >> (8 * b));
      } else {
        Put32(at + 8, f);
      }
    }
    return bytes_;
  }

 private:
  void Put16(size_t at, uint32_t v) {
    bytes_[at + (big_ ? 0 : 1)] = static_cast<uint8_t>(v >> 8);
    bytes_[at + (big_ ? 1 : 0)] = static_cast<uint8_t>(v);
  }
  void Put32(size_t at, uint32_t v) {
    for (int b = 0; b < 4; ++b) bytes_[at + (big_ ? b : 3 - b)] = static_cast<uint8_t>(v >> (24 - 8 * b));
  }
  bool big_;
  std::vector<uint8_t> bytes_;
};

int32_t ReadFromMemory(const std::vector<uint8_t>& file, std::vector<uint8_t>* table) {
  ByteSource source{file.size(),
                    [](void* context, uint64_t offset, void* buffer, size_t count) -> int32_t {
                      std::memcpy(buffer, static_cast<const uint8_t*>(context) + offset, count);
                      return 0;
                    },
                    const_cast<uint8_t*>(file.data())};
  return ReadTableTiff(source, table->data(), table->size());
}

// A 6 x 2 RGB image (36 bytes) as the table of a made-up pair.
std::vector<TiffBuilder::Entry> RgbEntries(uint16_t sizeType = 3) {
  return {{256, sizeType, {6}}, {257, sizeType, {2}}, {258, 3, {8, 8, 8}}, {259, 3, {1}},
          {262, 3, {2}},        {273, 4, {}},         {277, 3, {3}},       {279, 4, {}}};
}

TEST(TableTiff, ReadsBothByteOrdersInOneOrSeveralStrips) {
  const auto pixels = test::RandomBytes(36, 4);
  const std::vector<std::vector<uint8_t>> oneStrip = {pixels};
  const std::vector<std::vector<uint8_t>> twoStrips = {{pixels.begin(), pixels.begin() + 18},
                                                       {pixels.begin() + 18, pixels.end()}};
  for (bool big : {false, true}) {
    for (const auto* strips : {&oneStrip, &twoStrips}) {
      for (uint16_t sizeType : {uint16_t{3}, uint16_t{4}}) {
        std::vector<uint8_t> table(36, 0);
        const auto file = TiffBuilder(big).Build(RgbEntries(sizeType), *strips);
        ASSERT_EQ(ReadFromMemory(file, &table), CLR_OK) << big << " " << strips->size();
        EXPECT_EQ(table, pixels);
      }
    }
  }
}

TEST(TableTiff, RefusesWhatIsNotAnUncompressedEightBitTableOfTheRightSize) {
  const auto pixels = test::RandomBytes(36, 5);
  struct Case {
    const char* what;
    uint16_t tag;
    std::vector<uint32_t> values;  // replaces the entry's values; empty removes it
  };
  const Case cases[] = {
      {"compressed", 259, {5}},
      {"16-bit samples", 258, {16, 16, 16}},
      {"no bits per sample", 258, {}},
      {"wrong width", 256, {7}},
      {"wrong samples", 277, {4}},
      {"no strip offsets", 273, {}},
      {"planar samples", 284, {2}},
      {"strip past the end", 273, {1000}},
      {"strip counts short", 279, {30}},
  };
  for (const Case& c : cases) {
    auto entries = RgbEntries();
    bool replaced = false;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
      if (it->tag != c.tag) continue;
      replaced = true;
      if (c.values.empty()) {
        entries.erase(it);
      } else {
        it->values = c.values;
      }
      break;
    }
    if (!replaced) entries.push_back({c.tag, 3, c.values});
    std::vector<uint8_t> table(36, 0);
    const auto file = TiffBuilder(false).Build(entries, {pixels});
    EXPECT_EQ(ReadFromMemory(file, &table), CLR_ERR_TABLE_FORMAT) << c.what;
  }
}

TEST(TableTiff, RefusesBrokenFiles) {
  const auto pixels = test::RandomBytes(36, 6);
  const auto good = TiffBuilder(true).Build(RgbEntries(), {pixels});
  std::vector<uint8_t> table(36);
  for (size_t cut : {size_t{0}, size_t{3}, size_t{8}, good.size() / 2, good.size() - 5}) {
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<ptrdiff_t>(cut));
    EXPECT_EQ(ReadFromMemory(truncated, &table), CLR_ERR_TABLE_FORMAT) << cut;
  }
  auto notTiff = good;
  notTiff[0] = 'X';
  EXPECT_EQ(ReadFromMemory(notTiff, &table), CLR_ERR_TABLE_FORMAT);
  auto wrongMagic = good;
  wrongMagic[3] = 43;
  EXPECT_EQ(ReadFromMemory(wrongMagic, &table), CLR_ERR_TABLE_FORMAT);
  auto farDirectory = good;
  farDirectory[4] = 0x7F;  // directory offset far past the end
  EXPECT_EQ(ReadFromMemory(farDirectory, &table), CLR_ERR_TABLE_FORMAT);
}

TEST(TableTiff, ReportsReadErrorsOfTheSource) {
  const auto file = TiffBuilder(false).Build(RgbEntries(), {test::RandomBytes(36, 7)});
  ByteSource failing{file.size(),
                     [](void* context, uint64_t offset, void* buffer, size_t count) -> int32_t {
                       if (offset >= 8) return 30;  // a read fault after the header
                       std::memcpy(buffer, static_cast<const uint8_t*>(context) + offset, count);
                       return 0;
                     },
                     const_cast<uint8_t*>(file.data())};
  std::vector<uint8_t> table(36);
  EXPECT_EQ(ReadTableTiff(failing, table.data(), table.size()), 30);
}

}  // namespace
}  // namespace qclr
