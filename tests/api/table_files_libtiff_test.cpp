// Custom emulation tables in TIFF files written by a real TIFF library: the
// layouts it produces are read, the ones the reader does not handle are refused,
// and a refused file leaves neither a handle nor a table behind.
#include <tiffio.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/clr_handle.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::HandleGuard;

struct TiffLayout {
  const char* mode = "wl";  // "wl" little-endian ("II"), "wb" big-endian ("MM")
  uint32_t rowsPerStrip = 0;  // 0: the whole image in one strip
  uint16_t bits = 8;
  uint16_t compression = COMPRESSION_NONE;
};

// Writes `pixels` (8-bit samples, 3 a pixel) as a TIFF image `width` pixels wide;
// 16-bit files carry each sample widened. Returns the number of strips.
uint32_t WriteTiff(const std::string& path, const std::vector<uint8_t>& pixels, uint32_t width,
                   const TiffLayout& layout) {
  TIFF* tif = TIFFOpen(path.c_str(), layout.mode);
  if (tif == nullptr) {
    ADD_FAILURE() << "cannot write " << path;
    return 0;
  }
  const uint32_t height = static_cast<uint32_t>(pixels.size() / (3 * width));
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.bits);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip == 0 ? height : layout.rowsPerStrip);
  std::vector<uint8_t> line(3 * width * (layout.bits / 8));
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels.data() + size_t{y} * 3 * width;
    if (layout.bits == 16) {
      for (uint32_t i = 0; i < 3 * width; ++i) line[2 * i] = line[2 * i + 1] = row[i];
    } else {
      std::memcpy(line.data(), row, line.size());
    }
    EXPECT_EQ(TIFFWriteScanline(tif, line.data(), y, 0), 1);
  }
  const uint32_t strips = TIFFNumberOfStrips(tif);
  TIFFClose(tif);
  return strips;
}

// The bytes 0..3 of a file: "II*\0" or "MM\0*".
std::string Signature(const std::string& path) {
  std::vector<uint8_t> head(4);
  FILE* f = std::fopen(path.c_str(), "rb");
  EXPECT_NE(f, nullptr);
  EXPECT_EQ(std::fread(head.data(), 1, 4, f), 4u);
  std::fclose(f);
  return {head.begin(), head.begin() + 2};
}

ConversionParams TableParams(const std::string& file) {
  ConversionParams p = test::Params(METHOD_CUSTOM_TABLES, METHOD_CUSTOM_TABLES | METHOD_BUILTIN_TABLES);
  test::SetName(p.tableFileName, file);
  return p;
}

