// Writes the seeds of the table reader's fuzz target into the folder given: table
// images of both sizes in the layouts the reader accepts (byte orders, SHORT and
// LONG sizes, one strip or many, three samples or one), each also cut after its
// directory.
#include <cstdio>
#include <string>
#include <vector>

#include "tiff_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s folder\n", argv[0]);
    return 2;
  }
  using qclr_fuzz::TiffImage;
  const TiffImage images[] = {
      {289, 289, 3, 0, false, false},  {289, 289, 3, 17, true, true},  {867, 289, 1, 1, false, false},
      {190, 190, 3, 0, true, false},   {190, 190, 3, 10, false, true}, {1089, 33, 3, 0, false, false},
      {1089, 33, 3, 1, true, false},
  };
  int written = 0;
  for (const TiffImage& image : images) {
    std::vector<uint8_t> pixels(size_t{image.width} * image.height * image.samples);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    const std::vector<uint8_t> file = qclr_fuzz::WriteTiff(image, pixels);
    const size_t head = file.size() - pixels.size();
    for (const size_t length : {file.size(), head}) {
      const std::string path = std::string(argv[1]) + "/table" + std::to_string(written++) + ".tif";
      FILE* out = std::fopen(path.c_str(), "wb");
      if (out == nullptr || std::fwrite(file.data(), 1, length, out) != length || std::fclose(out) != 0) {
        std::perror(path.c_str());
        return 1;
      }
    }
  }
  return 0;
}
