// The file formats the tool reads and writes, told from a file's first bytes when
// reading and from its name (or --format) when writing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "image.h"

namespace qclr_tool {

enum class FileFormat { kPpm, kPam, kPng, kJpeg, kTiff, kRaw };

// A raw file: the library's buffer of one space, rows padded to `align` bytes.
struct RawLayout {
  const SpaceInfo* space = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t align = 0;
};

const char* FormatName(FileFormat format);

// The usual extension of the format, without the dot ("png", "jpg", ...).
const char* FormatExtension(FileFormat format);

// "png", "jpeg" (or "jpg"), "tiff" (or "tif"), "pam", "ppm", "raw".
bool FormatFromName(const std::string& name, FileFormat* format);

// From the extension: .png .jpg .jpeg .tif .tiff .pam .ppm .pnm .raw .yuv .bin.
bool FormatFromPath(const std::string& path, FileFormat* format);

// Whether the format can store an image of the space, alpha, an ICC profile.
bool FormatHoldsSpace(FileFormat format, const SpaceInfo& space);
bool FormatHoldsAlpha(FileFormat format, const SpaceInfo& space);
bool FormatHoldsProfile(FileFormat format);

// "RGB, CMYK or LAB": the spaces a format stores, for messages.
std::string SpacesHeldBy(FileFormat format);

// Reads an image from a file's bytes; a raw layout makes them a raw buffer, else
// the format is told from the bytes. `formatName` receives the format's name.
Failure DecodeImage(const std::vector<uint8_t>& file, const std::string& path, const RawLayout* raw,
                    Image* image, std::string* formatName);

// Writes an image in the format. A space the format cannot hold is kExitUnsupported;
// alpha the format cannot hold is dropped with a warning.
Failure EncodeImage(FileFormat format, const Image& image, const std::string& path, int32_t rawAlign,
                    std::vector<uint8_t>* file);

}  // namespace qclr_tool
