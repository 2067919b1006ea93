#include "classlib/windows/comctrls.h"

#include <algorithm>

#include "classlib/windows/forms.h"
#include "classlib/core/lists.h"
#include "classlib/core/unicode.h"

#include <commctrl.h>

HX_PUBLISH(TTrackBar, p) {
  p.Property("Align", &TTrackBar::GetAlign, &TTrackBar::SetAlign).Default(alNone);
  p.Property("Enabled", &TTrackBar::GetEnabled, &TTrackBar::SetEnabled).Default(true);
  p.Property("Frequency", &TTrackBar::GetFrequency, &TTrackBar::SetFrequency).Default(1);
  p.Property("LineSize", &TTrackBar::GetLineSize, &TTrackBar::SetLineSize).Default(1);
  p.Property("Max", &TTrackBar::GetMax, &TTrackBar::SetMax).Default(10);
  p.Property("Min", &TTrackBar::GetMin, &TTrackBar::SetMin).Default(0);
  p.Property("Orientation", &TTrackBar::GetOrientation, &TTrackBar::SetOrientation).Default(trHorizontal);
  p.Property("PageSize", &TTrackBar::GetPageSize, &TTrackBar::SetPageSize).Default(2);
  p.Property("ParentShowHint", &TTrackBar::GetParentShowHint, &TTrackBar::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TTrackBar::GetPopupMenu, &TTrackBar::SetPopupMenu);
  p.Property("Position", &TTrackBar::GetPosition, &TTrackBar::SetPosition).Default(0);
  p.Property("ShowHint", &TTrackBar::GetShowHint, &TTrackBar::SetShowHint).Default(false);
  p.Property("TabOrder", &TTrackBar::GetTabOrder, &TTrackBar::SetTabOrder);
  p.Property("TabStop", &TTrackBar::GetTabStop, &TTrackBar::SetTabStop).Default(true);
  p.Property("TickMarks", &TTrackBar::GetTickMarks, &TTrackBar::SetTickMarks).Default(tmBottomRight);
  p.Property("TickStyle", &TTrackBar::GetTickStyle, &TTrackBar::SetTickStyle).Default(tsAuto);
  p.Property("Visible", &TTrackBar::GetVisible, &TTrackBar::SetVisible).Default(true);
  p.Event("OnChange", &TTrackBar::OnChange);
  p.Event("OnEnter", &TTrackBar::OnEnter);
  p.Event("OnExit", &TTrackBar::OnExit);
  p.Event("OnKeyDown", &TTrackBar::OnKeyDown);
  p.Event("OnKeyUp", &TTrackBar::OnKeyUp);
}

void InitCommonControlClasses(DWORD Classes) {
  static DWORD done = 0;
  if ((done & Classes) == Classes) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, Classes};
  if (InitCommonControlsEx(&icc)) done |= Classes;
}

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle(GetControlStyle() - TControlStyle{csCaptureMouse, csClickEvents});
  SetBounds(0, 0, 150, 45);
  SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_BAR_CLASSES);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "msctls_trackbar32");
  static const DWORD marks[] = {TBS_BOTTOM, TBS_TOP, TBS_BOTH};
  static const DWORD ticks[] = {TBS_NOTICKS, TBS_AUTOTICKS, 0};
  Params.Style |= (FOrientation == trVertical ? TBS_VERT : TBS_HORZ) | marks[FTickMarks] | ticks[FTickStyle];
}

