// qclr reads the files that the image libraries write: every layout the reader
// claims, with the samples, alpha, 16-bit rounding and embedded profiles checked
// through the PAM file of an unchanged-space conversion.
#include <tiffio.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/handle_fixtures.h"
#include "tools/tool_files.h"

namespace qclr::test {
namespace {

uint8_t Round16(uint8_t high, uint8_t low) { return static_cast<uint8_t>(((high << 8 | low) * 255 + 32767) / 65535); }

// 8-bit samples of a pattern: 16-bit ones rounded, grey spread over RGB.
std::vector<uint8_t> Expected(const Pixels& p, bool grey) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < p.samples.size(); i += p.bits / 8) {
    const uint8_t v = p.bits == 16 ? Round16(p.samples[i], p.samples[i + 1]) : p.samples[i];
    for (int n = 0; n < (grey ? 3 : 1); ++n) out.push_back(v);
  }
  return out;
}

struct ReadCase {
  const char* name;
  const char* file;
  std::function<Pixels(const std::string&)> write;  // writes the file, returns what it holds
  const char* to;
  const char* tupleType;
  bool grey;
  double meanError;  // 0: exact; JPEG is lossy
};

TEST(ReadFormats, ReadsWhatTheImageLibrariesWrite) {
  const std::vector<uint8_t> rgbProfile = ResourceCopy("ICM", 105);
  const std::vector<uint8_t> pressProfile = ResourceCopy("ICM", 107);  // 10 APP2 chunks in a JPEG
  const ReadCase cases[] = {
      {"png rgb 8", "a.png", [](const std::string& f) { auto p = Pattern(20, 9, 3); WritePng(f, p); return p; },
       "RGB", "RGB", false, 0},
      {"png rgba 16", "a.png", [](const std::string& f) { auto p = Pattern(20, 9, 4, 16); WritePng(f, p); return p; },
       "RGB", "RGB_ALPHA", false, 0},
      {"png grey", "a.png", [](const std::string& f) { auto p = Pattern(7, 5, 1); WritePng(f, p); return p; },
       "RGB", "RGB", true, 0},
      {"jpeg rgb", "a.jpg", [](const std::string& f) { auto p = Pattern(16, 16, 3); WriteJpeg(f, p); return p; },
       "RGB", "RGB", false, 8},
      {"jpeg grey", "a.jpg", [](const std::string& f) { auto p = Pattern(16, 8, 1); WriteJpeg(f, p); return p; },
       "RGB", "RGB", true, 2},
      {"jpeg cmyk inverted", "a.jpg",
       [&](const std::string& f) { auto p = Pattern(16, 16, 4); p.profile = pressProfile; WriteJpeg(f, p); return p; },
       "CMYK", "CMYK", false, 8},
      {"jpeg ycck inverted", "a.jpg",
       [](const std::string& f) { auto p = Pattern(16, 16, 4); WriteJpeg(f, p, true); return p; }, "CMYK", "CMYK",
       false, 8},
      {"tiff rgb strips", "a.tif",
       [&](const std::string& f) { auto p = Pattern(21, 11, 3); p.profile = rgbProfile; WriteTiff(f, p, PHOTOMETRIC_RGB, false, false); return p; },
       "RGB", "RGB", false, 0},
      {"tiff rgba 16 tiles", "a.tif",
       [](const std::string& f) { auto p = Pattern(37, 19, 4, 16); WriteTiff(f, p, PHOTOMETRIC_RGB, true, false); return p; },
       "RGB", "RGB_ALPHA", false, 0},
      {"tiff cmyk planes", "a.tif",
       [](const std::string& f) { auto p = Pattern(21, 11, 4); WriteTiff(f, p, PHOTOMETRIC_SEPARATED, false, true); return p; },
       "CMYK", "CMYK", false, 0},
      {"tiff cmyk 16 tiled planes", "a.tif",
       [](const std::string& f) { auto p = Pattern(33, 17, 4, 16); WriteTiff(f, p, PHOTOMETRIC_SEPARATED, true, true); return p; },
       "CMYK", "CMYK", false, 0},
      {"tiff grey 16", "a.tif",
       [](const std::string& f) { auto p = Pattern(9, 4, 1, 16); WriteTiff(f, p, PHOTOMETRIC_MINISBLACK, false, false); return p; },
       "RGB", "RGB", true, 0},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::string in = dir.Path(c.file), out = dir.Path("out.pam");
    const Pixels written = c.write(in);
    const ToolRun run = RunTool({"convert", "--to", c.to, in, out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find("16-bit samples rounded to 8 bits") != std::string::npos, written.bits == 16) << run.err;
    std::string type;
    const Pixels got = ReadPnm(out, &type);
    EXPECT_EQ(type, c.tupleType);
    EXPECT_EQ(got.width, written.width);
    EXPECT_EQ(got.height, written.height);
    const std::vector<uint8_t> expected = Expected(written, c.grey);
    ASSERT_EQ(got.samples.size(), expected.size());
    int worst = 0;
    double sum = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
      worst = std::max(worst, std::abs(got.samples[i] - expected[i]));
      sum += std::abs(got.samples[i] - expected[i]);
    }
    if (c.meanError == 0) {
      EXPECT_EQ(worst, 0);
    } else {  // inks read the wrong way round would be off by about 100
      EXPECT_LE(sum / static_cast<double>(expected.size()), c.meanError);
    }
    if (!written.profile.empty()) {
      // The embedded profile travels with an unchanged-space conversion into a TIFF.
      ASSERT_EQ(RunTool({"convert", "--to", c.to, in, dir.Path("copy.tif")}).exitCode, 0);
      EXPECT_EQ(ReadTiff(dir.Path("copy.tif")).profile, written.profile);
    }
  }
}

