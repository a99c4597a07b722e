#include "convert_options.h"

#include <cstdlib>

namespace qclr_tool {
namespace {

bool ParseCount(const std::string& text, int low, int high, int* value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < low || v > high) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseSize(const std::string& text, int32_t* width, int32_t* height) {
  const size_t x = text.find('x');
  int w = 0, h = 0;
  if (x == std::string::npos || !ParseCount(text.substr(0, x), 1, 1 << 24, &w) ||
      !ParseCount(text.substr(x + 1), 1, 1 << 24, &h)) {
    return false;
  }
  *width = w;
  *height = h;
  return SizeWithinLimits(w, h);
}

Failure Usage(const std::string& message) { return Fails(kExitUsage, message + " (see qclr convert --help)"); }

}  // namespace

Failure ParseConvertOptions(const std::vector<std::string>& args, ConvertRequest* r) {
  std::vector<std::string> files;
  bool endOfOptions = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (endOfOptions || a == "-" || a.empty() || a[0] != '-') {
      files.push_back(a);
      continue;
    }
    if (a == "--") {
      endOfOptions = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      r->help = true;
      return {};
    }
    if (a == "-q" || a == "--quiet") {
      r->quiet = true;
      continue;
    }
    bool taken = false;
    std::string error;
    if (!ParseHandleOption(args, &i, &r->handle, &taken, &error)) return Usage(error);
    if (taken) continue;
    static const char* const kValued[] = {"--from", "--to", "--size", "--align", "--format", "-o", "-j", "--jobs"};
    bool valued = false;
    for (const char* v : kValued) valued = valued || a == v;
    if (!valued) return Usage("unknown option '" + a + "'");
    if (i + 1 == args.size()) return Usage(a + " needs a value");
    const std::string& v = args[++i];
    if (a == "--from" || a == "--to") {
      const SpaceInfo* space = FindSpace(v);
      if (space == nullptr) return Usage("unknown colour space '" + v + "'");
      (a == "--from" ? r->from : r->to) = space;
    } else if (a == "--size") {
      if (!ParseSize(v, &r->rawLayout.width, &r->rawLayout.height)) {
        return Usage("malformed --size '" + v + "': WIDTHxHEIGHT, at most 2^28 pixels");
      }
      r->raw = true;
    } else if (a == "--align") {
      if (!ParseCount(v, 0, 1 << 16, &r->align)) return Usage("malformed --align '" + v + "': 0..65536 bytes");
    } else if (a == "--format") {
      if (!FormatFromName(v, &r->format)) return Usage("unknown format '" + v + "'");
      r->hasFormat = true;
    } else if (a == "-o") {
      r->outputFolder = v;
    } else if (!ParseCount(v, 1, 256, &r->jobs)) {
      return Usage("malformed " + a + " '" + v + "': 1..256 threads");
    }
  }
  if (r->to == nullptr) return Usage("--to SPACE is missing");
  if (r->outputFolder.empty()) {
    if (files.size() != 2) return Usage("give IN OUT, or inputs and -o FOLDER");
    r->inputs = {files[0]};
    r->output = files[1];
  } else {
    if (files.empty()) return Usage("no input files");
    r->inputs = files;
  }
  if (r->handle.hasYuv) {
    if (r->from != nullptr && r->from->code != CSP_YUV) return Usage("--yuv-layout describes a YUV source");
    r->from = FindSpace(CSP_YUV);
    if (!r->raw) return Usage("--yuv-layout needs --size WxH (the input is a raw buffer)");
  }
  if (r->raw) {
    if (r->from == nullptr) return Usage("--size needs --from SPACE (the space of the raw input)");
    r->rawLayout.space = r->from;
    r->rawLayout.align = r->align;
  }
  return {};
}

const char* ConvertHelp() {
  return "usage: qclr convert [options] --to SPACE IN OUT\n"
         "       qclr convert [options] --to SPACE -o FOLDER IN...\n"
         "\n"
         "Converts images into colour space SPACE. IN and OUT may be \"-\" for standard\n"
         "input and output. With -o, every IN is written into FOLDER under its own name\n"
         "(the extension replaced when --format is given), the files converted on every\n"
         "processor with a progress bar on a terminal; a single image is converted in\n"
         "bands on every processor.\n"
         "\n"
         "Input formats, told from the file's first bytes: PNG, JPEG, TIFF, PPM/PGM, PAM.\n"
         "16-bit samples are rounded to 8 bits (with a warning). Grey images are read as RGB.\n"
         "The output format follows OUT's extension (.png .jpg .tif .pam .ppm .raw) or\n"
         "--format; standard output is PAM unless --format says otherwise. PNG and PPM hold\n"
         "RGB, JPEG RGB or CMYK, TIFF RGB, CMYK or LAB, PAM and raw every space; a space the\n"
         "format cannot hold is an error. Alpha is kept where the format holds it (PNG,\n"
         "TIFF, PAM of one-pixel spaces) and dropped with a warning elsewhere.\n"
         "\n"
         "Options:\n"
         "  --to SPACE          the destination colour space (required)\n"
         "  --from SPACE        the space of a raw input; for other files a check of it\n"
         "  --size WxH          the inputs are raw buffers of --from, W x H pixels\n"
         "  --align N           rows of raw files (in and out) padded to N bytes\n"
         "  --format F          output format: png, jpeg, tiff, pam, ppm, raw\n"
         "  -o FOLDER           write every input into FOLDER\n"
         "  -j, --jobs N        threads (default: every processor)\n"
         "  -q, --quiet         no progress bar and no warnings\n"
         "  -h, --help          this text\n"
         "\n";
}

}  // namespace qclr_tool
