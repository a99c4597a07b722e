#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "api/table_image.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;

// Reads `file` from memory into a 6 x 2 RGB table; reads at or past `failAfter` fail with 30.
int32_t Read(const Bytes& file, Bytes* table, uint64_t failAfter = UINT64_MAX) {
  struct Context {
    const Bytes* file;
    uint64_t failAfter;
  } context{&file, failAfter};
  const ByteSource source{file.size(),
                          [](void* c, uint64_t offset, void* buffer, size_t count) -> int32_t {
                            const auto* ctx = static_cast<const Context*>(c);
                            if (offset >= ctx->failAfter) return 30;
                            std::memcpy(buffer, ctx->file->data() + offset, count);
                            return 0;
                          },
                          &context};
  table->assign(36, 0);
  return ReadTableTiff(source, table->data(), table->size());
}

TEST(TableTiff, ReadsBothByteOrdersInOneOrSeveralStrips) {
  const Bytes pixels = test::RandomBytes(36, 4);
  const auto half = pixels.begin() + 18;
  const std::vector<Bytes> one = {pixels}, two = {{pixels.begin(), half}, {half, pixels.end()}};
  for (int i = 0; i < 8; ++i) {  // byte order, strips and SHORT or LONG sizes
    Bytes table;
    const auto entries = test::RgbTiffEntries(6, 2, i & 2 ? 3 : 4);
    ASSERT_EQ(Read(test::TiffFile(entries, i & 4 ? two : one, i & 1), &table), CLR_OK) << i;
    EXPECT_EQ(table, pixels) << i;
  }
}

TEST(TableTiff, RefusesWhatIsNotAnUncompressedEightBitTableOfTheRightSize) {
  const Bytes pixels = test::RandomBytes(36, 5);
  struct Case {
    const char* what;
    uint16_t tag;
    std::vector<uint32_t> values;  // replaces the entry's values; empty removes it
  };
  const Case cases[] = {
      {"compressed", 259, {5}},       {"16-bit samples", 258, {16, 16, 16}}, {"no bits per sample", 258, {}},
      {"wrong width", 256, {7}},      {"wrong samples", 277, {4}},           {"no strip offsets", 273, {}},
      {"planar samples", 284, {2}},   {"strip past the end", 273, {1000}},   {"strip counts short", 279, {30}},
  };
  for (const Case& c : cases) {
    auto entries = test::RgbTiffEntries(6, 2);
    auto it = std::find_if(entries.begin(), entries.end(), [&c](const auto& e) { return e.tag == c.tag; });
    if (it == entries.end()) entries.push_back({c.tag, 3, c.values});
    else if (c.values.empty()) entries.erase(it);
    else it->values = c.values;
    Bytes table;
    EXPECT_EQ(Read(test::TiffFile(entries, {pixels}), &table), CLR_ERR_TABLE_FORMAT) << c.what;
  }
}

TEST(TableTiff, RefusesBrokenFilesAndPassesReadErrorsOn) {
  const Bytes good = test::TiffFile(test::RgbTiffEntries(6, 2), {test::RandomBytes(36, 6)}, true);
  Bytes table;
  for (size_t cut : {size_t{0}, size_t{3}, size_t{8}, good.size() / 2, good.size() - 5}) {
    EXPECT_EQ(Read(Bytes(good.begin(), good.begin() + ptrdiff_t(cut)), &table), CLR_ERR_TABLE_FORMAT) << cut;
  }
  for (auto [at, value] : {std::pair{0, 'X'}, {3, 43}, {4, 0x7F}}) {  // order mark, 42, directory offset
    Bytes broken = good;
    broken[size_t(at)] = uint8_t(value);
    EXPECT_EQ(Read(broken, &table), CLR_ERR_TABLE_FORMAT) << at;
  }
  EXPECT_EQ(Read(good, &table, 8), 30);  // a read fault after the header
}

}  // namespace
}  // namespace qclr