// Lab TIFFs of both encodings, 8 and 16 bits: CIE Lab holds a and b as signed
// values, ICC Lab as a + 128; each is read as what it holds and written back the
// same way.
TEST(ReadFormats, LabTiffsKeepTheirEncoding) {
  const struct {
    uint16_t photometric;
    int bits;
    const char* tupleType;
  } cases[] = {{PHOTOMETRIC_CIELAB, 8, "QCLR_LAB_SIGNED"},
               {PHOTOMETRIC_ICCLAB, 8, "QCLR_LAB_ICC"},
               {PHOTOMETRIC_CIELAB, 16, "QCLR_LAB_SIGNED"},
               {PHOTOMETRIC_ICCLAB, 16, "QCLR_LAB_ICC"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tupleType + std::to_string(c.bits));
    ScratchDir dir;
    Pixels lab = Pattern(8, 4, 3, c.bits);
    if (c.bits == 16) {  // 16-bit signed a = -20.5 (one of every pixel), L = 50%
      for (size_t i = 0; i < lab.samples.size(); i += 6) {
        lab.samples[i] = 0x80, lab.samples[i + 1] = 0x00;
        const uint16_t a = c.photometric == PHOTOMETRIC_CIELAB ? static_cast<uint16_t>(-20 * 256 - 128)
                                                               : static_cast<uint16_t>((128 - 20) * 256 - 128);
        lab.samples[i + 2] = static_cast<uint8_t>(a >> 8), lab.samples[i + 3] = static_cast<uint8_t>(a);
      }
    }
    const std::string in = dir.Path("lab.tif");
    WriteTiff(in, lab, c.photometric, false, false);
    ASSERT_EQ(RunTool({"convert", "--to", "LAB", in, dir.Path("out.pam")}).exitCode, 0);
    std::string type;
    const Pixels got = ReadPnm(dir.Path("out.pam"), &type);
    EXPECT_EQ(type, c.tupleType);
    ASSERT_EQ(got.samples.size(), 8u * 4 * 3);
    if (c.bits == 8) {
      EXPECT_EQ(got.samples, lab.samples);
    } else {
      EXPECT_EQ(got.samples[0], 128);  // 0x8000 rounds to 128
      // a = -20.5 rounds half up to -20: signed byte 0xEC, or 108 with the offset
      EXPECT_EQ(got.samples[1], c.photometric == PHOTOMETRIC_CIELAB ? 0xEC : 108);
    }
    ASSERT_EQ(RunTool({"convert", "--to", "LAB", in, dir.Path("back.tif")}).exitCode, 0);
    const Pixels back = ReadTiff(dir.Path("back.tif"));
    EXPECT_EQ(back.photometric, c.photometric);
    EXPECT_EQ(back.samples, got.samples);
  }
}

// A Lab PAM says its encoding; a method that reads the other one gets the file
// converted, and a plain QCLR_LAB file is taken to be in the method's encoding.
TEST(ReadFormats, LabPamFilesAreReadInTheEncodingTheMethodExpects) {
  ScratchDir dir;
  const std::string png = dir.Path("in.png");
  WritePng(png, Pattern(16, 6, 3));
  ASSERT_EQ(RunTool({"convert", "--to", "LAB", png, dir.Path("signed.pam")}).exitCode, 0);
  std::string type;
  Pixels lab = ReadPnm(dir.Path("signed.pam"), &type);
  ASSERT_EQ(type, "QCLR_LAB_SIGNED");
  // The same colours with a + 128, b + 128, and with no encoding named.
  std::vector<uint8_t> offset = lab.samples;
  for (size_t i = 0; i < offset.size(); i += 3) offset[i + 1] ^= 0x80, offset[i + 2] ^= 0x80;
  auto pam = [&](const char* tuple, const std::vector<uint8_t>& samples) {
    const std::string header = "P7\nWIDTH 16\nHEIGHT 6\nDEPTH 3\nMAXVAL 255\nTUPLTYPE " + std::string(tuple) + "\nENDHDR\n";
    std::vector<uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), samples.begin(), samples.end());
    return dir.Write(std::string(tuple) + ".pam", file);
  };
  const std::string icc = pam("QCLR_LAB_ICC", offset), plainOffset = pam("QCLR_LAB", offset);
  const struct {
    const char* method;
    std::string a, b;  // the same colours: the same result
  } cases[] = {{"icc", dir.Path("signed.pam"), icc}, {"icc", icc, plainOffset}, {"builtin", icc, dir.Path("signed.pam")}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method + (" " + c.a));
    ASSERT_EQ(RunTool({"convert", "--method", c.method, "--to", "RGB", c.a, dir.Path("a.png")}).exitCode, 0);
    ASSERT_EQ(RunTool({"convert", "--method", c.method, "--to", "RGB", c.b, dir.Path("b.png")}).exitCode, 0);
    const Pixels a = ReadPng(dir.Path("a.png")), b = ReadPng(dir.Path("b.png"));
    EXPECT_EQ(a.samples, b.samples);
  }
  // Read back the wrong way, the colours would be far off: the check above means something.
  ASSERT_EQ(RunTool({"convert", "--method", "builtin", "--to", "RGB", plainOffset, dir.Path("c.png")}).exitCode, 0);
  EXPECT_NE(ReadPng(dir.Path("c.png")).samples, ReadPng(dir.Path("b.png")).samples);
}

}  // namespace
}  // namespace qclr::test
