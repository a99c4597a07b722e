// Runs every encoder and decoder of the direct route over all 2^24 three-byte
// inputs (or every Nth with --sample N) and checks that
//  - the packed processor paths give the bytes of the plain path where the two
//    are defined to agree (all kernels but the YIQ and YCCK decoders, whose packed
//    arithmetic is its own definition),
//  - CSP_BGR on the RGB side gives the CSP_RGB bytes with R and B exchanged,
//  - converting a whole image equals converting each pixel on its own.
//  - one image through every ordered pair of the 17 spaces (a checksum a source
//    space), so that builds for other platforms can be compared pair by pair;
//  - every implementation of a kernel (each instruction set up to the processor's
//    best: base/instruction_set.h) gives the bytes of the portable one;
//  - the same for the routes through handles (exhaustive_handles.cpp).
// It prints one checksum per kernel and path on standard output; the same build on
// another platform must print the same lines (CI compares the 64-bit and 32-bit
// outputs). Which instruction sets were compared goes to standard error, since it
// depends on the processor.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/cpu_level.h"
#include "base/instruction_set.h"
#include "direct/color_space.h"
#include "exhaustive_handles.h"
#include "qclr/qclr.h"

namespace {

struct Space {
  int32_t code;
  const char* name;
  int bytes;                // bytes a pixel in the space
  bool packedEqualsPlain;   // decoder's packed path defined to give the plain bytes
};

const Space kSpaces[] = {
    {CSP_YUV, "YUV", 3, true},   {CSP_CMYK, "CMYK", 4, true}, {CSP_HSV, "HSV", 3, true},
    {CSP_HLS, "HLS", 3, true},   {CSP_YIQ, "YIQ", 3, false},   {CSP_CMY, "CMY", 3, true},
    {CSP_LAB, "LAB", 3, true},   {CSP_YCCK, "YCCK", 4, false}, {CSP_YCC, "YCC", 3, true},
    {CSP_HSI, "HSI", 3, true},
};

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

// Inputs: every `step`-th value of the 24-bit counter, as pixels of `bytes` bytes
// (a fourth byte, where needed, from a mixing of the counter).
std::vector<uint8_t> Inputs(int bytes, uint32_t step, int32_t* count) {
  *count = static_cast<int32_t>((1u << 24) / step);
  std::vector<uint8_t> in(static_cast<size_t>(*count) * bytes);
  for (int32_t i = 0; i < *count; ++i) {
    const uint32_t v = static_cast<uint32_t>(i) * step;
    uint8_t* p = &in[static_cast<size_t>(i) * bytes];
    p[0] = static_cast<uint8_t>(v >> 16);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v);
    if (bytes == 4) p[3] = static_cast<uint8_t>((v * 2654435761u) >> 24);
  }
  return in;
}

int gFailures = 0;

void Check(bool ok, const std::string& what) {
  if (!ok) {
    ++gFailures;
    std::printf("FAIL %s\n", what.c_str());
  }
}

// Converts `count` pixels as one image of rows of 256 pixels (count is a multiple
// of 256 for every step the tool accepts) with the kernels capped at `isa`.
std::vector<uint8_t> ConvertWith(int isa, int32_t from, int32_t to, const std::vector<uint8_t>& in,
                                 int32_t count, int outBytes, int level) {
  qclr::OverrideCpuLevel(level);
  qclr::CapInstructionSet(isa);
  std::vector<uint8_t> out(static_cast<size_t>(count) * outBytes);
  const int32_t width = 256, height = count / width;
  const int32_t status = Q_ClrConvertDirect(from, to, in.data(), out.data(), width, height, 0, 0);
  Check(status == CLR_OK, "status of " + std::to_string(from) + " -> " + std::to_string(to));
  qclr::CapInstructionSet(-1);
  qclr::OverrideCpuLevel(-1);
  return out;
}

// The portable implementation's bytes, after checking that every faster
// implementation this processor runs gives the same.
std::vector<uint8_t> Convert(int32_t from, int32_t to, const std::vector<uint8_t>& in,
                             int32_t count, int outBytes, int level) {
  const std::vector<uint8_t> portable = ConvertWith(0, from, to, in, count, outBytes, level);
  const int best = static_cast<int>(qclr::DetectedInstructionSet());
  for (int isa = 1; isa <= best; ++isa) {
    const auto name = qclr::InstructionSetName(static_cast<qclr::InstructionSet>(isa));
    Check(ConvertWith(isa, from, to, in, count, outBytes, level) == portable,
          std::to_string(from) + " -> " + std::to_string(to) + " at level " + std::to_string(level) +
              ": the " + name + " implementation differs from the portable one");
  }
  return portable;
}

void SwapRb(std::vector<uint8_t>* rgb) {
  for (size_t i = 0; i + 2 < rgb->size(); i += 3) std::swap((*rgb)[i], (*rgb)[i + 2]);
}

