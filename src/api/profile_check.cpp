// Q_ClrCheckProfile: whether a profile file can serve one side of an ICC
// conversion, and the reason a program can show when it cannot.
#include <cstring>

#include "icc/icc_engine.h"
#include "qclr/qclr.h"

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrCheckProfile(const char* fileName, int32_t colorSpace, int32_t side,
                                                        char* reason, int32_t reasonSize) {
  using namespace qclr;
  if (reasonSize > 0 && reason == nullptr) return CLR_ERR_PARAM;
  const auto say = [reason, reasonSize](const char* text) {
    if (reasonSize > 0) {
      std::strncpy(reason, text, static_cast<size_t>(reasonSize) - 1);
      reason[reasonSize - 1] = '\0';
    }
  };
  if (fileName == nullptr || (side != kIccSideSource && side != kIccSideDestination) || reasonSize < 0) {
    say("invalid argument: a file name, side 0 or 1 and a reason size of at least 0 are needed");
    return CLR_ERR_PARAM;
  }
  // A conversion handle keeps the name in a field of QCLR_FILE_NAME_SIZE characters.
  size_t length = 0;
  while (length < QCLR_FILE_NAME_SIZE && fileName[length] != '\0') ++length;
  if (length == 0 || length == QCLR_FILE_NAME_SIZE) {
    say(length == 0 ? "no file name" : "the file name is longer than 259 characters");
    return CLR_ERR_FILE_NAME;
  }
  const uint32_t format = IccFormatOfSpace(colorSpace);
  if (format == 0) {
    say("the colour space does not convert through ICC profiles (RGB, BGR, CMY, CMYK, YCCK and Lab do)");
    return CLR_ERR_COLORSPACE;
  }
  return IccCheckProfileFile(fileName, format, side, reason, reasonSize);
}
