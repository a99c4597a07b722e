// Fuzzes the public interface the way a careless caller would use it: Q_ClrInit and
// Q_ClrSetConversionParams with arbitrary records (sizes, methods, flags, white
// points, file names, CMYK, YUV and Lab option records), then Q_ClrConvert, the
// bitmap exports and direct conversion with arbitrary codes, sizes, alignments and
// overlapping buffers. Every buffer and record ends where an inaccessible page
// begins and is exactly as long as the header's geometry says (a record whose
// structSize is short ends after structSize bytes, rounded up to its alignment), so
// any access past it faults.
// The library's promises are checked as it runs: documented statuses, no output
// handle on failure, destination padding never written, a bitmap record untouched
// by a failure and well formed after success.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "tiff_writer.h"
#include "qclr/qclr.h"

namespace {

using qclr_fuzz::GuardedArena;

constexpr size_t kImageCapacity = size_t{4} << 20;
constexpr int32_t kMaxGroupPixels = 1365;  // offsets arrays of at most 4095 entries
constexpr size_t kOffsetEntries = 4096;

struct Arenas {
  GuardedArena src{kImageCapacity};
  GuardedArena dst{kImageCapacity};
  GuardedArena params{sizeof(ConversionParams)};
  GuardedArena white{sizeof(WhitePoint)};
  GuardedArena cmyk{sizeof(CmykOptions)};
  GuardedArena yuv{sizeof(YuvLayout)};
  GuardedArena lab{sizeof(LabOptions)};
  GuardedArena offsets{kOffsetEntries * sizeof(int32_t)};
  GuardedArena bitmap{sizeof(BitmapRecord)};
  GuardedArena fake{4096};
};

Arenas* gArenas;
bool gTrace;  // QCLR_FUZZ_TRACE set: every call is printed, to turn a crash into a test
std::vector<std::string> gFiles;  // names a record may carry
std::string gScratch;             // the folder of the table files, removed at exit

void RemoveScratch() {
  for (const char* name : {"/cmyk.tif", "/lab.tif", "/nodes.tif"}) unlink((gScratch + name).c_str());
  rmdir(gScratch.c_str());
}

// Files the records may name: the built-in profiles (copied next to the program
// at build time), emulation tables written here, and names that fail.
void PrepareFiles(const char* program) {
  std::string dir = program;
  dir = dir.substr(0, dir.find_last_of('/') + 1);
  for (const char* name : {"profile_display_rgb.icc", "profile_cmyk_press.icc", "profile_cmy.icc", "profile_lab.icc"}) {
    gFiles.push_back(dir + "icc_seeds/" + name);
  }
  char scratch[] = "/tmp/qclr_api_fuzz_XXXXXX";
  if (mkdtemp(scratch) == nullptr) abort();
  gScratch = scratch;
  atexit(RemoveScratch);
  // Tables as TIFF images of 8-bit RGB: CMYK to RGB (289 x 289), the Lab tables with
  // their unused bytes (190 x 190) and without (1089 x 33).
  const struct {
    const char* name;
    uint32_t width, height;
  } tables[] = {{"/cmyk.tif", 289, 289}, {"/lab.tif", 190, 190}, {"/nodes.tif", 1089, 33}};
  for (const auto& t : tables) {
    std::vector<uint8_t> pixels(size_t{t.width} * t.height * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    const std::vector<uint8_t> f = qclr_fuzz::WriteTiff({t.width, t.height, 3, 0, false, false}, pixels);
    const std::string path = std::string(scratch) + t.name;
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr || fwrite(f.data(), 1, f.size(), file) != f.size() || fclose(file) != 0) abort();
    gFiles.push_back(path);
  }
  gFiles.push_back("");
  gFiles.push_back(std::string(scratch) + "/absent.icc");
  gFiles.push_back(scratch);  // a folder
  gFiles.push_back("/dev/null");
}

// What the fuzzer knows of its handle, to size the source of a described YUV layout
// exactly; `known` false falls back to the YUV buffer of 3 bytes a pixel, which
// holds every layout.
struct HandleState {
  ClrHandle* handle = nullptr;
  int32_t src = 0, dst = 0;
  bool known = false;
  int32_t method = 0;
  bool hasLayout = false;
  YuvLayout layout{};  // the fields, without offsets
};

// gFiles: the display RGB, press CMYK, CMY and Lab profiles, then the CMYK and Lab
// tables, then names that fail.
enum FileIndex { kRgbProfile, kCmykProfile, kCmyProfile, kLabProfile, kCmykTable, kLabTable };

size_t ProfileFor(int32_t space) {
  switch (space) {
    case CSP_CMYK: case CSP_YCCK: return kCmykProfile;
    case CSP_CMY: return kCmyProfile;
    case CSP_LAB: return kLabProfile;
    default: return kRgbProfile;
  }
}

// Mostly `natural`, the file that fits the field; otherwise any name of gFiles or a
// name not terminated within the field.
void SetName(char (&field)[QCLR_FILE_NAME_SIZE], FuzzedDataProvider& fdp, size_t natural) {
  std::memset(field, 0, sizeof field);
  size_t pick = natural;
  if (fdp.ConsumeIntegralInRange<int>(0, 3) == 3) pick = fdp.ConsumeIntegralInRange<size_t>(0, gFiles.size());
  if (pick == gFiles.size()) {
    std::memset(field, 'n', sizeof field);
    return;
  }
  std::memcpy(field, gFiles[pick].data(), std::min(gFiles[pick].size(), sizeof field - 1));
}

// True in `percent` of the cases, and when the input is used up: the likely choice
// is the sensible one. One byte of input.
bool Likely(FuzzedDataProvider& fdp, int percent) { return fdp.ConsumeIntegralInRange<int>(0, 99) < percent; }

int32_t AnyInt(FuzzedDataProvider& fdp, int32_t low, int32_t high) {
  return fdp.ConsumeBool() ? fdp.ConsumeIntegralInRange<int32_t>(low, high) : fdp.ConsumeIntegral<int32_t>();
}

uint32_t StructSize(FuzzedDataProvider& fdp, uint32_t right) {
  if (Likely(fdp, 90)) return right;
  const uint32_t wrong[] = {0, 4, 8, right - 4, right + 4, fdp.ConsumeIntegral<uint32_t>()};
  return fdp.PickValueInArray(wrong);
}

// Copies a record into its arena so that it ends after structSize bytes when that is
// shorter than the record (never before its first field), rounded up to the record's
// alignment, as a caller's record would be aligned.
template <typename Record>
Record* PlaceRecord(const GuardedArena& arena, const Record& record, uint32_t structSize) {
  const size_t shortest = std::max<size_t>(4, std::min<size_t>(structSize, sizeof(Record)));
  const size_t bytes = (shortest + alignof(Record) - 1) / alignof(Record) * alignof(Record);
  return reinterpret_cast<Record*>(arena.Place(&record, bytes));
}

int32_t SpaceCode(FuzzedDataProvider& fdp) {
  static constexpr int32_t kCodes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 128};
  if (Likely(fdp, 95)) return fdp.PickValueInArray(kCodes);
  return fdp.ConsumeIntegral<int32_t>();
}

