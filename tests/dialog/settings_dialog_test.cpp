// Q_ClrDlg: the handle made from the user's choice and the choice handed back.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "platform/platform.h"

namespace qclr::test {
namespace {

using namespace qclr::dialog;

// The record Q_ClrInit gets for the choice the caller received: the caller's copy
// without the option records the dialog never sets.
ConversionParams SameRecord(const CallerRecords& caller) {
  ConversionParams p = caller.params;
  p.labOptions = nullptr;
  p.yuvLayout = nullptr;
  return p;
}

TEST(QClrDlg, OkAtOnceTakesTheBuiltInConversion) {
  int owner = 0;
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    // Without a user interface no dialog can be created: handled like OK.
    for (const bool userInterface : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "dialog " << kind << " interface " << userInterface);
      ScriptScope scope([&](DialogUser& user) {
        EXPECT_EQ(user.OwnerWindow(), &owner);
        EXPECT_EQ(user.TemplateId(), kind == kCmykDialogKind ? 114 : 128);
        ASSERT_TRUE(user.Click(kIdOk));
      });
      if (!userInterface) platform::SetDialogScript({});
      CallerRecords caller;
      ClrHandle* handle = kUnwrittenHandle;
      ASSERT_EQ(Q_ClrDlg(kind, &owner, &handle, &caller.params), CLR_OK);
      EXPECT_EQ(scope.shown(), userInterface ? 1 : 0);
      ASSERT_EQ(Q_ClrIsValid(handle), CLR_OK);
      EXPECT_EQ(handle->srcSpace, kind == kCmykDialogKind ? CSP_CMYK : CSP_LAB);
      EXPECT_EQ(handle->dstSpace, CSP_RGB);
      EXPECT_EQ(handle->method, METHOD_BUILTIN);
      EXPECT_EQ(handle->methodMask, uint32_t{METHOD_BUILTIN});

      const ConversionParams& p = caller.params;
      EXPECT_EQ(p.structSize, QCLR_CONVERSION_PARAMS_SIZE);
      EXPECT_EQ(p.method, METHOD_BUILTIN);
      EXPECT_EQ(p.flags, uint32_t{METHOD_BUILTIN});
      EXPECT_EQ(p.tableBits, 8u);
      EXPECT_STREQ(p.srcProfileName, "");
      EXPECT_STREQ(p.dstProfileName, "");
      EXPECT_STREQ(p.tableFileName, "");
      EXPECT_EQ(p.whitePoint, &caller.white);
      EXPECT_EQ(p.cmykOptions, &caller.cmyk);
      EXPECT_EQ(p.labOptions, &caller.lab);
      EXPECT_EQ(p.yuvLayout, &caller.yuv);
      EXPECT_EQ(caller.white.kind, 50u);
      EXPECT_EQ(caller.white.reserved, 0xDEADBEEF);
      EXPECT_EQ(caller.white.x, 0.0);
      EXPECT_EQ(caller.white.y, 0.0);
      // The Lab dialog has no CMYK options and leaves the caller's alone.
      const CmykOptions cmyk = kind == kCmykDialogKind ? CmykOptions{QCLR_CMYK_OPTIONS_SIZE, 250, 1}
                                                       : CmykOptions{99, 98, 97};
      EXPECT_EQ(std::memcmp(&caller.cmyk, &cmyk, sizeof cmyk), 0);

      ExpectSameConversion(handle, ReferenceHandle(handle, SameRecord(caller)));
      Q_ClrFree(handle);
    }
  }
}

TEST(QClrDlg, CheckBoxesChooseDirectionAndOrder) {
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    const int32_t other = kind == kCmykDialogKind ? CSP_CMYK : CSP_LAB;
    for (const int ticks : {0, 1, 2, 3}) {  // bit 0: from RGB, bit 1: BGR order
      const bool fromRgb = ticks & 1, bgr = ticks & 2;
      ScriptScope scope([&](DialogUser& user) {
        for (const int32_t box : {kIdFromRgb, kIdBgrOrder}) {
          // Ticked and cleared again, then ticked when asked.
          ASSERT_TRUE(user.Click(box) && user.Click(box));
          if ((box == kIdFromRgb && fromRgb) || (box == kIdBgrOrder && bgr)) {
            ASSERT_TRUE(user.Click(box));
          }
        }
        ASSERT_TRUE(user.Click(kIdOk));
      });
      ClrHandle* handle = nullptr;
      ASSERT_EQ(Q_ClrDlg(kind, nullptr, &handle, nullptr), CLR_OK);
      ASSERT_NE(handle, nullptr);
      const int32_t rgbSide = bgr ? CSP_BGR : CSP_RGB;
      EXPECT_EQ(handle->srcSpace, fromRgb ? rgbSide : other) << kind << " " << ticks;
      EXPECT_EQ(handle->dstSpace, fromRgb ? other : rgbSide) << kind << " " << ticks;
      Q_ClrFree(handle);
    }
  }
}

