#include "classlib/windows/menus.h"

#include <algorithm>

#include "classlib/windows/application.h"
#include "classlib/core/filer.h"
#include "classlib/core/lists.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TMenuItem, p) {
  p.Property("Caption", &TMenuItem::GetCaption, &TMenuItem::SetCaption).Default("");
  p.Property("Checked", &TMenuItem::GetChecked, &TMenuItem::SetChecked).Default(false);
  p.Property("Default", &TMenuItem::GetDefault, &TMenuItem::SetDefault).Default(false);
  p.Property("Enabled", &TMenuItem::GetEnabled, &TMenuItem::SetEnabled).Default(true);
  p.Property("GroupIndex", &TMenuItem::GetGroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  p.Property("Hint", &TMenuItem::GetHint, &TMenuItem::SetHint).Default("");
  p.Property("ImageIndex", &TMenuItem::GetImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  p.Property("RadioItem", &TMenuItem::GetRadioItem, &TMenuItem::SetRadioItem).Default(false);
  p.Property("ShortCut", &TMenuItem::GetShortCut, &TMenuItem::SetShortCut).Default(0);
  p.Property("Visible", &TMenuItem::GetVisible, &TMenuItem::SetVisible).Default(true);
  p.Event("OnClick", &TMenuItem::OnClick);
}
HX_PUBLISH(TMenu, p) {}
HX_PUBLISH(TPopupMenu, p) {
  p.Property("AutoPopup", &TPopupMenu::GetAutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  p.Event("OnPopup", &TPopupMenu::OnPopup);
}

// ---- Shortcuts ----

namespace {

String KeyName(WORD Key) {
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return String(1, static_cast<char>(Key));
  if (Key >= VK_F1 && Key <= VK_F24) return "F" + IntToStr(Key - VK_F1 + 1);
  if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return "Num " + IntToStr(Key - VK_NUMPAD0);
  switch (Key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    case VK_MULTIPLY: return "Num *";
    case VK_ADD: return "Num +";
    case VK_SUBTRACT: return "Num -";
    case VK_DECIMAL: return "Num Del";
    case VK_DIVIDE: return "Num /";
    case VK_PAUSE: return "Pause";
    case VK_SNAPSHOT: return "PrtScr";
    default: return "";
  }
}

// A caption as compared: without its accelerator marks.
String StripHotkey(const String& Caption) {
  String out;
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&') {
      if (i + 1 >= Caption.size() || Caption[i + 1] != '&') continue;
      ++i;  // "&&" stands for one '&'
    }
    out += Caption[i];
  }
  return out;
}

UINT NextCommand() {
  static UINT next = 100;
  UINT command = next++;
  if (next > 0xEFFF) next = 100;
  return command;
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift) {
  Key = ShortCut & 0xFF;
  Shift = {};
  if (ShortCut & scShift) Shift.Include(ssShift);
  if (ShortCut & scCtrl) Shift.Include(ssCtrl);
  if (ShortCut & scAlt) Shift.Include(ssAlt);
}

String ShortCutToText(TShortCut ShortCut) {
  String name = KeyName(ShortCut & 0xFF);
  if (name.empty()) return "";
  String prefix;
  if (ShortCut & scShift) prefix += "Shift+";
  if (ShortCut & scCtrl) prefix += "Ctrl+";
  if (ShortCut & scAlt) prefix += "Alt+";
  return prefix + name;
}

TShortCut TextToShortCut(const String& Text) {
  String rest = Text;
  TShortCut modifiers = 0;
  for (bool found = true; found;) {
    found = false;
    for (auto [name, bit] : {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
      size_t n = std::char_traits<char>::length(name);
      if (rest.size() > n && SameText(rest.substr(0, n), name)) {
        modifiers |= bit;
        rest.erase(0, n);
        found = true;
      }
    }
  }
  for (WORD key = 1; key < 256; ++key)
    if (String name = KeyName(key); !name.empty() && SameText(name, rest)) return static_cast<TShortCut>(key | modifiers);
  return scNone;
}

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(NextCommand()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  while (!FItems.empty()) delete FItems.back();
  if (FParent) FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError("Menu inserted twice");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
  Changed();
}

void TMenuItem::Delete(int Index) { delete Items(Index); }

void TMenuItem::Clear() {
  while (!FItems.empty()) delete FItems.back();
}

int TMenuItem::IndexOf(TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const String& Caption) const {
  String wanted = StripHotkey(Caption);
  for (TMenuItem* item : FItems)
    if (AnsiSameText(StripHotkey(item->FCaption), wanted)) return item;
  return nullptr;
}

int TMenuItem::GetMenuIndex() const { return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
  if (!FParent) return;
  TMenuItem* parent = FParent;
  Value = std::clamp(Value, 0, parent->Count() - 1);
  if (Value == GetMenuIndex()) return;
  parent->Remove(this);
  parent->Insert(Value, this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent) item = item->FParent;
  return item->FMenu;
}

void TMenuItem::Changed() {
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

void TMenuItem::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TMenuItem::UncheckGroup() {
  if (!FParent) return;
  for (TMenuItem* item : FParent->FItems)
    if (item != this && item->FRadioItem && item->FGroupIndex == FGroupIndex && item->FChecked) {
      item->FChecked = false;
    }
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (Value && FRadioItem) UncheckGroup();
  Changed();
}

void TMenuItem::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

void TMenuItem::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  Changed();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == FRadioItem) return;
  FRadioItem = Value;
  if (Value && FChecked) UncheckGroup();
  Changed();
}

void TMenuItem::SetGroupIndex(int Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FRadioItem && FChecked) UncheckGroup();
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  FShortCut = Value;
  Changed();
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(Value)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(Value)) item->Add(this);
}

