// Shared by the dialog tests: a scripted user installed for one test, the caller's
// records filled with marker values, and conversions compared between handles.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "api/clr_handle.h"
#include "api/handle_registry.h"
#include "dialog/control_ids.h"
#include "platform/posix/scripted_dialogs.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr::test {

using platform::DialogUser;

// Installs a script for the scope and counts the dialogs it plays.
class ScriptScope {
 public:
  explicit ScriptScope(std::function<void(DialogUser&)> script) {
    platform::SetDialogScript([this, script = std::move(script)](DialogUser& user) {
      ++shown_;
      script(user);
    });
  }
  ~ScriptScope() { platform::SetDialogScript({}); }
  ScriptScope(const ScriptScope&) = delete;
  ScriptScope& operator=(const ScriptScope&) = delete;

  int shown() const { return shown_; }

 private:
  int shown_ = 0;
};

// The caller's records, every field holding a marker the dialog must either
// overwrite or leave alone.
struct CallerRecords {
  ConversionParams params;
  WhitePoint white;
  CmykOptions cmyk;
  LabOptions lab;  // only its address matters
  YuvLayout yuv;   // only its address matters

  CallerRecords() {
    std::memset(&params, 0xCD, sizeof params);
    white = WhitePoint{7, 0xDEADBEEF, 0.5, 0.25};
    cmyk = CmykOptions{99, 98, 97};
    std::memset(&lab, 0, sizeof lab);
    std::memset(&yuv, 0, sizeof yuv);
    params.whitePoint = &white;
    params.cmykOptions = &cmyk;
    params.labOptions = &lab;
    params.yuvLayout = &yuv;
  }
  CallerRecords(const CallerRecords&) = delete;
  CallerRecords& operator=(const CallerRecords&) = delete;

  // True when nothing the dialog may write has changed.
  bool Untouched() const {
    CallerRecords fresh;
    ConversionParams expected = fresh.params;
    expected.whitePoint = params.whitePoint;
    expected.cmykOptions = params.cmykOptions;
    expected.labOptions = params.labOptions;
    expected.yuvLayout = params.yuvLayout;
    return std::memcmp(&expected, &params, sizeof params) == 0 &&
           std::memcmp(&fresh.white, &white, sizeof white) == 0 &&
           std::memcmp(&fresh.cmyk, &cmyk, sizeof cmyk) == 0;
  }
};

// A handle variable the dialog must either fill or leave alone.
inline ClrHandle* const kUnwrittenHandle = reinterpret_cast<ClrHandle*>(uintptr_t{0x5A5A50});

inline int LiveHandles() { return SnapshotRegistry(nullptr, 0); }

inline int32_t PixelBytes(int32_t space) { return space == CSP_CMYK ? 4 : 3; }

// The same random row of pixels converted through `handle`; empty on failure.
inline std::vector<uint8_t> ConvertSample(ClrHandle* handle) {
  constexpr int32_t kWidth = 97;
  const std::vector<uint8_t> src = RandomBytes(size_t{kWidth} * PixelBytes(handle->srcSpace), 17);
  std::vector<uint8_t> dst(size_t{kWidth} * PixelBytes(handle->dstSpace));
  if (Q_ClrConvert(handle, src.data(), dst.data(), kWidth, 1, 1, 1) != CLR_OK) return {};
  return dst;
}

// A handle made by Q_ClrInit for the same spaces from `params`.
inline ClrHandle* ReferenceHandle(const ClrHandle* like, ConversionParams params) {
  ClrHandle* reference = nullptr;
  EXPECT_EQ(Q_ClrInit(&reference, like->srcSpace, like->dstSpace, &params), CLR_OK);
  return reference;
}

// Converts the same pixels through both handles and expects the same bytes.
inline void ExpectSameConversion(ClrHandle* made, ClrHandle* reference) {
  ASSERT_NE(reference, nullptr);
  const std::vector<uint8_t> expected = ConvertSample(reference);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ConvertSample(made), expected);
  Q_ClrFree(reference);
}

}  // namespace qclr::test
