#include "assistant/flatbutton.h"

#include <initializer_list>

#include "classlib/windows/application.h"
#include "classlib/windows/forms.h"
#include "classlib/core/messages.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TOffice97Button, p) {
  p.Property("Action", &TOffice97Button::GetAction, &TOffice97Button::SetAction);
  p.Property("ActiveColor", &TOffice97Button::GetActiveColor, &TOffice97Button::SetActiveColor)
      .Default(static_cast<TColor>(8421504));
  p.Property("ActiveGlyph", &TOffice97Button::GetActiveGlyph, &TOffice97Button::SetActiveGlyph);
  p.Property("ActiveOutlineColor", &TOffice97Button::GetActiveOutlineColor, &TOffice97Button::SetActiveOutlineColor)
      .Default(static_cast<TColor>(16777215));
  p.Property("ActiveOutlineColor2", &TOffice97Button::GetActiveOutlineColor2,
             &TOffice97Button::SetActiveOutlineColor2)
      .Default(static_cast<TColor>(14084071));
  p.Property("Align", &TOffice97Button::GetAlign, &TOffice97Button::SetAlign).Default(alNone);
  p.Property("Anchors", &TOffice97Button::GetAnchors, &TOffice97Button::SetAnchors).Default(TAnchors{akLeft, akTop});
  p.Property("AutoHeight", &TOffice97Button::GetAutoHeight, &TOffice97Button::SetAutoHeight).Default(false);
  p.Property("AutoTransparency", &TOffice97Button::GetAutoTransparency, &TOffice97Button::SetAutoTransparency)
      .Default(true);
  p.Property("BiDiMode", &TOffice97Button::GetBiDiMode, &TOffice97Button::SetBiDiMode)
      .Stored(&TOffice97Button::IsBiDiModeStored);
  p.Property("Cancel", &TOffice97Button::GetCancel, &TOffice97Button::SetCancel).Default(false);
  p.Property("Caption", &TOffice97Button::GetCaption, &TOffice97Button::SetCaption);
  p.Property("Color", &TOffice97Button::GetColor, &TOffice97Button::SetColor).Default(static_cast<TColor>(13434879));
  p.Property("ControlType", &TOffice97Button::GetControlType, &TOffice97Button::SetControlType).Default(bsButton);
  p.Property("Default", &TOffice97Button::GetDefault, &TOffice97Button::SetDefault).Default(false);
  p.Property("DisabledGlyph", &TOffice97Button::GetDisabledGlyph, &TOffice97Button::SetDisabledGlyph);
  p.Property("DownActiveGlyph", &TOffice97Button::GetDownActiveGlyph, &TOffice97Button::SetDownActiveGlyph);
  p.Property("Enabled", &TOffice97Button::GetEnabled, &TOffice97Button::SetEnabled).Default(true);
  p.Property("Font", &TOffice97Button::GetFont, &TOffice97Button::SetFont).Stored(&TOffice97Button::IsFontStored);
  p.Property("HoverFont", &TOffice97Button::GetHoverFont, &TOffice97Button::SetHoverFont);
  p.Property("InactiveColor", &TOffice97Button::GetInactiveColor, &TOffice97Button::SetInactiveColor)
      .Default(static_cast<TColor>(12632256));
  p.Property("InactiveGlyph", &TOffice97Button::GetInactiveGlyph, &TOffice97Button::SetInactiveGlyph);
  p.Property("ModalResult", &TOffice97Button::GetModalResult, &TOffice97Button::SetModalResult).Default(0);
  p.Property("Office2000Look", &TOffice97Button::GetOffice2000Look, &TOffice97Button::SetOffice2000Look)
      .Default(true);
  p.Property("ParentBiDiMode", &TOffice97Button::GetParentBiDiMode, &TOffice97Button::SetParentBiDiMode)
      .Default(true);
  p.Property("ParentFont", &TOffice97Button::GetParentFont, &TOffice97Button::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TOffice97Button::GetParentShowHint, &TOffice97Button::SetParentShowHint)
      .Default(true);
  p.Property("PopupMenu", &TOffice97Button::GetPopupMenu, &TOffice97Button::SetPopupMenu);
  p.Property("Position", &TOffice97Button::GetPosition, &TOffice97Button::SetPosition).Default(bsLeft);
  p.Property("ShowGlyph", &TOffice97Button::GetShowGlyph, &TOffice97Button::SetShowGlyph).Default(false);
  p.Property("ShowHint", &TOffice97Button::GetShowHint, &TOffice97Button::SetShowHint).Default(false);
  p.Property("TabOrder", &TOffice97Button::GetTabOrder, &TOffice97Button::SetTabOrder).Default(-1);
  p.Property("TabStop", &TOffice97Button::GetTabStop, &TOffice97Button::SetTabStop).Default(true);
  p.Property("Transparent", &TOffice97Button::GetTransparent, &TOffice97Button::SetTransparent).Default(false);
  p.Property("TransparentColor", &TOffice97Button::GetTransparentColor, &TOffice97Button::SetTransparentColor)
      .Default(static_cast<TColor>(0));
  p.Property("UseCustomGlyphs", &TOffice97Button::GetUseCustomGlyphs, &TOffice97Button::SetUseCustomGlyphs)
      .Default(false);
  p.Property("Visible", &TOffice97Button::GetVisible, &TOffice97Button::SetVisible).Default(true);
  p.Property("WordWrap", &TOffice97Button::GetWordWrap, &TOffice97Button::SetWordWrap).Default(true);
  p.Event("OnClick", &TOffice97Button::OnClick);
  p.Event("OnDblClick", &TOffice97Button::OnDblClick);
  p.Event("OnEnter", &TOffice97Button::OnEnter);
  p.Event("OnExit", &TOffice97Button::OnExit);
  p.Event("OnKeyDown", &TOffice97Button::OnKeyDown);
  p.Event("OnKeyPress", &TOffice97Button::OnKeyPress);
  p.Event("OnKeyUp", &TOffice97Button::OnKeyUp);
  p.Event("OnMouseDown", &TOffice97Button::OnMouseDown);
  p.Event("OnMouseEnter", &TOffice97Button::OnMouseEnter);
  p.Event("OnMouseExit", &TOffice97Button::OnMouseExit);
  p.Event("OnMouseMove", &TOffice97Button::OnMouseMove);
  p.Event("OnMouseUp", &TOffice97Button::OnMouseUp);
}

