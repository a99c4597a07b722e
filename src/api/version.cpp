// Q_ClrGetVersion: the version this library was built as, so that a program can
// compare it with the header it was compiled against.
#include "qclr/qclr.h"

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrGetVersion(int32_t* major, int32_t* minor, int32_t* patch) {
  if (major == nullptr || minor == nullptr || patch == nullptr) return CLR_ERR_PARAM;
  *major = QCLR_VERSION_MAJOR;
  *minor = QCLR_VERSION_MINOR;
  *patch = QCLR_VERSION_PATCH;
  return CLR_OK;
}
