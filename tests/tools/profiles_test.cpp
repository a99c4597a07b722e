// Profiles as people's files carry them: a version 4 profile of Debian's
// colord-data used from a file and from the image that embeds it, and profiles the
// engine cannot use refused before anything is converted, with the library's
// reason; `qclr info` says the same of each profile.
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
    std::vector<std::string> args;
    const char* out;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> profile;  // written into the output
  } cases[] = {
      {{"--to", "CMYK", "--src-profile", kSrgb, dir.Path("plain.png")}, "a.tif", cmyk, pressBytes},
      {{"--to", "CMYK", "--src-profile", "embedded", dir.Path("tagged.png")}, "b.tif", cmyk, pressBytes},
      {{"--to", "RGB", "--dst-profile", kSrgb, dir.Path("plain.png")}, "c.png", srgb, tagged.profile},
      {{"--to", "CMYK", "--src-profile", "embedded", dir.Path("tagged.jpg")}, "d.tif", jpegCmyk, pressBytes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    std::vector<std::string> args = {"convert"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(dir.Path(c.out));
    const ToolRun run = RunTool(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string out = c.out;
    const Pixels got = out.ends_with(".tif") ? ReadTiff(dir.Path(c.out)) : ReadPng(dir.Path(c.out));
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
  std::vector<std::string> args = {"convert"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  args.push_back(dir.Path(c.input));
  args.push_back(dir.Path("out.tif"));
  const std::vector<std::string> before = FolderEntries(dir.Path(""));
  const ToolRun run = RunTool(args);
  EXPECT_EQ(run.exitCode, 4);  // an unsupported combination
  for (const std::string& part : c.parts) EXPECT_NE(run.err.find(part), std::string::npos) << part << " in " << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  EXPECT_EQ(FolderEntries(dir.Path("")), before);
}

TEST(Profiles, UnusableProfilesAreRefusedWithTheLibrarysReason) {
  ScratchDir dir;
  const std::string cut = dir.Write("cut.icc", DisplayWithoutRedCurve());
  const std::string press = dir.Write("press.icc", ResourceCopy("ICM", 107));
  WritePng(dir.Path("plain.png"), Pattern(8, 4, 3));
  Pixels tagged = Pattern(8, 4, 3);
  tagged.profile = ResourceCopy("ICM", 107);  // a CMYK profile in an RGB image (libpng would not write it)
  WriteJpeg(dir.Path("tagged.jpg"), tagged);
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
  };
  for (const Refusal& c : cases) ExpectRefused(c, dir);
}

TEST(Profiles, DebiansNamedColourAndGreyProfilesAreRefused) {
  const std::string missing = Missing({kNamed, kGray});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (Debian's colord-data, icc-profiles-free)";
  ScratchDir dir;
  WritePng(dir.Path("plain.png"), Pattern(8, 4, 3));
  Pixels tagged = Pattern(8, 4, 3);
  tagged.profile = ReadBytes(kGray);
  WriteJpeg(dir.Path("grey.jpg"), tagged);
  const Refusal cases[] = {
      {{"--to", "CMYK", "--src-profile", kNamed},
       "plain.png",
       {"version 4.4 named colour profile (Lab, PCS Lab): its data colour space is Lab, the pixels are RGB"}},
      // Its B2A0 maps three channels to one without a grid, which the format does not allow.
      {{"--to", "LAB", "--dst-profile", kNamed},
       "plain.png",
       {"as the destination profile of LAB pixels", "tag B2A0 ('mBA ') is cut short or malformed"}},
      {{"--to", "CMYK", "--src-profile", "embedded"},
       "grey.jpg",
       {"version 2.3 display profile (GRAY, PCS XYZ): its data colour space is GRAY, the pixels are RGB"}},
  };
  for (const Refusal& c : cases) ExpectRefused(c, dir);
}

// `qclr info` gives the library's verdict for the profile's own colour space, as
// a source and as a destination, for a profile file, standard input and a
// profile embedded in an image.
TEST(Profiles, InfoSaysHowTheEngineTakesAProfile) {
  ScratchDir dir;
  const std::string press = dir.Write("press.icc", ResourceCopy("ICM", 107));
  const std::string cut = dir.Write("cut.icc", DisplayWithoutRedCurve());
  Pixels tagged = Pattern(8, 4, 3);
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
       {"  source       CMYK: usable as a source, through its A2B0 table ('mft2')\n",
        "  destination  CMYK: usable as a destination, through its B2A0 table ('mft2')\n"}},
      {cut, true, {"  source       RGB: refused (CLR_ERR_PROFILE_MISMATCH): tag rTRC is missing\n"}},
      {dir.Path("tagged.png"),
       false,
       {"    source       RGB: usable as a source, through its colorants and tone curves\n"}},
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
  if (!debian) GTEST_SKIP() << "colord-data or icc-profiles-free is not installed: their profiles were left out";
}

}  // namespace
}  // namespace qclr::test
