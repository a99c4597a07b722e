// Support of the qclr program's tests: running the built program, and image files
// written and read by the image libraries themselves (not by the tool's code).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qclr::test {

struct ToolRun {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the built qclr with `args`, standard input from `stdinFile` when given, and
// `environment` ("NAME=value ...", for the shell) added to its environment.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& stdinFile = "",
                const std::string& environment = "");
// Runs `qclr convert` with `options`, then `in` and `out`.
ToolRun RunConvert(const std::vector<std::string>& options, const std::string& in, const std::string& out);

// A decoded image: 8- or 16-bit samples (16-bit stored as two bytes, big-endian
// as in the files), `channels` a pixel.
struct Pixels {
  int width = 0, height = 0, channels = 0, bits = 8;
  std::vector<uint8_t> samples;
  std::vector<uint8_t> profile;  // embedded ICC profile
  bool invertedInks = false;     // JPEG: the APP14 transform marker was present
  uint16_t photometric = 0;      // TIFF
};

// Writers. PNG: channels 1 (grey), 3 (RGB) or 4 (RGBA), 8 or 16 bits.
void WritePng(const std::string& path, const Pixels& p);
// JPEG: channels 1, 3 or 4 (CMYK written as YCCK when `ycck`); the profile in
// APP2 markers; inks written inverted with the APP14 marker.
void WriteJpeg(const std::string& path, const Pixels& p, bool ycck = false, int quality = 100);
// TIFF: the photometric given; tiles of 16 x 16 when `tiled`, else strips of 5
// rows; planes when `planar`.
void WriteTiff(const std::string& path, const Pixels& p, uint16_t photometric, bool tiled, bool planar);

// Readers of what the tool wrote.
Pixels ReadPng(const std::string& path);
Pixels ReadJpeg(const std::string& path);
Pixels ReadTiff(const std::string& path);
// PAM or PPM: samples, and the tuple type in `type`.
Pixels ReadPnm(const std::string& path, std::string* type = nullptr);
// Whichever of the above the name's extension calls for (.tif, .png, .jpg, else PNM).
Pixels ReadImage(const std::string& path);

std::vector<uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// The names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// A test image: a smooth colour pattern of `channels` 8-bit samples.
Pixels Pattern(int width, int height, int channels, int bits = 8);

}  // namespace qclr::test
