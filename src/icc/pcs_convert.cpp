#include "icc/pcs_convert.h"

#include <algorithm>

#include "icc/fixed_point_steps.h"
#include "numeric/lab_companding.h"
#include "numeric/truncate.h"

namespace qclr {
namespace {

// 1 / D50 white, for X and Z (Y is 1.0).
constexpr double kInvWhiteX = 1.0370281262768408;
constexpr double kInvWhiteZ = 1.2119684306463185;
constexpr double kWhiteX = 0.964294;
constexpr double kWhiteZ = 0.825104;

uint16_t EncodeLabChroma(double delta) {
  return ClampChannel(TruncToInt32((delta + 128) * 256 + 0.5));
}

uint16_t EncodeXYZ(double value) { return ClampChannel(TruncToInt32(value * 65536 + 0.5) >> 1); }

}  // namespace

void XYZ16ToLab16(const uint16_t* in, uint16_t* out) {
  if (in[0] == 0 && in[1] == 0 && in[2] == 0) {
    out[0] = 0;
    out[1] = out[2] = 0x8000;
    return;
  }
  const double x = in[0] * 2 / 65536.0 * kInvWhiteX;
  const double y = in[1] * 2 / 65536.0;
  const double z = in[2] * 2 / 65536.0 * kInvWhiteZ;
  const double fx = LabCompand(x, kLabLine7787), fy = LabCompand(y, kLabLine7787),
               fz = LabCompand(z, kLabLine7787);
  const int32_t l = TruncToInt32((116 * fy - 16) * 652.8 + 0.5);
  out[0] = static_cast<uint16_t>(std::clamp(l, 0, 0xFF00));
  out[1] = EncodeLabChroma(500 * (fx - fy));
  out[2] = EncodeLabChroma(200 * (fy - fz));
}

void Lab16ToXYZ16(const uint16_t* in, uint16_t* out) {
  const double l = in[0] * 100 * 1.5318627450980392e-05;  // x 100 / 65280
  if (l == 0.0) {
    out[0] = out[1] = out[2] = 0;
    return;
  }
  const double fy = (l + 16) * 0.008620689655172414;  // / 116
  const double fx = fy + (in[1] / 256.0 - 128) * 0.002;
  const double fz = fy - (in[2] / 256.0 - 128) * 0.005;
  const double x = fx * fx * fx * kWhiteX;
  const double y = fy * fy * fy;
  const double z = fz * fz * fz * kWhiteZ;
  out[0] = EncodeXYZ(x);
  out[1] = EncodeXYZ(y);
  out[2] = EncodeXYZ(z);
}

void Lab16V4ToV2(const uint16_t* in, uint16_t* out) {
  for (int i = 0; i < 3; ++i) out[i] = static_cast<uint16_t>((uint32_t{in[i]} * 256 + 128) / 257);
}

void Lab16V2ToV4(const uint16_t* in, uint16_t* out) {
  for (int i = 0; i < 3; ++i) out[i] = ClampChannel((int64_t{in[i]} * 257 + 128) / 256);
}

void StageXYZScale(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset) {
  for (int i = 0; i < 3; ++i) {
    // u1Fixed15 doubled to 16.16, scaled, then halved back after the offset.
    const double scaled = in[i] * 2 * (1.0 / 65536) * (scale[i] * (1.0 / 65536)) * 65536;
    const int64_t sum = int64_t{offset[i]} + TruncToInt32(scaled + 0.5);
    out[i] = ClampChannel(sum >> 1);
  }
}

void StageXYZToLab(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset) {
  uint16_t xyz[3];
  StageXYZScale(in, xyz, scale, offset);
  XYZ16ToLab16(xyz, out);
}

void StageLabToXYZ(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset) {
  uint16_t xyz[3];
  Lab16ToXYZ16(in, xyz);
  StageXYZScale(xyz, out, scale, offset);
}

void StageLabToLab(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset) {
  uint16_t xyz[3], scaled[3];
  Lab16ToXYZ16(in, xyz);
  StageXYZScale(xyz, scaled, scale, offset);
  XYZ16ToLab16(scaled, out);
}

}  // namespace qclr