// Entries of the offsets array a layout reads (0 when it reads none).
size_t OffsetEntries(const YuvLayout& l) {
  if (l.uStepX < 1 || l.uStepY < 1 || l.vStepX < 1 || l.vStepY < 1) return 0;
  if (l.planar != 0) return 1;
  if (l.groupPixels < 1) return 0;
  return static_cast<size_t>(l.groupPixels) + l.groupPixels / l.uStepX + l.groupPixels / l.vStepX;
}

// A YUV layout record; the offsets array holds `entriesFor(layout)` entries.
template <typename Entries>
YuvLayout* MakeLayout(FuzzedDataProvider& fdp, Entries&& entriesFor) {
  YuvLayout l{};
  l.structSize = StructSize(fdp, QCLR_YUV_LAYOUT_SIZE);
  l.mask = fdp.ConsumeBool() ? fdp.ConsumeIntegralInRange<uint32_t>(0, 127) : fdp.ConsumeIntegral<uint32_t>();
  // Mostly layouts the decoder walks: horizontal steps 1, 2 or 4, vertical steps 1
  // (packed groups allow no other), a group of whole chroma samples.
  static constexpr int32_t kSteps[] = {1, 2, 4, 1};
  l.uStepX = Likely(fdp, 90) ? fdp.PickValueInArray(kSteps) : fdp.ConsumeIntegralInRange<int32_t>(-1, 9);
  l.vStepX = Likely(fdp, 90) ? fdp.PickValueInArray(kSteps) : fdp.ConsumeIntegralInRange<int32_t>(-1, 9);
  l.uStepY = Likely(fdp, 80) ? 1 : fdp.ConsumeIntegralInRange<int32_t>(-1, 4);
  l.vStepY = Likely(fdp, 80) ? 1 : fdp.ConsumeIntegralInRange<int32_t>(-1, 4);
  const int32_t unit = l.uStepX > 0 && l.vStepX > 0 ? std::max(l.uStepX, l.vStepX) : 1;
  l.groupPixels = Likely(fdp, 90) ? unit * fdp.ConsumeIntegralInRange<int32_t>(1, 4)
                                  : fdp.ConsumeIntegralInRange<int32_t>(-2, kMaxGroupPixels);
  l.noOffsets = fdp.ConsumeIntegralInRange<int32_t>(0, 1);
  l.planar = Likely(fdp, 80) ? 0 : fdp.ConsumeIntegralInRange<int32_t>(1, 2);
  if (Likely(fdp, 97)) {
    const size_t entries = std::max<size_t>(entriesFor(l), 1);
    const int32_t samples = static_cast<int32_t>(OffsetEntries(l));
    std::vector<int32_t> values(entries);
    for (size_t i = 0; i < entries; ++i) {
      // Mostly a permutation-like offset inside the group, sometimes anything.
      values[i] = Likely(fdp, 97) ? static_cast<int32_t>(i) % std::max(samples, 1)
                                                           : AnyInt(fdp, -2, samples + 2);
      if (i < entries / 2 && fdp.ConsumeBool()) std::swap(values[i], values[entries - 1 - i]);
    }
    l.sampleOffsets = reinterpret_cast<int32_t*>(gArenas->offsets.Place(values.data(), entries * sizeof(int32_t)));
  }
  return PlaceRecord(gArenas->yuv, l, l.structSize);
}

