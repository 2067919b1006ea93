// Labels: their DrawText flags, sizing to the caption, the accelerator, the switch of a
// turned raster font to "Arial", and the glyphs of a fill label.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/windows/forms.h"
#include "classlib/windows/stdctrls.h"
#include "controls/kitdraw.h"
#include "controls/kitlabel.h"
#include "tests/classlib/gui_test_util.h"

namespace {

using enum TKitAlignment;
using enum TKitLabelOption;

TEST(KitLabel, TextFlags) {
  struct TCase {
    TKitAlignment Alignment;
    TKitLabelOptions Options;
    bool Accel;
    unsigned Flags;
  };
  const unsigned always = DT_WORDBREAK | DT_EXPANDTABS;
  const std::vector<TCase> cases = {
      {agTopLeft, {}, true, DT_LEFT | DT_TOP | always},
      {agTopCenter, {}, true, DT_CENTER | DT_TOP | always},
      {agTopRight, {}, true, DT_RIGHT | DT_TOP | always},
      {agCenterLeft, {}, true, DT_LEFT | DT_VCENTER | always},
      {agCenter, {loEndEllipsis}, true, DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | always},
      {agCenterRight, {loPathEllipsis}, false, DT_RIGHT | DT_VCENTER | DT_PATH_ELLIPSIS | DT_NOPREFIX | always},
      {agBottomLeft, {loEditControl}, true, DT_LEFT | DT_BOTTOM | DT_EDITCONTROL | always},
      {agBottomCenter, {}, false, DT_CENTER | DT_BOTTOM | DT_NOPREFIX | always},
      {agBottomRight, {loPathEllipsis, loEndEllipsis, loEditControl}, true,
       DT_RIGHT | DT_BOTTOM | DT_PATH_ELLIPSIS | DT_END_ELLIPSIS | DT_EDITCONTROL | always},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(KitLabelTextFlags(c.Alignment, c.Options, c.Accel), c.Flags) << static_cast<int>(c.Alignment);
  TKitLabel label(nullptr);
  label.SetAlignment(agBottomRight);
  label.SetShowAccelChar(false);
  EXPECT_EQ(label.TextFlags(), DT_RIGHT | DT_BOTTOM | DT_NOPREFIX | always);
}

TEST(KitLabel, AutoSizeIsTheMeasuredCaptionAndTheBevel) {
  TKitLabel plain(nullptr), bevelled(nullptr);
  bevelled.GetBevel()->SetStyleOuter(TKitBevelStyle::bvLowered);
  bevelled.GetBevel()->SetWidthOuter(3);
  ASSERT_EQ(bevelled.BevelWidth(), 3);
  for (TKitLabel* l : {&plain, &bevelled}) l->SetCaption("Суббота, 14 марта");
  TRect measured = Rect(0, 0, 0, 0);
  MeasureText(plain.GetFont(), "Суббота, 14 марта", plain.GetFontFx(), -1, false, true,
              plain.TextFlags() & ~static_cast<unsigned>(DT_WORDBREAK), measured);
  EXPECT_EQ(plain.GetWidth(), measured.Width());
  EXPECT_EQ(plain.GetHeight(), measured.Height());
  EXPECT_GT(plain.GetWidth(), 3 * plain.GetHeight());  // on one line
  EXPECT_EQ(bevelled.GetWidth(), plain.GetWidth() + 6);
  EXPECT_EQ(bevelled.GetHeight(), plain.GetHeight() + 6);
  plain.SetAutoSize(false);
  plain.SetCaption("x");
  EXPECT_EQ(plain.GetWidth(), measured.Width());
}

TEST(KitLabel, TheAcceleratorFocusesTheFocusControl) {
  TForm form(nullptr, CreateNew);
  form.SetBounds(100, 100, 300, 150);
  auto* first = new TEdit(&form);
  first->SetParent(&form);
  first->SetBounds(10, 10, 100, 24);
  auto* target = new TEdit(&form);
  target->SetParent(&form);
  target->SetBounds(10, 50, 100, 24);
  auto* label = new TKitLabel(&form);
  label->SetParent(&form);
  label->SetCaption("&Сохранить");
  label->SetFocusControl(target);
  form.Show();
  first->SetFocus();
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, L'с'), 1);
  EXPECT_EQ(form.GetActiveControl(), target);
  first->SetFocus();
  label->SetShowAccelChar(false);
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, L'с'), 0);
  EXPECT_EQ(form.GetActiveControl(), first);
  delete target;  // the label forgets it
  EXPECT_EQ(label->GetFocusControl(), nullptr);
}

// No raster font is installed under Wine (every face maps to a TrueType one), so the
// switch away from a raster font is not reached here; what it switches to must be TrueType.
TEST(KitLabel, ArialIsTrueTypeAndATurnedLabelKeepsItsAngle) {
  TKitLabelFill label(nullptr);
  EXPECT_EQ(label.GetFont()->GetName(), "Arial");
  EXPECT_EQ(label.GetFont()->GetSize(), 28);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, label.GetFont()->GetHandle());
  TEXTMETRICW metrics{};
  ASSERT_TRUE(GetTextMetricsW(dc, &metrics));
  EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE);
  SelectObject(dc, old);
  DeleteDC(dc);
  label.GetFontFx()->SetAngle(90);
  label.GetFont()->SetSize(20);
  EXPECT_EQ(label.GetFontFx()->GetAngle(), 90);
  EXPECT_EQ(label.GetFont()->GetName(), "Arial");
}

}  // namespace
