// Row functions of the video family and the table each kernel picks its row from.
//
// The portable rows are the definitions (video_444_kernels.cpp,
// video_packed_kernels.cpp, video_planar_kernels.cpp); the AVX2 and AVX-512 rows
// (video_*_rows_avx2.cpp, video_*_rows_avx512.cpp) give exactly their bytes. A row
// never sees alignment: the kernels hand it one row of each side.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/rgb_positions.h"
#include "base/row_variants.h"

namespace qclr {

// One row of `width` pixels between the RGB side and a packed layout (YUV, YCC,
// YUY2, UYVY, Y41P). The 4:2:2 rows take an even width, the Y41P rows a multiple
// of 8.
using VideoRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);

// One RGB row of a YVU9 image from its luminance row and the chroma rows of its
// band; width a multiple of 4.
using Yvu9DecodeRow = void (*)(const uint8_t* luma, const uint8_t* vRow, const uint8_t* uRow,
                               uint8_t* dst, int32_t width, RgbPositions at);

// One band of 4 RGB rows into 4 luminance rows and one row of `blocks` V and U
// samples.
using Yvu9EncodeBand = void (*)(const uint8_t* src, ptrdiff_t srcStride, uint8_t* luma,
                                ptrdiff_t lumaStride, uint8_t* vRow, uint8_t* uRow, int32_t blocks,
                                RgbPositions at);

// The definitions.
void YuvToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYuvRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void YccToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYccRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Yuy2ToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void UyvyToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYuy2RowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToUyvyRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Y41pToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToY41pRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Yvu9ToRgbRowPortable(const uint8_t* luma, const uint8_t* vRow, const uint8_t* uRow,
                          uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYvu9BandPortable(const uint8_t* src, ptrdiff_t srcStride, uint8_t* luma,
                           ptrdiff_t lumaStride, uint8_t* vRow, uint8_t* uRow, int32_t blocks,
                           RgbPositions at);

#if QCLR_X86_SIMD
void YuvToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Yuy2ToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void UyvyToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Y41pToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Yvu9ToRgbRowAvx2(const uint8_t* luma, const uint8_t* vRow, const uint8_t* uRow, uint8_t* dst,
                      int32_t width, RgbPositions at);

void YuvToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Yuy2ToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void UyvyToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Y41pToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void Yvu9ToRgbRowAvx512(const uint8_t* luma, const uint8_t* vRow, const uint8_t* uRow, uint8_t* dst,
                        int32_t width, RgbPositions at);

void RgbToYuvRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYccRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void YccToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYuvRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYccRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void YccToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);

void RgbToYuy2RowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToUyvyRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToY41pRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYvu9BandAvx2(const uint8_t* src, ptrdiff_t srcStride, uint8_t* luma, ptrdiff_t lumaStride,
                       uint8_t* vRow, uint8_t* uRow, int32_t blocks, RgbPositions at);

void RgbToYuy2RowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToUyvyRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToY41pRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions at);
void RgbToYvu9BandAvx512(const uint8_t* src, ptrdiff_t srcStride, uint8_t* luma,
                         ptrdiff_t lumaStride, uint8_t* vRow, uint8_t* uRow, int32_t blocks,
                         RgbPositions at);
#endif

inline constexpr RowVariants<VideoRow> kYuvToRgbRows = {
    .portable = YuvToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = YuvToRgbRowAvx2,
    .avx512 = YuvToRgbRowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kYuy2ToRgbRows = {
    .portable = Yuy2ToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = Yuy2ToRgbRowAvx2,
    .avx512 = Yuy2ToRgbRowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kUyvyToRgbRows = {
    .portable = UyvyToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = UyvyToRgbRowAvx2,
    .avx512 = UyvyToRgbRowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kY41pToRgbRows = {
    .portable = Y41pToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = Y41pToRgbRowAvx2,
    .avx512 = Y41pToRgbRowAvx512,
#endif
};
inline constexpr RowVariants<Yvu9DecodeRow> kYvu9ToRgbRows = {
    .portable = Yvu9ToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = Yvu9ToRgbRowAvx2,
    .avx512 = Yvu9ToRgbRowAvx512,
#endif
};

inline constexpr RowVariants<VideoRow> kRgbToYuvRows = {
    .portable = RgbToYuvRowPortable,
#if QCLR_X86_SIMD
    .avx2 = RgbToYuvRowAvx2,
    .avx512 = RgbToYuvRowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kYccToRgbRows = {
    .portable = YccToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = YccToRgbRowAvx2,
    .avx512 = YccToRgbRowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kRgbToYccRows = {
    .portable = RgbToYccRowPortable,
#if QCLR_X86_SIMD
    .avx2 = RgbToYccRowAvx2,
    .avx512 = RgbToYccRowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kRgbToYuy2Rows = {
    .portable = RgbToYuy2RowPortable,
#if QCLR_X86_SIMD
    .avx2 = RgbToYuy2RowAvx2,
    .avx512 = RgbToYuy2RowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kRgbToUyvyRows = {
    .portable = RgbToUyvyRowPortable,
#if QCLR_X86_SIMD
    .avx2 = RgbToUyvyRowAvx2,
    .avx512 = RgbToUyvyRowAvx512,
#endif
};
inline constexpr RowVariants<VideoRow> kRgbToY41pRows = {
    .portable = RgbToY41pRowPortable,
#if QCLR_X86_SIMD
    .avx2 = RgbToY41pRowAvx2,
    .avx512 = RgbToY41pRowAvx512,
#endif
};
inline constexpr RowVariants<Yvu9EncodeBand> kRgbToYvu9Bands = {
    .portable = RgbToYvu9BandPortable,
#if QCLR_X86_SIMD
    .avx2 = RgbToYvu9BandAvx2,
    .avx512 = RgbToYvu9BandAvx512,
#endif
};

}  // namespace qclr