struct Records {
  ConversionParams* params;
  YuvLayout fields;  // the layout's fields as given, if any
  bool layoutGiven;
};

// A parameter record with its option records. `entriesFor` sizes the offsets array.
// A parameter record for a handle from `src` to `dst` (or for a change of one), with its option records,
// mostly one that makes sense (the choices that an exhausted input makes are the
// sensible ones). `entriesFor` sizes the offsets array.
template <typename Entries>
Records MakeParams(FuzzedDataProvider& fdp, bool change, int32_t src, int32_t dst, Entries&& entriesFor) {
  // The formulas and the tables mostly: the ICC builds are slow, and the transform
  // target fuzzes them.
  static constexpr int32_t kMethods[] = {1, 1, 8, 16, 2, 4, 32};
  ConversionParams p{};
  p.structSize = StructSize(fdp, QCLR_CONVERSION_PARAMS_SIZE);
  p.method = Likely(fdp, 95) ? fdp.PickValueInArray(kMethods) : fdp.ConsumeIntegral<int32_t>();
  const int flagsKind = fdp.ConsumeIntegralInRange<int>(0, 9);
  if (change) {  // groups to change: mostly one
    p.flags = flagsKind < 8 ? 1u << fdp.ConsumeIntegralInRange<int>(0, 6)
                            : flagsKind == 8 ? fdp.ConsumeIntegralInRange<uint32_t>(0, 127) : fdp.ConsumeIntegral<uint32_t>();
  } else if (flagsKind < 7) {  // the active method among those prepared (or the automatic choice)
    p.flags = p.method == METHOD_AUTO ? METHOD_AUTO : static_cast<uint32_t>(p.method);
    if (flagsKind >= 5) p.flags |= fdp.ConsumeIntegralInRange<uint32_t>(0, 127);
  } else {
    p.flags = flagsKind < 9 ? fdp.ConsumeIntegralInRange<uint32_t>(0, 127) : fdp.ConsumeIntegral<uint32_t>();
  }
  p.tableBits = Likely(fdp, 95) ? 8 : fdp.ConsumeIntegral<uint32_t>();
  SetName(p.srcProfileName, fdp, ProfileFor(src));
  SetName(p.dstProfileName, fdp, ProfileFor(dst));
  SetName(p.tableFileName, fdp, src == CSP_CMYK ? kCmykTable : kLabTable);
  if (fdp.ConsumeBool()) {
    static constexpr uint32_t kKinds[] = {0, 0, 50, 55, 65, 75, 93, 1};
    WhitePoint w{fdp.PickValueInArray(kKinds), 0, 0, 0};
    if (Likely(fdp, 90)) {
      w.x = fdp.ConsumeFloatingPointInRange<double>(0.2, 0.5), w.y = fdp.ConsumeFloatingPointInRange<double>(0.2, 0.5);
    } else {
      w.x = fdp.ConsumeFloatingPoint<double>(), w.y = fdp.ConsumeFloatingPoint<double>();
    }
    p.whitePoint = reinterpret_cast<WhitePoint*>(gArenas->white.Place(&w, sizeof w));
  }
  // An option record mostly where the handle has its space, sometimes anywhere.
  const auto wanted = [&](int32_t space) { return src == space || dst == space ? Likely(fdp, 80) : Likely(fdp, 10); };
  if (wanted(CSP_CMYK)) {
    CmykOptions c{StructSize(fdp, QCLR_CMYK_OPTIONS_SIZE), AnyInt(fdp, -5, 1005), fdp.ConsumeIntegral<uint32_t>()};
    p.cmykOptions = PlaceRecord(gArenas->cmyk, c, c.structSize);
  }
  Records r{nullptr, {}, false};
  if (wanted(CSP_YUV)) {
    p.yuvLayout = MakeLayout(fdp, entriesFor);
    if (p.yuvLayout->structSize == QCLR_YUV_LAYOUT_SIZE) {
      r.fields = *p.yuvLayout;
      r.layoutGiven = true;
    }
  }
  if (wanted(CSP_LAB)) {
    LabOptions l{StructSize(fdp, QCLR_LAB_OPTIONS_SIZE), fdp.ConsumeIntegral<uint32_t>(), AnyInt(fdp, -300, 300),
                 AnyInt(fdp, -300, 300), AnyInt(fdp, -300, 300), AnyInt(fdp, -300, 300),
                 AnyInt(fdp, -300, 300), AnyInt(fdp, -300, 300)};
    p.labOptions = PlaceRecord(gArenas->lab, l, l.structSize);
  }
  r.params = PlaceRecord(gArenas->params, p, p.structSize);
  return r;
}

