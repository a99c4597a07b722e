#include "image_format.h"

#include "format_codecs.h"
#include "messages.h"
#include "qclr/qclr.h"
#include "space_names.h"

namespace qclr_tool {
namespace {

struct FormatNames {
  FileFormat format;
  const char* name;
  const char* extensions[3];  // without the dot
};

constexpr FormatNames kFormats[] = {
    {FileFormat::kPpm, "PPM", {"ppm", "pnm", nullptr}},
    {FileFormat::kPam, "PAM", {"pam", nullptr, nullptr}},
    {FileFormat::kPng, "PNG", {"png", nullptr, nullptr}},
    {FileFormat::kJpeg, "JPEG", {"jpg", "jpeg", nullptr}},
    {FileFormat::kTiff, "TIFF", {"tif", "tiff", nullptr}},
    {FileFormat::kRaw, "raw", {"raw", "yuv", "bin"}},
};

bool Named(const FormatNames& f, const std::string& name) {
  if (SameName(f.name, name)) return true;
  for (const char* e : f.extensions) {
    if (e != nullptr && SameName(e, name)) return true;
  }
  return false;
}

}  // namespace

const char* FormatName(FileFormat format) {
  for (const FormatNames& f : kFormats) {
    if (f.format == format) return f.name;
  }
  return "?";
}

const char* FormatExtension(FileFormat format) {
  for (const FormatNames& f : kFormats) {
    if (f.format == format) return f.extensions[0];
  }
  return "";
}

bool FormatFromName(const std::string& name, FileFormat* format) {
  for (const FormatNames& f : kFormats) {
    if (Named(f, name)) {
      *format = f.format;
      return true;
    }
  }
  return false;
}

bool FormatFromPath(const std::string& path, FileFormat* format) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  return FormatFromName(path.substr(dot + 1), format);
}

bool FormatHoldsSpace(FileFormat format, const SpaceInfo& space) {
  switch (format) {
    case FileFormat::kPpm:
    case FileFormat::kPng: return space.code == CSP_RGB;
    case FileFormat::kJpeg: return space.code == CSP_RGB || space.code == CSP_CMYK;
    case FileFormat::kTiff: return space.code == CSP_RGB || space.code == CSP_CMYK || space.code == CSP_LAB;
    case FileFormat::kPam:
    case FileFormat::kRaw: return true;
  }
  return false;
}

bool FormatHoldsAlpha(FileFormat format, const SpaceInfo& space) {
  switch (format) {
    case FileFormat::kPng:
    case FileFormat::kTiff: return true;
    // A PAM tuple with alpha: spaces of one pixel a tuple and one byte a sample.
    case FileFormat::kPam: return space.groupWidth == 1 && space.groupHeight == 1 && space.code != CSP_XYZ;
    default: return false;
  }
}

bool FormatHoldsProfile(FileFormat format) {
  return format == FileFormat::kPng || format == FileFormat::kJpeg || format == FileFormat::kTiff;
}

std::string SpacesHeldBy(FileFormat format) {
  switch (format) {
    case FileFormat::kPpm:
    case FileFormat::kPng: return "RGB only";
    case FileFormat::kJpeg: return "RGB or CMYK";
    case FileFormat::kTiff: return "RGB, CMYK or LAB";
    default: return "every space";
  }
}

Failure DecodeImage(const std::vector<uint8_t>& file, const std::string& path, const RawLayout* raw,
                    Image* image, std::string* formatName) {
  std::string error;
  bool ok = false;
  FileFormat format = FileFormat::kRaw;
  if (raw != nullptr) {
    ok = DecodeRaw(file, *raw, image, &error);
  } else if (file.empty()) {
    return Fails(kExitInput, ShownName(path) + " is empty (0 bytes)");
  } else if (LooksLikePng(file)) {
    format = FileFormat::kPng;
    ok = DecodePng(file, image, &error);
  } else if (LooksLikeJpeg(file)) {
    format = FileFormat::kJpeg;
    ok = DecodeJpeg(file, image, &error);
  } else if (LooksLikeTiff(file)) {
    format = FileFormat::kTiff;
    ok = DecodeTiff(file, image, &error);
  } else if (LooksLikePnm(file)) {
    format = file[1] == '7' ? FileFormat::kPam : FileFormat::kPpm;
    ok = DecodePnm(file, image, &error);
  } else {
    error = "not a PNG, JPEG, TIFF, PPM or PAM file (a raw buffer needs --from SPACE --size WxH)";
  }
  if (!ok) return Fails(kExitInput, ShownName(path) + ": " + error);
  if (!FitsGroups(*image->space, image->width, image->height)) {
    return Fails(kExitInput, ShownName(path) + ": " + GroupRule(*image->space));
  }
  *formatName = FormatName(format);
  return {};
}

Failure EncodeImage(FileFormat format, const Image& image, const std::string& path, int32_t rawAlign,
                    std::vector<uint8_t>* file) {
  const std::string shown = ShownName(path, true);
  if (!FormatHoldsSpace(format, *image.space)) {
    return Fails(kExitUnsupported, "cannot write " + std::string(image.space->name) + " to " + shown +
                                       ": a " + FormatName(format) + " file holds " +
                                       SpacesHeldBy(format) + " (write PAM or raw for any space)");
  }
  Image kept = image;
  if (!kept.alpha.empty() && !FormatHoldsAlpha(format, *image.space)) {
    Warn(shown + ": alpha dropped: a " + std::string(FormatName(format)) + " file of " +
         image.space->name + " holds none");
    kept.alpha.clear();
  }
  if (!FormatHoldsProfile(format)) kept.profile.clear();
  std::string error;
  bool ok = false;
  switch (format) {
    case FileFormat::kPpm: ok = EncodePnm(kept, true, file, &error); break;
    case FileFormat::kPam: ok = EncodePnm(kept, false, file, &error); break;
    case FileFormat::kPng: ok = EncodePng(kept, file, &error); break;
    case FileFormat::kJpeg: ok = EncodeJpeg(kept, file, &error); break;
    case FileFormat::kTiff: ok = EncodeTiff(kept, file, &error); break;
    case FileFormat::kRaw: ok = EncodeRaw(kept, rawAlign, file, &error); break;
  }
  if (!ok) return Fails(kExitUnsupported, "cannot write " + shown + ": " + error);
  return {};
}

}  // namespace qclr_tool
