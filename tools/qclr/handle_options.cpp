#include "handle_options.h"

#include <cstdlib>
#include <cstring>

#include "space_names.h"

namespace qclr_tool {
namespace {

// Splits "a,b,c" into numbers; false when a field is not a number.
bool Numbers(const std::string& text, std::vector<double>* out) {
  out->clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string field = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    char* end = nullptr;
    const double v = std::strtod(field.c_str(), &end);
    if (field.empty() || *end != '\0') return false;
    out->push_back(v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

bool Integers(const std::string& text, size_t count, std::vector<int32_t>* out) {
  std::vector<double> v;
  if (!Numbers(text, &v) || (count != 0 && v.size() != count)) return false;
  out->clear();
  for (double d : v) {
    if (d != static_cast<int32_t>(d)) return false;
    out->push_back(static_cast<int32_t>(d));
  }
  return true;
}

constexpr struct {
  const char* name;
  int32_t value;
} kMethods[] = {{"builtin", METHOD_BUILTIN},       {"icc", METHOD_ICC},
                {"custom-icc", METHOD_CUSTOM_ICC}, {"tables", METHOD_BUILTIN_TABLES},
                {"custom-tables", METHOD_CUSTOM_TABLES}, {"auto", METHOD_AUTO}};

bool ParseMethod(const std::string& v, int32_t* method) {
  for (const auto& m : kMethods) {
    if (SameName(m.name, v)) {
      *method = m.value;
      return true;
    }
  }
  return false;
}

bool ParseWhite(const std::string& v, WhitePoint* white) {
  static const struct {
    const char* name;
    uint32_t kind;
  } kPresets[] = {{"D50", 50}, {"D55", 55}, {"D65", 65}, {"D75", 75}, {"D93", 93}};
  for (const auto& p : kPresets) {
    if (SameName(p.name, v)) {
      white->kind = p.kind;
      return true;
    }
  }
  std::vector<double> xy;
  if (!Numbers(v, &xy) || xy.size() != 2) return false;
  white->kind = 0;
  white->x = xy[0];
  white->y = xy[1];
  return true;
}

// packed:uStepX,uStepY,vStepX,vStepY,groupPixels,noOffsets:offsets...
// planar:uStepX,uStepY,vStepX,vStepY,planeOrder,noOffsets
bool ParseYuv(const std::string& v, HandleOptions* o) {
  const size_t colon = v.find(':');
  if (colon == std::string::npos) return false;
  const std::string kind = v.substr(0, colon);
  std::string rest = v.substr(colon + 1), offsets;
  const size_t second = rest.find(':');
  if (second != std::string::npos) {
    offsets = rest.substr(second + 1);
    rest = rest.substr(0, second);
  }
  std::vector<int32_t> f;
  if (!Integers(rest, 6, &f)) return false;
  YuvLayout& y = o->yuv;
  y.uStepX = f[0];
  y.uStepY = f[1];
  y.vStepX = f[2];
  y.vStepY = f[3];
  y.noOffsets = f[5];
  if (kind == "planar") {
    y.planar = 1;
    o->yuvOffsets = {f[4]};
    return offsets.empty();
  }
  if (kind != "packed") return false;
  y.planar = 0;
  y.groupPixels = f[4];
  return Integers(offsets, 0, &o->yuvOffsets);
}

}  // namespace

bool ParseHandleOption(const std::vector<std::string>& args, size_t* i, HandleOptions* o,
                       bool* taken, std::string* error) {
  const std::string& name = args[*i];
  static const char* kNames[] = {"--method", "--src-profile", "--dst-profile", "--table", "--white",
                                 "--black",  "--lab",         "--yuv-layout"};
  *taken = false;
  for (const char* n : kNames) *taken = *taken || name == n;
  if (!*taken) return true;
  if (*i + 1 == args.size()) {
    *error = name + " needs a value";
    return false;
  }
  const std::string& v = args[++*i];
  o->used = true;
  ConversionParams& p = o->params;
  bool ok = true;
  if (name == "--method") {
    ok = ParseMethod(v, &p.method);
  } else if (name == "--src-profile") {
    o->srcProfile = v;
  } else if (name == "--dst-profile") {
    o->dstProfile = v;
  } else if (name == "--table") {
    o->table = v;
  } else if (name == "--white") {
    ok = o->hasWhite = ParseWhite(v, &o->white);
  } else if (name == "--black") {
    std::vector<int32_t> n;
    ok = o->hasCmyk = Integers(v, 1, &n);
    if (ok) o->cmyk.value = n[0];
  } else if (name == "--lab") {
    std::vector<int32_t> n;
    ok = o->hasLab = Integers(v, 6, &n);
    if (ok) {
      o->lab.lOffset = n[0];
      o->lab.lRange = n[1];
      o->lab.aOffset = n[2];
      o->lab.aRange = n[3];
      o->lab.bOffset = n[4];
      o->lab.bRange = n[5];
    }
  } else if (name == "--yuv-layout") {
    ok = o->hasYuv = ParseYuv(v, o);
  }
  if (!ok) *error = "malformed value for " + name + ": '" + v + "' (see qclr convert --help)";
  return ok;
}

void FinishHandleOptions(HandleOptions* o) {
  ConversionParams& p = o->params;
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  if (p.method == 0) {
    const bool profiles = !o->srcProfile.empty() || !o->dstProfile.empty();
    p.method = profiles ? METHOD_CUSTOM_ICC : !o->table.empty() ? METHOD_CUSTOM_TABLES : METHOD_BUILTIN;
  }
  p.flags = static_cast<uint32_t>(p.method);
  p.tableBits = 8;
  if (o->hasWhite) p.whitePoint = &o->white;
  if (o->hasCmyk) {
    o->cmyk.structSize = QCLR_CMYK_OPTIONS_SIZE;
    o->cmyk.mask = 1;
    p.cmykOptions = &o->cmyk;
  }
  if (o->hasLab) {
    o->lab.structSize = QCLR_LAB_OPTIONS_SIZE;
    p.labOptions = &o->lab;
  }
  if (o->hasYuv) {
    o->yuv.structSize = QCLR_YUV_LAYOUT_SIZE;
    o->yuv.sampleOffsets = o->yuvOffsets.data();
    p.yuvLayout = &o->yuv;
  }
}

int32_t EffectiveMethod(const HandleOptions& o, int32_t src, int32_t dst) {
  const int32_t method = o.params.method == 0 ? METHOD_BUILTIN : o.params.method;
  if (method != METHOD_AUTO) return method;
  auto rgb = [](int32_t s) { return s == CSP_RGB || s == CSP_BGR; };
  if (!rgb(src) && !rgb(dst)) return METHOD_BUILTIN;
  if (src == CSP_CMYK || dst == CSP_CMYK) return METHOD_ICC;
  if (src == CSP_LAB || dst == CSP_LAB) return METHOD_BUILTIN;
  if (src == CSP_YCCK && rgb(dst)) return METHOD_ICC;
  return 0;
}

const char* MethodName(int32_t method) {
  for (const auto& m : kMethods) {
    if (m.value == method) return m.name;
  }
  return "none";
}

const char* HandleOptionsHelp() {
  return "Conversion through a handle (any of these options selects it):\n"
         "  --method builtin|icc|custom-icc|tables|custom-tables|auto\n"
         "                                          icc: the library's built-in profiles;\n"
         "                                          custom-icc: --src-profile and --dst-profile\n"
         "  --src-profile FILE|embedded|builtin     source profile: a file, the input's own,\n"
         "                                          or the built-in one of the source space\n"
         "  --dst-profile FILE|builtin              destination profile (a missing side is\n"
         "                                          the built-in one); selects custom-icc\n"
         "  --table FILE                            TIFF emulation table for custom-tables\n"
         "  --white D50|D55|D65|D75|D93|x,y         white point of the ICC methods\n"
         "  --black N                               CMYK black generation, 0..1000\n"
         "  --lab lOff,lRange,aOff,aRange,bOff,bRange   byte encoding of Lab\n"
         "  --yuv-layout packed:uX,uY,vX,vY,n,noOffsets:offsets...\n"
         "  --yuv-layout planar:uX,uY,vX,vY,planeOrder,noOffsets\n"
         "                                          a YUV source in this layout; IN is then\n"
         "                                          raw bytes of --size WxH pixels\n"
         "Profiles may be ICC version 2 or 4. Each is checked by the library before\n"
         "anything is converted; one the engine cannot use is refused with the library's\n"
         "reason (exit 4). qclr info PROFILE tells how a profile serves.\n";
}

}  // namespace qclr_tool
