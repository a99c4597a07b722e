// Fuzzes pairs of ICC profiles through a custom-profile handle: the transform build
// and conversions through it, as callers reach them. The input is a profile, as
// long as its header declares, optionally followed by a second profile and then by
// control bytes (direction, pixel order, white point, a rebuild). A single profile
// is paired with the built-in profile for the other side (display RGB for a
// printing or Lab profile, the printing profile otherwise). Both go to the library
// as files in memory (memfd), named through /proc/self/fd.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "qclr/qclr.h"

namespace {

struct ProfileFile {
  int fd = -1;
  std::string name;
};

ProfileFile gFiles[2];
std::vector<uint8_t> gBuiltinRgb, gBuiltinCmyk;

std::vector<uint8_t> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The bytes of the profile at the start of `data`: as many as its header declares
// when they are there, else all.
size_t ProfileLength(const uint8_t* data, size_t size) {
  if (size < 132) return size;
  const uint32_t declared = BigEndian32(data);
  return declared >= 132 && declared <= size ? declared : size;
}

void Store(ProfileFile& file, const uint8_t* bytes, size_t size) {
  if (ftruncate(file.fd, 0) != 0 || pwrite(file.fd, bytes, size, 0) != static_cast<ssize_t>(size)) abort();
}

// The colour spaces a profile can serve, by its header's colour space; a profile of
// any other space is offered as RGB (and must be refused).
int32_t SpaceFor(const uint8_t* profile, size_t size, bool alternative) {
  const uint32_t space = size >= 20 ? BigEndian32(profile + 16) : 0;
  switch (space) {
    case 0x434D594B: return alternative ? CSP_YCCK : CSP_CMYK;  // 'CMYK'
    case 0x434D5920: return CSP_CMY;                              // 'CMY '
    case 0x4C616220: return CSP_LAB;                              // 'Lab '
    default: return alternative ? CSP_BGR : CSP_RGB;
  }
}

void SetName(char (&field)[QCLR_FILE_NAME_SIZE], const std::string& name) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, name.data(), std::min(name.size(), sizeof field - 1));
}

