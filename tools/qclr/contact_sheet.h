// A contact sheet: RGB tiles in a grid on a grey page, each with a three-line label
// above it drawn in the built-in font, column headings on top.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace qclr_tool {

class ContactSheet {
 public:
  ContactSheet(int columns, int rows, int tileWidth, int tileHeight, const std::vector<std::string>& headings);

  // Puts an RGB image (of the tile size) or, for null, an empty grey tile at the
  // given place, labelled with three lines (the third in red when `warn`).
  void Place(int column, int row, const Image* rgb, const std::string& line1, const std::string& line2,
             const std::string& line3, bool warn);

  // The page as an RGB image, every pixel enlarged `scale` times.
  Image Page(int scale) const;

 private:
  void Fill(int x, int y, int w, int h, const uint8_t colour[3]);

  int tileWidth_, tileHeight_, cellWidth_, cellHeight_, width_, height_;
  std::vector<uint8_t> rgb_;
};

}  // namespace qclr_tool
