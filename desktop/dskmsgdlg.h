#pragma once
// TDskMsgDlgHolder: a collection of configurable dialogs. Executing one builds a modal
// window in code (an icon, the message word-wrapped, an edit box with its caption, three
// buttons and a help button stacked at the right), returns the edit box's text and then
// tells the item's event of the button that closed it. Windows only.
#include <memory>

#include "classlib/windows/buttons.h"
#include "classlib/core/collection.h"
#include "classlib/windows/dialogs.h"
#include "classlib/windows/extctrls.h"
#include "desktop/dskdialog.h"
#include "desktop/dsksystems.h"

class TDskMsgDlg;
class TDskMsgDlgForm;

// Sender (the item), the message and the edit box's text, both of which may be changed.
using TDskMsgDlgEvent = std::function<void(TObject* Sender, String& Message, String& EditText)>;

class TDskBaseDlgButtonClass : public TPersistent {
  HX_CLASS(TDskBaseDlgButtonClass, TPersistent)
 public:
  TDskBaseDlgButtonClass();
  ~TDskBaseDlgButtonClass() override;

  int NumGlyphs = 1;
  TBitmap* GetGlyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  String Caption = "MsgBtn";
  bool Visible = true;
  bool Enabled = true;

  void Assign(TPersistent* Source) override;
  // Caption, visibility, state and glyph onto a button of the dialog.
  virtual void ApplyTo(TBitBtn* Button);

 private:
  std::unique_ptr<TBitmap> FGlyph;
};

class TDskMsgDlgButtonClass : public TDskBaseDlgButtonClass {
  HX_CLASS(TDskMsgDlgButtonClass, TDskBaseDlgButtonClass)
 public:
  // Item: whose three message buttons share one default.
  explicit TDskMsgDlgButtonClass(TDskMsgDlg* Item = nullptr) : FItem(Item) {}

  TModalResult ModalResult = mrNone;
  bool GetDefault() const { return FDefault; }
  // True clears Default of the item's other message buttons first.
  void SetDefault(bool Value);

  void Assign(TPersistent* Source) override;
  void ApplyTo(TBitBtn* Button) override;

 private:
  TDskMsgDlg* FItem;
  bool FDefault = false;
};

class TDskDlgHelpButtonClass : public TDskBaseDlgButtonClass {
  HX_CLASS(TDskDlgHelpButtonClass, TDskBaseDlgButtonClass)
 public:
  int HelpContext = 0;
  void Assign(TPersistent* Source) override;
};

class TDskDlgEditClass : public TPersistent {
  HX_CLASS(TDskDlgEditClass, TPersistent)
 public:
  char PasswordChar = '\0';
  int MaxLength = 0;
  String Text;
  String Caption = "Label";
  TColor Color = clWindow;
  TEditCharCase CharCase = ecNormal;
  TColor FontColor = clWindowText;
  void Assign(TPersistent* Source) override;
};

class TDskMsgDlg : public TCollectionItem {
  HX_CLASS(TDskMsgDlg, TCollectionItem)
 public:
  explicit TDskMsgDlg(TCollection* Collection);
  ~TDskMsgDlg() override;

  String Message;
  String Caption = "My Caption";
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TMsgDlgType MsgType = mtInformation;
  TIcon* GetCustomIcon() const { return FCustomIcon.get(); }
  void SetCustomIcon(TIcon* Value) { FCustomIcon->Assign(Value); }
  TDskBeeptype Sound = bNone;
  int Buttonwidth = 80;
  int GetFormWidth() const { return FFormWidth; }
  // Widths below 320 are ignored.
  void SetFormWidth(int Value);
  TDskMsgDlgButtonClass* GetMsgButton1() const { return FButtons[0].get(); }
  void SetMsgButton1(TDskMsgDlgButtonClass* Value) { FButtons[0]->Assign(Value); }
  TDskMsgDlgButtonClass* GetMsgButton2() const { return FButtons[1].get(); }
  void SetMsgButton2(TDskMsgDlgButtonClass* Value) { FButtons[1]->Assign(Value); }
  TDskMsgDlgButtonClass* GetMsgButton3() const { return FButtons[2].get(); }
  void SetMsgButton3(TDskMsgDlgButtonClass* Value) { FButtons[2]->Assign(Value); }
  TDskMsgDlgButtonClass* MsgButton(int Index) const { return FButtons[Index].get(); }
  TDskDlgHelpButtonClass* GetHelpButton() const { return FHelpButton.get(); }
  void SetHelpButton(TDskDlgHelpButtonClass* Value) { FHelpButton->Assign(Value); }
  TDskDlgEditClass* GetEditbox() const { return FEditbox.get(); }
  void SetEditbox(TDskDlgEditClass* Value) { FEditbox->Assign(Value); }
  // The edit box's text when the dialog last closed.
  const String& ResultText() const { return FResultText; }

