// What the settings dialogs show and how their controls follow the user's
// choices, played through the in-memory dialog manager.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_test_support.h"

namespace qclr::test {
namespace {

using namespace qclr::dialog;

const std::vector<std::string> kMethodTexts = {"Built-in conversion", "ICC profiling",
                                               "Custom ICC Profiling", "Built-in emulation tables",
                                               "Custom emulation tables"};

// Runs `script` in dialog `kind` and cancels it afterwards.
void Play(int32_t kind, const std::function<void(DialogUser&)>& script) {
  ScriptScope scope([&](DialogUser& user) {
    script(user);
    user.Click(kIdCancel);
  });
  ClrHandle* handle = nullptr;
  EXPECT_EQ(Q_ClrDlg(kind, nullptr, &handle, nullptr), CLR_CANCELLED);
  EXPECT_EQ(scope.shown(), 1);
}

TEST(SettingsDialog, StartsWithTheBuiltInChoice) {
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    SCOPED_TRACE(kind);
    Play(kind, [&](DialogUser& user) {
      EXPECT_EQ(user.Entries(kIdMethod), kMethodTexts);
      EXPECT_EQ(user.SelectedEntry(kIdMethod), "Built-in conversion");
      EXPECT_EQ(user.Entries(kIdWhitePoint),
                (std::vector<std::string>{"Custom (xyY) point", "D50", "D55", "D65", "D75", "D93"}));
      EXPECT_EQ(user.SelectedEntry(kIdWhitePoint), "D50");
      EXPECT_EQ(user.Text(kIdWhiteX), "0");
      EXPECT_EQ(user.Text(kIdWhiteY), "0");
      EXPECT_FALSE(user.IsChecked(kIdFromRgb));
      EXPECT_FALSE(user.IsChecked(kIdBgrOrder));
      if (kind == kCmykDialogKind) {
        EXPECT_EQ(user.FocusedControl(), kIdMethod);  // the first tab stop
        EXPECT_EQ(user.Text(kIdBlackGeneration), "250");
        EXPECT_EQ(user.UpDownPosition(kIdBlackGenerationSpin), 250);
      } else {
        EXPECT_EQ(user.FocusedControl(), kIdOk);
        EXPECT_TRUE(user.IsChecked(kIdRgbToLabRadio));
        EXPECT_FALSE(user.IsChecked(kIdLabToRgbRadio));
      }
      EXPECT_FALSE(user.Ended());
    });
  }
}

// The controls whose state follows the method; all others stay enabled.
const std::vector<int32_t> kCmykGoverned = {117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127};
const std::vector<int32_t> kLabGoverned = {117, 118, 119, 120, 123, 124, 125,
                                           130, 131, 132, 133, 134, 135};

void ExpectEnabled(const DialogUser& user, const std::vector<int32_t>& governed,
                   const std::set<int32_t>& enabled) {
  for (const int32_t id : governed) {
    EXPECT_EQ(user.IsEnabled(id), enabled.count(id) == 1) << "control " << id;
  }
  for (const int32_t id : {kIdOk, kIdCancel, kIdMethod, kIdFromRgb, kIdBgrOrder}) {
    EXPECT_TRUE(user.IsEnabled(id)) << "control " << id;
  }
}

TEST(SettingsDialog, EnablesTheControlsOfTheChosenMethod) {
  struct Case {
    int32_t kind;
    const char* method;
    std::set<int32_t> enabled;
  };
  const Case cases[] = {
      {kCmykDialogKind, "Built-in conversion", {126, 127}},
      {kCmykDialogKind, "ICC profiling", {123}},
      {kCmykDialogKind, "Custom ICC Profiling", {117, 118, 119, 120, 123}},
      {kCmykDialogKind, "Built-in emulation tables", {}},
      {kCmykDialogKind, "Custom emulation tables", {121, 122}},
      {kLabDialogKind, "Built-in conversion", {}},
      {kLabDialogKind, "ICC profiling", {123}},
      {kLabDialogKind, "Custom ICC Profiling", {117, 118, 119, 120, 123}},
      {kLabDialogKind, "Built-in emulation tables", {}},
      {kLabDialogKind, "Custom emulation tables", {130, 131, 134, 135}},
  };
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    Play(kind, [&](DialogUser& user) {
      const auto& governed = kind == kCmykDialogKind ? kCmykGoverned : kLabGoverned;
      SCOPED_TRACE("at the start");
      ExpectEnabled(user, governed, cases[kind == kCmykDialogKind ? 0 : 5].enabled);
      // Every method from every other, so nothing enabled earlier is left behind.
      for (const Case& from : cases) {
        for (const Case& to : cases) {
          if (from.kind != kind || to.kind != kind) continue;
          SCOPED_TRACE(std::string(from.method) + " -> " + to.method);
          ASSERT_TRUE(user.Choose(kIdMethod, from.method));
          ASSERT_TRUE(user.Choose(kIdMethod, to.method));
          ExpectEnabled(user, governed, to.enabled);
        }
      }
    });
  }
}

