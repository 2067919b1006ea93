#pragma once
// TForm3, the settings window "Настройки": every option of the clock apart from the main
// window's own (melody, talk interval, alarm), on five pages. Its creation reads the
// options (the settings store's keys and its own property storage, section "HotKey") and
// applies each of them; every change is stored at once and acts at once. Over its controls
// it puts a TClockOptions into the main window's parts, so the clock's logic, the micro
// clock and the tray menu read the live controls, and the tray's commands tick its boxes.
// Windows only.
#include <functional>
#include <memory>
#include <vector>

#include "app/clockparts.h"
#include "classlib/windows/forms.h"

class TPageControl;
class TTabSheet;
class TGroupBox;
class TRadioGroup;
class TCheckBox;
class TMaskEdit;
class TSpinEdit;
class TLabel;
class TEdit;
class TButton;
class TBitBtn;
class TComboBox;
class THotKey;
class TDskColorCombo;
class TOpenDialog;
class TFontDialog;
class TCommonDialog;
class TTimer;
class TPropStorage;
class TRegPropStorageMan;
class TDskStoreData;
class TAutoRun;

class TForm3 : public TForm {
  HX_CLASS(TForm3, TForm)
 public:
  explicit TForm3(TComponent* AOwner);
  ~TForm3() override;

  // From the form.
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;  // "Общие"
  TTabSheet* TabSheet2 = nullptr;  // "Микрочасы"
  TTabSheet* TabSheet3 = nullptr;  // "Персонаж"
  TTabSheet* TabSheet4 = nullptr;  // "Таймер"
  TTabSheet* TabSheet5 = nullptr;  // "Горячая клавиша"
  TCheckBox* CheckBox1 = nullptr;   // autostart (AutoRun)
  TCheckBox* CheckBox3 = nullptr;   // talking (TalkTime)
  TCheckBox* CheckBox14 = nullptr;  // cuckoo (Kuku)
  TRadioGroup* RadioGroup2 = nullptr;  // the micro clock's kind (DigitalMiniClock)
  TCheckBox* CheckBox16 = nullptr;  // quiet hours, from MaskEdit1 to MaskEdit2
  TMaskEdit* MaskEdit1 = nullptr;
  TMaskEdit* MaskEdit2 = nullptr;
  TCheckBox* CheckBox17 = nullptr;  // the signals switch off after Edit3Spin minutes
  TSpinEdit* Edit3Spin = nullptr;
  TLabel* Label10 = nullptr;        // "минуту" / "минуты" / "минут"
  TRadioGroup* RadioGroup5 = nullptr;  // the signals' device
  TSpinEdit* SpinEdit1 = nullptr;      // the dial's size
  TCheckBox* CheckBox4 = nullptr;   // the micro clock on minimise (LittleClock)
  TCheckBox* CheckBox5 = nullptr;   // … on top (LittleClockTop)
  TCheckBox* CheckBox10 = nullptr;  // … seconds (ShowSmallSeconds)
  TCheckBox* CheckBox11 = nullptr;  // … date (ShowSmallDate)
  TCheckBox* CheckBox15 = nullptr;  // … the countdown's meter (ShowTimerProcess)
  TDskColorCombo* DskColorCombo1 = nullptr;  // background (MinClockColorBack)
  TDskColorCombo* DskColorCombo2 = nullptr;  // time (MinClockColor1)
  TDskColorCombo* DskColorCombo3 = nullptr;  // date (MinClockColor2)
  TRadioGroup* RadioGroup1 = nullptr;  // placement (SmallClockState)
  TButton* Button2 = nullptr;          // "Шрифт..."
  TCheckBox* CheckBox2 = nullptr;   // ShowActor
  TCheckBox* CheckBox6 = nullptr;   // ShowActorTop
  TCheckBox* CheckBox7 = nullptr;   // ShowActorAlways
  TCheckBox* CheckBox8 = nullptr;   // ActorAlwaysMove
  TCheckBox* CheckBox9 = nullptr;   // ActorMoveForTimer
  TComboBox* ComboBox1 = nullptr;   // AssistantSelect
  TCheckBox* CheckBox12 = nullptr;  // ShowTimerHint
  TRadioGroup* RadioGroup3 = nullptr;  // the countdown's end action
  TEdit* Edit1 = nullptr;              // its program
  TEdit* Edit2 = nullptr;              // … parameters
  TButton* Button3 = nullptr;          // "Выбрать..."
  TRadioGroup* RadioGroup4 = nullptr;  // … how it shows
  TCheckBox* CheckBox13 = nullptr;  // the hotkey on (HotKeyEnabled)
  THotKey* HotKey1 = nullptr;       // its combination
  TButton* Button1 = nullptr;       // "Применить"
  TBitBtn* BitBtn2 = nullptr;       // "Закрыть"
  TOpenDialog* OpenDialog1 = nullptr;
  TFontDialog* FontDialog1 = nullptr;
  TTimer* TimerHotkey = nullptr;    // 3 s after creation: the hotkey as stored
  TPropStorage* PropStorage1 = nullptr;  // section "HotKey"
  TRegPropStorageMan* RegPropStorageMan1 = nullptr;

