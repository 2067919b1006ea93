#pragma once
// Standard controls over the Win32 controls: the push button, the label (windowless), the
// one-line edit and the memo, the check box and the radio button, the group box, the combo
// box and the list box. Windows only.
#include <memory>
#include <vector>

#include "classlib/windows/controls.h"
#include "classlib/core/stringlist.h"

HX_ENUM(TTextLayout, tlTop, tlCenter, tlBottom);
HX_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed);
HX_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable);
HX_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable);
HX_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase);
HX_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth);
HX_ENUM(TOwnerDrawStateFlag, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
        odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit);
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;
// Owner-drawn items: draw item Index in Rect of Control's canvas; say an item's height.
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

class TButton : public TWinControl {
  HX_CLASS(TButton, TWinControl)
 public:
  explicit TButton(TComponent* AOwner);

  // Enter presses the default button, Escape the cancel button of a form.
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool Value);
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Set on the form when the button is clicked (a modal form then closes with it).
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
};

class TLabel : public TGraphicControl {
  HX_CLASS(TLabel, TGraphicControl)
 public:
  explicit TLabel(TComponent* AOwner);

  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // A transparent label shows what is under it where it has no text.
  bool GetTransparent() const { return !GetControlStyle().Contains(csOpaque); }
  void SetTransparent(bool Value);
  // '&' marks the next character as an accelerator (underlined) unless off.
  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // Where the text stands between the top and the bottom.
  TTextLayout GetLayout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  // The control its accelerator ('&' letter, with Alt) gives the focus to.
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);

 protected:
  void Paint() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  UINT TextFlags() const;

  TAlignment FAlignment = taLeftJustify;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TTextLayout FLayout = tlTop;
  TWinControl* FFocusControl = nullptr;
};

// The one-line edit. OnChange fires when the text really changed, typed or set in code
// (not while the form is read).
class TCustomEdit : public TWinControl {
  HX_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);

  // 0: no limit.
  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Shown in place of every character (a password); '\0' shows the text.
  char GetPasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  // Typed letters are kept as they come, or turned upper or lower case (the window's style).
  TEditCharCase GetCharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  // bsSingle: a sunken edge; bsNone: none.
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // The whole text is selected when the edit gets the focus from the keyboard.
  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  // The selection, in characters.
  int GetSelStart();
  void SetSelStart(int Value);
  int GetSelLength();
  void SetSelLength(int Value);
  String GetSelText();
  void SelectAll();
  void Clear() { SetText(""); }
  // The user changed the text since it was set (the window's own flag).
  bool GetModified();
  void SetModified(bool Value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void DoEnter() override;
  virtual void Change();
  // Fires Change when the text differs from the one last seen.
  void TextMaybeChanged();
  void Loaded() override;

 private:
  void GetSel(int& Start, int& End);
  int FMaxLength = 0;
  TBorderStyle FBorderStyle = bsSingle;
  bool FReadOnly = false;
  char FPasswordChar = '\0';
  TEditCharCase FCharCase = ecNormal;
  bool FAutoSelect = true;
  bool FModified = false;  // kept while there is no window
  String FLastText;
};

class TEdit : public TCustomEdit {
  HX_CLASS(TEdit, TCustomEdit)
 public:
  using TCustomEdit::TCustomEdit;
};

namespace classlib::detail {
class TMemoLines;
}

// A multi-line edit. Lines is the text as lines (split at its line breaks: a line that
// word wrap shows on several rows stays one line), read from and written to the text.
class TCustomMemo : public TCustomEdit {
  HX_CLASS(TCustomMemo, TCustomEdit)
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TStrings* GetLines() const;
  void SetLines(TStrings* Value);
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // Enter makes a new line; when off it goes to the form (its default button).
  bool GetWantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  // Tab goes into the text; when off it moves the focus.
  bool GetWantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void KeyPress(wchar_t& Key) override;

 private:
  std::unique_ptr<classlib::detail::TMemoLines> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  TAlignment FAlignment = taLeftJustify;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
  HX_CLASS(TMemo, TCustomMemo)
 public:
  using TCustomMemo::TCustomMemo;
};

// A check box. Setting Checked or State from code fires OnClick when the state changes
// (not while the form is read); a click toggles it (through grayed with AllowGrayed).
class TCustomCheckBox : public TWinControl {
  HX_CLASS(TCustomCheckBox, TWinControl)
 public:
  explicit TCustomCheckBox(TComponent* AOwner);

  TCheckBoxState GetState() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool GetChecked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  // The side of the box the caption stands on: taRightJustify (the default) puts it right.
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  // The next state of a click.
  virtual void Toggle();

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  HX_CLASS(TCheckBox, TCustomCheckBox)
 public:
  using TCustomCheckBox::TCustomCheckBox;
};

// A radio button. Checking it unchecks the other radio buttons of its parent and fires
// OnClick, clicked or set in code (not while the form is read); only the checked one is a
// tab stop.
class TRadioButton : public TWinControl {
  HX_CLASS(TRadioButton, TWinControl)
 public:
  explicit TRadioButton(TComponent* AOwner);

  bool GetChecked() const { return FChecked; }
  void SetChecked(bool Value);
  // The side of the button the caption stands on: taRightJustify (the default) puts it right.
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  bool FChecked = false;
  TAlignment FAlignment = taRightJustify;
};