// There is no emulation table from RGB to CMYK: the CMYK dialog falls back to the
// built-in formulas, and the caller is told so; the Lab dialog has such a table.
TEST(QClrDlg, RgbToCmykWithTablesUsesTheFormulas) {
  struct Case {
    int32_t kind;
    const char* method;
    bool fromRgb;
    bool withHandle;
    int32_t expected;  // method of the handle and of the caller's record
  };
  const Case cases[] = {
      {kCmykDialogKind, "Built-in emulation tables", true, true, METHOD_BUILTIN},
      {kCmykDialogKind, "Custom emulation tables", true, true, METHOD_BUILTIN},
      {kCmykDialogKind, "Built-in emulation tables", true, false, METHOD_BUILTIN},
      {kCmykDialogKind, "Built-in emulation tables", false, true, METHOD_BUILTIN_TABLES},
      {kLabDialogKind, "Built-in emulation tables", true, true, METHOD_BUILTIN_TABLES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.kind << " " << c.method << " " << c.fromRgb << c.withHandle);
    ScriptScope scope([&](DialogUser& user) {
      ASSERT_TRUE(user.Choose(kIdMethod, c.method));
      if (c.fromRgb) {
        ASSERT_TRUE(user.Click(kIdFromRgb));
      }
      ASSERT_TRUE(user.Click(kIdOk));
    });
    CallerRecords caller;
    ClrHandle* handle = nullptr;
    const int live = LiveHandles();
    ASSERT_EQ(Q_ClrDlg(c.kind, nullptr, c.withHandle ? &handle : nullptr, &caller.params), CLR_OK);
    EXPECT_EQ(caller.params.method, c.expected);
    EXPECT_EQ(caller.params.flags, static_cast<uint32_t>(c.expected));
    EXPECT_EQ(LiveHandles(), live + (c.withHandle ? 1 : 0));
    if (!c.withHandle) continue;
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->method, c.expected);
    EXPECT_EQ(handle->methodMask, static_cast<uint32_t>(c.expected));
    ExpectSameConversion(handle, ReferenceHandle(handle, SameRecord(caller)));
    Q_ClrFree(handle);
  }
}

// The built-in profiles, written out as files for the custom ICC method.
class ProfileFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qclr_dialog_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    rgb_ = Write(105, "display.icc");
    lab_ = Write(106, "lab.icc");
    cmyk_ = Write(107, "press.icc");
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  static std::string Write(int32_t id, const char* name) {
    platform::ResourceBytes profile{nullptr, 0};
    EXPECT_EQ(platform::FindLibraryResource("ICM", id, &profile), platform::kErrorSuccess);
    const std::string path = folder_ + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f == nullptr) return path;
    EXPECT_EQ(std::fwrite(profile.data, 1, profile.size, f), profile.size);
    std::fclose(f);
    return path;
  }

  static std::string folder_, rgb_, lab_, cmyk_;
};
std::string ProfileFiles::folder_, ProfileFiles::rgb_, ProfileFiles::lab_, ProfileFiles::cmyk_;

