#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "base/memory.h"
#include "handle/clr_handle.h"
#include "handle/handle_registry.h"
#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

ClrHandle* MakeRegisteredHandle() {
  auto* h = static_cast<ClrHandle*>(MemCalloc(1, sizeof(ClrHandle)));
  h->structSize = kHandleMarker;
  EXPECT_TRUE(RegisterHandle(h));
  return h;
}

std::vector<RegistryLink> Links() {
  std::array<RegistryLink, 16> links{};
  const int n = SnapshotRegistry(links.data(), static_cast<int>(links.size()));
  return {links.begin(), links.begin() + std::min<int>(n, 16)};
}

bool Refused(ClrHandle* h) { return Q_ClrIsValid(h) == CLR_ERR_HANDLE && Q_ClrFree(h) == CLR_ERR_HANDLE; }

TEST(HandleRegistry, RejectsWhatIsNotALiveHandle) {
  ClrHandle fake{};  // looks like a handle but was never registered
  fake.structSize = kHandleMarker;
  EXPECT_TRUE(Refused(nullptr));
  EXPECT_TRUE(Refused(&fake));
  ClrHandle* h = MakeRegisteredHandle();
  h->structSize = 863;  // a registered record whose marker was overwritten
  EXPECT_TRUE(Refused(h));
  h->structSize = kHandleMarker;
  EXPECT_EQ(Q_ClrIsValid(h), CLR_OK);
  EXPECT_EQ(Q_ClrFree(h), CLR_OK);
  EXPECT_EQ(Q_ClrFree(h), CLR_ERR_HANDLE);  // second release of the same pointer
  EXPECT_TRUE(Links().empty());
}

// Frees three handles in every order and checks the links after each release.
TEST(HandleRegistry, KeepsLinksInEveryReleaseOrder) {
  std::array<int, 3> order = {0, 1, 2};
  do {
    std::vector<ClrHandle*> live = {MakeRegisteredHandle(), MakeRegisteredHandle(), MakeRegisteredHandle()};
    const std::vector<ClrHandle*> all = live;
    for (int index : order) {
      ASSERT_EQ(Q_ClrFree(all[index]), CLR_OK);
      live.erase(std::find(live.begin(), live.end(), all[index]));
      const auto links = Links();
      ASSERT_EQ(links.size(), live.size());
      for (size_t i = 0; i < live.size(); ++i) {
        const ClrHandle* next = i + 1 == live.size() ? nullptr : live[i + 1];
        EXPECT_EQ(std::tuple(links[i].handle, links[i].prev, links[i].next, Q_ClrIsValid(live[i])),
                  std::tuple(live[i], i == 0 ? nullptr : live[i - 1], next, CLR_OK));
      }
    }
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(HandleRegistry, DetachReleasesEveryHandle) {
  ClrHandle* first = MakeRegisteredHandle();
  MakeRegisteredHandle();
  ASSERT_EQ(OldestHandle(), first);
  OnProcessDetach();
  EXPECT_TRUE(Links().empty());
  EXPECT_EQ(Q_ClrIsValid(first), CLR_ERR_HANDLE);
}

}  // namespace
}  // namespace qclr
