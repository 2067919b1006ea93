#include "gridcal/speedbutton.h"

#include <algorithm>

#include "classlib/windows/application.h"
#include "classlib/core/unicode.h"
#include "gridcal/gxutils.h"

HX_PUBLISH(TGlyphList, p) {}

HX_PUBLISH(TGxSpeedButton, p) {
  p.Property("Action", &TGxSpeedButton::GetAction, &TGxSpeedButton::SetAction);
  p.Property("Align", &TGxSpeedButton::GetAlign, &TGxSpeedButton::SetAlign).Default(alNone);
  p.Property("Anchors", &TGxSpeedButton::GetAnchors, &TGxSpeedButton::SetAnchors).Default(TAnchors{akLeft, akTop});
  p.Property("Constraints", &TGxSpeedButton::GetConstraints, &TGxSpeedButton::SetConstraints);
  p.Property("Alignment", &TGxSpeedButton::GetAlignment, &TGxSpeedButton::SetAlignment).Default(taCenter);
  p.Property("AllowAllUp", &TGxSpeedButton::GetAllowAllUp, &TGxSpeedButton::SetAllowAllUp).Default(false);
  p.Property("AllowTimer", &TGxSpeedButton::GetAllowTimer, &TGxSpeedButton::SetAllowTimer).Default(false);
  p.Property("GroupIndex", &TGxSpeedButton::GetGroupIndex, &TGxSpeedButton::SetGroupIndex).Default(0);
  p.Property("Down", &TGxSpeedButton::GetDown, &TGxSpeedButton::SetDown).Default(false);  // after the group
  p.Property("DropDownMenu", &TGxSpeedButton::GetDropDownMenu, &TGxSpeedButton::SetDropDownMenu);
  p.Property("Caption", &TGxSpeedButton::GetCaption, &TGxSpeedButton::SetCaption).Default("");
  p.Property("Enabled", &TGxSpeedButton::GetEnabled, &TGxSpeedButton::SetEnabled).Default(true);
  p.Property("Flat", &TGxSpeedButton::GetFlat, &TGxSpeedButton::SetFlat).Default(false);
  p.Property("Font", &TGxSpeedButton::GetFont, &TGxSpeedButton::SetFont).Stored(&TGxSpeedButton::IsFontStored);
  p.Property("Glyph", &TGxSpeedButton::GetGlyph, &TGxSpeedButton::SetGlyph).Stored(&TGxSpeedButton::IsGlyphStored);
  p.Property("GrayedInactive", &TGxSpeedButton::GetGrayedInactive, &TGxSpeedButton::SetGrayedInactive).Default(true);
  p.Property("InitPause", &TGxSpeedButton::GetInitPause, &TGxSpeedButton::SetInitPause).Default(500);
  p.Property("Layout", &TGxSpeedButton::GetLayout, &TGxSpeedButton::SetLayout).Default(blGlyphTop);
  p.Property("Margin", &TGxSpeedButton::GetMargin, &TGxSpeedButton::SetMargin).Default(-1);
  p.Property("MarkDropDown", &TGxSpeedButton::GetMarkDropDown, &TGxSpeedButton::SetMarkDropDown).Default(true);
  p.Property("MenuPosition", &TGxSpeedButton::GetMenuPosition, &TGxSpeedButton::SetMenuPosition).Default(dmpBottom);
  p.Property("ModalResult", &TGxSpeedButton::GetModalResult, &TGxSpeedButton::SetModalResult).Default(0);
  p.Property("NumGlyphs", &TGxSpeedButton::GetNumGlyphs, &TGxSpeedButton::SetNumGlyphs).Default(1);
  p.Property("ParentFont", &TGxSpeedButton::GetParentFont, &TGxSpeedButton::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TGxSpeedButton::GetParentShowHint, &TGxSpeedButton::SetParentShowHint).Default(false);
  p.Property("RepeatInterval", &TGxSpeedButton::GetRepeatInterval, &TGxSpeedButton::SetRepeatInterval).Default(100);
  p.Property("ShowHint", &TGxSpeedButton::GetShowHint, &TGxSpeedButton::SetShowHint).Default(true);
  p.Property("Spacing", &TGxSpeedButton::GetSpacing, &TGxSpeedButton::SetSpacing).Default(1);
  p.Property("Style", &TGxSpeedButton::GetStyle, &TGxSpeedButton::SetStyle).Default(bsAutoDetect);
  p.Property("Transparent", &TGxSpeedButton::GetTransparent, &TGxSpeedButton::SetTransparent).Default(false);
  p.Property("Visible", &TGxSpeedButton::GetVisible, &TGxSpeedButton::SetVisible).Default(true);
  p.Property("WordWrap", &TGxSpeedButton::GetWordWrap, &TGxSpeedButton::SetWordWrap).Default(false);
  p.Event("OnClick", &TGxSpeedButton::OnClick);
  p.Event("OnEndDock", &TGxSpeedButton::OnEndDock);
  p.Event("OnStartDock", &TGxSpeedButton::OnStartDock);
  p.Event("OnDblClick", &TGxSpeedButton::OnDblClick);
  p.Event("OnMouseDown", &TGxSpeedButton::OnMouseDown);
  p.Event("OnMouseMove", &TGxSpeedButton::OnMouseMove);
  p.Event("OnMouseUp", &TGxSpeedButton::OnMouseUp);
  p.Event("OnMouseEnter", &TGxSpeedButton::OnMouseEnter);
  p.Event("OnMouseLeave", &TGxSpeedButton::OnMouseLeave);
}

