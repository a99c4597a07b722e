// The subset of TIFF that emulation-table files use. Every offset and count read
// from the file is checked against the file's size before it is used.
#include <cstring>

#include "api/table_image.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

constexpr uint16_t kTagImageWidth = 256;
constexpr uint16_t kTagImageLength = 257;
constexpr uint16_t kTagBitsPerSample = 258;
constexpr uint16_t kTagCompression = 259;
constexpr uint16_t kTagStripOffsets = 273;
constexpr uint16_t kTagSamplesPerPixel = 277;
constexpr uint16_t kTagStripByteCounts = 279;
constexpr uint16_t kTagPlanarConfiguration = 284;

constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;

// Largest strip count accepted: far more than any table needs, small enough that
// the strip arrays stay cheap to walk.
constexpr uint32_t kMaxStrips = 1u << 20;

class TiffReader {
 public:
  explicit TiffReader(const ByteSource& source) : source_(source) {}

  // Reads `count` bytes at `offset`; false (status set) when they are not there.
  bool Read(uint64_t offset, void* buffer, size_t count) {
    if (offset > source_.size || count > source_.size - offset) {
      status_ = CLR_ERR_TABLE_FORMAT;
      return false;
    }
    const int32_t result = source_.read(source_.context, offset, buffer, count);
    if (result != 0) {
      status_ = result < 0 ? CLR_ERR_TABLE_FORMAT : result;
      return false;
    }
    return true;
  }

  bool U16(uint64_t offset, uint32_t* value) {
    uint8_t b[2];
    if (!Read(offset, b, 2)) return false;
    *value = bigEndian_ ? (b[0] << 8 | b[1]) : (b[1] << 8 | b[0]);
    return true;
  }

  bool U32(uint64_t offset, uint32_t* value) {
    uint8_t b[4];
    if (!Read(offset, b, 4)) return false;
    *value = bigEndian_ ? (uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3])
                        : (uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | b[0]);
    return true;
  }

  // Value i of an entry of SHORT or LONG values; values that fit the 4-byte field
  // are stored in it, others at the offset it holds.
  bool Value(uint64_t entryOffset, uint32_t index, uint32_t* value) {
    uint32_t type = 0, count = 0;
    if (!U16(entryOffset + 2, &type) || !U32(entryOffset + 4, &count)) return false;
    if ((type != kTypeShort && type != kTypeLong) || index >= count) return Fail();
    const uint32_t size = type == kTypeShort ? 2 : 4;
    uint64_t at = entryOffset + 8;
    if (uint64_t{count} * size > 4) {
      uint32_t offset = 0;
      if (!U32(entryOffset + 8, &offset)) return false;
      at = offset;
    }
    at += uint64_t{index} * size;
    return size == 2 ? U16(at, value) : U32(at, value);
  }

  bool Count(uint64_t entryOffset, uint32_t* count) { return U32(entryOffset + 4, count); }

  bool Fail() {
    status_ = CLR_ERR_TABLE_FORMAT;
    return false;
  }

  void SetBigEndian(bool big) { bigEndian_ = big; }
  int32_t status() const { return status_; }

 private:
  const ByteSource& source_;
  bool bigEndian_ = false;
  int32_t status_ = CLR_OK;
};

struct Directory {
  uint32_t width = 0, height = 0, samples = 1, compression = 1, planar = 1;
  uint64_t bitsEntry = 0, offsetsEntry = 0, countsEntry = 0;  // 0: absent
};

bool ReadDirectory(TiffReader& r, Directory* dir) {
  uint8_t head[8];
  if (!r.Read(0, head, 8)) return r.Fail();
  if (head[0] == 'I' && head[1] == 'I') {
    r.SetBigEndian(false);
  } else if (head[0] == 'M' && head[1] == 'M') {
    r.SetBigEndian(true);
  } else {
    return r.Fail();
  }
  uint32_t magic = 0, ifd = 0, entries = 0;
  if (!r.U16(2, &magic) || !r.U32(4, &ifd) || !r.U16(ifd, &entries)) return false;
  if (magic != 42) return r.Fail();
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t entry = uint64_t{ifd} + 2 + 12 * uint64_t{i};
    uint32_t tag = 0;
    if (!r.U16(entry, &tag)) return false;
    bool ok = true;
    switch (tag) {
      case kTagImageWidth: ok = r.Value(entry, 0, &dir->width); break;
      case kTagImageLength: ok = r.Value(entry, 0, &dir->height); break;
      case kTagSamplesPerPixel: ok = r.Value(entry, 0, &dir->samples); break;
      case kTagCompression: ok = r.Value(entry, 0, &dir->compression); break;
      case kTagPlanarConfiguration: ok = r.Value(entry, 0, &dir->planar); break;
      case kTagBitsPerSample: dir->bitsEntry = entry; break;
      case kTagStripOffsets: dir->offsetsEntry = entry; break;
      case kTagStripByteCounts: dir->countsEntry = entry; break;
      default: break;  // other tags (photometric, resolution, ...) do not matter
    }
    if (!ok) return false;
  }
  return true;
}

bool EightBitSamples(TiffReader& r, const Directory& dir) {
  if (dir.bitsEntry == 0) return r.Fail();  // absent means 1 bit a sample
  uint32_t count = 0;
  if (!r.Count(dir.bitsEntry, &count) || count != dir.samples) return r.Fail();
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t bits = 0;
    if (!r.Value(dir.bitsEntry, i, &bits)) return false;
    if (bits != 8) return r.Fail();
  }
  return true;
}

}  // namespace

int32_t ReadTableTiff(const ByteSource& source, uint8_t* buffer, size_t bufferSize) {
  TiffReader r(source);
  Directory dir;
  if (!ReadDirectory(r, &dir)) return r.status();
  if (dir.compression != 1 || dir.offsetsEntry == 0 || dir.samples == 0 ||
      (dir.planar != 1 && dir.samples != 1)) {
    return CLR_ERR_TABLE_FORMAT;
  }
  if (!EightBitSamples(r, dir)) return r.status();
  const uint64_t pixels = uint64_t{dir.width} * dir.height;  // below 2^64
  if (dir.samples > 0 && pixels > UINT64_MAX / dir.samples) return CLR_ERR_TABLE_FORMAT;
  if (pixels * dir.samples != bufferSize) return CLR_ERR_TABLE_FORMAT;

  uint32_t strips = 0, counts = 0;
  if (!r.Count(dir.offsetsEntry, &strips)) return r.status();
  if (strips == 0 || strips > kMaxStrips) return CLR_ERR_TABLE_FORMAT;
  if (dir.countsEntry != 0) {
    if (!r.Count(dir.countsEntry, &counts)) return r.status();
    if (counts != strips) return CLR_ERR_TABLE_FORMAT;
  } else if (strips != 1) {
    return CLR_ERR_TABLE_FORMAT;  // several strips need their byte counts
  }
  size_t filled = 0;
  for (uint32_t s = 0; s < strips; ++s) {
    uint32_t offset = 0, bytes = 0;
    if (!r.Value(dir.offsetsEntry, s, &offset)) return r.status();
    if (dir.countsEntry == 0) {
      bytes = static_cast<uint32_t>(bufferSize);  // one strip holding all the data
    } else if (!r.Value(dir.countsEntry, s, &bytes)) {
      return r.status();
    }
    if (bytes > bufferSize - filled) return CLR_ERR_TABLE_FORMAT;
    if (!r.Read(offset, buffer + filled, bytes)) return r.status();
    filled += bytes;
  }
  return filled == bufferSize ? CLR_OK : CLR_ERR_TABLE_FORMAT;
}

}  // namespace qclr
