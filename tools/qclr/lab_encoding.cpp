#include "lab_encoding.h"

#include <cstddef>

namespace qclr_tool {

void ConvertLabEncoding(std::vector<uint8_t>* lab, LabEncoding from, LabEncoding to) {
  if (from == to || from == LabEncoding::kUnspecified || to == LabEncoding::kUnspecified) return;
  for (size_t i = 0; i + 2 < lab->size(); i += 3) {
    (*lab)[i + 1] ^= 0x80;
    (*lab)[i + 2] ^= 0x80;
  }
}

const char* LabEncodingName(LabEncoding encoding) {
  switch (encoding) {
    case LabEncoding::kSigned: return "a, b as signed bytes (built-in formulas)";
    case LabEncoding::kOffset128: return "a + 128, b + 128 (ICC methods)";
    default: return "unspecified";
  }
}

}  // namespace qclr_tool
