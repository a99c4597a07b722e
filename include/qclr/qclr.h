/*
 * qclr - colour-space conversion of 8-bit pixel buffers.
 *
 * The whole public interface of the library: status codes, colour-space codes,
 * conversion methods, the caller's parameter records and the exported functions.
 * Every export returns a signed 32-bit status; success is CLR_OK (1), so callers
 * test for equality with CLR_OK, never for a non-negative value. A status greater
 * than 1 is a system error code (Windows numbering on every platform: 2 file not
 * found, 3 path not found, 5 access denied, 1813/1814 resource type/name missing).
 *
 * Buffers and rows. Every buffer comes with a row alignment A in bytes. A row of
 * N bytes is followed by A - (N mod A) padding bytes when A >= 1 and A does not
 * divide N; otherwise rows follow one another. Source padding is skipped and
 * destination padding is never written. Rows are stored top row first.
 */
#ifndef QCLR_QCLR_H
#define QCLR_QCLR_H

#include <stdint.h>

/* The library's version. The build takes its version from these three lines, so
 * the file names, the pkg-config file and the CMake package follow them;
 * Q_ClrGetVersion reports the version of the library actually loaded. */
#define QCLR_VERSION_MAJOR 0
#define QCLR_VERSION_MINOR 1
#define QCLR_VERSION_PATCH 0
#define QCLR_VERSION (QCLR_VERSION_MAJOR * 10000 + QCLR_VERSION_MINOR * 100 + QCLR_VERSION_PATCH)

#if defined(_WIN32) && !defined(_WIN64)
#define QCLR_CALL __stdcall
#else
#define QCLR_CALL
#endif

/* On Windows the DLL's exports are listed in its .def file; a program that links
 * the static library defines QCLR_STATIC, others import from qclr.dll. */
#if defined(_WIN32)
#if defined(QCLR_BUILDING_LIBRARY) || defined(QCLR_STATIC)
#define QCLR_API
#else
#define QCLR_API __declspec(dllimport)
#endif
#else
#define QCLR_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Status codes ------------------------------------------------------- */

enum {
  CLR_OK = 1,                     /* success */
  CLR_CANCELLED = 0,              /* the user cancelled the settings dialog */
  CLR_ERR_NOMEM = -3,             /* an allocation failed */
  CLR_ERR_FILE_NAME = -8,         /* a needed file name is empty or not
                                     zero-terminated within 259 characters */
  CLR_ERR_PARAM = -13,            /* invalid argument */
  CLR_ERR_HANDLE = -261,          /* not a live conversion handle */
  CLR_ERR_SAME_BUFFER = -351,     /* source and destination are the same buffer
                                     where that is not converted in place */
  CLR_ERR_COLORSPACE = -785,      /* unknown colour-space code, or a pair the
                                     chosen route cannot convert */
  CLR_ERR_METHOD = -786,          /* no method, or a method not prepared */
  CLR_ERR_PROFILE_OPEN = -787,    /* an ICC profile fails to open */
  CLR_ERR_PROFILE_MISMATCH = -788,/* a profile does not fit the pixel format */
  CLR_ERR_STRUCT_SIZE = -789,     /* a record's structSize is wrong */
  CLR_ERR_TABLE_FORMAT = -790,    /* a custom emulation table file is not a baseline
                                     uncompressed TIFF of 8-bit samples, is truncated,
                                     or its pixel data are not the table's size */

  /* Bitmap output (Q_ClrConvertToBitmap, Q_ClrConvertDirectToBitmap). */
  CLR_ERR_BITMAP_STORAGE = -1,    /* no pixel storage could be allocated (no memory
                                     and no temporary file), or the record holds none */
  CLR_ERR_BITMAP_TILES = -2,      /* the storage could not be split into tiles */
  CLR_ERR_BITMAP_SEEK = -4,       /* the temporary file could not be positioned */
  CLR_ERR_BITMAP_WRITE = -5,      /* writing the temporary file failed */
  CLR_ERR_BITMAP_EMPTY = -11,     /* the bitmap has no pixels (zero width or height) */
  CLR_ERR_BITMAP_BITS = -27       /* a bit count the bitmap record cannot describe */
};

