// PNG files through libpng: every colour type is read as RGB (grey spread,
// palettes expanded, transparency as alpha), 16-bit samples rounded to 8 bits;
// RGB is written, with alpha and an iCCP profile when the image has them.
#include <png.h>

#include <cstring>

#include "format_codecs.h"
#include "qclr/qclr.h"
#include "sample_depth.h"

namespace qclr_tool {
namespace {

// libpng reports errors by a long jump back to the setjmp of the call; the state
// that must survive it lives here, outside the jumping frame.
struct PngState {
  const std::vector<uint8_t>* in = nullptr;
  size_t readAt = 0;
  std::vector<uint8_t>* out = nullptr;
  char message[200] = "";
};

void OnError(png_structp png, png_const_charp text) {
  auto* state = static_cast<PngState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", text);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep data, size_t length) {
  auto* state = static_cast<PngState*>(png_get_io_ptr(png));
  if (state->in->size() - state->readAt < length) png_error(png, "the file ends early");
  std::memcpy(data, state->in->data() + state->readAt, length);
  state->readAt += length;
}

void WriteBytes(png_structp png, png_bytep data, size_t length) {
  auto* state = static_cast<PngState*>(png_get_io_ptr(png));
  state->out->insert(state->out->end(), data, data + length);
}

void Flush(png_structp) {}

// Decodes into 8- or 16-bit RGB or RGBA rows. Only plain data cross the jump.
bool ReadRows(png_structp png, png_infop info, PngState* state, std::vector<uint8_t>* rows,
              std::vector<png_bytep>* pointers, uint32_t* width, uint32_t* height, int* channels, int* bits,
              std::vector<uint8_t>* profile) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, state, ReadBytes);
  png_set_user_limits(png, 1u << 24, 1u << 24);
  png_read_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  *bits = png_get_bit_depth(png, info);
  if (static_cast<uint64_t>(*width) * *height > (uint64_t{1} << 28)) png_error(png, "larger than the tool takes");
  const int type = png_get_color_type(png, info);
  png_charp name;
  int compression;
  png_bytep data;
  png_uint_32 length;
  if (png_get_iCCP(png, info, &name, &compression, &data, &length) != 0 && length > 0) {
    profile->assign(data, data + length);
  }
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY && *bits < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(png);
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  *channels = png_get_channels(png, info);
  *bits = png_get_bit_depth(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  rows->resize(rowBytes * *height);
  pointers->resize(*height);
  for (uint32_t y = 0; y < *height; ++y) (*pointers)[y] = rows->data() + y * rowBytes;
  png_read_image(png, pointers->data());
  png_read_end(png, nullptr);
  return true;
}

bool WriteRows(png_structp png, png_infop info, PngState* state, const Image& image,
               const std::vector<uint8_t>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, state, WriteBytes, Flush);
  png_set_benign_errors(png, 1);  // a profile libpng finds wrong is left out, not fatal
  const bool alpha = !image.alpha.empty();
  png_set_IHDR(png, info, static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.profile.empty()) {
    png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, image.profile.data(),
                 static_cast<png_uint_32>(image.profile.size()));
  }
  png_write_info(png, info);
  const size_t rowBytes = static_cast<size_t>(image.width) * (alpha ? 4 : 3);
  for (int32_t y = 0; y < image.height; ++y) {
    png_write_row(png, const_cast<png_bytep>(rows.data() + static_cast<size_t>(y) * rowBytes));
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

bool LooksLikePng(const std::vector<uint8_t>& file) {
  return file.size() >= 8 && png_sig_cmp(file.data(), 0, 8) == 0;
}

bool DecodePng(const std::vector<uint8_t>& file, Image* image, std::string* error) {
  PngState state;
  state.in = &file;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    *error = "out of memory";
    return false;
  }
  std::vector<uint8_t> rows, profile;
  std::vector<png_bytep> pointers;
  uint32_t width = 0, height = 0;
  int channels = 0, bits = 0;
  const bool ok = ReadRows(png, info, &state, &rows, &pointers, &width, &height, &channels, &bits, &profile);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) {
    *error = std::string("malformed PNG: ") + state.message;
    return false;
  }
  if (!SizeWithinLimits(static_cast<int32_t>(width), static_cast<int32_t>(height))) {
    *error = "the image is larger than the tool takes";
    return false;
  }
  image->space = FindSpace(CSP_RGB);
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->fileBits = bits;
  image->profile = std::move(profile);
  const size_t pixels = static_cast<size_t>(width) * height, step = bits == 16 ? 2 : 1;
  image->bytes.resize(pixels * 3);
  if (channels == 4) image->alpha.resize(pixels);
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = rows.data() + i * static_cast<size_t>(channels) * step;
    auto sample = [&](int c) { return step == 2 ? Reduce16(BigEndian16(p + 2 * c)) : p[c]; };
    for (int c = 0; c < 3; ++c) image->bytes[i * 3 + static_cast<size_t>(c)] = sample(c);
    if (channels == 4) image->alpha[i] = sample(3);
  }
  return true;
}

bool EncodePng(const Image& image, std::vector<uint8_t>* file, std::string* error) {
  PngState state;
  state.out = file;
  file->clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    *error = "out of memory";
    return false;
  }
  std::vector<uint8_t> rows;
  if (image.alpha.empty()) {
    rows = image.bytes;
  } else {
    const size_t pixels = image.alpha.size();
    rows.resize(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
      std::memcpy(&rows[i * 4], &image.bytes[i * 3], 3);
      rows[i * 4 + 3] = image.alpha[i];
    }
  }
  const bool ok = WriteRows(png, info, &state, image, rows);
  png_destroy_write_struct(&png, &info);
  if (!ok) *error = std::string("PNG: ") + state.message;
  return ok;
}

}  // namespace qclr_tool
