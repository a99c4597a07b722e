#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/clr_handle.h"
#include "icc/color_transform.h"
#include "icc/pixel_format.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"

namespace qclr {
namespace {

using test::HandleGuard;
using test::LiveHandles;
using test::Params;

int32_t kYuy2Offsets[] = {0, 2, 1, 3};  // Y0 Y1 U V in a group of two pixels

YuvLayout Yuy2Layout() {
  return {QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, kYuy2Offsets, 2, 0, 0};
}

TEST(HandleInit, SameSpaceShortcutMakesABareHandle) {
  HandleGuard plain, shortcut, unknown, full;
  ASSERT_EQ(Q_ClrInit(&plain.h, CSP_LAB, CSP_LAB, nullptr), CLR_OK);
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  ASSERT_EQ(Q_ClrInit(&shortcut.h, CSP_LAB, CSP_LAB, &p), CLR_OK);
  p.flags = 0;  // codes are not looked at by the shortcut
  ASSERT_EQ(Q_ClrInit(&unknown.h, 200, 200, &p), CLR_OK);
  for (const ClrHandle* h : {plain.h, shortcut.h, unknown.h}) {
    EXPECT_EQ(Q_ClrIsValid(h), CLR_OK);
    EXPECT_EQ(h->whitePoint, nullptr);
    EXPECT_EQ(h->methodMask, 0u);
    EXPECT_EQ(h->srcSpace, h->dstSpace);
  }
  EXPECT_EQ(unknown.h->srcSpace, 200);

  // Bit 4 of flags takes the full way: validated, prepared, with a white point.
  test::ProfileFiles files;
  p = Params(METHOD_BUILTIN, METHOD_BUILTIN | METHOD_CUSTOM_ICC);
  test::SetName(p.srcProfileName, files.lab);
  test::SetName(p.dstProfileName, files.lab);
  ASSERT_EQ(Q_ClrInit(&full.h, CSP_LAB, CSP_LAB, &p), CLR_OK);
  EXPECT_NE(full.h->whitePoint, nullptr);
  EXPECT_NE(full.h->customIccTransform, nullptr);
  EXPECT_EQ(full.h->pathKind, 1);
  EXPECT_EQ(full.h->methodMask, uint32_t{METHOD_BUILTIN | METHOD_CUSTOM_ICC});
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, 200, 200, &p), CLR_ERR_COLORSPACE);
}

struct Refusal {
  const char* what;
  int32_t src, dst;
  std::function<void(ConversionParams&)> edit;
  int32_t status;
  bool beforeAllocating;  // refused before anything is allocated
};

