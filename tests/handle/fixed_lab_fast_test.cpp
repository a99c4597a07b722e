// The fast rows of the fixed-point Lab conversion: their tables, the direct
// threshold index, and every implementation against the definition.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "handle/fixed_lab_fast.h"
#include "handle/fixed_point_lab.h"
#include "handle/lab_fixed_math.h"
#include "support/lab_test_records.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;
using test::LabEncoding;

struct Encoding {
  const char* name;
  LabOptions options;
};

// The default, narrow chroma ranges (most colours are limited), limits that
// exclude a* = 0, and offsets outside the byte range.
const Encoding kEncodings[] = {
    {"default", test::kDefaultLabEncoding},
    {"narrow", LabEncoding(10, 80, 128, 60, 128, 50)},
    {"limits away from zero", LabEncoding(0, 100, -10, 170, 96, 200)},
    {"far offsets", LabEncoding(-40, 150, 300, 120, -200, 90)},
};

std::unique_ptr<LabDecodeFast> DecodeTables(const LabDecodeTable& record) {
  auto fast = std::make_unique<LabDecodeFast>();
  return PrepareLabDecodeFast(record, fast.get()) ? std::move(fast) : nullptr;
}

std::unique_ptr<LabEncodeFast> EncodeTables(const LabEncodeTable& record) {
  auto fast = std::make_unique<LabEncodeFast>();
  return PrepareLabEncodeFast(record, fast.get()) ? std::move(fast) : nullptr;
}