/* ---- Colour spaces ------------------------------------------------------ */

/*
 * Pixel layouts (bytes in memory order):
 *   CSP_RGB   R, G, B                 CSP_BGR   B, G, R
 *   CSP_CMYK  C, M, Y, K              CSP_CMY   C, M, Y     (0 = no ink)
 *   CSP_HSV   H, S, V                 CSP_HLS   H, L, S
 *   CSP_HSI   I, H, S; H is this library's own hue encoding, not the textbook
 *             angle, and the decoder does not invert it: RGB -> HSI -> RGB is
 *             not a round trip.
 *   CSP_YIQ   Y, I, Q
 *   CSP_LAB   L (0..255 for L* 0..100), a, b (signed bytes). Two routes read the
 *             bytes otherwise: a handle given LabOptions uses their offsets and
 *             ranges, and the ICC methods use the ICC 8-bit Lab encoding
 *             (L x 2.55, a + 128, b + 128), as Lab profiles expect.
 *   CSP_XYZ   three 64-bit little-endian doubles X, Y, Z; a row is 24 x width
 *             bytes, and its padding is computed from a row of 3 x width bytes.
 *             The encoder produces values up to about 133 while the decoder
 *             expects 0..1, so RGB -> XYZ -> RGB saturates.
 *   CSP_YUV   Y, U, V (4:4:4)         CSP_YCC   Y, Cb, Cr (Cb, Cr signed bytes)
 *   CSP_YUY2  Y0, U, Y1, V per pixel pair (width even)
 *   CSP_UYVY  U, Y0, V, Y1 per pixel pair (width even)
 *   CSP_Y41P  U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7 per 8 pixels (width % 8 == 0)
 *   CSP_YVU9  planar: Y plane (width x height), then V and U planes of
 *             (width/4) x (height/4) bytes; no row padding (width, height % 4 == 0)
 *   CSP_YCCK  Y, Cb, Cr, K: the inverted C, M, Y inks as YCbCr, K unchanged
 */
enum {
  CSP_RGB = 0,
  CSP_YUV = 1,
  CSP_CMYK = 2,
  CSP_HSV = 3,
  CSP_HLS = 4,
  CSP_YIQ = 5,
  CSP_CMY = 6,
  CSP_LAB = 7,
  CSP_XYZ = 8,
  CSP_YUY2 = 9,
  CSP_YVU9 = 10,
  CSP_YCCK = 11,
  CSP_BGR = 12,
  CSP_Y41P = 13,
  CSP_UYVY = 14,
  CSP_YCC = 15,
  CSP_HSI = 128
};

/* ---- Conversion methods (values and mask bits) --------------------------- */

enum {
  METHOD_BUILTIN = 1,         /* built-in formulas */
  METHOD_ICC = 2,             /* ICC transform between the built-in profiles */
  METHOD_CUSTOM_ICC = 4,      /* ICC transform between two profile files */
  METHOD_BUILTIN_TABLES = 8,  /* built-in emulation tables */
  METHOD_CUSTOM_TABLES = 16,  /* emulation table read from a TIFF file */
  METHOD_AUTO = 32            /* in method and flags together: let the library choose */
};

/* ---- Caller records ------------------------------------------------------ */

#define QCLR_FILE_NAME_SIZE 260

/* White point: kind 0 uses the chromaticity (x, y) with Y = 1; any other kind is a
 * colour temperature: 55, 65, 75, 93 select D55, D65, D75, D93, anything else D50. */
typedef struct WhitePoint {
  uint32_t kind;
  uint32_t reserved;
  double x;
  double y;
} WhitePoint;

typedef struct CmykOptions {
  uint32_t structSize; /* QCLR_CMYK_OPTIONS_SIZE */
  int32_t value;       /* black generation in thousandths, 0..1000 */
  uint32_t mask;       /* bit 1: value (for Q_ClrSetConversionParams) */
} CmykOptions;

