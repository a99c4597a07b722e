/* Converts a small RGB image to CMYK and back with the built-in formulas, then to
 * CIE Lab through a conversion handle that uses the built-in ICC profiles.
 *
 *   cc convert_pixels.c $(pkg-config --cflags --libs qclr) -o convert_pixels
 */
#include <stdio.h>
#include <string.h>

#include <qclr/qclr.h>

enum { kWidth = 5, kHeight = 2, kAlign = 4 };

/* A row of `bytes` bytes followed by the padding that `align` asks for. */
static int Stride(int bytes, int align) { return align >= 1 && bytes % align ? bytes + align - bytes % align : bytes; }

static int Check(int32_t status, const char* call) {
  if (status == CLR_OK) return 0;
  fprintf(stderr, "%s failed with status %d\n", call, (int)status);
  return 1;
}

int main(void) {
  int32_t major, minor, patch;
  if (Check(Q_ClrGetVersion(&major, &minor, &patch), "Q_ClrGetVersion")) return 1;
  printf("library %d.%d.%d, header %d.%d.%d\n", (int)major, (int)minor, (int)patch,
         QCLR_VERSION_MAJOR, QCLR_VERSION_MINOR, QCLR_VERSION_PATCH);
  if (major != QCLR_VERSION_MAJOR) return 1;

  /* RGB rows of 15 bytes, each padded to 16 (alignment 4). */
  uint8_t rgb[kHeight * 16], back[kHeight * 16];
  memset(rgb, 0, sizeof rgb);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = rgb + y * Stride(3 * kWidth, kAlign) + 3 * x;
      p[0] = (uint8_t)(255 - 60 * x);
      p[1] = (uint8_t)(40 * x);
      p[2] = (uint8_t)(200 * y);
    }
  }

  /* Into tightly packed CMYK (alignment 0: no padding) and back. */
  uint8_t cmyk[kHeight * kWidth * 4];
  if (Check(Q_ClrConvertDirect(CSP_RGB, CSP_CMYK, rgb, cmyk, kWidth, kHeight, kAlign, 0), "RGB to CMYK")) return 1;
  memcpy(back, rgb, sizeof back); /* keeps the padding bytes equal for the comparison */
  if (Check(Q_ClrConvertDirect(CSP_CMYK, CSP_RGB, cmyk, back, kWidth, kHeight, 0, kAlign), "CMYK to RGB")) return 1;
  printf("first pixel: RGB %d %d %d -> CMYK %d %d %d %d\n", rgb[0], rgb[1], rgb[2], cmyk[0], cmyk[1], cmyk[2], cmyk[3]);
  printf("round trip through CMYK is %s\n", memcmp(rgb, back, sizeof rgb) == 0 ? "exact" : "not exact");

  /* Lab through the built-in ICC profiles with a D65 white: the ICC methods write
   * Lab as L x 2.55, a + 128, b + 128. */
  WhitePoint white = {65, 0, 0.0, 0.0};
  ConversionParams params;
  memset(&params, 0, sizeof params);
  params.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  params.method = METHOD_ICC;
  params.flags = METHOD_ICC;
  params.whitePoint = &white;
  ClrHandle* handle = NULL;
  if (Check(Q_ClrInit(&handle, CSP_RGB, CSP_LAB, &params), "Q_ClrInit")) return 1;
  uint8_t lab[kHeight * kWidth * 3];
  int32_t status = Q_ClrConvert(handle, rgb, lab, kWidth, kHeight, kAlign, 0);
  Q_ClrFree(handle);
  if (Check(status, "Q_ClrConvert")) return 1;
  printf("first pixel in ICC Lab: L* %.1f, a* %+d, b* %+d\n", lab[0] / 2.55, lab[1] - 128, lab[2] - 128);

  /* A pair the method cannot convert is refused when the handle is made. */
  status = Q_ClrInit(&handle, CSP_RGB, CSP_BGR, &params);
  printf("RGB to BGR through a handle: status %d (CLR_ERR_COLORSPACE is %d)\n", (int)status, CLR_ERR_COLORSPACE);
  return status == CLR_ERR_COLORSPACE ? 0 : 1;
}
