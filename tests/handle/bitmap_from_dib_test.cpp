#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "handle/bitmap_from_dib.h"
#include "handle/bitmap_readback.h"
#include "platform/platform.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::ReadBitmapBytes;

DibHeader Dib(int32_t width, int32_t height, uint16_t bitCount) {
  DibHeader header{};
  header.headerSize = 40;
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = bitCount;
  return header;
}

TEST(BitmapFromDib, TheExportsHeaderDescribesTopDown24BitRows) {
  const DibHeader header = TopDownDib24(5, 2, 1);
  EXPECT_EQ(header.headerSize, 44u);
  EXPECT_EQ(header.width, 5);
  EXPECT_EQ(header.height, -2);
  EXPECT_EQ(header.planes, 1);
  EXPECT_EQ(header.bitCount, 24);
  EXPECT_EQ(header.compression, 0u);
  EXPECT_EQ(header.imageSize, 36u);  // (1 + 5) x 3 x 2
  EXPECT_EQ(header.xPixelsPerMetre, 0);
  EXPECT_EQ(header.yPixelsPerMetre, 0);
}

TEST(BitmapFromDib, AcceptsTheBitCountsARecordDescribes) {
  const int32_t width = 7, height = 3;
  for (uint16_t bits = 0; bits <= 65; ++bits) {
    SCOPED_TRACE(testing::Message() << bits << " bits");
    const bool supported = (bits >= 1 && bits <= 8) || bits == 12 || bits == 16 || bits == 24 ||
                           bits == 32 || bits == 48 || bits == 64;
    const int32_t line = (bits * width + 31) / 32 * 4;
    const std::vector<uint8_t> rows = test::RandomBytes(static_cast<size_t>(line * height) + 1, bits);
    BitmapRecord bitmap{};
    const int32_t status = CreateBitmapFromDib(&bitmap, Dib(width, -height, bits), rows.data());
    if (!supported) {
      EXPECT_EQ(status, CLR_ERR_BITMAP_BITS);
      EXPECT_EQ(bitmap.data, nullptr);
      continue;
    }
    ASSERT_EQ(status, CLR_OK);
    EXPECT_EQ(bitmap.bitsPerPixel, bits);
    EXPECT_EQ(bitmap.bytesPerLine, line);
    EXPECT_EQ(bitmap.dataSize, static_cast<uint32_t>(line * height));
    EXPECT_EQ(bitmap.paletteColors, bits <= 8 ? 1 << bits : 0);
    EXPECT_EQ(bitmap.channelOrder, bits == 12 ? 2 : bits > 8 ? 1 : 0);
    EXPECT_EQ(bitmap.bitRange1[0], 0);
    EXPECT_EQ(bitmap.bitRange1[1], bits - 1);
    EXPECT_EQ(bitmap.bitRange2[1], bits - 1);
    EXPECT_EQ(ReadBitmapBytes(bitmap),
              std::vector<uint8_t>(rows.begin(), rows.begin() + line * height));
    EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
  }
}

TEST(BitmapFromDib, RefusesEmptyAndUnusableGeometries) {
  const std::vector<uint8_t> rows(64, 1);
  struct Case {
    const char* what;
    DibHeader header;
    int32_t status;
  };
  const Case cases[] = {
      {"zero width", Dib(0, -4, 24), CLR_ERR_BITMAP_EMPTY},
      {"zero height", Dib(4, 0, 24), CLR_ERR_BITMAP_EMPTY},
      {"bit count before size", Dib(0, 0, 9), CLR_ERR_BITMAP_BITS},
      {"negative width", Dib(-4, -4, 24), CLR_ERR_PARAM},
      {"smallest height", Dib(4, INT32_MIN, 24), CLR_ERR_PARAM},
      {"rows beyond 32-bit offsets", Dib(100000, -100000, 24), CLR_ERR_PARAM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BitmapRecord bitmap{};
    EXPECT_EQ(CreateBitmapFromDib(&bitmap, c.header, rows.data()), c.status);
    EXPECT_EQ(bitmap.storageFlags, 0u);
  }
  EXPECT_EQ(CreateBitmapFromDib(nullptr, Dib(4, -4, 24), rows.data()), CLR_ERR_PARAM);
}

TEST(BitmapFromDib, ResolutionAndOrientation) {
  // (pixels per metre x 254 + 5000) / 10000, truncated toward zero; 0 keeps the
  // thread's default resolution.
  struct Case {
    int32_t xPixelsPerMetre, yPixelsPerMetre, height;
    int32_t xResolution, yResolution, orientation;
  };
  const Case cases[] = {
      {0, 0, -2, 150, 150, 0},          {3780, 2835, 2, 96, 72, 2},
      {5906, 0, -2, 150, 150, 0},       {0, 11811, 2, 150, 300, 2},
      {1, -1, -2, 0, 0, 0},             {-3780, 20, 2, -95, 1, 2},
      {INT32_MAX, 0, 2, 54546085, 150, 2},
  };
  const std::vector<uint8_t> rows(32, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.xPixelsPerMetre << " x " << c.yPixelsPerMetre);
    DibHeader header = Dib(5, c.height, 24);
    header.xPixelsPerMetre = c.xPixelsPerMetre;
    header.yPixelsPerMetre = c.yPixelsPerMetre;
    BitmapRecord bitmap{};
    ASSERT_EQ(CreateBitmapFromDib(&bitmap, header, rows.data()), CLR_OK);
    EXPECT_EQ(bitmap.xResolution, c.xResolution);
    EXPECT_EQ(bitmap.yResolution, c.yResolution);
    EXPECT_EQ(bitmap.orientation, c.orientation);
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
  }
}

TEST(BitmapFromDib, TakesTheCallingThreadsDefaults) {
  const std::vector<uint8_t> rows(32, 0);
  struct Case {
    uint32_t flags;
    int32_t xDefault, yDefault;
    int32_t xResolution, yResolution;
  };
  const Case cases[] = {{7, 150, 150, 150, 150}, {3, 300, 72, 300, 72}, {0, 0, -5, 150, 150}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags);
    std::thread worker([&] {
      platform::ThreadDefaults* defaults = platform::CurrentThreadDefaults();
      ASSERT_NE(defaults, nullptr);
      *defaults = platform::ThreadDefaults{c.flags, c.xDefault, c.yDefault};
      BitmapRecord bitmap{};
      ASSERT_EQ(CreateBitmapFromDib(&bitmap, Dib(5, -2, 24), rows.data()), CLR_OK);
      EXPECT_EQ(bitmap.defaultFlags, c.flags);
      EXPECT_EQ(bitmap.xResolution, c.xResolution);
      EXPECT_EQ(bitmap.yResolution, c.yResolution);
      EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
    });
    worker.join();
  }
  // Another thread's changes never reach this one; without defaults the fixed
  // ones stand.
  BitmapRecord bitmap{};
  ASSERT_EQ(CreateBitmapFromDib(&bitmap, Dib(5, -2, 24), rows.data()), CLR_OK);
  EXPECT_EQ(bitmap.defaultFlags, 7u);
  EXPECT_EQ(bitmap.xResolution, 150);
  EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
  test::FailureHookScope hooks;
  platform::ForceStorageFailure(platform::StorageService::kThreadDefaults, 0, 1);
  ASSERT_EQ(CreateBitmapFromDib(&bitmap, Dib(5, -2, 24), rows.data()), CLR_OK);
  EXPECT_EQ(bitmap.defaultFlags, 7u);
  EXPECT_EQ(bitmap.yResolution, 150);
  EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
}

}  // namespace
}  // namespace qclr