/* A caller-described YUV layout for decoding a CSP_YUV source. */
typedef struct YuvLayout {
  uint32_t structSize;    /* QCLR_YUV_LAYOUT_SIZE */
  uint32_t mask;          /* change mask for Q_ClrSetConversionParams */
  int32_t uStepX;         /* pixels per U sample horizontally, >= 1 */
  int32_t uStepY;         /* rows per U sample (above 1 only when planar) */
  int32_t vStepX;
  int32_t vStepY;
  int32_t* sampleOffsets; /* packed: byte offsets of the samples of a group
                             (groupPixels Y, then groupPixels / uStepX U, then
                             groupPixels / vStepX V); planar: entry 0 is the plane
                             order 0..5. A handle keeps its own copy of the
                             entries; the array may be released after the call. */
  int32_t groupPixels;    /* packed: pixels per group, >= 1 */
  int32_t noOffsets;      /* 0: subtract 16 from Y and 128 from U, V */
  int32_t planar;         /* 0: packed groups, otherwise three planes */
} YuvLayout;

/* Byte encoding of L*, a*, b*: stored byte = offset + value x 255 / range. */
typedef struct LabOptions {
  uint32_t structSize; /* QCLR_LAB_OPTIONS_SIZE */
  uint32_t mask;
  int32_t lOffset;
  int32_t lRange;
  int32_t aOffset;
  int32_t aRange;
  int32_t bOffset;
  int32_t bRange;
} LabOptions;

typedef struct ConversionParams {
  uint32_t structSize;                         /* QCLR_CONVERSION_PARAMS_SIZE */
  int32_t method;                              /* active METHOD_... */
  WhitePoint* whitePoint;                      /* null: D50 */
  char srcProfileName[QCLR_FILE_NAME_SIZE];
  char dstProfileName[QCLR_FILE_NAME_SIZE];
  char tableFileName[QCLR_FILE_NAME_SIZE];
  CmykOptions* cmykOptions;
  YuvLayout* yuvLayout;
  LabOptions* labOptions;
  uint32_t flags;      /* Q_ClrInit: methods to prepare; Q_ClrSetConversionParams:
                          groups to change */
  uint32_t tableBits;  /* 8 whenever method is METHOD_BUILTIN_TABLES */
} ConversionParams;

/* Bitmap description filled by the bitmap exports. On 32-bit targets the record
 * is 156 bytes with the offsets noted; fields not listed are zero.
 *
 * The pixel rows (24 bits a pixel in the order of the destination space, top row
 * first, bytesPerLine apart, bytesPerLine a multiple of 4) live in one of three
 * storage kinds, told by storageFlags:
 *   QCLR_BITMAP_IN_MEMORY  data is the first row in a memory mapping whose handle is
 *                          storageHandle; the mapping starts viewOffset bytes before.
 *   QCLR_BITMAP_TILED      data is a BitmapTileTable; storageHandle is 0.
 *   QCLR_BITMAP_ON_DISK    the rows are in a temporary file whose handle (descriptor)
 *                          is storageHandle; row r starts at r x bytesPerLine. data
 *                          is the zero-terminated name the file was created with;
 *                          the file is read through its handle (on POSIX the name is
 *                          removed at once, so nothing is left behind).
 * Release it with Q_ClrFreeBitmap. */
