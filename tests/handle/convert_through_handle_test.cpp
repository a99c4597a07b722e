#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/clr_handle.h"
#include "direct/color_space.h"
#include "direct/conversion_tables.h"
#include "direct/ink_kernels.h"
#include "handle/described_yuv.h"
#include "handle/emulation_lookup.h"
#include "handle/fixed_point_lab.h"
#include "handle/ycck_conversion.h"
#include "icc/color_transform.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "support/lab_test_records.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::HandleGuard;
using test::PaddedImage;
using test::Params;
using test::RandomBytes;
using V = std::vector<uint8_t>;

constexpr int32_t kAllSpaces[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 128};

ClrHandle* Make(int32_t src, int32_t dst, ConversionParams* p) {
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, src, dst, p), CLR_OK) << src << " to " << dst;
  return h;
}

ClrHandle* Make(int32_t src, int32_t dst, int32_t method, uint32_t flags) {
  ConversionParams p = Params(method, flags);
  return Make(src, dst, &p);
}

size_t Bytes(int32_t space, int32_t width, int32_t height, int32_t align) {
  size_t bytes = 0;
  EXPECT_TRUE(BufferBytes(space, width, height, align, &bytes));
  return bytes;
}

// Converts width x height pixels through the handle from a buffer of `src`.
V Convert(ClrHandle* h, const V& src, int32_t dstSpace, int32_t width, int32_t height,
          int32_t inAlign = 0, int32_t outAlign = 0, int32_t expect = CLR_OK) {
  V dst(Bytes(dstSpace, width, height, outAlign), 0x5A);
  EXPECT_EQ(Q_ClrConvert(h, src.data(), dst.data(), width, height, inAlign, outAlign), expect);
  return dst;
}

TEST(ConvertThroughHandle, RefusesBeforeConverting) {
  HandleGuard rgb, yuy2, unknown;
  rgb.h = Make(CSP_RGB, CSP_HSV, nullptr);
  yuy2.h = Make(CSP_YUY2, CSP_RGB, nullptr);
  ConversionParams bare = Params(METHOD_BUILTIN, 0);
  unknown.h = Make(200, 200, &bare);
  ClrHandle* freed = Make(CSP_HSV, CSP_RGB, nullptr);
  ASSERT_EQ(Q_ClrFree(freed), CLR_OK);
  ClrHandle copy;
  std::memcpy(&copy, rgb.h, sizeof copy);

  V src(4096, 7), dst(4096, 0x5A);
  struct Case {
    const char* what;
    ClrHandle* h;
    const uint8_t* src;
    int32_t width, height, status;
  };
  const Case cases[] = {
      {"null handle", nullptr, src.data(), 4, 4, CLR_ERR_HANDLE},
      {"freed handle", freed, src.data(), 4, 4, CLR_ERR_HANDLE},
      {"copied handle record", &copy, src.data(), 4, 4, CLR_ERR_HANDLE},
      {"null source", rgb.h, nullptr, 4, 4, CLR_ERR_PARAM},
      {"width 0", rgb.h, src.data(), 0, 4, CLR_ERR_PARAM},
      {"height -1", rgb.h, src.data(), 4, -1, CLR_ERR_PARAM},
      {"odd YUY2 width", yuy2.h, src.data(), 3, 2, CLR_ERR_PARAM},
      {"codes without a layout", unknown.h, src.data(), 4, 4, CLR_ERR_COLORSPACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Q_ClrConvert(c.h, c.src, dst.data(), c.width, c.height, 0, 0), c.status);
    EXPECT_EQ(dst, V(4096, 0x5A));
  }
  EXPECT_EQ(Q_ClrConvert(rgb.h, src.data(), nullptr, 4, 4, 0, 0), CLR_ERR_PARAM);
}

