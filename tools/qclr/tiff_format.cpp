// TIFF files through libtiff. Read: RGB, separated CMYK, CIE Lab (a, b signed) and
// ICC Lab (a, b + 128), grey as RGB; 8 or 16 bits a sample (16 rounded to 8),
// strips or tiles, samples interleaved or in planes, an alpha extra sample, the ICC
// profile tag. Any other kind (palette, YCbCr, 1-bit ...) is read as 8-bit RGB
// through libtiff's RGBA reader. Written: 8-bit RGB, CMYK or Lab, LZW-compressed
// strips, with alpha and the profile when the image has them.
#include <cstring>

#include "format_codecs.h"
#include "qclr/qclr.h"
#include "sample_depth.h"
#include "tiff_memory.h"

namespace qclr_tool {
namespace {

struct TiffLayout {
  uint32_t width = 0, height = 0;
  uint16_t samples = 0, bits = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
  uint16_t colour = 0;  // colour samples; the rest are extra samples
  int alphaSample = -1;  // index of the alpha sample, or -1
};

// Every sample of the image as 16-bit values (8-bit files keep 0..255), pixel by
// pixel, `samples` a pixel, whether the file stores strips or tiles, interleaved
// or in planes.
bool ReadAllSamples(TIFF* tif, const TiffLayout& l, std::vector<uint16_t>* out, std::string* error) {
  const bool tiled = TIFFIsTiled(tif) != 0;
  uint32_t blockWidth = l.width, blockHeight = l.height;
  if (tiled) {
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &blockWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &blockHeight);
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &blockHeight);
    blockHeight = std::min(blockHeight, l.height);
  }
  if (blockWidth == 0 || blockHeight == 0 || uint64_t{blockWidth} * blockHeight > (uint64_t{1} << 28)) {
    *error = "malformed TIFF: empty or oversized tiles or strips";
    return false;
  }
  const bool planes = l.planar == PLANARCONFIG_SEPARATE;
  const uint32_t perBlockPixel = planes ? 1 : l.samples;
  const size_t blockBytes = static_cast<size_t>(blockWidth) * blockHeight * perBlockPixel * (l.bits / 8);
  std::vector<uint8_t> block(tiled ? static_cast<size_t>(TIFFTileSize(tif)) : static_cast<size_t>(TIFFStripSize(tif)));
  if (block.size() < blockBytes) block.resize(blockBytes);
  out->assign(static_cast<size_t>(l.width) * l.height * l.samples, 0);
  for (uint16_t plane = 0; plane < (planes ? l.samples : 1); ++plane) {
    for (uint32_t y0 = 0; y0 < l.height; y0 += blockHeight) {
      for (uint32_t x0 = 0; x0 < l.width; x0 += blockWidth) {
        const tmsize_t got =
            tiled ? TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, plane), block.data(),
                                        static_cast<tmsize_t>(block.size()))
                  : TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y0, plane), block.data(),
                                         static_cast<tmsize_t>(block.size()));
        if (got < 0) {
          *error = "cannot decode TIFF data: " + TakeTiffError();
          return false;
        }
        const uint32_t rows = std::min(blockHeight, l.height - y0), columns = std::min(blockWidth, l.width - x0);
        for (uint32_t y = 0; y < rows; ++y) {
          for (uint32_t x = 0; x < columns; ++x) {
            for (uint32_t s = 0; s < perBlockPixel; ++s) {
              const size_t in = (static_cast<size_t>(y) * blockWidth + x) * perBlockPixel + s;
              const uint16_t v = l.bits == 16 ? reinterpret_cast<const uint16_t*>(block.data())[in] : block[in];
              const size_t pixel = static_cast<size_t>(y0 + y) * l.width + (x0 + x);
              (*out)[pixel * l.samples + (planes ? plane : s)] = v;
            }
          }
        }
      }
    }
  }
  return true;
}

