// Q_ClrDlg and its two settings dialogs, played by a scripted user: in the in-memory dialog manager
// on POSIX, in the system's dialog manager on Windows.
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#endif

#include "dialog/control_ids.h"
#include "handle/clr_handle.h"
#include "platform/dialog_template.h"
#include "support/scripted_dialogs.h"
#include "qclr/qclr.h"
#include "support/allocation_walk.h"
#include "support/handle_fixtures.h"
#include "support/test_buffers.h"

namespace qclr::test {
namespace {

using namespace qclr::dialog;
using platform::DialogUser;
using K = platform::ControlKind;
using Script = std::function<void(DialogUser&)>;

// The caller's records, every field holding a marker the dialog must either
// overwrite or leave alone.
struct CallerRecords {
  ConversionParams params;
  WhitePoint white{7, 0xDEADBEEF, 0.5, 0.25};
  CmykOptions cmyk{99, 98, 97};
  LabOptions lab{};  // only their addresses matter
  YuvLayout yuv{};

  CallerRecords() {
    std::memset(&params, 0xCD, sizeof params);
    params.whitePoint = &white, params.cmykOptions = &cmyk, params.labOptions = &lab, params.yuvLayout = &yuv;
  }
  CallerRecords(const CallerRecords&) = delete;

  // True when nothing the dialog may write has changed.
  bool Untouched() const {
    const CallerRecords fresh;
    ConversionParams expected = fresh.params;
    expected.whitePoint = params.whitePoint, expected.cmykOptions = params.cmykOptions;
    expected.labOptions = params.labOptions, expected.yuvLayout = params.yuvLayout;
    return std::memcmp(&expected, &params, sizeof params) == 0 &&
           std::memcmp(&fresh.white, &white, sizeof white) == 0 && std::memcmp(&fresh.cmyk, &cmyk, sizeof cmyk) == 0;
  }
};

// A handle variable the dialog must either fill or leave alone.
ClrHandle* const kUnwritten = reinterpret_cast<ClrHandle*>(uintptr_t{0x5A5A50});

#ifdef _WIN32
// A window to own the dialogs, and the handle of one that is gone: the system
// cannot make a dialog it would own.
void* OwnerWindow() {
  static HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  return owner;
}
void* NoWindow() {
  static HWND gone = [] {
    HWND window = CreateWindowA("STATIC", "gone", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(window);
    return window;
  }();
  return gone;
}
#else
void* OwnerWindow() {
  static int owner = 0;
  return &owner;
}
#endif

// Where the scripted user finds the files it picks in the open-file dialogs: any
// folder for the in-memory dialog manager; an existing one for the system's, which
// gives the chosen name in full.
std::string FileFolder(const char* name) {
#ifdef _WIN32
  const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / name;
  std::filesystem::create_directories(folder);
  return folder.string() + "\\";
#else
  return std::string("/") + name + "/";
#endif
}

// Runs Q_ClrDlg with `script` playing the user, who then presses `finish` (OK or
// Cancel) unless the dialog has ended. An empty script: no user interface at all
// (on Windows: the dialog cannot be made).
int32_t RunDialog(int32_t kind, const Script& script, int32_t finish, ClrHandle** handle,
                  ConversionParams* params, int* shown = nullptr, void* owner = nullptr) {
#ifdef _WIN32
  if (!script) owner = NoWindow();
#endif
  int count = 0;
  if (script) {
    platform::SetDialogScript([&](DialogUser& user) {
      ++count;
      script(user);
      user.Click(finish);
    });
  }
  const int32_t status = Q_ClrDlg(kind, owner, handle, params);
  platform::SetDialogScript({});
  if (shown != nullptr) *shown = count;
  return status;
}

// Plays `script` in dialog `kind` and cancels.
void Play(int32_t kind, const Script& script) {
  ClrHandle* handle = kUnwritten;
  EXPECT_EQ(RunDialog(kind, script, kIdCancel, &handle, nullptr), CLR_CANCELLED);
  EXPECT_EQ(handle, kUnwritten);
}

// ---- The templates, as the dialog manager reads them from the resources --------

struct ExpectedDialog {
  int32_t kind;
  const char* title;
  int16_t width, height;
  size_t controls;
};

// Every control visible inside the dialog; no two controls the user works with overlap (group
// boxes frame others; a drop-down list counts with its closed height).
TEST(DialogTemplates, ControlsLieInsideWithoutOverlap) {
  const ExpectedDialog dialogs[] = {{kCmykDialogKind, "CMYK color settings", 238, 231, 29},
                                    {kLabDialogKind, "CIELab color settings", 242, 311, 32}};
  for (const ExpectedDialog& d : dialogs) {
    SCOPED_TRACE(d.title);
    platform::DialogTemplate t;
    Play(d.kind, [&](DialogUser& user) { t = user.Layout(); });
    EXPECT_EQ(std::tuple(t.title, t.width, t.height, t.pointSize, t.typeface),
              std::tuple(d.title, d.width, d.height, 8, "MS Sans Serif"));
    EXPECT_TRUE(t.style & platform::kDialogSetFont);
    ASSERT_EQ(t.items.size(), d.controls);
    std::vector<platform::DialogItem> boxes;
    for (platform::DialogItem item : t.items) {
      EXPECT_TRUE(item.style & platform::kStyleVisible) << item.text;
      EXPECT_TRUE(item.x >= 0 && item.y >= 0 && item.width > 0 && item.height > 0) << item.text;
      EXPECT_TRUE(item.x + item.width <= t.width && item.y + item.height <= t.height) << item.text;
      if (platform::KindOfItem(item) == K::kDropDownList) item.height = 12;
      if (platform::KindOfItem(item) != K::kGroupBox) boxes.push_back(item);
    }
    for (size_t a = 0; a < boxes.size(); ++a) {
      for (size_t b = a + 1; b < boxes.size(); ++b) {
        const platform::DialogItem &p = boxes[a], &q = boxes[b];
        EXPECT_TRUE(p.x + p.width <= q.x || q.x + q.width <= p.x || p.y + p.height <= q.y || q.y + q.height <= p.y)
            << "\"" << p.text << "\" " << p.id << " overlaps \"" << q.text << "\" " << q.id;
      }
    }
  }
}

// ---- What the dialogs show and how the controls follow the choices --------------

// The controls whose state follows the method; all others stay enabled.
const std::vector<int32_t> kCmykGoverned = {117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127};
const std::vector<int32_t> kLabGoverned = {117, 118, 119, 120, 123, 124, 125, 130, 131, 132, 133, 134, 135};

void ExpectEnabled(const DialogUser& user, int32_t kind, const std::set<int32_t>& enabled) {
  for (const int32_t id : kind == kCmykDialogKind ? kCmykGoverned : kLabGoverned) {
    EXPECT_EQ(user.IsEnabled(id), enabled.count(id) == 1) << "control " << id;
  }
  for (const int32_t id : {kIdOk, kIdCancel, kIdMethod, kIdFromRgb, kIdBgrOrder}) {
    EXPECT_TRUE(user.IsEnabled(id)) << "control " << id;
  }
}

// The dialogs start with the built-in choice; the governed controls follow the method, the white
// point and the Lab dialog's radio buttons (remembered across methods); nothing enabled earlier is
// left behind.
TEST(SettingsDialog, StartsWithTheBuiltInChoiceAndControlsFollowIt) {
  struct Step {
    int32_t control;  // the list to choose from, or the radio button to click
    const char* entry;
    std::set<int32_t> cmyk, lab;  // the governed controls enabled afterwards
  };
  const std::set<int32_t> profiles = {117, 118, 119, 120, 123}, customWhite = {117, 118, 119, 120, 123, 124, 125};
  const Step sequence[] = {
      {kIdMethod, "Custom ICC Profiling", profiles, profiles},
      {kIdMethod, "Built-in emulation tables", {}, {}},
      {kIdMethod, "ICC profiling", {123}, {123}},
      {kIdWhitePoint, "Custom (xyY) point", {123, 124, 125}, {123, 124, 125}},
      {kIdMethod, "Built-in conversion", {126, 127}, {}},
      {kIdMethod, "Custom ICC Profiling", customWhite, customWhite},
      {kIdWhitePoint, "D65", profiles, profiles},
      {kIdMethod, "Custom emulation tables", {121, 122}, {130, 131, 134, 135}},
      {kIdLabToRgbRadio, nullptr, {121, 122}, {132, 133, 134, 135}},
      {kIdMethod, "ICC profiling", {123}, {123}},
      {kIdMethod, "Custom emulation tables", {121, 122}, {132, 133, 134, 135}},
      {kIdRgbToLabRadio, nullptr, {121, 122}, {130, 131, 134, 135}},
  };
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    SCOPED_TRACE(kind);
    Play(kind, [&](DialogUser& user) {
      EXPECT_EQ(user.Entries(kIdMethod), (std::vector<std::string>{"Built-in conversion", "ICC profiling",
                                                                   "Custom ICC Profiling", "Built-in emulation tables",
                                                                   "Custom emulation tables"}));
      EXPECT_EQ(user.Entries(kIdWhitePoint),
                (std::vector<std::string>{"Custom (xyY) point", "D50", "D55", "D65", "D75", "D93"}));
      // The chosen entries and the unticked boxes show in what OK at once makes.
      EXPECT_EQ(std::pair(user.Text(kIdWhiteX), user.Text(kIdWhiteY)), std::pair(std::string("0"), std::string("0")));
      if (kind == kCmykDialogKind) {
        EXPECT_EQ(user.FocusedControl(), kIdMethod);  // the first tab stop
        EXPECT_EQ(user.UpDownPosition(kIdBlackGenerationSpin), 250);
      } else {
        EXPECT_EQ(user.FocusedControl(), kIdOk);
        EXPECT_TRUE(user.IsChecked(kIdRgbToLabRadio) && !user.IsChecked(kIdLabToRgbRadio));
      }
      const auto play = [&](const Step& step) {
        SCOPED_TRACE(step.entry != nullptr ? step.entry : "radio button");
        // The CMYK dialog has no radio buttons.
        ASSERT_TRUE(step.entry != nullptr ? user.Choose(step.control, step.entry)
                                          : kind == kCmykDialogKind || user.Click(step.control));
        ExpectEnabled(user, kind, kind == kCmykDialogKind ? step.cmyk : step.lab);
      };
      ExpectEnabled(user, kind, kind == kCmykDialogKind ? std::set<int32_t>{126, 127} : std::set<int32_t>{});
      for (const Step& step : sequence) play(step);
      // The chromaticity boxes take 8 characters.
      ASSERT_TRUE(user.Choose(kIdMethod, "ICC profiling") && user.Choose(kIdWhitePoint, "Custom (xyY) point"));
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
    int32_t button, box;
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
      {kLabDialogKind, "Custom emulation tables", 134, 131, 130, "Open destination Lab image", false, kTable},
      {kLabDialogKind, "Custom emulation tables", 135, 133, 132, "Open destination RGB image", false, kTable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string chosen = FileFolder("data") + (c.profile ? "chosen.icm" : "chosen.tif");
    CallerRecords caller;
    HandleGuard handle;
    ASSERT_EQ(RunDialog(c.kind, [&](DialogUser& user) {
      ASSERT_TRUE(user.Choose(kIdMethod, c.method));
      ASSERT_TRUE(c.radio == 0 || user.Click(c.radio));
      user.AnswerNextOpenFile(chosen);
      ASSERT_TRUE(user.Click(c.button));
      ASSERT_EQ(user.OpenFileDialogs().size(), 1u);
      const platform::OpenFileShown& shown = user.OpenFileDialogs()[0];
      EXPECT_EQ(std::tuple(shown.title, shown.filterName, shown.filterPattern, shown.defaultExtension),
                c.profile ? std::tuple(c.title, "ICC Files (*.ICM)", "*.ICM", "ICM")
                          : std::tuple(c.title, "TIFF Files (*.TIF)", "*.TIF", "TIF"));
      EXPECT_EQ(shown.options, platform::kOpenFileOverwritePrompt | platform::kOpenFileCreatePrompt |
                                   platform::kOpenFileExplorer | platform::kOpenFileLongNames);
      EXPECT_EQ(user.Text(c.box), chosen);
      user.CancelNextOpenFile();  // a cancelled second look changes nothing
      ASSERT_TRUE(user.Click(c.button));
      EXPECT_EQ(user.Text(c.box), chosen);
    }, kIdOk, &handle.h, &caller.params), CLR_OK);
    const char* fields[] = {caller.params.srcProfileName, caller.params.dstProfileName, caller.params.tableFileName};
    for (int f = 0; f < 3; ++f) EXPECT_EQ(fields[f], f == c.field ? chosen : "") << f;
  }
  // The default extension is added to a name without one; a name that does not fit
  // the 260-character field is refused; the boxes cannot be typed into.
  Play(kCmykDialogKind, [](DialogUser& user) {
    ASSERT_TRUE(user.Choose(kIdMethod, "Custom ICC Profiling"));
    const std::string folder = FileFolder("data.v2");  // a dot in a folder is no extension
    user.AnswerNextOpenFile(folder + "press");
    ASSERT_TRUE(user.Click(kIdBrowseSource));
    EXPECT_EQ(user.Text(kIdSourceProfile), folder + "press.ICM");
    user.AnswerNextOpenFile(folder + std::string(260 - folder.size(), 'a'));
    ASSERT_TRUE(user.Click(kIdBrowseSource));
    EXPECT_EQ(user.Text(kIdSourceProfile), folder + "press.ICM");
    EXPECT_FALSE(user.Type(kIdSourceProfile, "/elsewhere.icm"));
  });
}

// ---- The handle and the record Q_ClrDlg makes from the choice --------------------

TEST(QClrDlg, OkAtOnceTakesTheBuiltInConversion) {
  void* const owner = OwnerWindow();
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    SCOPED_TRACE(kind);
    CallerRecords caller;
    int shown = 0;
    HandleGuard handle;
    ASSERT_EQ(RunDialog(kind, [&](DialogUser& user) {
      EXPECT_EQ(user.OwnerWindow(), owner);
      EXPECT_EQ(user.TemplateId(), kind == kCmykDialogKind ? 114 : 128);
    }, kIdOk, &handle.h, &caller.params, &shown, owner), CLR_OK);
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(Q_ClrIsValid(handle.h), CLR_OK);
    EXPECT_EQ(std::tuple(handle.h->srcSpace, handle.h->dstSpace, handle.h->methodMask),
              std::tuple(kind == kCmykDialogKind ? CSP_CMYK : CSP_LAB, CSP_RGB, uint32_t{METHOD_BUILTIN}));
    // Exactly these fields are written; the pointers to sub-records stay the caller's.
    ConversionParams expected = CallerRecords().params;
    expected.whitePoint = &caller.white, expected.cmykOptions = &caller.cmyk;
    expected.labOptions = &caller.lab, expected.yuvLayout = &caller.yuv;
    expected.structSize = QCLR_CONVERSION_PARAMS_SIZE, expected.tableBits = 8;
    expected.method = METHOD_BUILTIN, expected.flags = METHOD_BUILTIN;
    for (char* name : {expected.srcProfileName, expected.dstProfileName, expected.tableFileName}) {
      std::memset(name, 0, QCLR_FILE_NAME_SIZE);
    }
    EXPECT_EQ(std::memcmp(&expected, &caller.params, sizeof expected), 0);
    const WhitePoint white{50, 0xDEADBEEF, 0.0, 0.0};  // the reserved field left alone
    EXPECT_EQ(std::memcmp(&caller.white, &white, sizeof white), 0);
    // The Lab dialog has no CMYK options and leaves the caller's alone.
    const CmykOptions cmyk = kind == kCmykDialogKind ? CmykOptions{QCLR_CMYK_OPTIONS_SIZE, 250, 1}
                                                     : CmykOptions{99, 98, 97};
    EXPECT_EQ(std::memcmp(&caller.cmyk, &cmyk, sizeof cmyk), 0);
  }
}

// The check boxes choose the direction and the RGB side. Without an RGB to CMYK emulation table
// the CMYK dialog takes the built-in formulas and tells the caller so, also without a handle.
TEST(QClrDlg, CheckBoxesChooseDirectionOrderAndMethod) {
  struct Case {
    int32_t kind;
    const char* method;
    bool fromRgb, bgr, withHandle;
    int32_t src, dst, expected;  // the handle's spaces; its and the caller's method
  };
  const Case cases[] = {
      {kCmykDialogKind, "Built-in conversion", true, false, true, CSP_RGB, CSP_CMYK, METHOD_BUILTIN},
      {kCmykDialogKind, "Built-in conversion", false, true, true, CSP_CMYK, CSP_BGR, METHOD_BUILTIN},
      {kLabDialogKind, "Built-in conversion", true, true, true, CSP_BGR, CSP_LAB, METHOD_BUILTIN},
      {kCmykDialogKind, "Built-in emulation tables", true, false, true, CSP_RGB, CSP_CMYK, METHOD_BUILTIN},
      {kCmykDialogKind, "Custom emulation tables", true, true, true, CSP_BGR, CSP_CMYK, METHOD_BUILTIN},
      {kCmykDialogKind, "Built-in emulation tables", true, false, false, 0, 0, METHOD_BUILTIN},
      {kCmykDialogKind, "Built-in emulation tables", false, false, true, CSP_CMYK, CSP_RGB, METHOD_BUILTIN_TABLES},
      {kLabDialogKind, "Built-in emulation tables", true, false, true, CSP_RGB, CSP_LAB, METHOD_BUILTIN_TABLES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
    CallerRecords caller;
    HandleGuard handle;
    const int live = LiveHandles();
    ASSERT_EQ(RunDialog(c.kind, [&](DialogUser& user) {
      ASSERT_TRUE(user.Choose(kIdMethod, c.method));
      for (const auto& [box, tick] : {std::pair{kIdFromRgb, c.fromRgb}, std::pair{kIdBgrOrder, c.bgr}}) {
        ASSERT_TRUE(user.Click(box) && user.Click(box) && (!tick || user.Click(box)));
      }
    }, kIdOk, c.withHandle ? &handle.h : nullptr, &caller.params), CLR_OK);
    EXPECT_EQ(std::pair(caller.params.method, caller.params.flags), std::pair(c.expected, uint32_t(c.expected)));
    EXPECT_EQ(LiveHandles(), live + (c.withHandle ? 1 : 0));
    if (!c.withHandle) continue;
    ASSERT_NE(handle.h, nullptr);
    EXPECT_EQ(std::pair(handle.h->srcSpace, handle.h->dstSpace), std::pair(c.src, c.dst));
    EXPECT_EQ(std::pair(handle.h->method, handle.h->methodMask), std::pair(c.expected, uint32_t(c.expected)));
  }
}

// Converting from the RGB side hands Q_ClrInit the RGB profile as the source; the caller still
// finds the other side's profile in srcProfileName.
TEST(QClrDlg, CustomProfilesFollowTheDirection) {
  const ProfileFiles files;
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    const std::string& otherProfile = kind == kCmykDialogKind ? files.cmyk : files.lab;
    for (const bool fromRgb : {false, true}) {
      SCOPED_TRACE(::testing::Message() << kind << " from RGB " << fromRgb);
      CallerRecords caller;
      HandleGuard handle;
      ASSERT_EQ(RunDialog(kind, [&](DialogUser& user) {
        ASSERT_TRUE(user.Choose(kIdMethod, "Custom ICC Profiling"));
        user.AnswerNextOpenFile(otherProfile);
        user.AnswerNextOpenFile(files.rgb);
        ASSERT_TRUE(user.Click(kIdBrowseSource) && user.Click(kIdBrowseDestination));
        ASSERT_TRUE(!fromRgb || user.Click(kIdFromRgb));
      }, kIdOk, &handle.h, &caller.params), CLR_OK);
      ASSERT_NE(handle.h, nullptr);
      EXPECT_EQ(handle.h->method, METHOD_CUSTOM_ICC);
      EXPECT_EQ(handle.h->srcSpace == CSP_RGB, fromRgb);
      EXPECT_EQ(handle.h->srcProfileName, fromRgb ? files.rgb : otherProfile);
      EXPECT_EQ(handle.h->dstProfileName, fromRgb ? otherProfile : files.rgb);
      EXPECT_EQ(caller.params.srcProfileName, otherProfile);
      EXPECT_EQ(caller.params.dstProfileName, files.rgb);
    }
  }
}

// Types the entries (a null entry is left as it is) and chooses the method, then
// the custom white point when x is given.
Script TypeEntries(const char* method, const char* x, const char* y, const char* blackGeneration) {
  return [=](DialogUser& user) {
    ASSERT_TRUE(blackGeneration == nullptr || user.Type(kIdBlackGeneration, blackGeneration));
    ASSERT_TRUE(user.Choose(kIdMethod, method));
    ASSERT_TRUE(x == nullptr || (user.Choose(kIdWhitePoint, "Custom (xyY) point") && user.Type(kIdWhiteX, x) &&
                                 user.Type(kIdWhiteY, y)));
  };
}

// Entries reach the handle and the caller; one that cannot be taken keeps the dialog open with the
// focus on its box (on the method box when the method disabled it) and nothing written.
TEST(QClrDlg, TypedEntriesAreTakenOrRefused) {
  struct Case {
    int32_t kind;
    const char* method;
    const char *x, *y, *blackGeneration;  // null: untouched (D50, GCR 250)
    int32_t focus;                        // 0: taken
    double wantX, wantY;
    int32_t wantBlack;
  };
  const int32_t C = kCmykDialogKind, L = kLabDialogKind;
  const Case cases[] = {
      {C, "ICC profiling", "0.3127", "0.329", nullptr, 0, 0.3127, 0.329, 250},
      {L, "ICC profiling", " 3.1e-1", "0.33 ", nullptr, 0, 0.31, 0.33, 0},
      {L, "ICC profiling", ".2", "0.7999", nullptr, 0, 0.2, 0.7999, 0},
      {C, "Built-in conversion", nullptr, nullptr, " 0", 0, 0, 0, 0},
      {C, "Built-in conversion", nullptr, nullptr, "1000", 0, 0, 0, 1000},
      {C, "ICC profiling", "abc", "0.3", nullptr, kIdWhiteX, 0, 0, 0},
      {C, "ICC profiling", "0", "0.3", nullptr, kIdWhiteX, 0, 0, 0},
      {L, "ICC profiling", "1", "0.3", nullptr, kIdWhiteX, 0, 0, 0},
      {L, "ICC profiling", "0,3127", "0.3", nullptr, kIdWhiteX, 0, 0, 0},  // no locale
      {L, "ICC profiling", "nan", "0.3", nullptr, kIdWhiteX, 0, 0, 0},
      {L, "Custom ICC Profiling", "0.3", "", nullptr, kIdWhiteY, 0, 0, 0},
      {C, "ICC profiling", "0.4", "0.6", nullptr, kIdWhiteY, 0, 0, 0},  // x + y = 1
      {C, "Built-in conversion", nullptr, nullptr, "1001", kIdBlackGeneration, 0, 0, 0},
      {C, "Built-in conversion", nullptr, nullptr, "-1", kIdBlackGeneration, 0, 0, 0},
      {C, "Built-in conversion", nullptr, nullptr, "12a", kIdBlackGeneration, 0, 0, 0},
      {C, "ICC profiling", nullptr, nullptr, "2000", kIdMethod, 0, 0, 0},  // box disabled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << &c - cases);
    CallerRecords caller;
    HandleGuard handle;
    handle.h = kUnwritten;
    const int32_t status = RunDialog(c.kind, [&](DialogUser& user) {
      TypeEntries(c.method, c.x, c.y, c.blackGeneration)(user);
      if (c.focus == 0) return;
      ASSERT_TRUE(user.Click(kIdOk));
      EXPECT_FALSE(user.Ended());
      EXPECT_EQ(user.FocusedControl(), c.focus);
    }, c.focus == 0 ? kIdOk : kIdCancel, &handle.h, &caller.params);
    if (c.focus != 0) {
      EXPECT_EQ(status, CLR_CANCELLED);
      EXPECT_EQ(std::exchange(handle.h, nullptr), kUnwritten);
      EXPECT_TRUE(caller.Untouched());
      continue;
    }
    ASSERT_EQ(status, CLR_OK);
    ASSERT_NE(handle.h, kUnwritten);
    for (const WhitePoint* white : {handle.h->whitePoint, &caller.white}) {
      EXPECT_EQ(white->kind, c.x != nullptr ? 0u : 50u);
      EXPECT_EQ(std::pair(white->x, white->y), std::pair(c.wantX, c.wantY));
    }
    if (c.kind == kCmykDialogKind) {
      EXPECT_EQ(std::pair(handle.h->cmykOptions->value, caller.cmyk.value), std::pair(c.wantBlack, c.wantBlack));
    }
  }
}

// The statuses of Q_ClrDlg, what it shows and what it writes.
TEST(QClrDlg, StatusesAndWhatIsWritten) {
  enum Records { kFull, kNoWhitePoint, kNoCmykOptions, kNoParams };
  struct Case {
    int32_t kind;
    Records records;
    bool withHandle, userInterface;
    const char* method;  // chosen before pressing, or null
    int32_t userPresses;  // kIdOk or kIdCancel
    int32_t status;
    bool shown, handleMade, recordsWritten;
  };
  const Case cases[] = {
      // Unknown kinds show nothing and succeed.
      {0, kFull, true, true, nullptr, kIdOk, CLR_OK, false, false, false},
      // Incomplete records are refused before any dialog.
      {1, kNoWhitePoint, true, true, nullptr, kIdOk, CLR_ERR_PARAM, false, false, false},
      {1, kNoCmykOptions, true, false, nullptr, kIdOk, CLR_ERR_PARAM, false, false, false},
      {2, kNoWhitePoint, true, false, nullptr, kIdOk, CLR_ERR_PARAM, false, false, false},
      // The Lab dialog needs no CMYK options.
      {2, kNoCmykOptions, true, true, nullptr, kIdOk, CLR_OK, true, true, true},
      // Cancel writes nothing.
      {1, kFull, true, true, nullptr, kIdCancel, CLR_CANCELLED, true, false, false},
      {2, kFull, false, true, nullptr, kIdCancel, CLR_CANCELLED, true, false, false},
      // Without a handle variable: the CMYK dialog hands back the choice, the Lab
      // dialog refuses after the dialog.
      {1, kFull, false, true, nullptr, kIdOk, CLR_OK, true, false, true},
      {2, kFull, false, true, nullptr, kIdOk, CLR_ERR_PARAM, true, false, false},
      {1, kNoParams, true, true, nullptr, kIdOk, CLR_OK, true, true, false},
      {2, kNoParams, true, false, nullptr, kIdOk, CLR_OK, false, true, false},
      // A choice Q_ClrInit cannot make into a handle (custom profiles never named)
      // still succeeds; the handle variable is not written, the caller gets the choice.
      {1, kFull, true, true, "Custom ICC Profiling", kIdOk, CLR_OK, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    CallerRecords caller;
    if (c.records == kNoWhitePoint) caller.params.whitePoint = nullptr;
    if (c.records == kNoCmykOptions) caller.params.cmykOptions = nullptr;
    ClrHandle* handle = kUnwritten;
    const int live = LiveHandles();
    int shown = 0;
    const Script script = [&](DialogUser& user) {
      ASSERT_TRUE(c.method == nullptr || user.Choose(kIdMethod, c.method));
    };
    EXPECT_EQ(RunDialog(c.kind, c.userInterface ? script : Script{}, c.userPresses, c.withHandle ? &handle : nullptr,
                        c.records == kNoParams ? nullptr : &caller.params, &shown),
              c.status);
    EXPECT_EQ(shown, c.shown ? 1 : 0);
    EXPECT_EQ(LiveHandles(), live + (c.handleMade ? 1 : 0));
    EXPECT_EQ(handle != kUnwritten, c.handleMade);
    if (c.handleMade) Q_ClrFree(handle);
    EXPECT_EQ(c.records != kNoParams && !caller.Untouched(), c.recordsWritten);
  }
}

// Every allocation behind the dialog (the handle made from the choice, with the
// user pressing OK or without any dialog shown) may fail: the dialog still succeeds,
// the handle variable is left alone and nothing leaks; the choice is handed back.
TEST(QClrDlg, EveryFailedAllocationLeavesNoHandle) {
  for (const int32_t kind : {1, 2}) {
    for (const bool userInterface : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "kind " << kind << (userInterface ? ", OK pressed" : ", no dialog"));
      const int live = LiveHandles();
      const Script pressOk = [](DialogUser&) {};
      const AllocationWalk walk = WalkAllocationFailures([&](AllocationHook& hook) {
        CallerRecords caller;
        ClrHandle* handle = kUnwritten;
        const int32_t status = hook.Run(
            [&] { return RunDialog(kind, userInterface ? pressOk : Script{}, kIdOk, &handle, &caller.params); });
        EXPECT_EQ(status, CLR_OK);
        EXPECT_FALSE(caller.Untouched());
        EXPECT_EQ(handle == kUnwritten, hook.Failed());
        EXPECT_EQ(LiveHandles(), live + (hook.Failed() ? 0 : 1));
        if (handle != kUnwritten) Q_ClrFree(handle);
        return status;
      });
      EXPECT_GT(walk.allocations, 0);
    }
  }
}

}  // namespace
}  // namespace qclr::test