void TTrackBar::CreateWnd() {
  TWinControl::CreateWnd();
  HWND w = GetHandle();
  SendMessageW(w, TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageW(w, TBM_SETRANGEMAX, FALSE, FMax);
  SendMessageW(w, TBM_SETLINESIZE, 0, FLineSize);
  SendMessageW(w, TBM_SETPAGESIZE, 0, FPageSize);
  if (FTickStyle == tsAuto) SendMessageW(w, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  for (int tick : FTicks) SendMessageW(w, TBM_SETTIC, 0, tick);
  SendMessageW(w, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::SetPosition(int Value) {
  Value = std::clamp(Value, FMin, FMax);
  if (Value == FPosition) return;
  FPosition = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETPOS, TRUE, Value);
  if (!ComponentState().Contains(csLoading)) Changed();
}

void TTrackBar::SetMin(int Value) {
  if (Value == FMin || Value > FMax) return;
  FMin = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETRANGEMIN, TRUE, Value);
  SetPosition(FPosition);
}

void TTrackBar::SetMax(int Value) {
  if (Value == FMax || Value < FMin) return;
  FMax = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETRANGEMAX, TRUE, Value);
  SetPosition(FPosition);
}

void TTrackBar::SetFrequency(int Value) {
  if (Value < 1 || Value == FFrequency) return;
  FFrequency = Value;
  if (HandleAllocated() && FTickStyle == tsAuto) SendMessageW(GetHandle(), TBM_SETTICFREQ, static_cast<WPARAM>(Value), 0);
}

void TTrackBar::SetLineSize(int Value) {
  if (Value < 1 || Value == FLineSize) return;
  FLineSize = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETLINESIZE, 0, Value);
}

void TTrackBar::SetPageSize(int Value) {
  if (Value < 1 || Value == FPageSize) return;
  FPageSize = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETPAGESIZE, 0, Value);
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  // The long side follows the orientation.
  if (!ComponentState().Contains(csLoading)) SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
  if (Value == FTickMarks) return;
  FTickMarks = Value;
  RecreateWnd();
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
  if (Value == FTickStyle) return;
  FTickStyle = Value;
  RecreateWnd();
}

void TTrackBar::SetTick(int Value) {
  FTicks.push_back(Value);
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETTIC, 0, Value);
}

void TTrackBar::PositionFromWindow() {
  int position = static_cast<int>(SendMessageW(GetHandle(), TBM_GETPOS, 0, 0));
  if (position == FPosition) return;
  FPosition = position;
  Changed();
}

void TTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      PositionFromWindow();
      return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TTabSheet ----

HX_PUBLISH(TTabSheet, p) {
  p.Property("Caption", &TTabSheet::GetCaption, &TTabSheet::SetCaption).Default("");
  p.Property("Enabled", &TTabSheet::GetEnabled, &TTabSheet::SetEnabled).Default(true);
  p.Property("Font", &TTabSheet::GetFont, &TTabSheet::SetFont).Stored(&TTabSheet::IsFontStored);
  p.Property("ParentFont", &TTabSheet::GetParentFont, &TTabSheet::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TTabSheet::GetParentShowHint, &TTabSheet::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TTabSheet::GetPopupMenu, &TTabSheet::SetPopupMenu);
  p.Property("ShowHint", &TTabSheet::GetShowHint, &TTabSheet::SetShowHint).Default(false);
  p.Property("TabVisible", &TTabSheet::GetTabVisible, &TTabSheet::SetTabVisible).Default(true);
  p.Event("OnEnter", &TTabSheet::OnEnter);
  p.Event("OnExit", &TTabSheet::OnExit);
  p.Event("OnResize", &TTabSheet::OnResize);
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetVisible(false);  // until its page control shows it
}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