TEST(ConvertThroughHandle, SameSpaceCopiesRows) {
  HandleGuard g;
  ASSERT_EQ(Q_ClrInit(&g.h, CSP_RGB, CSP_RGB, nullptr), CLR_OK);
  // Width 5: rows of 15 bytes, one padding byte each at alignment 4.
  PaddedImage padded(15, 3, 4);
  padded.SetRows(RandomBytes(45, 1));
  V packed(45, 0x5A);
  ASSERT_EQ(Q_ClrConvert(g.h, padded.data(), packed.data(), 5, 3, 4, 1), CLR_OK);
  EXPECT_EQ(packed, padded.Rows());
  PaddedImage back(15, 3, 4);
  ASSERT_EQ(Q_ClrConvert(g.h, packed.data(), back.data(), 5, 3, 1, 4), CLR_OK);
  EXPECT_EQ(back.Rows(), packed);
  EXPECT_TRUE(back.PaddingIntact());

  // One buffer on both sides: only equal alignments, which leave it as it is.
  V before(back.data(), back.data() + back.size());
  EXPECT_EQ(Q_ClrConvert(g.h, back.data(), back.data(), 5, 3, 4, 1), CLR_ERR_SAME_BUFFER);
  EXPECT_EQ(Q_ClrConvert(g.h, back.data(), back.data(), 5, 3, 4, 4), CLR_OK);
  EXPECT_EQ(V(back.data(), back.data() + back.size()), before);
}

TEST(ConvertThroughHandle, TwoStepHandleReturnsTheDirectStatus) {
  HandleGuard g;
  g.h = Make(CSP_HSV, CSP_LAB, METHOD_ICC, METHOD_BUILTIN | METHOD_ICC);
  const V src = RandomBytes(3 * 7 * 5, 2);
  V direct(3 * 7 * 5);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_HSV, CSP_LAB, src.data(), direct.data(), 7, 5, 0, 0), CLR_OK);
  EXPECT_EQ(Convert(g.h, src, CSP_LAB, 7, 5), direct);
  SetAllocationFailure(0);  // the temporary RGB buffer of the direct route
  Convert(g.h, src, CSP_LAB, 7, 5, 0, 0, CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
}

// The transform applied to packed pixels, as the ICC route must reproduce it.
V Transformed(const ColorTransform* t, const V& packed, size_t outPixelBytes, size_t pixels) {
  V out(outPixelBytes * pixels);
  EXPECT_EQ(IccApplyTransform(t, packed.data(), out.data(), static_cast<int32_t>(pixels)), CLR_OK);
  return out;
}

TEST(ConvertThroughHandle, IccRoutePacksAndRepadsRows) {
  struct Case {
    int32_t src, dst, width, height, inAlign, outAlign;
  };
  const Case cases[] = {
      {CSP_RGB, CSP_CMYK, 3, 4, 4, 8},  // 9-byte rows + 3, 12-byte rows at 0, 16, 32, 48
      {CSP_CMYK, CSP_BGR, 5, 6, 8, 4},
      {CSP_LAB, CSP_RGB, 101, 3, 2, 16},
      {CSP_BGR, CSP_CMY, 7, 2, 0, 5},
      {CSP_CMYK, CSP_RGB, 101, 1000, 0, 4},  // a tall image keeps every row intact
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " to " << c.dst);
    HandleGuard g;
    g.h = Make(c.src, c.dst, METHOD_ICC, METHOD_ICC);
    const size_t in = c.src == CSP_CMYK ? 4 : 3, out = c.dst == CSP_CMYK ? 4 : 3;
    const size_t pixels = size_t(c.width) * size_t(c.height);
    const V packed = RandomBytes(in * pixels, 3);
    PaddedImage src(ptrdiff_t(in) * c.width, c.height, c.inAlign);
    src.SetRows(packed);
    PaddedImage dst(ptrdiff_t(out) * c.width, c.height, c.outAlign);
    ASSERT_EQ(Q_ClrConvert(g.h, src.data(), dst.data(), c.width, c.height, c.inAlign, c.outAlign),
              CLR_OK);
    EXPECT_EQ(dst.Rows(), Transformed(g.h->iccTransform, packed, out, pixels));
    EXPECT_TRUE(dst.PaddingIntact());
    if (c.width == 3) {
      EXPECT_EQ(dst.stride(), 16);
    }
  }
}

TEST(ConvertThroughHandle, IccRouteReadsASingleRowInPlace) {
  HandleGuard g;
  g.h = Make(CSP_CMYK, CSP_RGB, METHOD_ICC, METHOD_ICC);
  const V src = RandomBytes(4 * 33, 4);
  V dst(3 * 33);
  test::AllocationProbe probe;
  EXPECT_EQ(Q_ClrConvert(g.h, src.data(), dst.data(), 33, 1, 4, 8), CLR_OK);
  EXPECT_TRUE(probe.Untouched());
  EXPECT_EQ(dst, Transformed(g.h->iccTransform, src, 3, 33));
}

