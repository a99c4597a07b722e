// JPEG files through libjpeg: RGB and YCbCr are read as RGB, grey as RGB with the
// grey spread over the three channels, CMYK and YCCK as CMYK. Files with the APP14
// transform marker store their inks inverted (0 = full ink), as the common writers
// do; they are turned back into the library's convention (0 = no ink) and written
// the same way. ICC profiles travel in APP2 markers, split over as many as needed.
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>

#include "format_codecs.h"
#include "qclr/qclr.h"

namespace qclr_tool {
namespace {

constexpr int kQuality = 92;

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  info->err->format_message(info, error->message);
  std::longjmp(error->jump, 1);
}

void OnMessage(j_common_ptr, int) {}

void Invert(uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(255 - bytes[i]);
}

// The decompression itself; only plain data cross the jump.
bool ReadJpeg(jpeg_decompress_struct* info, JpegError* error, const std::vector<uint8_t>& file,
              Image* image, JOCTET** profile, unsigned* profileLength, bool* inverted) {
  if (setjmp(error->jump)) return false;
  jpeg_create_decompress(info);
  jpeg_mem_src(info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_save_markers(info, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(info, TRUE);
  const bool inks = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
  info->out_color_space = inks ? JCS_CMYK : JCS_RGB;
  if (!jpeg_read_icc_profile(info, profile, profileLength)) *profileLength = 0;
  jpeg_start_decompress(info);
  if (!SizeWithinLimits(static_cast<int32_t>(info->output_width), static_cast<int32_t>(info->output_height))) {
    std::snprintf(error->message, sizeof error->message, "the image is larger than the tool takes");
    return false;
  }
  image->space = FindSpace(inks ? CSP_CMYK : CSP_RGB);
  image->width = static_cast<int32_t>(info->output_width);
  image->height = static_cast<int32_t>(info->output_height);
  const size_t rowBytes = static_cast<size_t>(info->output_width) * static_cast<size_t>(info->output_components);
  image->bytes.resize(rowBytes * info->output_height);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = image->bytes.data() + rowBytes * info->output_scanline;
    jpeg_read_scanlines(info, &row, 1);
  }
  *inverted = inks && info->saw_Adobe_marker;
  jpeg_finish_decompress(info);
  return true;
}

bool WriteJpeg(jpeg_compress_struct* info, JpegError* error, const Image& image, unsigned char** out,
               unsigned long* outSize, const std::vector<uint8_t>& samples) {
  if (setjmp(error->jump)) return false;
  jpeg_create_compress(info);
  jpeg_mem_dest(info, out, outSize);
  const bool inks = image.space->code == CSP_CMYK;
  info->image_width = static_cast<JDIMENSION>(image.width);
  info->image_height = static_cast<JDIMENSION>(image.height);
  info->input_components = inks ? 4 : 3;
  info->in_color_space = inks ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(info);  // CMYK is stored as CMYK, with the APP14 marker
  jpeg_set_quality(info, kQuality, TRUE);
  jpeg_start_compress(info, TRUE);
  if (!image.profile.empty()) {
    jpeg_write_icc_profile(info, image.profile.data(), static_cast<unsigned>(image.profile.size()));
  }
  const size_t rowBytes = static_cast<size_t>(image.width) * (inks ? 4 : 3);
  while (info->next_scanline < info->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + rowBytes * info->next_scanline);
    jpeg_write_scanlines(info, &row, 1);
  }
  jpeg_finish_compress(info);
  return true;
}

}  // namespace

bool LooksLikeJpeg(const std::vector<uint8_t>& file) {
  return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

bool DecodeJpeg(const std::vector<uint8_t>& file, Image* image, std::string* error) {
  jpeg_decompress_struct info;
  JpegError jpegError;
  info.err = jpeg_std_error(&jpegError.manager);
  jpegError.manager.error_exit = OnError;
  jpegError.manager.emit_message = OnMessage;
  JOCTET* profile = nullptr;
  unsigned profileLength = 0;
  bool inverted = false;
  const bool ok = ReadJpeg(&info, &jpegError, file, image, &profile, &profileLength, &inverted);
  jpeg_destroy_decompress(&info);
  if (profile != nullptr) {
    if (ok) image->profile.assign(profile, profile + profileLength);
    std::free(profile);
  }
  if (!ok) {
    *error = std::string("malformed JPEG: ") + jpegError.message;
    return false;
  }
  if (inverted) Invert(image->bytes.data(), image->bytes.size());
  return true;
}

bool EncodeJpeg(const Image& image, std::vector<uint8_t>* file, std::string* error) {
  std::vector<uint8_t> samples = image.bytes;
  if (image.space->code == CSP_CMYK) Invert(samples.data(), samples.size());
  jpeg_compress_struct info;
  JpegError jpegError;
  info.err = jpeg_std_error(&jpegError.manager);
  jpegError.manager.error_exit = OnError;
  jpegError.manager.emit_message = OnMessage;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const bool ok = WriteJpeg(&info, &jpegError, image, &out, &outSize, samples);
  jpeg_destroy_compress(&info);
  if (ok) file->assign(out, out + outSize);
  std::free(out);
  if (!ok) *error = std::string("JPEG: ") + jpegError.message;
  return ok;
}

}  // namespace qclr_tool
