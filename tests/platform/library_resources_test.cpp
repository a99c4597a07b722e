#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

TEST(FindLibraryResource, FindsTheProfilesAndReportsWindowsCodes) {
  static_assert(kErrorResourceTypeNotFound == 1813 && kErrorResourceNameNotFound == 1814);
  const struct {
    const char* type;
    int32_t id, expected;
  } cases[] = {
      {"ICM", 105, kErrorSuccess}, {"ICM", 106, kErrorSuccess}, {"ICM", 107, kErrorSuccess},
      {"icm", 110, kErrorSuccess},  // type names ignore case
      {"ICM", 108, kErrorResourceNameNotFound}, {"ICM", 0, kErrorResourceNameNotFound},
      {"ICMX", 105, kErrorResourceTypeNotFound}, {"", 105, kErrorResourceTypeNotFound},
  };
  for (const auto& c : cases) {
    ResourceBytes found = {nullptr, 0};
    EXPECT_EQ(FindLibraryResource(c.type, c.id, &found), c.expected) << c.type << " " << c.id;
    if (c.expected != kErrorSuccess) continue;
    ASSERT_NE(found.data, nullptr);
    // An ICC profile starts with its own size and carries 'acsp' at offset 36.
    const uint32_t stored = uint32_t{found.data[0]} << 24 | found.data[1] << 16 | found.data[2] << 8 | found.data[3];
    EXPECT_EQ(stored, found.size) << c.id;
    EXPECT_EQ(std::string(found.data + 36, found.data + 40), "acsp");
  }
}

}  // namespace
}  // namespace qclr::platform
