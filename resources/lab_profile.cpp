// "ICM" 106, the CIE Lab colour-space profile (Lab data, Lab connection).
//
// Model: the identity. Device values are Lab in the 8-bit encoding (L * 2.55,
// a + 128, b + 128), the connection space the 16-bit encoding (L * 652.8,
// (a + 128) * 256), so byte v stands for the 16-bit value 256 v. Both tables are
// 8-bit: identity input curves and a 32-point grid whose node k holds
// round(k * 255 / 31) on its own channel.
//
// A reader widens every 8-bit entry by a shift (v * 256), so curves and grid
// top out at 0xFF00 and an identity-like table shrinks its values: byte 255 would
// come back as 253, neutral 128 as 126. The output curves therefore are fitted
// to the reader's arithmetic, channel by channel (each output of this grid
// depends on its own input only, so the trilinear interpolation reduces to a
// linear one along that input):
//   A2B0: device byte b (read as b * 257) must give 256 b; the curve minimises
//         the largest error, which stays under half a step of 256.
//   B2A0: a connection-space value v must give a value whose high byte (the
//         packer truncates) is v / 256 rounded; every A2B0 result must come
//         back to its byte exactly, and the curve is fitted to the fewest
//         wrong bytes over all v otherwise (some values next to a rounding
//         threshold come out one step off: 8-bit entries cannot place every
//         threshold).
// Both fits are dynamic programmes over the 256 curve entries (each at most a
// few steps above the one before), exact in integer arithmetic.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "profiles.h"