TEST(HandleInit, RefusalsLeaveNothingBehind) {
  static CmykOptions cmyk;
  static LabOptions lab;
  static YuvLayout yuv;
  static WhitePoint white;
  static int32_t farOffsets[] = {0, 2, 1, 4};
  const std::string unterminated(QCLR_FILE_NAME_SIZE, 'a');
  const std::vector<Refusal> cases = {
      {"RGB to BGR", CSP_RGB, CSP_BGR, nullptr, CLR_ERR_COLORSPACE, true},
      {"BGR to RGB", CSP_BGR, CSP_RGB, nullptr, CLR_ERR_COLORSPACE, true},
      {"source 16", 16, CSP_RGB, nullptr, CLR_ERR_COLORSPACE, true},
      {"destination 129", CSP_RGB, 129, nullptr, CLR_ERR_COLORSPACE, true},
      {"structSize 811", CSP_CMYK, CSP_RGB, [](auto& p) { p.structSize = 811; }, CLR_ERR_STRUCT_SIZE, true},
      {"tables active, ICC prepared", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.method = METHOD_BUILTIN_TABLES; p.flags = METHOD_ICC; }, CLR_ERR_METHOD, false},
      {"tableBits 0", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.method = p.flags = METHOD_BUILTIN_TABLES; p.tableBits = 0; }, CLR_ERR_PARAM, false},
      {"no method bit", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags = 64; }, CLR_ERR_METHOD, false},
      {"automatic YUV to RGB", CSP_YUV, CSP_RGB, [](auto& p) { p.method = p.flags = METHOD_AUTO; },
       CLR_ERR_METHOD, false},
      {"empty dstProfileName", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.method = p.flags = METHOD_CUSTOM_ICC; test::SetName(p.srcProfileName, "x.icc"); },
       CLR_ERR_FILE_NAME, false},
      {"unterminated srcProfileName", CSP_CMYK, CSP_RGB,
       [&](auto& p) {
         p.method = p.flags = METHOD_CUSTOM_ICC;
         std::memcpy(p.srcProfileName, unterminated.data(), QCLR_FILE_NAME_SIZE);
         test::SetName(p.dstProfileName, "x.icc");
       },
       CLR_ERR_FILE_NAME, false},
      {"empty tableFileName", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags |= METHOD_CUSTOM_TABLES; },
       CLR_ERR_FILE_NAME, false},
      {"missing table file", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.flags |= METHOD_CUSTOM_TABLES; test::SetName(p.tableFileName, "/nonexistent/t.tif"); },
       3, false},
      {"cmykOptions structSize 10", CSP_CMYK, CSP_RGB,
       [](auto& p) { cmyk = {10, 175, 0}; p.cmykOptions = &cmyk; }, CLR_ERR_STRUCT_SIZE, false},
      {"black generation -1", CSP_RGB, CSP_CMYK,
       [](auto& p) { cmyk = {QCLR_CMYK_OPTIONS_SIZE, -1, 0}; p.cmykOptions = &cmyk; }, CLR_ERR_PARAM, false},
      {"black generation 1001", CSP_CMYK, CSP_BGR,
       [](auto& p) { cmyk = {QCLR_CMYK_OPTIONS_SIZE, 1001, 0}; p.cmykOptions = &cmyk; }, CLR_ERR_PARAM, false},
      {"labOptions structSize", CSP_LAB, CSP_RGB,
       [](auto& p) { lab = {31, 0, 0, 100, 128, 170, 96, 200}; p.labOptions = &lab; }, CLR_ERR_STRUCT_SIZE, false},
      {"Lab range 0", CSP_RGB, CSP_LAB,
       [](auto& p) { lab = {QCLR_LAB_OPTIONS_SIZE, 0, 0, 100, 128, 0, 96, 200}; p.labOptions = &lab; },
       CLR_ERR_PARAM, false},
      {"yuvLayout structSize", CSP_YUV, CSP_RGB,
       [](auto& p) { yuv = Yuy2Layout(); yuv.structSize = 36; p.yuvLayout = &yuv; }, CLR_ERR_STRUCT_SIZE, false},
      {"YUV step 0", CSP_YUV, CSP_RGB,
       [](auto& p) { yuv = Yuy2Layout(); yuv.uStepX = 0; p.yuvLayout = &yuv; }, CLR_ERR_PARAM, false},
      {"YUV without offsets", CSP_YUV, CSP_RGB,
       [](auto& p) { yuv = Yuy2Layout(); yuv.sampleOffsets = nullptr; p.yuvLayout = &yuv; }, CLR_ERR_PARAM, false},
      {"YUV offset outside the group", CSP_YUV, CSP_RGB,
       [](auto& p) { yuv = Yuy2Layout(); yuv.sampleOffsets = farOffsets; p.yuvLayout = &yuv; }, CLR_ERR_PARAM, false},
      {"YUV group of 0", CSP_YUV, CSP_BGR,
       [](auto& p) { yuv = Yuy2Layout(); yuv.groupPixels = 0; p.yuvLayout = &yuv; }, CLR_ERR_PARAM, false},
      {"YUV plane order 6", CSP_YUV, CSP_RGB,
       [](auto& p) {
         static int32_t order[] = {6};
         yuv = {QCLR_YUV_LAYOUT_SIZE, 0, 2, 2, 2, 2, order, 1, 0, 1};
         p.yuvLayout = &yuv;
       },
       CLR_ERR_PARAM, false},
      {"white point outside the chromaticities", CSP_CMYK, CSP_RGB,
       [](auto& p) { white = {0, 0, 0.7, 0.4}; p.whitePoint = &white; }, CLR_ERR_PARAM, false},
      {"white point with y 0", CSP_CMYK, CSP_RGB,
       [](auto& p) { white = {0, 0, 0.3, 0.0}; p.whitePoint = &white; }, CLR_ERR_PARAM, false},
      {"built-in profiles for HSV", CSP_HSV, CSP_RGB,
       [](auto& p) { p.method = p.flags = METHOD_ICC; }, CLR_ERR_COLORSPACE, false},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
    if (c.edit) c.edit(p);
    const int before = LiveHandles();
    ClrHandle dummy{};
    ClrHandle* out = &dummy;
    if (c.beforeAllocating) {
      test::AllocationProbe probe;  // any allocation would fail the call with -3
      EXPECT_EQ(Q_ClrInit(&out, c.src, c.dst, &p), c.status);
      EXPECT_TRUE(probe.Untouched());
    } else {
      EXPECT_EQ(Q_ClrInit(&out, c.src, c.dst, &p), c.status);
    }
    EXPECT_EQ(out, &dummy);  // not written on failure
    EXPECT_EQ(LiveHandles(), before);
  }
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  EXPECT_EQ(Q_ClrInit(nullptr, CSP_HSV, CSP_RGB, &p), CLR_ERR_PARAM);
}

