// Failures of qclr: each kind has its exit status, the message names the file and
// the reason, and nothing is left behind (no output, no temporary file).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/handle_fixtures.h"
#include "tools/tool_files.h"

namespace qclr::test {
namespace {

TEST(Failures, ExitStatusesMessagesAndNothingLeftBehind) {
  ScratchDir dir;
  const std::string png = dir.Path("in.png");
  WritePng(png, Pattern(8, 4, 3));
  const std::string empty = dir.Write("empty.png", {});
  const std::string broken = dir.Write("broken.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0});
  std::vector<uint8_t> yuy2(16 * 4 * 2 + 1);
  const std::string raw = dir.Write("frame.yuy2", yuy2);
  const std::string out = dir.Path("out.tif");
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  } cases[] = {
      {{"convert", "--to", "CMYK", "--bogus", png, out}, 2, "unknown option '--bogus'"},
      {{"convert", png, out}, 2, "--to SPACE is missing"},
      {{"convert", "--to", "PURPLE", png, out}, 2, "unknown colour space 'PURPLE'"},
      {{"convert", "--to", "RGB", png, dir.Path("out.xyz")}, 2, "cannot tell the format"},
      {{"convert", "--to", "RGB", png, dir.Path("")}, 2, "is a folder"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"convert", "--to", "RGB", dir.Path("missing.png"), out}, 3, "No such file or directory"},
      {{"convert", "--to", "RGB", dir.Path(""), out}, 3, "it is a folder"},
      {{"convert", "--to", "RGB", empty, out}, 3, "is empty"},
      {{"convert", "--to", "RGB", broken, out}, 3, "malformed PNG"},
      {{"convert", "--from", "YUY2", "--size", "16x4", "--to", "RGB", raw, out}, 3, "the file has 129"},
      {{"convert", "--to", "CMYK", png, dir.Path("out.png")}, 4, "a PNG file holds RGB only"},
      {{"convert", "--to", "CMYK", "--method", "tables", png, out}, 4, "CLR_ERR_METHOD"},
      {{"convert", "--to", "CMYK", "--src-profile", "embedded", png, out}, 4, "has no embedded profile"},
      {{"convert", "--to", "YUY2", "--from", "RGB", "--size", "3x2", raw, dir.Path("o.raw")}, 3, "the file has"},
      {{"convert", "--to", "CMYK", "--src-profile", png, png, out}, 3, "is unusable as the source profile: too short"},
      {{"convert", "--to", "CMYK", png, png + "/out.tif"}, 6, "Not a directory"},
      {{"info", dir.Path("missing.icc")}, 3, "No such file or directory"},
  };
  const std::vector<std::string> before = FolderEntries(dir.Path(""));
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    const ToolRun run = RunTool(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
    EXPECT_EQ(FolderEntries(dir.Path("")), before);
  }
}

}  // namespace
}  // namespace qclr::test
