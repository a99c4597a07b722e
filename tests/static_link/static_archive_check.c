/* A program linking libqclr.a as an application does (not as a whole archive):
 * the tables the library fills when it loads must be linked and filled too. */
#include <stdio.h>
#include <string.h>

#include "qclr/qclr.h"

static int Expect(const char* what, const uint8_t* got, const uint8_t* want) {
  if (memcmp(got, want, 3) == 0) return 0;
  fprintf(stderr, "%s: got %d %d %d, want %d %d %d\n", what, got[0], got[1], got[2], want[0], want[1], want[2]);
  return 1;
}

int main(void) {
  static const uint8_t white[3] = {255, 255, 255}, black[3] = {0, 0, 0};
  int failures = 0;

  /* YCCK decoding reads the range-limit and chroma tables. */
  const uint8_t ycck[8] = {255, 128, 128, 0, 255, 128, 128, 255};
  uint8_t rgb[6] = {0};
  if (Q_ClrConvertDirect(CSP_YCCK, CSP_RGB, ycck, rgb, 2, 1, 0, 0) != CLR_OK) return 1;
  failures += Expect("YCCK white", rgb, white);
  failures += Expect("YCCK black", rgb + 3, black);

  /* Full black generation reads the square table: K alone makes black. */
  CmykOptions cmyk = {QCLR_CMYK_OPTIONS_SIZE, 1000, 0};
  ConversionParams params;
  memset(&params, 0, sizeof params);
  params.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  params.method = params.flags = METHOD_BUILTIN;
  params.cmykOptions = &cmyk;
  ClrHandle* handle = NULL;
  if (Q_ClrInit(&handle, CSP_CMYK, CSP_RGB, &params) != CLR_OK) return 1;
  const uint8_t key[4] = {0, 0, 0, 255};
  if (Q_ClrConvert(handle, key, rgb, 1, 1, 0, 0) != CLR_OK) return 1;
  failures += Expect("CMYK key", rgb, black);
  /* The handle stays live: unloading releases it. */
  return failures == 0 ? 0 : 1;
}