bool IsRgbSide(int32_t space) { return space == CSP_RGB || space == CSP_BGR; }

// Source bytes of a conversion from `space`; the described layout's own extent when
// the handle is known to decode through it.
bool SourceBytes(const HandleState* h, int32_t space, int32_t width, int32_t height, int32_t align,
                 uint64_t* bytes) {
  if (!qclr_fuzz::ImageBytes(space, width, height, align, bytes)) return false;
  if (h == nullptr || !h->known || !h->hasLayout || h->method != METHOD_BUILTIN || space != CSP_YUV ||
      !IsRgbSide(h->dst)) {
    return true;
  }
  const YuvLayout& l = h->layout;
  const uint64_t pixels = uint64_t(width) * uint64_t(height);
  if (OffsetEntries(l) == 0) return true;  // refused: no smaller bound needed
  if (l.planar != 0) {
    *bytes = pixels + pixels / (uint64_t(l.uStepX) * uint64_t(l.uStepY)) +
             pixels / (uint64_t(l.vStepX) * uint64_t(l.vStepY));
  } else {
    const uint64_t n = uint64_t(l.groupPixels);
    const uint64_t padding = qclr_fuzz::RowPadding(3 * uint64_t(width), align);
    *bytes = pixels / n * OffsetEntries(l) + (uint64_t(height) - 1) * padding;
  }
  return true;
}

