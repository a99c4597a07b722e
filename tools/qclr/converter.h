// Converts images into one destination space, directly or through conversion
// handles made once and shared by every image and thread of a run. Rows are
// converted in bands on several threads; the result is the same bytes as one call.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "handle_options.h"
#include "image.h"
#include "qclr/qclr.h"
#include "temporary_profile.h"

namespace qclr_tool {

// One side's ICC profile for the custom-icc method.
struct ProfileSide {
  std::vector<uint8_t> bytes;  // the profile
  std::string path;            // the file the library opens
  std::string shown;           // how messages name it
};

struct ConvertSettings {
  const SpaceInfo* to = nullptr;
  HandleOptions handle;  // handle.used: through a handle, else Q_ClrConvertDirect
  int threads = 1;       // for the bands of one image
};

class Converter {
 public:
  explicit Converter(const ConvertSettings& settings);
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter();

  // Converts `in` (read from `name`, for messages) into the destination space:
  // pixels, alpha, the Lab encoding the method writes, and the profile that
  // describes the result (the destination profile of the ICC methods, the input's
  // own when the pixels are only copied).
  Failure Convert(const Image& in, const std::string& name, Image* out);

 private:
  struct Prepared {
    ClrHandle* handle = nullptr;
    Failure failure;
    std::vector<uint8_t> dstProfile;  // written into the output
  };

  const Prepared& Prepare(const Image& in, const std::string& name);
  Failure ResolveProfile(const std::string& choice, const Image& in, int32_t space, const std::string& name,
                         bool source, ProfileSide* side);
  Failure InitHandle(const Image& in, const std::string& name, Prepared* prepared);
  int32_t RunBands(ClrHandle* handle, const Image& in, Image* out) const;
  LabEncoding LabFor(int32_t src) const;

  HandleOptions options_;
  const SpaceInfo* to_;
  int threads_;
  std::mutex mutex_;
  std::map<std::string, Prepared> prepared_;  // by source space and profile
  std::vector<std::unique_ptr<TemporaryProfile>> temporaries_;
};

}  // namespace qclr_tool
