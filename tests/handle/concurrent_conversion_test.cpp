// The public interface on several threads at once: conversions through shared
// handles by every method, direct conversions and bitmaps give what they give on
// one thread, while other threads create, change and release handles. The
// ThreadSanitizer stage of CI runs these tests (the suites named Concurrent...).
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qclr/qclr.h"
#include "support/allocation_walk.h"
#include "support/handle_fixtures.h"
#include "support/lab_test_records.h"

namespace qclr {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;

// Runs work(thread) on kThreads threads at once.
void OnThreads(const std::function<void(int)>& work) {
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(work, i);
  for (std::thread& t : threads) t.join();
}

struct Route {
  int32_t src, dst, method;  // 0: no handle, the direct route
};

TEST(ConcurrentConversion, SharedHandlesOfEveryMethod) {
  test::ProfileFiles files;
  const std::string table = files.dir.Write("t.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 111), 289));
  LabOptions lab = test::LabEncoding(10, 90, 120, 160, 100, 190);
  int32_t offsets[] = {1, 3, 0, 2};
  YuvLayout yuv{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, offsets, 2, 0, 0};
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 250, 0};
  const Route routes[] = {
      {CSP_CMYK, CSP_RGB, METHOD_BUILTIN},        {CSP_RGB, CSP_CMYK, METHOD_ICC},
      {CSP_RGB, CSP_CMYK, METHOD_CUSTOM_ICC},     {CSP_RGB, CSP_LAB, METHOD_BUILTIN_TABLES},
      {CSP_CMYK, CSP_BGR, METHOD_CUSTOM_TABLES},  {CSP_YCCK, CSP_RGB, METHOD_ICC},
      {CSP_BGR, CSP_YCCK, METHOD_BUILTIN},        {CSP_YUV, CSP_RGB, METHOD_BUILTIN},
      {CSP_LAB, CSP_BGR, METHOD_BUILTIN},         {CSP_HSV, CSP_LAB, METHOD_BUILTIN},
      {CSP_YUY2, CSP_XYZ, 0},                     {CSP_RGB, CSP_HSI, 0},
  };
  std::vector<test::HandleGuard> handles(std::size(routes));
  for (size_t i = 0; i < std::size(routes); ++i) {
    const Route& r = routes[i];
    if (r.method == 0) continue;
    ConversionParams p = test::Params(r.method, static_cast<uint32_t>(r.method));
    p.labOptions = &lab, p.yuvLayout = &yuv, p.cmykOptions = &cmyk;
    test::SetName(p.srcProfileName, files.rgb);
    test::SetName(p.dstProfileName, files.cmyk);
    test::SetName(p.tableFileName, table);
    ASSERT_EQ(Q_ClrInit(&handles[i].h, r.src, r.dst, &p), CLR_OK) << i;
  }
  const auto convert = [&](size_t i) { return test::ConvertSample(handles[i].h, routes[i].src, routes[i].dst, 40, 6); };
  // A bitmap of the first route's result, as its rows.
  const auto bitmapRows = [&] {
    BitmapRecord bitmap{};
    const std::vector<uint8_t> src = test::RandomBytes(4 * 40 * 6, 5);
    EXPECT_EQ(Q_ClrConvertToBitmap(handles[0].h, src.data(), &bitmap, 40, 6, 0, 0), CLR_OK);
    const auto* rows = static_cast<const uint8_t*>(bitmap.data);
    std::vector<uint8_t> bytes(rows, rows + bitmap.dataSize);
    EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
    return bytes;
  };
  std::vector<test::Converted> alone;
  for (size_t i = 0; i < std::size(routes); ++i) {
    alone.push_back(convert(i));
    ASSERT_EQ(alone.back().status, CLR_OK) << i;
  }
  const std::vector<uint8_t> bitmapAlone = bitmapRows();

  std::atomic<int> mismatches{0};
  OnThreads([&](int thread) {
    for (int round = 0; round < kRounds; ++round) {
      for (size_t k = 0; k < std::size(routes); ++k) {
        const size_t i = (k + static_cast<size_t>(thread) * 3) % std::size(routes);  // threads start apart
        if (!(convert(i) == alone[i])) ++mismatches;
      }
      if (bitmapRows() != bitmapAlone) ++mismatches;
    }
  });
  EXPECT_EQ(mismatches.load(), 0);
}

// Half the threads convert through one shared handle while the others create,
// change, use and release handles of their own: the registry ends as it started.
TEST(ConcurrentConversion, HandlesComeAndGoWhileOthersConvert) {
  const int live = test::LiveHandles();
  test::HandleGuard shared;
  ConversionParams p = test::Params(METHOD_ICC, METHOD_ICC | METHOD_BUILTIN);
  ASSERT_EQ(Q_ClrInit(&shared.h, CSP_CMYK, CSP_RGB, &p), CLR_OK);
  const test::Converted expected = test::ConvertSample(shared.h, CSP_CMYK, CSP_RGB);
  WhitePoint d65{65, 0, 0, 0};
  std::atomic<int> failures{0};
  OnThreads([&](int thread) {
    for (int round = 0; round < kRounds * 2; ++round) {
      if (thread % 2 == 0) {
        if (!(test::ConvertSample(shared.h, CSP_CMYK, CSP_RGB) == expected)) ++failures;
        continue;
      }
      ClrHandle* own = nullptr;
      ConversionParams mine = test::Params(METHOD_ICC, METHOD_ICC);
      if (Q_ClrInit(&own, CSP_RGB, CSP_CMYK, &mine) != CLR_OK) {
        ++failures;
        continue;
      }
      mine.flags = 4, mine.whitePoint = &d65;
      if (Q_ClrSetConversionParams(own, &mine) != CLR_OK || Q_ClrIsValid(own) != CLR_OK ||
          test::ConvertSample(own, CSP_RGB, CSP_CMYK).status != CLR_OK || Q_ClrFree(own) != CLR_OK) {
        ++failures;
      }
    }
  });
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(test::LiveHandles(), live + 1);
}

// Not a test of the library: two threads write the same destination through a
// kernel, a real data race. The ThreadSanitizer stage runs it on purpose and
// expects the report, which shows that the library's own code is instrumented.
TEST(ConcurrentConversion, DISABLED_RacingDestinationIsReported) {
  const std::vector<uint8_t> src = test::RandomBytes(3 * 256, 3);
  std::vector<uint8_t> dst(3 * 256);
  OnThreads([&](int) {
    for (int round = 0; round < kRounds; ++round) {
      Q_ClrConvertDirect(CSP_RGB, CSP_HSV, src.data(), dst.data(), 256, 1, 0, 0);
    }
  });
}

}  // namespace
}  // namespace qclr