// Samples of one pixel as the library's bytes.
void StoreColour(const TiffLayout& l, const uint16_t* s, uint8_t* out) {
  const bool wide = l.bits == 16;
  auto plain = [&](int c) { return wide ? Reduce16(s[c]) : static_cast<uint8_t>(s[c]); };
  switch (l.photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: {
      const uint8_t grey = plain(0);
      out[0] = out[1] = out[2] = l.photometric == PHOTOMETRIC_MINISWHITE ? static_cast<uint8_t>(255 - grey) : grey;
      break;
    }
    case PHOTOMETRIC_CIELAB:
      out[0] = plain(0);
      for (int c = 1; c < 3; ++c) {
        out[c] = wide ? ReduceSignedLab16(static_cast<int16_t>(s[c])) : static_cast<uint8_t>(s[c]);
      }
      break;
    case PHOTOMETRIC_ICCLAB:
      out[0] = plain(0);
      for (int c = 1; c < 3; ++c) out[c] = wide ? ReduceOffsetLab16(s[c]) : static_cast<uint8_t>(s[c]);
      break;
    default:
      for (int c = 0; c < l.colour; ++c) out[c] = plain(c);
  }
}

bool DecodeBySamples(TIFF* tif, const TiffLayout& l, Image* image, std::string* error) {
  std::vector<uint16_t> samples;
  if (!ReadAllSamples(tif, l, &samples, error)) return false;
  const size_t pixels = static_cast<size_t>(l.width) * l.height;
  const size_t bytesPerPixel = static_cast<size_t>(image->space->groupBytes);
  image->bytes.resize(pixels * bytesPerPixel);
  if (l.alphaSample >= 0) image->alpha.resize(pixels);
  for (size_t i = 0; i < pixels; ++i) {
    const uint16_t* s = &samples[i * l.samples];
    StoreColour(l, s, &image->bytes[i * bytesPerPixel]);
    if (l.alphaSample >= 0) {
      const uint16_t a = s[l.alphaSample];
      image->alpha[i] = l.bits == 16 ? Reduce16(a) : static_cast<uint8_t>(a);
    }
  }
  return true;
}

// Anything else, through libtiff's RGBA reader (8 bits a sample).
bool DecodeByRgba(TIFF* tif, const TiffLayout& l, Image* image, std::string* error) {
  std::vector<uint32_t> rgba(static_cast<size_t>(l.width) * l.height);
  if (TIFFReadRGBAImageOriented(tif, l.width, l.height, rgba.data(), ORIENTATION_TOPLEFT, 0) == 0) {
    *error = "unsupported TIFF (photometric " + std::to_string(l.photometric) + ", " +
             std::to_string(l.bits) + " bits): " + TakeTiffError();
    return false;
  }
  image->space = FindSpace(CSP_RGB);
  image->fileBits = 8;
  image->bytes.resize(rgba.size() * 3);
  if (l.samples > l.colour) image->alpha.resize(rgba.size());
  for (size_t i = 0; i < rgba.size(); ++i) {
    image->bytes[i * 3] = static_cast<uint8_t>(TIFFGetR(rgba[i]));
    image->bytes[i * 3 + 1] = static_cast<uint8_t>(TIFFGetG(rgba[i]));
    image->bytes[i * 3 + 2] = static_cast<uint8_t>(TIFFGetB(rgba[i]));
    if (!image->alpha.empty()) image->alpha[i] = static_cast<uint8_t>(TIFFGetA(rgba[i]));
  }
  return true;
}

