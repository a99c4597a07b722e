#include "icc/device_link_rows.h"

#include <cstddef>
#include <cstring>

#include "base/memory.h"
#include "icc/color_transform.h"
#include "icc/grid_interp.h"

namespace qclr {
namespace {

constexpr int32_t kPaddedChannels = 4;
constexpr int32_t kNodeBytes = kPaddedChannels * sizeof(uint16_t);

bool Is8BitFormatOf(uint32_t format, int32_t channels) {
  return FormatBytes(format) == 1 && static_cast<int32_t>(FormatChannels(format)) == channels;
}

// Where each input byte falls on input k's axis, as IccEvalGrid3 / IccEvalGrid4
// locate the unpacked channel b x 257.
void FillAxes(DeviceLinkTables* d, int32_t points) {
  const int32_t domain = points - 1;
  for (int32_t k = 0; k < d->inputs; ++k) {
    int32_t strideBytes = kNodeBytes;
    for (int32_t m = 0; m < d->inputs - 1 - k; ++m) strideBytes *= points;
    const bool slice = d->inputs == 4 && k == 0;
    for (int32_t b = 0; b < 256; ++b) {
      const auto x = static_cast<uint16_t>(b * 257);
      const int64_t pos = slice ? GridSlicePosition(x, domain) : GridAxisPosition(x, domain);
      const auto node = static_cast<int32_t>(pos >> 16);
      const auto f = static_cast<uint32_t>(pos & 0xFFFF);
      LinkAxisStep& s = d->axes[k][b];
      s.lower = node * strideBytes;
      s.step = node >= domain ? 0 : strideBytes;
      s.below = 65536 - f;
      s.above = f;
    }
  }
}

}  // namespace

DeviceLinkTables* PrepareDeviceLinkTables(const LutTable& link, uint32_t inputFormat,
                                          uint32_t outputFormat, Unpacker unpack, Packer pack) {
  const int32_t inputs = link.inputChannels, outputs = link.outputChannels;
  const int32_t points = link.gridPoints;
  if ((inputs != 3 && inputs != 4) || (outputs != 3 && outputs != 4)) return nullptr;
  if (!Is8BitFormatOf(inputFormat, inputs) || !Is8BitFormatOf(outputFormat, outputs)) return nullptr;
  if (link.flags != LUT_GRID || link.grid == nullptr || points < 2 || points > 256) return nullptr;
  const InterpParams& p = link.gridParams;
  if (p.domain != points - 1 || p.outputs != outputs) return nullptr;
  int64_t nodes = 1;
  for (int32_t k = 0; k < inputs; ++k) {
    if (p.stride[k] != outputs * nodes) return nullptr;  // the layout the copy assumes
    nodes *= points;
  }
  if ((nodes + 1) * kNodeBytes > INT32_MAX) return nullptr;  // offsets are 32-bit

  auto* d = static_cast<DeviceLinkTables*>(MemCalloc(1, sizeof(DeviceLinkTables)));
  if (d == nullptr) return nullptr;
  d->grid = static_cast<uint16_t*>(MemCalloc(static_cast<size_t>(nodes + 1), kNodeBytes));
  if (d->grid == nullptr) {
    MemFree(d);
    return nullptr;
  }
  for (int64_t i = 0; i < nodes; ++i) {
    std::memcpy(d->grid + i * kPaddedChannels, link.grid + i * outputs, outputs * sizeof(uint16_t));
  }
  d->inputs = inputs;
  d->outputs = outputs;
  const bool swapInput = inputs == 3 && FormatSwapped(inputFormat);  // four: ignored
  for (int32_t k = 0; k < inputs; ++k) d->inOrder[k] = swapInput ? inputs - 1 - k : k;
  d->swapOutput = outputs == 3 && FormatSwapped(outputFormat);
  FillAxes(d, points);
  d->link = &link;
  d->unpack = unpack;
  d->pack = pack;
  return d;
}

void FreeDeviceLinkTables(DeviceLinkTables* d) {
  if (d == nullptr) return;
  MemFree(d->grid);
  MemFree(d);
}

// The device link holds a grid alone, checked when it was sampled, so pixels go
// straight to the interpolation.
void RunDeviceLinkDefinition(const LutTable& link, Unpacker unpack, Packer pack, const uint8_t* in,
                             uint8_t* out, int32_t count) {
  uint16_t a[kMaxLutChannels], b[kMaxLutChannels];
  for (int32_t i = 0; i < count; ++i) {
    in = unpack(in, a);
    if (link.inputChannels == 4) {
      IccEvalGrid4(link, a, b);
    } else {
      IccEvalGrid3(a, b, link.grid, link.gridParams);
    }
    out = pack(b, out);
  }
}

void DeviceLinkRowPortable(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  RunDeviceLinkDefinition(*d.link, d.unpack, d.pack, in, out, count);
}

void ConvertDeviceLink(const ColorTransform& t, const uint8_t* in, uint8_t* out, int32_t count) {
  const DeviceLinkTables* d = t.linkTables;
  if (d == nullptr) {
    RunDeviceLinkDefinition(*t.deviceLink, t.unpack, t.pack, in, out, count);
    return;
  }
  SelectRow(d->inputs == 4 ? kDeviceLink4Rows : kDeviceLink3Rows)(*d, in, out, count);
}

}  // namespace qclr
