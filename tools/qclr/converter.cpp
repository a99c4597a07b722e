#include "converter.h"

#include "builtin_profiles.h"
#include "file_bytes.h"
#include "icc_profile_info.h"
#include "messages.h"
#include "parallel.h"
#include "profile_use.h"

namespace qclr_tool {
namespace {

bool IsRgbSide(int32_t space) { return space == CSP_RGB || space == CSP_BGR; }

bool IsIccMethod(int32_t method) { return method == METHOD_ICC || method == METHOD_CUSTOM_ICC; }

}  // namespace

Converter::Converter(const ConvertSettings& settings)
    : options_(settings.handle), to_(settings.to), threads_(settings.threads) {
  if (options_.used) FinishHandleOptions(&options_);
}

Converter::~Converter() {
  for (auto& entry : prepared_) {
    if (entry.second.handle != nullptr) Q_ClrFree(entry.second.handle);
  }
}

// The Lab encoding that a conversion from `src` into the destination reads and
// writes on its Lab side: ICC transforms take a + 128, everything else signed
// bytes; a caller-described encoding (--lab) is the caller's business.
LabEncoding Converter::LabFor(int32_t src) const {
  if (options_.used && options_.hasLab) return LabEncoding::kUnspecified;
  const int32_t method = options_.used ? EffectiveMethod(options_, src, to_->code) : METHOD_BUILTIN;
  const bool oneStep = IsRgbSide(src) || IsRgbSide(to_->code) || src == to_->code;
  return options_.used && IsIccMethod(method) && oneStep ? LabEncoding::kOffset128 : LabEncoding::kSigned;
}

Failure Converter::ResolveProfile(const std::string& choice, const Image& in, int32_t space,
                                  const std::string& name, bool source, ProfileSide* side) {
  const char* role = source ? "source" : "destination";
  if (choice == "embedded") {
    if (!source) return Fails(kExitUsage, "--dst-profile embedded: only the source profile can be the input's own");
    if (in.profile.empty()) return Fails(kExitUnsupported, ShownName(name) + " has no embedded profile");
    side->bytes = in.profile;
    side->shown = "the profile embedded in " + ShownName(name);
  } else if (choice.empty() || choice == "builtin") {
    side->bytes = BuiltinProfile(space);
    if (side->bytes.empty()) {
      return Fails(kExitUnsupported, std::string("no built-in profile serves ") + FindSpace(space)->name +
                                         "; give a " + role + " profile file");
    }
    side->shown = std::string("the built-in ") + FindSpace(space)->name + " profile";
  } else {
    const Failure read = ReadFileBytes(choice, &side->bytes);
    if (read.failed()) return Fails(read.code, "the " + std::string(role) + " profile: " + read.message);
    side->shown = "'" + choice + "'";
    if (choice.size() < QCLR_FILE_NAME_SIZE) side->path = choice;
  }
  IccProfileInfo info;
  std::string error;
  if (!ParseIccProfile(side->bytes, &info, &error)) {
    return Fails(kExitInput, side->shown + " is unusable as the " + role + " profile: " + error);
  }
  if (side->path.empty()) {
    temporaries_.push_back(std::make_unique<TemporaryProfile>());
    const Failure made = temporaries_.back()->Create(side->bytes);
    if (made.failed()) return made;
    side->path = temporaries_.back()->path();
  }
  return {};
}

Failure Converter::InitHandle(const Image& in, const std::string& name, Prepared* prepared) {
  ConversionParams params = options_.params;
  const int32_t src = in.space->code, dst = to_->code;
  const int32_t method = EffectiveMethod(options_, src, dst);
  ProfileSide source, destination;
  if (method == METHOD_CUSTOM_ICC) {
    // Each side is checked as the library will take it, so that a refusal says why.
    Failure f = ResolveProfile(options_.srcProfile, in, src, name, true, &source);
    if (!f.failed()) f = ProfileSideFailure(source.path, source.shown, src, true);
    if (!f.failed()) f = ResolveProfile(options_.dstProfile, in, dst, name, false, &destination);
    if (!f.failed()) f = ProfileSideFailure(destination.path, destination.shown, dst, false);
    if (f.failed()) return f;
    std::snprintf(params.srcProfileName, sizeof params.srcProfileName, "%s", source.path.c_str());
    std::snprintf(params.dstProfileName, sizeof params.dstProfileName, "%s", destination.path.c_str());
  } else if (!options_.srcProfile.empty() || !options_.dstProfile.empty()) {
    return Fails(kExitUsage, std::string("--src-profile and --dst-profile belong to --method custom-icc, not ") +
                                 MethodName(options_.params.method));
  }
  if (method == METHOD_CUSTOM_TABLES) {
    std::vector<uint8_t> unused;
    const Failure read = ReadFileBytes(options_.table, &unused);
    if (read.failed()) return Fails(read.code, "the emulation table: " + read.message);
    std::snprintf(params.tableFileName, sizeof params.tableFileName, "%s", options_.table.c_str());
  }
  const int32_t status = Q_ClrInit(&prepared->handle, src, dst, &params);
  if (status != CLR_OK) {
    prepared->handle = nullptr;
    return Fails(ExitForStatus(status), std::string("cannot convert ") + in.space->name + " to " + to_->name +
                                            " by method " + MethodName(options_.params.method) + ": " +
                                            StatusText(status));
  }
  const bool oneStep = IsRgbSide(src) || IsRgbSide(dst);
  if (method == METHOD_CUSTOM_ICC) prepared->dstProfile = destination.bytes;
  if (method == METHOD_ICC && oneStep) prepared->dstProfile = BuiltinProfile(dst);
  return {};
}

const Converter::Prepared& Converter::Prepare(const Image& in, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool ownProfile = options_.srcProfile == "embedded";
  std::string key = std::to_string(in.space->code);
  if (ownProfile) {
    key.push_back(':');
    key.append(in.profile.begin(), in.profile.end());
  }
  auto found = prepared_.find(key);
  if (found != prepared_.end()) return found->second;
  Prepared& prepared = prepared_[key];
  prepared.failure = InitHandle(in, name, &prepared);
  return prepared;
}

int32_t Converter::RunBands(ClrHandle* handle, const Image& in, Image* out) const {
  // YVU9 is planar: its rows cannot be cut into independent bands.
  const bool planar = in.space->code == CSP_YVU9 || out->space->code == CSP_YVU9;
  const int32_t bands = planar ? 1 : std::max(1, std::min(threads_, in.height / 16));
  const int32_t rowsPerBand = (in.height + bands - 1) / bands;
  const size_t inRow = RowBytes(*in.space, in.width), outRow = RowBytes(*out->space, in.width);
  std::vector<int32_t> statuses(static_cast<size_t>(bands), CLR_OK);
  RunParallel(static_cast<size_t>(bands), threads_, [&](size_t band) {
    const int32_t y0 = static_cast<int32_t>(band) * rowsPerBand;
    const int32_t rows = std::min(rowsPerBand, in.height - y0);
    if (rows <= 0) return;
    const uint8_t* src = in.bytes.data() + static_cast<size_t>(y0) * inRow;
    uint8_t* dst = out->bytes.data() + static_cast<size_t>(y0) * outRow;
    statuses[band] = handle != nullptr
                         ? Q_ClrConvert(handle, src, dst, in.width, rows, 0, 0)
                         : Q_ClrConvertDirect(in.space->code, out->space->code, src, dst, in.width, rows, 0, 0);
  });
  for (int32_t s : statuses) {
    if (s != CLR_OK) return s;
  }
  return CLR_OK;
}

Failure Converter::Convert(const Image& in, const std::string& name, Image* out) {
  if (!FitsGroups(*to_, in.width, in.height)) {
    return Fails(kExitUnsupported, "cannot convert " + ShownName(name) + " (" + std::to_string(in.width) + " x " +
                                       std::to_string(in.height) + ") to " + to_->name + ": " + GroupRule(*to_));
  }
  const Prepared* prepared = nullptr;
  if (options_.used) {
    prepared = &Prepare(in, name);
    if (prepared->failure.failed()) return prepared->failure;
  }
  const bool copy = in.space == to_ && !(options_.used && options_.params.method == METHOD_CUSTOM_ICC);
  // A Lab source in the other encoding than the method reads is rewritten first.
  const Image* source = &in;
  Image relabelled;
  const LabEncoding reads = LabFor(in.space->code);
  if (in.space->code == CSP_LAB && !copy && in.lab != LabEncoding::kUnspecified &&
      reads != LabEncoding::kUnspecified && in.lab != reads) {
    relabelled = in;
    ConvertLabEncoding(&relabelled.bytes, in.lab, reads);
    relabelled.lab = reads;
    source = &relabelled;
  }
  out->space = to_;
  out->width = in.width;
  out->height = in.height;
  out->alpha = in.alpha;
  out->fileBits = 8;
  out->bytes.assign(PackedBytes(*to_, in.width, in.height), 0);
  const int32_t status = RunBands(prepared != nullptr ? prepared->handle : nullptr, *source, out);
  if (status != CLR_OK) {
    return Fails(ExitForStatus(status), "cannot convert " + ShownName(name) + " from " + in.space->name + " to " +
                                            to_->name + ": " + StatusText(status));
  }
  if (copy) {
    out->lab = in.lab;
    out->profile = in.profile;
  } else {
    out->lab = to_->code == CSP_LAB ? LabFor(in.space->code) : LabEncoding::kUnspecified;
    out->profile = prepared != nullptr ? prepared->dstProfile : std::vector<uint8_t>();
  }
  return {};
}

}  // namespace qclr_tool