// ---- TGlyphList ----

TGlyphList::TGlyphList(int Width, int Height) : TCustomImageList(nullptr) {
  SetWidth(Width);
  SetHeight(Height);
}

int TGlyphList::AddGlyph(TBitmap* Image, TColor MaskColor) {
  auto free = std::find(FUsed.begin(), FUsed.end(), false);
  int index;
  if (free != FUsed.end()) {
    index = static_cast<int>(free - FUsed.begin());
    ReplaceMasked(index, Image, MaskColor);
    FUsed[index] = true;
  } else {
    index = AddMasked(Image, MaskColor);
    FUsed.resize(Count(), false);
    FUsed[index] = true;
  }
  ++FUsedCount;
  return index;
}

void TGlyphList::DeleteGlyph(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FUsed.size()) || !FUsed[Index]) return;
  FUsed[Index] = false;
  --FUsedCount;
}

// ---- TGlyphCache ----

namespace {
TGlyphCache* cache = nullptr;
int glyphCount = 0;  // the glyphs alive: the cache goes with the last
}  // namespace

TGlyphCache* GlyphCache() { return cache; }

TGlyphCache::~TGlyphCache() = default;

TGlyphList* TGlyphCache::GetList(int Width, int Height) {
  for (auto& list : FLists)
    if (list->GetWidth() == Width && list->GetHeight() == Height) return list.get();
  FLists.push_back(std::make_unique<TGlyphList>(Width, Height));
  return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* List) {
  if (!List || List->UsedCount() > 0) return;
  std::erase_if(FLists, [List](const std::unique_ptr<TGlyphList>& l) { return l.get() == List; });
}

// ---- TGxButtonGlyph ----

TGxButtonGlyph::TGxButtonGlyph() : FOriginal(std::make_unique<TBitmap>()) {
  if (glyphCount++ == 0) cache = new TGlyphCache;
  FOriginal->OnChange = [this](TObject*) {
    Invalidate();
    if (OnChange) OnChange();
  };
}

TGxButtonGlyph::~TGxButtonGlyph() {
  FOriginal->OnChange = nullptr;
  Invalidate();
  if (--glyphCount == 0) {
    delete cache;
    cache = nullptr;
  }
}

void TGxButtonGlyph::Invalidate() {
  for (int& index : FIndexes) {
    if (index >= 0 && FList) FList->DeleteGlyph(index);
    index = -1;
  }
  if (FList && cache) cache->ReturnList(FList);
  FList = nullptr;
}

void TGxButtonGlyph::SetGlyph(TBitmap* Value) {
  Invalidate();
  auto handler = std::move(FOriginal->OnChange);
  FOriginal->OnChange = nullptr;
  if (Value) FOriginal->Assign(Value);
  else FOriginal->SetSize(0, 0);
  FOriginal->OnChange = std::move(handler);
  if (!FOriginal->Empty()) {
    FTransparentColor = FOriginal->GetTransparentColor();
    int w = FOriginal->GetWidth(), h = FOriginal->GetHeight();
    if (w > 0 && h > 0 && w % h == 0) FNumGlyphs = w / h > 5 ? 1 : w / h;
  }
  if (OnChange) OnChange();
}

void TGxButtonGlyph::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 5);
  if (Value == FNumGlyphs) return;
  Invalidate();
  FNumGlyphs = Value;
  if (OnChange) OnChange();
}

