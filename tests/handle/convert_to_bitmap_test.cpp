#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "api/clr_handle.h"
#include "api/handle_registry.h"
#include "api/memory.h"
#include "handle/bitmap_readback.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::FailureHookScope;
using test::ReadBitmapBytes;

// A registered handle converting by the built-in formulas.
ClrHandle* MakeHandle(int32_t srcSpace, int32_t dstSpace) {
  auto* h = static_cast<ClrHandle*>(MemCalloc(1, sizeof(ClrHandle)));
  h->structSize = kHandleMarker;
  h->srcSpace = srcSpace;
  h->dstSpace = dstSpace;
  h->pathKind = 1;
  h->method = METHOD_BUILTIN;
  EXPECT_TRUE(RegisterHandle(h));
  return h;
}

// A record filled with a pattern, to see whether a call wrote to it.
BitmapRecord PatternRecord() {
  BitmapRecord record;
  std::memset(&record, 0x5C, sizeof record);
  return record;
}

bool SameBytes(const BitmapRecord& a, const BitmapRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The rows Q_ClrConvertDirect writes with 4-byte row alignment, padding zero.
std::vector<uint8_t> ExpectedRows(int32_t srcSpace, int32_t dstSpace, const std::vector<uint8_t>& src,
                                  int32_t width, int32_t height, int32_t inAlign) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> rows(stride * static_cast<size_t>(height), 0);
  EXPECT_EQ(Q_ClrConvertDirect(srcSpace, dstSpace, src.data(), rows.data(), width, height,
                               inAlign, 4),
            CLR_OK);
  return rows;
}

enum class Route { kHandle, kDirect };

int32_t ConvertToBitmap(Route route, int32_t srcSpace, int32_t dstSpace, const uint8_t* src,
                        BitmapRecord* bitmap, int32_t width, int32_t height, int32_t inAlign,
                        int32_t outAlign) {
  if (route == Route::kDirect) {
    return Q_ClrConvertDirectToBitmap(srcSpace, dstSpace, src, bitmap, width, height, inAlign,
                                      outAlign);
  }
  ClrHandle* handle = MakeHandle(srcSpace, dstSpace);
  const int32_t status =
      Q_ClrConvertToBitmap(handle, src, bitmap, width, height, inAlign, outAlign);
  EXPECT_EQ(Q_ClrFree(handle), CLR_OK);
  return status;
}

TEST(ConvertToBitmap, FillsTheRecordWhateverTheOutputAlignment) {
  struct Case {
    int32_t width, height, dstSpace;
  };
  const Case cases[] = {{5, 2, CSP_RGB}, {5, 2, CSP_BGR}, {4, 3, CSP_RGB}, {7, 5, CSP_BGR},
                        {1, 1, CSP_RGB}};
  for (Route route : {Route::kHandle, Route::kDirect}) {
    for (const Case& c : cases) {
      for (int32_t outAlign : {4, 0, 1, 2, 3, 5, 8, 16, -4}) {
        SCOPED_TRACE(testing::Message() << "route " << static_cast<int>(route) << " width "
                                        << c.width << " height " << c.height << " dst "
                                        << c.dstSpace << " outAlign " << outAlign);
        const int32_t inAlign = 4;
        test::PaddedImage src(3 * c.width, c.height, inAlign);
        src.SetRows(test::RandomBytes(static_cast<size_t>(9 * c.width * c.height), 17));
        const std::vector<uint8_t> srcBytes(src.data(), src.data() + src.size());
        BitmapRecord bitmap = PatternRecord();
        ASSERT_EQ(ConvertToBitmap(route, CSP_CMY, c.dstSpace, src.data(), &bitmap, c.width,
                                  c.height, inAlign, outAlign),
                  CLR_OK);
        const int32_t line = (3 * c.width + 3) / 4 * 4;
        EXPECT_EQ(bitmap.width, c.width);
        EXPECT_EQ(bitmap.height, c.height);
        EXPECT_EQ(bitmap.bitsPerPixel, 24);
        EXPECT_EQ(bitmap.bytesPerLine, line);
        EXPECT_EQ(bitmap.dataSize, static_cast<uint32_t>(line * c.height));
        EXPECT_EQ(bitmap.orientation, 0);
        EXPECT_EQ(bitmap.channelOrder, 1);
        EXPECT_EQ(bitmap.paletteColors, 0);
        EXPECT_EQ(bitmap.storageFlags, QCLR_BITMAP_ALLOCATED | QCLR_BITMAP_IN_MEMORY);
        EXPECT_EQ(bitmap.defaultFlags, 7u);
        EXPECT_EQ(bitmap.xResolution, 150);
        EXPECT_EQ(bitmap.yResolution, 150);
        EXPECT_EQ(bitmap.bitRange1[1], 23);
        EXPECT_EQ(bitmap.bitRange2[1], 23);
        EXPECT_EQ(bitmap.percent, 100);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.data) % 32, 0u);
        EXPECT_EQ(bitmap.reserved40, 0u);
        EXPECT_EQ(bitmap.reserved152, 0u);
        EXPECT_EQ(ReadBitmapBytes(bitmap),
                  ExpectedRows(CSP_CMY, c.dstSpace, srcBytes, c.width, c.height, inAlign));
        ASSERT_NE(bitmap.identityTable, nullptr);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(bitmap.identityTable[i], i);
        EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
      }
    }
  }
}

