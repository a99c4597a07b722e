#include "icc/icc_profile.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "icc/icc_tag_readers.h"
#include "icc/test_profile_builder.h"

namespace qclr {
namespace {

using test::Bytes;
using test::TestProfile;

struct ProfileCloser {
  void operator()(IccProfile* p) const { IccCloseProfile(p); }
};
using ProfilePtr = std::unique_ptr<IccProfile, ProfileCloser>;

ProfilePtr Open(const Bytes& b) { return ProfilePtr(IccOpenProfileFromMem(b.data(), b.size())); }

std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(IccOpen, RefusesWhatCannotBeAProfile) {
  const Bytes valid = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(1, 2, 3)).Build();
  struct Case {
    const char* what;
    Bytes bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"shorter than the header", Bytes(valid.begin(), valid.begin() + 127)});
  cases.push_back({"no tag count", Bytes(valid.begin(), valid.begin() + 131)});
  cases.push_back({"directory cut short", Bytes(valid.begin(), valid.begin() + 140)});
  Bytes wrongMagic = valid;
  wrongMagic[36] = 'b';
  cases.push_back({"signature not acsp", wrongMagic});
  Bytes hugeCount = valid;
  test::SetU32(hugeCount, 128, 0xFFFFFFFF);
  cases.push_back({"tag count 2^32 - 1", hugeCount});
  Bytes oneTooMany = valid;
  test::SetU32(oneTooMany, 128, static_cast<uint32_t>((valid.size() - 132) / 12 + 1));
  cases.push_back({"directory one entry past the end", oneTooMany});
  for (const Case& c : cases) {
    EXPECT_EQ(Open(c.bytes), nullptr) << c.what;
    const std::string path = WriteTempFile("refused.icc", c.bytes);
    EXPECT_EQ(ProfilePtr(IccOpenProfileFromFile(path.c_str())), nullptr) << c.what << " (file)";
  }
  EXPECT_NE(Open(valid), nullptr);
  EXPECT_EQ(IccOpenProfileFromMem(nullptr, 500), nullptr);
  EXPECT_EQ(IccCloseProfile(nullptr), 0);
}

TEST(IccOpen, KeepsTheHeaderFields) {
  TestProfile t;
  t.deviceClass = kIccClassOutput;
  t.colorSpace = kIccSpaceCmyk;
  t.connectionSpace = kIccSpaceLab;
  t.renderingIntent = 3;
  t.illuminant[0] = static_cast<int32_t>(0x80000000);  // -32768
  t.illuminant[1] = -65536 - 32768;                    // -1.5
  t.illuminant[2] = 0x7FFFFFFF;                        // 32767.99998...
  const ProfilePtr p = Open(t.Build());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(IccGetDeviceClass(p.get()), kIccClassOutput);
  EXPECT_EQ(IccGetColorSpace(p.get()), kIccSpaceCmyk);
  EXPECT_EQ(IccGetConnectionSpace(p.get()), kIccSpaceLab);
  EXPECT_EQ(IccGetRenderingIntent(p.get()), 3u);
  double xyz[3];
  IccGetIlluminant(p.get(), xyz);
  EXPECT_EQ(xyz[0], -32768.0);
  EXPECT_EQ(xyz[1], -1.5);
  EXPECT_EQ(xyz[2], 2147483647.0 / 65536.0);
  EXPECT_EQ(p->tagCount, 0);
  EXPECT_EQ(p->fromMemory, 1);
  EXPECT_STREQ(p->fileName, "");
}

TEST(IccOpen, CopiesTheCallersBlock) {
  Bytes b = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(65536, 2 * 65536, 3 * 65536)).Build();
  const ProfilePtr p = Open(b);
  std::fill(b.begin(), b.end(), 0);
  b.clear();
  b.shrink_to_fit();
  double xyz[3];
  ASSERT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), 1);
  EXPECT_EQ(xyz[2], 3.0);
}