struct Image {
  int32_t width, height, inAlign, outAlign;
  int placement;  // 0 apart, 1 the same buffer, 2 the destination a few bytes on
  int32_t shift;
};

Image MakeImage(FuzzedDataProvider& fdp) {
  static constexpr int32_t kAligns[] = {0, 1, 2, 3, 4, 8, 16, -1};
  Image im{};
  const int kind = fdp.ConsumeIntegralInRange<int>(0, 99);
  if (kind < 90) {
    im.width = fdp.ConsumeIntegralInRange<int32_t>(1, 40);
    im.height = fdp.ConsumeIntegralInRange<int32_t>(1, 12);
  } else if (kind < 97) {
    im.width = fdp.ConsumeIntegralInRange<int32_t>(-2, 600);
    im.height = fdp.ConsumeIntegralInRange<int32_t>(-2, 300);
  } else {
    im.width = fdp.ConsumeIntegral<int32_t>();
    im.height = fdp.ConsumeIntegral<int32_t>();
  }
  im.inAlign = fdp.ConsumeBool() ? fdp.PickValueInArray(kAligns) : AnyInt(fdp, -8, 64);
  im.outAlign = fdp.ConsumeBool() ? fdp.PickValueInArray(kAligns) : AnyInt(fdp, -8, 64);
  const int placement = fdp.ConsumeIntegralInRange<int>(0, 99);
  im.placement = placement < 80 ? 0 : placement < 90 ? 1 : 2;
  im.shift = fdp.ConsumeIntegralInRange<int32_t>(-64, 64);
  return im;
}

struct Buffers {
  const uint8_t* src;
  uint8_t* dst;
  uint64_t dstBytes;
  bool ok;     // false: a size the fuzzer cannot hold; the call is skipped
  bool apart;  // in two buffers
};

// The source and destination for one conversion. Sizes the header refuses get
// empty buffers (the inaccessible page itself): nothing may be touched then.
Buffers MakeBuffers(FuzzedDataProvider& fdp, const HandleState* h, int32_t srcSpace, int32_t dstSpace,
                    const Image& im) {
  uint64_t srcBytes = 0, dstBytes = 0;
  const bool srcOk = SourceBytes(h, srcSpace, im.width, im.height, im.inAlign, &srcBytes);
  const bool dstOk = dstSpace < 0 || qclr_fuzz::ImageBytes(dstSpace, im.width, im.height, im.outAlign, &dstBytes);
  if (!srcOk) srcBytes = 0;
  if (!dstOk) dstBytes = 0;
  const uint64_t limit = kImageCapacity - 128;
  if (srcBytes > limit || dstBytes > limit) return {nullptr, nullptr, 0, false, false};
  // A few bytes from the input, the rest a pattern: the input's bytes are kept for
  // the decisions that follow.
  std::vector<uint8_t> pixels = fdp.ConsumeBytes<uint8_t>(std::min<size_t>(static_cast<size_t>(srcBytes), 48));
  const uint32_t seed = fdp.ConsumeIntegral<uint8_t>();
  for (size_t i = pixels.size(); i < srcBytes; ++i) pixels.push_back(static_cast<uint8_t>((i * 131 + seed) * 2654435761u >> 24));
  if (srcSpace == CSP_XYZ) {  // mostly doubles in the encoder's range
    for (size_t i = 0; i + 8 <= pixels.size(); i += 8) {
      const double v = pixels[i] / 200.0;
      std::memcpy(&pixels[i], &v, 8);
    }
  }
  if (im.placement == 0 || !srcOk || !dstOk) {
    uint8_t* dst = gArenas->dst.End(static_cast<size_t>(dstBytes));
    std::memset(dst, 0xA5, static_cast<size_t>(dstBytes));
    return {gArenas->src.Place(pixels.data(), pixels.size()), dst, dstBytes, true, true};
  }
  // One buffer for both, the destination at the same place or `shift` bytes on.
  const uint64_t shift = im.placement == 1 ? 0 : static_cast<uint64_t>(im.shift < 0 ? -im.shift : im.shift);
  const uint64_t total = std::max(srcBytes, dstBytes) + shift;
  uint8_t* base = gArenas->src.End(static_cast<size_t>(total));
  std::memset(base, 0xA5, static_cast<size_t>(total));
  uint8_t* src = im.shift < 0 ? base + shift : base;
  if (!pixels.empty()) std::memcpy(src, pixels.data(), pixels.size());
  uint8_t* dst = im.shift < 0 ? base : base + shift;
  return {src, dst, dstBytes, true, false};
}

