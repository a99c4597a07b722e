// The two dialog templates as the dialog manager reads them from the library's
// resources: header, every control in order, and a layout that fits.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "platform/dialog_template.h"

namespace qclr::test {
namespace {

using platform::ControlKind;
using platform::DialogTemplate;
using K = ControlKind;

struct ExpectedControl {
  int32_t id;
  ControlKind kind;
  const char* text;
};

constexpr int32_t S = platform::kStaticControlId;

const std::vector<ExpectedControl> kCmykControls = {
    {S, K::kLabel, "Conversion &Method"},
    {116, K::kDropDownList, ""},
    {S, K::kGroupBox, "Custom ICC Profiles"},
    {S, K::kLabel, "&CMYK Profile"},
    {117, K::kEdit, ""},
    {118, K::kPushButton, "..."},
    {S, K::kLabel, "&RGB profile"},
    {119, K::kEdit, ""},
    {120, K::kPushButton, "..."},
    {S, K::kGroupBox, "Emulation tables"},
    {S, K::kLabel, "&Destination RGB table"},
    {121, K::kEdit, ""},
    {122, K::kPushButton, "..."},
    {S, K::kGroupBox, "&White point"},
    {123, K::kDropDownList, ""},
    {S, K::kLabel, "&x"},
    {124, K::kEdit, ""},
    {S, K::kLabel, "&y"},
    {125, K::kEdit, ""},
    {S, K::kLabel, "Y is always 1.0"},
    {S, K::kGroupBox, "Built-in Settings"},
    {S, K::kLabel, "&GCR"},
    {126, K::kEdit, ""},
    {127, K::kUpDown, ""},
    {1, K::kPushButton, "OK"},
    {2, K::kPushButton, "Cancel"},
    {S, K::kGroupBox, "Miscellaneous"},
    {1002, K::kCheckBox, "RGB &to CMYK"},
    {1001, K::kCheckBox, "BGR &Order"},
};

const std::vector<ExpectedControl> kLabControls = {
    {1, K::kPushButton, "OK"},
    {2, K::kPushButton, "Cancel"},
    {S, K::kLabel, "Conversion &Method"},
    {116, K::kDropDownList, ""},
    {S, K::kGroupBox, "Custom ICC Profiles"},
    {S, K::kLabel, "&Source input profile"},
    {117, K::kEdit, ""},
    {118, K::kPushButton, "..."},
    {S, K::kLabel, "&Destination output profile"},
    {119, K::kEdit, ""},
    {120, K::kPushButton, "..."},
    {129, K::kGroupBox, "Emulation tables"},
    {S, K::kLabel, "Destination &CIELab table"},
    {130, K::kEdit, ""},
    {131, K::kPushButton, "..."},
    {S, K::kGroupBox, "&White point"},
    {123, K::kDropDownList, ""},
    {S, K::kLabel, "&x"},
    {124, K::kEdit, ""},
    {S, K::kLabel, "&y"},
    {125, K::kEdit, ""},
    {S, K::kLabel, "Y is always 1.0"},
    {S, K::kLabel, "Destinantion R&GB table"},
    {132, K::kEdit, ""},
    {133, K::kPushButton, "..."},
    {S, K::kGroupBox, "Lab To RGB conversion"},
    {S, K::kGroupBox, "RGB To Lab conversion"},
    {134, K::kRadioButton, "&RGB To CIELab"},
    {135, K::kRadioButton, "CIE&Lab To RGB"},
    {S, K::kGroupBox, "Miscellaneous"},
    {1002, K::kCheckBox, "RGB &to LAB"},
    {1001, K::kCheckBox, "BGR &Order"},
};

struct ExpectedDialog {
  int32_t kind;
  int32_t templateId;
  const char* title;
  int16_t width, height;
  const std::vector<ExpectedControl>* controls;
};

const ExpectedDialog kDialogs[] = {
    {1, 114, "CMYK color settings", 238, 231, &kCmykControls},
    {2, 128, "CIELab color settings", 242, 311, &kLabControls},
};

// The template of a dialog as shown (read back from the resource by the manager).
DialogTemplate ShownTemplate(int32_t kind) {
  DialogTemplate shown;
  ScriptScope scope([&](DialogUser& user) {
    shown = user.Layout();
    user.Click(dialog::kIdCancel);
  });
  ClrHandle* handle = nullptr;
  EXPECT_EQ(Q_ClrDlg(kind, nullptr, &handle, nullptr), CLR_CANCELLED);
  return shown;
}

TEST(DialogTemplates, EveryControlInTemplateOrder) {
  for (const ExpectedDialog& d : kDialogs) {
    SCOPED_TRACE(d.title);
    const DialogTemplate t = ShownTemplate(d.kind);
    EXPECT_EQ(t.title, d.title);
    EXPECT_EQ(t.width, d.width);
    EXPECT_EQ(t.height, d.height);
    EXPECT_TRUE(t.style & platform::kDialogSetFont);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.typeface, "MS Sans Serif");
    ASSERT_EQ(t.items.size(), d.controls->size());
    for (size_t i = 0; i < t.items.size(); ++i) {
      const ExpectedControl& want = (*d.controls)[i];
      const platform::DialogItem& item = t.items[i];
      EXPECT_EQ(item.id, want.id) << "control " << i;
      EXPECT_EQ(platform::KindOfItem(item), want.kind) << "control " << i;
      EXPECT_EQ(item.text, want.text) << "control " << i;
      EXPECT_TRUE(item.style & platform::kStyleVisible) << "control " << i;
    }
  }
}

// Every control lies inside the dialog, and no two controls the user works with
// cover each other (group boxes frame others, and a drop-down list's template
// height includes its dropped list, so only its closed height counts).
TEST(DialogTemplates, LayoutFitsTheDialog) {
  constexpr int kClosedListHeight = 12;
  for (const ExpectedDialog& d : kDialogs) {
    const DialogTemplate t = ShownTemplate(d.kind);
    struct Box {
      int x0, y0, x1, y1;
      int32_t index;
    };
    std::vector<Box> boxes;
    for (size_t i = 0; i < t.items.size(); ++i) {
      const platform::DialogItem& item = t.items[i];
      EXPECT_GE(item.x, 0) << d.title << " control " << i;
      EXPECT_GE(item.y, 0) << d.title << " control " << i;
      EXPECT_GT(item.width, 0) << d.title << " control " << i;
      EXPECT_GT(item.height, 0) << d.title << " control " << i;
      EXPECT_LE(item.x + item.width, t.width) << d.title << " control " << i;
      EXPECT_LE(item.y + item.height, t.height) << d.title << " control " << i;
      const ControlKind kind = platform::KindOfItem(item);
      if (kind == K::kGroupBox) continue;
      const int height = kind == K::kDropDownList ? kClosedListHeight : item.height;
      boxes.push_back({item.x, item.y, item.x + item.width, item.y + height, static_cast<int32_t>(i)});
    }
    for (size_t a = 0; a < boxes.size(); ++a) {
      for (size_t b = a + 1; b < boxes.size(); ++b) {
        const Box &p = boxes[a], &q = boxes[b];
        const bool apart = p.x1 <= q.x0 || q.x1 <= p.x0 || p.y1 <= q.y0 || q.y1 <= p.y0;
        EXPECT_TRUE(apart) << d.title << ": controls " << p.index << " and " << q.index << " overlap";
      }
    }
  }
}

}  // namespace
}  // namespace qclr::test
