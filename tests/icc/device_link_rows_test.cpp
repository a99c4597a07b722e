// Device-link rows: every implementation against the definition (unpack, grid
// interpolation, pack), on grids of every shape whose nodes take the extreme
// values, at widths around the vector steps and in place. (The transforms between
// the built-in profiles take these rows; the exhaustive check runs them all.)

#include "icc/device_link_rows.h"

#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;

// A device link as the builder samples it: a grid alone, the first input varying
// slowest. Nodes are 0, 65535 or random, so that neighbouring nodes differ by as
// much as a channel can.
LutPtr ExtremeGrid(int32_t inputs, int32_t outputs, int32_t points, uint32_t seed) {
  LutPtr t(static_cast<LutTable*>(MemCalloc(1, sizeof(LutTable))));
  t->flags = LUT_GRID;
  t->inputChannels = inputs, t->outputChannels = outputs, t->gridPoints = points;
  InterpParams& g = t->gridParams;
  g = {points, inputs, outputs, uint16_t(points - 1), {}};
  for (int32_t k = 0, step = outputs; k < 4; ++k, step *= points) g.stride[k] = step;
  const size_t values = size_t(g.stride[inputs - 1]) * points;
  t->grid = static_cast<uint16_t*>(MemAlloc(values * sizeof(uint16_t)));
  const std::vector<uint8_t> noise = RandomBytes(values * 2, seed);
  for (size_t i = 0; i < values; ++i) {
    const uint16_t word = uint16_t(noise[2 * i] << 8 | noise[2 * i + 1]);
    t->grid[i] = word % 3 == 0 ? 0 : word % 3 == 1 ? 65535 : word;
  }
  return t;
}

// Random pixels, then every byte value in every channel beside random others.
std::vector<uint8_t> Pixels(int32_t channels, int32_t randomPixels, uint32_t seed) {
  std::vector<uint8_t> px = RandomBytes(size_t(randomPixels + 256 * channels) * channels, seed);
  for (int32_t c = 0; c < channels; ++c) {
    for (int32_t v = 0; v < 256; ++v) px[size_t(randomPixels + 256 * c + v) * channels + c] = uint8_t(v);
  }
  return px;
}

// Converts `pixels` (packed in `inFormat`) with `run` from `inOffset` bytes into a
// buffer, to `outOffset` bytes into another whose other bytes hold the sentinel.
template <typename Run>
std::vector<uint8_t> RunAt(const Run& run, const std::vector<uint8_t>& pixels, int32_t count, int32_t inOffset,
                           int32_t outBytes, int32_t outOffset) {
  std::vector<uint8_t> in(size_t(inOffset), 0);
  in.insert(in.end(), pixels.begin(), pixels.end());
  std::vector<uint8_t> out(size_t(outOffset + count * outBytes + 4), kSentinel);
  run(in.data() + inOffset, out.data() + outOffset, count);
  return out;
}