typedef struct BitmapRecord {
  uint32_t storageHandle;   /*   0 */
  void* data;               /*   4 */
  int32_t width;            /*   8 */
  int32_t height;           /*  12 */
  int32_t bitsPerPixel;     /*  16 */
  int32_t bytesPerLine;     /*  20 */
  int32_t cachedRowOffset;  /*  24 */
  int32_t cachedRow;        /*  28 */
  uint32_t storageFlags;    /*  32 */
  int32_t paletteColors;    /*  36 */
  uint32_t reserved40;      /*  40 */
  int32_t orientation;      /*  44 */
  int32_t channelOrder;     /*  48 */
  uint32_t dataSize;        /*  52 */
  uint32_t reserved56;      /*  56 */
  uint32_t defaultFlags;    /*  60 */
  uint32_t reserved64;      /*  64 */
  int32_t xResolution;      /*  68 */
  int32_t yResolution;      /*  72 */
  uint32_t reserved76[6];   /*  76 */
  int32_t bitRange1[2];     /* 100 */
  uint32_t reserved108[2];  /* 108 */
  uint32_t viewOffset;      /* 116 */
  uint32_t reserved120[2];  /* 120 */
  int32_t bitRange2[2];     /* 128 */
  int32_t percent;          /* 136 */
  uint32_t reserved140[2];  /* 140 */
  uint8_t* identityTable;   /* 148 */
  uint32_t reserved152;     /* 152 */
} BitmapRecord;

/* storageFlags bits. */
#define QCLR_BITMAP_ALLOCATED 0x0001u
#define QCLR_BITMAP_IN_MEMORY 0x0002u
#define QCLR_BITMAP_ON_DISK 0x0004u
#define QCLR_BITMAP_TILED 0x4000u

/* Tiled storage: the table begins with this header and continues with tileCount
 * BitmapTile entries. Tile i holds rows i x rowsPerTile onwards, each tile
 * rowsPerTile x bytesPerLine bytes except the last, which holds the rows left. */
typedef struct BitmapTileTable {
  uint32_t tileCount;
  uint32_t rowsPerTile;
} BitmapTileTable;

typedef struct BitmapTile {
  uint32_t mappingHandle;
  uint8_t* view;
} BitmapTile;

/* structSize values: the records' sizes on this platform (812, 12, 40, 32 and 156
 * on 32-bit targets). Callers may equally write sizeof(...). */
#define QCLR_CONVERSION_PARAMS_SIZE ((uint32_t)sizeof(ConversionParams))
#define QCLR_CMYK_OPTIONS_SIZE ((uint32_t)sizeof(CmykOptions))
#define QCLR_YUV_LAYOUT_SIZE ((uint32_t)sizeof(YuvLayout))
#define QCLR_LAB_OPTIONS_SIZE ((uint32_t)sizeof(LabOptions))
#define QCLR_BITMAP_RECORD_SIZE ((uint32_t)sizeof(BitmapRecord))

/* A conversion handle; opaque to callers. */
typedef struct ClrHandle ClrHandle;

/* ---- Handles -------------------------------------------------------------- */

/* Creates a conversion handle from srcSpace to dstSpace prepared for the methods
 * in params->flags, with params->method active (params may be null: built-in
 * formulas). On success *outHandle receives the handle; on failure it is not
 * written and nothing stays allocated. With method and flags both METHOD_AUTO the
 * library chooses the method; the two fields hold the choice while the call runs
 * and read METHOD_AUTO again after it succeeds. A given params must carry its
 * structSize (else CLR_ERR_STRUCT_SIZE), also for equal spaces, and so must the
 * option records of the handle's spaces. */
QCLR_API int32_t QCLR_CALL Q_ClrInit(ClrHandle** outHandle, int32_t srcSpace, int32_t dstSpace,
                                     ConversionParams* params);

/* Changes parameter groups of a live handle, selected by params->flags: 1 the
 * active method (one prepared by Q_ClrInit), 16 CMYK options, 32 YUV layout, 64
 * Lab encoding, 4 white point, 2 custom profile files, 8 custom table file, applied
 * in that order; transforms and tables are rebuilt. The option records' mask
 * fields select single fields. params and every option record it hands over must
 * carry their structSize (else CLR_ERR_STRUCT_SIZE, as for Q_ClrInit). A failure
 * leaves the earlier groups applied and the failing group's settings as they were:
 * a transform or table that cannot be rebuilt (a file that does not open or fit, no
 * memory) leaves the previous one in use. */