void TTabSheet::SetParent(TWinControl* AParent) {
  TWinControl::SetParent(AParent);
  auto* control = dynamic_cast<TPageControl*>(AParent);
  if (control == FPageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  FPageControl = control;
  if (control) control->InsertPage(this);
}

int TTabSheet::GetPageIndex() const {
  if (!FPageControl) return -1;
  auto& pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (FPageControl) FPageControl->MovePage(this, Value);
}

int TTabSheet::TabIndex() const {
  if (!FTabVisible || !FPageControl) return -1;
  int index = 0;
  for (TTabSheet* page : FPageControl->FPages) {
    if (page == this) return index;
    if (page->FTabVisible) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (Value == FTabVisible) return;
  FTabVisible = Value;
  if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    TWinControl::Dispatch(Message);
    if (FPageControl) FPageControl->UpdateTabs();
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TPageControl ----

HX_PUBLISH(TPageControl, p) {
  p.Property("ActivePage", &TPageControl::GetActivePage, &TPageControl::SetActivePage);
  p.Property("Align", &TPageControl::GetAlign, &TPageControl::SetAlign).Default(alNone);
  p.Property("Enabled", &TPageControl::GetEnabled, &TPageControl::SetEnabled).Default(true);
  p.Property("Font", &TPageControl::GetFont, &TPageControl::SetFont).Stored(&TPageControl::IsFontStored);
  p.Property("ParentFont", &TPageControl::GetParentFont, &TPageControl::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TPageControl::GetParentShowHint, &TPageControl::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TPageControl::GetPopupMenu, &TPageControl::SetPopupMenu);
  p.Property("ShowHint", &TPageControl::GetShowHint, &TPageControl::SetShowHint).Default(false);
  p.Property("TabOrder", &TPageControl::GetTabOrder, &TPageControl::SetTabOrder);
  p.Property("TabStop", &TPageControl::GetTabStop, &TPageControl::SetTabStop).Default(true);
  p.Property("Visible", &TPageControl::GetVisible, &TPageControl::SetVisible).Default(true);
  p.Event("OnChange", &TPageControl::OnChange);
  p.Event("OnChanging", &TPageControl::OnChanging);
  p.Event("OnEnter", &TPageControl::OnEnter);
  p.Event("OnExit", &TPageControl::OnExit);
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({csDoubleClicks});
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
}

TPageControl::~TPageControl() {
  // The pages outlive the control when another owns them; they forget it first.
  for (TTabSheet* page : FPages) page->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) ListIndexError(Index);
  return FPages[static_cast<size_t>(Index)];
}

void TPageControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TTabSheet* page : std::vector<TTabSheet*>(FPages))
    if (page->Owner() == Root) Proc(page);
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  UpdateTabs();
  Realign();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  TTabSheet* next = Page == FActivePage ? FindNextPage(Page, true) : FActivePage;
  FPages.erase(it);
  if (next == Page) next = nullptr;
  if (Page == FActivePage) FActivePage = nullptr;
  UpdateTabs();
  SetActivePage(next);
}

void TPageControl::MovePage(TTabSheet* Page, int Index) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  FPages.erase(it);
  Index = std::clamp(Index, 0, PageCount());
  FPages.insert(FPages.begin() + Index, Page);
  UpdateTabs();
}

int TPageControl::GetActivePageIndex() const { return FActivePage ? FActivePage->GetPageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[static_cast<size_t>(Value)] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Value) {
  if (Value && Value->FPageControl != this) return;
  if (ComponentState().Contains(csLoading)) {
    FActivePage = Value;  // shown once loaded
    return;
  }
  if (Value == FActivePage) return;
  // The focus inside the old page would be left in a hidden window.
  TCustomForm* form = GetParentForm(this);
  bool hadFocus = FActivePage && FActivePage->HandleAllocated() && GetFocus() &&
                  IsChild(FActivePage->GetHandle(), GetFocus());
  FActivePage = Value;
  ShowActivePage();
  if (hadFocus && form) {
    if (Value) Value->SelectNext(nullptr, true, true);
    else if (CanFocus()) SetFocus();
  }
}

void TPageControl::ShowActivePage() {
  if (FActivePage) {
    TRect r = DisplayRect();
    FActivePage->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    FActivePage->BringToFront();
    FActivePage->SetVisible(true);
  }
  for (TTabSheet* page : FPages)
    if (page != FActivePage) page->SetVisible(false);
  if (HandleAllocated())
    SendMessageW(GetHandle(), TCM_SETCURSEL, static_cast<WPARAM>(FActivePage ? FActivePage->TabIndex() : -1), 0);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* Current, bool GoForward) {
  int count = PageCount();
  if (count == 0) return nullptr;
  auto it = std::find(FPages.begin(), FPages.end(), Current);
  int start = it == FPages.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - FPages.begin());
  int i = start;
  do {
    i = (i + (GoForward ? 1 : count - 1)) % count;
    if (FPages[static_cast<size_t>(i)]->FTabVisible) return FPages[static_cast<size_t>(i)];
  } while (i != start);
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward) {
  TTabSheet* page = FindNextPage(FActivePage, GoForward);
  if (!page || page == FActivePage || !CanChange()) return;
  SetActivePage(page);
  Change();
}

