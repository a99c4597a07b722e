#include "template_writer.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace qclr::resources {
namespace {

using platform::DialogItem;
using platform::DialogTemplate;

class ByteSink {
 public:
  void U16(uint32_t v) {
    bytes_.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes_.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }

  // UTF-16, zero-terminated; the templates hold ASCII only.
  void Text(const std::string& text) {
    for (const char c : text) {
      const auto code = static_cast<unsigned char>(c);
      if (code == 0 || code > 0x7F) throw std::invalid_argument("dialog text not ASCII: " + text);
      U16(code);
    }
    U16(0);
  }

  // Items start on a 4-byte boundary of the template.
  void AlignTo4() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }

  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

void WriteItem(ByteSink& out, const DialogItem& item) {
  out.AlignTo4();
  out.U32(item.style);
  out.U32(item.extendedStyle);
  out.I16(item.x);
  out.I16(item.y);
  out.I16(item.width);
  out.I16(item.height);
  if (item.id == platform::kStaticControlId) {
    out.U16(0xFFFF);
  } else if (item.id >= 0 && item.id <= 0xFFFF) {
    out.U16(static_cast<uint32_t>(item.id));
  } else {
    throw std::invalid_argument("control id out of range: " + std::to_string(item.id));
  }
  if (item.classAtom != 0) {
    out.U16(0xFFFF);
    out.U16(item.classAtom);
  } else {
    out.Text(item.className);
  }
  out.Text(item.text);
  out.U16(0);  // no creation data
}

}  // namespace

std::vector<uint8_t> WriteDialogTemplate(const DialogTemplate& dialog) {
  if (dialog.items.size() > 0xFFFF) throw std::invalid_argument("too many controls");
  ByteSink out;
  out.U32(dialog.style);
  out.U32(dialog.extendedStyle);
  out.U16(static_cast<uint32_t>(dialog.items.size()));
  out.I16(dialog.x);
  out.I16(dialog.y);
  out.I16(dialog.width);
  out.I16(dialog.height);
  out.U16(0);  // no menu
  out.U16(0);  // the standard dialog class
  out.Text(dialog.title);
  if (dialog.style & platform::kDialogSetFont) {
    out.U16(dialog.pointSize);
    out.Text(dialog.typeface);
  }
  for (const DialogItem& item : dialog.items) WriteItem(out, item);
  return out.Take();
}

}  // namespace qclr::resources
