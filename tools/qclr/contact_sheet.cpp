#include "contact_sheet.h"

#include <cstring>

#include "bitmap_font.h"
#include "qclr/qclr.h"

namespace qclr_tool {
namespace {

constexpr int kMargin = 8;
constexpr int kLineHeight = kGlyphHeight + 2;
constexpr int kLabelHeight = 3 * kLineHeight;
constexpr int kHeadingHeight = kGlyphHeight + 8;
constexpr uint8_t kPage[3] = {200, 200, 200};
constexpr uint8_t kEmpty[3] = {150, 150, 150};
constexpr uint8_t kInk[3] = {20, 20, 20};
constexpr uint8_t kAlarm[3] = {180, 0, 0};

}  // namespace

ContactSheet::ContactSheet(int columns, int rows, int tileWidth, int tileHeight,
                           const std::vector<std::string>& headings)
    : tileWidth_(tileWidth),
      tileHeight_(tileHeight),
      cellWidth_(tileWidth + kMargin),
      cellHeight_(kLabelHeight + tileHeight + kMargin),
      width_(kMargin + columns * (tileWidth + kMargin)),
      height_(kHeadingHeight + rows * (kLabelHeight + tileHeight + kMargin)) {
  rgb_.resize(3 * static_cast<size_t>(width_) * static_cast<size_t>(height_));
  Fill(0, 0, width_, height_, kPage);
  for (size_t c = 0; c < headings.size(); ++c) {
    DrawText(&rgb_, width_, height_, kMargin + static_cast<int>(c) * cellWidth_, 4, headings[c], kInk, 1);
  }
}

void ContactSheet::Fill(int x, int y, int w, int h, const uint8_t colour[3]) {
  for (int row = y; row < y + h; ++row) {
    for (int col = x; col < x + w; ++col) {
      std::memcpy(&rgb_[3 * (static_cast<size_t>(row) * static_cast<size_t>(width_) + static_cast<size_t>(col))],
                  colour, 3);
    }
  }
}

void ContactSheet::Place(int column, int row, const Image* rgb, const std::string& line1, const std::string& line2,
                         const std::string& line3, bool warn) {
  const int x = kMargin + column * cellWidth_, y = kHeadingHeight + row * cellHeight_;
  DrawText(&rgb_, width_, height_, x, y, line1, kInk, 1);
  DrawText(&rgb_, width_, height_, x, y + kLineHeight, line2, kInk, 1);
  DrawText(&rgb_, width_, height_, x, y + 2 * kLineHeight, line3, warn ? kAlarm : kInk, 1);
  const int top = y + kLabelHeight;
  if (rgb == nullptr) {
    Fill(x, top, tileWidth_, tileHeight_, kEmpty);
    return;
  }
  for (int r = 0; r < tileHeight_; ++r) {
    std::memcpy(&rgb_[3 * (static_cast<size_t>(top + r) * static_cast<size_t>(width_) + static_cast<size_t>(x))],
                &rgb->bytes[3 * static_cast<size_t>(r) * static_cast<size_t>(tileWidth_)],
                3 * static_cast<size_t>(tileWidth_));
  }
}

Image ContactSheet::Page(int scale) const {
  Image page;
  page.space = FindSpace(CSP_RGB);
  page.width = width_ * scale;
  page.height = height_ * scale;
  page.bytes.resize(3 * static_cast<size_t>(page.width) * static_cast<size_t>(page.height));
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      const size_t from = 3 * (static_cast<size_t>(y / scale) * static_cast<size_t>(width_) + static_cast<size_t>(x / scale));
      std::memcpy(&page.bytes[3 * (static_cast<size_t>(y) * static_cast<size_t>(page.width) + static_cast<size_t>(x))],
                  &rgb_[from], 3);
    }
  }
  return page;
}

}  // namespace qclr_tool
