// Pins the caller records to their documented layout on 32-bit targets, where other
// programs read them at fixed offsets. On 64-bit targets pointers widen and the
// records keep their field order with natural alignment.
#include <cstddef>

#include "qclr/qclr.h"

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(WhitePoint) == 24);
static_assert(offsetof(WhitePoint, x) == 8 && offsetof(WhitePoint, y) == 16);

static_assert(sizeof(CmykOptions) == 12);
static_assert(offsetof(CmykOptions, value) == 4 && offsetof(CmykOptions, mask) == 8);

static_assert(sizeof(LabOptions) == 32);
static_assert(offsetof(LabOptions, lOffset) == 8 && offsetof(LabOptions, bRange) == 28);

static_assert(sizeof(YuvLayout) == 40);
static_assert(offsetof(YuvLayout, uStepX) == 8 && offsetof(YuvLayout, vStepY) == 20);
static_assert(offsetof(YuvLayout, sampleOffsets) == 24 && offsetof(YuvLayout, groupPixels) == 28);
static_assert(offsetof(YuvLayout, noOffsets) == 32 && offsetof(YuvLayout, planar) == 36);

static_assert(sizeof(ConversionParams) == 812);
static_assert(offsetof(ConversionParams, method) == 4);
static_assert(offsetof(ConversionParams, whitePoint) == 8);
static_assert(offsetof(ConversionParams, srcProfileName) == 12);
static_assert(offsetof(ConversionParams, dstProfileName) == 272);
static_assert(offsetof(ConversionParams, tableFileName) == 532);
static_assert(offsetof(ConversionParams, cmykOptions) == 792);
static_assert(offsetof(ConversionParams, yuvLayout) == 796);
static_assert(offsetof(ConversionParams, labOptions) == 800);
static_assert(offsetof(ConversionParams, flags) == 804);
static_assert(offsetof(ConversionParams, tableBits) == 808);

static_assert(sizeof(BitmapRecord) == 156);
static_assert(offsetof(BitmapRecord, data) == 4);
static_assert(offsetof(BitmapRecord, width) == 8);
static_assert(offsetof(BitmapRecord, height) == 12);
static_assert(offsetof(BitmapRecord, bitsPerPixel) == 16);
static_assert(offsetof(BitmapRecord, bytesPerLine) == 20);
static_assert(offsetof(BitmapRecord, cachedRowOffset) == 24);
static_assert(offsetof(BitmapRecord, cachedRow) == 28);
static_assert(offsetof(BitmapRecord, storageFlags) == 32);
static_assert(offsetof(BitmapRecord, paletteColors) == 36);
static_assert(offsetof(BitmapRecord, orientation) == 44);
static_assert(offsetof(BitmapRecord, channelOrder) == 48);
static_assert(offsetof(BitmapRecord, dataSize) == 52);
static_assert(offsetof(BitmapRecord, defaultFlags) == 60);
static_assert(offsetof(BitmapRecord, xResolution) == 68);
static_assert(offsetof(BitmapRecord, yResolution) == 72);
static_assert(offsetof(BitmapRecord, bitRange1) == 100);
static_assert(offsetof(BitmapRecord, viewOffset) == 116);
static_assert(offsetof(BitmapRecord, bitRange2) == 128);
static_assert(offsetof(BitmapRecord, percent) == 136);
static_assert(offsetof(BitmapRecord, identityTable) == 148);

static_assert(sizeof(BitmapTileTable) == 8 && sizeof(BitmapTile) == 8);
static_assert(offsetof(BitmapTile, view) == 4);
#endif