TEST(ConvertThroughHandle, CustomProfilesConvertLikeTheSameBuiltInProfiles) {
  test::ProfileFiles files;
  struct Case {
    int32_t src, dst;
    const std::string *srcFile, *dstFile;
  };
  // The YCCK sides, which take the custom transform in place of the built-in one.
  const Case cases[] = {
      {CSP_YCCK, CSP_BGR, &files.cmyk, &files.rgb},
      {CSP_RGB, CSP_YCCK, &files.rgb, &files.cmyk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " to " << c.dst);
    ConversionParams p = Params(METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC);
    test::SetName(p.srcProfileName, *c.srcFile);
    test::SetName(p.dstProfileName, *c.dstFile);
    HandleGuard custom, builtin;
    custom.h = Make(c.src, c.dst, &p);
    p.method = p.flags = METHOD_ICC;
    builtin.h = Make(c.src, c.dst, &p);
    const V src = RandomBytes(Bytes(c.src, 9, 4, 4), 5);
    EXPECT_EQ(Convert(custom.h, src, c.dst, 9, 4, 4, 8), Convert(builtin.h, src, c.dst, 9, 4, 4, 8));
  }

  // A handle between equal spaces still goes through its transform.
  ConversionParams p = Params(METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC);
  test::SetName(p.srcProfileName, files.lab);
  test::SetName(p.dstProfileName, files.lab);
  HandleGuard lab, ycck;
  lab.h = Make(CSP_LAB, CSP_LAB, &p);
  const V src = RandomBytes(3 * 10, 6);
  EXPECT_EQ(Convert(lab.h, src, CSP_LAB, 10, 1), Transformed(lab.h->customIccTransform, src, 3, 10));

  // YCCK on both sides would run a CMYK to CMYK transform where the route
  // expects RGB; refused without writing anything.
  test::SetName(p.srcProfileName, files.cmyk);
  test::SetName(p.dstProfileName, files.cmyk);
  ycck.h = Make(CSP_YCCK, CSP_YCCK, &p);
  const V ycckSrc = RandomBytes(4 * 8 * 2, 7);
  EXPECT_EQ(Convert(ycck.h, ycckSrc, CSP_YCCK, 8, 2, 0, 0, CLR_ERR_COLORSPACE), V(4 * 8 * 2, 0x5A));
}