QCLR_API int32_t QCLR_CALL Q_ClrSetConversionParams(ClrHandle* handle,
                                                    const ConversionParams* params);

/* CLR_OK when handle is a live conversion handle, CLR_ERR_HANDLE otherwise. */
QCLR_API int32_t QCLR_CALL Q_ClrIsValid(const ClrHandle* handle);

/* Releases a live handle and everything it owns. CLR_ERR_HANDLE otherwise. */
QCLR_API int32_t QCLR_CALL Q_ClrFree(ClrHandle* handle);

/* ---- Direct conversion ---------------------------------------------------- */

/* Converts one buffer between any two colour spaces with the built-in formulas,
 * through RGB. Between different spaces the destination may be the source buffer
 * or overlap it: it receives the bytes an out-of-place conversion gives (through a
 * temporary buffer where needed, CLR_ERR_NOMEM when there is no memory for it).
 * Within one space the same buffer may be re-laid in place between two
 * alignments (equal alignments give CLR_ERR_SAME_BUFFER); other overlaps of one
 * space are not supported. */
QCLR_API int32_t QCLR_CALL Q_ClrConvertDirect(int32_t srcSpace, int32_t dstSpace,
                                              const uint8_t* srcBuffer, uint8_t* dstBuffer,
                                              int32_t width, int32_t height,
                                              int32_t inAlign, int32_t outAlign);

/* ---- Conversion through a handle ----------------------------------------- */

/* Converts one buffer from the handle's source space into its destination space
 * by the handle's active method. Between different spaces (and through the
 * transform of a custom ICC handle between equal ones) the destination may be the
 * source buffer or overlap it, as for Q_ClrConvertDirect. A handle that copies
 * within one space takes the same buffer twice only with equal alignments (copied
 * onto itself); different alignments give CLR_ERR_SAME_BUFFER (the opposite of
 * Q_ClrConvertDirect, which re-lays the rows in place). */
QCLR_API int32_t QCLR_CALL Q_ClrConvert(ClrHandle* handle, const uint8_t* srcBuffer,
                                        uint8_t* dstBuffer, int32_t width, int32_t height,
                                        int32_t inAlign, int32_t outAlign);

/* ---- Bitmap output --------------------------------------------------------- */

/* Converts through a handle whose destination is CSP_RGB or CSP_BGR and fills
 * *bitmap with the result as a 24-bit top-down bitmap with pixel storage of its
 * own. outAlign does not change the result: the bitmap's rows are always
 * bytesPerLine apart (3 x width rounded up to a multiple of 4). Storage the record
 * already owns is not released first. On failure the record is left untouched and
 * nothing stays allocated. CLR_ERR_HANDLE for a dead handle, CLR_ERR_PARAM for
 * another destination space, a null record or a bitmap too large for the record;
 * the conversion's status when it fails; the CLR_ERR_BITMAP_... codes. */
QCLR_API int32_t QCLR_CALL Q_ClrConvertToBitmap(ClrHandle* handle, const uint8_t* srcBuffer,
                                                BitmapRecord* bitmap, int32_t width,
                                                int32_t height, int32_t inAlign,
                                                int32_t outAlign);

/* The same through Q_ClrConvertDirect, for a dstSpace of CSP_RGB or CSP_BGR. */
QCLR_API int32_t QCLR_CALL Q_ClrConvertDirectToBitmap(int32_t srcSpace, int32_t dstSpace,
                                                      const uint8_t* srcBuffer,
                                                      BitmapRecord* bitmap, int32_t width,
                                                      int32_t height, int32_t inAlign,
                                                      int32_t outAlign);

/* Releases the pixel storage of a record filled by the bitmap exports, whatever
 * its kind (memory mapping, tiles, temporary file, which is deleted), and its
 * identity table, then zeroes the record. A zeroed record is accepted and stays
 * zero. CLR_OK; CLR_ERR_PARAM for a null record. */
QCLR_API int32_t QCLR_CALL Q_ClrFreeBitmap(BitmapRecord* bitmap);

