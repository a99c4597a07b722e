// Soft proof of an RGB image on the built-in press: RGB into CMYK through the
// built-in ICC profiles, then back into RGB as a bitmap, with the largest change
// that printing would make. Shows handles owned by C++ objects and bitmap output.
//
//   c++ -std=c++17 press_proof.cpp $(pkg-config --cflags --libs qclr) -o press_proof
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <qclr/qclr.h>

namespace {

void Check(int32_t status, const char* call) {
  if (status != CLR_OK) throw std::runtime_error(std::string(call) + " failed with status " + std::to_string(status));
}

// A conversion handle that frees itself.
class Converter {
 public:
  Converter(int32_t src, int32_t dst, int32_t method, uint32_t whiteKind = 50) {
    WhitePoint white{whiteKind, 0, 0.0, 0.0};
    ConversionParams params{};
    params.structSize = QCLR_CONVERSION_PARAMS_SIZE;
    params.method = method;
    params.flags = static_cast<uint32_t>(method);
    params.whitePoint = &white;  // copied by Q_ClrInit
    ClrHandle* h = nullptr;
    Check(Q_ClrInit(&h, src, dst, &params), "Q_ClrInit");
    handle_.reset(h);
  }

  void Convert(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height) const {
    Check(Q_ClrConvert(handle_.get(), src, dst, width, height, 0, 0), "Q_ClrConvert");
  }

  // The result as a bitmap whose rows are bytesPerLine apart (a multiple of 4).
  BitmapRecord ToBitmap(const uint8_t* src, int32_t width, int32_t height) const {
    BitmapRecord bitmap{};
    Check(Q_ClrConvertToBitmap(handle_.get(), src, &bitmap, width, height, 0, 0), "Q_ClrConvertToBitmap");
    return bitmap;
  }

 private:
  struct Free {
    void operator()(ClrHandle* h) const { Q_ClrFree(h); }
  };
  std::unique_ptr<ClrHandle, Free> handle_;
};

// Row y of a bitmap, whatever storage the library chose for it.
std::vector<uint8_t> BitmapRow(const BitmapRecord& bitmap, int32_t y) {
  std::vector<uint8_t> row(static_cast<size_t>(bitmap.width) * 3);
  const size_t line = static_cast<size_t>(bitmap.bytesPerLine);
  if (bitmap.storageFlags & QCLR_BITMAP_TILED) {
    const auto* table = static_cast<const BitmapTileTable*>(bitmap.data);
    const auto* tiles = reinterpret_cast<const BitmapTile*>(table + 1);
    const uint32_t tile = static_cast<uint32_t>(y) / table->rowsPerTile;
    const uint32_t inTile = static_cast<uint32_t>(y) % table->rowsPerTile;
    std::memcpy(row.data(), tiles[tile].view + inTile * line, row.size());
  } else if (bitmap.storageFlags & QCLR_BITMAP_ON_DISK) {
    std::FILE* f = std::fopen(static_cast<const char*>(bitmap.data), "rb");
    if (f == nullptr || std::fseek(f, static_cast<long>(y * line), SEEK_SET) != 0 ||
        std::fread(row.data(), 1, row.size(), f) != row.size()) {
      throw std::runtime_error("cannot read the bitmap's file");
    }
    std::fclose(f);
  } else {
    std::memcpy(row.data(), static_cast<const uint8_t*>(bitmap.data) + y * line, row.size());
  }
  return row;
}

}  // namespace

int main() {
  const int32_t width = 64, height = 48;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / (width - 1));
      p[1] = static_cast<uint8_t>(y * 255 / (height - 1));
      p[2] = static_cast<uint8_t>(255 - x * 255 / (width - 1));
    }
  }
  try {
    std::vector<uint8_t> cmyk(static_cast<size_t>(width) * height * 4);
    Converter(CSP_RGB, CSP_CMYK, METHOD_ICC).Convert(rgb.data(), cmyk.data(), width, height);

    const Converter proof(CSP_CMYK, CSP_RGB, METHOD_ICC);
    BitmapRecord bitmap = proof.ToBitmap(cmyk.data(), width, height);
    int worst = 0;
    for (int32_t y = 0; y < height; ++y) {
      const std::vector<uint8_t> row = BitmapRow(bitmap, y);
      for (size_t i = 0; i < row.size(); ++i) {
        const int d = std::abs(row[i] - rgb[static_cast<size_t>(y) * width * 3 + i]);
        worst = d > worst ? d : worst;
      }
    }
    std::printf("%d x %d bitmap, %d bytes a row; printing changes a channel by up to %d levels\n",
                bitmap.width, bitmap.height, bitmap.bytesPerLine, worst);
    Check(Q_ClrFreeBitmap(&bitmap), "Q_ClrFreeBitmap");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "press_proof: %s\n", e.what());
    return 1;
  }
  return 0;
}
