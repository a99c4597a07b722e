// qclr demo [FOLDER]: converts a colour chart into every colour space and back by
// every method, measures how far each round trip strays, and writes a labelled
// contact sheet, the chart, every encoding (by the direct route) and a summary.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "contact_sheet.h"
#include "demo_chart.h"
#include "file_bytes.h"
#include "image_format.h"
#include "messages.h"
#include "qclr/qclr.h"

namespace qclr_tool {
namespace {

constexpr int32_t kWidth = 96;  // a multiple of every pixel group
constexpr int32_t kHeight = 64;

const char* kDemoHelp =
    "usage: qclr demo [FOLDER]\n"
    "\n"
    "Converts a colour chart into every colour space and back by every method\n"
    "(direct: Q_ClrConvertDirect; builtin, icc and tables: through a handle) and\n"
    "writes into FOLDER (default qclr-demo):\n"
    "  contact-sheet.png  every round trip as a labelled tile, with its error\n"
    "  summary.txt        each round trip's largest and mean error in levels, and\n"
    "                     which encodings are exact, close, lossy or one-way, and why\n"
    "  chart.png          the chart\n"
    "  SPACE.pam          the chart in each space, by the direct route\n"
    "The summary is printed as well.\n"
    "\n";

struct DemoMethod {
  const char* name;
  int32_t method;  // 0: the direct route
};

constexpr DemoMethod kMethods[] = {
    {"direct", 0}, {"builtin", METHOD_BUILTIN}, {"icc", METHOD_ICC}, {"tables", METHOD_BUILTIN_TABLES}};

// Why a space's round trip by a method loses what it loses, from the definitions
// of its encoder and decoder.
const char* Explanation(int32_t space, int32_t method) {
  if (method == METHOD_ICC && (space == CSP_CMYK || space == CSP_YCCK)) {
    return "through the press profile: its gamut is smaller than the display's, so saturated and dark "
           "colours come back changed";
  }
  if (method == METHOD_ICC) return "through the profile's sampled grid: interpolation and 8-bit rounding";
  if (method == METHOD_BUILTIN_TABLES) return "through the emulation table's 33-point grid";
  switch (space) {
    case CSP_YUV:
      return "one-way: the YUV encoder writes full-range Y and adds no chroma offset (negative U, V "
             "become 0), while the decoder expects video-range Y with U, V centred on 128";
    case CSP_YUY2:
    case CSP_UYVY: return "video-range Y, one U, V pair for every 2 pixels";
    case CSP_Y41P: return "video-range Y, one U, V pair for every 4 pixels";
    case CSP_YVU9: return "video-range Y, one U, V pair for every 4 x 4 block";
    case CSP_YCC: return "full-range YCbCr, truncated to whole levels";
    case CSP_CMYK: return "black generation and 8-bit inks";
    case CSP_YCCK:
      return "the inverted inks re-coded as YCbCr through fixed-point tables and decoded through "
             "others: their rounding adds up in dark colours";
    case CSP_HSV:
    case CSP_HLS: return "hue, saturation and lightness rounded to bytes";
    case CSP_YIQ: return "Y, I, Q rounded to bytes";
    case CSP_HSI: return "one-way: the hue is this library's own encoding, which the decoder does not invert";
    case CSP_LAB: return "8-bit L, a, b: a and b clip for saturated colours";
    case CSP_XYZ:
      return "one-way: the encoder writes values up to about 133 while the decoder expects 0..1, so "
             "colours saturate towards white";
    default: return "";
  }
}

const char* Verdict(const Difference& d) {
  if (d.maximum == 0) return "exact";
  if (d.maximum <= 4) return "close";
  if (d.mean <= 8) return "lossy";
  return "far off";
}

Image Blank(const SpaceInfo& space) {
  Image image;
  image.space = &space;
  image.width = kWidth;
  image.height = kHeight;
  image.bytes.assign(PackedBytes(space, kWidth, kHeight), 0);
  return image;
}

// One conversion by a demo method; the status of the first failing call.
int32_t ConvertBy(int32_t method, const Image& in, Image* out) {
  if (method == 0) {
    return Q_ClrConvertDirect(in.space->code, out->space->code, in.bytes.data(), out->bytes.data(), kWidth,
                              kHeight, 0, 0);
  }
  ConversionParams params{};
  params.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  params.method = method;
  params.flags = static_cast<uint32_t>(method);
  params.tableBits = 8;
  ClrHandle* handle = nullptr;
  int32_t status = Q_ClrInit(&handle, in.space->code, out->space->code, &params);
  if (status != CLR_OK) return status;
  status = Q_ClrConvert(handle, in.bytes.data(), out->bytes.data(), kWidth, kHeight, 0, 0);
  Q_ClrFree(handle);
  return status;
}

struct RoundTrip {
  int32_t status = CLR_OK;  // not CLR_OK: the method does not offer this space
  Image encoded, back;
  Difference difference;
};

RoundTrip Run(const Image& chart, const SpaceInfo& space, int32_t method) {
  RoundTrip trip;
  trip.encoded = Blank(space);
  if (space.code == CSP_LAB) trip.encoded.lab = method == METHOD_ICC ? LabEncoding::kOffset128 : LabEncoding::kSigned;
  trip.back = Blank(*chart.space);
  trip.status = ConvertBy(method, chart, &trip.encoded);
  if (trip.status == CLR_OK) trip.status = ConvertBy(method, trip.encoded, &trip.back);
  if (trip.status == CLR_OK) trip.difference = Compare(chart, trip.back);
  return trip;
}

Failure WriteImageFile(const std::string& path, FileFormat format, const Image& image) {
  std::vector<uint8_t> bytes;
  const Failure f = EncodeImage(format, image, path, 0, &bytes);
  return f.failed() ? f : WriteFileBytes(path, bytes);
}

// Every ordered pair of spaces converted directly from the direct encodings; the
// pairs that failed are listed.
std::string OrderedPairs(const std::vector<Image>& encoded) {
  int pairs = 0, converted = 0;
  std::string failures;
  for (size_t i = 0; i < encoded.size(); ++i) {
    for (size_t j = 0; j < AllSpaces().size(); ++j) {
      if (i == j) continue;
      ++pairs;
      Image out = Blank(AllSpaces()[j]);
      const int32_t status = ConvertBy(0, encoded[i], &out);
      if (status == CLR_OK) {
        ++converted;
      } else {
        failures += std::string("  ") + AllSpaces()[i].name + " -> " + AllSpaces()[j].name + ": " +
                    StatusName(status) + "\n";
      }
    }
  }
  return failures + "  " + std::to_string(converted) + " of " + std::to_string(pairs) +
         " ordered pairs converted directly\n";
}

}  // namespace

int RunDemo(const std::vector<std::string>& args) {
  std::vector<std::string> folders;
  int exitCode = kExitOk;
  if (!NameArguments(args, "demo", kDemoHelp, &folders, &exitCode)) return exitCode;
  if (folders.size() > 1) return Report(Fails(kExitUsage, "usage: qclr demo [FOLDER]"));
  const std::string folder = folders.empty() ? "qclr-demo" : folders[0];
  const Failure made = MakeFolder(folder);
  if (made.failed()) return Report(made);

  const Image chart = MakeChart(kWidth, kHeight);
  std::vector<std::string> headings = {"ORIGINAL"};
  for (const DemoMethod& m : kMethods) headings.push_back(m.name);
  ContactSheet sheet(static_cast<int>(headings.size()), static_cast<int>(AllSpaces().size()), kWidth, kHeight,
                     headings);
  std::string summary = "qclr demo: a " + std::to_string(kWidth) + " x " + std::to_string(kHeight) +
                        " colour chart (chart.png) into each space and back to RGB by each method.\n"
                        "Error: the largest and the mean difference from the chart, in levels of 0..255.\n"
                        "exact: no difference; close: at most 4 levels; lossy: a mean of at most 8;\n"
                        "far off: more. One-way encodings are those whose decoder does not invert the\n"
                        "encoder: their round trip cannot give the image back.\n\n";
  char line[512];
  std::snprintf(line, sizeof line, "%-6s %-8s %5s %7s  %-8s %s\n", "space", "method", "max", "mean", "verdict", "why");
  summary += line;

  std::vector<Image> encoded;
  for (size_t s = 0; s < AllSpaces().size(); ++s) {
    const SpaceInfo& space = AllSpaces()[s];
    sheet.Place(0, static_cast<int>(s), &chart, space.name, "", "", false);
    for (size_t m = 0; m < std::size(kMethods); ++m) {
      const RoundTrip trip = Run(chart, space, kMethods[m].method);
      const int column = static_cast<int>(m) + 1, row = static_cast<int>(s);
      if (trip.status != CLR_OK) {
        if (kMethods[m].method == 0) exitCode = kExitLibrary;  // the direct route offers every space
        sheet.Place(column, row, nullptr, std::string(space.name) + " " + kMethods[m].name, "not offered", "",
                    false);
        std::snprintf(line, sizeof line, "%-6s %-8s %5s %7s  %-8s not offered by this method (%s)\n", space.name,
                      kMethods[m].name, "-", "-", "-", StatusName(trip.status).c_str());
        summary += line;
        continue;
      }
      const Difference& d = trip.difference;
      const char* verdict = Verdict(d);
      char errorText[32];
      std::snprintf(errorText, sizeof errorText, "max %d mean %.1f", d.maximum, d.mean);
      sheet.Place(column, row, &trip.back, std::string(space.name) + " " + kMethods[m].name, errorText, verdict,
                  std::strcmp(verdict, "far off") == 0);
      std::snprintf(line, sizeof line, "%-6s %-8s %5d %7.2f  %-8s %s\n", space.name, kMethods[m].name, d.maximum,
                    d.mean, verdict, d.maximum == 0 ? "" : Explanation(space.code, kMethods[m].method));
      summary += line;
      if (kMethods[m].method == 0) encoded.push_back(trip.encoded);
    }
  }
  summary += "\nOrdered pairs, converted directly from the direct encodings:\n";
  if (encoded.size() == AllSpaces().size()) summary += OrderedPairs(encoded);

  Failure f = WriteImageFile(folder + "/chart.png", FileFormat::kPng, chart);
  if (!f.failed()) f = WriteImageFile(folder + "/contact-sheet.png", FileFormat::kPng, sheet.Page(2));
  for (size_t i = 0; i < encoded.size() && !f.failed(); ++i) {
    f = WriteImageFile(folder + "/" + encoded[i].space->name + ".pam", FileFormat::kPam, encoded[i]);
  }
  if (!f.failed()) f = WriteFileBytes(folder + "/summary.txt", std::vector<uint8_t>(summary.begin(), summary.end()));
  if (f.failed()) return Report(f);
  std::fputs(summary.c_str(), stdout);
  std::printf("\nContact sheet, chart, encodings and summary.txt in %s/\n", folder.c_str());
  return exitCode;
}

}  // namespace qclr_tool
