// Every allocation of handle creation made to fail in turn: the call must fail,
// leave the registry as it was and the caller's pointer unwritten. Under the
// sanitizers anything not released shows up as a leak.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/clr_handle.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"

namespace qclr {
namespace {

struct Creation {
  const char* what;
  int32_t src, dst;
  std::function<ConversionParams*()> params;
};

TEST(HandleInitCleanup, EveryFailedAllocationReleasesEverything) {
  test::ProfileFiles files;
  const std::string labTable =
      files.dir.Write("lab.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 113), 190));
  const std::string cmykTable =
      files.dir.Write("cmyk.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 111), 289));
  static WhitePoint white{0, 0, 0.3457, 0.3585};
  static LabOptions lab{QCLR_LAB_OPTIONS_SIZE, 0, 0, 100, 128, 170, 96, 200};
  static CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 250, 0};
  static int32_t offsets[] = {0, 2, 1, 3};
  static YuvLayout yuv{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, offsets, 2, 0, 0};
  static ConversionParams p;
  // Every record, both table methods and one transform a handle.
  const auto many = [&](int32_t method, uint32_t flags, const std::string& table) {
    p = test::Params(method, flags);
    p.whitePoint = &white;
    p.labOptions = &lab;
    p.cmykOptions = &cmyk;
    p.yuvLayout = &yuv;
    test::SetName(p.tableFileName, table);
    return &p;
  };
  const std::vector<Creation> cases = {
      {"RGB to Lab, custom profiles and tables", CSP_RGB, CSP_LAB,
       [&] {
         many(METHOD_CUSTOM_ICC, 1 | 4 | 8 | 16, labTable);
         test::SetName(p.srcProfileName, files.rgb);
         test::SetName(p.dstProfileName, files.lab);
         return &p;
       }},
      {"CMYK to BGR, built-in profiles and tables", CSP_CMYK, CSP_BGR,
       [&] { return many(METHOD_ICC, 1 | 2 | 8 | 16, cmykTable); }},
      {"YCCK to RGB", CSP_YCCK, CSP_RGB, [&] { return many(METHOD_BUILTIN, 1, ""); }},
      {"described YUV", CSP_YUV, CSP_BGR, [&] { return many(METHOD_BUILTIN, 1, ""); }},
      {"automatic choice", CSP_LAB, CSP_BGR,
       [&] { return many(METHOD_AUTO, METHOD_AUTO, ""); }},
      {"no parameters", CSP_YCCK, CSP_BGR, [] { return nullptr; }},
      {"same-space shortcut", CSP_LAB, CSP_LAB, [] { return nullptr; }},
  };
  for (const Creation& c : cases) {
    SCOPED_TRACE(c.what);
    const int before = test::LiveHandles();
    bool created = false;
    for (long n = 0; n < 200 && !created; ++n) {
      SCOPED_TRACE(testing::Message() << "allocation " << n << " fails");
      ConversionParams* params = c.params();
      ClrHandle dummy{};
      ClrHandle* out = &dummy;
      SetAllocationFailure(n);
      const int32_t status = Q_ClrInit(&out, c.src, c.dst, params);
      SetAllocationFailure(-1);
      if (status == CLR_OK) {
        created = true;
        EXPECT_GT(n, 0);
        EXPECT_EQ(test::LiveHandles(), before + 1);
        EXPECT_EQ(Q_ClrFree(out), CLR_OK);
        if (params != nullptr && params->method == METHOD_AUTO) {
          EXPECT_EQ(params->flags, 32u);
        }
        continue;
      }
      // The profile engine reports some failed allocations as a profile it
      // cannot open or use.
      EXPECT_TRUE(status == CLR_ERR_NOMEM || status == CLR_ERR_PROFILE_OPEN ||
                  status == CLR_ERR_PROFILE_MISMATCH)
          << status;
      EXPECT_EQ(out, &dummy);
      EXPECT_EQ(test::LiveHandles(), before);
    }
    EXPECT_TRUE(created);
  }
}

}  // namespace
}  // namespace qclr
