#include <memory>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "icc/icc_tag_readers.h"
#include "icc/test_profile_builder.h"

namespace qclr {
namespace {

using test::Bytes;
using test::TestLut;
using test::TestProfile;

struct Closer {
  void operator()(IccProfile* p) const { IccCloseProfile(p); }
  void operator()(LutTable* t) const { FreeLutTable(t); }
};
using ProfilePtr = std::unique_ptr<IccProfile, Closer>;
using TablePtr = std::unique_ptr<LutTable, Closer>;

// Fills the values of `lut` from its dimensions: input curves `in`, grid values
// counting up from 1, output curves `out` (each curve the same).
void Fill(TestLut* lut, const std::vector<uint16_t>& in, const std::vector<uint16_t>& out) {
  lut->values.clear();
  for (uint32_t c = 0; c < lut->inputs; ++c) lut->values.insert(lut->values.end(), in.begin(), in.end());
  size_t grid = lut->outputs;
  for (uint32_t i = 0; i < lut->inputs; ++i) grid *= lut->points;
  for (size_t i = 0; i < grid; ++i) lut->values.push_back(static_cast<uint16_t>((i + 1) % (lut->wide ? 65536 : 256)));
  for (uint32_t c = 0; c < lut->outputs; ++c) lut->values.insert(lut->values.end(), out.begin(), out.end());
}

TablePtr Read(const TestLut& lut) {
  const Bytes b = TestProfile().Tag(kIccTagAToB0, test::LutTag(lut)).Build();
  const ProfilePtr p(IccOpenProfileFromMem(b.data(), b.size()));
  return TablePtr(IccReadLut(p.get(), kIccTagAToB0));
}

TEST(IccReadLut, EightBitValuesAreWidenedByAShift) {
  TestLut lut;
  lut.wide = false;
  std::vector<uint16_t> identity(256);
  for (int i = 0; i < 256; ++i) identity[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
  Fill(&lut, identity, identity);
  lut.values[256 * 3] = 0xFF;  // first grid value
  const TablePtr t = Read(lut);
  ASSERT_NE(t, nullptr);
  // i << 8 is never the evenly spaced i * 257, so both curve flags stay.
  EXPECT_EQ(t->flags, LUT_GRID | LUT_PRE_CURVES | LUT_POST_CURVES);
  EXPECT_EQ(t->inputEntries, 256);
  EXPECT_EQ(t->outputEntries, 256);
  EXPECT_EQ(t->inputCurves[2][255], 0xFF00);
  EXPECT_EQ(t->outputCurves[0][1], 0x0100);
  EXPECT_EQ(t->grid[0], 0xFF00);
  EXPECT_EQ(t->grid[1], 2 << 8);
  EXPECT_EQ(t->grid[23], 24 << 8);
}

TEST(IccReadLut, ExactRampsClearTheCurveFlags) {
  TestLut lut;
  lut.inputEntries = 256;
  lut.outputEntries = 4096;
  Fill(&lut, test::Ramp(256), test::Ramp(4096));
  TablePtr t = Read(lut);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->flags, LUT_GRID);

  // One entry off in one output curve keeps the output flag only.
  lut.values[lut.values.size() - 2] ^= 1;
  t = Read(lut);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->flags, LUT_GRID | LUT_POST_CURVES);
}

TEST(IccReadLut, MatrixDiffersFromIdentityBeyondTheTolerance) {
  struct Case {
    int element;
    int32_t raw;
    bool matrixFlag;
  };
  const Case cases[] = {
      {0, 65542, false},  // 1.00009
      {0, 65549, true},   // 1.0002
      {4, 65530, false},  // 0.99991
      {8, 65529, true},   // 0.99989
      {1, 6, false},      // 0.0000916
      {1, 7, true},       // 0.000107
      {5, -7, true},
      {3, -6, false},
      {2, static_cast<int32_t>(0x80000000), true},
  };
  for (const Case& c : cases) {
    TestLut lut;
    Fill(&lut, test::Ramp(2), test::Ramp(2));
    lut.matrix[c.element] = c.raw;
    const TablePtr t = Read(lut);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ((t->flags & LUT_MATRIX) != 0, c.matrixFlag) << c.element << " " << c.raw;
    EXPECT_EQ(t->matrix[c.element], c.raw);
  }
}

TEST(IccReadLut, KeepsTheGridOrderAndFillsTheInterpolationParameters) {
  TestLut lut;
  lut.inputs = 4;
  lut.outputs = 3;
  lut.points = 5;
  lut.inputEntries = 3;
  lut.outputEntries = 7;
  Fill(&lut, {0, 100, 65535}, test::Ramp(7));
  const TablePtr t = Read(lut);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->flags, LUT_GRID | LUT_PRE_CURVES);
  EXPECT_EQ(t->inputChannels, 4);
  EXPECT_EQ(t->outputChannels, 3);
  EXPECT_EQ(t->gridPoints, 5);
  EXPECT_EQ(t->inputCurves[3][1], 100);
  for (int i = 0; i < 5 * 5 * 5 * 5 * 3; ++i) ASSERT_EQ(t->grid[i], i + 1) << i;

