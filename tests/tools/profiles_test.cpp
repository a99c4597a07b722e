// Profiles as people's files carry them: a version 4 profile of Debian's
// colord-data used from a file and from the image that embeds it, and profiles the
// engine cannot use refused before anything is converted, with the library's
// reason; `qclr info` describes each profile and says the same of it.
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "tools/tool_files.h"

namespace qclr::test {
namespace {

const std::string kSrgb = "/usr/share/color/icc/colord/sRGB.icc";         // version 4, matrix and curves
const std::string kNamed = "/usr/share/color/icc/colord/x11-colors.icc";  // version 4, named colours
const std::string kGray = "/usr/share/color/icc/Gray.icc";                // icc-profiles-free

// The first of the files that is not installed, or "".
std::string Missing(std::initializer_list<std::string> files) {
  for (const std::string& f : files) {
    if (!Exists(f)) return f;
  }
  return "";
}

// The built-in display profile, claiming version 4 and without its red curve.
std::vector<uint8_t> DisplayWithoutRedCurve() {
  std::vector<uint8_t> profile = ResourceCopy("ICM", 105);
  profile[8] = 4;
  for (size_t at = 132; at + 12 <= profile.size() && at < 132 + 12 * size_t{profile[131]}; at += 12) {
    if (profile[at] == 'r' && profile[at + 1] == 'T') profile[at] = 'x';
  }
  return profile;
}

// The pixels converted by the library itself through two profile files.
std::vector<uint8_t> ThroughProfiles(const Pixels& in, int32_t src, int32_t dst, const std::string& srcProfile,
                                     const std::string& dstProfile, size_t dstChannels) {
  ConversionParams p = Params(METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC);
  SetName(p.srcProfileName, srcProfile);
  SetName(p.dstProfileName, dstProfile);
  HandleGuard h;
  EXPECT_EQ(Q_ClrInit(&h.h, src, dst, &p), CLR_OK);
  std::vector<uint8_t> out(static_cast<size_t>(in.width) * in.height * dstChannels);
  EXPECT_EQ(Q_ClrConvert(h.h, in.samples.data(), out.data(), in.width, in.height, 0, 0), CLR_OK);
  return out;
}

TEST(Profiles, AVersionFourProfileConvertsFromAFileAndFromTheImage) {
  const std::string missing = Missing({kSrgb});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (Debian's colord-data)";
  ScratchDir dir;
  const std::vector<uint8_t> pressBytes = ResourceCopy("ICM", 107), displayBytes = ResourceCopy("ICM", 105);
  const std::string press = dir.Write("press.icc", pressBytes), display = dir.Write("display.icc", displayBytes);
  Pixels rgb = Pattern(24, 10, 3);
  WritePng(dir.Path("plain.png"), rgb);
  Pixels tagged = rgb;
  tagged.profile = ReadBytes(kSrgb);
  WritePng(dir.Path("tagged.png"), tagged);
  WriteJpeg(dir.Path("tagged.jpg"), tagged);  // APP2 markers, as cameras write them
  const std::vector<uint8_t> cmyk = ThroughProfiles(rgb, CSP_RGB, CSP_CMYK, kSrgb, press, 4);
  const std::vector<uint8_t> jpegCmyk = ThroughProfiles(ReadJpeg(dir.Path("tagged.jpg")), CSP_RGB, CSP_CMYK, kSrgb, press, 4);
  const std::vector<uint8_t> srgb = ThroughProfiles(rgb, CSP_RGB, CSP_RGB, display, kSrgb, 3);
  const struct {
    std::vector<std::string> options;
    std::string in;
    const char* out;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> profile;  // written into the output
  } cases[] = {
      {{"--to", "CMYK", "--src-profile", kSrgb}, dir.Path("plain.png"), "a.tif", cmyk, pressBytes},
      {{"--to", "CMYK", "--src-profile", "embedded"}, dir.Path("tagged.png"), "b.tif", cmyk, pressBytes},
      {{"--to", "RGB", "--dst-profile", kSrgb}, dir.Path("plain.png"), "c.png", srgb, tagged.profile},
      {{"--to", "CMYK", "--src-profile", "embedded"}, dir.Path("tagged.jpg"), "d.tif", jpegCmyk, pressBytes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    const ToolRun run = RunConvert(c.options, c.in, dir.Path(c.out));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Pixels got = ReadImage(dir.Path(c.out));
    EXPECT_EQ(got.profile, c.profile);
    EXPECT_EQ(got.samples, c.pixels);
  }
}

struct Refusal {
  std::vector<std::string> args;  // before the input and the output
  const char* input;
  std::vector<std::string> parts;  // of the one-line message
};

void ExpectRefused(const Refusal& c, ScratchDir& dir) {
  std::string line;
  for (const std::string& a : c.args) line += a + " ";
  SCOPED_TRACE(line + c.input);
  const std::vector<std::string> before = FolderEntries(dir.Path(""));
  const ToolRun run = RunConvert(c.args, dir.Path(c.input), dir.Path("out.tif"));
  EXPECT_EQ(run.exitCode, 4);  // an unsupported combination
  for (const std::string& part : c.parts) EXPECT_NE(run.err.find(part), std::string::npos) << part << " in " << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  EXPECT_EQ(FolderEntries(dir.Path("")), before);
}

// The library's own profiles made unusable, and Debian's named-colour and grey
// profiles where they are installed.
TEST(Profiles, UnusableProfilesAreRefusedWithTheLibrarysReason) {
  ScratchDir dir;
  const std::string cut = dir.Write("cut.icc", DisplayWithoutRedCurve());
  const std::string press = dir.Write("press.icc", ResourceCopy("ICM", 107));
  WritePng(dir.Path("plain.png"), Pattern(8, 4, 3));
  Pixels tagged = Pattern(8, 4, 3);
  tagged.profile = ResourceCopy("ICM", 107);  // a CMYK profile in an RGB image (libpng would not write it)
  WriteJpeg(dir.Path("tagged.jpg"), tagged);
  const bool debian = Missing({kNamed, kGray}).empty();
  if (debian) {
    tagged.profile = ReadBytes(kGray);
    WriteJpeg(dir.Path("grey.jpg"), tagged);
  }
  const Refusal cases[] = {
      {{"--to", "CMYK", "--src-profile", cut},
       "plain.png",
       {"cannot use '" + cut + "' as the source profile of RGB pixels: ",
        "version 4.1 display profile (RGB, PCS XYZ): tag rTRC is missing (CLR_ERR_PROFILE_MISMATCH)"}},
      {{"--to", "CMYK", "--src-profile", "embedded"},
       "tagged.jpg",
       {"cannot use the profile embedded in '" + dir.Path("tagged.jpg") + "' as the source profile of RGB pixels",
        "version 2.1 output profile (CMYK, PCS Lab): its data colour space is CMYK, the pixels are RGB"}},
      {{"--to", "LAB", "--dst-profile", press},
       "plain.png",
       {"as the destination profile of LAB pixels", "its data colour space is CMYK, the pixels are Lab"}},
      {{"--to", "CMYK", "--src-profile", kNamed},
       debian ? "plain.png" : nullptr,
       {"version 4.4 named colour profile (Lab, PCS Lab): its data colour space is Lab, the pixels are RGB"}},
      // Its B2A0 maps three channels to one without a grid, which the format does not allow.
      {{"--to", "LAB", "--dst-profile", kNamed},
       debian ? "plain.png" : nullptr,
       {"as the destination profile of LAB pixels", "tag B2A0 ('mBA ') is cut short or malformed"}},
      {{"--to", "CMYK", "--src-profile", "embedded"},
       debian ? "grey.jpg" : nullptr,
       {"version 2.3 display profile (GRAY, PCS XYZ): its data colour space is GRAY, the pixels are RGB"}},
  };
  for (const Refusal& c : cases) {
    if (c.input != nullptr) ExpectRefused(c, dir);
  }
  if (!debian) GTEST_SKIP() << "colord-data or icc-profiles-free is not installed: their profiles were left out";
}

// `qclr info` describes a profile (file, standard input, or embedded in an image)
// and gives the library's verdict for the profile's own colour space, as a source
// and as a destination.
TEST(Profiles, InfoDescribesProfilesAndImagesAndHowTheEngineTakesThem) {
  ScratchDir dir;
  const std::string press = dir.Write("press.icc", ResourceCopy("ICM", 107));
  const std::string cut = dir.Write("cut.icc", DisplayWithoutRedCurve());
  Pixels tagged = Pattern(9, 3, 3, 16);
  tagged.profile = ResourceCopy("ICM", 105);
  WritePng(dir.Path("tagged.png"), tagged);
  const bool debian = Missing({kSrgb, kNamed, kGray}).empty();
  const struct {
    std::string file;
    bool fromStandardInput;
    std::vector<std::string> parts;
  } cases[] = {
      {press,
       false,
       {"version      2.1", "class        prtr (output)", "colour space CMYK", "connection   Lab", "A2B0  mft2",
        "4 in, 3 out, grid 16", "B2A0  mft2", "3 in, 4 out, grid 33", "white point",
        "  source       CMYK: usable as a source, through its A2B0 table ('mft2')\n",
        "  destination  CMYK: usable as a destination, through its B2A0 table ('mft2')\n"}},
      {cut, true, {"  source       RGB: refused (CLR_ERR_PROFILE_MISMATCH): tag rTRC is missing\n"}},
      {dir.Path("tagged.png"),
       false,
       {"format       PNG", "size         9 x 3 pixels", "16 bits a sample", "colour space RGB",
        "embedded: version 2.1, class mntr (display), RGB data, PCS XYZ", "rTRC  curv",
        "    source       RGB: usable as a source, through its colorants and tone curves\n"}},
      {debian ? kSrgb : "",
       false,
       {"version      4.4.0", "  source       RGB: usable as a source, through its colorants and tone curves\n",
        "  destination  RGB: usable as a destination, through its colorants and tone curves\n"}},
      {debian ? kNamed : "",
       false,
       {"  destination  LAB: refused (CLR_ERR_PROFILE_MISMATCH): tag B2A0 ('mBA ') is cut short or malformed\n"}},
      {debian ? kGray : "", false, {"  engine use   none: no colour space of qclr holds 'GRAY' data"}},
  };
  for (const auto& c : cases) {
    if (c.file.empty()) continue;  // the Debian profiles are checked when installed
    SCOPED_TRACE(c.file);
    const ToolRun run = c.fromStandardInput ? RunTool({"info", "-"}, c.file) : RunTool({"info", c.file});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const std::string& part : c.parts) EXPECT_NE(run.out.find(part), std::string::npos) << part << run.out;
  }
  // A profile whose tag table runs past its end is refused, not read beyond it.
  std::vector<uint8_t> truncated = ResourceCopy("ICM", 105);
  truncated.resize(140);
  const ToolRun refused = RunTool({"info", dir.Write("truncated.icc", truncated)});
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_NE(refused.err.find("runs past the end"), std::string::npos) << refused.err;
  if (!debian) GTEST_SKIP() << "colord-data or icc-profiles-free is not installed: their profiles were left out";
}

}  // namespace
}  // namespace qclr::test