// The destination's padding bytes still hold the 0xA5 they were filled with (for
// a destination apart from the source).
void CheckPadding(const Buffers& b, int32_t space, const Image& im) {
  if (!b.apart || space == CSP_YVU9) return;
  uint64_t row = 0, base = 0;
  if (!qclr_fuzz::SpaceRow(space, im.width, &row, &base)) return;
  const uint64_t padding = qclr_fuzz::RowPadding(base, im.outAlign);
  for (int32_t y = 0; y + 1 < im.height; ++y) {
    const uint8_t* pad = b.dst + y * (row + padding) + row;
    for (uint64_t i = 0; i < padding; ++i) QCLR_FUZZ_CHECK(pad[i] == 0xA5);
  }
}

void Convert(FuzzedDataProvider& fdp, HandleState& h) {
  const Image im = MakeImage(fdp);
  const Buffers b = MakeBuffers(fdp, &h, h.src, h.dst, im);
  if (!b.ok) return;
  if (gTrace) {
    fprintf(stderr, "Q_ClrConvert(%d -> %d, %s, %d x %d, align %d/%d)\n", h.src, h.dst,
            b.apart ? "apart" : "one buffer", im.width, im.height, im.inAlign, im.outAlign);
  }
  const int32_t status = Q_ClrConvert(h.handle, b.src, b.dst, im.width, im.height, im.inAlign, im.outAlign);
  QCLR_FUZZ_CHECK(qclr_fuzz::DocumentedStatus(status));
  if (status == CLR_OK) CheckPadding(b, h.dst, im);
}

void ConvertDirect(FuzzedDataProvider& fdp) {
  const int32_t src = SpaceCode(fdp), dst = SpaceCode(fdp);
  const Image im = MakeImage(fdp);
  const Buffers b = MakeBuffers(fdp, nullptr, src, dst, im);
  if (!b.ok) return;
  if (gTrace) {
    fprintf(stderr, "Q_ClrConvertDirect(%d -> %d, %s, %d x %d, align %d/%d)\n", src, dst,
            b.apart ? "apart" : "one buffer", im.width, im.height, im.inAlign, im.outAlign);
  }
  const int32_t status = Q_ClrConvertDirect(src, dst, b.src, b.dst, im.width, im.height, im.inAlign, im.outAlign);
  QCLR_FUZZ_CHECK(qclr_fuzz::DocumentedStatus(status));
  if (status == CLR_OK) CheckPadding(b, dst, im);
}

