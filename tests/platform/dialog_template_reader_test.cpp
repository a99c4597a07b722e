#include "platform/posix/dialog_template_reader.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qclr::platform {
namespace {

std::vector<uint8_t> TemplateBytes(int32_t id) {
  ResourceBytes found{nullptr, 0};
  EXPECT_EQ(FindLibraryResource(kDialogResourceType, id, &found), kErrorSuccess) << id;
  if (found.data == nullptr) return {};
  return std::vector<uint8_t>(found.data, found.data + found.size);
}

// Every shorter piece of a real template is refused without reading past it (each
// piece is copied to a buffer of its own size, so a sanitizer catches overreads),
// and so is a template with a byte too many.
TEST(ReadDialogTemplate, RefusesTruncatedAndOverlongTemplates) {
  for (const int32_t id : {114, 128}) {
    const std::vector<uint8_t> bytes = TemplateBytes(id);
    ASSERT_GT(bytes.size(), 100u);
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

// Items may carry an image ordinal instead of a text and creation data; both are
// stepped over.
TEST(ReadDialogTemplate, ReadsOrdinalsAndCreationData) {
  const std::vector<uint8_t> bytes = {
      0x40, 0, 0, 0x80, 0, 0, 0, 0,  // style (set font, popup), extended style
      1, 0, 0, 0, 0, 0, 50, 0, 20, 0,  // one item; x, y, width, height
      0, 0, 0, 0,                      // no menu, standard class
      'T', 0, 0, 0,                    // title "T"
      8, 0, 'F', 0, 0, 0,              // 8 point "F", ending on a 4-byte boundary
      0, 0, 0, 0x50, 0, 0, 0, 0,       // item style, extended style
      1, 0, 2, 0, 3, 0, 4, 0, 7, 0,    // x, y, width, height, id 7
      0xFF, 0xFF, 0x82, 0,             // class: static
      0xFF, 0xFF, 0x64, 0,             // text: image 100
      4, 0, 0xAB, 0xCD,                // creation data: 4 bytes with the size word
  };
  DialogTemplate read;
  ASSERT_TRUE(ReadDialogTemplate(bytes.data(), bytes.size(), &read));
  EXPECT_EQ(read.title, "T");
  EXPECT_EQ(read.pointSize, 8);
  EXPECT_EQ(read.typeface, "F");
  ASSERT_EQ(read.items.size(), 1u);
  EXPECT_EQ(read.items[0].id, 7);
  EXPECT_EQ(read.items[0].classAtom, kClassStatic);
  EXPECT_EQ(read.items[0].text, "");
  EXPECT_EQ(read.items[0].height, 4);
}

}  // namespace
}  // namespace qclr::platform
