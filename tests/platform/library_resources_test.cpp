#include <cstdint>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

TEST(FindLibraryResource, FindsTheProfilesAndReportsWindowsCodes) {
  static_assert(kErrorResourceTypeNotFound == 1813 && kErrorResourceNameNotFound == 1814);
  const std::tuple<const char*, int32_t, int32_t> cases[] = {
      {"ICM", 105, kErrorSuccess}, {"ICM", 107, kErrorSuccess}, {"icm", 110, kErrorSuccess},  // any case
      {"ICM", 108, kErrorResourceNameNotFound}, {"ICM", 0, kErrorResourceNameNotFound},
      {"ICMX", 105, kErrorResourceTypeNotFound}, {"", 105, kErrorResourceTypeNotFound},
  };
  for (const auto& [type, id, expected] : cases) {
    ResourceBytes found = {nullptr, 0};
    EXPECT_EQ(FindLibraryResource(type, id, &found), expected) << type << " " << id;
    // A profile carries 'acsp' at offset 36.
    EXPECT_TRUE(expected != kErrorSuccess || std::string(found.data + 36, found.data + 40) == "acsp") << id;
  }
}

}  // namespace
}  // namespace qclr::platform
