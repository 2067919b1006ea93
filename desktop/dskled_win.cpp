#include "desktop/dskled.h"

#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TDskLed, p) {
  p.Property("LedisOn", &TDskLed::GetLedisOn, &TDskLed::SetLedisOn).Default(false);
  p.Property("LedOnColor", &TDskLed::GetLedOnColor, &TDskLed::SetLedOnColor).Default(clRed);
  p.Property("LedOffColor", &TDskLed::GetLedOffColor, &TDskLed::SetLedOffColor).Default(clGreen);
  p.Property("LedShadow", &TDskLed::GetLedShadow, &TDskLed::SetLedShadow).Default(clWhite);
  p.Property("Interval", &TDskLed::GetInterval, &TDskLed::SetInterval).Default(200);
  p.Property("Blinking", &TDskLed::GetBlinking, &TDskLed::SetBlinking).Default(false);
  p.Property("About", &TDskLed::About, &TDskLed::About).Stored(false);
  p.Property("Visible", &TDskLed::GetVisible, &TDskLed::SetVisible).Default(true);
  p.Property("ShowHint", &TDskLed::GetShowHint, &TDskLed::SetShowHint).Default(false);
  p.Event("OnClick", &TDskLed::OnClick);
  p.Event("OnDblClick", &TDskLed::OnDblClick);
}

HX_PUBLISH(TDskColorCombo, p) {
  p.Property("SystemColors", &TDskColorCombo::GetSystemColors, &TDskColorCombo::SetSystemColors).Default(true);
  p.Property("ColorDisplayWidth", &TDskColorCombo::GetColorDisplayWidth, &TDskColorCombo::SetColorDisplayWidth)
      .Default(32);
  p.Property("ColorByName", &TDskColorCombo::GetColorByName, &TDskColorCombo::SetColorByName).Stored(false);
  p.Property("ColorSelected", &TDskColorCombo::GetColorSelected, &TDskColorCombo::SetColorSelected).Default(clBlack);
  p.Property("Color", &TDskColorCombo::GetColor, &TDskColorCombo::SetColor).Default(clWindow);
  p.Property("Enabled", &TDskColorCombo::GetEnabled, &TDskColorCombo::SetEnabled).Default(true);
  p.Property("Font", &TDskColorCombo::GetFont, &TDskColorCombo::SetFont).Stored(&TDskColorCombo::IsFontStored);
  p.Property("ItemHeight", &TDskColorCombo::GetItemHeight, &TDskColorCombo::SetItemHeight);
  p.Property("ItemIndex", &TDskColorCombo::GetItemIndex, &TDskColorCombo::SetItemIndex).Default(-1);
  p.Property("TabOrder", &TDskColorCombo::GetTabOrder, &TDskColorCombo::SetTabOrder);
  p.Property("TabStop", &TDskColorCombo::GetTabStop, &TDskColorCombo::SetTabStop).Default(true);
  p.Property("Visible", &TDskColorCombo::GetVisible, &TDskColorCombo::SetVisible).Default(true);
  p.Property("About", &TDskColorCombo::About, &TDskColorCombo::About).Stored(false);
  p.Event("OnChange", &TDskColorCombo::OnChange);
  p.Event("OnClick", &TDskColorCombo::OnClick);
  p.Event("OnDrawItem", &TDskColorCombo::OnDrawItem);
}

const TDskNamedColor kDskColors[kDskColorCount] = {
    {"Black", TColor(0x000000)},
    {"Maroon", TColor(0x000080)},
    {"Green", TColor(0x008000)},
    {"Olive", TColor(0x008080)},
    {"Navy", TColor(0x800000)},
    {"Purple", TColor(0x800080)},
    {"Teal", TColor(0x808000)},
    {"Gray", TColor(0x808080)},
    {"Silver", TColor(0xC0C0C0)},
    {"Red", TColor(0x0000FF)},
    {"Lime", TColor(0x00FF00)},
    {"Yellow", TColor(0x00FFFF)},
    {"Blue", TColor(0xFF0000)},
    {"Fuchsia", TColor(0xFF00FF)},
    {"Aqua", TColor(0xFFFF00)},
    {"White", TColor(0xFFFFFF)},
    {"ScrollBar", clScrollBar},
    {"Background", clBackground},
    {"ActiveCaption", clActiveCaption},
    {"InactiveCaption", clInactiveCaption},
    {"Menu", clMenu},
    {"Window", clWindow},
    {"WindowFrame", clWindowFrame},
    {"MenuText", clMenuText},
    {"WindowText", clWindowText},
    {"CaptionText", clCaptionText},
    {"ActiveBorder", clActiveBorder},
    {"InactiveBorder", clInactiveBorder},
    {"AppWorkSpace", clAppWorkSpace},
    {"Highlight", clHighlight},
    {"HighlightText", clHighlightText},
    {"BtnFace", clBtnFace},
    {"BtnShadow", clBtnShadow},
    {"GrayText", clGrayText},
    {"BtnText", clBtnText},
    {"InactiveCaptionText", clInactiveCaptionText},
    {"BtnHighlight", clBtnHighlight},
    {"3DDkShadow", cl3DDkShadow},
    {"3DLight", cl3DLight},
    {"InfoText", clInfoText},
    {"InfoBk", clInfoBk},
};

// ---- TDskLed ----

TDskLed::TDskLed(TComponent* AOwner) : TGraphicControl(AOwner), About("Horavox desktop LED") {
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(static_cast<std::uint32_t>(FInterval));
  FTimer->OnTimer = [this](TObject*) { Blink(); };
  SetBounds(0, 0, 15, 15);
}