// The profile boxes name the profile of each side; converting from the RGB side
// hands Q_ClrInit the RGB profile as the source, while the caller still finds the
// other side's profile in srcProfileName.
TEST_F(ProfileFiles, CustomProfilesFollowTheDirection) {
  for (const int32_t kind : {kCmykDialogKind, kLabDialogKind}) {
    const std::string& otherProfile = kind == kCmykDialogKind ? cmyk_ : lab_;
    for (const bool fromRgb : {false, true}) {
      SCOPED_TRACE(::testing::Message() << kind << " from RGB " << fromRgb);
      ScriptScope scope([&](DialogUser& user) {
        ASSERT_TRUE(user.Choose(kIdMethod, "Custom ICC Profiling"));
        user.AnswerNextOpenFile(otherProfile);
        ASSERT_TRUE(user.Click(kIdBrowseSource));
        user.AnswerNextOpenFile(rgb_);
        ASSERT_TRUE(user.Click(kIdBrowseDestination));
        if (fromRgb) {
          ASSERT_TRUE(user.Click(kIdFromRgb));
        }
        ASSERT_TRUE(user.Click(kIdOk));
      });
      CallerRecords caller;
      ClrHandle* handle = nullptr;
      ASSERT_EQ(Q_ClrDlg(kind, nullptr, &handle, &caller.params), CLR_OK);
      ASSERT_NE(handle, nullptr);
      EXPECT_EQ(handle->method, METHOD_CUSTOM_ICC);
      EXPECT_NE(handle->customIccTransform, nullptr);
      EXPECT_EQ(handle->srcSpace == CSP_RGB, fromRgb);
      EXPECT_EQ(handle->srcProfileName, fromRgb ? rgb_ : otherProfile);
      EXPECT_EQ(handle->dstProfileName, fromRgb ? otherProfile : rgb_);
      EXPECT_EQ(caller.params.srcProfileName, otherProfile);
      EXPECT_EQ(caller.params.dstProfileName, rgb_);

      ConversionParams same = SameRecord(caller);
      if (fromRgb) std::swap(same.srcProfileName, same.dstProfileName);
      ExpectSameConversion(handle, ReferenceHandle(handle, same));
      Q_ClrFree(handle);
    }
  }
}

// The x, y and GCR entries reach the handle and the caller.
TEST(QClrDlg, TypedEntriesReachTheHandle) {
  struct Case {
    int32_t kind;
    const char* method;
    bool fromRgb;
    const char* x;  // null: the white point stays D50
    const char* y;
    const char* blackGeneration;  // null: untouched (250)
    double wantX, wantY;
    int32_t wantBlack;
    bool changesResult;  // converts unlike the starting choice (the target white only
                         // matters from RGB to CMYK or Lab)
  };
  const Case cases[] = {
      {kCmykDialogKind, "ICC profiling", true, "0.3127", "0.329", nullptr, 0.3127, 0.329, 250, true},
      {kLabDialogKind, "ICC profiling", false, " 3.1e-1", "0.33 ", nullptr, 0.31, 0.33, 0, false},
      {kLabDialogKind, "ICC profiling", true, ".2", "0.7999", nullptr, 0.2, 0.7999, 0, true},
      {kCmykDialogKind, "Built-in conversion", true, nullptr, nullptr, "600", 0, 0, 600, true},
      {kCmykDialogKind, "Built-in conversion", true, nullptr, nullptr, " 0", 0, 0, 0, true},
      {kCmykDialogKind, "Built-in conversion", true, nullptr, nullptr, "1000", 0, 0, 1000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << &c - cases);
    ScriptScope scope([&](DialogUser& user) {
      if (c.blackGeneration != nullptr) {
        ASSERT_TRUE(user.Type(kIdBlackGeneration, c.blackGeneration));
      }
      ASSERT_TRUE(user.Choose(kIdMethod, c.method));
      if (c.x != nullptr) {
        ASSERT_TRUE(user.Choose(kIdWhitePoint, "Custom (xyY) point"));
        ASSERT_TRUE(user.Type(kIdWhiteX, c.x) && user.Type(kIdWhiteY, c.y));
      }
      if (c.fromRgb) {
        ASSERT_TRUE(user.Click(kIdFromRgb));
      }
      ASSERT_TRUE(user.Click(kIdOk));
    });
    CallerRecords caller;
    ClrHandle* handle = nullptr;
    ASSERT_EQ(Q_ClrDlg(c.kind, nullptr, &handle, &caller.params), CLR_OK);
    ASSERT_NE(handle, nullptr);
    const WhitePoint& white = *handle->whitePoint;
    EXPECT_EQ(white.kind, c.x != nullptr ? 0u : 50u);
    EXPECT_EQ(white.x, c.wantX);
    EXPECT_EQ(white.y, c.wantY);
    EXPECT_EQ(caller.white.kind, white.kind);
    EXPECT_EQ(caller.white.x, c.wantX);
    EXPECT_EQ(caller.white.y, c.wantY);
    if (c.kind == kCmykDialogKind) {
      ASSERT_NE(handle->cmykOptions, nullptr);
      EXPECT_EQ(handle->cmykOptions->value, c.wantBlack);
      EXPECT_EQ(caller.cmyk.value, c.wantBlack);
    }

    // It converts as a handle made by Q_ClrInit from the record the caller got,
    // and, where the entries matter, unlike one made from the starting values.
    ConversionParams same = SameRecord(caller);
    ExpectSameConversion(handle, ReferenceHandle(handle, same));
    WhitePoint startWhite{50, 0, 0, 0};
    CmykOptions startCmyk{QCLR_CMYK_OPTIONS_SIZE, 250, 1};
    same.whitePoint = &startWhite;
    if (c.kind == kCmykDialogKind) same.cmykOptions = &startCmyk;
    ClrHandle* start = ReferenceHandle(handle, same);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(ConvertSample(handle) != ConvertSample(start), c.changesResult);
    Q_ClrFree(start);
    Q_ClrFree(handle);
  }
}

