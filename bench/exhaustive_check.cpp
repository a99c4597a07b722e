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
//  - CSP_XYZ, whose pixels are 24 bytes of doubles, likewise: the encoder over the
//    same RGB inputs, the decoder over doubles of every kind (CheckXyz).
//  - the same for RGB <-> BGR over every pixel (which must come out with R and B
//    exchanged), and for the subsampled layouts (YUY2, UYVY, Y41P, YVU9): every
//    pixel value in every position of a group, once in groups of one value
//    (each pixel's own term) and once in groups of consecutive values (the
//    group's chroma arithmetic), both ways.
//  - the same for the routes through handles (exhaustive_handles.cpp).
// It prints one checksum per kernel and path on standard output; the same build on
// another platform must print the same lines (CI compares the 64-bit and 32-bit
// outputs). Which instruction sets were compared goes to standard error, since it
// depends on the processor.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "base/cpu_level.h"
#include "base/instruction_set.h"
#include "direct/color_space.h"
#include "direct/lab_rows.h"
#include "direct/store_policy.h"
#include "exhaustive_handles.h"
#include "exhaustive_sample.h"
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

// Inputs: one in `step` of the 24-bit values (exhaustive_sample.h), as pixels of `bytes` bytes
// (a fourth byte, where needed, from a mixing of the counter).
std::vector<uint8_t> Inputs(int bytes, uint32_t step, int32_t* count) {
  *count = static_cast<int32_t>((1u << 24) / step);
  std::vector<uint8_t> in(static_cast<size_t>(*count) * bytes);
  for (int32_t i = 0; i < *count; ++i) {
    const uint32_t v = exhaustive::SampleValue(static_cast<uint32_t>(i), step);
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
                                 int32_t count, int outBytes, int level, int streaming = 0) {
  qclr::OverrideCpuLevel(level);
  qclr::CapInstructionSet(isa);
  qclr::ForceStreamingStores(streaming);
  std::vector<uint8_t> out(static_cast<size_t>(count) * outBytes);
  const int32_t width = 256, height = count / width;
  const int32_t status = Q_ClrConvertDirect(from, to, in.data(), out.data(), width, height, 0, 0);
  Check(status == CLR_OK, "status of " + std::to_string(from) + " -> " + std::to_string(to));
  qclr::ForceStreamingStores(-1);
  qclr::CapInstructionSet(-1);
  qclr::OverrideCpuLevel(-1);
  return out;
}

// The portable implementation's bytes, after checking that every faster
// implementation this processor runs gives the same (the best one also with the
// streaming stores of large images: direct/store_policy.h).
std::vector<uint8_t> Convert(int32_t from, int32_t to, const std::vector<uint8_t>& in,
                             int32_t count, int outBytes, int level) {
  const std::vector<uint8_t> portable = ConvertWith(0, from, to, in, count, outBytes, level);
  const int best = static_cast<int>(qclr::DetectedInstructionSet());
  for (int isa = 1; isa <= best + 1; ++isa) {
    const bool streaming = isa > best;
    const auto name =
        qclr::InstructionSetName(static_cast<qclr::InstructionSet>(streaming ? best : isa));
    Check(ConvertWith(streaming ? best : isa, from, to, in, count, outBytes, level, streaming) ==
              portable,
          std::to_string(from) + " -> " + std::to_string(to) + " at level " +
              std::to_string(level) + ": the " + name + " implementation" +
              (streaming ? " with streaming stores" : "") + " differs from the portable one");
  }
  return portable;
}

// FNV-1a continued over more bytes (start with Fnv1a's offset basis).
uint64_t Fnv1aMore(uint64_t h, const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
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

// CSP_XYZ: the encoder over every RGB input (in chunks: 24 bytes a pixel); the
// decoder over the encoder's outputs, over them scaled into 0..1 (its working
// range), and over doubles of every kind: random bit patterns, NaN, infinities,
// zeros of both signs, subnormals, huge values and the edges of the integer range.
void CheckXyz(uint32_t step) {
  constexpr int32_t kChunk = 1 << 20;
  int32_t count = 0;
  const std::vector<uint8_t> all = Inputs(3, step, &count);
  uint64_t encoded = 1469598103934665603ull, decoded = 1469598103934665603ull;
  const auto decode = [&](const std::vector<uint8_t>& xyz, int32_t pixels) {
    const auto rgb = Convert(CSP_XYZ, CSP_RGB, xyz, pixels, 3, 0);
    decoded = Fnv1aMore(decoded, rgb);
    Check(Convert(CSP_XYZ, CSP_RGB, xyz, pixels, 3, 2) == rgb, "XYZ decoder: processor levels differ");
    std::vector<uint8_t> asBgr = Convert(CSP_XYZ, CSP_BGR, xyz, pixels, 3, 0);
    SwapRb(&asBgr);
    Check(asBgr == rgb, "XYZ decoder: BGR order differs");
  };
  for (int32_t first = 0; first < count; first += kChunk) {
    const int32_t pixels = std::min(kChunk, count - first);
    const std::vector<uint8_t> rgb(all.begin() + 3 * static_cast<ptrdiff_t>(first),
                                   all.begin() + 3 * static_cast<ptrdiff_t>(first + pixels));
    const auto xyz = Convert(CSP_RGB, CSP_XYZ, rgb, pixels, 24, 0);
    Check(Convert(CSP_RGB, CSP_XYZ, rgb, pixels, 24, 2) == xyz, "XYZ encoder: processor levels differ");
    std::vector<uint8_t> bgr = rgb;
    SwapRb(&bgr);
    Check(Convert(CSP_BGR, CSP_XYZ, bgr, pixels, 24, 0) == xyz, "XYZ encoder: BGR order differs");
    encoded = Fnv1aMore(encoded, xyz);
    decode(xyz, pixels);
    std::vector<uint8_t> scaled(xyz.size());
    for (size_t i = 0; i < xyz.size(); i += 8) {
      double v;
      std::memcpy(&v, &xyz[i], 8);
      v /= 133.0494;  // Z of white, the largest value the encoder writes
      std::memcpy(&scaled[i], &v, 8);
    }
    decode(scaled, pixels);
  }
  std::printf("XYZ   encoder        %016llx\n", static_cast<unsigned long long>(encoded));
  const double specials[] = {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                             0.0, -0.0, 4.9e-324, -4.9e-324, 1e300, -1e300, 2147483647.0, 2147483648.0,
                             -2147483648.0, -2147483649.0, 8421504.5, 1.0, 1.0 / 255, 0.5, 1e-17, 0.99999999999999989};
  uint64_t state = 0x2545F4914F6CDD1Dull;
  const int32_t randomPixels = std::max(256, (1 << 20) / static_cast<int32_t>(step) * 4);
  std::vector<uint8_t> xyz(static_cast<size_t>(randomPixels) * 24);
  for (size_t i = 0; i < xyz.size(); i += 8) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    double v;
    const uint64_t bits = state;
    switch (bits % 4) {
      case 0: std::memcpy(&v, &bits, 8); break;  // any bit pattern
      case 1: v = specials[(bits >> 8) % std::size(specials)]; break;
      default: v = static_cast<double>(static_cast<int64_t>(bits >> 11) % 4000000) / 1000000.0 - 1.5; break;
    }
    std::memcpy(&xyz[i], &v, 8);
  }
  decode(xyz, randomPixels);
  std::printf("XYZ   decoder plain  %016llx\n", static_cast<unsigned long long>(decoded));
}

// How often the fast Lab encoder leaves a pixel to the exact function, on standard
// error with the other figures that are no checksums.
void ReportLabExactPath(uint32_t step) {
  int32_t count = 0;
  const std::vector<uint8_t> in = Inputs(3, step, &count);
  long exact = 0;
  uint8_t lab[3];
  for (size_t i = 0; i < in.size(); i += 3) {
    exact += qclr::lab::RgbToLabPixelFast(qclr::lab::Encode(), in[i], in[i + 1], in[i + 2], lab) ? 0 : 1;
  }
  std::fprintf(stderr, "LAB encoder: %ld of %d pixels take the exact path\n", exact, count);
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

// RGB -> BGR over every 24-bit pixel (every `step`-th).
void CheckSwap(uint32_t step) {
  int32_t count = 0;
  const std::vector<uint8_t> rgb = Inputs(3, step, &count);
  std::vector<uint8_t> swapped = rgb;
  SwapRb(&swapped);
  const auto out = Convert(CSP_RGB, CSP_BGR, rgb, count, 3, 2);
  Check(out == swapped, "RGB -> BGR: bytes 0 and 2 not exchanged");
  std::printf("%-5s swap           %016llx\n", "BGR", static_cast<unsigned long long>(Fnv1a(out)));
}

// A subsampled layout: its groups (pixels sharing chroma) and how to lay out the
// RGB pixels and the encoded bytes of one group.
struct Subsampled {
  int32_t code;
  const char* name;
  int32_t groupWidth, groupHeight;  // pixels of a group
};

const Subsampled kSubsampled[] = {{CSP_YUY2, "YUY2", 2, 1},
                                  {CSP_UYVY, "UYVY", 2, 1},
                                  {CSP_Y41P, "Y41P", 8, 1},
                                  {CSP_YVU9, "YVU9", 4, 4}};

// Images of `groups` groups side by side (one band of groups), each converted
// alone by every implementation at both processor levels; returns the portable
// bytes, checked against every other run.
std::vector<uint8_t> ConvertBand(const Subsampled& l, bool encode, const std::vector<uint8_t>& in,
                                 int32_t groups) {
  const int32_t width = groups * l.groupWidth, height = l.groupHeight;
  size_t outBytes = 0;
  qclr::BufferBytes(encode ? l.code : CSP_RGB, width, height, 0, &outBytes);
  std::vector<uint8_t> portable;
  const int best = static_cast<int>(qclr::DetectedInstructionSet());
  for (int level : {0, 2}) {
    for (int run = 0; run <= best + 1; ++run) {  // the last: the best with streaming stores
      const int isa = run > best ? best : run;
      qclr::OverrideCpuLevel(level);
      qclr::CapInstructionSet(isa);
      qclr::ForceStreamingStores(run > best ? 1 : 0);
      std::vector<uint8_t> out(outBytes);
      const int32_t status =
          encode ? Q_ClrConvertDirect(CSP_RGB, l.code, in.data(), out.data(), width, height, 0, 0)
                 : Q_ClrConvertDirect(l.code, CSP_RGB, in.data(), out.data(), width, height, 0, 0);
      qclr::ForceStreamingStores(-1);
      qclr::CapInstructionSet(-1);
      qclr::OverrideCpuLevel(-1);
      Check(status == CLR_OK, std::string(l.name) + ": status");
      if (portable.empty()) {
        portable = std::move(out);
      } else {
        Check(out == portable,
              std::string(l.name) + (encode ? " encoder" : " decoder") + " at level " +
                  std::to_string(level) + ": the " +
                  qclr::InstructionSetName(static_cast<qclr::InstructionSet>(isa)) +
                  (run > best ? " implementation with streaming stores" : " implementation") +
                  " differs from the portable one");
      }
    }
  }
  return portable;
}

// The bytes of one decoder group in which every pixel reads luminance y and
// chroma u, v, at offset `at` of a band of `groups` groups.
void PutUniformGroup(const Subsampled& l, std::vector<uint8_t>* band, int32_t groups, int32_t at,
                     uint8_t y, uint8_t u, uint8_t v) {
  uint8_t* g = band->data();
  const uint8_t yuy2[4] = {y, u, y, v}, uyvy[4] = {u, y, v, y};
  const uint8_t y41p[12] = {u, y, v, y, u, y, v, y, y, y, y, y};
  switch (l.code) {
    case CSP_YUY2: std::memcpy(g + 4 * at, yuy2, 4); break;
    case CSP_UYVY: std::memcpy(g + 4 * at, uyvy, 4); break;
    case CSP_Y41P: std::memcpy(g + 12 * at, y41p, 12); break;
    default: {  // YVU9: a 4 x 4 block of the Y plane, then one V and one U sample
      const int32_t width = 4 * groups;
      for (int r = 0; r < 4; ++r) std::memset(g + r * width + 4 * at, y, 4);
      g[4 * width + at] = v;
      g[4 * width + groups + at] = u;
    }
  }
}

// Every 24-bit value (every `step`-th) in every position of every group: as RGB
// pixels of uniform groups and of consecutive values into the encoder, as
// (Y, U, V) of uniform groups and as mixed bytes into the decoder.
void CheckSubsampled(const Subsampled& l, uint32_t step) {
  constexpr int32_t kGroups = 4096;  // a band
  const int32_t groupPixels = l.groupWidth * l.groupHeight;
  const uint32_t values = (1u << 24) / step;
  uint64_t uniformEncoded = 1469598103934665603ull, mixedEncoded = uniformEncoded;
  uint64_t uniformDecoded = uniformEncoded, mixedDecoded = uniformEncoded;
  const auto fold = [](uint64_t* h, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) *h = (*h ^ b) * 1099511628211ull;
  };
  size_t decoderBytes = 0;
  qclr::BufferBytes(l.code, kGroups * l.groupWidth, l.groupHeight, 0, &decoderBytes);
  std::vector<uint8_t> rgb(static_cast<size_t>(kGroups) * groupPixels * 3), coded(decoderBytes);
  uint32_t mix = 2463534242u;
  for (uint32_t first = 0; first < values; first += kGroups) {
    const int32_t groups = static_cast<int32_t>(std::min<uint32_t>(kGroups, values - first));
    const int32_t width = groups * l.groupWidth;
    rgb.resize(static_cast<size_t>(groups) * groupPixels * 3);
    // Uniform groups: group g is value first + g in every pixel.
    for (int32_t g = 0; g < groups; ++g) {
      const uint32_t v = exhaustive::SampleValue(first + static_cast<uint32_t>(g), step);
      const uint8_t px[3] = {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                             static_cast<uint8_t>(v)};
      for (int32_t r = 0; r < l.groupHeight; ++r) {
        for (int32_t c = 0; c < l.groupWidth; ++c) {
          std::memcpy(&rgb[3 * (static_cast<size_t>(r) * width + g * l.groupWidth + c)], px, 3);
        }
      }
    }
    fold(&uniformEncoded, ConvertBand(l, true, rgb, groups));
    // Consecutive values: pixel i of the band is value (first * groupPixels + i) mod 2^24.
    for (size_t i = 0; i < rgb.size() / 3; ++i) {
      const uint32_t v = exhaustive::SampleValue(first * static_cast<uint64_t>(groupPixels) + i, step);
      rgb[3 * i] = static_cast<uint8_t>(v >> 16), rgb[3 * i + 1] = static_cast<uint8_t>(v >> 8);
      rgb[3 * i + 2] = static_cast<uint8_t>(v);
    }
    fold(&mixedEncoded, ConvertBand(l, true, rgb, groups));
    // Decoder: uniform groups of (Y, U, V), then mixed bytes.
    qclr::BufferBytes(l.code, width, l.groupHeight, 0, &decoderBytes);
    coded.assign(decoderBytes, 0);
    for (int32_t g = 0; g < groups; ++g) {
      const uint32_t v = exhaustive::SampleValue(first + static_cast<uint32_t>(g), step);
      PutUniformGroup(l, &coded, groups, g, static_cast<uint8_t>(v >> 16),
                      static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v));
    }
    fold(&uniformDecoded, ConvertBand(l, false, coded, groups));
    for (uint8_t& b : coded) {
      mix ^= mix << 13, mix ^= mix >> 17, mix ^= mix << 5;
      b = static_cast<uint8_t>(mix >> 24);
    }
    fold(&mixedDecoded, ConvertBand(l, false, coded, groups));
  }
  std::printf("%-5s encoder        %016llx %016llx\n", l.name,
              static_cast<unsigned long long>(uniformEncoded),
              static_cast<unsigned long long>(mixedEncoded));
  std::printf("%-5s decoder        %016llx %016llx\n", l.name,
              static_cast<unsigned long long>(uniformDecoded),
              static_cast<unsigned long long>(mixedDecoded));
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
  CheckXyz(step);
  ReportLabExactPath(step);
  CheckSwap(step);
  for (const Subsampled& l : kSubsampled) CheckSubsampled(l, step);
  gFailures += exhaustive::CheckHandleRoutes(step);
  std::printf("%s\n", gFailures == 0 ? "all checks passed" : "CHECKS FAILED");
  return gFailures == 0 ? 0 : 1;
}