TEST(IccOpen, FirstDirectoryEntryWins) {
  const ProfilePtr p = Open(TestProfile()
                                .Tag(kIccTagRedColorant, test::XyzTag(65536, 0, 0))
                                .Tag(kIccTagMediaWhite, test::XyzTag(1 << 16, 1 << 16, 1 << 16))
                                .Tag(kIccTagMediaWhite, test::XyzTag(2 << 16, 2 << 16, 2 << 16))
                                .Build());
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(IccIsTag(p.get(), kIccTagMediaWhite));
  EXPECT_TRUE(IccIsTag(p.get(), kIccTagRedColorant));
  EXPECT_FALSE(IccIsTag(p.get(), kIccTagMediaBlack));
  double xyz[3];
  ASSERT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), 1);
  EXPECT_EQ(xyz[0], 1.0);
}

TEST(IccOpen, RefusesTagsOutsideTheProfile) {
  const Bytes valid = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(1, 2, 3)).Build();
  const size_t entry = TestProfile::EntryAt(0);
  struct Case {
    const char* what;
    uint32_t offset, size;
    size_t keep;  // bytes of the profile kept
  };
  const uint32_t end = static_cast<uint32_t>(valid.size());
  const Case cases[] = {
      {"offset past the end", end + 4, 20, valid.size()},
      {"size past the end", end - 20, 24, valid.size()},
      {"offset plus size wraps around", 0xFFFFFFF0u, 0x20, valid.size()},
      {"huge size", end - 20, 0xFFFFFFFFu, valid.size()},
      {"data cut short", end - 20, 8, valid.size() - 4},
      {"head cut short", end - 4, 4, valid.size()},
  };
  for (const Case& c : cases) {
    Bytes b(valid.begin(), valid.begin() + static_cast<ptrdiff_t>(c.keep));
    test::SetU32(b, entry + 4, c.offset);
    test::SetU32(b, entry + 8, c.size);
    const ProfilePtr p = Open(b);
    ASSERT_NE(p, nullptr) << c.what;
    double xyz[3] = {9, 9, 9};
    EXPECT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), -1) << c.what;
    EXPECT_EQ(xyz[0], 9.0) << c.what;
    EXPECT_EQ(IccReadCurve(p.get(), kIccTagMediaWhite), nullptr) << c.what;
    EXPECT_EQ(IccReadLut(p.get(), kIccTagMediaWhite), nullptr) << c.what;
  }
}

TEST(IccOpen, ReleasesEverythingWhenAnAllocationFails) {
  const Bytes b = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(1, 2, 3)).Build();
  const std::string path = WriteTempFile("alloc.icc", b);
  for (bool fromFile : {false, true}) {
    int failures = 0;
    for (long n = 0;; ++n) {
      SetAllocationFailure(n);
      ProfilePtr p(fromFile ? IccOpenProfileFromFile(path.c_str()) : IccOpenProfileFromMem(b.data(), b.size()));
      SetAllocationFailure(-1);
      if (p != nullptr) break;
      ++failures;
    }
    EXPECT_EQ(failures, 3) << "record, directory and copy of the profile";
  }
}

TEST(IccOpenFile, ReadsTheFileAndKeepsItsName) {
  const Bytes b = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(65536, 65536, 65536)).Build();
  const std::string path = WriteTempFile("profile.icc", b);
  ProfilePtr p(IccOpenProfileFromFile(path.c_str()));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->fromMemory, 0);
  EXPECT_EQ(std::string(p->fileName), path);
  double xyz[3];
  EXPECT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), 1);

  // A path longer than 259 characters to the same file is kept cut to 259.
  std::string longPath = ::testing::TempDir();
  while (longPath.size() < 300) longPath += "./";
  longPath += "profile.icc";
  p.reset(IccOpenProfileFromFile(longPath.c_str()));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p->fileName), longPath.substr(0, 259));
}

TEST(IccOpenFile, FailsOnMissingOrUnreadableFiles) {
  const std::string dir = ::testing::TempDir();
  for (const std::string& path : {dir + "no-such-profile.icc", dir + "no-such-folder/p.icc", dir, std::string()}) {
    EXPECT_EQ(IccOpenProfileFromFile(path.c_str()), nullptr) << path;
  }
  EXPECT_EQ(IccOpenProfileFromFile(nullptr), nullptr);
}

}  // namespace
}  // namespace qclr
