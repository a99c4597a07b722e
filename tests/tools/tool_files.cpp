#include "tools/tool_files.h"

#include <png.h>
#include <sys/wait.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <gtest/gtest.h>

namespace qclr::test {
namespace {

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& args, const std::string& stdinFile, const std::string& environment) {
  static int counter = 0;
  const std::string base = (std::filesystem::path(::testing::TempDir()) /
                            ("qclr_run_" + std::to_string(getpid()) + "_" + std::to_string(counter++)))
                               .string();
  std::string command = environment + " " + Quoted(QCLR_TOOL_PATH);
  for (const std::string& a : args) command += " " + Quoted(a);
  command += " < " + Quoted(stdinFile.empty() ? "/dev/null" : stdinFile);
  command += " > " + Quoted(base + ".out") + " 2> " + Quoted(base + ".err");
  const int status = std::system(command.c_str());
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = Slurp(base + ".out");
  run.err = Slurp(base + ".err");
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return run;
}

ToolRun RunConvert(const std::vector<std::string>& options, const std::string& in, const std::string& out) {
  std::vector<std::string> args = {"convert"};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {in, out});
  return RunTool(args);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  const std::string s = Slurp(path);
  return {s.begin(), s.end()};
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Pixels Pattern(int width, int height, int channels, int bits) {
  Pixels p;
  p.width = width;
  p.height = height;
  p.channels = channels;
  p.bits = bits;
  const int bytes = bits / 8;
  p.samples.resize(static_cast<size_t>(width) * height * channels * bytes);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        const size_t i = ((static_cast<size_t>(y) * width + x) * channels + c) * bytes;
        const unsigned v = static_cast<unsigned>((x * 255 / std::max(1, width - 1) * (c % 2 == 0 ? 1 : 0) +
                                                  y * 255 / std::max(1, height - 1) * (c % 2 == 1 ? 1 : 0) +
                                                  (c == 2 ? 60 : 0) + (c == 3 ? 200 : 0)) %
                                                 256);
        if (bytes == 1) {
          p.samples[i] = static_cast<uint8_t>(v);
        } else {  // 16 bits: the byte value spread, plus a low part that rounding must handle
          const unsigned wide = v * 257 + ((x + y) % 2 == 0 ? 100 : 0);
          const unsigned w16 = std::min(wide, 65535u);
          p.samples[i] = static_cast<uint8_t>(w16 >> 8);
          p.samples[i + 1] = static_cast<uint8_t>(w16 & 255);
        }
      }
    }
  }
  return p;
}

void WritePng(const std::string& path, const Pixels& p) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  const int type = p.channels == 1 ? PNG_COLOR_TYPE_GRAY : p.channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA;
  png_set_IHDR(png, info, static_cast<uint32_t>(p.width), static_cast<uint32_t>(p.height), p.bits, type,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!p.profile.empty()) {
    png_set_iCCP(png, info, "test", 0, p.profile.data(), static_cast<uint32_t>(p.profile.size()));
  }
  png_write_info(png, info);
  const size_t row = static_cast<size_t>(p.width) * p.channels * (p.bits / 8);
  for (int y = 0; y < p.height; ++y) png_write_row(png, p.samples.data() + row * static_cast<size_t>(y));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

