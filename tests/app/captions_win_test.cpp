// The faces the clock's forms name are the ones drawn ("Tahoma" is Tahoma, not a wider
// stand-in), and in them every caption of the settings, player, notes and about windows fits
// its control: no label loses its colon, no group box or check box its last letter.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/About.h"
#include "app/Unit3.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "classlib/windows/application.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/unicode.h"

namespace {

// The face a font of this name comes out as.
std::wstring DrawnFace(const wchar_t* Name, int Weight) {
  LOGFONTW lf{};
  lf.lfHeight = -11;
  lf.lfWeight = Weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(lf.lfFaceName, Name);
  HFONT font = CreateFontIndirectW(&lf);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t face[LF_FACESIZE] = L"";
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return face;
}

bool Installed(const wchar_t* Name) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(lf.lfFaceName, Name);
  HDC dc = GetDC(nullptr);
  bool found = false;
  EnumFontFamiliesExW(
      dc, &lf, [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM Found) -> int {
        *reinterpret_cast<bool*>(Found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

TEST(FormFaces, TahomaAndMarlettAreThemselves) {
  for (const wchar_t* name : {L"Tahoma", L"Marlett"}) EXPECT_TRUE(Installed(name)) << WideToUtf8(name);
  EXPECT_EQ(DrawnFace(L"Tahoma", FW_NORMAL), L"Tahoma");
  EXPECT_EQ(DrawnFace(L"Tahoma", FW_BOLD), L"Tahoma");
  EXPECT_EQ(DrawnFace(L"Marlett", FW_NORMAL), L"Marlett");
  // The class library's default face is the one the forms name.
  TFont font;
  EXPECT_EQ(font.GetName(), "Tahoma");
}

// The size of a text drawn in a control's font (lines apart; a wrapped one within Width).
SIZE TextSize(TControl* Control, const String& Text, int Width = 0) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Control->GetFont()->GetHandle());
  std::wstring text = Utf8ToWide(Text);
  RECT r{0, 0, Width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (Width > 0 ? DT_WORDBREAK : 0));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}

// A control another one of the same parent overlaps, or nullptr.
TControl* Overlapping(TControl* Control) {
  TWinControl* parent = Control->GetParent();
  for (int i = 0; parent && i < parent->ControlCount(); ++i) {
    TControl* other = parent->Controls(i);
    if (other == Control || !other->GetVisible()) continue;
    TRect a = Control->GetBoundsRect(), b = other->GetBoundsRect();
    if (a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom) return other;
  }
  return nullptr;
}

// Every captioned control of a form: the room its caption needs beside the room it has; a
// label that sizes itself to its caption runs into no other control and stays inside its
// parent.
void ExpectCaptionsFit(TCustomForm* Form) {
  SCOPED_TRACE(Form->GetName());
  const int box = GetSystemMetrics(SM_CXMENUCHECK) + 4;  // a check box's square and its gap
  int checked = 0;
  for (int i = 0; i < Form->ComponentCount(); ++i) {
    auto* control = dynamic_cast<TControl*>(Form->Components(i));
    if (!control) continue;
    String caption = control->GetCaption();
    if (caption.empty()) continue;
    const String name = control->GetName() + " \"" + caption + "\"";
    const int width = control->GetWidth();
    if (auto* label = dynamic_cast<TLabel*>(control)) {
      if (label->GetWordWrap()) {
        EXPECT_LE(TextSize(label, caption, width).cy, label->GetHeight()) << name;
      } else {
        EXPECT_LE(TextSize(label, caption).cx, width) << name;
      }
      if (label->GetAutoSize()) {
        TControl* other = Overlapping(label);
        EXPECT_EQ(other, nullptr) << name << " runs into " << (other ? other->GetName() : String());
        if (TWinControl* parent = label->GetParent()) {
          EXPECT_LE(label->GetLeft() + label->GetWidth(), parent->ClientRect().Right) << name;
        }
      }
    } else if (dynamic_cast<TCustomGroupBox*>(control)) {
      // From 8 in, with a blank after it, before the frame's right end 8 from the edge.
      EXPECT_LE(8 + TextSize(control, caption + " ").cx, width - 8) << name;
    } else if (dynamic_cast<TCustomCheckBox*>(control) || dynamic_cast<TRadioButton*>(control)) {
      EXPECT_LE(box + TextSize(control, caption).cx, width) << name;
    } else if (auto* button = dynamic_cast<TBitBtn*>(control)) {
      int glyph = button->GetGlyph()->Empty() ? 0 : button->GetGlyph()->GetWidth() / button->GetNumGlyphs() + 4;
      EXPECT_LE(glyph + TextSize(control, caption).cx + 4, width) << name;
    } else if (dynamic_cast<TButton*>(control)) {
      EXPECT_LE(TextSize(control, caption).cx + 4, width) << name;
    } else {
      continue;
    }
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST(FormFaces, EveryCaptionFitsItsControl) {
  std::unique_ptr<TForm3> settings(NewForm<TForm3>(Application));
  ExpectCaptionsFit(settings.get());
  std::unique_ptr<TForm5> player(NewForm<TForm5>(Application));
  ExpectCaptionsFit(player.get());
  std::unique_ptr<TForm6> notes(NewForm<TForm6>(Application));
  ExpectCaptionsFit(notes.get());
  std::unique_ptr<TAboutBox> about(NewForm<TAboutBox>(Application));
  ExpectCaptionsFit(about.get());
}

}  // namespace