// A frame with a caption around other controls. Its accelerator focuses the first of them.
class TCustomGroupBox : public TCustomControl {
  HX_CLASS(TCustomGroupBox, TCustomControl)
 public:
  explicit TCustomGroupBox(TComponent* AOwner);

 protected:
  void Paint() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;
  // The height of the caption's line.
  int CaptionHeight();
};

class TGroupBox : public TCustomGroupBox {
  HX_CLASS(TGroupBox, TCustomGroupBox)
 public:
  using TCustomGroupBox::TCustomGroupBox;
};

namespace classlib::detail {
class TListControlItems;
}

// What the combo box and the list box share. Their items live in the control (their order,
// sorting and objects) and are mirrored into the window; without a window the control
// keeps the selection following them. Owner-drawn items are drawn on Canvas.
class TCustomListControl : public TWinControl {
  HX_CLASS(TCustomListControl, TWinControl)
 public:
  ~TCustomListControl() override;

  TStrings* GetItems() const;
  void SetItems(TStrings* Value);
  bool GetSorted() const;
  // The canvas of owner drawing (valid inside OnDrawItem).
  TCanvas* Canvas() const { return FCanvas.get(); }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  // The window's messages that insert an item, delete one and empty the list.
  TCustomListControl(TComponent* AOwner, UINT InsertMessage, UINT DeleteMessage, UINT ResetMessage);
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  // Owner drawing: the default fills the rectangle and writes the item's text.
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  // Answers CN_MEASUREITEM: Height, or what MeasureItem makes of it when items vary.
  void MeasureItemMessage(TMessage& Message, int Height, bool Variable);
  // Sorts the items (Value) or lets new ones come where they are put; returns where the
  // item at Index went (-1 for -1).
  int SortItems(bool Value, int Index);
  // Without a window: an item came (+1) or went (-1) at Index; the list was cleared or
  // reordered. ItemIndex follows.
  virtual void ItemsShifted(int Index, int Delta);
  virtual void ItemsChanged();

  std::unique_ptr<classlib::detail::TListControlItems> FItems;
  int FItemIndex = -1;  // kept while there is no window

 private:
  std::unique_ptr<TCanvas> FCanvas;
};

// A combo box. OnChange fires only when the user picks an item or edits the text, never
// for changes made in code. An ItemIndex outside the list selects nothing, and the text of
// a list style is then empty.
class TCustomComboBox : public TCustomListControl {
  HX_CLASS(TCustomComboBox, TCustomListControl)
 public:
  explicit TCustomComboBox(TComponent* AOwner);

  TComboBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  int GetItemIndex();
  void SetItemIndex(int Value);
  void SetSorted(bool Value);
  // How many items the open list shows.
  int GetDropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value);
  // The height of an owner-drawn item; 0 takes the font's.
  int GetItemHeight() const;
  void SetItemHeight(int Value);
  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool GetDroppedDown();
  void SetDroppedDown(bool Value);
  String GetText() override;
  void Clear();

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void SetTextValue(const String& Value) override;
  virtual void Change();
  bool IsListStyle() const { return FStyle != csDropDown && FStyle != csSimple; }

 private:
  int ListHeight() const;
  int FontItemHeight() const;

  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  int FItemHeight = 0;
  int FMaxLength = 0;
  bool FSettingText = false;
};

class TComboBox : public TCustomComboBox {
  HX_CLASS(TComboBox, TCustomComboBox)
 public:
  using TCustomComboBox::TCustomComboBox;
};

// A list box. OnClick fires when the user changes the selection, never for changes made in
// code.
class TCustomListBox : public TCustomListControl {
  HX_CLASS(TCustomListBox, TCustomListControl)
 public:
  explicit TCustomListBox(TComponent* AOwner);

  // The selected item; with MultiSelect the one with the focus rectangle. -1: none.
  int GetItemIndex();
  void SetItemIndex(int Value);
  bool GetMultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  // With MultiSelect: Shift and Ctrl extend the selection (else a click toggles an item).
  bool GetExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  bool GetSelected(int Index);  // EListError when out of range
  void SetSelected(int Index, bool Value);
  int SelCount();
  void SetSorted(bool Value);
  TListBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  // The height of an item: the font's, or ItemHeight for owner-drawn styles.
  int GetItemHeight();
  void SetItemHeight(int Value);
  // The height shows whole items only.
  bool GetIntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // The first item shown.
  int GetTopIndex();
  void SetTopIndex(int Value);
  // The item at a client point; -1 outside them (Existing) or the nearest one.
  int ItemAtPos(TPoint Pos, bool Existing);
  TRect ItemRect(int Index);
  void Clear();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void ItemsShifted(int Index, int Delta) override;
  void ItemsChanged() override;

 private:
  TListBoxStyle FStyle = lbStandard;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  bool FIntegralHeight = false;
  TBorderStyle FBorderStyle = bsSingle;
  int FItemHeight = 16;
  std::vector<bool> FSelection;  // with MultiSelect, kept while there is no window
  int FTopIndex = 0;
};

class TListBox : public TCustomListBox {
  HX_CLASS(TListBox, TCustomListBox)
 public:
  using TCustomListBox::TCustomListBox;
};
