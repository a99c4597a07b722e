#include "support/dialog_template_reader.h"

#include <utility>

namespace qclr::platform {
namespace {

class ByteSource {
 public:
  ByteSource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool U16(uint16_t* v) {
    if (size_ - offset_ < 2) return false;
    *v = static_cast<uint16_t>(bytes_[offset_] | bytes_[offset_ + 1] << 8);
    offset_ += 2;
    return true;
  }
  bool U32(uint32_t* v) {
    uint16_t low = 0, high = 0;
    if (!U16(&low) || !U16(&high)) return false;
    *v = low | uint32_t{high} << 16;
    return true;
  }
  bool I16(int16_t* v) {
    uint16_t raw = 0;
    if (!U16(&raw)) return false;
    *v = static_cast<int16_t>(raw);
    return true;
  }

  // A zero-terminated UTF-16 string.
  bool Text(std::string* text) {
    uint16_t first = 0;
    return U16(&first) && TextFrom(first, text);
  }

  // The rest of a string whose first character has been read.
  bool TextFrom(uint16_t first, std::string* text) {
    text->clear();
    for (uint16_t c = first; c != 0;) {
      text->push_back(c <= 0xFF ? static_cast<char>(c) : '?');
      if (!U16(&c)) return false;
    }
    return true;
  }

  bool Skip(size_t count) {
    if (size_ - offset_ < count) return false;
    offset_ += count;
    return true;
  }
  bool AlignTo4() { return Skip((4 - offset_ % 4) % 4); }
  bool AtEnd() const { return offset_ == size_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t offset_ = 0;
};

bool ReadItem(ByteSource& in, DialogItem* item) {
  uint16_t id = 0, marker = 0;
  if (!in.AlignTo4() || !in.U32(&item->style) || !in.U32(&item->extendedStyle) ||
      !in.I16(&item->x) || !in.I16(&item->y) || !in.I16(&item->width) ||
      !in.I16(&item->height) || !in.U16(&id)) {
    return false;
  }
  item->id = id == 0xFFFF ? kStaticControlId : id;
  // The class: 0xFFFF and an atom, or a name.
  if (!in.U16(&marker)) return false;
  if (marker == 0xFFFF) {
    if (!in.U16(&item->classAtom)) return false;
  } else if (!in.TextFrom(marker, &item->className)) {
    return false;
  }
  // The text: a string, or 0xFFFF and the ordinal of an image, which has no use
  // here and reads as an empty text.
  uint16_t ordinal = 0;
  if (!in.U16(&marker)) return false;
  if (marker == 0xFFFF) {
    if (!in.U16(&ordinal)) return false;
    item->text.clear();
  } else if (!in.TextFrom(marker, &item->text)) {
    return false;
  }
  // Creation data: its size in bytes counts the size word itself.
  uint16_t extra = 0;
  if (!in.U16(&extra)) return false;
  if (extra == 0) return true;
  return extra >= 2 && in.Skip(extra - 2u);
}

}  // namespace

bool ReadDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* dialog) {
  if (bytes == nullptr || dialog == nullptr) return false;
  ByteSource in(bytes, size);
  DialogTemplate result;
  uint16_t count = 0, menu = 0, windowClass = 0;
  if (!in.U32(&result.style) || !in.U32(&result.extendedStyle) || !in.U16(&count) ||
      !in.I16(&result.x) || !in.I16(&result.y) || !in.I16(&result.width) ||
      !in.I16(&result.height) || !in.U16(&menu) || !in.U16(&windowClass) || menu != 0 ||
      windowClass != 0 || !in.Text(&result.title)) {
    return false;
  }
  if ((result.style & kDialogSetFont) &&
      (!in.U16(&result.pointSize) || !in.Text(&result.typeface))) {
    return false;
  }
  result.items.resize(count);
  for (DialogItem& item : result.items) {
    if (!ReadItem(in, &item)) return false;
  }
  if (!in.AtEnd()) return false;
  *dialog = std::move(result);
  return true;
}

}  // namespace qclr::platform