namespace qclr::resources {
namespace {

constexpr int kPoints = 32;
constexpr int kEntries = 256;
// The largest step between neighbouring output-curve entries the fits try.
constexpr int kMaxStep = 4;
// Entry k of a fitted curve stays within this of k (the fits land within 4).
constexpr int kWindow = 8;
// Connection-space values this close to neutral (0x8000) must give byte 128.
constexpr int32_t kNeutralSpread = 64;

// The reader's curve lookup of 256 widened bytes at x (0..65535): linear
// interpolation at x / 65535 * 255, rounded.
int32_t CurveAt(const std::vector<int>& bytes, int32_t x) {
  if (x >= 65535) return bytes[kEntries - 1] << 8;
  if (x <= 0) return bytes[0] << 8;
  const double pos = x * (1.0 / 65535.0) * (kEntries - 1);
  const int k = static_cast<int>(pos);
  const double lo = bytes[static_cast<size_t>(k)] << 8, hi = bytes[static_cast<size_t>(k) + 1] << 8;
  return static_cast<int32_t>(std::floor(lo + (hi - lo) * (pos - k) + 0.5));
}

// The reader's grid interpolation along one channel (16.16 fixed point).
int32_t GridAt(const std::vector<int>& nodes, int32_t x) {
  const int64_t p = static_cast<int64_t>(x) * (kPoints - 1) * 65536 / 65535;
  const auto node = static_cast<int>(p >> 16);
  const int next = node >= kPoints - 1 ? node : node + 1;
  const int64_t a = static_cast<int64_t>(nodes[static_cast<size_t>(node)]) << 24;
  const int64_t b = static_cast<int64_t>(nodes[static_cast<size_t>(next)]) << 24;
  const int64_t v = a + (((b - a) * (p & 0xFFFF)) >> 16);
  const int64_t out = (v + 0x8000) >> 16;
  return static_cast<int32_t>(out < 0 ? 0 : (out > 65535 ? 65535 : out));
}

// A value the output curve receives (from the grid) and what it should give.
struct Sample {
  int32_t in;
  int32_t target;  // the 16-bit value (A2B0) or the byte (B2A0) wanted
  int64_t weight;  // B2A0: the cost of a wrong byte
};

// The output curve at `in` given its entries k = in's segment and k + 1.
int32_t SegmentAt(int low, int high, int32_t in, int k) {
  const double pos = in * (1.0 / 65535.0) * (kEntries - 1);
  const double lo = low << 8, hi = high << 8;
  return static_cast<int32_t>(std::floor(lo + (hi - lo) * (pos - k) + 0.5));
}

// Fits a monotone output curve (entry 0 is 0) by dynamic programming over the
// entries: the cost of a segment depends only on its two entries. `cost`
// gives the cost of one sample for a segment's entries; segments add with `add`.
template <typename Cost, typename Add>
std::vector<int> FitOutputCurve(const std::vector<Sample>& samples, Cost cost, Add add) {
  std::vector<std::vector<const Sample*>> bySegment(kEntries - 1);
  for (const Sample& s : samples) {
    const int k = static_cast<int>(s.in * (1.0 / 65535.0) * (kEntries - 1));
    bySegment[static_cast<size_t>(k < kEntries - 1 ? k : kEntries - 2)].push_back(&s);
  }
  constexpr int64_t kNone = INT64_MAX;
  std::vector<int64_t> best(kEntries, kNone), next(kEntries);
  std::vector<std::vector<uint8_t>> from(kEntries, std::vector<uint8_t>(kEntries, 0));
  best[0] = 0;
  for (int k = 0; k + 1 < kEntries; ++k) {
    std::fill(next.begin(), next.end(), kNone);
    for (int low = std::max(0, k - kWindow); low <= std::min(kEntries - 1, k + kWindow); ++low) {
      if (best[static_cast<size_t>(low)] == kNone) continue;
      for (int high = low; high <= low + kMaxStep && high < kEntries && high <= k + 1 + kWindow; ++high) {
        int64_t total = best[static_cast<size_t>(low)];
        for (const Sample* s : bySegment[static_cast<size_t>(k)]) total = add(total, cost(*s, low, high, k));
        if (total < next[static_cast<size_t>(high)]) {
          next[static_cast<size_t>(high)] = total;
          from[static_cast<size_t>(k) + 1][static_cast<size_t>(high)] = static_cast<uint8_t>(low);
        }
      }
    }
    best.swap(next);
  }
  int last = 0;
  for (int v = 0; v < kEntries; ++v)
    if (best[static_cast<size_t>(v)] < best[static_cast<size_t>(last)]) last = v;
  std::vector<int> curve(kEntries);
  for (int k = kEntries - 1; k >= 0; --k) {
    curve[static_cast<size_t>(k)] = last;
    last = from[static_cast<size_t>(k)][static_cast<size_t>(last)];
  }
  return curve;
}

struct LabTables {
  std::vector<int> inputCurve, nodes, forwardOutput, inverseOutput;
};

LabTables FitTables() {
  LabTables t;
  t.inputCurve.resize(kEntries);
  for (int i = 0; i < kEntries; ++i) t.inputCurve[static_cast<size_t>(i)] = i;
  t.nodes.resize(kPoints);
  for (int k = 0; k < kPoints; ++k) t.nodes[static_cast<size_t>(k)] = static_cast<int>(std::floor(k * 255.0 / (kPoints - 1) + 0.5));
  auto gridOf = [&](int32_t x) { return GridAt(t.nodes, CurveAt(t.inputCurve, x)); };

  // A2B0: the largest error first, then the sum of errors (packed as worst << 32
  // | sum; the sum stays below 2^24).
  std::vector<Sample> forward;
  for (int b = 0; b < kEntries; ++b) forward.push_back({gridOf(b * 257), b << 8, 0});
  t.forwardOutput = FitOutputCurve(
      forward,
      [](const Sample& s, int low, int high, int k) -> int64_t {
        const int32_t e = SegmentAt(low, high, s.in, k) - s.target;
        return e < 0 ? -e : e;
      },
      [](int64_t total, int64_t e) {
        const int64_t worst = total >> 32, sum = total & 0xFFFFFFFF;
        return ((worst > e ? worst : e) << 32) | (sum + e);
      });

  // B2A0: every A2B0 result back to its byte, and the ends and neutral (with
  // the few units around it that a neutral colour's conversion may leave)
  // exact; then the fewest wrong bytes.
  constexpr int64_t kMust = int64_t{1} << 24;
  std::vector<Sample> inverse;
  for (int b = 0; b < kEntries; ++b) {
    inverse.push_back({gridOf(CurveAt(t.forwardOutput, forward[static_cast<size_t>(b)].in)), b, kMust});
  }
  for (int32_t v = 0; v < 65536; ++v) {
    const bool key = v == 0 || v == 0xFF00 || (v >= 0x8000 - kNeutralSpread && v <= 0x8000 + kNeutralSpread);
    inverse.push_back({gridOf(v), (v + 128) >> 8 > 255 ? 255 : (v + 128) >> 8, key ? kMust : 1});
  }
  t.inverseOutput = FitOutputCurve(
      inverse,
      [](const Sample& s, int low, int high, int k) -> int64_t {
        return (SegmentAt(low, high, s.in, k) >> 8) == s.target ? 0 : s.weight;
      },
      [](int64_t total, int64_t e) { return total + e; });
  return t;
}

std::vector<uint16_t> Bytes16(const std::vector<int>& bytes) { return {bytes.begin(), bytes.end()}; }

LutData LabLut(const LabTables& t, const std::vector<int>& outputCurve) {
  LutData lut;
  lut.gridPoints = kPoints;
  lut.inputCurves.assign(3, Bytes16(t.inputCurve));
  lut.outputCurves.assign(3, Bytes16(outputCurve));
  lut.grid.reserve(kPoints * kPoints * kPoints * 3);
  for (int l = 0; l < kPoints; ++l)
    for (int a = 0; a < kPoints; ++a)
      for (int b = 0; b < kPoints; ++b) {
        for (int k : {l, a, b}) lut.grid.push_back(static_cast<uint16_t>(t.nodes[static_cast<size_t>(k)]));
      }
  return lut;
}

}  // namespace

Bytes MakeLabProfile() {
  const double white[3] = {kD50[0], kD50[1], kD50[2]};
  const LabTables tables = FitTables();
  ProfileWriter w;
  w.Add(kIccTagDescription, DescriptionTag("qclr CIE Lab"));
  w.Add(kIccTagCopyright, TextTag(kCopyright));
  w.Add(kIccTagMediaWhite, XyzTag(white));
  w.Add(kIccTagAToB0, Lut8Tag(LabLut(tables, tables.forwardOutput)));
  w.Add(kIccTagBToA0, Lut8Tag(LabLut(tables, tables.inverseOutput)));
  return w.Finish({kIccClassColorSpace, kIccSpaceLab, kIccSpaceLab});
}

}  // namespace qclr::resources