bool TPageControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() {
  if (OnChange) OnChange(this);
}

TRect TPageControl::DisplayRect() {
  TRect client = ClientRect();
  RECT r{client.Left, client.Top, client.Right, client.Bottom};
  if (HandleAllocated()) {
    SendMessageW(GetHandle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  } else {
    r.left += 4;
    r.top += 24;
    r.right -= 4;
    r.bottom -= 4;
  }
  return Rect(r.left, r.top, std::max(r.right, r.left), std::max(r.bottom, r.top));
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect) {
  TRect r = DisplayRect();
  for (TTabSheet* page : FPages) page->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  TWinControl::AlignControls(AControl, Rect);
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated()) return;
  HWND w = GetHandle();
  SendMessageW(w, TCM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (TTabSheet* page : FPages) {
    if (!page->FTabVisible) continue;
    std::wstring text = Utf8ToWide(page->GetCaption());
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(w, TCM_INSERTITEMW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(w, TCM_SETCURSEL, static_cast<WPARAM>(FActivePage ? FActivePage->TabIndex() : -1), 0);
  Realign();
}

void TPageControl::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_TAB_CLASSES);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "SysTabControl32");
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateTabs();
  ShowActivePage();
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  if (!FActivePage && !FPages.empty()) FActivePage = FindNextPage(nullptr, true);
  ShowActivePage();
}

void TPageControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
      if (header->code == TCN_SELCHANGING) {
        Message.Result = CanChange() ? FALSE : TRUE;
        return;
      }
      if (header->code == TCN_SELCHANGE) {
        auto tab = static_cast<int>(SendMessageW(GetHandle(), TCM_GETCURSEL, 0, 0));
        for (TTabSheet* page : FPages)
          if (page->TabIndex() == tab && tab >= 0) {
            SetActivePage(page);
            Change();
            break;
          }
        return;
      }
      break;
    }
    case CM_DIALOGKEY:
      // Ctrl+Tab and Ctrl+Shift+Tab turn the pages.
      if (Message.WParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) && FActivePage &&
          IsChild(GetHandle(), GetFocus())) {
        SelectNextPage(!(GetKeyState(VK_SHIFT) & 0x8000));
        Message.Result = 1;
        return;
      }
      break;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(Message);
      Realign();
      return;
  }
  TWinControl::Dispatch(Message);
}

// ---- THotKey ----

HX_PUBLISH(THotKey, p) {
  p.Property("Align", &THotKey::GetAlign, &THotKey::SetAlign).Default(alNone);
  p.Property("Enabled", &THotKey::GetEnabled, &THotKey::SetEnabled).Default(true);
  p.Property("Hint", &THotKey::GetHint, &THotKey::SetHint).Default("");
  p.Property("HotKey", &THotKey::GetHotKey, &THotKey::SetHotKey).Default(scAlt | 'A');
  p.Property("InvalidKeys", &THotKey::GetInvalidKeys, &THotKey::SetInvalidKeys)
      .Default(THKInvalidKeys{hcNone, hcShift});
  p.Property("Modifiers", &THotKey::GetModifiers, &THotKey::SetModifiers).Default(THKModifiers{hkAlt});
  p.Property("ParentShowHint", &THotKey::GetParentShowHint, &THotKey::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &THotKey::GetPopupMenu, &THotKey::SetPopupMenu);
  p.Property("ShowHint", &THotKey::GetShowHint, &THotKey::SetShowHint).Default(false);
  p.Property("TabOrder", &THotKey::GetTabOrder, &THotKey::SetTabOrder);
  p.Property("TabStop", &THotKey::GetTabStop, &THotKey::SetTabStop).Default(true);
  p.Property("Visible", &THotKey::GetVisible, &THotKey::SetVisible).Default(true);
  p.Event("OnChange", &THotKey::OnChange);
  p.Event("OnEnter", &THotKey::OnEnter);
  p.Event("OnExit", &THotKey::OnExit);
}