void TMenuItem::ReadState(TReader* Reader) {
  if (Reader->Parent() && Reader->Parent() != GetParentComponent()) SetParentComponent(Reader->Parent());
  TComponent::ReadState(Reader);
}

void TMenuItem::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TMenuItem* item : std::vector<TMenuItem*>(FItems))
    if (item->Owner() == Root) Proc(item);
}

void TMenuItem::SetChildOrder(TComponent* Child, int Order) {
  if (auto* item = dynamic_cast<TMenuItem*>(Child); item && item->FParent == this) item->SetMenuIndex(Order);
}

void TMenuItem::AppendTo(HMENU Menu) const {
  std::wstring text = Utf8ToWide(FCaption);
  if (FShortCut && !IsLine()) {
    String shortcut = ShortCutToText(FShortCut);
    if (!shortcut.empty()) text += L"\t" + Utf8ToWide(shortcut);
  }
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
  mii.fType = IsLine() ? MFT_SEPARATOR : (FRadioItem ? MFT_RADIOCHECK : MFT_STRING);
  mii.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_GRAYED) | (FDefault ? MFS_DEFAULT : 0);
  mii.wID = FCommand;
  mii.dwTypeData = text.data();
  bool hasItems = std::any_of(FItems.begin(), FItems.end(), [](TMenuItem* i) { return i->FVisible; });
  if (hasItems && !IsLine()) {
    HMENU sub = CreatePopupMenu();
    for (TMenuItem* item : FItems)
      if (item->FVisible) item->AppendTo(sub);
    mii.fMask |= MIIM_SUBMENU;
    mii.hSubMenu = sub;
  }
  InsertMenuItemW(Menu, static_cast<UINT>(GetMenuItemCount(Menu)), TRUE, &mii);
}

// ---- TMenu ----

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  FItems.reset();  // frees the items still in the tree
  DestroyMenuHandle();
}

void TMenu::DestroyMenuHandle() {
  if (FHandle) DestroyMenu(FHandle);
  FHandle = nullptr;
}

void TMenu::MenuChanged() {
  FChanged = true;
  if (!FTracking) DestroyMenuHandle();
}

HMENU TMenu::GetHandle() {
  if (FHandle && FChanged && !FTracking) DestroyMenuHandle();
  if (!FHandle) {
    FHandle = CreateMenuHandle();
    for (int i = 0; i < FItems->Count(); ++i)
      if (FItems->Items(i)->GetVisible()) FItems->Items(i)->AppendTo(FHandle);
    FChanged = false;
  }
  return FHandle;
}

TMenuItem* TMenu::FindItem(UINT Command) const {
  std::vector<TMenuItem*> stack{FItems.get()};
  while (!stack.empty()) {
    TMenuItem* item = stack.back();
    stack.pop_back();
    if (item != FItems.get() && item->Command() == Command) return item;
    for (int i = 0; i < item->Count(); ++i) stack.push_back(item->Items(i));
  }
  return nullptr;
}

bool TMenu::DispatchCommand(UINT Command) {
  TMenuItem* item = FindItem(Command);
  if (!item || !item->GetEnabled()) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TShortCut ShortCut) {
  if (ShortCut == scNone) return false;
  std::function<TMenuItem*(TMenuItem*)> find = [&](TMenuItem* parent) -> TMenuItem* {
    for (int i = 0; i < parent->Count(); ++i) {
      TMenuItem* item = parent->Items(i);
      if (!item->GetEnabled() || !item->GetVisible()) continue;
      if (item->GetShortCut() == ShortCut) return item;
      if (TMenuItem* found = find(item)) return found;
    }
    return nullptr;
  };
  TMenuItem* item = find(FItems.get());
  if (!item) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(TGetChildProc Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

void TMenu::SetChildOrder(TComponent* Child, int Order) { FItems->SetChildOrder(Child, Order); }

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

HMENU TPopupMenu::CreateMenuHandle() { return CreatePopupMenu(); }

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  HMENU menu = GetHandle();
  // The application's window owns the menu; the chosen command comes back here.
  FTracking = true;
  const UINT align = FBiDiMode == bdRightToLeft ? TPM_RIGHTALIGN | TPM_LAYOUTRTL : TPM_LEFTALIGN;
  UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | align | TPM_TOPALIGN, X, Y, 0,
                                Application->Handle(), nullptr);
  FTracking = false;
  if (command) DispatchCommand(command);
}

bool TPopupMenu::PopupFor(TControl* Control, TPoint ScreenPos) {
  if (!FAutoPopup) return false;
  if (Control != FPopupComponent) {
    FPopupComponent = Control;
    if (Control) Control->FreeNotification(this);
  }
  Popup(ScreenPos.X, ScreenPos.Y);
  return true;
}
