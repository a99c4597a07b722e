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
      {"ICM", 105, kErrorSuccess}, {"ICM", 107, kErrorSuccess}, {"icm", 110, kErrorSuccess},  // any case
      {"ICM", 108, kErrorResourceNameNotFound}, {"ICM", 0, kErrorResourceNameNotFound},
      {"ICMX", 105, kErrorResourceTypeNotFound}, {"", 105, kErrorResourceTypeNotFound},
  };
  for (const auto& c : cases) {
    ResourceBytes found = {nullptr, 0};
    EXPECT_EQ(FindLibraryResource(c.type, c.id, &found), c.expected) << c.type << " " << c.id;
    // A profile carries 'acsp' at offset 36.
    EXPECT_TRUE(c.expected != kErrorSuccess || std::string(found.data + 36, found.data + 40) == "acsp") << c.id;
  }
}

}  // namespace
}  // namespace qclr::platform
