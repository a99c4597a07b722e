// Four-character signatures of ICC profiles as 32-bit values (the first character
// in the high byte, as a big-endian read of the four bytes gives).
#pragma once

#include <cstdint>

namespace qclr {

constexpr uint32_t IccSignature(const char (&text)[5]) {
  return (uint32_t{static_cast<uint8_t>(text[0])} << 24) | (uint32_t{static_cast<uint8_t>(text[1])} << 16) |
         (uint32_t{static_cast<uint8_t>(text[2])} << 8) | uint32_t{static_cast<uint8_t>(text[3])};
}

// Profile signature at offset 36.
inline constexpr uint32_t kIccMagic = IccSignature("acsp");

// Device classes.
inline constexpr uint32_t kIccClassDisplay = IccSignature("mntr");
inline constexpr uint32_t kIccClassOutput = IccSignature("prtr");
inline constexpr uint32_t kIccClassColorSpace = IccSignature("spac");
inline constexpr uint32_t kIccClassInput = IccSignature("scnr");
inline constexpr uint32_t kIccClassLink = IccSignature("link");
inline constexpr uint32_t kIccClassAbstract = IccSignature("abst");
inline constexpr uint32_t kIccClassNamedColor = IccSignature("nmcl");

// Colour spaces (data and connection space).
inline constexpr uint32_t kIccSpaceRgb = IccSignature("RGB ");
inline constexpr uint32_t kIccSpaceCmy = IccSignature("CMY ");
inline constexpr uint32_t kIccSpaceCmyk = IccSignature("CMYK");
inline constexpr uint32_t kIccSpaceLab = IccSignature("Lab ");
inline constexpr uint32_t kIccSpaceXyz = IccSignature("XYZ ");

// Tags.
inline constexpr uint32_t kIccTagMediaWhite = IccSignature("wtpt");
inline constexpr uint32_t kIccTagMediaBlack = IccSignature("bkpt");
inline constexpr uint32_t kIccTagRedColorant = IccSignature("rXYZ");
inline constexpr uint32_t kIccTagGreenColorant = IccSignature("gXYZ");
inline constexpr uint32_t kIccTagBlueColorant = IccSignature("bXYZ");
inline constexpr uint32_t kIccTagRedCurve = IccSignature("rTRC");
inline constexpr uint32_t kIccTagGreenCurve = IccSignature("gTRC");
inline constexpr uint32_t kIccTagBlueCurve = IccSignature("bTRC");
inline constexpr uint32_t kIccTagAToB0 = IccSignature("A2B0");
inline constexpr uint32_t kIccTagBToA0 = IccSignature("B2A0");
inline constexpr uint32_t kIccTagDescription = IccSignature("desc");
inline constexpr uint32_t kIccTagCopyright = IccSignature("cprt");
inline constexpr uint32_t kIccTagChromaticAdaptation = IccSignature("chad");

// Tag types.
inline constexpr uint32_t kIccTypeXyz = IccSignature("XYZ ");
// An XYZ type signature some older profiles carry; read like kIccTypeXyz.
inline constexpr uint32_t kIccTypeXyzLegacy = 0x07C3B10C;
inline constexpr uint32_t kIccTypeCurve = IccSignature("curv");
inline constexpr uint32_t kIccTypeLut8 = IccSignature("mft1");
inline constexpr uint32_t kIccTypeLut16 = IccSignature("mft2");
inline constexpr uint32_t kIccTypeText = IccSignature("text");
inline constexpr uint32_t kIccTypeDescription = IccSignature("desc");
// Version 4 types.
inline constexpr uint32_t kIccTypeParametricCurve = IccSignature("para");
inline constexpr uint32_t kIccTypeLutAToB = IccSignature("mAB ");
inline constexpr uint32_t kIccTypeLutBToA = IccSignature("mBA ");
inline constexpr uint32_t kIccTypeS15Fixed16Array = IccSignature("sf32");
inline constexpr uint32_t kIccTypeMultiLocalizedText = IccSignature("mluc");

}  // namespace qclr
