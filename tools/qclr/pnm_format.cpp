// PPM (P6), PGM (P5) and PAM (P7) files. PAM tuple types: RGB, CMYK and GRAYSCALE
// (read as RGB), each optionally with _ALPHA; every other space as QCLR_<SPACE>,
// one tuple per pixel group of the space. Lab says which encoding it holds:
// QCLR_LAB_SIGNED (a, b signed bytes) or QCLR_LAB_ICC (a + 128, b + 128); plain
// QCLR_LAB leaves it to the method that reads it. Samples above 8 bits (MAXVAL up
// to 65535) are rounded to 8 bits for RGB, CMYK and grey.
#include <cctype>
#include <cstring>
#include <sstream>

#include "format_codecs.h"
#include "qclr/qclr.h"
#include "sample_depth.h"

namespace qclr_tool {
namespace {

// Reads header tokens from the file, skipping white space and comments.
class HeaderReader {
 public:
  explicit HeaderReader(const std::vector<uint8_t>& file) : file_(file) {}

  bool Token(std::string* token) {
    token->clear();
    while (pos_ < file_.size()) {
      const char c = static_cast<char>(file_[pos_]);
      if (c == '#') {
        while (pos_ < file_.size() && file_[pos_] != '\n') ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else {
        break;
      }
    }
    while (pos_ < file_.size() && !std::isspace(file_[pos_]) && token->size() < 64) {
      token->push_back(static_cast<char>(file_[pos_++]));
    }
    return !token->empty();
  }

  // A whole header line of a PAM file (without its line break).
  bool Line(std::string* line) {
    if (pos_ >= file_.size()) return false;
    line->clear();
    while (pos_ < file_.size() && file_[pos_] != '\n' && line->size() < 1024) {
      line->push_back(static_cast<char>(file_[pos_++]));
    }
    if (pos_ < file_.size()) ++pos_;
    return true;
  }

  // Skips the single white-space byte that ends a PPM header.
  void SkipOne() { ++pos_; }
  size_t position() const { return pos_; }

 private:
  const std::vector<uint8_t>& file_;
  size_t pos_ = 0;
};

bool ParseNumber(const std::string& text, int32_t low, int32_t high, int32_t* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char ch : text) {
    if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
  }
  *value = std::stoi(text);
  return *value >= low && *value <= high;
}

// What a file's samples are, as far as the reader needs.
struct PnmLayout {
  int32_t columns = 0, rows = 0, depth = 0, maxval = 0;
  const SpaceInfo* space = nullptr;  // null for grey
  bool alpha = false;
  LabEncoding lab = LabEncoding::kUnspecified;
};

// Reads the samples of `layout` from `at` into the image: rounded to 8 bits,
// grey spread to RGB, alpha split off.
bool ReadSamples(const std::vector<uint8_t>& file, size_t at, const PnmLayout& layout, Image* image,
                 std::string* error) {
  const size_t bytesPerSample = layout.maxval > 255 ? 2 : 1;
  const size_t count = static_cast<size_t>(layout.columns) * static_cast<size_t>(layout.rows) *
                       static_cast<size_t>(layout.depth);
  if (file.size() < at || (file.size() - at) / bytesPerSample < count) {
    *error = "the pixel data are shorter than the header says";
    return false;
  }
  image->space = layout.space != nullptr ? layout.space : FindSpace(CSP_RGB);
  image->lab = layout.lab;
  image->fileBits = bytesPerSample == 2 ? 16 : 8;
  image->width = layout.columns * image->space->groupWidth;
  image->height = layout.rows * image->space->groupHeight;
  if (!SizeWithinLimits(image->width, image->height)) {
    *error = "the image is larger than the tool takes";
    return false;
  }
  const uint8_t* p = file.data() + at;
  auto sample = [&](size_t i) -> uint8_t {
    if (bytesPerSample == 2) return ScaleToByte(BigEndian16(p + 2 * i), static_cast<uint32_t>(layout.maxval));
    return layout.maxval == 255 ? p[i] : ScaleToByte(p[i], static_cast<uint32_t>(layout.maxval));
  };
  const size_t tuples = static_cast<size_t>(layout.columns) * static_cast<size_t>(layout.rows);
  const size_t colour = static_cast<size_t>(layout.depth) - (layout.alpha ? 1 : 0);
  const size_t out = layout.space != nullptr ? colour : 3;
  image->bytes.resize(tuples * out);
  if (layout.alpha) image->alpha.resize(tuples);
  for (size_t t = 0; t < tuples; ++t) {
    const size_t in = t * static_cast<size_t>(layout.depth);
    for (size_t c = 0; c < out; ++c) image->bytes[t * out + c] = sample(in + (layout.space != nullptr ? c : 0));
    if (layout.alpha) image->alpha[t] = sample(in + colour);
  }
  return true;
}

bool ReadPamLayout(HeaderReader* header, PnmLayout* layout, std::string* error) {
  std::string tupleType, line;
  bool ended = false;
  while (!ended && header->Line(&line)) {
    std::istringstream fields(line);
    std::string key, value;
    fields >> key >> value;
    if (key.empty() || key[0] == '#') continue;
    if (key == "ENDHDR") {
      ended = true;
    } else if (key == "WIDTH") {
      ParseNumber(value, 1, 1 << 24, &layout->columns);
    } else if (key == "HEIGHT") {
      ParseNumber(value, 1, 1 << 24, &layout->rows);
    } else if (key == "DEPTH") {
      ParseNumber(value, 1, 64, &layout->depth);
    } else if (key == "MAXVAL") {
      ParseNumber(value, 1, 65535, &layout->maxval);
    } else if (key == "TUPLTYPE") {
      tupleType = value;
    }
  }
  if (!ended || layout->columns == 0 || layout->rows == 0 || layout->depth == 0 || layout->maxval == 0) {
    *error = "malformed PAM header";
    return false;
  }
  std::string name = tupleType;
  if (name.size() > 6 && name.compare(name.size() - 6, 6, "_ALPHA") == 0) {
    layout->alpha = true;
    name.resize(name.size() - 6);
  }
  if (name.empty()) name = layout->depth == 4 ? "CMYK" : layout->depth == 1 ? "GRAYSCALE" : "RGB";
  const bool own = name.rfind("QCLR_", 0) == 0;
  if (own) name = name.substr(5);
  if (name == "LAB_SIGNED" || name == "LAB_ICC") {
    layout->lab = name == "LAB_SIGNED" ? LabEncoding::kSigned : LabEncoding::kOffset128;
    name = "LAB";
  }
  const int32_t colour = layout->depth - (layout->alpha ? 1 : 0);
  if (!own && name == "GRAYSCALE" && colour == 1) return true;
  layout->space = own || name == "RGB" || name == "CMYK" ? FindSpace(name) : nullptr;
  if (layout->space == nullptr || layout->space->groupBytes != colour ||
      (layout->alpha && (layout->space->groupWidth != 1 || layout->space->groupHeight != 1))) {
    *error = "unsupported PAM tuple type '" + tupleType + "' of depth " + std::to_string(layout->depth);
    return false;
  }
  if (own && layout->maxval != 255) {
    *error = "a " + tupleType + " file must have MAXVAL 255 (the library's samples are bytes)";
    return false;
  }
  return true;
}

}  // namespace

bool LooksLikePnm(const std::vector<uint8_t>& file) {
  return file.size() >= 3 && file[0] == 'P' && (file[1] == '5' || file[1] == '6' || file[1] == '7') &&
         std::isspace(file[2]);
}

bool DecodePnm(const std::vector<uint8_t>& file, Image* image, std::string* error) {
  HeaderReader header(file);
  std::string magic;
  header.Token(&magic);
  PnmLayout layout;
  if (magic == "P7") {
    header.SkipOne();
    if (!ReadPamLayout(&header, &layout, error)) return false;
    return ReadSamples(file, header.position(), layout, image, error);
  }
  std::string w, h, maxval;
  if (!header.Token(&w) || !header.Token(&h) || !header.Token(&maxval) ||
      !ParseNumber(w, 1, 1 << 24, &layout.columns) || !ParseNumber(h, 1, 1 << 24, &layout.rows) ||
      !ParseNumber(maxval, 1, 65535, &layout.maxval)) {
    *error = "malformed " + std::string(magic == "P5" ? "PGM" : "PPM") + " header";
    return false;
  }
  header.SkipOne();
  layout.depth = magic == "P5" ? 1 : 3;
  layout.space = magic == "P5" ? nullptr : FindSpace(CSP_RGB);
  return ReadSamples(file, header.position(), layout, image, error);
}

bool EncodePnm(const Image& image, bool ppm, std::vector<uint8_t>* file, std::string* error) {
  const SpaceInfo& s = *image.space;
  std::ostringstream head;
  const bool alpha = !image.alpha.empty();
  if (ppm) {
    head << "P6\n" << image.width << ' ' << image.height << "\n255\n";
  } else {
    std::string type = s.code == CSP_RGB || s.code == CSP_CMYK ? s.name : std::string("QCLR_") + s.name;
    if (s.code == CSP_LAB && image.lab == LabEncoding::kSigned) type += "_SIGNED";
    if (s.code == CSP_LAB && image.lab == LabEncoding::kOffset128) type += "_ICC";
    if (alpha) type += "_ALPHA";
    head << "P7\nWIDTH " << image.width / s.groupWidth << "\nHEIGHT " << image.height / s.groupHeight
         << "\nDEPTH " << s.groupBytes + (alpha ? 1 : 0) << "\nMAXVAL 255\nTUPLTYPE " << type
         << "\nENDHDR\n";
  }
  const std::string text = head.str();
  file->assign(text.begin(), text.end());
  if (!alpha) {
    file->insert(file->end(), image.bytes.begin(), image.bytes.end());
    return true;
  }
  const size_t colour = static_cast<size_t>(s.groupBytes), pixels = image.alpha.size();
  if (image.bytes.size() != pixels * colour) {
    *error = "internal: alpha plane does not match the image";
    return false;
  }
  for (size_t i = 0; i < pixels; ++i) {
    file->insert(file->end(), image.bytes.begin() + static_cast<ptrdiff_t>(i * colour),
                 image.bytes.begin() + static_cast<ptrdiff_t>((i + 1) * colour));
    file->push_back(image.alpha[i]);
  }
  return true;
}

}  // namespace qclr_tool
