#pragma once
// Menus: items in a tree (TMenuItem), the popup menu that opens at a point or on a control's
// right click, and shortcuts (a virtual key with Shift, Ctrl and Alt). Items are components
// of the form and stream as the children of their menu or parent item; their captions take
// '&' before the accelerator letter, and "-" makes a separator line. The menu's window
// menu (Handle) is built from the items when asked for and again after any change. Windows
// only.
#include <memory>
#include <vector>

#include "classlib/windows/controls.h"

// A virtual key in the low byte with these bits: scShift, scCtrl, scAlt.
using TShortCut = WORD;
constexpr TShortCut scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// "Ctrl+Alt+F5", "Shift+Del", "Ctrl+A"; "" for none or a key without a name.
String ShortCutToText(TShortCut ShortCut);
// The reverse, without regard to case; 0 when the text names no shortcut.
TShortCut TextToShortCut(const String& Text);

class TMenu;

class TMenuItem : public TComponent {
  HX_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* AOwner);
  // Takes the item out of its parent and frees its own items.
  ~TMenuItem() override;

  String GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool GetChecked() const { return FChecked; }
  // Checking a radio item unchecks the others of its group under the same parent.
  void SetChecked(bool Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  // Shown in bold; Enter on the menu chooses it.
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool Value);
  bool GetRadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }
  String GetHint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  // A separator line.
  bool IsLine() const { return FCaption == "-"; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;  // EListError when out of range
  TMenuItem* operator[](int Index) const { return Items(Index); }
  void Insert(int Index, TMenuItem* Item);  // EMenuError when the item has a parent
  void Add(TMenuItem* Item) { Insert(Count(), Item); }
  // Takes the item out without freeing it.
  void Remove(TMenuItem* Item);
  // Frees the item at Index.
  void Delete(int Index);
  void Clear();
  int IndexOf(TMenuItem* Item) const;
  // The item whose caption, without '&', is Caption (without regard to case); nullptr when none.
  TMenuItem* Find(const String& Caption) const;
  TMenuItem* Parent() const { return FParent; }
  int GetMenuIndex() const;
  void SetMenuIndex(int Value);
  // The command number of this item in its window menu.
  UINT Command() const { return FCommand; }
  // The menu the item is in (through its parents); nullptr when none.
  TMenu* GetParentMenu() const;

  // Fires OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

 protected:
  friend class TMenu;
  void ReadState(TReader* Reader) override;
  // Something shown changed: the menu builds its window menu again.
  void Changed();

 private:
  void AppendTo(HMENU Menu) const;
  void UncheckGroup();

  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  int FGroupIndex = 0;
  TShortCut FShortCut = 0;
  int FImageIndex = -1;
  String FHint;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item of a menu
  UINT FCommand;
};

HX_DECLARE_EXCEPTION(EMenuError, Exception);

class TMenu : public TComponent {
  HX_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root of the items (itself not streamed).
  TMenuItem* Items() const { return FItems.get(); }
  // The window menu of the items, built now when they changed since.
  HMENU GetHandle();
  // The item of a command number; nullptr when none.
  TMenuItem* FindItem(UINT Command) const;
  // Clicks the item of a command number; false when there is none (or it is disabled).
  bool DispatchCommand(UINT Command);
  // Clicks the item (searched through the sub-items) whose ShortCut is ShortCut, when it
  // and its parents are enabled and visible; true when one was clicked.
  bool IsShortCut(TShortCut ShortCut);

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

 protected:
  friend class TMenuItem;
  virtual HMENU CreateMenuHandle() = 0;
  void MenuChanged();
  void DestroyMenuHandle();
  bool FTracking = false;  // the window menu is open: changes wait until it closes

 private:
  std::unique_ptr<TMenuItem> FItems;
  HMENU FHandle = nullptr;
  bool FChanged = false;
};

class TPopupMenu : public TMenu, public TPopupMenuHook {
  HX_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* AOwner);

  // Fires OnPopup, opens the menu with its top-left corner at a screen point and waits until
  // it closes; then the chosen item's OnClick fires.
  virtual void Popup(int X, int Y);
  // A right click opens the menu (of controls whose PopupMenu it is) when AutoPopup is on.
  bool GetAutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  // The control that opened the menu by a right click.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
  bool PopupFor(TControl* Control, TPoint ScreenPos) override;
  // Right to left (bdRightToLeft): the menu opens mirrored, extending left of the point.
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value) { FBiDiMode = Value; }

  TNotifyEvent OnPopup;

 protected:
  HMENU CreateMenuHandle() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
  TBiDiMode FBiDiMode = bdLeftToRight;
};
