#include "support/dialog_template_reader.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

// Every shorter piece of a real template, each in a buffer of its own size for the
// sanitizers, is refused without reading past it; so is one with a byte too many.
TEST(ReadDialogTemplate, RefusesTruncatedAndOverlongTemplates) {
  for (const int32_t id : {114, 128}) {
    ResourceBytes found{nullptr, 0};
    ASSERT_EQ(FindLibraryResource(kDialogResourceType, id, &found), kErrorSuccess) << id;
    const std::vector<uint8_t> bytes(found.data, found.data + found.size);
    DialogTemplate read;
    ASSERT_TRUE(ReadDialogTemplate(bytes.data(), bytes.size(), &read)) << id;
    EXPECT_FALSE(read.items.empty());
    for (size_t size = 0; size < bytes.size(); ++size) {
      const std::vector<uint8_t> piece(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size));
      DialogTemplate partial;
      EXPECT_FALSE(ReadDialogTemplate(piece.data(), piece.size(), &partial)) << id << " " << size;
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(ReadDialogTemplate(longer.data(), longer.size(), &read)) << id;
  }
}

}  // namespace
}  // namespace qclr::platform