TEST(TableFilesLibtiff, ReadsOneOrSeveralStripsInEitherByteOrder) {
  test::ScratchDir dir;
  struct Case {
    int32_t src, dst, resource;
    uint32_t width;
    TiffLayout layout;
    const char* signature;
  };
  const Case cases[] = {
      {CSP_LAB, CSP_RGB, 112, 190, {"wl", 0}, "II"},
      {CSP_LAB, CSP_BGR, 112, 190, {"wb", 0}, "MM"},
      {CSP_RGB, CSP_LAB, 113, 190, {"wl", 7}, "II"},
      {CSP_BGR, CSP_LAB, 113, 190, {"wb", 16}, "MM"},
      {CSP_CMYK, CSP_RGB, 111, 289, {"wb", 5}, "MM"},
      {CSP_CMYK, CSP_BGR, 111, 289, {"wl", 0}, "II"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    // The built-in table, so that the handle must convert like the built-in one.
    const std::vector<uint8_t> table = test::ResourceCopy("ET", c.resource);
    const std::string path = dir.Path(std::to_string(n++).append(".tif"));
    const uint32_t strips = WriteTiff(path, table, c.width, c.layout);
    EXPECT_EQ(strips > 1, c.layout.rowsPerStrip != 0);
    EXPECT_EQ(Signature(path), c.signature);

    ConversionParams p = TableParams(path);
    HandleGuard custom, builtin;
    ASSERT_EQ(Q_ClrInit(&custom.h, c.src, c.dst, &p), CLR_OK);
    ASSERT_NE(custom.h->customTable, nullptr);
    EXPECT_EQ(std::memcmp(custom.h->customTable, table.data(), table.size()), 0);
    p.method = METHOD_BUILTIN_TABLES;
    ASSERT_EQ(Q_ClrInit(&builtin.h, c.src, c.dst, &p), CLR_OK);
    const int32_t srcBytes = c.src == CSP_CMYK ? 4 : 3;
    const std::vector<uint8_t> src = test::RandomBytes(size_t(srcBytes) * 40 * 3, 7);
    std::vector<uint8_t> viaFile(3 * 40 * 3), viaResource(viaFile.size());
    ASSERT_EQ(Q_ClrConvert(custom.h, src.data(), viaFile.data(), 40, 3, 0, 0), CLR_OK);
    ASSERT_EQ(Q_ClrConvert(builtin.h, src.data(), viaResource.data(), 40, 3, 0, 0), CLR_OK);
    EXPECT_EQ(viaFile, viaResource);
  }
}

TEST(TableFilesLibtiff, RefusedFilesLeaveNoHandleAndNoTable) {
  test::ScratchDir dir;
  const std::vector<uint8_t> table = test::ResourceCopy("ET", 112);
  const std::string good = dir.Path("good.tif");
  WriteTiff(good, table, 190, {});

  struct Case {
    const char* what;
    std::vector<uint8_t> pixels;
    uint32_t width;
    TiffLayout layout;
    uintmax_t truncateBy;
  };
  const std::vector<uint8_t> shortTable(table.begin(), table.begin() + 190 * 189 * 3);
  const Case cases[] = {
      {"compressed", table, 190, {"wl", 0, 8, COMPRESSION_PACKBITS}, 0},
      {"compressed in strips", table, 190, {"wb", 9, 8, COMPRESSION_LZW}, 0},
      {"16-bit samples", table, 190, {"wl", 0, 16}, 0},
      {"one row short", shortTable, 190, {}, 0},
      {"truncated", table, 190, {"wl", 0}, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.Path(std::string(c.what) + ".tif");
    WriteTiff(path, c.pixels, c.width, c.layout);
    if (c.truncateBy > 0) {
      // libtiff puts the directory behind the pixel data: the cut loses it and
      // the end of the data.
      const uintmax_t size = std::filesystem::file_size(path);
      std::filesystem::resize_file(path, size - c.truncateBy);
    }
    ConversionParams p = TableParams(path);
    const int before = test::LiveHandles();
    ClrHandle* h = nullptr;
    EXPECT_EQ(Q_ClrInit(&h, CSP_LAB, CSP_RGB, &p), CLR_ERR_TABLE_FORMAT);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(test::LiveHandles(), before);

    // A good table replaced by a refused file is dropped, not kept half read.
    ConversionParams goodParams = TableParams(good);
    HandleGuard g;
    ASSERT_EQ(Q_ClrInit(&g.h, CSP_LAB, CSP_RGB, &goodParams), CLR_OK);
    p.flags = 8;
    EXPECT_EQ(Q_ClrSetConversionParams(g.h, &p), CLR_ERR_TABLE_FORMAT);
    EXPECT_EQ(g.h->customTable, nullptr);
    std::vector<uint8_t> lab(3 * 4, 100), rgb(3 * 4, 0x5A);
    EXPECT_EQ(Q_ClrConvert(g.h, lab.data(), rgb.data(), 4, 1, 0, 0), CLR_ERR_METHOD);
    EXPECT_EQ(rgb, std::vector<uint8_t>(3 * 4, 0x5A));
  }
}

TEST(TableFilesLibtiff, NameOf259CharactersIsAcceptedAnd260Refused) {
  test::ScratchDir dir;
  const std::string root = dir.root().string() + "/";
  const size_t folderLength = 259 - root.size() - std::string("/t.tif").size();
  ASSERT_LT(folderLength, 256u);
  const std::string folder = root + std::string(folderLength, 'd');
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/t.tif";
  ASSERT_EQ(path.size(), 259u);
  WriteTiff(path, test::ResourceCopy("ET", 113), 190, {});

  ConversionParams p = TableParams(path);
  HandleGuard g;
  EXPECT_EQ(Q_ClrInit(&g.h, CSP_RGB, CSP_LAB, &p), CLR_OK);
  const std::string longer = path + "f";  // fills the whole field, no terminator
  std::memcpy(p.tableFileName, longer.data(), QCLR_FILE_NAME_SIZE);
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, CSP_RGB, CSP_LAB, &p), CLR_ERR_FILE_NAME);
  p.flags = 8;
  EXPECT_EQ(Q_ClrSetConversionParams(g.h, &p), CLR_ERR_FILE_NAME);
  EXPECT_NE(g.h->customTable, nullptr);  // the name check comes first
}

}  // namespace
}  // namespace qclr