namespace {

// The hotkey window's modifier bits are not the shortcut's.
TShortCut HotKeyToShortCut(LRESULT Value) {
  TShortCut result = LOBYTE(LOWORD(Value));
  BYTE flags = HIBYTE(LOWORD(Value));
  if (flags & HOTKEYF_SHIFT) result |= scShift;
  if (flags & HOTKEYF_CONTROL) result |= scCtrl;
  if (flags & HOTKEYF_ALT) result |= scAlt;
  return result;
}

WPARAM ShortCutToHotKey(TShortCut Value) {
  BYTE flags = 0;
  if (Value & scShift) flags |= HOTKEYF_SHIFT;
  if (Value & scCtrl) flags |= HOTKEYF_CONTROL;
  if (Value & scAlt) flags |= HOTKEYF_ALT;
  return MAKEWORD(LOBYTE(Value), flags);
}

}  // namespace

THotKey::THotKey(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 19);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TShortCut THotKey::GetHotKey() {
  if (HandleAllocated()) FHotKey = HotKeyToShortCut(SendMessageW(GetHandle(), HKM_GETHOTKEY, 0, 0));
  return FHotKey;
}

void THotKey::SetHotKey(TShortCut Value) {
  FHotKey = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), HKM_SETHOTKEY, ShortCutToHotKey(Value), 0);
}

void THotKey::SetInvalidKeys(THKInvalidKeys Value) {
  FInvalidKeys = Value;
  SetRules();
}

void THotKey::SetModifiers(THKModifiers Value) {
  FModifiers = Value;
  SetRules();
}

void THotKey::SetRules() {
  if (!HandleAllocated()) return;
  static const WPARAM combinations[] = {HKCOMB_NONE, HKCOMB_S,  HKCOMB_C,  HKCOMB_A,
                                        HKCOMB_SC,   HKCOMB_SA, HKCOMB_CA, HKCOMB_SCA};
  WPARAM invalid = 0;
  for (int i = hcNone; i <= hcShiftCtrlAlt; ++i)
    if (FInvalidKeys.Contains(static_cast<THKInvalidKey>(i))) invalid |= combinations[i];
  LPARAM modifiers = 0;
  if (FModifiers.Contains(hkShift)) modifiers |= HOTKEYF_SHIFT;
  if (FModifiers.Contains(hkCtrl)) modifiers |= HOTKEYF_CONTROL;
  if (FModifiers.Contains(hkAlt)) modifiers |= HOTKEYF_ALT;
  if (FModifiers.Contains(hkExt)) modifiers |= HOTKEYF_EXT;
  SendMessageW(GetHandle(), HKM_SETRULES, invalid, modifiers);
}

void THotKey::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_HOTKEY_CLASS);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "msctls_hotkey32");
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void THotKey::CreateWnd() {
  TWinControl::CreateWnd();
  SetRules();
  SendMessageW(GetHandle(), HKM_SETHOTKEY, ShortCutToHotKey(FHotKey), 0);
}

void THotKey::DestroyWnd() {
  GetHotKey();
  TWinControl::DestroyWnd();
}

void THotKey::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == EN_CHANGE) {
      FHotKey = HotKeyToShortCut(SendMessageW(GetHandle(), HKM_GETHOTKEY, 0, 0));
      if (OnChange) OnChange(this);
    }
    return;
  }
  TWinControl::Dispatch(Message);
  // The system's hotkey box does not draw itself again when enabled or disabled.
  if (Message.Msg == CM_ENABLEDCHANGED && HandleAllocated()) InvalidateRect(GetHandle(), nullptr, TRUE);
}
