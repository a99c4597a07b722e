// Builds and conversions on several threads at once give what each gives alone
// (and the sanitizer builds see no race).

#include "icc_test_support.h"

namespace qclr {
namespace {

constexpr int kThreads = 4;

// Each thread builds a sampled transform for its own white point (half by
// temperature, half by chromaticity) and converts through it, through a joined one
// and through two transforms all threads share (a 3- and a 4-input table).
TEST(Concurrent, BuildsAndConversions) {
  const std::vector<uint8_t> pixels = test::RandomBytes(4 * 3000, 23);
  const test::TransformPtr shared[] = {test::BuildBuiltin(kFormatCmyk8, kFormatRgb8),
                                       test::BuildBuiltin(kFormatRgb8, kFormatCmyk8)};
  ASSERT_TRUE(shared[0] && shared[1]);
  auto work = [&](int thread) {
    static const unsigned kTemperatures[] = {50, 55, 65, 75};
    int32_t status = 0;
    test::TransformPtr own[] = {
        test::TransformPtr(thread % 2 == 0 ? IccCreateTransformByTemperature(kFormatRgb8, kFormatLab8,
                                                                             kTemperatures[thread], 0, nullptr,
                                                                             nullptr, &status)
                                           : IccCreateTransformByWhitePoint(kFormatBgr8, kFormatCmy8,
                                                                            0.30 + 0.01 * thread,
                                                                            0.32 + 0.005 * thread, 0, nullptr,
                                                                            nullptr, &status)),
        test::BuildBuiltin(kFormatRgb8, kFormatBgr8)};
    std::vector<std::vector<uint8_t>> results;
    for (const ColorTransform* t : {own[0].get(), own[1].get(), shared[0].get(), shared[1].get()})
      if (t != nullptr) results.push_back(test::Convert(*t, pixels));
    return results;
  };
  std::vector<std::vector<std::vector<uint8_t>>> alone(kThreads), results(kThreads);
  for (int i = 0; i < kThreads; ++i) alone[i] = work(i);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back([&, i] { results[i] = work(i); });
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) {
    ASSERT_EQ(alone[i].size(), 4u);
    EXPECT_TRUE(results[i] == alone[i]) << "thread " << i;
  }
  // The threads' white points really give different results.
  EXPECT_NE(alone[0][0], alone[2][0]);
  EXPECT_NE(alone[1][0], alone[3][0]);
}

}  // namespace
}  // namespace qclr
