#include <tuple>

#include <gtest/gtest.h>

#include "qclr/qclr.h"

namespace {

TEST(Version, LibraryReportsTheHeaderVersion) {
  int32_t major = -1, minor = -1, patch = -1;
  ASSERT_EQ(Q_ClrGetVersion(&major, &minor, &patch), CLR_OK);
  EXPECT_EQ(std::tuple(major, minor, patch), std::tuple(QCLR_VERSION_MAJOR, QCLR_VERSION_MINOR, QCLR_VERSION_PATCH));
  EXPECT_EQ(QCLR_VERSION, major * 10000 + minor * 100 + patch);
  // A null pointer: refused, nothing written.
  for (int missing = 0; missing < 3; ++missing) {
    int32_t v[3] = {-1, -1, -1};
    int32_t* p[3] = {&v[0], &v[1], &v[2]};
    p[missing] = nullptr;
    EXPECT_EQ(Q_ClrGetVersion(p[0], p[1], p[2]), CLR_ERR_PARAM) << missing;
    EXPECT_EQ(v[0] & v[1] & v[2], -1) << missing;
  }
}

}  // namespace