bool ReadTiff(TIFF* tif, Image* image, std::string* error) {
  TiffLayout l;
  uint16_t inkSet = INKSET_CMYK, sampleFormat = SAMPLEFORMAT_UINT;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) {
    *error = "malformed TIFF: no photometric interpretation";
    return false;
  }
  if (!SizeWithinLimits(static_cast<int32_t>(std::min<uint32_t>(l.width, INT32_MAX)),
                        static_cast<int32_t>(std::min<uint32_t>(l.height, INT32_MAX)))) {
    *error = "the image is larger than the tool takes (or has no pixels)";
    return false;
  }
  uint16_t extraCount = 0;
  uint16_t* extraKinds = nullptr;
  TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
  l.colour = static_cast<uint16_t>(l.samples - std::min(extraCount, l.samples));
  if (extraCount > 0 && extraKinds != nullptr &&
      (extraKinds[0] == EXTRASAMPLE_ASSOCALPHA || extraKinds[0] == EXTRASAMPLE_UNASSALPHA)) {
    l.alphaSample = l.colour;
  }
  uint32_t profileLength = 0;
  void* profile = nullptr;
  if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile != nullptr) {
    const auto* p = static_cast<const uint8_t*>(profile);
    image->profile.assign(p, p + profileLength);
  }
  image->width = static_cast<int32_t>(l.width);
  image->height = static_cast<int32_t>(l.height);
  image->fileBits = l.bits;
  int32_t space = -1;
  switch (l.photometric) {
    case PHOTOMETRIC_RGB: space = l.colour == 3 ? CSP_RGB : -1; break;
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: space = l.colour == 1 ? CSP_RGB : -1; break;
    case PHOTOMETRIC_SEPARATED: space = l.colour == 4 && inkSet == INKSET_CMYK ? CSP_CMYK : -1; break;
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB: space = l.colour == 3 ? CSP_LAB : -1; break;
    default: break;
  }
  const bool plainSamples = (l.bits == 8 || l.bits == 16) && sampleFormat != SAMPLEFORMAT_IEEEFP;
  if (space >= 0 && plainSamples) {
    image->space = FindSpace(space);
    if (space == CSP_LAB) {
      image->lab = l.photometric == PHOTOMETRIC_CIELAB ? LabEncoding::kSigned : LabEncoding::kOffset128;
    }
    return DecodeBySamples(tif, l, image, error);
  }
  if (l.photometric == PHOTOMETRIC_SEPARATED || l.photometric == PHOTOMETRIC_CIELAB ||
      l.photometric == PHOTOMETRIC_ICCLAB) {
    *error = "unsupported TIFF: " + std::to_string(l.colour) + " colour samples of " + std::to_string(l.bits) +
             " bits with photometric " + std::to_string(l.photometric) +
             " (CMYK and Lab are read with 8 or 16 bits)";
    return false;
  }
  return DecodeByRgba(tif, l, image, error);
}

}  // namespace

bool LooksLikeTiff(const std::vector<uint8_t>& file) {
  return file.size() >= 4 && ((file[0] == 'I' && file[1] == 'I' && (file[2] == 42 || file[2] == 43) && file[3] == 0) ||
                              (file[0] == 'M' && file[1] == 'M' && file[2] == 0 && (file[3] == 42 || file[3] == 43)));
}

bool DecodeTiff(const std::vector<uint8_t>& file, Image* image, std::string* error) {
  std::vector<uint8_t> bytes = file;
  TiffMemory memory;
  memory.bytes = &bytes;
  TIFF* tif = OpenTiffInMemory(&memory, "r");
  if (tif == nullptr) {
    *error = "malformed TIFF: " + TakeTiffError();
    return false;
  }
  const bool ok = ReadTiff(tif, image, error);
  TIFFClose(tif);
  return ok;
}

bool EncodeTiff(const Image& image, std::vector<uint8_t>* file, std::string* error) {
  const int32_t code = image.space->code;
  if (code == CSP_LAB && image.lab == LabEncoding::kUnspecified) {
    *error = "a Lab image in a caller-described encoding (--lab) is written as PAM or raw only";
    return false;
  }
  const uint16_t colour = code == CSP_CMYK ? 4 : 3;
  const bool alpha = !image.alpha.empty();
  const uint16_t samples = static_cast<uint16_t>(colour + (alpha ? 1 : 0));
  file->clear();
  TiffMemory memory;
  memory.bytes = file;
  TIFF* tif = OpenTiffInMemory(&memory, "w");
  if (tif == nullptr) {
    *error = "TIFF: " + TakeTiffError();
    return false;
  }
  const uint16_t photometric = code == CSP_CMYK ? PHOTOMETRIC_SEPARATED
                               : code == CSP_RGB ? PHOTOMETRIC_RGB
                               : image.lab == LabEncoding::kSigned ? PHOTOMETRIC_CIELAB
                                                                    : PHOTOMETRIC_ICCLAB;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  if (code == CSP_CMYK) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (alpha) {
    const uint16_t kind = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  if (!image.profile.empty()) {
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(image.profile.size()), image.profile.data());
  }
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * samples);
  bool ok = true;
  for (int32_t y = 0; y < image.height && ok; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      const size_t pixel = static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x);
      std::memcpy(&row[static_cast<size_t>(x) * samples], &image.bytes[pixel * colour], colour);
      if (alpha) row[static_cast<size_t>(x) * samples + colour] = image.alpha[pixel];
    }
    ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  TIFFClose(tif);  // writes the directory
  if (!ok) *error = "TIFF: " + TakeTiffError();
  return ok;
}

}  // namespace qclr_tool