// Either bitmap export; the record is filled with a pattern first.
void ToBitmap(FuzzedDataProvider& fdp, const HandleState* h) {
  const int32_t src = h != nullptr ? h->src : SpaceCode(fdp);
  const int32_t dst = h != nullptr ? h->dst : fdp.ConsumeBool() ? CSP_RGB : SpaceCode(fdp);
  Image im = MakeImage(fdp);
  im.placement = 0;
  const Buffers b = MakeBuffers(fdp, h, src, -1, im);
  if (!b.ok) return;
  auto* bitmap = reinterpret_cast<BitmapRecord*>(gArenas->bitmap.End(sizeof(BitmapRecord)));
  std::memset(bitmap, 0x5C, sizeof *bitmap);
  const int32_t status =
      h != nullptr ? Q_ClrConvertToBitmap(h->handle, b.src, bitmap, im.width, im.height, im.inAlign, im.outAlign)
                   : Q_ClrConvertDirectToBitmap(src, dst, b.src, bitmap, im.width, im.height, im.inAlign, im.outAlign);
  QCLR_FUZZ_CHECK(qclr_fuzz::DocumentedBitmapStatus(status));
  if (status != CLR_OK) {
    for (size_t i = 0; i < sizeof *bitmap; ++i) QCLR_FUZZ_CHECK(reinterpret_cast<uint8_t*>(bitmap)[i] == 0x5C);
    return;
  }
  const int32_t line = static_cast<int32_t>((3 * int64_t{im.width} + 3) / 4 * 4);
  QCLR_FUZZ_CHECK(bitmap->width == im.width && bitmap->height == im.height && bitmap->bitsPerPixel == 24);
  QCLR_FUZZ_CHECK(bitmap->bytesPerLine == line && bitmap->dataSize == uint32_t(line) * uint32_t(im.height));
  QCLR_FUZZ_CHECK((bitmap->storageFlags & QCLR_BITMAP_ALLOCATED) != 0 && bitmap->data != nullptr);
  if ((bitmap->storageFlags & (QCLR_BITMAP_TILED | QCLR_BITMAP_ON_DISK)) == 0) {
    const auto* rows = static_cast<const volatile uint8_t*>(bitmap->data);
    (void)rows[bitmap->dataSize - 1];  // the storage holds every row
  }
  QCLR_FUZZ_CHECK(Q_ClrFreeBitmap(bitmap) == CLR_OK);
}

void Change(FuzzedDataProvider& fdp, HandleState& h) {
  // The offsets array holds what the changed layout reads; unknown, the largest.
  const auto entriesFor = [&h](const YuvLayout& given) {
    if (!h.known) return kOffsetEntries;
    if (!h.hasLayout) return OffsetEntries(given);
    YuvLayout next = h.layout;
    const uint32_t m = given.mask;
    if (m & 1) next.uStepX = given.uStepX;
    if (m & 2) next.uStepY = given.uStepY;
    if (m & 4) next.vStepX = given.vStepX;
    if (m & 8) next.vStepY = given.vStepY;
    if (m & 32) next.groupPixels = given.groupPixels;
    return OffsetEntries(next);
  };
  const Records r = MakeParams(fdp, true, h.src, h.dst, entriesFor);
  const uint32_t flags = r.params->structSize == QCLR_CONVERSION_PARAMS_SIZE ? r.params->flags : 0;
  const int32_t method = r.params->structSize == QCLR_CONVERSION_PARAMS_SIZE ? r.params->method : 0;
  const int32_t status = Q_ClrSetConversionParams(h.handle, Likely(fdp, 98) ? r.params : nullptr);
  QCLR_FUZZ_CHECK(qclr_fuzz::DocumentedStatus(status));
  if (status != CLR_OK) {
    // A later group's failure leaves the earlier ones applied: the method and the
    // layout may have changed.
    if (flags & (1 | 32)) h.known = false;
    return;
  }
  if (flags & 1) h.method = method;
  if ((flags & 32) && h.known) {
    if (!h.hasLayout) {
      h.layout = r.fields;
      h.hasLayout = true;
    } else {
      const YuvLayout& g = r.fields;
      const uint32_t m = g.mask;
      if (m & 1) h.layout.uStepX = g.uStepX;
      if (m & 2) h.layout.uStepY = g.uStepY;
      if (m & 4) h.layout.vStepX = g.vStepX;
      if (m & 8) h.layout.vStepY = g.vStepY;
      if (m & 32) h.layout.groupPixels = g.groupPixels;
      if (m & 64) h.layout.noOffsets = g.noOffsets;
    }
  }
}

