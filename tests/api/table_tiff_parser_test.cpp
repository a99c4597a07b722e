#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "api/table_image.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;

// Reads `file` from memory into a table of 36 bytes (a 6 x 2 RGB image, of which
// the lookups read `required`), first filled with 0xEE; reads at or past
// `failAfter` fail with 30. `calls` (may be null) counts the reads.
int32_t Read(const Bytes& file, Bytes* table, uint64_t failAfter = UINT64_MAX, int* calls = nullptr,
             size_t required = 36) {
  struct Context {
    const Bytes* file;
    uint64_t failAfter;
    int calls;
  } context{&file, failAfter, 0};
  const ByteSource source{file.size(),
                          [](void* c, uint64_t offset, void* buffer, size_t count) -> int32_t {
                            auto* ctx = static_cast<Context*>(c);
                            ++ctx->calls;
                            if (offset >= ctx->failAfter) return 30;
                            std::memcpy(buffer, ctx->file->data() + offset, count);
                            return 0;
                          },
                          &context};
  table->assign(36, 0xEE);
  const int32_t status = ReadTableTiff(source, table->data(), table->size(), required);
  if (calls != nullptr) *calls = context.calls;
  return status;
}

// One strip for each row, or for each part of a row: more strips than rows are
// refused (a file of a million strips once took a million reads of each kind).
// Strips that lie one after another are read in one call, whatever their number.
TEST(TableTiff, StripsNoMoreThanRowsReadInFewCalls) {
  const Bytes pixels = test::RandomBytes(36, 7);
  const auto strips = [&pixels](size_t count) {
    std::vector<Bytes> parts;
    for (size_t i = 0; i < count; ++i) {
      parts.emplace_back(pixels.begin() + ptrdiff_t(36 * i / count), pixels.begin() + ptrdiff_t(36 * (i + 1) / count));
    }
    return parts;
  };
  Bytes table;
  int oneStripCalls = 0, rowStripCalls = 0;
  ASSERT_EQ(Read(test::TiffFile(test::RgbTiffEntries(1, 12), strips(1)), &table, UINT64_MAX, &oneStripCalls), CLR_OK);
  ASSERT_EQ(Read(test::TiffFile(test::RgbTiffEntries(1, 12), strips(12)), &table, UINT64_MAX, &rowStripCalls), CLR_OK);
  EXPECT_EQ(table, pixels);
  EXPECT_LE(rowStripCalls, oneStripCalls + 2);  // the arrays no longer fit their entries' fields
  for (size_t count : {13, 36}) {
    EXPECT_EQ(Read(test::TiffFile(test::RgbTiffEntries(1, 12), strips(count)), &table), CLR_ERR_TABLE_FORMAT)
        << count;
  }
  // Strips out of order are read where they lie.
  std::vector<Bytes> parts = strips(12);
  std::reverse(parts.begin(), parts.end());
  auto entries = test::RgbTiffEntries(1, 12);
  for (auto& e : entries) {
    for (uint32_t i = 0; e.tag == 273 && i < 12; ++i) e.values.push_back(8 + 3 * (11 - i));
    if (e.tag == 279) e.values.assign(12, 3);
  }
  ASSERT_EQ(Read(test::TiffFile(entries, parts), &table), CLR_OK);
  EXPECT_EQ(table, pixels);
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

// A table whose image holds only the bytes the lookups read: the rest of the
// buffer is zero. Any other short size is refused.
TEST(TableTiff, AcceptsTheBytesTheLookupsRead) {
  const Bytes pixels = test::RandomBytes(30, 8);
  for (const auto& [rows, status] : {std::pair{5u, CLR_OK}, {4u, CLR_ERR_TABLE_FORMAT}}) {
    const Bytes file = test::TiffFile(test::RgbTiffEntries(2, rows), {Bytes(pixels.begin(), pixels.begin() + 6 * rows)});
    Bytes table;
    EXPECT_EQ(Read(file, &table, UINT64_MAX, nullptr, 30), status) << rows;
    if (status == CLR_OK) {
      Bytes expected = pixels;
      expected.resize(36, 0);
      EXPECT_EQ(table, expected);
    }
  }
}

// The Lab tables: a file of the 33 x 33 x 33 nodes alone (107811 bytes) converts
// as the 108300 bytes of the built-in layout do.
TEST(TableTiff, LabTableOfTheNodesAlone) {
  test::ScratchDir dir;
  for (const auto& [src, dst, resource] : {std::tuple{CSP_RGB, CSP_LAB, 113}, {CSP_LAB, CSP_BGR, 112}}) {
    const Bytes full = test::ResourceCopy("ET", resource);
    const Bytes nodes(full.begin(), full.begin() + 107811);  // 35937 pixels, one row
    const std::string fullName = dir.Write("full.tif", test::MinimalTableTiff(full, 190));
    const std::string nodesName = dir.Write("nodes.tif", test::MinimalTableTiff(nodes, 35937));
    const std::string oneMore = dir.Write("more.tif", test::MinimalTableTiff(Bytes(107814), 35938));
    ConversionParams p = test::Params(METHOD_CUSTOM_TABLES, METHOD_CUSTOM_TABLES);
    test::HandleGuard a, b, c;
    test::SetName(p.tableFileName, fullName);
    ASSERT_EQ(Q_ClrInit(&a.h, src, dst, &p), CLR_OK);
    test::SetName(p.tableFileName, nodesName);
    ASSERT_EQ(Q_ClrInit(&b.h, src, dst, &p), CLR_OK);
    test::SetName(p.tableFileName, oneMore);
    EXPECT_EQ(Q_ClrInit(&c.h, src, dst, &p), CLR_ERR_TABLE_FORMAT);
    const Bytes in = test::RandomBytes(3 * 256, 9);
    Bytes outFull(in.size()), outNodes(in.size());
    ASSERT_EQ(Q_ClrConvert(a.h, in.data(), outFull.data(), 256, 1, 0, 0), CLR_OK);
    ASSERT_EQ(Q_ClrConvert(b.h, in.data(), outNodes.data(), 256, 1, 0, 0), CLR_OK);
    EXPECT_EQ(outNodes, outFull);
  }
}

}  // namespace
}  // namespace qclr
