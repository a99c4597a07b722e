// Q_ClrStatusText: names and meanings of the library's statuses and of system
// error numbers, cut to the caller's sizes.
#include <cctype>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "qclr/qclr.h"

namespace {

TEST(StatusText, NamesEveryStatusAndDescribesSystemErrors) {
  const struct {
    int32_t status;
    const char* name;
    const char* textPart;  // a piece of the meaning
    int32_t result;
  } cases[] = {
      {CLR_OK, "CLR_OK", "success", CLR_OK},
      {CLR_CANCELLED, "CLR_CANCELLED", "cancelled", CLR_OK},
      {CLR_ERR_PARAM, "CLR_ERR_PARAM", "argument", CLR_OK},
      {CLR_ERR_PROFILE_MISMATCH, "CLR_ERR_PROFILE_MISMATCH", "profile", CLR_OK},
      {CLR_ERR_TABLE_FORMAT, "CLR_ERR_TABLE_FORMAT", "tiff", CLR_OK},
      {CLR_ERR_BITMAP_BITS, "CLR_ERR_BITMAP_BITS", "bit count", CLR_OK},
      {2, "SYSTEM_ERROR", "found", CLR_OK},
      {3, "SYSTEM_ERROR", "path", CLR_OK},
      {5, "SYSTEM_ERROR", "denied", CLR_OK},
      {1814, "SYSTEM_ERROR", "resource", CLR_OK},
      {99999, "SYSTEM_ERROR", "99999", CLR_OK},
      {-6, "CLR_ERR_UNKNOWN", "-6", CLR_ERR_PARAM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    char name[64], text[256];
    EXPECT_EQ(Q_ClrStatusText(c.status, name, sizeof name, text, sizeof text), c.result);
    EXPECT_STREQ(name, c.name);
    // The platform's own words: compared without regard to case.
    std::string lower(text);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_NE(lower.find(c.textPart), std::string::npos) << text;
    EXPECT_EQ(std::strchr(text, '\n'), nullptr);
  }
}

TEST(StatusText, CutsToTheSizesAndSkipsWhatIsNotWanted) {
  char name[6], text[4];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(Q_ClrStatusText(CLR_ERR_HANDLE, name, sizeof name, nullptr, 100), CLR_OK);
  EXPECT_STREQ(name, "CLR_E");
  EXPECT_EQ(Q_ClrStatusText(2, nullptr, 0, text, sizeof text), CLR_OK);
  EXPECT_EQ(std::strlen(text), 3u);
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(Q_ClrStatusText(CLR_OK, nullptr, 0, text, 0), CLR_OK);
  EXPECT_EQ(text[0], 'x');  // size 0: nothing written, not even the terminator
  name[0] = 'x';
  EXPECT_EQ(Q_ClrStatusText(CLR_OK, name, -1, text, sizeof text), CLR_ERR_PARAM);
  EXPECT_EQ(name[0], 'x');
  EXPECT_EQ(Q_ClrStatusText(CLR_OK, name, sizeof name, text, -1), CLR_ERR_PARAM);
}

}  // namespace
