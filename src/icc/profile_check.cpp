#include "icc/profile_check.h"

#include <cstdio>

#include "base/memory.h"
#include "icc/icc_signatures.h"
#include "icc/pixel_format.h"
#include "icc/transform_sides.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// How a side that builds converts.
void DescribeSide(const IccProfile* profile, const TransformSide& side, int32_t which, IccRefusal* why) {
  const char* role = which == kIccSideSource ? "source" : "destination";
  if (side.shaper != nullptr) {
    return SetRefusal(why, "usable as a %s, through its colorants and tone curves", role);
  }
  const uint32_t tag = which == kIccSideSource ? kIccTagAToB0 : kIccTagBToA0;
  IccByteReader reader;
  uint32_t type = 0;
  IccOpenTag(profile, tag, &reader, &type);
  SetRefusal(why, "usable as a %s, through its %s table (%s)", role, TagName(tag).text, TypeName(type).text);
}

void DescribeOpenFailure(const IccOpenError& error, IccRefusal* why) {
  switch (error.failure) {
    case IccOpenFailure::kUnreadable:
      return SetRefusal(why, "the file cannot be read (system error %d)", static_cast<int>(error.systemError));
    case IccOpenFailure::kNotAProfile:
      return SetRefusal(why, "the file is not an ICC profile (no 'acsp' signature in a 128-byte header)");
    case IccOpenFailure::kBadSize:
      return SetRefusal(why, "the profile's declared size does not fit its file or its tag directory");
    case IccOpenFailure::kTooLarge: return SetRefusal(why, "the profile declares a size beyond 256 MiB");
    case IccOpenFailure::kNoMemory:
    case IccOpenFailure::kNone: return SetRefusal(why, "there is no memory to read the profile");
  }
}

}  // namespace

int32_t IccCheckProfile(const IccProfile* profile, uint32_t format, int32_t which, IccRefusal* why) {
  const bool source = which == kIccSideSource;
  if ((source ? SelectUnpacker(format) == nullptr : SelectPacker(format) == nullptr)) {
    SetRefusal(why, "the pixel format 0x%X does not convert through profiles", static_cast<unsigned>(format));
    return CLR_ERR_COLORSPACE;
  }
  if (!IccProfileFitsFormat(profile, format, why)) return CLR_ERR_PROFILE_MISMATCH;
  const auto channels = static_cast<int32_t>(FormatChannels(format));
  TransformSide side;
  const bool built = source ? IccBuildInputSide(profile, channels, &side, why)
                            : IccBuildOutputSide(profile, channels, &side, why);
  if (!built) return CLR_ERR_PROFILE_MISMATCH;
  const bool usable = IccMediaPointsUsable(profile, why);
  if (usable) DescribeSide(profile, side, which, why);
  return usable ? CLR_OK : CLR_ERR_PROFILE_MISMATCH;
}

int32_t IccCheckProfileFile(const char* path, uint32_t format, int32_t side, char* reason, int32_t size) {
  IccRefusal why{};
  IccOpenError error{};
  const unsigned long failedBefore = FailedAllocationsOnThisThread();
  const OwnedProfile profile(IccOpenProfileFromFileWithError(path, &error));
  int32_t status = CLR_ERR_PROFILE_OPEN;
  char description[96] = "";
  if (profile == nullptr) {
    DescribeOpenFailure(error, &why);
  } else {
    status = IccCheckProfile(profile.get(), format, side, &why);
    DescribeProfile(profile.get(), description, sizeof description);
  }
  if (status != CLR_OK && FailedAllocationsOnThisThread() != failedBefore) {  // not the profile's fault
    status = CLR_ERR_NOMEM;
    SetRefusal(&why, "there is no memory to check the profile");
  }
  if (size > 0) {
    std::snprintf(reason, static_cast<size_t>(size), "%s%s%s", description, description[0] != '\0' ? ": " : "",
                  why.text);
  }
  return status;
}

}  // namespace qclr
