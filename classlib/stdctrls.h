#pragma once
// Standard controls over the Win32 controls: the push button, the label (windowless), the
// one-line edit, the check box and the combo box. Windows only.
#include <memory>
#include <vector>

#include "classlib/controls.h"
#include "classlib/stringlist.h"

HX_ENUM(TTextLayout, tlTop, tlCenter, tlBottom);
HX_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed);
HX_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable);
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
  bool FReadOnly = false;
  char FPasswordChar = '\0';
  bool FAutoSelect = true;
  bool FModified = false;  // kept while there is no window
  String FLastText;
};

class TEdit : public TCustomEdit {
  HX_CLASS(TEdit, TCustomEdit)
 public:
  using TCustomEdit::TCustomEdit;
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

namespace classlib::detail {
class TListControlItems;
}

// A combo box. The items live in the control (their order, sorting and objects) and are
// mirrored into the window. OnChange fires only when the user picks an item or edits the
// text, never for changes made in code. An ItemIndex outside the list selects nothing, and
// the text of a list style is then empty.
class TCustomComboBox : public TWinControl {
  HX_CLASS(TCustomComboBox, TWinControl)
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TComboBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  TStrings* GetItems() const;
  void SetItems(TStrings* Value);
  int GetItemIndex();
  void SetItemIndex(int Value);
  bool GetSorted() const;
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
  // The canvas of owner drawing (valid inside OnDrawItem).
  TCanvas* Canvas() const { return FCanvas.get(); }

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  friend class classlib::detail::TListControlItems;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void SetTextValue(const String& Value) override;
  virtual void Change();
  // Owner drawing: the default fills the rectangle and writes the item's text.
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  bool IsListStyle() const { return FStyle != csDropDown && FStyle != csSimple; }

 private:
  int ListHeight() const;
  int FontItemHeight() const;
  void ItemsChanged();  // the list was cleared or reordered: the selection follows

  std::unique_ptr<classlib::detail::TListControlItems> FItems;
  std::unique_ptr<TCanvas> FCanvas;
  TComboBoxStyle FStyle = csDropDown;
  int FItemIndex = -1;  // kept while there is no window
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
