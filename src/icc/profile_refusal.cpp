#include "icc/profile_refusal.h"

#include <cstdarg>
#include <cstdio>

#include "icc/icc_signatures.h"

namespace qclr {
namespace {

bool Printable(uint32_t signature) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint32_t c = (signature >> shift) & 0xFF;
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

SignatureText Name(uint32_t signature, bool quoted, bool trimmed) {
  SignatureText s{};
  if (!Printable(signature)) {
    std::snprintf(s.text, sizeof s.text, "0x%08X", static_cast<unsigned>(signature));
    return s;
  }
  int n = 0;
  if (quoted) s.text[n++] = '\'';
  for (int shift = 24; shift >= 0; shift -= 8) s.text[n++] = static_cast<char>((signature >> shift) & 0xFF);
  while (trimmed && n > 1 && s.text[n - 1] == ' ') --n;
  if (quoted) s.text[n++] = '\'';
  s.text[n] = '\0';
  return s;
}

const char* ClassName(uint32_t deviceClass) {
  switch (deviceClass) {
    case kIccClassInput: return "input";
    case kIccClassDisplay: return "display";
    case kIccClassOutput: return "output";
    case kIccClassLink: return "device link";
    case kIccClassColorSpace: return "colour space";
    case kIccClassAbstract: return "abstract";
    case kIccClassNamedColor: return "named colour";
    default: return nullptr;
  }
}

}  // namespace

void SetRefusal(IccRefusal* refusal, const char* format, ...) {
  if (refusal == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(refusal->text, sizeof refusal->text, format, args);
  va_end(args);
}

SignatureText TagName(uint32_t signature) { return Name(signature, false, true); }
SignatureText TypeName(uint32_t signature) { return Name(signature, true, false); }
SignatureText SpaceName(uint32_t signature) { return Name(signature, false, true); }

void RefuseTag(const IccProfile* profile, uint32_t signature, const uint32_t* types, int32_t count,
               IccRefusal* refusal) {
  IccByteReader reader;
  uint32_t type = 0;
  const int32_t found = IccOpenTag(profile, signature, &reader, &type);
  const SignatureText name = TagName(signature);
  const char* tag = name.text;
  if (found == 0) return SetRefusal(refusal, "tag %s is missing", tag);
  if (found < 0) return SetRefusal(refusal, "tag %s does not fit in the profile", tag);
  bool supported = false;
  for (int32_t i = 0; i < count; ++i) supported = supported || types[i] == type;
  if (!supported) {
    return SetRefusal(refusal, "tag %s has type %s, which is not supported", tag, TypeName(type).text);
  }
  SetRefusal(refusal, "tag %s (%s) is cut short or malformed", tag, TypeName(type).text);
}

void DescribeProfile(const IccProfile* profile, char* text, int32_t size) {
  if (size <= 0) return;
  const uint32_t v = IccGetVersion(profile);
  const char* name = ClassName(IccGetDeviceClass(profile));
  char classText[32];
  if (name == nullptr) {
    std::snprintf(classText, sizeof classText, "%s-class", TypeName(IccGetDeviceClass(profile)).text);
    name = classText;
  }
  std::snprintf(text, static_cast<size_t>(size), "version %u.%u %s profile (%s, PCS %s)", v >> 24, (v >> 20) & 0xF,
                name, SpaceName(IccGetColorSpace(profile)).text, SpaceName(IccGetConnectionSpace(profile)).text);
}

}  // namespace qclr
