#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "icc/curve_inversion.h"
#include "icc/lut_eval.h"
#include "icc/mat_shaper.h"
#include "icc_test_tables.h"

namespace qclr {
namespace {

using test::GammaEntries;
using test::LutPtr;
using test::RandomWords;

// Several threads evaluate the same tables and stages at once; each must get what
// one thread alone gets (and the sanitizer build sees no race).
TEST(ConcurrentEval, SharedTablesGiveSingleThreadedResults) {
  const LutPtr lut3 = test::NoisyGrid(3, 3, 33, 1, 0, 0xFFFF);
  const LutPtr lut4 = test::NoisyGrid(4, 3, 16, 2, 0, 0xFFFF);
  for (LutTable* t : {lut3.get(), lut4.get()}) {
    test::SetInputCurves(t, GammaEntries(256, 1.8));
    test::SetOutputCurves(t, GammaEntries(4096, 0.6));
  }
  lut3->flags |= LUT_MATRIX;
  const int32_t matrix[9] = {60000, 3000, 2000, 1000, 64000, 500, 0, 4000, 61000};
  std::copy(matrix, matrix + 9, lut3->matrix);

  const test::CurvePtr gamma = test::MakeCurve(GammaEntries(1024, 2.2));
  const test::CurvePtr reversed(IccReverseCurve(256, gamma.get()));
  const GammaCurve* in[3] = {gamma.get(), gamma.get(), gamma.get()};
  const GammaCurve* out[3] = {reversed.get(), reversed.get(), reversed.get()};
  const double mix[3][3] = {{0.9, 0.1, 0.0}, {0.05, 0.9, 0.05}, {0.0, 0.2, 0.8}};
  MatShaper* joined = IccBuildJoinedMatShaper(mix, in, out);
  ASSERT_NE(joined, nullptr);

  const std::vector<uint16_t> pixels = RandomWords(4 * 4000, 17);
  // Per pixel: 3 outputs of each table and 3 of the stage.
  auto run = [&](std::vector<uint16_t>& results) {
    results.assign(pixels.size() / 4 * 9, 0);
    for (size_t p = 0, r = 0; p < pixels.size(); p += 4, r += 9) {
      IccEvalLut(*lut3, &pixels[p], &results[r]);
      IccEvalLut(*lut4, &pixels[p], &results[r + 3]);
      IccEvalMatShaper(*joined, &pixels[p], &results[r + 6]);
    }
  };
  std::vector<uint16_t> expected;
  run(expected);

  constexpr int kThreads = 4;
  std::vector<std::vector<uint16_t>> results(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(run, std::ref(results[i]));
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) EXPECT_EQ(results[i], expected) << "thread " << i;
  IccFreeMatShaper(joined);
}

}  // namespace
}  // namespace qclr
