// Emulation tables in TIFF files written by a real TIFF library: the layouts it
// produces are read, the ones the reader does not handle are refused.
#include <tiffio.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/table_image.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"

namespace qclr {
namespace {

TEST(TableFilesLibtiff, ReadsPlainLayoutsAndRefusesTheOthers) {
  test::ScratchDir dir;
  const std::vector<uint8_t> table = test::ResourceCopy("ET", 112);  // 190 x 190 RGB
  const struct {
    const char* mode;       // "wl" little-endian, "wb" big-endian
    uint32_t rowsPerStrip;  // 0: the whole image in one strip
    uint16_t bits, compression;
    int32_t status;
  } cases[] = {
      {"wl", 0, 8, COMPRESSION_NONE, CLR_OK},
      {"wb", 16, 8, COMPRESSION_NONE, CLR_OK},
      {"wl", 7, 8, COMPRESSION_NONE, CLR_OK},
      {"wl", 0, 8, COMPRESSION_PACKBITS, CLR_ERR_TABLE_FORMAT},
      {"wb", 9, 8, COMPRESSION_LZW, CLR_ERR_TABLE_FORMAT},
      {"wl", 0, 16, COMPRESSION_NONE, CLR_ERR_TABLE_FORMAT},  // each sample widened
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    const std::string path = dir.Path(std::to_string(n++) + ".tif");
    TIFF* tif = TIFFOpen(path.c_str(), c.mode);
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 190);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 190);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, c.bits);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, c.compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, c.rowsPerStrip == 0 ? 190 : c.rowsPerStrip);
    std::vector<uint8_t> line(190 * 3 * c.bits / 8);
    for (uint32_t y = 0; y < 190; ++y) {
      for (size_t i = 0; i < line.size(); ++i) line[i] = table[y * 190 * 3 + (c.bits == 16 ? i / 2 : i)];
      ASSERT_EQ(TIFFWriteScanline(tif, line.data(), y, 0), 1);
    }
    EXPECT_EQ(TIFFNumberOfStrips(tif) > 1, c.rowsPerStrip != 0);
    TIFFClose(tif);

    std::vector<uint8_t> read(table.size());
    EXPECT_EQ(ReadTableImage(path.c_str(), read.data(), read.size(), read.size()), c.status);
    EXPECT_TRUE(c.status != CLR_OK || read == table);
  }
}

}  // namespace
}  // namespace qclr
