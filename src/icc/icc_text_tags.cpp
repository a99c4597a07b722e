// Text for people: 'desc' (version 2 descriptions), 'text' and 'mluc' (version 4
// multi-localised text), as UTF-8.
#include <cstdint>

#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"

namespace qclr {
namespace {

// Writes code points as UTF-8 into a buffer of `size` bytes, keeping room for the
// terminating zero; a character that does not fit whole ends the text. Control
// characters become spaces, so the text stays on one line.
class Utf8Writer {
 public:
  Utf8Writer(char* text, int32_t size) : text_(text), size_(size) {}

  bool Put(uint32_t c) {
    if (c < 0x20 || c == 0x7F) c = ' ';
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    uint8_t bytes[4];
    int32_t n;
    if (c < 0x80) {
      bytes[0] = static_cast<uint8_t>(c), n = 1;
    } else if (c < 0x800) {
      bytes[0] = static_cast<uint8_t>(0xC0 | c >> 6), n = 2;
    } else if (c < 0x10000) {
      bytes[0] = static_cast<uint8_t>(0xE0 | c >> 12), n = 3;
    } else {
      bytes[0] = static_cast<uint8_t>(0xF0 | c >> 18), n = 4;
    }
    for (int32_t i = 1; i < n; ++i) bytes[i] = static_cast<uint8_t>(0x80 | ((c >> (6 * (n - 1 - i))) & 0x3F));
    if (full_ || length_ + n > size_ - 1) {
      full_ = true;
      return false;
    }
    for (int32_t i = 0; i < n; ++i) text_[length_++] = static_cast<char>(bytes[i]);
    return true;
  }

  int32_t Finish() {
    if (size_ >= 1) text_[length_] = '\0';
    return length_;
  }

 private:
  char* text_;
  int32_t size_;
  int32_t length_ = 0;
  bool full_ = false;
};

// `count` bytes of 8-bit text up to the first zero; bytes above 0x7F are taken as
// Latin-1.
bool PutBytes(IccByteReader* reader, uint32_t count, Utf8Writer* out) {
  const uint8_t* bytes = reader->Take(count);
  if (bytes == nullptr) return false;
  for (uint32_t i = 0; i < count && bytes[i] != 0 && out->Put(bytes[i]); ++i) {
  }
  return true;
}

// `count` bytes of UTF-16 (big-endian), surrogate pairs joined.
bool PutUtf16(IccByteReader* reader, uint32_t count, Utf8Writer* out) {
  if (count > reader->Remaining()) return false;
  for (uint32_t i = 0; i + 1 < count; i += 2) {
    uint16_t unit = 0;
    reader->ReadU16(&unit);
    uint32_t c = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < count) {
      IccByteReader next = *reader;
      uint16_t low;
      if (next.ReadU16(&low) && low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((uint32_t{unit} - 0xD800) << 10) + (low - 0xDC00);
        *reader = next;
        i += 2;
      }
    }
    if (c == 0 || !out->Put(c)) break;
  }
  return true;
}

// 'desc': the ASCII count (with its zero) and the ASCII text come first.
bool ReadDescription(IccByteReader* reader, Utf8Writer* out) {
  uint32_t count;
  return reader->ReadU32(&count) && PutBytes(reader, count, out);
}

// 'mluc': a record count and size, then records of language and country codes,
// the string's length in bytes and its offset from the start of the tag.
bool ReadMultiLocalized(const IccByteReader& tag, IccByteReader* reader, Utf8Writer* out) {
  uint32_t records, recordSize;
  if (!reader->ReadU32(&records) || !reader->ReadU32(&recordSize) || recordSize < 12) return false;
  if (records == 0) return true;
  if (records > reader->Remaining() / recordSize) return false;
  // The record to use: English of the US, else any English, else the first.
  uint32_t chosen = 0;
  int32_t rank = 0;
  for (uint32_t i = 0; i < records; ++i) {
    IccByteReader record = reader->At(reader->Position() + size_t{i} * recordSize);
    uint16_t language = 0, country = 0;
    record.ReadU16(&language);
    record.ReadU16(&country);
    const int32_t r = language == 0x656E ? (country == 0x5553 ? 2 : 1) : 0;  // 'en', 'US'
    if (r > rank) chosen = i, rank = r;
  }
  IccByteReader record = reader->At(reader->Position() + size_t{chosen} * recordSize + 4);
  uint32_t length = 0, offset = 0;
  record.ReadU32(&length);
  record.ReadU32(&offset);
  IccByteReader text = tag.At(offset);
  return offset <= tag.Size() && PutUtf16(&text, length, out);
}

}  // namespace

int32_t IccReadText(const IccProfile* profile, uint32_t signature, char* text, int32_t size) {
  Utf8Writer out(text, size);
  IccByteReader reader;
  uint32_t type;
  bool read = false;
  if (IccOpenTag(profile, signature, &reader, &type) == 1) {
    const IccByteReader tag = reader.At(0);
    if (type == kIccTypeDescription) {
      read = ReadDescription(&reader, &out);
    } else if (type == kIccTypeText) {
      read = PutBytes(&reader, static_cast<uint32_t>(reader.Remaining()), &out);
    } else if (type == kIccTypeMultiLocalizedText) {
      read = ReadMultiLocalized(tag, &reader, &out);
    }
  }
  if (!read) {
    Utf8Writer(text, size).Finish();
    return -1;
  }
  return out.Finish();
}

}  // namespace qclr
