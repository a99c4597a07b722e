// The two byte encodings of CIE Lab images. L is 0..255 for L* 0..100 in both; a*
// and b* are signed bytes for the built-in formulas and the emulation tables, and
// a* + 128, b* + 128 for the ICC methods, as Lab profiles expect.
#pragma once

#include <cstdint>
#include <vector>

namespace qclr_tool {

enum class LabEncoding {
  kUnspecified,  // a file that does not say; taken to be what the method expects
  kSigned,       // a*, b* as signed bytes
  kOffset128,    // a* + 128, b* + 128
};

// Rewrites the a and b bytes of packed L, a, b triples from one encoding into the
// other; nothing happens when either is unspecified or both are the same. Adding
// 128 to a signed byte and reading it unsigned flips its top bit, and back.
void ConvertLabEncoding(std::vector<uint8_t>* lab, LabEncoding from, LabEncoding to);

// The name of an encoding in messages and `qclr info`.
const char* LabEncodingName(LabEncoding encoding);

}  // namespace qclr_tool
