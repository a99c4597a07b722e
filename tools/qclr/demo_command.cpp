// qclr demo [FOLDER]: converts a colour chart into every colour space and back, and
// through every ordered pair of spaces, and writes the images and a summary.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "commands.h"
#include "image_file.h"
#include "qclr/qclr.h"
#include "space_names.h"

namespace qclr_tool {
namespace {

constexpr int32_t kWidth = 96;  // a multiple of every pixel group
constexpr int32_t kHeight = 64;

// Hue sweep across, from full colour at the top to white and black further down,
// with a grey ramp in the bottom rows.
Image MakeChart() {
  Image chart;
  chart.space = FindSpace(CSP_RGB);
  chart.width = kWidth;
  chart.height = kHeight;
  chart.bytes.resize(PackedBytes(*chart.space, kWidth, kHeight));
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = &chart.bytes[3 * (static_cast<size_t>(y) * kWidth + x)];
      if (y >= kHeight - 8) {
        p[0] = p[1] = p[2] = static_cast<uint8_t>(x * 255 / (kWidth - 1));
        continue;
      }
      const int32_t sector = x * 6 / kWidth, step = (x * 6 % kWidth) * 255 / kWidth;
      int32_t rgb[3];
      const int32_t rising = step, falling = 255 - step;
      const int32_t table[6][3] = {{255, rising, 0},  {falling, 255, 0}, {0, 255, rising},
                                   {0, falling, 255}, {rising, 0, 255},  {255, 0, falling}};
      for (int c = 0; c < 3; ++c) rgb[c] = table[sector][c];
      // Top half: towards white; bottom half: towards black.
      const int32_t band = kHeight - 8, half = band / 2;
      for (int c = 0; c < 3; ++c) {
        rgb[c] = y < half ? rgb[c] + (255 - rgb[c]) * (half - 1 - y) / half : rgb[c] * (band - y) / half;
        p[c] = static_cast<uint8_t>(std::clamp(rgb[c], 0, 255));
      }
    }
  }
  return chart;
}

bool Convert(const Image& in, const SpaceInfo& to, Image* out, int32_t* status) {
  out->space = &to;
  out->width = in.width;
  out->height = in.height;
  out->bytes.assign(PackedBytes(to, in.width, in.height), 0);
  *status = Q_ClrConvertDirect(in.space->code, to.code, in.bytes.data(), out->bytes.data(), in.width,
                               in.height, 0, 0);
  return *status == CLR_OK;
}

struct Difference {
  int maximum = 0;
  double mean = 0;
};

Difference Compare(const Image& a, const Image& b) {
  Difference d;
  long long sum = 0;
  for (size_t i = 0; i < a.bytes.size(); ++i) {
    const int delta = std::abs(a.bytes[i] - b.bytes[i]);
    d.maximum = std::max(d.maximum, delta);
    sum += delta;
  }
  d.mean = a.bytes.empty() ? 0.0 : static_cast<double>(sum) / static_cast<double>(a.bytes.size());
  return d;
}

}  // namespace

int RunDemo(const std::vector<std::string>& args) {
  if (args.size() > 1) return Fail("usage: qclr demo [FOLDER]");
  const std::string folder = args.empty() ? "qclr-demo" : args[0];
  std::error_code failed;
  std::filesystem::create_directory(folder, failed);
  if (failed) return Fail("cannot create folder '" + folder + "'");

  std::string error;
  const Image chart = MakeChart();
  if (!WriteImage(folder + "/chart.ppm", chart, &error)) return Fail(error);

  std::ofstream summary(folder + "/summary.txt");
  summary << "qclr demo: a " << kWidth << " x " << kHeight << " colour chart (chart.ppm)\n\n"
          << "Round trips RGB -> space -> RGB (difference from the chart, in levels):\n";
  std::printf("%-6s %-10s %s\n", "space", "round trip", "max / mean difference");

  std::vector<Image> encoded(AllSpaces().size());
  int failures = 0;
  for (size_t i = 0; i < AllSpaces().size(); ++i) {
    const SpaceInfo& space = AllSpaces()[i];
    int32_t status = 0;
    Image back;
    if (!Convert(chart, space, &encoded[i], &status) || !Convert(encoded[i], *chart.space, &back, &status)) {
      ++failures;
      encoded[i].bytes.clear();
      summary << "  " << space.name << ": status " << status << "\n";
      std::printf("%-6s status %d\n", space.name, status);
      continue;
    }
    const std::string base = folder + "/" + space.name;
    if (!WriteImage(base + ".pam", encoded[i], &error) || !WriteImage(base + "-rgb.ppm", back, &error)) {
      return Fail(error);
    }
    const Difference d = Compare(chart, back);
    char line[128];
    std::snprintf(line, sizeof line, "%-6s %-10s %3d / %.2f", space.name, "ok", d.maximum, d.mean);
    summary << "  " << line << "\n";
    std::printf("%s\n", line);
  }

  // Every ordered pair, directly between the two spaces.
  int pairs = 0, converted = 0;
  summary << "\nOrdered pairs converted directly:\n";
  for (size_t i = 0; i < AllSpaces().size(); ++i) {
    for (size_t j = 0; j < AllSpaces().size(); ++j) {
      if (i == j || encoded[i].bytes.empty()) continue;
      ++pairs;
      Image out;
      int32_t status = 0;
      if (Convert(encoded[i], AllSpaces()[j], &out, &status)) {
        ++converted;
      } else {
        summary << "  " << AllSpaces()[i].name << " -> " << AllSpaces()[j].name << ": status " << status << "\n";
      }
    }
  }
  summary << "  " << converted << " of " << pairs << " pairs converted\n";
  std::printf("%d of %d ordered pairs converted; images and summary.txt in %s/\n", converted, pairs,
              folder.c_str());
  return failures == 0 && converted == pairs ? 0 : 1;
}

}  // namespace qclr_tool