TPoint TGxButtonGlyph::Size() const {
  if (FOriginal->Empty()) return {0, 0};
  return {FOriginal->GetWidth() / FNumGlyphs, FOriginal->GetHeight()};
}

int TGxButtonGlyph::StateIndex(TGxButtonState State) {
  if (State == gbsDown && FNumGlyphs < 3) State = gbsUp;
  int& cached = FIndexes[State];
  if (cached >= 0) return cached;
  TPoint size = Size();
  if (size.X <= 0 || size.Y <= 0 || !cache) return -1;
  if (!FList) FList = cache->GetList(size.X, size.Y);
  // The state's cell on the button's face.
  int cell = static_cast<int>(State) < FNumGlyphs ? static_cast<int>(State) : 0;
  TBitmap image;
  BitmapCell(FOriginal.get(), &image, FNumGlyphs, 1, cell);
  TColor mask = FTransparentColor;
  if (State == gbsDisabled && FNumGlyphs < 2) {
    TBitmap disabled;
    CreateDisabledBitmap(&image, &disabled, FTransparentColor);
    image.Assign(&disabled);
    mask = clBtnFace;
  } else if (State == gbsInactive && FNumGlyphs < 5) {
    COLORREF key = ColorToRGB(FTransparentColor) & 0xFFFFFF, face = ColorToRGB(clBtnFace) & 0xFFFFFF;
    TCanvas* c = image.Canvas();
    for (int y = 0; y < size.Y; ++y)
      for (int x = 0; x < size.X; ++x) {
        COLORREF p = ColorToRGB(c->GetPixels(x, y)) & 0xFFFFFF;
        if (p == key || p == face) continue;
        int grey = (77 * GetRValue(p) + 150 * GetGValue(p) + 29 * GetBValue(p)) / 256;
        c->SetPixels(x, y, static_cast<TColor>(RGB(grey, grey, grey)));
      }
    image.FreeContext();
  }
  cached = FList->AddGlyph(&image, mask);
  return cached;
}

void TGxButtonGlyph::GetStateImage(TGxButtonState State, TBitmap* Image) {
  int index = StateIndex(State);
  if (index >= 0) FList->GetBitmap(index, Image);
}

void TGxButtonGlyph::Draw(TCanvas* Canvas, int X, int Y, TGxButtonState State) {
  int index = StateIndex(State);
  if (index >= 0) FList->Draw(Canvas, X, Y, index);
}

// ---- TGxSpeedButton ----

TGxSpeedButton::TGxSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TGxButtonGlyph>()) {
  SetControlStyle({csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable});
  SetBounds(0, 0, 25, 25);
  SetParentShowHint(false);
  SetShowHint(true);
  FGlyph->OnChange = [this] { Invalidate(); };
  FActionLink.OnChange = [this] { ActionChanged(); };
}

TGxSpeedButton::~TGxSpeedButton() {
  *FAlive = false;
  FActionLink.OnChange = nullptr;
  delete FRepeatTimer;
}

void TGxSpeedButton::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TGxSpeedButton::SetAllowAllUp(bool Value) {
  if (Value == FAllowAllUp) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TGxSpeedButton::SetAllowTimer(bool Value) {
  FAllowTimer = Value;
  if (!Value) StopRepeat();
}

void TGxSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !Value && !FAllowAllUp) return;  // the one down of a group stays down
  FDown = Value;
  if (!GetEnabled()) FState = gbsDisabled;
  else FState = Value ? gbsExclusive : gbsUp;
  Invalidate();
  if (Value) UpdateExclusive();
}

void TGxSpeedButton::SetDropDownMenu(TPopupMenu* Value) {
  if (Value == FDropDownMenu) return;
  if (FDropDownMenu) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = Value;
  if (Value) Value->FreeNotification(this);
  Invalidate();
}

void TGxSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropDownMenu) FDropDownMenu = nullptr;
}

void TGxSpeedButton::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  Invalidate();
}

void TGxSpeedButton::SetGrayedInactive(bool Value) {
  if (Value == FGrayedInactive) return;
  FGrayedInactive = Value;
  Invalidate();
}

void TGxSpeedButton::SetGroupIndex(int Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (Value == 0 && FDown) {
    FDown = false;
    FState = gbsUp;
    Invalidate();
  }
  UpdateExclusive();
}

void TGxSpeedButton::SetLayout(TButtonLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  Invalidate();
}

void TGxSpeedButton::SetMargin(int Value) {
  if (Value == FMargin || Value < -1) return;
  FMargin = Value;
  Invalidate();
}