TEST(HandleInit, PreparesEachRequestedMethod) {
  test::ProfileFiles files;
  struct Case {
    const char* what;
    int32_t src, dst, method;
    uint32_t flags;
    std::function<void(const ClrHandle&)> check;
  };
  const std::vector<Case> cases = {
      {"code 128", CSP_HSI, CSP_RGB, METHOD_BUILTIN, METHOD_BUILTIN,
       [](const ClrHandle& h) { EXPECT_EQ(h.pathKind, 1); }},
      {"built-in transform and table", CSP_CMYK, CSP_RGB, METHOD_BUILTIN_TABLES,
       METHOD_ICC | METHOD_BUILTIN_TABLES,
       [](const ClrHandle& h) {
         EXPECT_NE(h.iccTransform, nullptr);
         EXPECT_NE(h.builtinTable, nullptr);
         EXPECT_EQ(h.method, METHOD_BUILTIN_TABLES);
       }},
      {"YCCK source through the CMYK profile", CSP_YCCK, CSP_RGB, METHOD_ICC, METHOD_ICC,
       [](const ClrHandle& h) {
         ASSERT_NE(h.iccTransform, nullptr);
         EXPECT_EQ(h.iccTransform->inputFormat, kFormatCmyk8);
         EXPECT_EQ(h.iccTransform->outputFormat, kFormatRgb8);
         EXPECT_NE(h.yccTables, nullptr);
       }},
      {"YCCK destination", CSP_BGR, CSP_YCCK, METHOD_ICC, METHOD_ICC,
       [](const ClrHandle& h) {
         ASSERT_NE(h.iccTransform, nullptr);
         EXPECT_EQ(h.srcFormat, kFormatBgr8);
         EXPECT_EQ(h.dstFormat, kFormatCmyk8);
         EXPECT_EQ(h.yccTables, nullptr);  // only a YCCK source decodes
       }},
      {"custom profiles with a YCCK side", CSP_YCCK, CSP_RGB, METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC,
       [](const ClrHandle& h) {
         ASSERT_NE(h.customIccTransform, nullptr);
         EXPECT_EQ(h.customIccTransform->inputFormat, kFormatCmyk8);
       }},
      {"two steps keep the codes", CSP_CMYK, CSP_LAB, METHOD_ICC, METHOD_BUILTIN | METHOD_ICC,
       [](const ClrHandle& h) {
         EXPECT_EQ(h.pathKind, 2);
         EXPECT_EQ(h.srcFormat, uint32_t{CSP_CMYK});
         EXPECT_EQ(h.dstFormat, uint32_t{CSP_LAB});
         EXPECT_EQ(h.iccTransform, nullptr);
       }},
      {"table methods without a table", CSP_HSV, CSP_RGB, METHOD_BUILTIN,
       METHOD_BUILTIN | METHOD_BUILTIN_TABLES | METHOD_CUSTOM_TABLES,
       [](const ClrHandle& h) {
         EXPECT_EQ(h.builtinTable, nullptr);
         EXPECT_EQ(h.customTable, nullptr);
         EXPECT_STREQ(h.tableFileName, "no-such-table.tif");  // the name alone is kept
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionParams p = Params(c.method, c.flags);
    test::SetName(p.srcProfileName, files.cmyk);
    test::SetName(p.dstProfileName, files.rgb);
    test::SetName(p.tableFileName, "no-such-table.tif");
    HandleGuard g;
    ASSERT_EQ(Q_ClrInit(&g.h, c.src, c.dst, &p), CLR_OK);
    EXPECT_EQ(g.h->methodMask, c.flags);
    ASSERT_NE(g.h->whitePoint, nullptr);
    EXPECT_EQ(g.h->whitePoint->kind, 50u);
    c.check(*g.h);
  }

  HandleGuard bare;  // no parameters: built-in formulas, YCbCr tables for a YCCK source
  ASSERT_EQ(Q_ClrInit(&bare.h, CSP_YCCK, CSP_RGB, nullptr), CLR_OK);
  EXPECT_EQ(bare.h->method, METHOD_BUILTIN);
  EXPECT_EQ(bare.h->whitePoint, nullptr);
  EXPECT_NE(bare.h->yccTables, nullptr);
}

TEST(HandleInit, AutomaticChoice) {
  struct Case {
    int32_t src, dst;
    int32_t status, method;
  };
  const Case cases[] = {
      {CSP_CMYK, CSP_RGB, CLR_OK, METHOD_ICC},     {CSP_LAB, CSP_BGR, CLR_OK, METHOD_BUILTIN},
      {CSP_HSV, CSP_CMYK, CLR_OK, METHOD_BUILTIN}, {CSP_YCCK, CSP_RGB, CLR_OK, METHOD_ICC},
      {CSP_YUV, CSP_RGB, CLR_ERR_METHOD, 0},       {CSP_RGB, CSP_HSV, CLR_ERR_METHOD, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " to " << c.dst);
    ConversionParams p = Params(METHOD_AUTO, METHOD_AUTO);
    HandleGuard g;
    EXPECT_EQ(Q_ClrInit(&g.h, c.src, c.dst, &p), c.status);
    EXPECT_EQ(p.method, METHOD_AUTO);  // restored on success, never chosen otherwise
    EXPECT_EQ(p.flags, uint32_t{METHOD_AUTO});
    if (c.status == CLR_OK) {
      EXPECT_EQ(g.h->method, c.method);
      EXPECT_EQ(g.h->methodMask, static_cast<uint32_t>(c.method));
    }
  }

  // A failure after the choice leaves it in the record; one before leaves 32.
  CmykOptions wrong{10, 175, 0};
  ConversionParams p = Params(METHOD_AUTO, METHOD_AUTO);
  p.cmykOptions = &wrong;
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, CSP_CMYK, CSP_RGB, &p), CLR_ERR_STRUCT_SIZE);
  EXPECT_EQ(p.method, METHOD_ICC);
  EXPECT_EQ(p.flags, uint32_t{METHOD_ICC});
  WhitePoint outside{0, 0, 0.9, 0.9};
  p = Params(METHOD_AUTO, METHOD_AUTO);
  p.whitePoint = &outside;
  EXPECT_EQ(Q_ClrInit(&h, CSP_CMYK, CSP_RGB, &p), CLR_ERR_PARAM);
  EXPECT_EQ(p.method, METHOD_AUTO);
}