namespace {

// ---- the frames, as data ----
// A coordinate from the left or top edge when 0 or more, else from the width or height
// (-4 is W - 4). A stroke is a polyline (its last point not drawn) and single pixels.
enum TColorRole { crInactive, crActive, crOutline, crOutline2 };
enum TFrameState { frNormal, frHot, frPressed };

struct TStroke {
  TFrameState State;
  TColorRole Role;
  std::vector<POINT> Line;
  std::vector<POINT> Pixels;
};

const std::vector<TStroke>& NewerFrames() {
  static const std::vector<TStroke> frames = {
      {frNormal, crInactive, {{3, 1}, {1, 3}, {1, -4}, {3, -2}, {-4, -2}, {-2, -4}, {-2, 3}, {-4, 1}, {3, 1}}, {}},
      {frHot, crInactive, {}, {{-2, 3}, {2, -3}}},
      {frHot, crActive, {{-2, 4}, {-2, -4}, {-4, -2}, {3, -2}}, {{3, -2}}},
      {frHot, crOutline, {{-3, 2}, {-4, 1}, {3, 1}, {1, 3}, {1, -4}}, {{1, -4}}},
      {frHot, crOutline2, {{3, 0}, {0, 3}, {0, -4}, {3, -1}, {-4, -1}, {-1, -4}, {-1, 3}, {-4, 0}, {3, 0}}, {}},
      {frPressed, crInactive, {}, {{-3, 2}, {1, -4}}},
      {frPressed, crActive, {{-4, 1}, {3, 1}, {1, 3}, {1, -5}}, {{1, -5}}},
      {frPressed, crOutline, {{-2, 2}, {-1, 3}, {-1, -4}, {-4, -1}, {3, -1}, {1, -3}}, {{1, -3}}},
      {frPressed, crOutline2, {{-3, 1}, {-4, 0}, {3, 0}, {0, 3}, {0, -4}}, {{0, -4}}},
      {frPressed, crOutline2, {{-2, 3}, {-2, -4}, {-4, -2}, {3, -2}, {2, -3}}, {{2, -3}}},
  };
  return frames;
}

const std::vector<TStroke>& OlderFrames() {
  static const std::vector<TStroke> frames = {
      {frNormal, crInactive, {{8, 2}, {7, 3}, {6, 3}, {3, 6}, {3, 7}, {2, 8}, {2, -8}, {3, -7}, {3, -6}, {6, -3},
                              {7, -3}, {8, -2}, {-8, -2}, {-7, -3}, {-6, -3}, {-3, -6}, {-3, -7}, {-2, -8}, {-2, 8},
                              {-3, 7}, {-3, 6}, {-6, 3}, {-7, 3}, {-8, 2}, {8, 2}}, {{8, 2}}},
      {frHot, crInactive, {{-8, 1}, {8, 1}, {7, 2}, {6, 2}, {2, 6}, {2, 7}, {1, 8}, {1, -8}, {2, -7}, {2, -6}, {5, -3}},
       {{5, -3}, {7, -2}}},
      {frHot, crInactive, {{5, -5}, {6, -4}, {7, -4}, {8, -3}, {-8, -3}, {-3, -8}, {-3, 8}, {-2, 7}},
       {{-2, 7}, {-7, -2}}},
      {frHot, crInactive, {{-5, -3}, {-3, -5}}, {{-3, -5}}},
      {frHot, crInactive, {{-6, -4}, {-4, -6}}, {{-4, -6}, {-2, -7}, {-2, 7}}},
      {frHot, crInactive, {{-4, 6}, {-5, 5}}, {{-5, 5}}},
      {frHot, crInactive, {{-3, 5}, {-6, 2}}, {{-6, 2}}},
      {frHot, crActive, {{8, 2}, {7, 3}, {6, 3}, {3, 6}, {3, 7}, {2, 8}, {2, -8}, {3, -7}, {3, -6}, {6, -3}, {7, -3},
                         {8, -2}, {-8, -2}, {-7, -3}, {-6, -3}, {-3, -6}, {-3, -7}, {-2, -8}, {-2, 8}, {-3, 7},
                         {-3, 6}, {-7, 2}, {8, 2}}, {{8, 2}}},
      {frHot, crOutline, {{-7, 3}, {8, 3}, {3, 8}, {3, -8}}, {{3, -8}}},
      {frHot, crOutline, {{-6, 5}, {-6, 4}, {8, 4}, {4, 8}, {4, -6}, {5, -6}}, {{5, -6}}},
      {frHot, crOutline, {{6, 4}, {4, 6}}, {{4, 6}}},
      {frPressed, crInactive, {{-8, 1}, {8, 1}, {7, 2}, {6, 2}, {2, 6}, {2, 7}, {1, 8}, {1, -8}, {2, -7}, {2, -6},
                               {4, -4}, {5, -4}, {6, -3}, {7, -3}, {8, -2}, {-8, -2}, {-7, -3}, {-6, -3}, {-3, -6},
                               {-3, -7}, {-2, -8}, {-2, 8}, {-3, 7}, {-3, 6}}, {{-3, 6}, {8, 3}}},
      {frPressed, crInactive, {{6, 4}, {4, 6}}, {{4, 6}}},
      {frPressed, crInactive, {{3, 8}, {3, -8}}, {{3, -8}, {4, -6}}},
      {frPressed, crInactive, {{-4, 4}, {-6, 2}}, {{-6, 2}, {-7, 3}}},
      {frPressed, crActive, {{-4, 5}, {-7, 2}, {8, 2}, {7, 3}, {6, 3}, {3, 6}, {3, 7}, {2, 8}, {2, -8}, {3, -7},
                             {3, -6}, {4, -5}}, {{4, -5}}},
      {frPressed, crOutline, {{7, 5}, {5, 7}, {5, -5}}, {{5, -5}}},
      {frPressed, crOutline, {{-8, 3}, {9, 3}}, {{9, 3}}},
      {frPressed, crOutline, {{5, -3}, {6, -2}, {7, -2}, {7, -1}, {-6, -1}, {-1, -6}, {-1, 8}, {-2, 7}, {-2, 6},
                              {-3, 5}, {-4, 6}, {-5, 5}, {-6, 5}, {-6, 4}, {7, 4}, {4, 7}, {4, -7}}, {{4, -7}}},
      {frPressed, crOutline, {{-4, -2}, {-1, -5}}, {{-1, -5}}},
      {frPressed, crOutline, {{-7, -2}, {-6, -2}, {-2, -6}, {-2, -7}}, {{-2, -7}}},
  };
  return frames;
}

POINT At(POINT p, int w, int h) { return {p.x < 0 ? w + p.x : p.x, p.y < 0 ? h + p.y : p.y}; }

int Center(int a, int b) { return (a - b - 1) / 2 + 1; }

// The first glyph of each built-in group, by control type (the radio's by look).
int FirstGlyph(TOffBtnType type, bool newer) {
  switch (type) {
    case bsButton: return 1;
    case bsRadioButton: return newer ? 17 : 5;
    case bsUpButton: return 9;
    case bsDownButton: return 13;
    case bsHintButton: return 21;
  }
  return 1;
}

// A device context for measuring text in a font (selected for its lifetime).
class TMeasureDC {
 public:
  explicit TMeasureDC(TFont* Font) : FDC(CreateCompatibleDC(nullptr)) {
    FOld = SelectObject(FDC, Font->GetHandle());
  }
  ~TMeasureDC() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  HDC DC() const { return FDC; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

SIZE Extent(HDC dc, const std::wstring& text) {
  SIZE s{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
  return s;
}

}  // namespace

std::vector<std::wstring> WrapCaption(const std::wstring& Text, int Width,
                                      const std::function<int(const std::wstring&)>& Measure) {
  std::vector<std::wstring> lines;
  if (Measure(Text) <= Width) {
    lines.push_back(Text);
    return lines;
  }
  const std::size_t n = Text.size();
  std::size_t start = 0;
  while (start < n) {
    std::size_t j = start, lastSpace = std::wstring::npos;
    while (j < n) {
      std::size_t next = j + 1;
      if (next < n && IS_HIGH_SURROGATE(Text[j])) ++next;  // a character, never half of one
      if (Measure(Text.substr(start, next - start)) > Width) break;
      if (Text[j] == L' ' && j > start) lastSpace = j;
      j = next;
    }
    if (j >= n) {
      lines.push_back(Text.substr(start));
      break;
    }
    std::size_t next;
    if (lastSpace != std::wstring::npos) {
      lines.push_back(Text.substr(start, lastSpace - start));
      next = lastSpace + 1;
    } else {
      lines.push_back(Text.substr(start, j - start));
      next = j;
    }
    if (next == start) {  // one character wider than the line
      lines.clear();
      break;
    }
    start = next;
  }
  return lines;
}

TOffice97Button::TOffice97Button(TComponent* AOwner)
    : TCustomControl(AOwner),
      FActiveGlyph(std::make_unique<TBitmap>()),
      FInactiveGlyph(std::make_unique<TBitmap>()),
      FDisabledGlyph(std::make_unique<TBitmap>()),
      FDownActiveGlyph(std::make_unique<TBitmap>()),
      FHoverFont(std::make_unique<TFont>()) {
  SetControlStyle({csDoubleClicks, csReplicatable, csSetCaption});
  for (auto& g : FBuiltIn) g = std::make_unique<TBitmap>();
  SetBounds(0, 0, 70, 23);
  SetTabStop(true);
  SetColor(static_cast<TColor>(13434879));
  for (TBitmap* g : {FActiveGlyph.get(), FInactiveGlyph.get(), FDisabledGlyph.get(), FDownActiveGlyph.get()})
    g->OnChange = [this](TObject*) {
      if (FAutoHeight) AdjustHeight();
      Invalidate();
    };
  FHoverFont->OnChange = [this](TObject*) { Invalidate(); };
  FActionLink.OnChange = [this] {
    if (TAction* a = FActionLink.Action()) SetCaption(a->GetCaption());
  };
  LoadBuiltInGlyphs();
}

TOffice97Button::~TOffice97Button() {
  ResetMouse();
  for (TBitmap* g : {FActiveGlyph.get(), FInactiveGlyph.get(), FDisabledGlyph.get(), FDownActiveGlyph.get()})
    g->OnChange = nullptr;
  FHoverFont->OnChange = nullptr;
  FActionLink.OnChange = nullptr;
}

void TOffice97Button::SetFlag(bool& Field, bool Value, bool Height) {
  if (Field == Value) return;
  Field = Value;
  if (Height && FAutoHeight) AdjustHeight();
  Invalidate();
}

void TOffice97Button::SetColorValue(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TOffice97Button::SetCaption(const String& Value) {
  if (Value == GetText()) return;
  SetText(Value);
  if (FAutoHeight) AdjustHeight();
  Invalidate();
}

void TOffice97Button::SetAction(TAction* Value) {
  if (Value == FActionLink.Action()) return;
  if (Value) Value->FreeNotification(this);
  FActionLink.SetAction(Value);
}

void TOffice97Button::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionLink.Action()) FActionLink.SetAction(nullptr);
}

void TOffice97Button::SetAutoHeight(bool Value) {
  if (Value == FAutoHeight) return;
  FAutoHeight = Value;
  if (Value) AdjustHeight();
}

void TOffice97Button::LoadBuiltInGlyphs() {
  const int first = FirstGlyph(FControlType, FOffice2000Look);
  for (int i = 0; i < 4; ++i) {
    FBuiltIn[i]->LoadFromResourceName(nullptr, "OFFICE_" + std::to_string(first + i));
  }
}

void TOffice97Button::TypeOrLookChanged() {
  if (FControlType != bsButton && (FPosition == bsLeft || FPosition == bsRight)) FPosition = bsTop;
  if (FAutoHeight) AdjustHeight();
  Invalidate();
}

void TOffice97Button::SetControlType(TOffBtnType Value) {
  if (Value == FControlType) return;
  FControlType = Value;
  LoadBuiltInGlyphs();
  FShowGlyph = Value != bsButton || !FOffice2000Look;
  TypeOrLookChanged();
}

void TOffice97Button::SetPosition(TGlyphPosition Value) {
  if (FControlType != bsButton && (Value == bsLeft || Value == bsRight)) Value = bsTop;
  if (Value == FPosition) return;
  FPosition = Value;
  TypeOrLookChanged();
}

void TOffice97Button::SetOffice2000Look(bool Value) {
  if (Value == FOffice2000Look) return;
  FOffice2000Look = Value;
  FActiveColor = static_cast<TColor>(8421504);
  FActiveOutlineColor = clWhite;
  FInactiveColor = static_cast<TColor>(12632256);
  if (Value) {
    FActiveOutlineColor2 = static_cast<TColor>(14084071);
    SetColor(static_cast<TColor>(13434879));
    if (FControlType == bsButton) FShowGlyph = false;
  } else {
    FMouseState = msNormal;
    SetColor(static_cast<TColor>(14811135));
    FShowGlyph = true;
  }
  if (FControlType == bsRadioButton) LoadBuiltInGlyphs();
  TypeOrLookChanged();
}

void TOffice97Button::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  Invalidate();
}

void TOffice97Button::SetMouseState(int Value) {
  if (Value == FMouseState) return;
  FMouseState = Value;
  Invalidate();
}

void TOffice97Button::ResetMouse() {
  // A drag of the button, begun by this press, keeps the capture it holds.
  if (FMouseState != msNormal && HandleAllocated() && GetCapture() == GetHandle() && !Dragging()) ReleaseCapture();
  FMouseState = msNormal;
}

bool TOffice97Button::MouseInside(int X, int Y) {
  return ClientRect().Contains({X, Y}) && FindDragTarget(ClientToScreen({X, Y}), false) == this;
}

void TOffice97Button::DoStartDrag(TDragObject*& DragObject) {
  SetMouseState(msNormal);  // the press became a drag
  TCustomControl::DoStartDrag(DragObject);
}

void TOffice97Button::Click() {
  if (FClicksSuppressed) return;
  if (FControlType == bsRadioButton) {
    FChecked = true;
    if (TWinControl* parent = GetParent())
      for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* other = dynamic_cast<TOffice97Button*>(parent->Controls(i)); other && other != this && other->FChecked) {
          other->FChecked = false;
          other->Invalidate();
        }
    Invalidate();
  }
  if (TCustomForm* form = GetParentForm(this); form && FModalResult != mrNone) form->SetModalResult(FModalResult);
  TCustomControl::Click();
}

