#pragma once
// The calculator dialog: TGxCalculator (a component) shows a modal four-function
// calculator with memory and returns the number on the display when the user presses OK.
// The dialog (TGxCalculatorForm, built in code) holds a display and a TCalculatorPanel,
// whose keys (TCalcButton, speed buttons) and keyboard drive the calculator's engine
// (gridcal/calcengine.h). The panel also has a smaller pop-up layout without the function,
// memory and OK/Cancel keys. Windows only.
//
// Typed keys go through the panel's CalcKey: a key with a button presses it visibly, the
// rest go to the engine. Escape clears (it does not close the dialog) and Enter is '='.
// Numbers are written with the user's locale's decimal separator (unless other format
// settings are given), and both '.' and ',' typed enter it.
// The key glyphs come from the bitmap resource "CALCBTNS" (six cells: Cancel, OK, ±, ×,
// −, +); without it the keys show their captions.
#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/menus.h"
#include "classlib/windows/stdctrls.h"
#include "gridcal/calcengine.h"
#include "gridcal/speedbutton.h"

enum TCalcPanelLayout { cpDialog, cpPopup };

// A calculator key: its kind 1..28 (1..10 the digits 0..9, 11 ±, 12 the separator, 13 /,
// 14 *, 15 -, 16 +, 17 sqrt, 18 %, 19 1/x, 20 =, 21 backspace, 22 C, 23 MP, 24 MS, 25 MR,
// 26 MC, 27 OK, 28 Cancel). Tag is the kind - 1 for the keys 1..22 (the position of the
// key it sends in the engine's key string), -1 for the others.
class TCalcButton : public TGxSpeedButton {
  HX_CLASS(TCalcButton, TGxSpeedButton)
 public:
  TCalcButton(TComponent* AOwner, int Kind);
  int Kind() const { return FKind; }
  // The key it sends to the engine (0 for the memory and dialog keys).
  char Key() const { return FKey; }

 protected:
  // The kind's colour, whatever the (parent's) font says.
  TColor CaptionColor() const override { return FColor; }

 private:
  int FKind;
  char FKey = 0;
  TColor FColor = clBtnText;
};

using TCalcPanelKeyEvent = TCalcKeyEvent;

class TCalculatorPanel : public TPanel {
  HX_CLASS(TCalculatorPanel, TPanel)
 public:
  TCalculatorPanel(TComponent* AOwner, TCalcPanelLayout Layout,
                   const TFormatSettings& Settings = LocaleFormatSettings());

  TCalcEngine& Engine() { return FEngine; }
  TCalcPanelLayout Layout() const { return FLayout; }
  // The control whose caption shows the display text.
  TControl* GetDisplayControl() const { return FDisplayControl; }
  void SetDisplayControl(TControl* Value);
  // A typed key: the button that sends it is pressed visibly, or the engine takes it.
  void CalcKey(char Key);
  // The button of a key (see TCalcEngine::KeyIndex); nullptr when none.
  TCalcButton* FindButton(char Key);
  TCalcButton* ButtonOfKind(int Kind);
  void Copy() { FEngine.Copy(); }
  void Paste() { FEngine.Paste(); }
  // "M" while the memory is not 0.
  void UpdateMemoryLabel();
  TLabel* MemoryLabel() const { return FMemoryLabel; }
  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);

  TNotifyEvent OnOkClick;
  TNotifyEvent OnCancelClick;

 private:
  void ButtonClicked(TObject* Sender);

  TCalcEngine FEngine;
  TCalcPanelLayout FLayout;
  TControl* FDisplayControl = nullptr;
  TPanel* FMemoryPanel = nullptr;
  TLabel* FMemoryLabel = nullptr;
  bool FCtl3D = true;
};

class TGxCalculator;

class TGxCalculatorForm : public TForm {
  HX_CLASS(TGxCalculatorForm, TForm)
 public:
  TGxCalculatorForm(TComponent* AOwner, int HelpContext = 0,
                    const TFormatSettings& Settings = LocaleFormatSettings());

  TCalculatorPanel* CalcPanel() const { return FCalcPanel; }
  TLabel* Display() const { return FDisplay; }
  TPopupMenu* Menu() const { return FMenu; }
  TPanel* MainPanel() const { return FMainPanel; }
  void SetCtl3D(bool Value);

 private:
  void FormKeyPress(TObject* Sender, wchar_t& Key);
  void MenuPopup(TObject* Sender);

  TPanel* FMainPanel;
  TPanel* FDisplayPanel;
  TPanel* FDisplayInner;
  TLabel* FDisplay;
  TPopupMenu* FMenu;
  TMenuItem* FCopyItem;
  TMenuItem* FPasteItem;
  TCalculatorPanel* FCalcPanel;
};

class TGxCalculator : public TComponent {
  HX_CLASS(TGxCalculator, TComponent)
 public:
  explicit TGxCalculator(TComponent* AOwner);
  ~TGxCalculator() override;

  bool GetBeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value) { FBeepOnError = Value; }
  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value) { FCtl3D = Value; }
  int GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  // Significant digits, 2..17.
  int GetPrecision() const { return FPrecision; }
  void SetPrecision(int Value);
  String GetTitle() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  bool IsTitleStored() const { return FTitle != "Calculator"; }
  double GetValue() const { return FValue; }
  void SetValue(double Value) { FValue = Value; }
  // The separator and currency string the display and the clipboard use.
  const TFormatSettings& GetFormatSettings() const { return FSettings; }
  void SetFormatSettings(const TFormatSettings& Value) { FSettings = Value; }

  // Kept from one dialog to the next (copied back when the dialog ends with OK).
  double Memory = 0;
  // The open dialog; nullptr when none.
  TGxCalculatorForm* CalculatorForm() const { return FForm; }

  // Shows the dialog; true when closed with OK (Value then holds the display's number).
  bool ShowModalCalculator();

  TCalcKeyEvent OnCalcKey;
  TNotifyEvent OnChange;
  TNotifyEvent OnDisplayChange;

 private:
  bool FBeepOnError = true;
  bool FCtl3D = true;
  int FHelpContext = 0;
  int FPrecision = 15;
  String FTitle = "Calculator";
  double FValue = 0;
  TFormatSettings FSettings = LocaleFormatSettings();
  TGxCalculatorForm* FForm = nullptr;
};
