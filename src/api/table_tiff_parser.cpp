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

// Strip offsets and byte counts are read this many at a time.
constexpr uint32_t kStripChunk = 1024;

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

  // Where the SHORT or LONG values of an entry lie.
  struct Array {
    uint32_t size;   // bytes a value
    uint32_t count;
    uint64_t at;     // the first value
  };
  bool ArrayOf(uint64_t entryOffset, Array* array) {
    uint32_t type = 0, count = 0;
    if (!U16(entryOffset + 2, &type) || !U32(entryOffset + 4, &count)) return false;
    if (type != kTypeShort && type != kTypeLong) return Fail();
    array->size = type == kTypeShort ? 2 : 4;
    array->count = count;
    array->at = entryOffset + 8;
    if (uint64_t{count} * array->size > 4) {
      uint32_t offset = 0;
      if (!U32(entryOffset + 8, &offset)) return false;
      array->at = offset;
    }
    return true;
  }

  // Values first .. first + n - 1 (n at most kStripChunk) of `array`, in one read.
  bool ReadValues(const Array& array, uint32_t first, uint32_t n, uint32_t* values) {
    uint8_t bytes[kStripChunk * 4];
    if (n > kStripChunk || uint64_t{first} + n > array.count) return Fail();
    if (!Read(array.at + uint64_t{first} * array.size, bytes, size_t{n} * array.size)) return false;
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* b = bytes + size_t{i} * array.size;
      if (array.size == 2) {
        values[i] = bigEndian_ ? (b[0] << 8 | b[1]) : (b[1] << 8 | b[0]);
      } else {
        values[i] = bigEndian_ ? (uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3])
                               : (uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | b[0]);
      }
    }
    return true;
  }

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

// Copies the strips into `buffer`, strips that lie one after another in the file
// in one read.
class StripReader {
 public:
  StripReader(TiffReader& r, uint8_t* buffer, size_t bytes) : r_(r), buffer_(buffer), bytes_(bytes) {}

  bool Add(uint32_t offset, uint32_t bytes) {
    if (bytes > bytes_ - filled_) return r_.Fail();
    if (runBytes_ == 0 || offset != runStart_ + runBytes_) {
      if (!Flush()) return false;
      runStart_ = offset;
      runAt_ = filled_;
    }
    runBytes_ += bytes;
    filled_ += bytes;
    return true;
  }

  bool Flush() {
    if (started_ && !r_.Read(runStart_, buffer_ + runAt_, runBytes_)) return false;
    started_ = true;
    runBytes_ = 0;
    return true;
  }

  size_t filled() const { return filled_; }

 private:
  TiffReader& r_;
  uint8_t* buffer_;
  size_t bytes_;
  size_t filled_ = 0;
  uint64_t runStart_ = 0;
  size_t runAt_ = 0, runBytes_ = 0;
  bool started_ = false;
};

}  // namespace

int32_t ReadTableTiff(const ByteSource& source, uint8_t* buffer, size_t bufferSize, size_t usedBytes) {
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
  // The whole table, or exactly the bytes its lookups read (the rest is zero).
  const uint64_t dataBytes = pixels * dir.samples;
  if (dataBytes != bufferSize && dataBytes != usedBytes) return CLR_ERR_TABLE_FORMAT;

  // At most one strip a row: a count beyond that is no layout of this image.
  TiffReader::Array offsets{}, counts{};
  if (!r.ArrayOf(dir.offsetsEntry, &offsets)) return r.status();
  const uint32_t strips = offsets.count;
  if (strips == 0 || strips > dir.height) return CLR_ERR_TABLE_FORMAT;
  if (dir.countsEntry != 0) {
    if (!r.ArrayOf(dir.countsEntry, &counts)) return r.status();
    if (counts.count != strips) return CLR_ERR_TABLE_FORMAT;
  } else if (strips != 1) {
    return CLR_ERR_TABLE_FORMAT;  // several strips need their byte counts
  }
  StripReader reader(r, buffer, static_cast<size_t>(dataBytes));
  uint32_t stripOffsets[kStripChunk], stripBytes[kStripChunk];
  for (uint32_t first = 0; first < strips; first += kStripChunk) {
    const uint32_t n = strips - first < kStripChunk ? strips - first : kStripChunk;
    if (!r.ReadValues(offsets, first, n, stripOffsets)) return r.status();
    if (dir.countsEntry == 0) {
      stripBytes[0] = static_cast<uint32_t>(dataBytes);  // one strip holding all the data
    } else if (!r.ReadValues(counts, first, n, stripBytes)) {
      return r.status();
    }
    for (uint32_t i = 0; i < n; ++i) {
      if (!reader.Add(stripOffsets[i], stripBytes[i])) return r.status();
    }
  }
  if (!reader.Flush()) return r.status();
  if (reader.filled() != dataBytes) return CLR_ERR_TABLE_FORMAT;
  std::memset(buffer + dataBytes, 0, bufferSize - static_cast<size_t>(dataBytes));
  return CLR_OK;
}

}  // namespace qclr
