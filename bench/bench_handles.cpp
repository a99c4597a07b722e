#include "bench_handles.h"

#include <cstring>

namespace bench {

std::shared_ptr<ClrHandle> MakeHandle(int32_t from, int32_t to, int32_t method, const YuvLayout* yuv) {
  ConversionParams p;
  std::memset(&p, 0, sizeof p);
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  p.method = method;
  p.flags = static_cast<uint32_t>(method);
  p.tableBits = 8;
  LabOptions lab = {QCLR_LAB_OPTIONS_SIZE, 0, 0, 100, 128, 170, 96, 200};
  if (method == METHOD_BUILTIN && (from == CSP_LAB || to == CSP_LAB)) p.labOptions = &lab;
  p.yuvLayout = const_cast<YuvLayout*>(yuv);
  ClrHandle* handle = nullptr;
  if (Q_ClrInit(&handle, from, to, from == to ? nullptr : &p) != CLR_OK) return nullptr;
  return std::shared_ptr<ClrHandle>(handle, Q_ClrFree);
}

}  // namespace bench