// Converts `pixels` of the handle's source space (width x 4 rows, padded for the
// alignments) and checks the status.
void ConvertSome(ClrHandle* h, int32_t src, int32_t dst, FuzzedDataProvider& fdp) {
  const int32_t width = fdp.ConsumeIntegralInRange<int32_t>(1, 64), height = 4;
  const int32_t inAlign = fdp.ConsumeIntegralInRange<int32_t>(0, 8), outAlign = fdp.ConsumeIntegralInRange<int32_t>(0, 8);
  uint64_t srcBytes = 0, dstBytes = 0;
  if (!qclr_fuzz::ImageBytes(src, width, height, inAlign, &srcBytes) ||
      !qclr_fuzz::ImageBytes(dst, width, height, outAlign, &dstBytes)) {
    abort();
  }
  std::vector<uint8_t> in(srcBytes), out(dstBytes);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 37 + (i >> 5) * 11);  // a sweep
  const std::vector<uint8_t> chosen = fdp.ConsumeBytes<uint8_t>(in.size() / 4);
  std::copy(chosen.begin(), chosen.end(), in.begin());
  const int32_t status = Q_ClrConvert(h, in.data(), out.data(), width, height, inAlign, outAlign);
  QCLR_FUZZ_CHECK(status == CLR_OK || status == CLR_ERR_COLORSPACE);  // YCCK on both sides is refused
  if (fdp.ConsumeBool()) {  // the same in place gives the same bytes
    std::vector<uint8_t> shared(std::max(srcBytes, dstBytes));
    std::copy(in.begin(), in.end(), shared.begin());
    QCLR_FUZZ_CHECK(Q_ClrConvert(h, shared.data(), shared.data(), width, height, inAlign, outAlign) == status);
    uint64_t row = 0, base = 0;
    if (status == CLR_OK && qclr_fuzz::SpaceRow(dst, width, &row, &base)) {  // row by row: padding differs
      const uint64_t stride = row + qclr_fuzz::RowPadding(base, outAlign);
      for (int32_t y = 0; y < height; ++y) {
        QCLR_FUZZ_CHECK(std::memcmp(shared.data() + y * stride, out.data() + y * stride, row) == 0);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  (void)argc;
  for (ProfileFile& f : gFiles) {
    f.fd = memfd_create("qclr-fuzz-profile", MFD_CLOEXEC);
    if (f.fd < 0) abort();
    f.name = "/proc/self/fd/" + std::to_string(f.fd);
  }
  std::string dir = (*argv)[0];
  dir = dir.substr(0, dir.find_last_of('/') + 1) + "icc_seeds/";
  gBuiltinRgb = ReadWhole(dir + "profile_display_rgb.icc");
  gBuiltinCmyk = ReadWhole(dir + "profile_cmyk_press.icc");
  if (gBuiltinRgb.empty() || gBuiltinCmyk.empty()) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t first = ProfileLength(data, size);
  const uint8_t* second = data + first;
  size_t secondSize = ProfileLength(second, size - first);
  bool paired = secondSize >= 132 && std::memcmp(second + 36, "acsp", 4) == 0;
  if (!paired) secondSize = 0;
  FuzzedDataProvider fdp(second + secondSize, size - first - secondSize);

  const bool firstIsSource = !fdp.ConsumeBool();
  const int32_t firstSpace = SpaceFor(data, first, fdp.ConsumeBool());
  const std::vector<uint8_t>& builtin = firstSpace == CSP_RGB || firstSpace == CSP_BGR ? gBuiltinCmyk : gBuiltinRgb;
  const uint8_t* other = paired ? second : builtin.data();
  const size_t otherSize = paired ? secondSize : builtin.size();
  const int32_t otherSpace = SpaceFor(other, otherSize, fdp.ConsumeBool());
  Store(gFiles[0], data, first);
  Store(gFiles[1], other, otherSize);

  ConversionParams p{};
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  p.method = METHOD_CUSTOM_ICC;
  p.flags = METHOD_CUSTOM_ICC;
  SetName(firstIsSource ? p.srcProfileName : p.dstProfileName, gFiles[0].name);
  SetName(firstIsSource ? p.dstProfileName : p.srcProfileName, gFiles[1].name);
  WhitePoint white{};
  if (fdp.ConsumeBool()) {
    static constexpr uint32_t kKinds[] = {0, 50, 55, 65, 75, 93, 42};
    white.kind = fdp.PickValueInArray(kKinds);
    white.x = fdp.ConsumeFloatingPointInRange<double>(0.05, 0.6);
    white.y = fdp.ConsumeFloatingPointInRange<double>(0.05, 0.6);
    p.whitePoint = &white;
  }
  const int32_t src = firstIsSource ? firstSpace : otherSpace;
  const int32_t dst = firstIsSource ? otherSpace : firstSpace;
  ClrHandle* h = nullptr;
  const int32_t status = Q_ClrInit(&h, src, dst, &p);
  QCLR_FUZZ_CHECK(qclr_fuzz::DocumentedStatus(status));
  if (status != CLR_OK) return 0;
  ConvertSome(h, src, dst, fdp);
  if (fdp.ConsumeIntegralInRange<int>(0, 7) == 0) {  // a new white point: the transform is built again
    white = WhitePoint{fdp.ConsumeBool() ? 65u : 0u, 0, fdp.ConsumeFloatingPointInRange<double>(0.05, 0.6),
                       fdp.ConsumeFloatingPointInRange<double>(0.05, 0.6)};
    p.whitePoint = &white;
    p.flags = 4;
    const int32_t changed = Q_ClrSetConversionParams(h, &p);
    QCLR_FUZZ_CHECK(qclr_fuzz::DocumentedStatus(changed));
    ConvertSome(h, src, dst, fdp);  // with the new transform, or the old one kept
  }
  QCLR_FUZZ_CHECK(Q_ClrFree(h) == CLR_OK);
  return 0;
}