// An entry that cannot be taken keeps the dialog open with the focus on its box
// (or on the method box when the method has disabled that box); once corrected,
// OK goes through.
TEST(QClrDlg, BadEntriesKeepTheDialogOpen) {
  struct Case {
    int32_t kind;
    const char* method;
    const char* x;                // null: white point D50
    const char* y;
    const char* blackGeneration;  // typed while the built-in method is chosen
    int32_t focus;
  };
  const Case cases[] = {
      {kCmykDialogKind, "ICC profiling", "abc", "0.3", nullptr, kIdWhiteX},
      {kCmykDialogKind, "ICC profiling", "0", "0.3", nullptr, kIdWhiteX},
      {kLabDialogKind, "ICC profiling", "1", "0.3", nullptr, kIdWhiteX},
      {kLabDialogKind, "ICC profiling", "0,3127", "0.3", nullptr, kIdWhiteX},  // no locale
      {kLabDialogKind, "ICC profiling", "nan", "0.3", nullptr, kIdWhiteX},
      {kLabDialogKind, "Custom ICC Profiling", "0.3", "", nullptr, kIdWhiteY},
      {kCmykDialogKind, "ICC profiling", "0.4", "0.6", nullptr, kIdWhiteY},  // x + y = 1
      {kCmykDialogKind, "Built-in conversion", nullptr, nullptr, "1001", kIdBlackGeneration},
      {kCmykDialogKind, "Built-in conversion", nullptr, nullptr, "-1", kIdBlackGeneration},
      {kCmykDialogKind, "Built-in conversion", nullptr, nullptr, "12a", kIdBlackGeneration},
      {kCmykDialogKind, "ICC profiling", nullptr, nullptr, "2000", kIdMethod},  // box disabled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << &c - cases);
    ScriptScope scope([&](DialogUser& user) {
      if (c.blackGeneration != nullptr) {
        ASSERT_TRUE(user.Type(kIdBlackGeneration, c.blackGeneration));
      }
      ASSERT_TRUE(user.Choose(kIdMethod, c.method));
      if (c.x != nullptr) {
        ASSERT_TRUE(user.Choose(kIdWhitePoint, "Custom (xyY) point"));
        ASSERT_TRUE(user.Type(kIdWhiteX, c.x) && user.Type(kIdWhiteY, c.y));
      }
      ASSERT_TRUE(user.Click(kIdOk));
      EXPECT_FALSE(user.Ended());
      EXPECT_EQ(user.FocusedControl(), c.focus);
      ASSERT_TRUE(user.Click(kIdCancel));
    });
    CallerRecords caller;
    ClrHandle* handle = kUnwrittenHandle;
    EXPECT_EQ(Q_ClrDlg(c.kind, nullptr, &handle, &caller.params), CLR_CANCELLED);
    EXPECT_EQ(handle, kUnwrittenHandle);
    EXPECT_TRUE(caller.Untouched());
  }

  ScriptScope scope([](DialogUser& user) {
    ASSERT_TRUE(user.Choose(kIdMethod, "ICC profiling"));
    ASSERT_TRUE(user.Choose(kIdWhitePoint, "Custom (xyY) point"));
    ASSERT_TRUE(user.Type(kIdWhiteX, "0.5") && user.Type(kIdWhiteY, "0.5"));
    ASSERT_TRUE(user.Click(kIdOk));
    ASSERT_FALSE(user.Ended());
    ASSERT_TRUE(user.Type(kIdWhiteY, "0.4"));
    ASSERT_TRUE(user.Click(kIdOk));
  });
  ClrHandle* handle = nullptr;
  ASSERT_EQ(Q_ClrDlg(kCmykDialogKind, nullptr, &handle, nullptr), CLR_OK);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->whitePoint->x, 0.5);
  EXPECT_EQ(handle->whitePoint->y, 0.4);
  Q_ClrFree(handle);
}

