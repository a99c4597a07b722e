#include "icc_profile_info.h"

#include <cstdarg>
#include <cstdio>

namespace qclr_tool {
namespace {

// Bounds-checked big-endian reads from the profile's bytes.
class Bytes {
 public:
  explicit Bytes(const std::vector<uint8_t>& b) : b_(b) {}
  bool Has(uint64_t at, uint64_t count) const { return at <= b_.size() && count <= b_.size() - at; }
  uint8_t U8(uint64_t at) const { return Has(at, 1) ? b_[at] : 0; }
  uint16_t U16(uint64_t at) const { return static_cast<uint16_t>(U8(at) << 8 | U8(at + 1)); }
  uint32_t U32(uint64_t at) const { return static_cast<uint32_t>(U16(at)) << 16 | U16(at + 2); }
  double S15(uint64_t at) const { return static_cast<int32_t>(U32(at)) / 65536.0; }
  std::string Sig(uint64_t at) const {
    std::string s;
    for (int i = 0; i < 4; ++i) {
      const char c = static_cast<char>(U8(at + static_cast<uint64_t>(i)));
      s.push_back(c >= 32 && c < 127 ? c : '?');
    }
    return s;
  }

 private:
  const std::vector<uint8_t>& b_;
};

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// Channels and grid of the multi-stage tables (lutAtoB, lutBtoA).
std::string MultiStageDetail(const Bytes& b, uint64_t at, uint64_t size) {
  const int in = b.U8(at + 8), out = b.U8(at + 9);
  const uint32_t clut = b.U32(at + 24);
  std::string d = Format("%d in, %d out", in, out);
  if (clut == 0) return d + ", no grid";
  if (!b.Has(at + clut, 20) || clut + 20 > size || in > 16) return d + ", grid outside the tag";
  d += ", grid";
  for (int i = 0; i < in; ++i) {
    d.push_back(i == 0 ? ' ' : 'x');
    d.append(std::to_string(b.U8(at + clut + static_cast<uint64_t>(i))));
  }
  return d + Format(", %d-byte grid values", b.U8(at + clut + 16));
}

std::string TagDetail(const Bytes& b, const std::string& type, uint64_t at, uint64_t size) {
  if (type == "XYZ " && size >= 20) return Format("%.4f %.4f %.4f", b.S15(at + 8), b.S15(at + 12), b.S15(at + 16));
  if (type == "curv" && size >= 12) {
    const uint32_t n = b.U32(at + 8);
    if (n == 0) return "identity";
    if (n == 1) return Format("gamma %.4f", b.U16(at + 12) / 256.0);
    return Format("%u entries", n);
  }
  if (type == "para" && size >= 12) return Format("parametric, function %u", b.U16(at + 8));
  if ((type == "mft1" || type == "mft2") && size >= 48) {
    const int in = b.U8(at + 8), out = b.U8(at + 9), grid = b.U8(at + 10);
    std::string d = Format("%d in, %d out, grid %d", in, out, grid);
    if (type == "mft2" && size >= 52) d += Format(", %u/%u curve entries", b.U16(at + 48), b.U16(at + 50));
    return d + (type == "mft1" ? ", 8-bit" : ", 16-bit");
  }
  if ((type == "mAB " || type == "mBA ") && size >= 32) return MultiStageDetail(b, at, size);
  return "";
}

// Text of a 'desc' (textDescription), 'mluc' (first record) or 'text' tag.
std::string TagText(const Bytes& b, const std::string& type, uint64_t at, uint64_t size) {
  std::string text;
  if (type == "desc" && size >= 12) {
    const uint32_t n = b.U32(at + 8);
    for (uint64_t i = 0; i < n && i < size - 12 && i < 200; ++i) text.push_back(static_cast<char>(b.U8(at + 12 + i)));
  } else if (type == "text") {
    for (uint64_t i = 8; i < size && i < 208; ++i) text.push_back(static_cast<char>(b.U8(at + i)));
  } else if (type == "mluc" && size >= 28 && b.U32(at + 8) > 0) {
    const uint32_t length = b.U32(at + 20), offset = b.U32(at + 24);
    for (uint64_t i = 0; i + 1 < length && i < 400 && offset + i + 1 < size; i += 2) {
      const uint16_t c = b.U16(at + offset + i);
      text.push_back(c < 128 ? static_cast<char>(c) : '?');
    }
  }
  std::string clean;
  for (char c : text) {
    if (c == '\0') break;
    clean.push_back(c >= 32 && c < 127 ? c : '?');
  }
  return clean;
}

}  // namespace

bool ParseIccProfile(const std::vector<uint8_t>& bytes, IccProfileInfo* info, std::string* error) {
  const Bytes b(bytes);
  *info = IccProfileInfo{};
  if (bytes.size() < 132) {
    *error = "too short for an ICC profile (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  if (b.Sig(36) != "acsp") {
    *error = "not an ICC profile (no 'acsp' signature)";
    return false;
  }
  info->declaredSize = b.U32(0);
  info->versionMajor = b.U8(8);
  info->versionMinor = b.U8(9) >> 4;
  info->versionBugfix = b.U8(9) & 15;
  info->deviceClass = b.Sig(12);
  info->colourSpace = b.Sig(16);
  info->connectionSpace = b.Sig(20);
  info->intent = b.U32(64);
  for (int i = 0; i < 3; ++i) info->illuminant[i] = b.S15(68 + 4 * static_cast<uint64_t>(i));
  info->creator = b.Sig(80);
  const uint32_t count = b.U32(128);
  if (!b.Has(132, uint64_t{count} * 12)) {
    *error = "the tag table (" + std::to_string(count) + " tags) runs past the end of the profile";
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t entry = 132 + uint64_t{i} * 12;
    IccTagInfo tag;
    tag.signature = b.Sig(entry);
    tag.offset = b.U32(entry + 4);
    tag.size = b.U32(entry + 8);
    if (!b.Has(tag.offset, tag.size) || tag.size < 8) {
      tag.detail = "lies outside the profile";
    } else {
      tag.type = b.Sig(tag.offset);
      tag.detail = TagDetail(b, tag.type, tag.offset, tag.size);
      if (tag.signature == "desc" && info->description.empty()) {
        info->description = TagText(b, tag.type, tag.offset, tag.size);
      }
    }
    info->tags.push_back(tag);
  }
  return true;
}

const char* ClassName(const std::string& c) {
  if (c == "scnr") return "input";
  if (c == "mntr") return "display";
  if (c == "prtr") return "output";
  if (c == "link") return "device link";
  if (c == "spac") return "colour space";
  if (c == "abst") return "abstract";
  if (c == "nmcl") return "named colour";
  return "";
}

const char* IntentName(uint32_t intent) {
  static const char* const kNames[] = {"perceptual", "relative colorimetric", "saturation",
                                       "absolute colorimetric"};
  return intent < 4 ? kNames[intent] : "unknown";
}

std::string ProfileSummary(const IccProfileInfo& info) {
  const std::string className = ClassName(info.deviceClass);
  return Format("version %d.%d, class %s%s, %s data, PCS %s", info.versionMajor, info.versionMinor,
                info.deviceClass.c_str(), className.empty() ? "" : (" (" + className + ")").c_str(),
                Trimmed(info.colourSpace).c_str(), Trimmed(info.connectionSpace).c_str());
}

bool ReadXyzTag(const std::vector<uint8_t>& bytes, const IccTagInfo& tag, double xyz[3]) {
  const Bytes b(bytes);
  if (tag.type != "XYZ " || tag.size < 20 || !b.Has(tag.offset, 20)) return false;
  for (int i = 0; i < 3; ++i) xyz[i] = b.S15(tag.offset + 8 + 4 * static_cast<uint64_t>(i));
  return true;
}

}  // namespace qclr_tool
