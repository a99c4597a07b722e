#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_buffers.h"
#include "transform_test_support.h"

namespace qclr {
namespace {

// What one thread does: builds transforms for its own white point and converts
// one buffer through each of them.
std::vector<std::vector<uint8_t>> BuildAndConvert(int thread, const std::vector<uint8_t>& pixels) {
  static const unsigned kTemperatures[] = {50, 55, 65, 75, 93};
  const unsigned temperature = kTemperatures[thread % 5];
  const double x = 0.30 + 0.01 * thread, y = 0.32 + 0.005 * thread;
  struct Build {
    uint32_t in, out;
    bool byWhitePoint;
  };
  // The white point reaches the stage of the sampled transforms (half the threads
  // build by temperature, half by chromaticity); the joined stage needs none.
  const Build sampled = thread % 2 == 0 ? Build{kFormatRgb8, kFormatLab8, false} : Build{kFormatBgr8, kFormatCmy8, true};
  const Build builds[] = {sampled, {kFormatRgb8, kFormatBgr8, false}};
  std::vector<std::vector<uint8_t>> results;
  for (const Build& b : builds) {
    int32_t status = 0;
    test::TransformPtr t(b.byWhitePoint
                             ? IccCreateTransformByWhitePoint(b.in, b.out, x, y, 0, nullptr, nullptr, &status)
                             : IccCreateTransformByTemperature(b.in, b.out, temperature, 0, nullptr, nullptr,
                                                               &status));
    if (t == nullptr) return {};
    results.push_back(test::Convert(*t, pixels));
  }
  return results;
}

// Builds with different white points and conversions on several threads at once
// give what each gives alone (the sanitizer builds see no race).
TEST(ConcurrentTransforms, BuildsAndConversionsOnSeveralThreads) {
  constexpr int kThreads = 4;
  const std::vector<uint8_t> pixels = test::RandomBytes(3 * 4000, 23);
  std::vector<std::vector<std::vector<uint8_t>>> expected(kThreads), results(kThreads);
  for (int i = 0; i < kThreads; ++i) {
    expected[i] = BuildAndConvert(i, pixels);
    ASSERT_EQ(expected[i].size(), 2u) << i;
  }
  // The threads' white points really give different results.
  EXPECT_NE(test::CountDifferences(expected[0][0], expected[2][0]), 0u);
  EXPECT_NE(test::CountDifferences(expected[1][0], expected[3][0]), 0u);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] { results[i] = BuildAndConvert(i, pixels); });
  }
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) {
    ASSERT_EQ(results[i].size(), expected[i].size()) << i;
    for (size_t k = 0; k < expected[i].size(); ++k) {
      EXPECT_EQ(test::CountDifferences(results[i][k], expected[i][k]), 0u) << "thread " << i << " transform " << k;
    }
  }
}

}  // namespace
}  // namespace qclr