  // Shows the dialog modally; returns the edit box's text (also when it was cancelled),
  // then fires the event of the modal result.
  String Execute();

  String GetDisplayName() override;  // the message, or "No message defined"
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnBtn1Click, OnBtn2Click, OnBtn3Click, OnHelpClick;
  TNotifyEvent OnmrNone, OnmrOk, OnmrCancel, OnmrAbort, OnmrRetry, OnmrIgnore, OnmrYes, OnmrNo, OnmrAll,
      OnmrNoToAll, OnmrYesToAll;
  TDskMsgDlgEvent BeforePopup;

 private:
  friend class TDskMsgDlgForm;
  void FireResult(TModalResult Result);

  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TIcon> FCustomIcon;
  int FFormWidth = 320;
  std::unique_ptr<TDskMsgDlgButtonClass> FButtons[3];
  std::unique_ptr<TDskDlgHelpButtonClass> FHelpButton;
  std::unique_ptr<TDskDlgEditClass> FEditbox;
  String FResultText;
};

class TDskMsgDlgHolder;

class TDskMsgDlgs : public TCollection {
  HX_CLASS(TDskMsgDlgs, TCollection)
 public:
  explicit TDskMsgDlgs(TDskMsgDlgHolder* Holder);
  TDskMsgDlg* Items(int Index) const { return static_cast<TDskMsgDlg*>(GetItem(Index)); }
  TDskMsgDlgHolder* Holder() const { return FHolder; }

 private:
  TDskMsgDlgHolder* FHolder;
};

class TDskMsgDlgHolder : public TDskSystemsComponent {
  HX_CLASS(TDskMsgDlgHolder, TDskSystemsComponent)
 public:
  explicit TDskMsgDlgHolder(TComponent* AOwner);
  ~TDskMsgDlgHolder() override;

  TDskMsgDlgs* GetMessages() const { return FMessages; }
  void SetMessages(TDskMsgDlgs* Value) { FMessages->Assign(Value); }
  TDskMsgDlg* Items(int Index) const { return FMessages->Items(Index); }

  TDskMsgDlgEvent BeforePopup;

 private:
  TDskMsgDlgs* FMessages;
};

// The dialog's layout, L being the height of "W" in the item's font plus 10.
// The client height for a message text of TextHeight pixels: 2L + text + 30 when the text
// is at least 3L high, else 6L.
int DskMsgDlgClientHeight(int L, int TextHeight);
// The top of button Index (0..2 the message buttons, 3 the help button).
int DskMsgDlgButtonTop(int L, int Index);
// The edit box's top, above the bottom by 8, below the text's kept rectangle.
int DskMsgDlgEditTop(int ClientHeight, int EditHeight, int TextRectTop);

// The window Execute shows; it exists only while the dialog is open.
class TDskMsgDlgForm : public TForm {
  HX_CLASS(TDskMsgDlgForm, TForm)
 public:
  // Builds the window for Item showing Message with EditText in the edit box.
  TDskMsgDlgForm(TComponent* AOwner, TDskMsgDlg* Item, const String& Message, const String& EditText);
  ~TDskMsgDlgForm() override;

  TEdit* Edit() const { return FEdit; }
  TBitBtn* Button(int Index) const { return FButtons[Index]; }
  TLabel* EditLabel() const { return FLabel; }
  TImage* Image() const { return FImage; }
  TBevel* Bevel() const { return FBevel; }
  // The message's rectangle grown by 5 (its right at the buttons).
  TRect TextRect() const { return FTextRect; }
  // L of the layout.
  int LineHeight() const { return FLineHeight; }

 private:
  // Measures the message in the item's font and sets the client height and the kept
  // rectangle; then places the controls.
  void Layout();
  void PlaceControls();
  // Draws the message; never resizes.
  void PaintMessage(TObject* Sender);
  // The message rectangle before measuring.
  TRect MessageRect();
  bool HasIcon() const;

  TDskMsgDlg* FItem;
  String FMessage;
  TRect FTextRect;
  int FLineHeight = 0;
  TBitBtn* FButtons[4] = {};
  TImage* FImage = nullptr;
  TEdit* FEdit = nullptr;
  TLabel* FLabel = nullptr;
  TBevel* FBevel = nullptr;
};