// The statuses of Q_ClrDlg, what it shows and what it writes.
TEST(QClrDlg, StatusesAndWhatIsWritten) {
  enum Records { kFull, kNoWhitePoint, kNoCmykOptions, kNoParams };
  struct Case {
    int32_t kind;
    Records records;
    bool withHandle;
    bool userInterface;
    int32_t userPresses;  // kIdOk or kIdCancel
    int32_t status;
    bool shown, handleMade, recordsWritten;
  };
  const Case cases[] = {
      // Unknown kinds show nothing and succeed.
      {0, kFull, true, true, kIdOk, CLR_OK, false, false, false},
      {3, kNoWhitePoint, true, true, kIdOk, CLR_OK, false, false, false},
      // Incomplete records are refused before any dialog.
      {1, kNoWhitePoint, true, true, kIdOk, CLR_ERR_PARAM, false, false, false},
      {1, kNoCmykOptions, true, false, kIdOk, CLR_ERR_PARAM, false, false, false},
      {2, kNoWhitePoint, true, false, kIdOk, CLR_ERR_PARAM, false, false, false},
      // The Lab dialog needs no CMYK options.
      {2, kNoCmykOptions, true, true, kIdOk, CLR_OK, true, true, true},
      // Cancel writes nothing.
      {1, kFull, true, true, kIdCancel, CLR_CANCELLED, true, false, false},
      {2, kFull, false, true, kIdCancel, CLR_CANCELLED, true, false, false},
      // Without a handle variable: the CMYK dialog hands back the choice, the Lab
      // dialog refuses after the dialog.
      {1, kFull, false, true, kIdOk, CLR_OK, true, false, true},
      {2, kFull, false, true, kIdOk, CLR_ERR_PARAM, true, false, false},
      {2, kFull, false, false, kIdOk, CLR_ERR_PARAM, false, false, false},
      {1, kNoParams, true, true, kIdOk, CLR_OK, true, true, false},
      {2, kNoParams, true, false, kIdOk, CLR_OK, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    ScriptScope scope([&](DialogUser& user) { ASSERT_TRUE(user.Click(c.userPresses)); });
    if (!c.userInterface) platform::SetDialogScript({});
    CallerRecords caller;
    if (c.records == kNoWhitePoint) caller.params.whitePoint = nullptr;
    if (c.records == kNoCmykOptions) caller.params.cmykOptions = nullptr;
    ClrHandle* handle = kUnwrittenHandle;
    const int live = LiveHandles();
    EXPECT_EQ(Q_ClrDlg(c.kind, nullptr, c.withHandle ? &handle : nullptr,
                       c.records == kNoParams ? nullptr : &caller.params),
              c.status);
    EXPECT_EQ(scope.shown(), c.shown ? 1 : 0);
    EXPECT_EQ(LiveHandles(), live + (c.handleMade ? 1 : 0));
    EXPECT_EQ(handle != kUnwrittenHandle, c.handleMade);
    if (c.handleMade) Q_ClrFree(handle);
    if (c.records == kFull || c.records == kNoCmykOptions) {
      EXPECT_EQ(!caller.Untouched(), c.recordsWritten);
    }
  }
}

// A choice Q_ClrInit cannot make into a handle (custom profiles never named)
// still ends with success; the handle variable is not written and the caller
// gets the choice.
TEST(QClrDlg, FailedHandleCreationStillSucceeds) {
  ScriptScope scope([](DialogUser& user) {
    ASSERT_TRUE(user.Choose(kIdMethod, "Custom ICC Profiling"));
    ASSERT_TRUE(user.Click(kIdOk));
  });
  CallerRecords caller;
  ClrHandle* handle = kUnwrittenHandle;
  const int live = LiveHandles();
  EXPECT_EQ(Q_ClrDlg(kCmykDialogKind, nullptr, &handle, &caller.params), CLR_OK);
  EXPECT_EQ(handle, kUnwrittenHandle);
  EXPECT_EQ(LiveHandles(), live);
  EXPECT_EQ(caller.params.method, METHOD_CUSTOM_ICC);
}

}  // namespace
}  // namespace qclr::test