// Every failure leaves the record as it was; refusals come before any allocation.
TEST(ConvertToBitmap, FailuresLeaveTheRecordUntouched) {
  FailureHookScope hooks;
  const std::vector<uint8_t> src(64, 0x40);
  ClrHandle* cmyk = MakeHandle(CSP_RGB, CSP_CMYK);
  ClrHandle* badSpace = MakeHandle(99, CSP_RGB);
  ClrHandle* cmy = MakeHandle(CSP_CMY, CSP_RGB);
  // Looks like a handle but is not registered (as a freed one would not be).
  ClrHandle unregistered{};
  unregistered.structSize = kHandleMarker;
  unregistered.dstSpace = CSP_RGB;
  struct Case {
    const char* what;
    ClrHandle* handle;  // null: the direct export
    int32_t srcSpace, dstSpace;
    const uint8_t* src;
    bool nullRecord;
    int32_t width;
    long failAllocation;  // countdown of the allocation hook, -1: none
    int32_t status;
  };
  const uint8_t* s = src.data();
  const Case cases[] = {
      // Refused with the hook armed for the very next allocation: had anything
      // been allocated, the status would be CLR_ERR_NOMEM and the hook spent.
      {"CMYK destination", cmyk, 0, 0, s, false, 5, 0, CLR_ERR_PARAM},
      {"dead handle", &unregistered, 0, 0, s, false, 5, 0, CLR_ERR_HANDLE},
      {"null record", cmy, 0, 0, s, true, 5, 0, CLR_ERR_PARAM},
      {"too large for the record", cmy, 0, 0, s, false, 400000000, 0, CLR_ERR_PARAM},
      {"direct, LAB destination", nullptr, CSP_CMY, CSP_LAB, s, false, 5, 0, CLR_ERR_PARAM},
      {"direct, null record", nullptr, CSP_CMY, CSP_BGR, s, true, 5, 0, CLR_ERR_PARAM},
      {"direct, too large", nullptr, CSP_CMY, CSP_RGB, s, false, 400000000, 0, CLR_ERR_PARAM},
      // Failing conversions and allocations.
      {"unknown source space", badSpace, 0, 0, s, false, 5, -1, CLR_ERR_COLORSPACE},
      {"null source", cmy, 0, 0, nullptr, false, 5, -1, CLR_ERR_PARAM},
      {"zero width", cmy, 0, 0, s, false, 0, -1, CLR_ERR_PARAM},
      {"no memory for the buffer", cmy, 0, 0, s, false, 5, 0, CLR_ERR_NOMEM},
      {"direct, unknown source", nullptr, -1, CSP_RGB, s, false, 5, -1, CLR_ERR_COLORSPACE},
      {"direct, YUY2 of odd width", nullptr, CSP_YUY2, CSP_RGB, s, false, 5, -1, CLR_ERR_PARAM},
      // The identity table is the allocation after the buffer.
      {"direct, no identity table", nullptr, CSP_CMY, CSP_RGB, s, false, 5, 1,
       CLR_ERR_BITMAP_STORAGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BitmapRecord bitmap = PatternRecord();
    const BitmapRecord before = bitmap;
    BitmapRecord* target = c.nullRecord ? nullptr : &bitmap;
    SetAllocationFailure(c.failAllocation);
    const int32_t status =
        c.handle != nullptr
            ? Q_ClrConvertToBitmap(c.handle, c.src, target, c.width, 2, 4, 4)
            : Q_ClrConvertDirectToBitmap(c.srcSpace, c.dstSpace, c.src, target, c.width, 2, 4, 4);
    EXPECT_EQ(status, c.status);
    if (c.failAllocation == 0 && c.status != CLR_ERR_NOMEM) {
      void* probe = MemAlloc(1);
      EXPECT_EQ(probe, nullptr) << "something was allocated";
      MemFree(probe);
    }
    SetAllocationFailure(-1);
    EXPECT_TRUE(SameBytes(bitmap, before));
  }
  EXPECT_EQ(Q_ClrFree(cmyk), CLR_OK);
  EXPECT_EQ(Q_ClrFree(badSpace), CLR_OK);
  EXPECT_EQ(Q_ClrFree(cmy), CLR_OK);
}

}  // namespace
}  // namespace qclr