/* ---- Profiles ---------------------------------------------------------------- */

/* Tells whether the ICC profile file fileName can serve colorSpace (CSP_RGB, CSP_BGR,
 * CSP_CMY, CSP_CMYK, CSP_YCCK through CMYK, or CSP_LAB) in a conversion through
 * profile files (METHOD_CUSTOM_ICC): side 0 as the source (device to the profile
 * connection space), side 1 as the destination. Returns CLR_OK when it can, else the
 * status that creating such a handle returns for it: CLR_ERR_PROFILE_OPEN when the
 * file does not open as a profile, CLR_ERR_PROFILE_MISMATCH when the profile does
 * not serve that space on that side, CLR_ERR_COLORSPACE for a space without ICC
 * conversion, CLR_ERR_NOMEM when memory runs short while the profile is read or
 * checked, CLR_ERR_FILE_NAME for an empty name or one of 260 characters or more,
 * CLR_ERR_PARAM for a null name, another side or a negative reasonSize (or a null
 * reason with a positive size). Writes one zero-terminated line into reason (cut to
 * reasonSize bytes; nothing when reasonSize is 0) naming the profile's version,
 * class and spaces and what is missing or unsupported, or how it serves, e.g.
 * "version 4.3 output profile (CMYK, PCS Lab): tag B2A0 has type 'mpet', which is
 * not supported". */
QCLR_API int32_t QCLR_CALL Q_ClrCheckProfile(const char* fileName, int32_t colorSpace, int32_t side,
                                             char* reason, int32_t reasonSize);

/* ---- Version ---------------------------------------------------------------- */

/* Writes the loaded library's version (QCLR_VERSION_MAJOR, _MINOR, _PATCH as it was
 * built) into the three integers. CLR_OK; CLR_ERR_PARAM when a pointer is null
 * (nothing is written then). */
QCLR_API int32_t QCLR_CALL Q_ClrGetVersion(int32_t* major, int32_t* minor, int32_t* patch);

/* ---- Status texts ----------------------------------------------------------- */

/* Describes a status: its name ("CLR_ERR_PARAM"; "SYSTEM_ERROR" for every status
 * above 1) into name and its one-line meaning into text (for a system error the
 * platform's message for that number). Each is zero-terminated and cut to its
 * size; a null pointer or a size of 0 skips it. Returns CLR_OK; CLR_ERR_PARAM for
 * a negative size (nothing written) or a negative status the library does not
 * know (name "CLR_ERR_UNKNOWN" and a text giving the number are still written). */
QCLR_API int32_t QCLR_CALL Q_ClrStatusText(int32_t status, char* name, int32_t nameSize,
                                           char* text, int32_t textSize);

/* ---- Colour settings dialog ----------------------------------------------- */

/* Shows a modal dialog, owned by parentWindow (a window of the platform, or null),
 * in which the user chooses the conversion method, profile and table files, the
 * white point and the direction: dialogKind 1 for CMYK and RGB, 2 for CIE Lab and
 * RGB; any other kind shows nothing and returns CLR_OK. The dialog starts from the
 * built-in conversion whatever params holds. After OK, a handle for the choice is
 * created with Q_ClrInit into *outHandle (written only when that succeeds, so set
 * it to null first and test it), and the choice is copied into params when given:
 * the white point's kind, x and y, the CMYK options (kind 1), method, flags,
 * structSize, tableBits and the three file names; params' pointers stay as they
 * are. When no dialog can be shown, the starting choice is taken as if OK had been
 * pressed. Returns CLR_CANCELLED when the user cancels (nothing is written),
 * CLR_ERR_PARAM when params is given without a whitePoint (or, for kind 1, without
 * cmykOptions; no dialog is shown) or when kind 2 has no outHandle; else CLR_OK,
 * also when the handle could not be created. */
QCLR_API int32_t QCLR_CALL Q_ClrDlg(int32_t dialogKind, void* parentWindow, ClrHandle** outHandle,
                                    ConversionParams* params);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QCLR_QCLR_H */
