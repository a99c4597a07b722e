// A tiny built-in 5 x 7 bitmap font for the labels of the demo's contact sheet:
// capital letters (small ones are drawn as capitals), digits and some punctuation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qclr_tool {

constexpr int kGlyphWidth = 5, kGlyphHeight = 7, kGlyphAdvance = 6;

// The 7 rows of a character's glyph, bit 4 the leftmost column; '?' for
// characters the font lacks.
const uint8_t* Glyph(char c);

// Draws `text` into a packed RGB canvas of `width` x `height` pixels with its top
// left corner at (x, y), each font pixel `scale` x `scale`; parts outside the
// canvas are clipped.
void DrawText(std::vector<uint8_t>* rgb, int width, int height, int x, int y, const std::string& text,
              const uint8_t colour[3], int scale);

// The width in pixels that DrawText covers at scale 1.
inline int TextWidth(const std::string& text) {
  return text.empty() ? 0 : static_cast<int>(text.size()) * kGlyphAdvance - 1;
}

}  // namespace qclr_tool