void TDskLed::Blink() {
  FLedisOn = !FLedisOn;
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated() || !IsWindowVisible(parent->GetHandle())) return;  // drawn when shown
  // Only the inside of the ellipse changes, which Paint covers whole: it is drawn over
  // itself at once, without the window erasing and repainting what lies under it.
  TControlStyle style = GetControlStyle();
  SetControlStyle(style + TControlStyle{csOpaque});
  Repaint();
  SetControlStyle(style);
}

void TDskLed::SetBounds(int ALeft, int ATop, int, int) { TGraphicControl::SetBounds(ALeft, ATop, 15, 15); }

void TDskLed::SetLedisOn(bool Value) {
  if (Value == FLedisOn) return;
  FLedisOn = Value;
  Invalidate();
}

void TDskLed::SetLedOnColor(TColor Value) {
  if (Value == FLedOnColor) return;
  FLedOnColor = Value;
  Invalidate();
}

void TDskLed::SetLedOffColor(TColor Value) {
  if (Value == FLedOffColor) return;
  FLedOffColor = Value;
  Invalidate();
}

void TDskLed::SetLedShadow(TColor Value) {
  if (Value == FLedShadow) return;
  FLedShadow = Value;
  Invalidate();
}

void TDskLed::SetInterval(int Value) {
  FInterval = Value;
  FTimer->SetInterval(static_cast<std::uint32_t>(std::max(Value, 0)));
}

void TDskLed::SetBlinking(bool Value) {
  FBlinking = Value;
  FTimer->SetEnabled(Value);
  Invalidate();
}

void TDskLed::SwitchOn() {
  FTimer->SetEnabled(false);
  FLedisOn = true;
  Invalidate();
}

void TDskLed::SwitchOff() {
  FTimer->SetEnabled(false);
  FLedisOn = false;
  Invalidate();
}

void TDskLed::Paint() {
  TCanvas* c = Canvas();
  c->GetPen()->SetWidth(1);
  c->GetPen()->SetColor(TColor(0x808080));
  c->GetBrush()->SetColor(FLedisOn ? FLedOnColor : FLedOffColor);
  c->Ellipse(2, 2, 14, 14);
  static const TPoint highlight[] = {{6, 5}, {7, 5}, {8, 5}, {5, 6}, {5, 7}, {5, 8}, {6, 6}, {7, 6}, {6, 7}};
  for (TPoint p : highlight) c->SetPixels(p.X, p.Y, FLedShadow);
}

// ---- TDskColorCombo ----

TDskColorCombo::TDskColorCombo(TComponent* AOwner) : TCustomComboBox(AOwner), About("Horavox colour combo") {
  SetStyle(csOwnerDrawFixed);
  SetColor(clWindow);
  if (auto* parent = dynamic_cast<TWinControl*>(AOwner)) SetParent(parent);
  FillItems();
}

void TDskColorCombo::FillItems() {
  TStrings* items = GetItems();
  items->BeginUpdate();
  items->Clear();
  for (int i = 0; i < ColorCount(); ++i) items->Add(std::to_string(i));
  items->EndUpdate();
  SetItemIndex(0);
}

void TDskColorCombo::SetSystemColors(bool Value) {
  if (Value == FSystemColors) return;
  FSystemColors = Value;
  FillItems();
}

void TDskColorCombo::SetColorDisplayWidth(int Value) {
  if (Value == FColorDisplayWidth) return;
  FColorDisplayWidth = Value;
  Invalidate();
}

String TDskColorCombo::GetColorByName() {
  int i = GetItemIndex();
  return i >= 0 && i < ColorCount() ? kDskColors[i].Name : "";
}

void TDskColorCombo::SetColorByName(const String& Value) {
  int found = -1;
  for (int i = 0; i < ColorCount() && found < 0; ++i)
    if (Value == kDskColors[i].Name) found = i;
  SetItemIndex(found);
}

TColor TDskColorCombo::GetColorSelected() {
  int i = GetItemIndex();
  return i >= 0 && i < ColorCount() ? kDskColors[i].Color : clNone;
}

void TDskColorCombo::SetColorSelected(TColor Value) {
  int found = -1;
  for (int i = 0; i < ColorCount() && found < 0; ++i)
    if (Value == kDskColors[i].Color) found = i;
  SetItemIndex(found);
}

void TDskColorCombo::ColorInfo(int Index, String& Name, TColor& Color) {
  if (Index >= 0 && Index < kDskColorCount) {
    Name = kDskColors[Index].Name;
    Color = kDskColors[Index].Color;
  }
  if (OnSelectColor) OnSelectColor(this, Index, Name, Color);
}

void TDskColorCombo::Click() {
  int i = GetItemIndex();
  if (i >= 0) {
    String name;
    TColor color = clNone;
    ColorInfo(i, name, color);
  }
  TCustomComboBox::Click();
}

void TDskColorCombo::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  String name;
  TColor color = clNone;
  ColorInfo(Index, name, color);
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  int width = GetColorDisplayWidth();
  TRect text = Rect;
  text.Left += 2;
  if (width > 0) {
    TColor brush = c->GetBrush()->GetColor();
    c->GetPen()->SetColor(clBlack);
    c->GetPen()->SetWidth(1);
    c->GetBrush()->SetColor(color);
    c->Rectangle(Rect.Left + 2, Rect.Top + 2, width, Rect.Bottom - 2);
    c->GetBrush()->SetColor(brush);
    c->GetPen()->SetColor(brush);
    text.Left = width + 2;
  }
  std::wstring w = Utf8ToWide(name);
  RECT r{text.Left, text.Top, text.Right, text.Bottom};
  HDC dc = c->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  DrawTextExW(dc, w.data(), static_cast<int>(w.size()), &r, DT_SINGLELINE | DT_VCENTER, nullptr);
  if (OnDrawItem) OnDrawItem(this, Index, Rect, State);
}