TEST(ConvertThroughHandle, YcckThroughHandles) {
  HandleGuard toYcck, toYcckBgr, fromYcck, iccTo, iccFrom, cmykToRgb, rgbToCmyk;
  toYcck.h = Make(CSP_RGB, CSP_YCCK, METHOD_BUILTIN, METHOD_BUILTIN);
  toYcckBgr.h = Make(CSP_BGR, CSP_YCCK, METHOD_BUILTIN, METHOD_BUILTIN);
  fromYcck.h = Make(CSP_YCCK, CSP_RGB, METHOD_BUILTIN, METHOD_BUILTIN | METHOD_ICC);
  EXPECT_EQ(Convert(toYcck.h, {255, 255, 255, 0, 0, 0}, CSP_YCCK, 2, 1),
            (V{255, 128, 128, 0, 255, 128, 128, 255}));
  EXPECT_EQ(Convert(toYcckBgr.h, {0, 0, 255}, CSP_YCCK, 1, 1), Convert(toYcck.h, {255, 0, 0}, CSP_YCCK, 1, 1));
  EXPECT_EQ(Convert(fromYcck.h, {255, 128, 128, 0, 255, 128, 128, 255}, CSP_RGB, 2, 1),
            (V{255, 255, 255, 0, 0, 0}));

  // The ICC methods: the table step and the CMYK transform of a plain CMYK handle.
  iccTo.h = Make(CSP_BGR, CSP_YCCK, METHOD_ICC, METHOD_ICC);
  iccFrom.h = Make(CSP_YCCK, CSP_RGB, METHOD_ICC, METHOD_ICC);
  cmykToRgb.h = Make(CSP_CMYK, CSP_RGB, METHOD_ICC, METHOD_ICC);
  rgbToCmyk.h = Make(CSP_BGR, CSP_CMYK, METHOD_ICC, METHOD_ICC);
  const int32_t width = 11, height = 3;
  const V ycck = RandomBytes(4 * width * height, 8);
  V cmyk(ycck.size());
  YcckToCmyk(LibraryYccTables(), ycck.data(), cmyk.data(), width, height, 0, 0);
  EXPECT_EQ(Convert(iccFrom.h, ycck, CSP_RGB, width, height, 0, 4),
            Convert(cmykToRgb.h, cmyk, CSP_RGB, width, height, 0, 4));
  const V bgr = RandomBytes(3 * width * height, 9);
  const V inks = Convert(rgbToCmyk.h, bgr, CSP_CMYK, width, height);
  V expected(Bytes(CSP_YCCK, width, height, 8), 0x5A);
  CmykToYcck(LibraryYccTables(), inks.data(), expected.data(), width, height, 0, 8);
  EXPECT_EQ(Convert(iccTo.h, bgr, CSP_YCCK, width, height, 0, 8), expected);

  // A converter's failure is the result of the built-in route.
  SetAllocationFailure(0);
  Convert(toYcck.h, bgr, CSP_YCCK, width, height, 0, 0, CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
}

// The built-in method converts like the direct route wherever both use the same
// formulas, whether the handle was made with or without parameters.
TEST(ConvertThroughHandle, BuiltInMethodMatchesDirectConversion) {
  const int32_t width = 16, height = 4, inAlign = 4, outAlign = 3;
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 175, 0};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.cmykOptions = &cmyk;
  for (int32_t space : kAllSpaces) {
    if (IsRgbSide(space)) continue;
    for (int32_t rgb : {CSP_RGB, CSP_BGR}) {
      for (const auto& [src, dst] : {std::pair{space, rgb}, std::pair{rgb, space}}) {
        SCOPED_TRACE(testing::Message() << src << " to " << dst);
        const V in = RandomBytes(Bytes(src, width, height, inAlign), static_cast<uint32_t>(src * 31 + dst));
        V direct(Bytes(dst, width, height, outAlign), 0x5A);
        ASSERT_EQ(Q_ClrConvertDirect(src, dst, in.data(), direct.data(), width, height, inAlign,
                                     outAlign),
                  CLR_OK);
        HandleGuard bare, withParams;
        bare.h = Make(src, dst, nullptr);
        withParams.h = Make(src, dst, &p);
        EXPECT_EQ(Convert(bare.h, in, dst, width, height, inAlign, outAlign), direct);
        EXPECT_EQ(Convert(withParams.h, in, dst, width, height, inAlign, outAlign), direct);
      }
    }
  }
}

