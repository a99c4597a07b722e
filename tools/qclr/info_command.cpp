// qclr info FILE...: what an image file holds, or what an ICC profile says.
#include <cstdio>

#include "commands.h"
#include "file_bytes.h"
#include "icc_profile_info.h"
#include "image_format.h"
#include "messages.h"
#include "profile_use.h"
#include "qclr/qclr.h"
#include "temporary_profile.h"

namespace qclr_tool {
namespace {

const char* kInfoHelp =
    "usage: qclr info FILE...\n"
    "\n"
    "Describes each FILE (\"-\" for standard input):\n"
    "  an image (PNG, JPEG, TIFF, PPM/PGM, PAM): its format, size, samples, colour\n"
    "    space and embedded ICC profile;\n"
    "  an ICC profile: its version, class, data colour space, connection space,\n"
    "    rendering intent, illuminant and media white point, and every tag with its\n"
    "    type, and for lookup tables (lut8, lut16, lutAtoB, lutBtoA) their channels\n"
    "    and grid; and whether the library's engine can use it as a source and as a\n"
    "    destination for the pixels of its colour space, or why not.\n"
    "\n";

bool LooksLikeProfile(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 40 && bytes[36] == 'a' && bytes[37] == 'c' && bytes[38] == 's' && bytes[39] == 'p';
}

// How the engine takes the profile, as a source and as a destination, for the
// pixels of its own colour space, in the library's words. The library opens
// profiles by name: an embedded profile, standard input or a name too long for it
// is given to it as a temporary copy.
void PrintEngineUse(const std::vector<uint8_t>& bytes, const std::string& path, const IccProfileInfo& info,
                    const char* indent) {
  const SpaceInfo* space = SpaceOfProfile(info);
  if (space == nullptr) {
    std::printf("%sengine use   none: no colour space of qclr holds '%s' data (RGB, CMY, CMYK and Lab do)\n", indent,
                info.colourSpace.c_str());
    return;
  }
  TemporaryProfile copy;
  std::string file = path;
  if (path.empty() || path == "-" || path.size() >= QCLR_FILE_NAME_SIZE) {
    const Failure made = copy.Create(bytes);
    if (made.failed()) {
      std::printf("%sengine use   unknown: %s\n", indent, made.message.c_str());
      return;
    }
    file = copy.path();
  }
  for (const bool source : {true, false}) {
    const ProfileUse use = CheckProfileUse(file, space->code, source);
    const std::string verdict = use.status == CLR_OK ? "" : "refused (" + StatusName(use.status) + "): ";
    std::printf("%s%-13s%s: %s%s\n", indent, source ? "source" : "destination", space->name, verdict.c_str(),
                Finding(use.reason).c_str());
  }
}

// Every header field and tag; `path` names the profile's own file, or is empty.
void PrintProfile(const std::vector<uint8_t>& bytes, const std::string& path, const IccProfileInfo& info,
                  const char* indent) {
  std::printf("%sversion      %d.%d.%d\n", indent, info.versionMajor, info.versionMinor, info.versionBugfix);
  std::printf("%sclass        %s (%s)\n", indent, info.deviceClass.c_str(), ClassName(info.deviceClass));
  std::printf("%scolour space %s\n", indent, info.colourSpace.c_str());
  std::printf("%sconnection   %s\n", indent, info.connectionSpace.c_str());
  std::printf("%sintent       %u (%s)\n", indent, info.intent, IntentName(info.intent));
  std::printf("%silluminant   %.4f %.4f %.4f\n", indent, info.illuminant[0], info.illuminant[1], info.illuminant[2]);
  double white[3];
  bool hasWhite = false;
  for (const IccTagInfo& tag : info.tags) {
    if (!hasWhite && tag.signature == "wtpt") hasWhite = ReadXyzTag(bytes, tag, white);
  }
  if (hasWhite) {
    std::printf("%swhite point  %.4f %.4f %.4f\n", indent, white[0], white[1], white[2]);
  } else {
    std::printf("%swhite point  none (D50 is taken)\n", indent);
  }
  std::printf("%screator      %s\n", indent, info.creator.c_str());
  if (!info.description.empty()) std::printf("%sdescription  %s\n", indent, info.description.c_str());
  if (info.declaredSize != bytes.size()) {
    std::printf("%ssize         %u in the header, %zu in the file\n", indent, info.declaredSize, bytes.size());
  }
  PrintEngineUse(bytes, path, info, indent);
  std::printf("%stags (%zu):\n", indent, info.tags.size());
  for (const IccTagInfo& tag : info.tags) {
    std::printf("%s  %-4s  %-4s  offset %-7u size %-7u %s\n", indent, tag.signature.c_str(),
                tag.type.empty() ? "-" : tag.type.c_str(), tag.offset, tag.size, tag.detail.c_str());
  }
}

Failure DescribeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  Failure f = ReadFileBytes(path, &bytes);
  if (f.failed()) return f;
  std::printf("%s:\n", ShownName(path).c_str());
  if (LooksLikeProfile(bytes)) {
    IccProfileInfo info;
    std::string error;
    if (!ParseIccProfile(bytes, &info, &error)) return Fails(kExitInput, ShownName(path) + ": " + error);
    std::printf("  ICC profile, %zu bytes\n", bytes.size());
    PrintProfile(bytes, path, info, "  ");
    return {};
  }
  Image image;
  std::string format;
  f = DecodeImage(bytes, path, nullptr, &image, &format);
  if (f.failed()) return f;
  std::printf("  format       %s\n", format.c_str());
  std::printf("  size         %d x %d pixels\n", image.width, image.height);
  std::printf("  samples      %d colour bytes a pixel%s, %d bits a sample in the file%s\n",
              image.space->groupBytes, image.alpha.empty() ? "" : " and alpha", image.fileBits,
              image.fileBits > 8 ? " (read rounded to 8)" : "");
  std::printf("  colour space %s", image.space->name);
  if (image.space->groupWidth > 1 || image.space->groupHeight > 1) {
    std::printf(" (%d bytes per %d x %d pixels)", image.space->groupBytes, image.space->groupWidth,
                image.space->groupHeight);
  }
  if (image.lab != LabEncoding::kUnspecified || image.space->name == std::string("LAB")) {
    std::printf(", %s", LabEncodingName(image.lab));
  }
  std::printf("\n");
  if (image.profile.empty()) {
    std::printf("  profile      none embedded\n");
    return {};
  }
  IccProfileInfo info;
  std::string error;
  if (!ParseIccProfile(image.profile, &info, &error)) {
    std::printf("  profile      %zu bytes embedded, unreadable: %s\n", image.profile.size(), error.c_str());
    return {};
  }
  std::printf("  profile      %zu bytes embedded: %s\n", image.profile.size(), ProfileSummary(info).c_str());
  PrintProfile(image.profile, "", info, "    ");
  return {};
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  int exitCode = kExitOk;
  if (!NameArguments(args, "info", kInfoHelp, &files, &exitCode)) return exitCode;
  if (files.empty()) return Report(Fails(kExitUsage, "no file given (see qclr info --help)"));
  for (const std::string& file : files) {
    const Failure f = DescribeFile(file);
    if (f.failed() && exitCode == kExitOk) exitCode = f.code;
    if (f.failed()) Report(f);
  }
  return exitCode;
}

}  // namespace qclr_tool
