/* A library version export that reports another version, preloaded into the qclr
 * program to see --version tell the loaded library's version from its own. */
#include <stdint.h>

__attribute__((visibility("default"))) int32_t Q_ClrGetVersion(int32_t* major, int32_t* minor, int32_t* patch) {
  *major = 7;
  *minor = 8;
  *patch = 9;
  return 1;
}