// Exports given something that is not a live handle: refused without a touch.
void NotAHandle(FuzzedDataProvider& fdp) {
  auto* fake = reinterpret_cast<ClrHandle*>(gArenas->fake.End(864));
  std::memset(fake, 0, 864);
  const uint32_t marker = 864;
  std::memcpy(fake, &marker, 4);
  const uint8_t pixel[4] = {1, 2, 3, 4};
  uint8_t out[4];
  ClrHandle* h = fdp.ConsumeBool() ? fake : nullptr;
  QCLR_FUZZ_CHECK(Q_ClrIsValid(h) == CLR_ERR_HANDLE);
  QCLR_FUZZ_CHECK(Q_ClrConvert(h, pixel, out, 1, 1, 0, 0) == CLR_ERR_HANDLE);
  QCLR_FUZZ_CHECK(Q_ClrFree(h) == CLR_ERR_HANDLE);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  (void)argc;
  gArenas = new Arenas;
  gTrace = getenv("QCLR_FUZZ_TRACE") != nullptr;
  PrepareFiles((*argv)[0]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider fdp(data, size);
  HandleState h;
  h.src = SpaceCode(fdp);
  h.dst = Likely(fdp, 90) ? SpaceCode(fdp) : h.src;
  const bool withParams = Likely(fdp, 90);
  Records r{nullptr, {}, false};
  if (withParams) r = MakeParams(fdp, false, h.src, h.dst, [](const YuvLayout& l) { return OffsetEntries(l); });
  const ConversionParams given = withParams && r.params->structSize == QCLR_CONVERSION_PARAMS_SIZE
                                     ? *r.params
                                     : ConversionParams{};
  auto* sentinel = reinterpret_cast<ClrHandle*>(gArenas->fake.End(0));
  ClrHandle* out = sentinel;
  const int32_t status = Q_ClrInit(&out, h.src, h.dst, withParams ? r.params : nullptr);
  if (gTrace) {
    fprintf(stderr, "Q_ClrInit(%d -> %d, %s, method %d, flags %u) = %d\n", h.src, h.dst,
            withParams ? "params" : "no params", given.method, given.flags, status);
  }
  QCLR_FUZZ_CHECK(qclr_fuzz::DocumentedStatus(status));
  if (status != CLR_OK) {
    QCLR_FUZZ_CHECK(out == sentinel);  // no handle on failure
  } else {
    QCLR_FUZZ_CHECK(out != sentinel && Q_ClrIsValid(out) == CLR_OK);
    h.handle = out;
    const bool automatic = given.method == METHOD_AUTO && given.flags == METHOD_AUTO;
    const bool bare = h.src == h.dst && (!withParams || (given.flags & 4) == 0);
    h.known = !automatic || bare;
    h.method = withParams ? given.method : METHOD_BUILTIN;
    h.hasLayout = !bare && withParams && r.layoutGiven && (h.src == CSP_YUV || h.dst == CSP_YUV);
    h.layout = r.fields;
  }
  for (int op = 0; op < 16 && fdp.remaining_bytes() > 0; ++op) {
    switch (fdp.ConsumeIntegralInRange<int>(0, 7)) {
      case 0:
      case 1:
        if (h.handle != nullptr) Convert(fdp, h);
        break;
      case 2:
        if (h.handle != nullptr) Change(fdp, h);
        break;
      case 3:
        if (h.handle != nullptr) ToBitmap(fdp, &h);
        break;
      case 4: ConvertDirect(fdp); break;
      case 5: ToBitmap(fdp, nullptr); break;
      case 6: NotAHandle(fdp); break;
      default:
        if (h.handle != nullptr) QCLR_FUZZ_CHECK(Q_ClrIsValid(h.handle) == CLR_OK);
        break;
    }
  }
  if (h.handle != nullptr) QCLR_FUZZ_CHECK(Q_ClrFree(h.handle) == CLR_OK);
  return 0;
}