TEST(SettingsDialog, RadioButtonsSwapTheActiveTableBox) {
  Play(kLabDialogKind, [](DialogUser& user) {
    ASSERT_FALSE(user.Click(kIdLabToRgbRadio));  // disabled outside custom tables
    ASSERT_TRUE(user.Choose(kIdMethod, "Custom emulation tables"));
    ASSERT_TRUE(user.Click(kIdLabToRgbRadio));
    EXPECT_TRUE(user.IsChecked(kIdLabToRgbRadio));
    EXPECT_FALSE(user.IsChecked(kIdRgbToLabRadio));
    ExpectEnabled(user, kLabGoverned, {132, 133, 134, 135});
    // Another method and back: the choice of table box is kept.
    ASSERT_TRUE(user.Choose(kIdMethod, "ICC profiling"));
    ASSERT_TRUE(user.Choose(kIdMethod, "Custom emulation tables"));
    ExpectEnabled(user, kLabGoverned, {132, 133, 134, 135});
    ASSERT_TRUE(user.Click(kIdRgbToLabRadio));
    EXPECT_FALSE(user.IsChecked(kIdLabToRgbRadio));
    ExpectEnabled(user, kLabGoverned, {130, 131, 134, 135});
  });
}

TEST(SettingsDialog, CustomWhitePointEnablesTheChromaticityBoxes) {
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    Play(kind, [](DialogUser& user) {
      ASSERT_FALSE(user.Choose(kIdWhitePoint, "Custom (xyY) point"));  // disabled
      for (const char* method : {"ICC profiling", "Custom ICC Profiling"}) {
        ASSERT_TRUE(user.Choose(kIdMethod, method));
        ASSERT_TRUE(user.Choose(kIdWhitePoint, "Custom (xyY) point"));
        EXPECT_TRUE(user.IsEnabled(kIdWhiteX));
        EXPECT_TRUE(user.IsEnabled(kIdWhiteY));
        // A method without a white point disables them; coming back restores them.
        ASSERT_TRUE(user.Choose(kIdMethod, "Built-in conversion"));
        EXPECT_FALSE(user.IsEnabled(kIdWhiteX));
        ASSERT_TRUE(user.Choose(kIdMethod, method));
        EXPECT_TRUE(user.IsEnabled(kIdWhiteY));
        ASSERT_TRUE(user.Choose(kIdWhitePoint, "D65"));
        EXPECT_FALSE(user.IsEnabled(kIdWhiteX));
        EXPECT_FALSE(user.IsEnabled(kIdWhiteY));
      }
      // The boxes take 8 characters.
      ASSERT_TRUE(user.Choose(kIdWhitePoint, "Custom (xyY) point"));
      ASSERT_TRUE(user.Type(kIdWhiteX, "0.3127000001"));
      EXPECT_EQ(user.Text(kIdWhiteX), "0.312700");
    });
  }
}