TEST(DeviceLinkRows, ExtremeGridsOfEveryShape) {
  struct Shape {
    int32_t inputs, outputs, points;
    uint32_t inFormat, outFormat;
  };
  const Shape shapes[] = {
      {3, 3, 33, kFormatRgb8, kFormatRgb8}, {3, 3, 33, kFormatBgr8, kFormatBgr8}, {3, 4, 33, kFormatRgb8, kFormatCmyk8},
      {3, 3, 2, kFormatBgr8, kFormatRgb8},  {3, 4, 5, kFormatBgr8, kFormatCmyk8}, {3, 3, 64, kFormatRgb8, kFormatLab8},
      {4, 3, 16, kFormatCmyk8, kFormatRgb8}, {4, 3, 16, kFormatCmyk8, kFormatBgr8}, {4, 4, 16, kFormatCmyk8, kFormatCmyk8},
      {4, 3, 2, kFormatCmyk8, kFormatLab8}, {4, 4, 3, kFormatCmyk8, kFormatCmyk8}, {4, 3, 23, kFormatCmyk8, kFormatRgb8},
  };
  for (const Shape& s : shapes) {
    const LutPtr link = ExtremeGrid(s.inputs, s.outputs, s.points, uint32_t(s.points * 10 + s.outputs));
    const Unpacker unpack = SelectUnpacker(s.inFormat);
    const Packer pack = SelectPacker(s.outFormat);
    DeviceLinkTables* tables = PrepareDeviceLinkTables(*link, s.inFormat, s.outFormat, unpack, pack);
    ASSERT_NE(tables, nullptr);
    const std::vector<uint8_t> pixels = Pixels(s.inputs, 4000, uint32_t(s.points));
    const auto definition = [&](const uint8_t* in, uint8_t* out, int32_t n) {
      RunDeviceLinkDefinition(*link, unpack, pack, in, out, n);
    };
    std::vector<int32_t> counts = AwkwardWidths();
    counts.push_back(int32_t(pixels.size()) / s.inputs);
    for (const int32_t count : counts) {
      const std::vector<uint8_t> expected = RunAt(definition, pixels, count, 0, s.outputs, 0);
      ForEachInstructionSet([&](InstructionSet isa) {
        SCOPED_TRACE(testing::Message() << InstructionSetName(isa) << ", " << s.inputs << " -> " << s.outputs
                                        << ", " << s.points << " points, " << count << " pixels");
        const DeviceLinkRow row = SelectRow(s.inputs == 4 ? kDeviceLink4Rows : kDeviceLink3Rows);
        const auto fast = [&](const uint8_t* in, uint8_t* out, int32_t n) { row(*tables, in, out, n); };
        EXPECT_EQ(RunAt(fast, pixels, count, 1 + count % 3, s.outputs, 0), expected);  // the bytes after it too
        if (s.inputs == s.outputs) {
          std::vector<uint8_t> inPlace(pixels.begin(), pixels.begin() + ptrdiff_t(count) * s.inputs);
          row(*tables, inPlace.data(), inPlace.data(), count);
          EXPECT_TRUE(std::equal(inPlace.begin(), inPlace.end(), expected.begin())) << "in place";
        }
      });
    }
    FreeDeviceLinkTables(tables);
  }
}

TEST(DeviceLinkRows, TablesOnlyForEightBitGridsTheyAddress) {
  const LutPtr link = ExtremeGrid(3, 4, 33, 7);
  const auto prepare = [&](uint32_t in, uint32_t out) {
    DeviceLinkTables* t = PrepareDeviceLinkTables(*link, in, out, SelectUnpacker(in), SelectPacker(out));
    const bool made = t != nullptr;
    FreeDeviceLinkTables(t);
    return made;
  };
  EXPECT_TRUE(prepare(kFormatRgb8, kFormatCmyk8));
  EXPECT_FALSE(prepare(kFormat3x16, kFormatCmyk8));   // 16-bit channels
  EXPECT_FALSE(prepare(kFormatRgb8, kFormat4x16));
  EXPECT_FALSE(prepare(kFormatCmyk8, kFormatCmyk8));  // four bytes for a 3-input grid
  EXPECT_FALSE(prepare(kFormatRgb8, kFormatRgb8));    // three bytes for four outputs
  link->flags |= LUT_POST_CURVES;                     // more than a grid
  EXPECT_FALSE(prepare(kFormatRgb8, kFormatCmyk8));
}

// Without tables (a 16-bit side, or no memory for them) a transform converts by
// the definition at every instruction set.
TEST(DeviceLinkRows, TransformWithoutTablesConvertsByTheDefinition) {
  TransformPtr t = BuildBuiltin(kFormatCmyk8, kFormatRgb8);
  ASSERT_NE(t, nullptr);
  ASSERT_NE(t->linkTables, nullptr);  // the built-in transforms take the fast rows
  const std::vector<uint8_t> pixels = Pixels(4, 500, 3);
  const std::vector<uint8_t> expected = Convert(*t, pixels);
  FreeDeviceLinkTables(t->linkTables);
  t->linkTables = nullptr;
  ForEachInstructionSet([&](InstructionSet isa) { EXPECT_EQ(Convert(*t, pixels), expected) << InstructionSetName(isa); });
}

}  // namespace
}  // namespace qclr