void TOffice97Button::CreateWnd() {
  TCustomControl::CreateWnd();
  FFocusFlag = FDefault;
}

void TOffice97Button::Dispatch(TMessage& Message) {
  const int x = MessageX(Message.LParam), y = MessageY(Message.LParam);
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      if (GetEnabled()) {
        const bool inside = MouseInside(x, y);
        if (FMouseState == msNormal && inside) {
          SetMouseState(msHot);
          SetCapture(GetHandle());
          if (OnMouseEnter) OnMouseEnter(this);
        } else if (FMouseState == msHot && !inside) {
          SetMouseState(msNormal);
          ReleaseCapture();
          if (OnMouseExit) OnMouseExit(this);
        } else if (FMouseState == msPressed && !inside) {
          SetMouseState(msPressedOutside);
        } else if (FMouseState == msPressedOutside && inside) {
          SetMouseState(msPressed);
        }
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!GetEnabled()) return;
      if (!Focused()) {
        FClicksSuppressed = true;
        if (CanFocus()) SetFocus();
        FClicksSuppressed = false;
        if (!Focused()) return;
      }
      if (GetCapture() != GetHandle()) SetCapture(GetHandle());
      SetMouseState(msPressed);
      break;
    case WM_LBUTTONUP:
      if (!GetEnabled()) return;
      if (FMouseState == msPressed || FMouseState == msPressedOutside) {
        const bool inside = MouseInside(x, y);
        if (inside && FModalResult == mrNone) {
          SetMouseState(msHot);
          if (GetCapture() != GetHandle()) SetCapture(GetHandle());  // hot holds it (a drag that never started let go)
        } else {
          SetMouseState(msNormal);
          if (GetCapture() == GetHandle()) ReleaseCapture();
        }
        TCustomControl::Dispatch(Message);
        if (inside) Click();
        return;
      }
      break;
    case WM_KILLFOCUS:
      FFocusFlag = false;
      ResetMouse();
      Invalidate();
      break;
    case WM_SETFOCUS:
      FFocusFlag = true;
      ResetMouse();
      Invalidate();
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(Message.LParam) != GetHandle() && FMouseState == msHot) SetMouseState(msNormal);
      break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      ResetMouse();  // a hidden or disabled button lets go of the mouse
      Invalidate();
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON;
      return;
    case WM_KEYDOWN:
      if (Message.WParam == VK_SPACE) {
        Click();
        return;
      }
      break;
    case WM_SYSKEYDOWN:
      if (Message.WParam == VK_F4) FMouseState = msNormal;
      break;
    case WM_CHAR:
      if (IsAccel(Message.WParam, GetCaption())) {
        Click();
        return;
      }
      break;
    case CM_DIALOGKEY: {
      const bool plain = KeyboardShiftState() * TShiftState{ssShift, ssCtrl, ssAlt} == TShiftState{};
      if ((Message.WParam == VK_RETURN && Focused()) || (Message.WParam == VK_ESCAPE && FCancel && plain && CanFocus())) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(Message.WParam, GetCaption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      TCustomControl::Dispatch(Message);
      if (FAutoHeight) AdjustHeight();
      Invalidate();
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- measures ----

std::wstring TOffice97Button::DrawnCaption() {
  std::wstring text = Utf8ToWide(GetCaption());
  if (text.size() > 255) text.resize(IS_HIGH_SURROGATE(text[254]) ? 254 : 255);
  return text;
}

TBitmap* TOffice97Button::StateGlyph(bool& Disabled) {
  Disabled = false;
  if (!FUseCustomGlyphs) {
    if (!GetEnabled()) return FBuiltIn[1].get();
    switch (FMouseState) {
      case msHot: return FBuiltIn[0].get();
      case msPressed: return FBuiltIn[2].get();
      default: return FChecked ? FBuiltIn[2].get() : FBuiltIn[3].get();
    }
  }
  if (!GetEnabled()) {
    if (!FDisabledGlyph->Empty()) return FDisabledGlyph.get();
    Disabled = true;
    return FInactiveGlyph.get();
  }
  switch (FMouseState) {
    case msHot: return FActiveGlyph->Empty() ? FInactiveGlyph.get() : FActiveGlyph.get();
    case msPressed: return FDownActiveGlyph->Empty() ? FInactiveGlyph.get() : FDownActiveGlyph.get();
    default: return FInactiveGlyph.get();
  }
}

TBitmap* TOffice97Button::SizingGlyph() { return FUseCustomGlyphs ? FInactiveGlyph.get() : FBuiltIn[3].get(); }

TPoint TOffice97Button::MeasureCaption(HDC DC, TBitmap* Glyph) {
  const std::wstring text = DrawnCaption();
  const int w = GetWidth(), gw = Glyph->GetWidth();
  SIZE whole = Extent(DC, text);
  if (!FWordWrap) {
    FLines.assign(1, text);
    FWrapWidth = whole.cx;
    return {whole.cx, whole.cy};
  }
  if (FControlType == bsButton)
    FWrapWidth = (FPosition == bsLeft || FPosition == bsRight) ? (FShowGlyph ? w - gw - 18 : w - 13) : w - 13;
  else
    FWrapWidth = FShowGlyph ? w - gw - 10 : w - 5;
  FLines = WrapCaption(text, FWrapWidth, [DC](const std::wstring& s) { return static_cast<int>(Extent(DC, s).cx); });
  if (whole.cx <= FWrapWidth) {
    FWrapWidth = whole.cx;
    return {whole.cx, whole.cy};
  }
  return {FWrapWidth, static_cast<int>(FLines.size()) * Extent(DC, L"0").cy};
}

void TOffice97Button::AdjustHeight() {
  TMeasureDC measure(GetFont());
  TBitmap* glyph = SizingGlyph();
  const int gh = glyph->GetHeight();
  int h = MeasureCaption(measure.DC(), glyph).Y;
  if (FShowGlyph) {
    if (FControlType == bsButton && (FPosition == bsTop || FPosition == bsBottom)) h += gh + 4;
    else if (h < gh) h = gh;
  }
  SetHeight(h + (FControlType == bsButton ? 10 : 5));
}

TOffice97Button::TLayout TOffice97Button::Layout(TPoint CaptionSize, TBitmap* Glyph, HDC DC) {
  const int W = GetWidth(), H = GetHeight(), cw = CaptionSize.X, ch = CaptionSize.Y;
  const int gw = Glyph->GetWidth(), gh = Glyph->GetHeight();
  const bool rtl = UseRightToLeftAlignment();
  int gl = 0, gt = 0, cl = 0, ct = 0;
  if (!FShowGlyph) {
    if (FControlType == bsButton) {
      cl = Center(W, cw);
      ct = Center(H, ch);
    } else {
      cl = rtl ? W - cw - 2 : 2;
      ct = 2;
    }
  } else if (FControlType == bsButton) {
    TGlyphPosition pos = FPosition;
    if (rtl && pos == bsLeft) pos = bsRight;
    else if (rtl && pos == bsRight) pos = bsLeft;
    if (pos == bsTop || pos == bsBottom) {
      gl = Center(W, gw);
      cl = Center(W, cw);
      gt = 6;
      ct = (H - (gh + ch) - 1) / 2 + gh + 1;
      if (pos == bsBottom) {
        gt = H - gh - 7;
        ct = H - (ct + ch) - 1;
      }
    } else {
      gt = Center(H, gh);
      ct = Center(H, ch);
      gl = 6;
      cl = (W - (gw + cw) - 1) / 2 + gw + 1;
      if (pos == bsRight) {
        gl = W - gw - 7;
        cl = W - (cl + cw) - 1;
      }
    }
  } else {
    const int th = Extent(DC, DrawnCaption()).cy;
    gt = th - gh < 2 ? 2 : (th - gh) / 2 + 2;
    ct = 2;
    gl = 2;
    cl = gw + 7;
    if (rtl) {
      gl = W - gw - 2;
      cl = W - cw - (gw + 7);
    }
    if (FPosition == bsBottom) {
      gt = H - (gt + gh) - 1;
      ct = H - ch - 3;
    }
  }
  return {Bounds(gl, gt, gw, gh), Bounds(cl, ct, cw, ch)};
}

// ---- painting ----

void TOffice97Button::PaintBackground(HDC DC) {
  TWinControl* parent = GetParent();
  if (FTransparent && parent && parent->HandleAllocated()) {
    POINT old{};
    SetViewportOrgEx(DC, -GetLeft(), -GetTop(), &old);
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    SetViewportOrgEx(DC, old.x, old.y, nullptr);
    return;
  }
  HBRUSH brush = CreateSolidBrush(ColorToRGB(GetColor()));
  RECT r{0, 0, GetWidth(), GetHeight()};
  FillRect(DC, &r, brush);
  DeleteObject(brush);
}

void TOffice97Button::DrawGlyph(HDC DC, TBitmap* Glyph, bool Embossed, int X, int Y) {
  const int w = Glyph->GetWidth(), h = Glyph->GetHeight();
  if (w <= 0 || h <= 0) return;
  HDC src = Glyph->Canvas()->GetHandle();
  COLORREF key = FAutoTransparency ? GetPixel(src, 0, h - 1) : ColorToRGB(FTransparentColor);
  if (!Embossed) {
    TransparentBlt(DC, X, Y, w, h, src, 0, 0, w, h, key);
    Glyph->FreeContext();
    return;
  }
  // The glyph's shape (every pixel not of its black background) in highlight one pixel
  // down and right, then in shadow in place, on the button face.
  const COLORREF face = ColorToRGB(clBtnFace);
  HDC work = CreateCompatibleDC(DC);
  HBITMAP picture = CreateCompatibleBitmap(DC, w, h);
  HGDIOBJ oldPicture = SelectObject(work, picture);
  HBRUSH faceBrush = CreateSolidBrush(face);
  RECT r{0, 0, w, h};
  FillRect(work, &r, faceBrush);
  DeleteObject(faceBrush);
  HDC maskDC = CreateCompatibleDC(DC);
  HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  SetBkColor(src, RGB(0, 0, 0));  // black becomes 1 (white): outside the shape
  BitBlt(maskDC, 0, 0, w, h, src, 0, 0, SRCCOPY);
  SetTextColor(work, RGB(0, 0, 0));
  SetBkColor(work, RGB(255, 255, 255));
  constexpr DWORD DSPDxax = 0x00E20746;
  HBRUSH highlight = CreateSolidBrush(ColorToRGB(clBtnHighlight));
  HGDIOBJ oldBrush = SelectObject(work, highlight);
  BitBlt(work, 1, 1, w, h, maskDC, 0, 0, DSPDxax);
  HBRUSH shadow = CreateSolidBrush(ColorToRGB(clBtnShadow));
  SelectObject(work, shadow);
  BitBlt(work, 0, 0, w, h, maskDC, 0, 0, DSPDxax);
  SelectObject(work, oldBrush);
  DeleteObject(highlight);
  DeleteObject(shadow);
  TransparentBlt(DC, X, Y, w, h, work, 0, 0, w, h, FAutoTransparency ? face : ColorToRGB(FTransparentColor));
  SelectObject(maskDC, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDC);
  SelectObject(work, oldPicture);
  DeleteObject(picture);
  DeleteDC(work);
  Glyph->FreeContext();
}

void TOffice97Button::DrawFocusMark(TCanvas* Canvas, const TLayout& L, HDC DC) {
  bool show;
  if (ComponentState().Contains(csDesigning)) {
    show = !GetCaption().empty() && GetEnabled();
  } else {
    TWinControl* active = Screen ? Screen->ActiveControl() : nullptr;
    show = FFocusFlag && (Focused() || !dynamic_cast<TOffice97Button*>(active));
  }
  if (!show) return;
  const TRect& c = L.Caption;
  if (FControlType == bsButton) {
    RECT r{c.Left, c.Top, c.Right + 1, c.Bottom + 1};
    SetTextColor(DC, RGB(0, 0, 0));
    SetBkColor(DC, RGB(255, 255, 255));
    ::DrawFocusRect(DC, &r);
    return;
  }
  HPEN pen = CreatePen(PS_DOT, 1, ColorToRGB(Canvas->GetFont()->GetColor()));
  HGDIOBJ oldPen = SelectObject(DC, pen);
  HGDIOBJ oldBrush = SelectObject(DC, GetStockObject(HOLLOW_BRUSH));
  const int L0 = c.Left - 1, T = c.Top - 1, R = c.Right + 2, B = c.Bottom + 1;
  if (!FWordWrap || FLines.size() <= 1) {
    Rectangle(DC, L0, T, R, B);
  } else {
    const int h0 = Extent(DC, L"0").cy;
    const int Y = T + (static_cast<int>(FLines.size()) - 1) * h0;
    int X = c.Left + 1 + static_cast<int>(Extent(DC, FLines.back()).cx);
    if (X > R) X = R;
    if (!UseRightToLeftAlignment()) {
      POINT pts[] = {{L0, B}, {L0, T}, {R, T}, {R, Y}, {X, Y}, {X, B}, {L0, B}};
      Polyline(DC, pts, 7);
    } else {
      const int X2 = L0 + R - X;
      POINT pts[] = {{L0, Y}, {L0, T}, {R, T}, {R, B}, {X2, B}, {X2, Y}, {L0, Y}};
      Polyline(DC, pts, 7);
    }
  }
  SelectObject(DC, oldBrush);
  SelectObject(DC, oldPen);
  DeleteObject(pen);
}

void TOffice97Button::DrawFrame(HDC DC) {
  if (FControlType != bsButton) return;
  TFrameState state = FMouseState == msHot ? frHot : FMouseState == msPressed ? frPressed : frNormal;
  const int W = GetWidth(), H = GetHeight();
  const TColor colours[] = {FInactiveColor, FActiveColor, FActiveOutlineColor, FActiveOutlineColor2};
  for (const TStroke& s : FOffice2000Look ? NewerFrames() : OlderFrames()) {
    if (s.State != state) continue;
    const COLORREF colour = ColorToRGB(colours[s.Role]);
    if (!s.Line.empty()) {
      std::vector<POINT> pts;
      for (POINT p : s.Line) pts.push_back(At(p, W, H));
      HPEN pen = CreatePen(PS_SOLID, 1, colour);
      HGDIOBJ old = SelectObject(DC, pen);
      Polyline(DC, pts.data(), static_cast<int>(pts.size()));
      SelectObject(DC, old);
      DeleteObject(pen);
    }
    for (POINT p : s.Pixels) {
      POINT q = At(p, W, H);
      SetPixel(DC, q.x, q.y, colour);
    }
  }
}

void TOffice97Button::Paint() {
  const int W = GetWidth(), H = GetHeight();
  if (W <= 0 || H <= 0) return;
  TBitmap buffer;
  buffer.SetSize(W, H);
  TCanvas* canvas = buffer.Canvas();
  HDC dc = canvas->GetHandle();
  PaintBackground(dc);
  // The font of the state.
  const bool enabled = GetEnabled();
  TFont font;
  font.Assign((FMouseState == msHot || FMouseState == msPressed) && enabled ? FHoverFont.get() : GetFont());
  if (!enabled) font.SetColor(FInactiveColor);
  if (FDefault) font.SetStyle(font.GetStyle() + TFontStyles{fsBold});
  canvas->SetFont(&font);
  canvas->GetBrush()->SetStyle(bsClear);
  dc = canvas->GetHandle();
  bool embossed = false;
  TBitmap* glyph = StateGlyph(embossed);
  TPoint captionSize = MeasureCaption(dc, glyph);
  TLayout layout = Layout(captionSize, glyph, dc);
  DrawFocusMark(canvas, layout, dc);
  if (FMouseState == msPressed && FControlType == bsButton) {
    layout.Glyph = OffsetRect(layout.Glyph, 1, 1);
    layout.Caption = OffsetRect(layout.Caption, 1, 1);
  }
  // The caption.
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(font.GetColor()));
  UINT flags = (FControlType == bsButton ? DT_CENTER : DT_LEFT);
  if (GetBiDiMode() != bdLeftToRight) flags |= DT_RTLREADING;
  if (UseRightToLeftAlignment() && FControlType != bsButton) flags = (flags & ~DT_LEFT) | DT_RIGHT;
  const TRect& c = layout.Caption;
  if (!FWordWrap || FLines.size() == 1) {
    if (!FLines.empty()) {
      RECT r{c.Left, c.Top, c.Right, c.Bottom};
      DrawTextW(dc, FLines[0].c_str(), static_cast<int>(FLines[0].size()), &r, flags | DT_SINGLELINE | DT_NOCLIP);
    }
  } else {
    const int h0 = Extent(dc, L"0").cy;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
      RECT r{c.Left, c.Top + static_cast<int>(i) * h0, c.Left + FWrapWidth, c.Top + static_cast<int>(i + 1) * h0};
      DrawTextW(dc, FLines[i].c_str(), static_cast<int>(FLines[i].size()), &r, flags | DT_SINGLELINE | DT_NOCLIP);
    }
  }
  if (FShowGlyph) DrawGlyph(dc, glyph, embossed, layout.Glyph.Left, layout.Glyph.Top);
  DrawFrame(dc);
  BitBlt(Canvas()->GetHandle(), 0, 0, W, H, dc, 0, 0, SRCCOPY);
  buffer.FreeContext();
}