// The open-file dialog of every "..." button, where its choice lands, and what a
// cancel leaves.
TEST(SettingsDialog, BrowseButtonsAskForTheirFiles) {
  enum Field { kSource, kDestination, kTable };
  struct Case {
    int32_t kind;
    const char* method;
    int32_t radio;  // Lab tables: the radio button to pick first, or 0
    int32_t button;
    int32_t box;
    const char* title;
    bool profile;
    Field field;
  };
  const Case cases[] = {
      {kCmykDialogKind, "Custom ICC Profiling", 0, 118, 117, "Open CMYK Profile", true, kSource},
      {kCmykDialogKind, "Custom ICC Profiling", 0, 120, 119, "Open RGB Profile", true, kDestination},
      {kCmykDialogKind, "Custom emulation tables", 0, 122, 121, "Open destination RGB image", false, kTable},
      {kLabDialogKind, "Custom ICC Profiling", 0, 118, 117, "Open LAB Profile", true, kSource},
      {kLabDialogKind, "Custom ICC Profiling", 0, 120, 119, "Open RGB Profile", true, kDestination},
      {kLabDialogKind, "Custom emulation tables", kIdRgbToLabRadio, 131, 130, "Open destination Lab image", false,
       kTable},
      {kLabDialogKind, "Custom emulation tables", kIdLabToRgbRadio, 133, 132, "Open destination RGB image", false,
       kTable},
  };
  const uint32_t options = platform::kOpenFileOverwritePrompt | platform::kOpenFileCreatePrompt |
                           platform::kOpenFileExplorer | platform::kOpenFileLongNames;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string chosen = std::string("/data/") + (c.profile ? "chosen.icm" : "chosen.tif");
    ScriptScope scope([&](DialogUser& user) {
      ASSERT_TRUE(user.Choose(kIdMethod, c.method));
      if (c.radio != 0) {
        ASSERT_TRUE(user.Click(c.radio));
      }
      user.AnswerNextOpenFile(chosen);
      ASSERT_TRUE(user.Click(c.button));
      ASSERT_EQ(user.OpenFileDialogs().size(), 1u);
      const platform::OpenFileShown& shown = user.OpenFileDialogs()[0];
      EXPECT_EQ(shown.title, c.title);
      EXPECT_EQ(shown.filterName, c.profile ? "ICC Files (*.ICM)" : "TIFF Files (*.TIF)");
      EXPECT_EQ(shown.filterPattern, c.profile ? "*.ICM" : "*.TIF");
      EXPECT_EQ(shown.defaultExtension, c.profile ? "ICM" : "TIF");
      EXPECT_EQ(shown.options, options);
      EXPECT_EQ(user.Text(c.box), chosen);
      // A cancelled second look changes nothing.
      user.CancelNextOpenFile();
      ASSERT_TRUE(user.Click(c.button));
      EXPECT_EQ(user.Text(c.box), chosen);
      ASSERT_TRUE(user.Click(kIdOk));
    });
    CallerRecords caller;
    ClrHandle* handle = kUnwrittenHandle;
    EXPECT_EQ(Q_ClrDlg(c.kind, nullptr, &handle, &caller.params), CLR_OK);
    if (handle != kUnwrittenHandle) Q_ClrFree(handle);
    const char* fields[] = {caller.params.srcProfileName, caller.params.dstProfileName,
                            caller.params.tableFileName};
    for (int f = 0; f < 3; ++f) EXPECT_EQ(fields[f], f == c.field ? chosen : "") << f;
  }
}

TEST(SettingsDialog, OpenFileAddsTheDefaultExtension) {
  Play(kCmykDialogKind, [](DialogUser& user) {
    ASSERT_TRUE(user.Choose(kIdMethod, "Custom ICC Profiling"));
    user.AnswerNextOpenFile("/data/press");
    ASSERT_TRUE(user.Click(kIdBrowseSource));
    EXPECT_EQ(user.Text(kIdSourceProfile), "/data/press.ICM");
    user.AnswerNextOpenFile("/data.v2/press");  // a dot in a folder is no extension
    ASSERT_TRUE(user.Click(kIdBrowseDestination));
    EXPECT_EQ(user.Text(kIdDestinationProfile), "/data.v2/press.ICM");
    // A name that does not fit the 260-character field is refused.
    user.AnswerNextOpenFile("/" + std::string(259, 'a'));
    ASSERT_TRUE(user.Click(kIdBrowseSource));
    EXPECT_EQ(user.Text(kIdSourceProfile), "/data/press.ICM");
    // The boxes show the choice; typing into them is not possible.
    EXPECT_FALSE(user.Type(kIdSourceProfile, "/elsewhere.icm"));
  });
}

}  // namespace
}  // namespace qclr::test
