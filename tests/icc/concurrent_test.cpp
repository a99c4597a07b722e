// Evaluation, builds and conversions on several threads at once give what each
// gives alone (and the sanitizer builds see no race).
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "icc/curve_inversion.h"
#include "icc/lut_eval.h"
#include "icc_test_support.h"

namespace qclr {
namespace {

constexpr int kThreads = 4;

// Runs `work(thread)` once alone per thread, then on all threads at once; returns
// the results alone.
template <typename Result, typename Work>
std::vector<Result> ExpectSameResultsConcurrently(Work work) {
  std::vector<Result> expected(kThreads), results(kThreads);
  for (int i = 0; i < kThreads; ++i) expected[i] = work(i);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back([&, i] { results[i] = work(i); });
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) EXPECT_TRUE(results[i] == expected[i]) << "thread " << i;
  return expected;
}

TEST(Concurrent, SharedTablesAndStages) {
  const test::LutPtr lut3 = test::NoisyGrid(3, 3, 33, 1, 0, 0xFFFF), lut4 = test::NoisyGrid(4, 3, 16, 2, 0, 0xFFFF);
  for (LutTable* t : {lut3.get(), lut4.get()}) {
    test::SetCurves(t, true, test::GammaEntries(256, 1.8));
    test::SetCurves(t, false, test::GammaEntries(4096, 0.6));
  }
  lut3->flags |= LUT_MATRIX;
  const int32_t matrix[9] = {60000, 3000, 2000, 1000, 64000, 500, 0, 4000, 61000};
  std::copy(matrix, matrix + 9, lut3->matrix);
  const test::CurvePtr gamma = test::MakeCurve(test::GammaEntries(1024, 2.2));
  const test::CurvePtr reversed(IccReverseCurve(256, gamma.get()));
  const GammaCurve* in[3] = {gamma.get(), gamma.get(), gamma.get()};
  const GammaCurve* out[3] = {reversed.get(), reversed.get(), reversed.get()};
  const double mix[3][3] = {{0.9, 0.1, 0.0}, {0.05, 0.9, 0.05}, {0.0, 0.2, 0.8}};
  const test::ShaperPtr joined(IccBuildJoinedMatShaper(mix, in, out));
  ASSERT_NE(joined, nullptr);
  const std::vector<uint16_t> pixels = test::RandomWords(4 * 4000, 17);
  // Per pixel: 3 outputs of each table and 3 of the stage.
  ExpectSameResultsConcurrently<std::vector<uint16_t>>([&](int) {
    std::vector<uint16_t> results(pixels.size() / 4 * 9);
    for (size_t p = 0, r = 0; p < pixels.size(); p += 4, r += 9) {
      IccEvalLut(*lut3, &pixels[p], &results[r]);
      IccEvalLut(*lut4, &pixels[p], &results[r + 3]);
      IccEvalMatShaper(*joined, &pixels[p], &results[r + 6]);
    }
    return results;
  });
}

// Each thread builds a sampled transform for its own white point (half by
// temperature, half by chromaticity) and a joined one, and converts through both.
TEST(Concurrent, BuildsAndConversions) {
  const std::vector<uint8_t> pixels = test::RandomBytes(3 * 4000, 23);
  auto work = [&](int thread) {
    static const unsigned kTemperatures[] = {50, 55, 65, 75, 93};
    std::vector<std::vector<uint8_t>> results;
    int32_t status = 0;
    test::TransformPtr sampled(
        thread % 2 == 0
            ? IccCreateTransformByTemperature(kFormatRgb8, kFormatLab8, kTemperatures[thread], 0, nullptr, nullptr,
                                              &status)
            : IccCreateTransformByWhitePoint(kFormatBgr8, kFormatCmy8, 0.30 + 0.01 * thread, 0.32 + 0.005 * thread,
                                             0, nullptr, nullptr, &status));
    test::TransformPtr joined(
        IccCreateTransformByTemperature(kFormatRgb8, kFormatBgr8, 50, 0, nullptr, nullptr, &status));
    for (const test::TransformPtr* t : {&sampled, &joined}) {
      if (*t != nullptr) results.push_back(test::Convert(**t, pixels));
    }
    return results;
  };
  const auto alone = ExpectSameResultsConcurrently<std::vector<std::vector<uint8_t>>>(work);
  for (const auto& results : alone) ASSERT_EQ(results.size(), 2u);
  // The threads' white points really give different results.
  EXPECT_NE(alone[0][0], alone[2][0]);
  EXPECT_NE(alone[1][0], alone[3][0]);
}

}  // namespace
}  // namespace qclr
