// Q_ClrIsValid and Q_ClrFree: testing and releasing conversion handles.
#include "api/handle_contents.h"
#include "base/memory.h"
#include "handle/clr_handle.h"
#include "handle/handle_registry.h"
#include "qclr/qclr.h"

extern "C" {

QCLR_API int32_t QCLR_CALL Q_ClrIsValid(const ClrHandle* handle) {
  return qclr::IsLiveHandle(handle) ? CLR_OK : CLR_ERR_HANDLE;
}

QCLR_API int32_t QCLR_CALL Q_ClrFree(ClrHandle* handle) {
  if (!qclr::TakeLiveHandle(handle)) return CLR_ERR_HANDLE;
  qclr::ReleaseHandleContents(handle);
  handle->structSize = 0;
  qclr::MemFree(handle);
  return CLR_OK;
}

}  // extern "C"