void CheckSpace(const Space& s, uint32_t step) {
  int32_t count = 0;
  // Encoder: RGB -> space.
  std::vector<uint8_t> rgb = Inputs(3, step, &count);
  const auto enc0 = Convert(CSP_RGB, s.code, rgb, count, s.bytes, 0);
  const auto enc2 = Convert(CSP_RGB, s.code, rgb, count, s.bytes, 2);
  Check(enc0 == enc2, std::string(s.name) + " encoder: processor levels differ");
  std::vector<uint8_t> bgr = rgb;
  SwapRb(&bgr);
  Check(Convert(CSP_BGR, s.code, bgr, count, s.bytes, 0) == enc0,
        std::string(s.name) + " encoder: BGR order differs");
  // A sample of single pixels against the image.
  for (int32_t i = 0; i < count; i += 997) {
    uint8_t one[4] = {};
    Q_ClrConvertDirect(CSP_RGB, s.code, &rgb[3 * static_cast<size_t>(i)], one, 1, 1, 0, 0);
    Check(std::memcmp(one, &enc0[static_cast<size_t>(i) * s.bytes], static_cast<size_t>(s.bytes)) == 0,
          std::string(s.name) + " encoder: pixel " + std::to_string(i) + " differs alone");
  }
  std::printf("%-5s encoder        %016llx\n", s.name, static_cast<unsigned long long>(Fnv1a(enc0)));

  // Decoder: space -> RGB.
  const std::vector<uint8_t> in = Inputs(s.bytes, step, &count);
  const auto dec0 = Convert(s.code, CSP_RGB, in, count, 3, 0);
  const auto dec2 = Convert(s.code, CSP_RGB, in, count, 3, 2);
  if (s.packedEqualsPlain) Check(dec0 == dec2, std::string(s.name) + " decoder: processor levels differ");
  for (int level : {0, 2}) {
    std::vector<uint8_t> asBgr = Convert(s.code, CSP_BGR, in, count, 3, level);
    SwapRb(&asBgr);
    Check(asBgr == (level == 0 ? dec0 : dec2), std::string(s.name) + " decoder: BGR order differs");
  }
  std::printf("%-5s decoder plain  %016llx\n", s.name, static_cast<unsigned long long>(Fnv1a(dec0)));
  if (!s.packedEqualsPlain) {
    std::printf("%-5s decoder packed %016llx\n", s.name, static_cast<unsigned long long>(Fnv1a(dec2)));
  }
}

// A 64 x 8 image of random bytes in each space through every ordered pair, rows
// padded for alignments 5 and 7; one checksum over the 17 results a source space.
void PrintAllPairs() {
  constexpr int32_t kWidth = 64, kHeight = 8, kInAlign = 5, kOutAlign = 7;
  const int32_t codes[] = {CSP_RGB, CSP_BGR, CSP_YUV,  CSP_CMYK, CSP_HSV,  CSP_HLS,  CSP_YIQ,  CSP_CMY, CSP_LAB,
                           CSP_XYZ, CSP_YUY2, CSP_YVU9, CSP_YCCK, CSP_Y41P, CSP_UYVY, CSP_YCC, CSP_HSI};
  uint32_t state = 2463534242u;
  for (int32_t from : codes) {
    size_t inBytes = 0;
    qclr::BufferBytes(from, kWidth, kHeight, kInAlign, &inBytes);
    std::vector<uint8_t> in(inBytes);
    for (uint8_t& b : in) {
      state ^= state << 13, state ^= state >> 17, state ^= state << 5;
      b = static_cast<uint8_t>(state >> 24);
    }
    std::vector<uint8_t> all;
    for (int32_t to : codes) {
      size_t outBytes = 0;
      qclr::BufferBytes(to, kWidth, kHeight, kOutAlign, &outBytes);
      std::vector<uint8_t> out(outBytes, 0xA5);
      const int32_t status = Q_ClrConvertDirect(from, to, in.data(), out.data(), kWidth, kHeight, kInAlign, kOutAlign);
      Check(status == CLR_OK, "status of " + std::to_string(from) + " -> " + std::to_string(to));
      all.insert(all.end(), out.begin(), out.end());
    }
    std::printf("pairs from %-3d  %016llx\n", from, static_cast<unsigned long long>(Fnv1a(all)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t step = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--sample") == 0 && i + 1 < argc) {
      step = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      std::fprintf(stderr, "usage: exhaustive_check [--sample N]  (N a power of two up to 65536)\n");
      return 2;
    }
  }
  if (step == 0 || step > 65536 || (step & (step - 1)) != 0) {
    std::fprintf(stderr, "exhaustive_check: N must be a power of two up to 65536\n");
    return 2;
  }
  std::fprintf(stderr, "implementations compared: portable");
  for (int isa = 1; isa <= static_cast<int>(qclr::DetectedInstructionSet()); ++isa) {
    std::fprintf(stderr, ", %s", qclr::InstructionSetName(static_cast<qclr::InstructionSet>(isa)));
  }
  std::fprintf(stderr, "\n");
  PrintAllPairs();
  for (const Space& s : kSpaces) CheckSpace(s, step);
  gFailures += exhaustive::CheckHandleRoutes(step);
  std::printf("%s\n", gFailures == 0 ? "all checks passed" : "CHECKS FAILED");
  return gFailures == 0 ? 0 : 1;
}
