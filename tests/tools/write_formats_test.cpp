// What qclr writes, read back by the image libraries: the format the name asks
// for, the pixels of the library's conversion, the destination profile embedded
// where the format holds one, the inverted-ink convention of CMYK JPEG.
#include <tiffio.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "tools/tool_files.h"

namespace qclr::test {
namespace {

// The library's own conversion of an RGB pattern, as the tool should write it.
std::vector<uint8_t> Direct(const Pixels& rgb, int32_t to, size_t bytesPerPixel) {
  std::vector<uint8_t> out(static_cast<size_t>(rgb.width) * rgb.height * bytesPerPixel);
  EXPECT_EQ(Q_ClrConvertDirect(CSP_RGB, to, rgb.samples.data(), out.data(), rgb.width, rgb.height, 0, 0), CLR_OK);
  return out;
}

TEST(WriteFormats, FormatsFollowTheNameWithTheDestinationProfile) {
  ScratchDir dir;
  const Pixels rgb = Pattern(24, 10, 3);
  const std::string in = dir.Path("in.png");
  WritePng(in, rgb);
  const std::vector<uint8_t> display = ResourceCopy("ICM", 105), lab = ResourceCopy("ICM", 106),
                             press = ResourceCopy("ICM", 107);
  const std::vector<uint8_t> none;
  const struct {
    std::vector<std::string> options;
    const char* out;
    const std::vector<uint8_t>* profile;  // embedded in the output
    uint16_t photometric;                 // TIFF outputs
  } cases[] = {
      {{"--to", "CMYK"}, "direct.tif", &none, PHOTOMETRIC_SEPARATED},
      {{"--to", "CMYK", "--method", "icc"}, "icc.tif", &press, PHOTOMETRIC_SEPARATED},
      {{"--to", "CMYK", "--src-profile", "builtin"}, "custom.tif", &press, PHOTOMETRIC_SEPARATED},
      {{"--to", "LAB"}, "lab-builtin.tif", &none, PHOTOMETRIC_CIELAB},
      {{"--to", "LAB", "--method", "icc"}, "lab-icc.tif", &lab, PHOTOMETRIC_ICCLAB},
      {{"--to", "RGB", "--method", "custom-icc"}, "rgb.png", &display, 0},
      {{"--to", "CMYK", "--method", "icc"}, "icc.jpg", &press, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    const ToolRun run = RunConvert(c.options, in, dir.Path(c.out));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Pixels got = ReadImage(dir.Path(c.out));
    EXPECT_EQ(got.width, rgb.width);
    EXPECT_EQ(got.profile, *c.profile);
    if (c.photometric != 0) {
      EXPECT_EQ(got.photometric, c.photometric);
    }
  }
  // The direct route's bytes, unchanged by the file.
  EXPECT_EQ(ReadTiff(dir.Path("direct.tif")).samples, Direct(rgb, CSP_CMYK, 4));
  EXPECT_EQ(ReadTiff(dir.Path("lab-builtin.tif")).samples, Direct(rgb, CSP_LAB, 3));
  // The ICC method writes a + 128 into PAM and TIFF alike.
  ASSERT_EQ(RunTool({"convert", "--to", "LAB", "--method", "icc", in, dir.Path("lab-icc.pam")}).exitCode, 0);
  std::string type;
  EXPECT_EQ(ReadPnm(dir.Path("lab-icc.pam"), &type).samples, ReadTiff(dir.Path("lab-icc.tif")).samples);
  EXPECT_EQ(type, "QCLR_LAB_ICC");
  // The custom-icc route through the built-in profiles gives the icc method's bytes.
  EXPECT_EQ(ReadTiff(dir.Path("custom.tif")).samples, ReadTiff(dir.Path("icc.tif")).samples);
  // A CMYK JPEG stores its inks inverted behind the APP14 marker.
  const Pixels jpeg = ReadJpeg(dir.Path("icc.jpg"));
  EXPECT_TRUE(jpeg.invertedInks);
  const std::vector<uint8_t> cmyk = ReadTiff(dir.Path("icc.tif")).samples;
  ASSERT_EQ(jpeg.samples.size(), cmyk.size());
  long long error = 0;
  for (size_t i = 0; i < cmyk.size(); ++i) error += std::abs((255 - jpeg.samples[i]) - cmyk[i]);
  EXPECT_LT(static_cast<double>(error) / static_cast<double>(cmyk.size()), 3.0);
}

TEST(WriteFormats, AlphaIsKeptWhereTheFormatHoldsItAndDroppedWithAWarning) {
  ScratchDir dir;
  const Pixels rgba = Pattern(10, 6, 4);
  const std::string in = dir.Path("in.png");
  WritePng(in, rgba);
  const struct {
    const char* out;
    int channels;  // of the written file
    bool warned;
  } cases[] = {{"a.png", 4, false}, {"a.tif", 4, false}, {"a.jpg", 3, true}, {"a.ppm", 3, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    const ToolRun run = RunTool({"convert", "--to", "RGB", in, dir.Path(c.out)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find("alpha dropped") != std::string::npos, c.warned) << run.err;
    const Pixels got = ReadImage(dir.Path(c.out));
    EXPECT_EQ(got.channels, c.channels);
    if (c.channels == 4) {
      EXPECT_EQ(got.samples, rgba.samples);
    }
  }
  // -q silences the warning.
  EXPECT_EQ(RunTool({"convert", "-q", "--to", "RGB", in, dir.Path("b.jpg")}).err, "");
}

}  // namespace
}  // namespace qclr::test