// Random pixels of `width`, with black, white, greys and the corners of the cube
// at the front.
Bytes Pixels(int32_t width, uint32_t seed) {
  Bytes px = test::RandomBytes(3 * static_cast<size_t>(width), seed);
  const Bytes telling = {0, 0, 0, 255, 255, 255, 128, 128, 128, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
  std::copy_n(telling.begin(), std::min(telling.size(), px.size()), px.begin());
  return px;
}

// Runs `row` on `src` placed at `offset` bytes, into a destination at `offset`
// whose bytes after the row hold the sentinel; returns the row's bytes and checks
// the sentinel.
template <typename Row>
Bytes RunRow(const Row& row, const Bytes& src, int32_t width, int32_t offset, const std::string& what) {
  Bytes in(static_cast<size_t>(offset), 0);
  in.insert(in.end(), src.begin(), src.end());
  Bytes out(static_cast<size_t>(offset) + src.size() + 8, test::kSentinel);
  row(in.data() + offset, out.data() + offset, width);
  EXPECT_TRUE(std::all_of(out.end() - 8, out.end(), [](uint8_t b) { return b == test::kSentinel; })) << what;
  return Bytes(out.begin() + offset, out.end() - 8);
}

// Every dark colour (L up to 40, a and b in steps of 3): the linear part of the
// inverse companding, where the rows take the subtraction apart, decides these.
Bytes DarkColours() {
  Bytes dark;
  for (int l = 0; l <= 40; ++l) {
    for (int a = 0; a < 256; a += 3) {
      for (int b = 1; b < 256; b += 3) dark.insert(dark.end(), {uint8_t(l), uint8_t(a), uint8_t(b)});
    }
  }
  return dark;
}

// Widths around the vector steps, and the dark colours (width 0 here).
std::vector<int32_t> Widths() {
  std::vector<int32_t> widths = test::AwkwardWidths();
  widths.insert(widths.end(), {47, 48, 49, 100, 257, 0});
  return widths;
}

TEST(FixedLabFastRows, EveryImplementationGivesTheDefinitionsBytes) {
  for (const Encoding& e : kEncodings) {
    const test::LabRecords r = test::BuildLabRecords(e.options);
    const std::unique_ptr<LabDecodeFast> decode = DecodeTables(*r.decode);
    const std::unique_ptr<LabEncodeFast> encode = EncodeTables(*r.encode);
    ASSERT_NE(decode, nullptr) << e.name;
    ASSERT_NE(encode, nullptr) << e.name;
    for (int32_t listed : Widths()) {
      const int32_t width = listed > 0 ? listed : static_cast<int32_t>(DarkColours().size() / 3);
      for (int32_t order : {0, 1}) {
        const Bytes src = listed > 0 ? Pixels(width, static_cast<uint32_t>(width * 2 + order)) : DarkColours();
        Bytes rgb(src.size()), lab(src.size());
        LabToRgbFixedRow(src.data(), rgb.data(), width, *r.decode, order);
        RgbToLabFixedRow(src.data(), lab.data(), width, *r.encode, order);
        test::ForEachInstructionSet([&](InstructionSet isa) {
          const std::string what = std::string(e.name) + ", " + InstructionSetName(isa) + ", width " +
                                   std::to_string(width) + ", order " + std::to_string(order);
          const LabDecodeRow toRgb = SelectRow(kLabDecodeRows);
          const LabEncodeRow toLab = SelectRow(kLabEncodeRows);
          const auto decodeRow = [&](const uint8_t* s, uint8_t* d, int32_t w) { toRgb(s, d, w, *decode, order); };
          const auto encodeRow = [&](const uint8_t* s, uint8_t* d, int32_t w) { toLab(s, d, w, *encode, order); };
          EXPECT_EQ(RunRow(decodeRow, src, width, width % 5, what), rgb) << what;
          EXPECT_EQ(RunRow(encodeRow, src, width, width % 3, what), lab) << what;
          Bytes inPlace = src;
          toRgb(inPlace.data(), inPlace.data(), width, *decode, order);
          EXPECT_EQ(inPlace, rgb) << what << ", in place";
          inPlace = src;
          toLab(inPlace.data(), inPlace.data(), width, *encode, order);
          EXPECT_EQ(inPlace, lab) << what << ", in place";
        });
      }
    }
  }
}

// The bucket index: bucket 0 below 256, rising with v, each bucket above it at
// most 1/128 of its start wide, and the code it gives is the binary search's at
// every threshold, next to each, and across the whole range.
TEST(FixedLabFastRows, BucketsGiveTheThresholdSearchsCodes) {
  EXPECT_EQ(LabCodeBucket(INT32_MIN), 0);
  EXPECT_EQ(LabCodeBucket(255), 0);
  EXPECT_EQ(LabCodeBucket(256), 1);
  EXPECT_EQ(LabCodeBucket(INT32_MAX), kLabCodeBuckets - 1);
  int32_t previous = 0;
  for (int64_t v = 0; v <= INT32_MAX; v += 997) {
    const int32_t k = LabCodeBucket(static_cast<int32_t>(v));
    ASSERT_GE(k, previous) << v;
    if (v >= (1 << 16) && v <= INT32_MAX / 65 * 64) {
      ASSERT_NE(LabCodeBucket(static_cast<int32_t>(v + v / 64)), k) << v;
    }
    previous = k;
  }
  for (const Encoding& e : kEncodings) {
    const test::LabRecords r = test::BuildLabRecords(e.options);
    const std::unique_ptr<LabDecodeFast> fast = DecodeTables(*r.decode);
    ASSERT_NE(fast, nullptr) << e.name;
    const int32_t* t = r.decode->thresholds;
    for (int32_t i = 0; i < 255; ++i) {
      for (int32_t v : {t[i] - 1, t[i], t[i] + 1}) {
        ASSERT_EQ(EncodeByBuckets(v, *fast), EncodeByThresholds(v, t)) << e.name << ", " << v;
      }
    }
    for (int64_t v = INT32_MIN; v <= INT32_MAX; v += 65521) {
      const auto value = static_cast<int32_t>(v);
      ASSERT_EQ(EncodeByBuckets(value, *fast), EncodeByThresholds(value, t)) << e.name << ", " << v;
    }
  }
}

// Records the fast rows cannot follow exactly make preparation decline, and the
// kernels then convert by the definition, at every instruction set.
TEST(FixedLabFastRows, PreparationDeclinesWhatTheRowsCannotMatch) {
  struct Case {
    const char* name;
    void (*spoil)(test::LabRecords& r);
    bool decode, encode;  // which preparation must decline
  };
  const Case cases[] = {
      {"thresholds not ascending", [](test::LabRecords& r) { std::swap(r.decode->thresholds[9], r.decode->thresholds[10]); },
       true, false},
      {"two thresholds in one bucket",  // 1 apart, neither at a bucket's start (a multiple of 256)
       [](test::LabRecords& r) {
         int32_t* t = r.decode->thresholds;
         t[200] = (t[200] | 255) - 200, t[201] = t[200] + 1;
       },
       true, false},
      {"a chroma term beyond 32 bits", [](test::LabRecords& r) { r.decode->aScale = 3e9; }, true, false},
      {"a row that would saturate", [](test::LabRecords& r) { r.decode->fixedMatrix[3] = 1 << 22; }, true, false},
      {"companding table falling", [](test::LabRecords& r) { r.encode->cubeRoot[100] = 65000; }, false, true},
      {"channel sums beyond 32 bits", [](test::LabRecords& r) { r.encode->channelTables[4][255] = INT32_MAX; },
       false, true},
      {"an L offset beyond 32 bits", [](test::LabRecords& r) { r.encode->lOffsetFixed = INT32_MAX - 10; }, false,
       true},
  };
  const int32_t width = 64, height = 80;  // enough pixels for the fast rows
  const Bytes src = Pixels(width * height, 5);
  for (const Case& c : cases) {
    test::LabRecords r = test::BuildLabRecords(test::kDefaultLabEncoding);
    c.spoil(r);
    EXPECT_EQ(DecodeTables(*r.decode) == nullptr, c.decode) << c.name;
    EXPECT_EQ(EncodeTables(*r.encode) == nullptr, c.encode) << c.name;
    Bytes rgb(src.size()), lab(src.size());
    for (int32_t y = 0; y < height; ++y) {
      const size_t at = 3 * static_cast<size_t>(width) * y;
      LabToRgbFixedRow(&src[at], &rgb[at], width, *r.decode, 1);
      RgbToLabFixedRow(&src[at], &lab[at], width, *r.encode, 1);
    }
    test::ForEachInstructionSet([&](InstructionSet isa) {
      Bytes out(src.size());
      LabToRgbFixed(src.data(), out.data(), width, height, 0, 0, *r.decode, 1);
      EXPECT_EQ(out, rgb) << c.name << ", " << InstructionSetName(isa);
      RgbToLabFixed(src.data(), out.data(), width, height, 0, 0, *r.encode, 1);
      EXPECT_EQ(out, lab) << c.name << ", " << InstructionSetName(isa);
    });
  }
}

}  // namespace
}  // namespace qclr
