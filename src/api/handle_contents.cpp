#include "api/handle_contents.h"

#include <cstring>

#include "base/memory.h"
#include "handle/described_yuv.h"
#include "icc/icc_engine.h"

namespace qclr {

void ReleaseHandleContents(ClrHandle* h) {
  MemFree(h->cmykOptions);
  MemFree(h->yuvLayout);
  MemFree(h->labDecode);
  MemFree(h->labEncode);
  MemFree(h->yccTables);
  MemFree(h->whitePoint);
  IccDeleteTransform(h->iccTransform);
  IccDeleteTransform(h->customIccTransform);
  MemFree(h->customTable);  // builtinTable lives in the resources
  h->cmykOptions = nullptr;
  h->yuvLayout = nullptr;
  h->labDecode = nullptr;
  h->labEncode = nullptr;
  h->yccTables = nullptr;
  h->whitePoint = nullptr;
  h->iccTransform = nullptr;
  h->customIccTransform = nullptr;
  h->customTable = nullptr;
  h->builtinTable = nullptr;
}

bool FileNameUsable(const char (&name)[QCLR_FILE_NAME_SIZE]) {
  const void* end = std::memchr(name, '\0', QCLR_FILE_NAME_SIZE);
  return end != nullptr && end != name;
}

bool CmykOptionsValid(const CmykOptions& options) {
  return options.value >= 0 && options.value <= 1000;
}

bool LabOptionsValid(const LabOptions& o) { return o.lRange != 0 && o.aRange != 0 && o.bRange != 0; }

bool YuvLayoutValid(const YuvLayout& layout) { return YuvLayoutIsMeaningful(layout); }

bool WhitePointValid(const WhitePoint& white) {
  return white.kind != 0 || (white.x > 0 && white.y > 0 && white.x + white.y < 1);
}

YuvLayout* CopyYuvLayout(const YuvLayout& layout) {
  static_assert(sizeof(YuvLayout) % alignof(int32_t) == 0, "the offsets follow the record");
  const auto entries = static_cast<size_t>(YuvLayoutOffsetEntries(layout));
  auto* copy = static_cast<YuvLayout*>(MemAlloc(sizeof(YuvLayout) + entries * sizeof(int32_t)));
  if (copy == nullptr) return nullptr;
  *copy = layout;
  copy->sampleOffsets = reinterpret_cast<int32_t*>(copy + 1);
  std::memcpy(copy->sampleOffsets, layout.sampleOffsets, entries * sizeof(int32_t));
  return copy;
}

}  // namespace qclr
