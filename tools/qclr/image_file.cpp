#include "image_file.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "qclr/qclr.h"

namespace qclr_tool {
namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Reads the next header token of a PPM file, skipping white space and comments.
bool NextToken(std::istream& in, std::string* token) {
  token->clear();
  int c;
  while ((c = in.get()) != EOF) {
    if (c == '#') {
      while ((c = in.get()) != EOF && c != '\n') {
      }
    } else if (!std::isspace(c)) {
      break;
    }
  }
  while (c != EOF && !std::isspace(c)) {
    token->push_back(static_cast<char>(c));
    c = in.get();
  }
  return !token->empty();
}

bool ParseDimension(const std::string& text, int32_t* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char ch : text) {
    if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
  }
  *value = std::stoi(text);
  return *value > 0;
}

bool ReadPixels(std::istream& in, Image* image, std::string* error) {
  image->bytes.resize(PackedBytes(*image->space, image->width, image->height));
  in.read(reinterpret_cast<char*>(image->bytes.data()), static_cast<std::streamsize>(image->bytes.size()));
  if (static_cast<size_t>(in.gcount()) != image->bytes.size()) {
    *error = "the pixel data are shorter than the header says";
    return false;
  }
  return true;
}

bool ReadPpm(std::istream& in, Image* image, std::string* error) {
  std::string w, h, maxval;
  if (!NextToken(in, &w) || !NextToken(in, &h) || !NextToken(in, &maxval) ||
      !ParseDimension(w, &image->width) || !ParseDimension(h, &image->height)) {
    *error = "malformed PPM header";
    return false;
  }
  if (maxval != "255") {
    *error = "only 8-bit PPM files (maxval 255) are supported";
    return false;
  }
  image->space = FindSpace(CSP_RGB);
  return ReadPixels(in, image, error);
}

bool ReadPam(std::istream& in, Image* image, std::string* error) {
  int32_t columns = 0, rows = 0, depth = 0;
  std::string tupleType, line;
  bool ended = false;
  while (!ended && std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key, value;
    fields >> key >> value;
    if (key.empty() || key[0] == '#') continue;
    if (key == "ENDHDR") {
      ended = true;
    } else if (key == "WIDTH") {
      ParseDimension(value, &columns);
    } else if (key == "HEIGHT") {
      ParseDimension(value, &rows);
    } else if (key == "DEPTH") {
      ParseDimension(value, &depth);
    } else if (key == "MAXVAL") {
      if (value != "255") {
        *error = "only 8-bit PAM files (MAXVAL 255) are supported";
        return false;
      }
    } else if (key == "TUPLTYPE") {
      tupleType = value;
    }
  }
  if (!ended || columns == 0 || rows == 0 || depth == 0) {
    *error = "malformed PAM header";
    return false;
  }
  std::string name = tupleType.rfind("QCLR_", 0) == 0 ? tupleType.substr(5) : tupleType;
  if (name.empty()) name = depth == 4 ? "CMYK" : "RGB";
  image->space = FindSpace(name);
  if (image->space == nullptr || image->space->groupBytes != depth) {
    *error = "unsupported PAM tuple type '" + tupleType + "' of depth " + std::to_string(depth);
    return false;
  }
  if (columns > INT32_MAX / image->space->groupWidth || rows > INT32_MAX / image->space->groupHeight) {
    *error = "image too large";
    return false;
  }
  image->width = columns * image->space->groupWidth;
  image->height = rows * image->space->groupHeight;
  return ReadPixels(in, image, error);
}

}  // namespace

bool ReadImage(const std::string& path, Image* image, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open '" + path + "'";
    return false;
  }
  std::string magic;
  if (!NextToken(in, &magic)) {
    *error = "'" + path + "' is empty";
    return false;
  }
  bool ok = false;
  if (magic == "P6") {
    ok = ReadPpm(in, image, error);
  } else if (magic == "P7") {
    ok = ReadPam(in, image, error);
  } else {
    *error = "not a PPM (P6) or PAM (P7) file";
  }
  if (!ok) *error = "'" + path + "': " + *error;
  return ok;
}

bool WriteImage(const std::string& path, const Image& image, std::string* error) {
  std::ofstream out(path, std::ios::binary);
  if (!out) {
    *error = "cannot write '" + path + "'";
    return false;
  }
  const SpaceInfo& s = *image.space;
  if (EndsWith(path, ".ppm")) {
    if (s.code != CSP_RGB) {
      *error = "'" + path + "': a PPM file holds RGB only; use .pam";
      return false;
    }
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
  } else {
    const std::string type = s.code == CSP_RGB || s.code == CSP_CMYK ? s.name : std::string("QCLR_") + s.name;
    out << "P7\nWIDTH " << image.width / s.groupWidth << "\nHEIGHT " << image.height / s.groupHeight
        << "\nDEPTH " << s.groupBytes << "\nMAXVAL 255\nTUPLTYPE " << type << "\nENDHDR\n";
  }
  out.write(reinterpret_cast<const char*>(image.bytes.data()), static_cast<std::streamsize>(image.bytes.size()));
  if (!out) {
    *error = "writing '" + path + "' failed";
    return false;
  }
  return true;
}

}  // namespace qclr_tool
