// A small writer of baseline TIFF images of 8-bit samples, for the fuzz targets'
// table files and seeds: header, directory, the values that do not fit their
// entries, then the strips. The directory comes first, so that an input cut short
// keeps it.
#pragma once

#include <cstdint>
#include <vector>

namespace qclr_fuzz {

struct TiffImage {
  uint32_t width = 0, height = 0, samples = 3;
  uint32_t rowsPerStrip = 0;  // 0: one strip
  bool bigEndian = false;
  bool shortSizes = false;  // width, height and byte counts as SHORT values
};

// The file for `image` with `pixels` (width x height x samples bytes) as its data.
inline std::vector<uint8_t> WriteTiff(const TiffImage& image, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> f;
  const auto put = [&f, &image](size_t at, uint32_t v, size_t size) {
    if (f.size() < at + size) f.resize(at + size);
    for (size_t i = 0; i < size; ++i) f[at + (image.bigEndian ? size - 1 - i : i)] = uint8_t(v >> (8 * i));
  };
  const uint32_t rows = image.rowsPerStrip == 0 ? image.height : image.rowsPerStrip;
  const uint32_t strips = (image.height + rows - 1) / rows;
  const uint32_t rowBytes = image.width * image.samples;
  struct Entry {
    uint16_t tag, type;
    std::vector<uint32_t> values;
  };
  const uint16_t sizeType = image.shortSizes ? 3 : 4;
  std::vector<Entry> entries = {{256, sizeType, {image.width}},
                                {257, sizeType, {image.height}},
                                {258, 3, std::vector<uint32_t>(image.samples, 8)},
                                {259, 3, {1}},
                                {262, 3, {image.samples == 3 ? 2u : 1u}},
                                {273, 4, {}},
                                {277, 3, {image.samples}},
                                {278, 4, {rows}},
                                {279, sizeType, {}},
                                {284, 3, {1}}};
  const size_t directory = 8, extra = directory + 2 + 12 * entries.size() + 4;
  size_t extraBytes = 0;
  for (const Entry& e : entries) {
    const size_t count = e.tag == 273 || e.tag == 279 ? strips : e.values.size();
    const size_t bytes = count * (e.type == 3 ? 2 : 4);
    if (bytes > 4) extraBytes += bytes;
  }
  size_t data = extra + extraBytes;
  for (uint32_t s = 0; s < strips; ++s) {
    const uint32_t stripRows = s + 1 < strips ? rows : image.height - s * rows;
    entries[5].values.push_back(static_cast<uint32_t>(data));
    entries[8].values.push_back(stripRows * rowBytes);
    data += size_t{stripRows} * rowBytes;
  }
  const uint8_t order = image.bigEndian ? 'M' : 'I';
  f = {order, order};
  put(2, 42, 2);
  put(4, static_cast<uint32_t>(directory), 4);
  put(directory, static_cast<uint32_t>(entries.size()), 2);
  size_t at = extra;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const size_t entry = directory + 2 + 12 * i, size = e.type == 3 ? 2 : 4;
    put(entry, e.tag, 2), put(entry + 2, e.type, 2), put(entry + 4, static_cast<uint32_t>(e.values.size()), 4);
    size_t valueAt = entry + 8;
    if (e.values.size() * size > 4) {
      put(entry + 8, static_cast<uint32_t>(at), 4);
      valueAt = at;
      at += e.values.size() * size;
    }
    for (size_t k = 0; k < e.values.size(); ++k) put(valueAt + k * size, e.values[k], size);
  }
  put(extra - 4, 0, 4);  // no further directory
  f.resize(extra + extraBytes);
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

}  // namespace qclr_fuzz
