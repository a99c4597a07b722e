// Many files into a folder on every core, one image in bands, raw video frames,
// and standard input and output: the bytes are those of a single plain conversion.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "tools/tool_files.h"

namespace qclr::test {
namespace {

TEST(Batch, ConvertsEveryFileAndReportsTheFailures) {
  ScratchDir in, out;
  std::vector<std::string> args = {"convert", "--to", "CMYK", "--format", "tiff", "-j", "2", "-o", out.Path("")};
  for (int i = 0; i < 6; ++i) {
    const std::string name = in.Path("image" + std::to_string(i) + ".png");
    WritePng(name, Pattern(16 + i, 8, 3));
    args.push_back(name);
  }
  args.push_back(in.Write("broken.png", {0x89, 'P', 'N', 'G'}));
  const ToolRun run = RunTool(args);
  EXPECT_EQ(run.exitCode, 3);  // the first failure's status
  EXPECT_NE(run.err.find("'" + in.Path("broken.png") + "'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("1 of 7 files failed"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('['), std::string::npos) << "no progress bar off a terminal";
  const std::vector<std::string> expected = {"image0.tif", "image1.tif", "image2.tif",
                                             "image3.tif", "image4.tif", "image5.tif"};
  EXPECT_EQ(FolderEntries(out.Path("")), expected);
  for (int i = 0; i < 6; ++i) {
    const Pixels rgb = Pattern(16 + i, 8, 3);
    std::vector<uint8_t> cmyk(static_cast<size_t>(rgb.width) * rgb.height * 4);
    ASSERT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_CMYK, rgb.samples.data(), cmyk.data(), rgb.width, rgb.height, 0, 0),
              CLR_OK);
    EXPECT_EQ(ReadTiff(out.Path(expected[static_cast<size_t>(i)])).samples, cmyk);
  }
}

// A large image in bands on several threads gives the bytes of one thread, by
// every route (direct, handle with the built-in formulas, ICC transform).
TEST(Batch, BandsGiveTheBytesOfOneCall) {
  ScratchDir dir;
  const std::string in = dir.Path("big.png");
  WritePng(in, Pattern(200, 301, 3));
  for (const std::vector<std::string>& route : {std::vector<std::string>{"--to", "YUY2"},
                                                {"--to", "LAB", "--method", "builtin"},
                                                {"--to", "CMYK", "--method", "icc"}}) {
    SCOPED_TRACE(route.back());
    for (const char* threads : {"1", "4"}) {
      std::vector<std::string> options = {"-j", threads};
      options.insert(options.end(), route.begin(), route.end());
      ASSERT_EQ(RunConvert(options, in, dir.Path(threads + std::string(".pam"))).exitCode, 0);
    }
    EXPECT_EQ(ReadBytes(dir.Path("1.pam")), ReadBytes(dir.Path("4.pam")));
  }
}

// A raw YUY2 frame, with and without row padding, into a PNG; and back out as raw.
TEST(Batch, RawVideoFrames) {
  ScratchDir dir;
  const int width = 14, height = 5;
  std::vector<uint8_t> yuy2(static_cast<size_t>(width) * 2 * height);
  for (size_t i = 0; i < yuy2.size(); ++i) yuy2[i] = static_cast<uint8_t>(16 + (i * 37) % 220);
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3 * height);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_YUY2, CSP_RGB, yuy2.data(), rgb.data(), width, height, 0, 0), CLR_OK);
  // Rows of 28 bytes padded to 32.
  std::vector<uint8_t> padded;
  for (int y = 0; y < height; ++y) {
    padded.insert(padded.end(), yuy2.begin() + y * 28, yuy2.begin() + (y + 1) * 28);
    padded.insert(padded.end(), 4, 0xEE);
  }
  const struct {
    std::vector<uint8_t> file;
    const char* align;
  } cases[] = {{yuy2, "0"}, {padded, "8"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.align);
    const std::string in = dir.Write("frame.yuy2", c.file);
    const ToolRun run = RunTool({"convert", "--from", "YUY2", "--size", "14x5", "--align", c.align, "--to", "RGB", in,
                                 dir.Path("frame.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadPng(dir.Path("frame.png")).samples, rgb);
    ASSERT_EQ(RunTool({"convert", "--from", "YUY2", "--size", "14x5", "--align", c.align, "--to", "YUY2", in,
                       dir.Path("copy.raw")}).exitCode, 0);
    std::vector<uint8_t> expected = c.file;
    for (size_t i = 0; i < expected.size(); ++i) {
      if (expected[i] == 0xEE) expected[i] = 0;  // padding is written as zeros
    }
    EXPECT_EQ(ReadBytes(dir.Path("copy.raw")), expected);
  }
}

TEST(Batch, StandardInputAndOutput) {
  ScratchDir dir;
  const std::string in = dir.Path("in.png");
  WritePng(in, Pattern(12, 7, 3));
  ASSERT_EQ(RunTool({"convert", "--to", "HSV", in, dir.Path("file.pam")}).exitCode, 0);
  const ToolRun piped = RunTool({"convert", "--to", "HSV", "-", "-"}, in);
  ASSERT_EQ(piped.exitCode, 0) << piped.err;
  const std::vector<uint8_t> file = ReadBytes(dir.Path("file.pam"));
  EXPECT_EQ(std::vector<uint8_t>(piped.out.begin(), piped.out.end()), file);
  const ToolRun png = RunTool({"convert", "--to", "RGB", "--format", "png", "-", "-"}, in);
  ASSERT_EQ(png.exitCode, 0);
  EXPECT_EQ(png.out.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace qclr::test