TEST(HandleInit, CopiesTheCallersRecords) {
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 300, 1};
  YuvLayout yuv = Yuy2Layout();
  WhitePoint white{0, 0, 0.3127, 0.3290};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.cmykOptions = &cmyk;
  p.yuvLayout = &yuv;
  p.whitePoint = &white;
  HandleGuard ink, video;
  ASSERT_EQ(Q_ClrInit(&ink.h, CSP_RGB, CSP_CMYK, &p), CLR_OK);
  ASSERT_EQ(Q_ClrInit(&video.h, CSP_YUV, CSP_BGR, &p), CLR_OK);
  cmyk.value = 0;  // the caller's records may change or go away afterwards
  white.x = 0;
  ASSERT_NE(ink.h->cmykOptions, nullptr);
  EXPECT_EQ(ink.h->cmykOptions->value, 300);
  EXPECT_EQ(ink.h->yuvLayout, nullptr);  // only the sides the handle has
  EXPECT_EQ(ink.h->whitePoint->x, 0.3127);
  ASSERT_NE(video.h->yuvLayout, nullptr);
  EXPECT_EQ(video.h->yuvLayout->sampleOffsets, kYuy2Offsets);  // a shallow copy
  EXPECT_EQ(video.h->cmykOptions, nullptr);
}

}  // namespace
}  // namespace qclr