Pixels ReadPng(const std::string& path) {
  Pixels p;
  FILE* f = std::fopen(path.c_str(), "rb");
  EXPECT_NE(f, nullptr) << path;
  if (f == nullptr) return p;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_read_info(png, info);
  p.width = static_cast<int>(png_get_image_width(png, info));
  p.height = static_cast<int>(png_get_image_height(png, info));
  p.channels = png_get_channels(png, info);
  p.bits = png_get_bit_depth(png, info);
  png_charp name;
  int compression;
  png_bytep data;
  png_uint_32 length;
  if (png_get_iCCP(png, info, &name, &compression, &data, &length) != 0) p.profile.assign(data, data + length);
  const size_t row = png_get_rowbytes(png, info);
  p.samples.resize(row * static_cast<size_t>(p.height));
  for (int y = 0; y < p.height; ++y) png_read_row(png, p.samples.data() + row * static_cast<size_t>(y), nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return p;
}

void WriteJpeg(const std::string& path, const Pixels& p, bool ycck, int quality) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  jpeg_compress_struct c;
  jpeg_error_mgr error;
  c.err = jpeg_std_error(&error);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = static_cast<JDIMENSION>(p.width);
  c.image_height = static_cast<JDIMENSION>(p.height);
  c.input_components = p.channels;
  c.in_color_space = p.channels == 1 ? JCS_GRAYSCALE : p.channels == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&c);
  if (ycck) jpeg_set_colorspace(&c, JCS_YCCK);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  if (!p.profile.empty()) jpeg_write_icc_profile(&c, p.profile.data(), static_cast<unsigned>(p.profile.size()));
  std::vector<uint8_t> row(static_cast<size_t>(p.width) * p.channels);
  for (int y = 0; y < p.height; ++y) {
    for (size_t i = 0; i < row.size(); ++i) {
      const uint8_t v = p.samples[static_cast<size_t>(y) * row.size() + i];
      row[i] = p.channels == 4 ? static_cast<uint8_t>(255 - v) : v;  // inks stored inverted
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

Pixels ReadJpeg(const std::string& path) {
  Pixels p;
  FILE* f = std::fopen(path.c_str(), "rb");
  EXPECT_NE(f, nullptr) << path;
  if (f == nullptr) return p;
  jpeg_decompress_struct d;
  jpeg_error_mgr error;
  d.err = jpeg_std_error(&error);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, f);
  jpeg_save_markers(&d, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&d, TRUE);
  JOCTET* profile = nullptr;
  unsigned length = 0;
  if (jpeg_read_icc_profile(&d, &profile, &length)) {
    p.profile.assign(profile, profile + length);
    std::free(profile);
  }
  jpeg_start_decompress(&d);
  p.width = static_cast<int>(d.output_width);
  p.height = static_cast<int>(d.output_height);
  p.channels = d.output_components;
  p.invertedInks = d.saw_Adobe_marker;
  p.samples.resize(static_cast<size_t>(p.width) * p.height * p.channels);
  while (d.output_scanline < d.output_height) {
    JSAMPROW r = p.samples.data() + static_cast<size_t>(d.output_scanline) * p.width * p.channels;
    jpeg_read_scanlines(&d, &r, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::fclose(f);
  return p;
}

void WriteTiff(const std::string& path, const Pixels& p, uint16_t photometric, bool tiled, bool planar) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  const int bytes = p.bits / 8;
  const bool alpha = (photometric == PHOTOMETRIC_RGB && p.channels == 4);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(p.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(p.height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(p.channels));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(p.bits));
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  if (photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (alpha) {
    const uint16_t kind = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  if (!p.profile.empty()) {
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(p.profile.size()), p.profile.data());
  }
  // Samples in host order for libtiff: the pattern stores 16-bit values big-endian.
  auto sample = [&](int x, int y, int c) -> uint32_t {
    const size_t i = ((static_cast<size_t>(y) * p.width + x) * p.channels + c) * bytes;
    return bytes == 1 ? p.samples[i] : (p.samples[i] << 8 | p.samples[i + 1]);
  };
  const int planes = planar ? p.channels : 1, perPixel = planar ? 1 : p.channels;
  auto fill = [&](std::vector<uint8_t>* block, int x0, int y0, int w, int h, int plane) {
    block->assign(static_cast<size_t>(w) * h * perPixel * bytes, 0);
    for (int y = 0; y < h && y0 + y < p.height; ++y) {
      for (int x = 0; x < w && x0 + x < p.width; ++x) {
        for (int s = 0; s < perPixel; ++s) {
          const uint32_t v = sample(x0 + x, y0 + y, planar ? plane : s);
          const size_t at = (static_cast<size_t>(y) * w + x) * perPixel + s;
          if (bytes == 1) {
            (*block)[at] = static_cast<uint8_t>(v);
          } else {
            const uint16_t w16 = static_cast<uint16_t>(v);
            std::memcpy(&(*block)[at * 2], &w16, 2);
          }
        }
      }
    }
  };
  std::vector<uint8_t> block;
  if (tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    for (int plane = 0; plane < planes; ++plane) {
      for (int y0 = 0; y0 < p.height; y0 += 16) {
        for (int x0 = 0; x0 < p.width; x0 += 16) {
          fill(&block, x0, y0, 16, 16, plane);
          ASSERT_GE(TIFFWriteTile(tif, block.data(), static_cast<uint32_t>(x0), static_cast<uint32_t>(y0), 0,
                                  static_cast<uint16_t>(plane)),
                    0);
        }
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
    for (int plane = 0; plane < planes; ++plane) {
      for (int y = 0; y < p.height; ++y) {
        fill(&block, 0, y, p.width, 1, plane);
        ASSERT_EQ(TIFFWriteScanline(tif, block.data(), static_cast<uint32_t>(y), static_cast<uint16_t>(plane)), 1);
      }
    }
  }
  TIFFClose(tif);
}

Pixels ReadTiff(const std::string& path) {
  Pixels p;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  EXPECT_NE(tif, nullptr) << path;
  if (tif == nullptr) return p;
  uint32_t w = 0, h = 0;
  uint16_t spp = 0, bits = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric);
  uint32_t length = 0;
  void* data = nullptr;
  if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &length, &data)) {
    p.profile.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + length);
  }
  p.width = static_cast<int>(w);
  p.height = static_cast<int>(h);
  p.channels = spp;
  p.bits = bits;
  const size_t row = static_cast<size_t>(TIFFScanlineSize(tif));
  p.samples.resize(row * h);
  for (uint32_t y = 0; y < h; ++y) TIFFReadScanline(tif, p.samples.data() + row * y, y, 0);
  TIFFClose(tif);
  return p;
}

Pixels ReadPnm(const std::string& path, std::string* type) {
  Pixels p;
  const std::vector<uint8_t> bytes = ReadBytes(path);
  std::string text(bytes.begin(), bytes.end());
  size_t data = 0;
  if (text.rfind("P7", 0) == 0) {
    const size_t end = text.find("ENDHDR\n");
    EXPECT_NE(end, std::string::npos);
    std::istringstream header(text.substr(0, end));
    std::string key, value;
    while (header >> key) {
      if (key == "P7") continue;
      header >> value;
      if (key == "WIDTH") p.width = std::stoi(value);
      if (key == "HEIGHT") p.height = std::stoi(value);
      if (key == "DEPTH") p.channels = std::stoi(value);
      if (key == "TUPLTYPE" && type != nullptr) *type = value;
    }
    data = end + 7;
  } else {
    std::istringstream header(text);
    std::string magic;
    int maxval = 0;
    header >> magic >> p.width >> p.height >> maxval;
    data = static_cast<size_t>(header.tellg()) + 1;
    p.channels = 3;
    if (type != nullptr) *type = magic;
  }
  p.samples.assign(bytes.begin() + static_cast<ptrdiff_t>(data), bytes.end());
  return p;
}

Pixels ReadImage(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  return extension == ".tif" ? ReadTiff(path) : extension == ".png" ? ReadPng(path)
                             : extension == ".jpg" ? ReadJpeg(path) : ReadPnm(path);
}

}  // namespace qclr::test