// Where the handle has its own parameters, the built-in method uses them.
TEST(ConvertThroughHandle, BuiltInMethodUsesTheHandlesRecords) {
  const int32_t width = 8, height = 3;
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 420, 0};
  LabOptions lab = test::LabEncoding(10, 90, 120, 160, 100, 190);
  int32_t offsets[] = {1, 3, 0, 2};  // U Y0 V Y1
  YuvLayout yuv{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, offsets, 2, 0, 0};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.cmykOptions = &cmyk;
  p.labOptions = &lab;
  p.yuvLayout = &yuv;
  const test::LabRecords records = test::BuildLabRecords(lab);
  const V rgb = RandomBytes(3 * width * height, 10);
  const V ink = RandomBytes(4 * width * height, 11);
  V expected(4 * width * height);

  HandleGuard toCmyk, fromCmyk, toLab, fromLab, fromYuv, badYuv;
  toCmyk.h = Make(CSP_BGR, CSP_CMYK, &p);
  RgbToCmyk(rgb.data(), expected.data(), width, height, 0, 0, 420, 0);
  EXPECT_EQ(Convert(toCmyk.h, rgb, CSP_CMYK, width, height), expected);
  fromCmyk.h = Make(CSP_CMYK, CSP_RGB, &p);
  expected.resize(3 * width * height);
  CmykToRgb(ink.data(), expected.data(), width, height, 0, 0, 420, 1);
  EXPECT_EQ(Convert(fromCmyk.h, ink, CSP_RGB, width, height), expected);
  toLab.h = Make(CSP_RGB, CSP_LAB, &p);
  RgbToLabFixed(rgb.data(), expected.data(), width, height, 0, 0, *records.encode, 1);
  EXPECT_EQ(Convert(toLab.h, rgb, CSP_LAB, width, height), expected);
  fromLab.h = Make(CSP_LAB, CSP_BGR, &p);
  LabToRgbFixed(rgb.data(), expected.data(), width, height, 0, 0, *records.decode, 0);
  EXPECT_EQ(Convert(fromLab.h, rgb, CSP_BGR, width, height), expected);
  fromYuv.h = Make(CSP_YUV, CSP_RGB, &p);
  const V packedYuv = RandomBytes(2 * width * height, 12);
  ASSERT_EQ(DescribedYuvToRgb(yuv, packedYuv.data(), expected.data(), width, height, 0, 0, 1), CLR_OK);
  EXPECT_EQ(Convert(fromYuv.h, packedYuv, CSP_RGB, width, height), expected);

  // A layout the decoder cannot walk (a packed layout with a vertical step) is
  // refused at conversion, with nothing written.
  yuv.uStepY = 2;
  badYuv.h = Make(CSP_YUV, CSP_BGR, &p);
  const V untouched(Bytes(CSP_BGR, width, height, 0), 0x5A);
  EXPECT_EQ(Convert(badYuv.h, packedYuv, CSP_BGR, width, height, 0, 0, CLR_ERR_PARAM), untouched);
}

TEST(ConvertThroughHandle, TableRoute) {
  const int32_t width = 13, height = 3;
  struct Case {
    int32_t src, dst, resource;
  };
  const Case cases[] = {{CSP_CMYK, CSP_BGR, 111}, {CSP_RGB, CSP_LAB, 113}, {CSP_LAB, CSP_BGR, 112}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " to " << c.dst);
    HandleGuard g;
    g.h = Make(c.src, c.dst, METHOD_BUILTIN_TABLES, METHOD_BUILTIN_TABLES);
    const V table = test::ResourceCopy("ET", c.resource);
    const V src = RandomBytes(Bytes(c.src, width, height, 4), 13);
    V expected(Bytes(c.dst, width, height, 8), 0x5A);
    if (c.src == CSP_CMYK) {
      EmuCmykToRgb(src.data(), table.data(), width, height, 4, 8, expected.data(), 0);
    } else if (c.src == CSP_RGB) {
      EmuRgbToLab(src.data(), table.data(), width, height, 4, 8, expected.data(), 1);
    } else {
      EmuLabToRgb(src.data(), table.data(), width, height, 4, 8, expected.data(), 0);
    }
    EXPECT_EQ(Convert(g.h, src, c.dst, width, height, 4, 8), expected);
  }

  // Pairs without a lookup or a table, and method values that are none of the
  // five, convert nothing.
  HandleGuard noLookup, noTable, auto32;
  noLookup.h = Make(CSP_RGB, CSP_CMYK, METHOD_BUILTIN_TABLES, METHOD_BUILTIN_TABLES);
  ConversionParams p = Params(METHOD_CUSTOM_TABLES, METHOD_CUSTOM_TABLES | METHOD_BUILTIN);
  test::SetName(p.tableFileName, "no-such-table.tif");  // HSV to RGB has no table to read
  noTable.h = Make(CSP_HSV, CSP_RGB, &p);
  auto32.h = Make(CSP_CMYK, CSP_RGB, METHOD_AUTO, METHOD_AUTO | METHOD_BUILTIN);
  const V src = RandomBytes(4 * width * height, 14);
  EXPECT_EQ(Convert(noLookup.h, src, CSP_CMYK, width, height, 0, 0, CLR_ERR_METHOD),
            V(Bytes(CSP_CMYK, width, height, 0), 0x5A));
  EXPECT_EQ(Convert(noTable.h, src, CSP_RGB, width, height, 0, 0, CLR_ERR_METHOD),
            V(Bytes(CSP_RGB, width, height, 0), 0x5A));
  Convert(auto32.h, src, CSP_RGB, width, height, 0, 0, CLR_ERR_METHOD);
}

}  // namespace
}  // namespace qclr
