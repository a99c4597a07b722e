#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/row_layout.h"
#include "direct/color_space.h"
#include "direct/conversion_tables.h"
#include "direct/ink_kernels.h"
#include "direct/ycck_kernels.h"
#include "handle/clr_handle.h"
#include "handle/described_yuv.h"
#include "handle/emulation_lookup.h"
#include "handle/fixed_point_lab.h"
#include "icc/color_transform.h"
#include "qclr/qclr.h"
#include "support/allocation_walk.h"
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

// Converts width x height pixels through the handle into a buffer of 0x5A bytes.
V Convert(ClrHandle* h, const V& src, int32_t dstSpace, int32_t width, int32_t height, int32_t inAlign = 0,
          int32_t outAlign = 0, int32_t expect = CLR_OK) {
  V dst(Bytes(dstSpace, width, height, outAlign), 0x5A);
  EXPECT_EQ(Q_ClrConvert(h, src.data(), dst.data(), width, height, inAlign, outAlign), expect);
  return dst;
}

// The transform applied to packed pixels, as the ICC route must reproduce it.
V Transformed(const ColorTransform* t, const V& packed, size_t outPixelBytes, size_t pixels) {
  V out(outPixelBytes * pixels);
  EXPECT_EQ(IccApplyTransform(t, packed.data(), out.data(), static_cast<int32_t>(pixels)), CLR_OK);
  return out;
}

TEST(ConvertThroughHandle, RefusesBeforeConverting) {
  HandleGuard rgb, yuy2, unknown;
  rgb.h = Make(CSP_RGB, CSP_HSV, nullptr);
  yuy2.h = Make(CSP_YUY2, CSP_RGB, nullptr);
  ConversionParams bare = Params(METHOD_BUILTIN, 0);
  unknown.h = Make(200, 200, &bare);
  ClrHandle copy;  // 864 in its first field, but not registered
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
      {"copied handle record", &copy, src.data(), 4, 4, CLR_ERR_HANDLE},
      {"null source", rgb.h, nullptr, 4, 4, CLR_ERR_PARAM},
      {"width 0", rgb.h, src.data(), 0, 4, CLR_ERR_PARAM},
      {"height -1", rgb.h, src.data(), 4, -1, CLR_ERR_PARAM},
      {"odd YUY2 width", yuy2.h, src.data(), 3, 2, CLR_ERR_PARAM},
      {"codes without a layout", unknown.h, src.data(), 4, 4, CLR_ERR_COLORSPACE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Q_ClrConvert(c.h, c.src, dst.data(), c.width, c.height, 0, 0), c.status) << c.what;
    EXPECT_EQ(dst, V(4096, 0x5A)) << c.what;
  }
  EXPECT_EQ(Q_ClrConvert(rgb.h, src.data(), nullptr, 4, 4, 0, 0), CLR_ERR_PARAM);
}

// Width 5: rows of 15 bytes, the source skipping one padding byte a row. One buffer
// on both sides is taken only with equal alignments, and left as it is.
TEST(ConvertThroughHandle, SameSpaceCopiesRows) {
  HandleGuard g;
  g.h = Make(CSP_RGB, CSP_RGB, nullptr);
  PaddedImage padded(15, 3, 4);
  padded.SetRows(RandomBytes(45, 1));
  EXPECT_EQ(Convert(g.h, V(padded.data(), padded.data() + padded.size()), CSP_RGB, 5, 3, 4, 1), padded.Rows());
  const V before(padded.data(), padded.data() + padded.size());
  EXPECT_EQ(Q_ClrConvert(g.h, padded.data(), padded.data(), 5, 3, 4, 1), CLR_ERR_SAME_BUFFER);
  EXPECT_EQ(Q_ClrConvert(g.h, padded.data(), padded.data(), 5, 3, 4, 4), CLR_OK);
  EXPECT_EQ(V(padded.data(), padded.data() + padded.size()), before);
}