void TGxSpeedButton::SetMarkDropDown(bool Value) {
  if (Value == FMarkDropDown) return;
  FMarkDropDown = Value;
  Invalidate();
}

void TGxSpeedButton::SetSpacing(int Value) {
  if (Value == FSpacing) return;
  FSpacing = Value;
  Invalidate();
}

void TGxSpeedButton::SetStyle(TButtonStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Invalidate();
}

void TGxSpeedButton::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  TControlStyle style = GetControlStyle();
  if (Value) style.Exclude(csOpaque);
  else style.Include(csOpaque);
  SetControlStyle(style);
  Invalidate();
}

void TGxSpeedButton::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Invalidate();
}

void TGxSpeedButton::UpdateExclusive() {
  TWinControl* parent = GetParent();
  if (FGroupIndex == 0 || !parent) return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* other = dynamic_cast<TGxSpeedButton*>(parent->Controls(i));
    if (!other || other == this || other->FGroupIndex != FGroupIndex) continue;
    if (FDown && other->FDown) {
      other->FDown = false;
      other->FState = other->GetEnabled() ? gbsUp : gbsDisabled;
      other->Invalidate();
    }
    other->FAllowAllUp = FAllowAllUp;
  }
}

TGxButtonState TGxSpeedButton::RestingState() const {
  if (!GetEnabled()) return gbsDisabled;
  return FDown ? gbsExclusive : gbsUp;
}

void TGxSpeedButton::ActionChanged() {
  TAction* action = FActionLink.Action();
  if (!action) return;
  if (FGroupIndex != 0 && action->GetChecked() != FDown) {
    // The action decides, also against AllowAllUp.
    FDown = action->GetChecked();
    FState = RestingState();
    if (FDown) UpdateExclusive();
    Invalidate();
  }
  TCustomImageList* images = action->GetImages();
  int index = action->GetImageIndex();
  if (images && index >= 0 && index < images->Count()) {
    // Two images on fuchsia, the glyph's transparent colour whatever the corner pixel is:
    // the image, and its disabled form embossed through the image list's own mask.
    const int w = images->GetWidth(), h = images->GetHeight();
    TBitmap glyph;
    glyph.SetSize(2 * w, h);
    glyph.Canvas()->GetBrush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(TRect{0, 0, 2 * w, h});
    images->Draw(glyph.Canvas(), 0, 0, index);
    ImageListDrawDisabled(images, glyph.Canvas(), w, 0, index);
    glyph.FreeContext();
    glyph.SetTransparentColor(clFuchsia);
    SetGlyph(&glyph);
    SetNumGlyphs(2);
  }
}

void TGxSpeedButton::Click() {
  if (FModalResult != mrNone) {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  }
  if (OnClick) OnClick(this);
  else if (TAction* action = FActionLink.Action()) action->Execute();
}

void TGxSpeedButton::ButtonClick() {
  if (FMenuTracking || !GetEnabled() || (FDropDownMenu && FDropDownMenu->GetAutoPopup())) return;
  FState = gbsDown;
  Invalidate();
  Update();
  Sleep(20);
  std::shared_ptr<bool> alive = FAlive;
  if (FGroupIndex != 0) SetDown(!FDown);
  Click();
  if (!*alive) return;  // the handler freed the button
  FState = RestingState();
  Invalidate();
}

TPoint TGxSpeedButton::DropDownPoint() {
  int w = GetWidth(), h = GetHeight();
  TPoint p{-1, h};
  if (FMenuPosition == dmpBottom) {
    // The menu's side as the caption's.
    if (FAlignment == taRightJustify) p = {w + 1, h};
    else if (FAlignment == taCenter) p = {w / 2, h};
  } else {
    if (FAlignment == taLeftJustify) p = {w, -1};
    else if (FAlignment == taRightJustify) p = {-1, -1};
    else p = {w / 2, h};
  }
  return ClientToScreen(p);
}

bool TGxSpeedButton::PopupDropDown() {
  if (!FDropDownMenu || !FDropDownMenu->GetAutoPopup()) return false;
  std::shared_ptr<bool> alive = FAlive;
  TPoint at = DropDownPoint();
  FMenuTracking = true;
  FDropDownMenu->SetPopupComponent(this);
  FDropDownMenu->Popup(at.X, at.Y);
  if (!*alive) return true;
  FMenuTracking = false;
  // A press on the button that closed the menu is not a new press.
  if (TWinControl* parent = GetParent(); parent && parent->HandleAllocated()) {
    MSG msg;
    while (PeekMessageW(&msg, parent->GetHandle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE)) {
    }
  }
  return true;
}

void TGxSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !GetEnabled() || FMenuTracking) return;
  FState = gbsDown;
  FDragging = true;
  Invalidate();
  if (FDropDownMenu && FDropDownMenu->GetAutoPopup()) {
    std::shared_ptr<bool> alive = FAlive;
    Update();
    PopupDropDown();
    if (!*alive) return;
    // Released once the menu is done.
    FDragging = false;
    SetMouseCapture(false);
    FState = RestingState();
    Invalidate();
    return;
  }
  if (FAllowTimer) {
    if (!FRepeatTimer) {
      FRepeatTimer = new TTimer(nullptr);
      FRepeatTimer->OnTimer = [this](TObject* Sender) { RepeatTick(Sender); };
    }
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetInterval(FInitPause);
    FRepeatTimer->SetEnabled(true);
  }
}

void TGxSpeedButton::RepeatTick(TObject*) {
  FRepeatTimer->SetInterval(FRepeatInterval);
  if (FState == gbsDown && FDragging) Click();  // last: the handler may free the button
}

void TGxSpeedButton::StopRepeat() {
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TGxSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  TGxButtonState state = inside ? gbsDown : (FDown ? gbsExclusive : gbsUp);
  if (state != FState) {
    FState = state;
    Invalidate();
  }
}

void TGxSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  StopRepeat();
  if (!FDragging || Button != mbLeft) return;
  FDragging = false;
  bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  if (FGroupIndex != 0 && inside) SetDown(!FDown);
  FState = RestingState();
  Invalidate();
  if (inside && !FMenuTracking) Click();  // last: the handler may free the button
}

void TGxSpeedButton::UpdateTracking() {
  if (!GetEnabled() || !GetParent() || !GetParent()->HandleAllocated()) return;
  POINT p;
  GetCursorPos(&p);
  TPoint local = ScreenToClient({p.x, p.y});
  bool inside = local.X >= 0 && local.Y >= 0 && local.X < GetWidth() && local.Y < GetHeight();
  if (inside != FMouseInControl) {
    FMouseInControl = inside;
    if (FFlat) Invalidate();
  }
}

void TGxSpeedButton::MouseEnter() {
  TGraphicControl::MouseEnter();
  TApplication* app = ExistingApplication();
  if (!app || !app->Active() || FMouseInControl || !GetEnabled()) return;
  FMouseInControl = true;
  if (FFlat) Invalidate();
}

void TGxSpeedButton::MouseLeave() {
  TGraphicControl::MouseLeave();
  if (!FMouseInControl) return;
  FMouseInControl = false;
  if (FFlat) Invalidate();
}

void TGxSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      TGraphicControl::Dispatch(Message);
      if (!GetEnabled()) {
        FDragging = false;
        StopRepeat();
      }
      FState = RestingState();
      UpdateTracking();
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      TGraphicControl::Dispatch(Message);
      UpdateTracking();
      return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      Invalidate();
      return;
    case CM_SYSCOLORCHANGE:
      FGlyph->Invalidate();
      Invalidate();
      TGraphicControl::Dispatch(Message);
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(Message.WParam, GetCaption()) && GetEnabled() && GetVisible() && GetParent() &&
          GetParent()->Showing()) {
        Message.Result = 1;
        std::shared_ptr<bool> alive = FAlive;
        if (FGroupIndex != 0) SetDown(!FDown);
        Click();
        (void)alive;
      }
      return;
  }
  TGraphicControl::Dispatch(Message);
}

void TGxSpeedButton::DblClick() {
  if (FDown) TGraphicControl::DblClick();
}

TColor TGxSpeedButton::CaptionColor() const { return GetFont()->GetColor(); }

