/* Windows: an application of qclr.dll, written in C against the header and linked
 * with the import library. Linking proves that every export is found under the
 * name a caller compiled with the header refers to (on 32-bit Windows the
 * callee-pops names with their argument sizes, Q_ClrInit@16, which the import
 * library maps onto the DLL's undecorated exports). Run, it calls each export once
 * through the DLL, whose DllMain prepares the library and finds its resources. */
#include <stdio.h>
#include <string.h>

#include "qclr/qclr.h"

static int failures = 0;

static void Expect(const char* what, int32_t status, int32_t expected) {
  if (status != expected) {
    printf("%s: %d, expected %d\n", what, (int)status, (int)expected);
    ++failures;
  }
}

int main(void) {
  const uint8_t rgb[3] = {255, 128, 0};
  uint8_t out[4] = {0, 0, 0, 0};
  ClrHandle* handle = NULL;
  BitmapRecord bitmap;
  ConversionParams params;
  memset(&bitmap, 0, sizeof bitmap);
  memset(&params, 0, sizeof params);
  params.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  params.method = METHOD_ICC; /* the built-in profiles: resources of the DLL */
  params.flags = METHOD_ICC;

  Expect("Q_ClrConvertDirect", Q_ClrConvertDirect(CSP_RGB, CSP_BGR, rgb, out, 1, 1, 1, 1), CLR_OK);
  Expect("BGR bytes", out[0] == 0 && out[1] == 128 && out[2] == 255, 1);
  Expect("Q_ClrInit", Q_ClrInit(&handle, CSP_RGB, CSP_CMYK, &params), CLR_OK);
  Expect("Q_ClrIsValid", Q_ClrIsValid(handle), CLR_OK);
  Expect("Q_ClrConvert", Q_ClrConvert(handle, rgb, out, 1, 1, 1, 1), CLR_OK);
  Expect("Q_ClrSetConversionParams", Q_ClrSetConversionParams(handle, NULL), CLR_ERR_SAME_BUFFER);
  Expect("Q_ClrConvertToBitmap", Q_ClrConvertToBitmap(handle, rgb, &bitmap, 1, 1, 1, 4), CLR_ERR_PARAM);
  Expect("Q_ClrFree", Q_ClrFree(handle), CLR_OK);
  Expect("Q_ClrIsValid after Q_ClrFree", Q_ClrIsValid(handle), CLR_ERR_HANDLE);
  Expect("Q_ClrConvertDirectToBitmap", Q_ClrConvertDirectToBitmap(CSP_RGB, CSP_RGB, rgb, &bitmap, 1, 1, 1, 4), CLR_OK);
  Expect("bitmap", bitmap.bytesPerLine == 4 && bitmap.height == 1, 1);
  Expect("Q_ClrFreeBitmap", Q_ClrFreeBitmap(&bitmap), CLR_OK);
  Expect("Q_ClrDlg of an unknown kind", Q_ClrDlg(3, NULL, NULL, NULL), CLR_OK);
  printf("%s\n", failures == 0 ? "every export answered through qclr.dll" : "FAILED");
  return failures == 0 ? 0 : 1;
}