TEST(ConvertThroughHandle, TwoStepHandleReturnsTheDirectStatus) {
  HandleGuard g;
  g.h = Make(CSP_HSV, CSP_LAB, METHOD_ICC, METHOD_BUILTIN | METHOD_ICC);
  const V src = RandomBytes(3 * 7 * 5, 2);
  V direct(3 * 7 * 5);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_HSV, CSP_LAB, src.data(), direct.data(), 7, 5, 0, 0), CLR_OK);
  EXPECT_EQ(Convert(g.h, src, CSP_LAB, 7, 5), direct);
}

// Each row goes through the transform from its place in the source to its place in
// the destination; the destination's padding is never written (it once was, by
// packed rows moved apart in place).
TEST(ConvertThroughHandle, IccRouteKeepsRowsAndPadding) {
  struct Case {
    int32_t src, dst, width, height, inAlign, outAlign;
  };
  const Case cases[] = {
      {CSP_RGB, CSP_CMYK, 3, 4, 4, 8},  // 9-byte rows + 3, 12-byte rows at 0, 16, 32, 48
      {CSP_LAB, CSP_BGR, 101, 3, 2, 16},
      {CSP_CMYK, CSP_RGB, 101, 1000, 0, 4},  // a tall image keeps every row intact
      {CSP_CMYK, CSP_RGB, 33, 1, 4, 8},      // one row: read in place, nothing allocated
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " to " << c.dst << ", height " << c.height);
    HandleGuard g;
    g.h = Make(c.src, c.dst, METHOD_ICC, METHOD_ICC);
    const size_t in = c.src == CSP_CMYK ? 4 : 3, out = c.dst == CSP_CMYK ? 4 : 3;
    const size_t pixels = size_t(c.width) * size_t(c.height);
    const V packed = RandomBytes(in * pixels, 3);
    PaddedImage src(ptrdiff_t(in) * c.width, c.height, c.inAlign), dst(ptrdiff_t(out) * c.width, c.height, c.outAlign);
    src.SetRows(packed);
    std::optional<test::AllocationProbe> probe;
    if (c.height == 1) probe.emplace();
    ASSERT_EQ(Q_ClrConvert(g.h, src.data(), dst.data(), c.width, c.height, c.inAlign, c.outAlign), CLR_OK);
    EXPECT_TRUE(!probe || probe->Untouched());
    EXPECT_EQ(dst.Rows(), Transformed(g.h->iccTransform, packed, out, pixels));
    EXPECT_TRUE(dst.PaddingIntact());
  }
}

TEST(ConvertThroughHandle, CustomProfilesAndYcckTransforms) {
  test::ProfileFiles files;
  ConversionParams p = Params(METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC);
  // A handle between equal spaces still goes through its transform.
  test::SetName(p.srcProfileName, files.lab);
  test::SetName(p.dstProfileName, files.lab);
  HandleGuard lab, both;
  lab.h = Make(CSP_LAB, CSP_LAB, &p);
  const V src = RandomBytes(3 * 10, 6);
  EXPECT_EQ(Convert(lab.h, src, CSP_LAB, 10, 1), Transformed(lab.h->customIccTransform, src, 3, 10));
  // YCCK on both sides would run the custom CMYK to CMYK transform into
  // intermediates made for RGB (it once wrote past them); refused untouched.
  test::SetName(p.srcProfileName, files.cmyk);
  test::SetName(p.dstProfileName, files.cmyk);
  both.h = Make(CSP_YCCK, CSP_YCCK, &p);
  EXPECT_EQ(Convert(both.h, RandomBytes(4 * 8 * 2, 7), CSP_YCCK, 8, 2, 0, 0, CLR_ERR_COLORSPACE), V(4 * 8 * 2, 0x5A));

  // The ICC method on a YCCK side: the table step around the transform of a plain
  // CMYK handle.
  HandleGuard toYcck, fromYcck, cmykToRgb, rgbToCmyk;
  toYcck.h = Make(CSP_BGR, CSP_YCCK, METHOD_ICC, METHOD_ICC);
  fromYcck.h = Make(CSP_YCCK, CSP_RGB, METHOD_ICC, METHOD_ICC);
  cmykToRgb.h = Make(CSP_CMYK, CSP_RGB, METHOD_ICC, METHOD_ICC);
  rgbToCmyk.h = Make(CSP_BGR, CSP_CMYK, METHOD_ICC, METHOD_ICC);
  const int32_t width = 11, height = 3;
  const V ycck = RandomBytes(4 * width * height, 8);
  V cmyk(ycck.size());
  YcckToCmyk(LibraryYccTables(), ycck.data(), cmyk.data(), width, height, 0, 0);
  EXPECT_EQ(Convert(fromYcck.h, ycck, CSP_RGB, width, height, 0, 4),
            Convert(cmykToRgb.h, cmyk, CSP_RGB, width, height, 0, 4));
  const V bgr = RandomBytes(3 * width * height, 9);
  const V inks = Convert(rgbToCmyk.h, bgr, CSP_CMYK, width, height);
  V expected(Bytes(CSP_YCCK, width, height, 8), 0x5A);
  CmykToYcck(LibraryYccTables(), inks.data(), expected.data(), width, height, 0, 8);
  EXPECT_EQ(Convert(toYcck.h, bgr, CSP_YCCK, width, height, 0, 8), expected);
}