void TGxSpeedButton::DrawCaptionAndMark(TCanvas* Canvas, const TRect& Client, TPoint Offset,
                                        TGxButtonState GlyphState) {
  String caption = GetCaption();
  Canvas->GetFont()->Assign(GetFont());
  Canvas->TextExtent(String());  // selects the font into the context that DrawTextW uses
  HDC dc = Canvas->GetHandle();
  bool mark = FDropDownMenu && FMarkDropDown;
  const int markRoom = mark ? 10 : 0;
  TPoint glyphSize = FGlyph->Size();
  // The caption's size: one line, or wrapped within the room the glyph leaves.
  UINT align = FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  TPoint textSize{0, 0};
  std::wstring text;
  if (!caption.empty()) {
    int room = Client.Width() - markRoom - 4;
    if (FLayout == blGlyphLeft || FLayout == blGlyphRight) room -= glyphSize.X + std::max(FSpacing, 0);
    room = std::max(room, 1);
    if (!FWordWrap) caption = ShortenCanvasText(Canvas, caption, room);
    text = Utf8ToWide(caption);
    RECT r{0, 0, room, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | align | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE));
    textSize = {r.right - r.left, r.bottom - r.top};
  }
  TPoint glyphPos;
  TRect textBounds;
  CalcButtonLayout({Client.Width(), Client.Height()}, glyphSize, {textSize.X + markRoom, textSize.Y}, FLayout, FMargin,
                   FSpacing, glyphPos, textBounds);
  int ox = Client.Left + Offset.X, oy = Client.Top + Offset.Y;
  if (glyphSize.X > 0) FGlyph->Draw(Canvas, glyphPos.X + ox, glyphPos.Y + oy, GlyphState);
  bool disabled = FState == gbsDisabled;
  if (!text.empty()) {
    RECT r{textBounds.Left + ox, textBounds.Top + oy, textBounds.Right + ox - markRoom, textBounds.Bottom + oy};
    SetBkMode(dc, TRANSPARENT);
    UINT flags = align | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
    if (disabled) {
      RECT shifted{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
      SetTextColor(dc, ColorToRGB(clBtnHighlight));
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shifted, flags);
      SetTextColor(dc, ColorToRGB(clBtnShadow));
    } else {
      SetTextColor(dc, ColorToRGB(CaptionColor()));
    }
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  }
  if (mark) {
    // A downward triangle of rows 7, 5, 3 and 1 pixels beside the caption (or the glyph).
    int x = text.empty() ? glyphPos.X + glyphSize.X + 3 + ox : textBounds.Right - 8 + ox;
    int y = (text.empty() ? Client.Height() / 2 : textBounds.Top + textSize.Y / 2) - 2 + oy;
    auto triangle = [&](int dx, int dy, TColor color) {
      HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
      for (int row = 0; row < 4; ++row) {
        RECT line{x + dx + row, y + dy + row, x + dx + 7 - row, y + dy + row + 1};
        FillRect(dc, &line, brush);
      }
      DeleteObject(brush);
    };
    if (disabled) {
      triangle(1, 1, clBtnHighlight);
      triangle(0, 0, clBtnShadow);
    } else {
      triangle(0, 0, clBtnText);
    }
  }
}

void TGxSpeedButton::Paint() {
  if (!GetEnabled()) {
    FState = gbsDisabled;
    FDragging = false;
  } else if (FState == gbsDisabled) {
    FState = RestingState();
  }
  TGxButtonState painted = FState;
  if (FFlat && !FMouseInControl && FState != gbsDown && FState != gbsExclusive) painted = gbsInactive;
  int w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return;
  TBitmap face;
  face.SetSize(w, h);
  TCanvas* canvas = face.Canvas();
  HDC dc = canvas->GetHandle();
  TRect client{0, 0, w, h};
  if (FTransparent) {
    CopyParentImage(this, dc);
  } else {
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->FillRect(client);
  }
  bool down = FState == gbsDown || FState == gbsExclusive;
  RECT r{0, 0, w, h};
  if (painted != gbsInactive || FState == gbsExclusive) {
    if (FFlat) {
      DrawEdge(dc, &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    } else if (FStyle == bsWin31) {
      // The old look: a dark outer frame, then a raised or sunken face.
      HBRUSH frame = CreateSolidBrush(ColorToRGB(clWindowFrame));
      FrameRect(dc, &r, frame);
      DeleteObject(frame);
      InflateRect(&r, -1, -1);
      DrawEdge(dc, &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    } else {
      DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
  }
  if (FState == gbsExclusive && !FTransparent) {
    // A face of dots, as a button that stays down shows.
    TBitmap pattern;
    pattern.SetSize(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        pattern.Canvas()->SetPixels(x, y, (x + y) % 2 ? clBtnHighlight : clBtnFace);
    HBRUSH brush = CreatePatternBrush(pattern.GetHandle());
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  TGxButtonState glyphState = FGrayedInactive ? painted : FState;
  TPoint offset = down ? TPoint{1, 1} : TPoint{0, 0};
  DrawCaptionAndMark(canvas, TRect{r.left, r.top, r.right, r.bottom}, offset, glyphState);
  Canvas()->Draw(0, 0, &face);
}
