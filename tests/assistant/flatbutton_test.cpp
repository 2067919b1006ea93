#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assistant/flatbutton.h"
#include "classlib/windows/application.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "classlib/core/messages.h"
#include "classlib/core/unicode.h"
#include "message_pump.h"
#include "tests/classlib/gui_test_util.h"

namespace horavox::test {
namespace {

// Text widths in a real font, as the button measures them.
class TFontMeasure {
 public:
  TFontMeasure() : FDC(CreateCompatibleDC(nullptr)) { FOld = SelectObject(FDC, FFont.GetHandle()); }
  ~TFontMeasure() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  int operator()(const std::wstring& s) const {
    SIZE size{};
    GetTextExtentPoint32W(FDC, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
  }
  int Height(const std::wstring& s) const {
    SIZE size{};
    GetTextExtentPoint32W(FDC, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cy;
  }

 private:
  TFont FFont;
  HDC FDC;
  HGDIOBJ FOld;
};

TEST(FlatButtonWrap, BreaksAsMeasuredInTheFont) {
  TFontMeasure m;
  auto wrap = [&](const std::wstring& text, int width) {
    return WrapCaption(text, width, [&](const std::wstring& s) { return m(s); });
  };
  struct TCase {
    const char* What;
    std::wstring Text;
    int Width;
    std::vector<std::wstring> Lines;
  };
  const TCase cases[] = {
      {"fits whole", L"Hello world", m(L"Hello world"), {L"Hello world"}},
      {"two words: the space dropped", L"Hello world", m(L"Hello w"), {L"Hello", L"world"}},
      {"no space: split inside", L"abcdefgh", m(L"abcd"), {L"abcd", L"efgh"}},
      {"narrower than a character", L"abc", m(L"a") - 1, {}},
      {"Cyrillic", L"Привет мир", m(L"Привет м"), {L"Привет", L"мир"}},
      {"a leading space does not count", L" abcdef", m(L" abc"), {L" abc", L"def"}},
  };
  for (const TCase& c : cases) EXPECT_EQ(wrap(c.Text, c.Width), c.Lines) << c.What;
}

// A shown form with a button at (10, 10), brought forward so it gets the mouse and the focus.
struct TButtonForm {
  TForm* Form = new TForm(nullptr, CreateNew);
  TOffice97Button* Button = new TOffice97Button(Form);
  TButtonForm() {
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(100, 100, 300, 200);
    Button->SetParent(Form);
    Button->SetBounds(10, 10, 120, 30);
    Form->Show();
    SetForegroundWindow(Form->GetHandle());
    PumpMessagesUntil([&] { return GetForegroundWindow() == Form->GetHandle(); }, 2000);
    Button->SetFocus();
    Application->ProcessMessages();
  }
  ~TButtonForm() {
    Form->BeforeDestruction();
    delete Form;
  }
  void Send(UINT msg, int x, int y, WPARAM keys = 0) {
    SendMessageW(Button->GetHandle(), msg, keys, MAKELPARAM(x, y));
  }
  // The button's window as it is on the screen now.
  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(Button->GetHandle());
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(Button->GetHandle(), dc);
    return c;
  }
};

TEST(FlatButton, CaptionsAreCutAt255CharactersNeverInsideOne) {
  TOffice97Button button(nullptr);
  button.SetWordWrap(false);
  button.SetCaption(std::string(300, 'x'));
  button.AdjustHeight();
  ASSERT_EQ(button.LineCount(), 1);
  EXPECT_EQ(button.CaptionLines()[0].size(), 255u);
  std::string cyrillic;
  for (int i = 0; i < 300; ++i) cyrillic += "ж";
  button.SetCaption(cyrillic);
  button.AdjustHeight();
  EXPECT_EQ(button.CaptionLines()[0], std::wstring(255, L'ж'));
}

TEST(FlatButton, AutoHeightFollowsTheCaptionAndTheGlyph) {
  TFontMeasure m;
  TOffice97Button button(nullptr);
  button.SetCaption("OK");
  button.SetAutoHeight(true);
  EXPECT_EQ(button.GetHeight(), m.Height(L"OK") + 10);  // newer look: no glyph
  button.SetOffice2000Look(false);
  button.SetControlType(bsRadioButton);  // a 15-pixel glyph, taller than the caption
  ASSERT_LT(m.Height(L"OK"), 15);
  EXPECT_EQ(button.GetHeight(), 20);
  EXPECT_TRUE(button.GetShowGlyph());
}

TEST(FlatButton, TheLookSwitchSetsColoursAndGlyph) {
  TOffice97Button button(nullptr);
  EXPECT_FALSE(button.GetShowGlyph());
  button.SetOffice2000Look(false);
  EXPECT_TRUE(button.GetShowGlyph());
  EXPECT_EQ(button.GetColor(), static_cast<TColor>(14811135));
  button.SetOffice2000Look(true);
  EXPECT_FALSE(button.GetShowGlyph());
  EXPECT_EQ(button.GetColor(), static_cast<TColor>(13434879));
  button.SetControlType(bsUpButton);
  button.SetPosition(bsLeft);
  EXPECT_EQ(button.GetPosition(), bsTop);  // other types know only top and bottom
}

TEST(FlatButton, MouseStatesByMessages) {
  TButtonForm f;
  TOffice97Button* b = f.Button;
  int clicks = 0, enters = 0, exits = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->OnMouseEnter = [&](TObject*) { ++enters; };
  b->OnMouseExit = [&](TObject*) { ++exits; };
  f.Send(WM_MOUSEMOVE, 5, 5);
  EXPECT_EQ(b->MouseState(), 1);
  EXPECT_EQ(GetCapture(), b->GetHandle());
  f.Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  EXPECT_EQ(b->MouseState(), 2);
  f.Send(WM_MOUSEMOVE, 300, 5, MK_LBUTTON);
  EXPECT_EQ(b->MouseState(), 3);
  f.Send(WM_MOUSEMOVE, 6, 6, MK_LBUTTON);
  EXPECT_EQ(b->MouseState(), 2);
  f.Send(WM_LBUTTONUP, 6, 6);
  EXPECT_EQ(b->MouseState(), 1);
  EXPECT_EQ(clicks, 1);
  f.Send(WM_MOUSEMOVE, 300, 5);
  EXPECT_EQ(b->MouseState(), 0);
  EXPECT_NE(GetCapture(), b->GetHandle());
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(exits, 1);

  // With a modal result the release returns to normal and lets go of the mouse.
  b->SetModalResult(mrOk);
  f.Send(WM_MOUSEMOVE, 5, 5);
  f.Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  f.Send(WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(b->MouseState(), 0);
  EXPECT_NE(GetCapture(), b->GetHandle());
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(f.Form->GetModalResult(), mrOk);

  // Hidden while hot, it lets go of the mouse.
  f.Send(WM_MOUSEMOVE, 5, 5);
  ASSERT_EQ(GetCapture(), b->GetHandle());
  b->Hide();
  EXPECT_EQ(b->MouseState(), 0);
  EXPECT_NE(GetCapture(), b->GetHandle());
  b->Show();

  // Disabled, it ignores the mouse.
  b->SetEnabled(false);
  f.Send(WM_MOUSEMOVE, 5, 5);
  f.Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  f.Send(WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(b->MouseState(), 0);
  EXPECT_EQ(clicks, 2);
}

// Drags with the mouse itself: onto the button from a panel, and of the button (automatic)
// onto the panel; the button's mouse states stay sound around them.
TEST(FlatButton, TakesPartInDrags) {
  TButtonForm f;
  TOffice97Button* b = f.Button;
  auto* panel = new TPanel(f.Form);
  panel->SetParent(f.Form);
  panel->SetBounds(10, 80, 120, 60);
  std::vector<std::string> events;
  auto name = [&](TObject* o) { return o == b ? "button" : o == panel ? "panel" : o ? "?" : "nil"; };
  for (TControl* c : std::initializer_list<TControl*>{b, panel}) {
    c->OnDragOver = [&, c](TObject*, TObject* Source, int, int, TDragState State, bool&) {
      if (State == dsDragEnter) events.push_back(std::string(name(c)) + " enter " + name(Source));
    };
    c->OnDragDrop = [&, c](TObject*, TObject* Source, int X, int Y) {
      events.push_back(std::string(name(c)) + " drop " + name(Source) + " " + std::to_string(X) + "," + std::to_string(Y));
    };
    c->OnEndDrag = [&, c](TObject*, TObject* Target, int, int) {
      events.push_back(std::string(name(c)) + " end " + name(Target));
    };
  }
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  auto drag = [&](TControl* From, TControl* To) {
    guitest::BringToFront(f.Form->GetHandle());
    events.clear();
    ::SetFocus(f.Form->GetHandle());  // the press focuses the button first
    TPoint press = From->ClientToScreen({20, 10});
    guitest::MoveMouse(press);
    guitest::MouseButton(MOUSEEVENTF_LEFTDOWN);
    guitest::MoveMouse({press.X + 10, press.Y});
    guitest::MoveMouse(To->ClientToScreen({30, 15}));
  };

  panel->SetDragMode(dmAutomatic);
  drag(panel, b);
  EXPECT_EQ(b->MouseState(), TOffice97Button::msNormal);  // not hot: the drag has the mouse
  guitest::MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(events, (std::vector<std::string>{"panel enter panel", "button enter panel", "button drop panel 30,15",
                                              "panel end button"}));
  guitest::MoveMouse(b->ClientToScreen({31, 15}));
  EXPECT_EQ(b->MouseState(), TOffice97Button::msHot);  // the next move finds it as usual
  EXPECT_EQ(GetCapture(), b->GetHandle());

  // An automatic button still clicks when the press does not move, and stays hot.
  panel->SetDragMode(dmManual);
  b->SetDragMode(dmAutomatic);
  guitest::MouseButton(MOUSEEVENTF_LEFTDOWN);
  guitest::MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->MouseState(), TOffice97Button::msHot);
  EXPECT_EQ(GetCapture(), b->GetHandle());
  // Moved, the press becomes a drag: the button no longer looks pressed, and is not clicked.
  drag(b, panel);
  EXPECT_EQ(b->MouseState(), TOffice97Button::msNormal);
  EXPECT_TRUE(b->Dragging());
  guitest::MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(events, (std::vector<std::string>{"button enter button", "panel enter button", "panel drop button 30,15",
                                              "button end panel"}));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  guitest::MoveMouse(b->ClientToScreen({20, 10}));
  EXPECT_EQ(b->MouseState(), TOffice97Button::msHot);
  guitest::MoveMouse(panel->ClientToScreen({20, 10}));
  EXPECT_EQ(b->MouseState(), TOffice97Button::msNormal);
}

TEST(FlatButton, ARadioButtonUnchecksItsSiblings) {
  TButtonForm f;
  TOffice97Button* radios[3];
  for (int i = 0; i < 3; ++i) {
    radios[i] = new TOffice97Button(f.Form);
    radios[i]->SetParent(f.Form);
    radios[i]->SetControlType(bsRadioButton);
    radios[i]->SetBounds(10, 50 + 30 * i, 100, 24);
  }
  f.Button->SetChecked(true);  // a plain button is left alone
  radios[0]->Click();
  radios[2]->Click();
  EXPECT_FALSE(radios[0]->GetChecked());
  EXPECT_FALSE(radios[1]->GetChecked());
  EXPECT_TRUE(radios[2]->GetChecked());
  radios[1]->Click();
  EXPECT_TRUE(radios[1]->GetChecked());
  EXPECT_FALSE(radios[2]->GetChecked());
}

TEST(FlatButton, AModalResultEndsAModalForm) {
  TForm* form = new TForm(nullptr, CreateNew);
  form->SetBounds(100, 100, 200, 100);
  auto* button = new TOffice97Button(form);
  button->SetParent(form);
  button->SetModalResult(mrRetry);
  form->HandleNeeded();
  PostMessageW(button->GetHandle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(form->ShowModal(), mrRetry);
  form->BeforeDestruction();
  delete form;
}

TEST(FlatButton, EscapeClicksACancelButton) {
  TButtonForm f;
  int clicks = 0;
  f.Button->SetCancel(true);
  f.Button->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(f.Form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 1);
  EXPECT_EQ(clicks, 1);
  f.Button->SetCancel(false);
  EXPECT_EQ(f.Form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0);
  EXPECT_EQ(clicks, 1);
}

TEST(FlatButton, TheNewerFrameAndThePressedShift) {
  TButtonForm f;
  TOffice97Button* b = f.Button;
  b->SetCaption("Wg");
  b->SetBounds(10, 10, 80, 30);
  b->Repaint();
  const COLORREF silver = RGB(192, 192, 192), face = ColorToRGB(b->GetColor());
  const int W = 80, H = 30;
  // One pixel inside the edge, the corners cut diagonally.
  for (POINT p : std::vector<POINT>{{3, 1}, {2, 2}, {1, 3}, {1, H - 4}, {3, H - 2}, {W - 4, H - 2}, {W - 2, H - 4},
                                    {W - 2, 3}, {W - 4, 1}, {W / 2, 1}, {1, H / 2}})
    EXPECT_EQ(f.Pixel(p.x, p.y), silver) << p.x << "," << p.y;
  for (POINT p : std::vector<POINT>{{0, 0}, {1, 1}, {0, H / 2}, {W / 2, 0}, {W - 1, H - 1}, {W - 2, H - 2}, {2, H / 2}})
    EXPECT_EQ(f.Pixel(p.x, p.y), face) << p.x << "," << p.y;

  // The caption's ink (red, apart from the focus mark's dots), normal and pressed.
  b->GetFont()->SetColor(clRed);
  b->GetHoverFont()->SetColor(clRed);
  auto inkBox = [&] {
    RECT box{W, H, -1, -1};
    for (int y = 2; y < H - 2; ++y)
      for (int x = 2; x < W - 2; ++x)
        if (f.Pixel(x, y) == RGB(255, 0, 0)) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x);
          box.bottom = std::max<LONG>(box.bottom, y);
        }
    return box;
  };
  b->Repaint();
  RECT normal = inkBox();
  ASSERT_LT(normal.left, normal.right);
  f.Send(WM_MOUSEMOVE, 5, 5);
  f.Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  ASSERT_EQ(b->MouseState(), 2);
  b->Repaint();
  RECT pressed = inkBox();
  EXPECT_EQ(pressed.left, normal.left + 1);
  EXPECT_EQ(pressed.top, normal.top + 1);
  EXPECT_EQ(pressed.right, normal.right + 1);
  EXPECT_EQ(pressed.bottom, normal.bottom + 1);
  f.Send(WM_MOUSEMOVE, 300, 5, MK_LBUTTON);
  f.Send(WM_LBUTTONUP, 300, 5);
}

}  // namespace
}  // namespace horavox::test