// The built-in method converts like the direct route wherever both use the same
// formulas, whether the handle was made with or without parameters.
TEST(ConvertThroughHandle, BuiltInMethodMatchesDirectConversion) {
  const int32_t width = 16, height = 4, inAlign = 4, outAlign = 3;
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 175, 0};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.cmykOptions = &cmyk;
  for (int32_t space : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 128}) {
    for (int32_t rgb : {CSP_RGB, CSP_BGR}) {
      for (const auto& [src, dst] : {std::pair{space, rgb}, std::pair{rgb, space}}) {
        if (IsRgbSide(space)) continue;
        SCOPED_TRACE(testing::Message() << src << " to " << dst);
        const V in = RandomBytes(Bytes(src, width, height, inAlign), static_cast<uint32_t>(src * 31 + dst));
        V direct(Bytes(dst, width, height, outAlign), 0x5A);
        ASSERT_EQ(Q_ClrConvertDirect(src, dst, in.data(), direct.data(), width, height, inAlign, outAlign), CLR_OK);
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
  p.cmykOptions = &cmyk, p.labOptions = &lab, p.yuvLayout = &yuv;
  const test::LabRecords records = test::BuildLabRecords(lab);
  const V src = RandomBytes(4 * width * height, 10);
  V expected(4 * width * height);
  const auto expectConverts = [&](int32_t from, int32_t to, int32_t status = CLR_OK) {
    HandleGuard g;
    g.h = Make(from, to, &p);
    expected.resize(Bytes(to, width, height, 0));
    EXPECT_EQ(Convert(g.h, src, to, width, height, 0, 0, status), expected) << from << " to " << to;
  };
  RgbToCmyk(src.data(), expected.data(), width, height, 0, 0, 420, 0);
  expectConverts(CSP_BGR, CSP_CMYK);
  CmykToRgb(src.data(), expected.data(), width, height, 0, 0, 420, 1);
  expectConverts(CSP_CMYK, CSP_RGB);
  RgbToLabFixed(src.data(), expected.data(), width, height, 0, 0, *records.encode, 1);
  expectConverts(CSP_RGB, CSP_LAB);
  LabToRgbFixed(src.data(), expected.data(), width, height, 0, 0, *records.decode, 0);
  expectConverts(CSP_LAB, CSP_BGR);
  ASSERT_EQ(DescribedYuvToRgb(yuv, src.data(), expected.data(), width, height, 0, 0, 1), CLR_OK);
  expectConverts(CSP_YUV, CSP_RGB);
  // A layout the decoder cannot walk (a packed layout with a vertical step) is
  // refused at conversion, with nothing written.
  yuv.uStepY = 2;
  expected.assign(expected.size(), 0x5A);
  expectConverts(CSP_YUV, CSP_BGR, CLR_ERR_PARAM);
}

// The pixel bytes of a buffer of `space`, row after row, without the padding.
V PixelRows(int32_t space, const uint8_t* buffer, int32_t width, int32_t height, int32_t align) {
  const ptrdiff_t row = RowBytes(space, width);
  const ptrdiff_t stride = row + RowPadding(PaddingBaseBytes(space, width), align);
  V rows;
  for (int32_t y = 0; y < height; ++y) rows.insert(rows.end(), buffer + y * stride, buffer + y * stride + row);
  return rows;
}

// Every route gives a destination that is the source buffer, or overlaps it, the
// bytes an out-of-place conversion gives; the padding is left alone.
TEST(ConvertThroughHandle, InPlaceGivesTheOutOfPlaceBytes) {
  test::ProfileFiles files;
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 420, 0};
  LabOptions lab = test::LabEncoding(10, 90, 120, 160, 100, 190);
  int32_t offsets[] = {1, 3, 0, 2};  // U Y0 V Y1
  YuvLayout yuv{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, offsets, 2, 0, 0};
  struct Case {
    int32_t src, dst, method;
    const std::string* profiles[2];
  };
  const Case cases[] = {
      {CSP_RGB, CSP_CMYK, METHOD_BUILTIN, {}},         {CSP_RGB, CSP_XYZ, METHOD_BUILTIN, {}},
      {CSP_YUY2, CSP_RGB, METHOD_BUILTIN, {}},         {CSP_YUV, CSP_BGR, METHOD_BUILTIN, {}},
      {CSP_RGB, CSP_LAB, METHOD_BUILTIN, {}},          {CSP_LAB, CSP_RGB, METHOD_BUILTIN, {}},
      {CSP_BGR, CSP_YCCK, METHOD_BUILTIN, {}},         {CSP_YCCK, CSP_RGB, METHOD_BUILTIN, {}},
      {CSP_HSV, CSP_LAB, METHOD_BUILTIN, {}},          {CSP_RGB, CSP_CMYK, METHOD_ICC, {}},
      {CSP_CMYK, CSP_BGR, METHOD_ICC, {}},             {CSP_YCCK, CSP_RGB, METHOD_ICC, {}},
      {CSP_RGB, CSP_YCCK, METHOD_ICC, {}},             {CSP_CMYK, CSP_RGB, METHOD_BUILTIN_TABLES, {}},
      {CSP_RGB, CSP_LAB, METHOD_BUILTIN_TABLES, {}},   {CSP_LAB, CSP_BGR, METHOD_BUILTIN_TABLES, {}},
      {CSP_RGB, CSP_LAB, METHOD_CUSTOM_ICC, {&files.rgb, &files.lab}},
      {CSP_RGB, CSP_RGB, METHOD_CUSTOM_ICC, {&files.rgb, &files.rgb}},
      {CSP_LAB, CSP_LAB, METHOD_CUSTOM_ICC, {&files.lab, &files.lab}},
  };
  const int32_t width = 8, height = 6;
  const int32_t layouts[][3] = {{0, 0, 0}, {4, 8, 0}, {8, 8, 0}, {1, 4, 5}, {8, 0, 40}};  // inAlign, outAlign, shift
  for (const Case& c : cases) {
    ConversionParams p = Params(c.method, static_cast<uint32_t>(c.method));
    p.cmykOptions = &cmyk, p.labOptions = &lab, p.yuvLayout = &yuv;
    if (c.profiles[0] != nullptr) {
      test::SetName(p.srcProfileName, *c.profiles[0]);
      test::SetName(p.dstProfileName, *c.profiles[1]);
    }
    HandleGuard g;
    g.h = Make(c.src, c.dst, &p);
    for (const auto& [inAlign, outAlign, shift] : layouts) {
      SCOPED_TRACE(testing::Message() << c.src << " -> " << c.dst << " by " << c.method << ", align " << inAlign
                                      << "/" << outAlign << ", destination at +" << shift);
      if (c.src == c.dst && shift == 0 && inAlign != outAlign) continue;  // refused with -351
      const size_t srcBytes = Bytes(c.src, width, height, inAlign), dstBytes = Bytes(c.dst, width, height, outAlign);
      const V source = RandomBytes(srcBytes, static_cast<uint32_t>(c.src * 7 + c.dst));
      V apart(dstBytes, 0x5A);
      const int32_t status = Q_ClrConvert(g.h, source.data(), apart.data(), width, height, inAlign, outAlign);
      EXPECT_EQ(status, CLR_OK);
      V shared(std::max(srcBytes, dstBytes + size_t(shift)), 0x5A);
      std::copy(source.begin(), source.end(), shared.begin());
      ASSERT_EQ(Q_ClrConvert(g.h, shared.data(), shared.data() + shift, width, height, inAlign, outAlign), status);
      EXPECT_EQ(PixelRows(c.dst, shared.data() + shift, width, height, outAlign),
                PixelRows(c.dst, apart.data(), width, height, outAlign));
    }
  }
  // No memory for the temporary result: nothing is written.
  HandleGuard ink;
  ink.h = Make(CSP_RGB, CSP_CMYK, METHOD_ICC, METHOD_ICC);
  const V pixels = RandomBytes(4 * 64 * 4, 15);
  V buffer = pixels;
  SetAllocationFailure(0);
  EXPECT_EQ(Q_ClrConvert(ink.h, buffer.data(), buffer.data(), 64, 4, 0, 0), CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
  EXPECT_EQ(buffer, pixels);
}

TEST(ConvertThroughHandle, TableRoute) {
  const int32_t width = 13, height = 3;
  struct Case {
    int32_t src, dst, resource;
    void (*lookup)(const uint8_t*, const uint8_t*, int32_t, int32_t, int32_t, int32_t, uint8_t*, int32_t);
    int32_t rgbOrder;
  };
  const Case cases[] = {{CSP_CMYK, CSP_BGR, 111, EmuCmykToRgb, 0},
                        {CSP_RGB, CSP_LAB, 113, EmuRgbToLab, 1},
                        {CSP_LAB, CSP_BGR, 112, EmuLabToRgb, 0}};
  for (const Case& c : cases) {
    HandleGuard g;
    g.h = Make(c.src, c.dst, METHOD_BUILTIN_TABLES, METHOD_BUILTIN_TABLES);
    const V table = test::ResourceCopy("ET", c.resource);
    const V src = RandomBytes(Bytes(c.src, width, height, 4), 13);
    V expected(Bytes(c.dst, width, height, 8), 0x5A);
    c.lookup(src.data(), table.data(), width, height, 4, 8, expected.data(), c.rgbOrder);
    EXPECT_EQ(Convert(g.h, src, c.dst, width, height, 4, 8), expected) << c.src << " to " << c.dst;
  }
  // A pair without a lookup or without a table converts nothing.
  HandleGuard noLookup, noTable;
  noLookup.h = Make(CSP_RGB, CSP_CMYK, METHOD_BUILTIN_TABLES, METHOD_BUILTIN_TABLES);
  ConversionParams p = Params(METHOD_CUSTOM_TABLES, METHOD_CUSTOM_TABLES | METHOD_BUILTIN);
  test::SetName(p.tableFileName, "no-such-table.tif");  // HSV to RGB has no table to read
  noTable.h = Make(CSP_HSV, CSP_RGB, &p);
  const V src = RandomBytes(4 * width * height, 14);
  for (const auto& [h, dst] : {std::pair{noLookup.h, CSP_CMYK}, {noTable.h, CSP_RGB}}) {
    EXPECT_EQ(Convert(h, src, dst, width, height, 0, 0, CLR_ERR_METHOD), V(Bytes(dst, width, height, 0), 0x5A));
  }
}

// Every allocation of a conversion may fail (the temporary buffers of the two-step
// and YCCK routes, the temporary result of an in-place conversion): the status is
// CLR_ERR_NOMEM, nothing leaks, and the handle converts as before.
TEST(ConvertThroughHandle, EveryFailedAllocationKeepsTheHandle) {
  test::ProfileFiles files;
  LabOptions lab = test::LabEncoding(10, 90, 120, 160, 100, 190);
  int32_t offsets[] = {1, 3, 0, 2};  // U Y0 V Y1
  YuvLayout yuv{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, offsets, 2, 0, 0};
  const int32_t kDirect = 0;
  struct Case {
    const char* what;
    int32_t src, dst, method;  // kDirect: Q_ClrConvertDirect
    bool inPlace;
  };
  const Case cases[] = {
      {"direct, two steps", CSP_HSV, CSP_LAB, kDirect, false},
      {"direct, two steps in place", CSP_YUY2, CSP_XYZ, kDirect, true},
      {"direct, in place", CSP_RGB, CSP_CMYK, kDirect, true},
      {"handle, two steps", CSP_HSV, CSP_LAB, METHOD_BUILTIN, false},
      {"transform, in place", CSP_RGB, CSP_CMYK, METHOD_ICC, true},
      {"profile files, in place", CSP_RGB, CSP_LAB, METHOD_CUSTOM_ICC, true},
      {"YCCK tables to RGB", CSP_YCCK, CSP_RGB, METHOD_BUILTIN, false},
      {"RGB to YCCK tables", CSP_BGR, CSP_YCCK, METHOD_BUILTIN, false},
      {"YCCK through the transform", CSP_YCCK, CSP_BGR, METHOD_ICC, false},
      {"YCCK through the transform, in place", CSP_YCCK, CSP_RGB, METHOD_ICC, true},
      {"RGB to YCCK through profile files", CSP_RGB, CSP_YCCK, METHOD_CUSTOM_ICC, false},
      {"described YUV, in place", CSP_YUV, CSP_BGR, METHOD_BUILTIN, true},
      {"emulation table, in place", CSP_CMYK, CSP_RGB, METHOD_BUILTIN_TABLES, true},
      {"fixed-point Lab, in place", CSP_LAB, CSP_BGR, METHOD_BUILTIN, true},
  };
  const int32_t width = 8, height = 5, inAlign = 4, outAlign = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HandleGuard g;
    if (c.method != kDirect) {
      ConversionParams p = Params(c.method, static_cast<uint32_t>(c.method));
      p.labOptions = &lab, p.yuvLayout = &yuv;
      test::SetName(p.srcProfileName, files.rgb);
      test::SetName(p.dstProfileName, c.dst == CSP_LAB ? files.lab : files.cmyk);
      g.h = Make(c.src, c.dst, &p);
    }
    const int live = test::LiveHandles();
    const size_t srcBytes = Bytes(c.src, width, height, inAlign), dstBytes = Bytes(c.dst, width, height, outAlign);
    const V source = RandomBytes(srcBytes, 21);
    const auto convert = [&](test::AllocationHook* hook) {
      V buffer(c.inPlace ? std::max(srcBytes, dstBytes) : dstBytes, 0x5A);
      if (c.inPlace) std::copy(source.begin(), source.end(), buffer.begin());
      const uint8_t* from = c.inPlace ? buffer.data() : source.data();
      const auto run = [&] {
        return c.method == kDirect
                   ? Q_ClrConvertDirect(c.src, c.dst, from, buffer.data(), width, height, inAlign, outAlign)
                   : Q_ClrConvert(g.h, from, buffer.data(), width, height, inAlign, outAlign);
      };
      const int32_t status = hook != nullptr ? hook->Run(run) : run();
      return test::Converted{status, buffer};
    };
    test::Converted expected{};
    const test::AllocationWalk walk = test::WalkAllocationFailures([&](test::AllocationHook& hook) {
      const test::Converted got = convert(&hook);
      if (!hook.Failed()) {
        expected = got;
        return got.status;
      }
      EXPECT_EQ(got.status, CLR_ERR_NOMEM);
      EXPECT_EQ(test::LiveHandles(), live);
      EXPECT_TRUE(g.h == nullptr || Q_ClrIsValid(g.h) == CLR_OK);
      EXPECT_EQ(convert(nullptr), expected);
      return got.status;
    });
    EXPECT_GT(walk.allocations, 0);
  }
}

}  // namespace
}  // namespace qclr
