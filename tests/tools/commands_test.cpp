// The help of every command, the version, and the demo's contact sheet and
// measured summary (`qclr info` is with the profiles' tests).
#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/handle_fixtures.h"
#include "tools/tool_files.h"

namespace qclr::test {
namespace {

TEST(Commands, HelpForEveryCommandAndTheVersion) {
  const struct {
    std::vector<std::string> args;
    const char* part;
  } cases[] = {{{"--help"}, "usage: qclr COMMAND"},
               {{"convert", "--help"}, "--src-profile FILE|embedded|builtin"},
               {{"convert", "--to", "RGB", "-h"}, "usage: qclr convert"},
               {{"info", "--help"}, "usage: qclr info"},
               {{"demo", "--help"}, "usage: qclr demo"},
               {{"--version"}, "qclr " QCLR_PROJECT_VERSION}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const ToolRun run = RunTool(c.args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find(c.part), std::string::npos) << run.out;
  }
  // A library of another version loaded at run time is named beside the tool's.
  const ToolRun other = RunTool({"--version"}, "",
                                "LD_PRELOAD=" QCLR_VERSION_SHIM " ASAN_OPTIONS=verify_asan_link_order=0");
  EXPECT_EQ(other.out, "qclr " QCLR_PROJECT_VERSION " (library 7.8.9 loaded)\n") << other.err;
  // Help texts name the exit statuses.
  EXPECT_NE(RunTool({"convert", "--help"}).out.find("6 an output cannot"), std::string::npos);
  EXPECT_EQ(RunTool({}).exitCode, 2);
}

// The reference page and the manual page name every option that --help names.
TEST(Commands, DocumentationKeepsInStepWithTheHelp) {
  const std::string help = RunTool({"convert", "--help"}).out;
  const std::vector<uint8_t> page = ReadBytes(QCLR_SOURCE_DIR "/docs/tool.md"),
                             man = ReadBytes(QCLR_SOURCE_DIR "/docs/qclr.1");
  const std::string pageText(page.begin(), page.end()), manText(man.begin(), man.end());
  int options = 0;
  for (size_t at = help.find(" -"); at != std::string::npos; at = help.find(" -", at + 1)) {
    size_t end = at + 2;
    while (end < help.size() && (std::isalnum(static_cast<unsigned char>(help[end])) || help[end] == '-')) ++end;
    const std::string option = help.substr(at + 1, end - at - 1);
    if (option.size() < 2 || option == "--") continue;
    ++options;
    std::string roff;
    for (char c : option) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(pageText.find(option), std::string::npos) << option << " missing from docs/tool.md";
    EXPECT_NE(manText.find(roff), std::string::npos) << roff << " missing from docs/qclr.1";
  }
  EXPECT_GE(options, 20);
}

TEST(Commands, DemoMeasuresEveryRoundTripAndDrawsTheSheet) {
  ScratchDir dir;
  const ToolRun run = RunTool({"demo", dir.Path("demo")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string summary(run.out);
  // The destroyed round trips are reported as such, with the reason.
  for (const char* part : {"YUV    direct     255", "adds no chroma offset", "XYZ    direct     255",
                           "HSI    direct     255", "one-way", "RGB    direct       0    0.00  exact",
                           "CMYK   tables       -", "272 of 272 ordered pairs"}) {
    EXPECT_NE(summary.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(summary.find(" ok"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.Path("demo/summary.txt")).size() + 0, summary.find("\nContact sheet"));
  const Pixels sheet = ReadPng(dir.Path("demo/contact-sheet.png"));
  EXPECT_EQ(sheet.channels, 3);
  EXPECT_GT(sheet.width, 5 * 96);
  EXPECT_GT(sheet.height, 17 * 64);
  EXPECT_TRUE(Exists(dir.Path("demo/YUY2.pam")));
}

}  // namespace
}  // namespace qclr::test