  const InterpParams& g = t->gridParams;
  EXPECT_EQ(g.samples, 5);
  EXPECT_EQ(g.inputs, 4);
  EXPECT_EQ(g.outputs, 3);
  EXPECT_EQ(g.domain, 4);
  EXPECT_EQ(g.stride[0], 3);
  EXPECT_EQ(g.stride[1], 15);
  EXPECT_EQ(g.stride[2], 75);
  EXPECT_EQ(g.stride[3], 375);
  // Node (c0, c1, c2, c3) = (1, 0, 2, 4): c0 is the slowest input.
  EXPECT_EQ(t->grid[1 * g.stride[3] + 0 * g.stride[2] + 2 * g.stride[1] + 4 * g.stride[0] + 2],
            ((1 * 5 + 0) * 5 + 2) * 5 * 3 + 4 * 3 + 2 + 1);
  EXPECT_EQ(t->inputParams.samples, 3);
  EXPECT_EQ(t->inputParams.domain, 2);
  EXPECT_EQ(t->inputParams.inputs, 1);
  EXPECT_EQ(t->inputParams.outputs, 1);
  EXPECT_EQ(t->outputParams.samples, 7);
  EXPECT_EQ(t->outputParams.domain, 6);
}

TEST(IccReadLut, RefusesTablesThatCannotBeRead) {
  struct Case {
    const char* what;
    void (*change)(TestLut*);
  };
  const Case cases[] = {
      {"17 inputs", [](TestLut* l) { l->inputs = 17; }},
      {"17 outputs", [](TestLut* l) { l->outputs = 17; }},
      {"no inputs", [](TestLut* l) { l->inputs = 0; }},
      {"no outputs", [](TestLut* l) { l->outputs = 0; }},
      {"one grid point", [](TestLut* l) { l->points = 1; }},
      {"no grid points", [](TestLut* l) { l->points = 0; }},
      {"one input entry", [](TestLut* l) { l->inputEntries = 1; }},
      {"no output entries", [](TestLut* l) { l->outputEntries = 0; }},
      {"grid cut short", [](TestLut* l) { l->values.resize(3 * 2 + 8 * 3 - 1); }},
      {"output curve cut short", [](TestLut* l) { l->values.pop_back(); }},
      {"16 inputs of 255 points (overflows 64 bits)",
       [](TestLut* l) {
         l->inputs = 16;
         l->points = 255;
       }},
      {"65535-entry curves", [](TestLut* l) { l->inputEntries = l->outputEntries = 65535; }},
      {"8-bit table cut short",
       [](TestLut* l) {
         l->wide = false;
         l->values.resize(3 * 256 + 24 + 3 * 255);
       }},
  };
  for (const Case& c : cases) {
    TestLut lut;
    Fill(&lut, test::Ramp(2), test::Ramp(2));
    c.change(&lut);
    EXPECT_EQ(Read(lut), nullptr) << c.what;
  }
  // Other types and absent tags.
  const Bytes b = TestProfile().Tag(kIccTagAToB0, test::CurveTag({})).Build();
  const ProfilePtr p(IccOpenProfileFromMem(b.data(), b.size()));
  EXPECT_EQ(IccReadLut(p.get(), kIccTagAToB0), nullptr);
  EXPECT_EQ(IccReadLut(p.get(), kIccTagBToA0), nullptr);
}

TEST(IccReadLut, SixteenChannelsAreTheMost) {
  TestLut lut;
  lut.inputs = 16;
  lut.outputs = 16;
  Fill(&lut, test::Ramp(2), test::Ramp(2));
  const TablePtr t = Read(lut);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->inputChannels, 16);
  EXPECT_EQ(t->grid[(1 << 16) * 16 - 1], static_cast<uint16_t>((1 << 16) * 16));
}

TEST(IccReadLut, ReleasesEverythingWhenAnAllocationFails) {
  TestLut lut;
  Fill(&lut, test::Ramp(2), test::Ramp(2));
  const Bytes b = TestProfile().Tag(kIccTagAToB0, test::LutTag(lut)).Build();
  const ProfilePtr p(IccOpenProfileFromMem(b.data(), b.size()));
  int failures = 0;
  for (long n = 0;; ++n) {
    SetAllocationFailure(n);
    TablePtr t(IccReadLut(p.get(), kIccTagAToB0));
    SetAllocationFailure(-1);
    if (t != nullptr) break;
    ++failures;
  }
  EXPECT_EQ(failures, 1 + 3 + 1 + 3) << "table, input curves, grid, output curves";
}

}  // namespace
}  // namespace qclr