  void FormCreate(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);
  void CheckBox4Click(TObject* Sender);
  void CheckBox5Click(TObject* Sender);
  void CheckBox6Click(TObject* Sender);
  void CheckBox7Click(TObject* Sender);
  void CheckBox8Click(TObject* Sender);
  void CheckBox9Click(TObject* Sender);
  void CheckBox10Click(TObject* Sender);
  void CheckBox11Click(TObject* Sender);
  void CheckBox12Click(TObject* Sender);
  void CheckBox13Click(TObject* Sender);
  void CheckBox14Click(TObject* Sender);
  void CheckBox15Click(TObject* Sender);
  void CheckBox16Click(TObject* Sender);
  void CheckBox17Click(TObject* Sender);
  void QuietTimeChange(TObject* Sender);
  void Edit3SpinChange(TObject* Sender);
  void SpinEdit1Change(TObject* Sender);
  void RadioGroup1Click(TObject* Sender);
  void RadioGroup2Click(TObject* Sender);
  void RadioGroup3Click(TObject* Sender);
  void StoredControlChange(TObject* Sender);
  void DskColorComboChange(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void FontDialog1Apply(TObject* Sender, HWND Wnd);
  void HotKey1Enter(TObject* Sender);
  void HotKey1Exit(TObject* Sender);
  void TimerHotkeyTimer(TObject* Sender);

  // What the window acts on, given once after its creation: the clock's parts (its
  // options go in there), the settings store, the autostart entry and the folder the
  // character files were written to, with why they could not be written (empty when they
  // were). Then every option is applied; the steps that fail are reported together, once,
  // the files' failure in place of the character's that follows from it.
  void AttachTo(TClockParts& Parts, TDskStoreData* Store, TAutoRun* AutoRun, const String& CharacterFolder,
                const String& CharacterFilesError = String());

  // Reports a failure to the user (a message box unless replaced).
  std::function<void(const String& Text)> OnReport;
  // Shows a common dialog; true when confirmed (the dialog's Execute unless replaced).
  std::function<bool(TCommonDialog* Dialog)> OnExecuteDialog;
  // Whether the main window is minimised to the tray (none: it is not).
  std::function<bool()> InTray;

 private:
  class TControlOptions;

  void Report(const String& Text);
  void StoreFlag(const char* Ident, TCheckBox* Box);
  // The property storage keeps its controls' values at once (not only at close).
  void SaveStorage();
  // The handlers store and apply only after creation, and not while the storage loads.
  bool Ready() const { return FParts && !FLoading && !FApplying; }
  void ApplyAll(std::vector<String>& Errors);
  void ApplyQuietHours();
  bool QuietTimesValid(bool Focus);
  void ApplyEndAction();
  void SetLittleClockDependents();
  String ApplyCharacterFile();
  void SetHotKeyActive(bool Value, bool Report);

  TClockParts* FParts = nullptr;
  TClockOptions* FOptions = nullptr;  // in FParts while this window is there
  TDskStoreData* FStore = nullptr;
  TAutoRun* FAutoRun = nullptr;
  String FCharacterFolder;
  String FCharacterFilesError;
  bool FLoading = false;   // the property storage sets the controls
  bool FApplying = false;  // creation applies the options
};

extern TForm3* Form3;
