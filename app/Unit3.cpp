#include "app/Unit3.h"

#include <exception>

#include "app/character.h"
#include "app/microplace.h"
#include "app/settingsrules.h"
#include "app/storedata.h"
#include "classlib/windows/application.h"
#include "classlib/core/beep.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/comctrls.h"
#include "classlib/windows/commondialogs.h"
#include "classlib/windows/extctrls.h"
#include "classlib/core/formatsettings.h"
#include "classlib/windows/mask.h"
#include "classlib/windows/spin.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"
#include "desktop/dskautorun.h"
#include "desktop/dskled.h"
#include "desktop/propstorage.h"

TForm3* Form3 = nullptr;

HX_PUBLISH(TForm3, p) {
  p.Field("PageControl1", &TForm3::PageControl1);
  p.Field("TabSheet1", &TForm3::TabSheet1);
  p.Field("TabSheet2", &TForm3::TabSheet2);
  p.Field("TabSheet3", &TForm3::TabSheet3);
  p.Field("TabSheet4", &TForm3::TabSheet4);
  p.Field("TabSheet5", &TForm3::TabSheet5);
  p.Field("CheckBox1", &TForm3::CheckBox1);
  p.Field("CheckBox3", &TForm3::CheckBox3);
  p.Field("CheckBox14", &TForm3::CheckBox14);
  p.Field("RadioGroup2", &TForm3::RadioGroup2);
  p.Field("CheckBox16", &TForm3::CheckBox16);
  p.Field("MaskEdit1", &TForm3::MaskEdit1);
  p.Field("MaskEdit2", &TForm3::MaskEdit2);
  p.Field("CheckBox17", &TForm3::CheckBox17);
  p.Field("Edit3Spin", &TForm3::Edit3Spin);
  p.Field("Label10", &TForm3::Label10);
  p.Field("RadioGroup5", &TForm3::RadioGroup5);
  p.Field("SpinEdit1", &TForm3::SpinEdit1);
  p.Field("CheckBox4", &TForm3::CheckBox4);
  p.Field("CheckBox5", &TForm3::CheckBox5);
  p.Field("CheckBox10", &TForm3::CheckBox10);
  p.Field("CheckBox11", &TForm3::CheckBox11);
  p.Field("CheckBox15", &TForm3::CheckBox15);
  p.Field("DskColorCombo1", &TForm3::DskColorCombo1);
  p.Field("DskColorCombo2", &TForm3::DskColorCombo2);
  p.Field("DskColorCombo3", &TForm3::DskColorCombo3);
  p.Field("RadioGroup1", &TForm3::RadioGroup1);
  p.Field("Button2", &TForm3::Button2);
  p.Field("CheckBox2", &TForm3::CheckBox2);
  p.Field("CheckBox6", &TForm3::CheckBox6);
  p.Field("CheckBox7", &TForm3::CheckBox7);
  p.Field("CheckBox8", &TForm3::CheckBox8);
  p.Field("CheckBox9", &TForm3::CheckBox9);
  p.Field("ComboBox1", &TForm3::ComboBox1);
  p.Field("CheckBox12", &TForm3::CheckBox12);
  p.Field("RadioGroup3", &TForm3::RadioGroup3);
  p.Field("Edit1", &TForm3::Edit1);
  p.Field("Edit2", &TForm3::Edit2);
  p.Field("Button3", &TForm3::Button3);
  p.Field("RadioGroup4", &TForm3::RadioGroup4);
  p.Field("CheckBox13", &TForm3::CheckBox13);
  p.Field("HotKey1", &TForm3::HotKey1);
  p.Field("Button1", &TForm3::Button1);
  p.Field("BitBtn2", &TForm3::BitBtn2);
  p.Field("OpenDialog1", &TForm3::OpenDialog1);
  p.Field("FontDialog1", &TForm3::FontDialog1);
  p.Field("TimerHotkey", &TForm3::TimerHotkey);
  p.Field("PropStorage1", &TForm3::PropStorage1);
  p.Field("RegPropStorageMan1", &TForm3::RegPropStorageMan1);
  p.Handler("FormCreate", &TForm3::FormCreate);
  p.Handler("CheckBox1Click", &TForm3::CheckBox1Click);
  p.Handler("CheckBox2Click", &TForm3::CheckBox2Click);
  p.Handler("CheckBox3Click", &TForm3::CheckBox3Click);
  p.Handler("CheckBox4Click", &TForm3::CheckBox4Click);
  p.Handler("CheckBox5Click", &TForm3::CheckBox5Click);
  p.Handler("CheckBox6Click", &TForm3::CheckBox6Click);
  p.Handler("CheckBox7Click", &TForm3::CheckBox7Click);
  p.Handler("CheckBox8Click", &TForm3::CheckBox8Click);
  p.Handler("CheckBox9Click", &TForm3::CheckBox9Click);
  p.Handler("CheckBox10Click", &TForm3::CheckBox10Click);
  p.Handler("CheckBox11Click", &TForm3::CheckBox11Click);
  p.Handler("CheckBox12Click", &TForm3::CheckBox12Click);
  p.Handler("CheckBox13Click", &TForm3::CheckBox13Click);
  p.Handler("CheckBox14Click", &TForm3::CheckBox14Click);
  p.Handler("CheckBox15Click", &TForm3::CheckBox15Click);
  p.Handler("CheckBox16Click", &TForm3::CheckBox16Click);
  p.Handler("CheckBox17Click", &TForm3::CheckBox17Click);
  p.Handler("QuietTimeChange", &TForm3::QuietTimeChange);
  p.Handler("Edit3SpinChange", &TForm3::Edit3SpinChange);
  p.Handler("SpinEdit1Change", &TForm3::SpinEdit1Change);
  p.Handler("RadioGroup1Click", &TForm3::RadioGroup1Click);
  p.Handler("RadioGroup2Click", &TForm3::RadioGroup2Click);
  p.Handler("RadioGroup3Click", &TForm3::RadioGroup3Click);
  p.Handler("StoredControlChange", &TForm3::StoredControlChange);
  p.Handler("DskColorComboChange", &TForm3::DskColorComboChange);
  p.Handler("ComboBox1Change", &TForm3::ComboBox1Change);
  p.Handler("Button1Click", &TForm3::Button1Click);
  p.Handler("Button2Click", &TForm3::Button2Click);
  p.Handler("Button3Click", &TForm3::Button3Click);
  p.Handler("FontDialog1Apply", &TForm3::FontDialog1Apply);
  p.Handler("HotKey1Enter", &TForm3::HotKey1Enter);
  p.Handler("HotKey1Exit", &TForm3::HotKey1Exit);
  p.Handler("TimerHotkeyTimer", &TForm3::TimerHotkeyTimer);
}

namespace {

constexpr char kHotKeyTaken[] = "Сочетание клавиш занято другой программой";
constexpr char kAutoRunRefused[] = "Не удалось записать автозапуск: часы не будут запускаться вместе с Windows.";
constexpr int kCharacterCount = 3;
constexpr int kColorDefaults[3] = {0, 10, 11};

bool Checked(TCheckBox* Box) { return Box->GetChecked(); }

// A quiet-hours time as the tick reads it: every position filled and a time of the day.
bool QuietTimeValid(TMaskEdit* Edit) {
  TDateTime time;
  return Edit->Mask().FirstInvalid(Edit->GetEditText()) < 0 &&
         TryStrToTime(Edit->GetText(), time, RussianFormatSettings());
}

}  // namespace

// The options as the window's controls have them, live.
class TForm3::TControlOptions : public TClockOptions {
 public:
  explicit TControlOptions(TForm3& Form) : F(Form) {}
  bool TalkTime() override { return Checked(F.CheckBox3); }
  void SetTalkTime(bool Value) override { F.CheckBox3->SetChecked(Value); }
  bool Kuku() override { return Checked(F.CheckBox14); }
  bool ShowActor() override { return Checked(F.CheckBox2); }
  bool ShowActorAlways() override { return Checked(F.CheckBox7); }
  bool ActorAlwaysMove() override { return Checked(F.CheckBox8); }
  int AssistantSelect() override { return IndexOrDefault(F.ComboBox1->GetItemIndex(), kCharacterCount, 0); }
  bool ShowActorTop() override { return Checked(F.CheckBox6); }
  // Not while a new combination is being typed: the old one would take the keys.
  bool HotKeyEnabled() override { return Checked(F.CheckBox13) && !F.Button1->GetEnabled(); }
  bool LittleClock() override { return Checked(F.CheckBox4); }
  bool LittleClockTop() override { return Checked(F.CheckBox5); }
  void SetLittleClockTop(bool Value) override { F.CheckBox5->SetChecked(Value); }
  int DigitalMiniClock() override { return F.RadioGroup2->GetItemIndex(); }
  void SetDigitalMiniClock(int Value) override {
    if (Value >= 0 && Value <= 2) F.RadioGroup2->SetItemIndex(Value);
  }
  bool ShowSmallSeconds() override { return Checked(F.CheckBox10); }
  bool ShowSmallDate() override { return Checked(F.CheckBox11); }
  int SmallClockState() override { return F.RadioGroup1->GetItemIndex(); }
  bool AutoRun() override { return Checked(F.CheckBox1); }
  bool QuietHours(String& From, String& To) override {
    From = F.MaskEdit1->GetText();
    To = F.MaskEdit2->GetText();
    return Checked(F.CheckBox16);
  }
  int MinClockColorBack() override { return F.DskColorCombo1->GetItemIndex(); }
  int MinClockColor1() override { return F.DskColorCombo2->GetItemIndex(); }
  int MinClockColor2() override { return F.DskColorCombo3->GetItemIndex(); }
  bool ActorMoveForTimer() override { return Checked(F.CheckBox9); }
  int SignalDevice() override { return F.RadioGroup5->GetItemIndex(); }
  bool AutoOff() override { return Checked(F.CheckBox17); }
  int AutoOffMinutes() override { return F.Edit3Spin->GetValue(); }
  bool ShowTimerHint() override { return Checked(F.CheckBox12); }
  bool ShowTimerProcess() override { return Checked(F.CheckBox15); }
  int TimerAction() override { return F.RadioGroup3->GetItemIndex(); }
  String TimerProgram() override { return F.Edit1->GetText(); }
  String TimerParameters() override { return F.Edit2->GetText(); }
  TProgramShow TimerProgramShow() override {
    return static_cast<TProgramShow>(IndexOrDefault(F.RadioGroup4->GetItemIndex(), 4, 0));
  }

 private:
  TForm3& F;
};

TForm3::TForm3(TComponent* AOwner) : TForm(AOwner) {}

TForm3::~TForm3() {
  // The parts outlive this window (the main window is made first and freed last): what
  // reads the options after it is gone gets their defaults, not its freed controls.
  if (FParts && FParts->Options.get() == FOptions) FParts->Options = std::make_unique<TClockOptions>();
}

void TForm3::FormCreate(TObject*) {
  // The storage is read here and written at every change of its controls, so it neither
  // reads again when the window shows nor writes when it closes.
  PropStorage1->BeforeLoadProps = [this](TObject*) { FLoading = true; };
  PropStorage1->AfterLoadProps = [this](TObject*) { FLoading = false; };
  PropStorage1->LoadProperties();
  PropStorage1->SetActive(false);
}

void TForm3::Report(const String& Text) {
  if (OnReport) OnReport(Text);
  else Application->MessageBox(Text, "", MB_OK | MB_ICONWARNING);
}

void TForm3::StoreFlag(const char* Ident, TCheckBox* Box) { FStore->StoreWriteInteger(Ident, Checked(Box) ? 1 : 0); }

void TForm3::SaveStorage() {
  if (!Ready() || FApplying) return;
  PropStorage1->SaveProperties();
}

// ---- Creation ----

void TForm3::AttachTo(TClockParts& Parts, TDskStoreData* Store, TAutoRun* AutoRun, const String& CharacterFolder,
                      const String& CharacterFilesError) {
  FStore = Store;
  FAutoRun = AutoRun;
  FCharacterFolder = CharacterFolder;
  FCharacterFilesError = CharacterFilesError;
  FApplying = true;
  FParts = &Parts;
  // From now on the clock reads the options from these controls.
  auto options = std::make_unique<TControlOptions>(*this);
  FOptions = options.get();
  Parts.Options = std::move(options);
  std::vector<String> errors;
  ApplyAll(errors);
  FApplying = false;
  if (errors.empty()) return;
  String text;
  for (const String& error : errors) text += (text.empty() ? "" : "\n") + error;
  Report(text);
}

void TForm3::ApplyAll(std::vector<String>& Errors) {
  TClockParts& parts = *FParts;
  // Each step runs, whatever the one before it did.
  auto step = [&](const std::function<void()>& Work) {
    try {
      Work();
    } catch (const std::exception& e) {
      Errors.push_back(e.what());
    } catch (...) {
      Errors.push_back("Неизвестная ошибка");
    }
  };

  // The stored keys onto the controls. Their handlers do not run here (FApplying): each
  // option is applied below, whether or not it differs from the form's value.
  struct TFlag {
    const char* Ident;
    int Default;
    TCheckBox* Box;
  };
  const TFlag flags[] = {{"AutoRun", 1, CheckBox1},          {"TalkTime", 1, CheckBox3},
                         {"Kuku", 0, CheckBox14},            {"ShowActor", 1, CheckBox2},
                         {"ShowActorTop", 1, CheckBox6},     {"ShowActorAlways", 0, CheckBox7},
                         {"ActorAlwaysMove", 1, CheckBox8},  {"ActorMoveForTimer", 1, CheckBox9},
                         {"LittleClock", 1, CheckBox4},      {"LittleClockTop", 1, CheckBox5},
                         {"ShowSmallSeconds", 1, CheckBox10}, {"ShowSmallDate", 1, CheckBox11},
                         {"ShowTimerProcess", 1, CheckBox15}, {"ShowTimerHint", 0, CheckBox12},
                         {"HotKeyEnabled", 0, CheckBox13}};
  for (const TFlag& flag : flags)
    step([&] { flag.Box->SetChecked(FStore->StoreReadInteger(flag.Ident, flag.Default) != 0); });
  step([&] {
    // A kind outside the three changes nothing.
    int kind = FStore->StoreReadInteger("DigitalMiniClock", 0);
    if (kind >= 0 && kind <= 2) RadioGroup2->SetItemIndex(kind);
    ComboBox1->SetItemIndex(IndexOrDefault(FStore->StoreReadInteger("AssistantSelect", 0), kCharacterCount, 0));
    TDskColorCombo* combos[3] = {DskColorCombo1, DskColorCombo2, DskColorCombo3};
    const char* idents[3] = {"MinClockColorBack", "MinClockColor1", "MinClockColor2"};
    for (int i = 0; i < 3; ++i)
      combos[i]->SetItemIndex(IndexOrDefault(FStore->StoreReadInteger(idents[i], kColorDefaults[i]),
                                             combos[i]->GetItems()->Count(), kColorDefaults[i]));
    RadioGroup1->SetItemIndex(
        IndexOrDefault(FStore->StoreReadInteger("SmallClockState", 0), kMicroClockPlacements, 0));
    // The storage's groups: a stored choice that is none of theirs reads as the first.
    for (TRadioGroup* group : {RadioGroup5, RadioGroup3, RadioGroup4})
      if (group->GetItemIndex() < 0) group->SetItemIndex(0);
    // A combination the edit would not accept gets Ctrl+Alt.
    HotKey1->SetHotKey(AcceptedHotKey(HotKey1->GetHotKey()));
  });

  // The options applied, one step each.
  step([&] {
    FAutoRun->SetActive(Checked(CheckBox1));
    if (FAutoRun->GetActive() && !FAutoRun->Registered()) Errors.push_back(kAutoRunRefused);
  });
  step([&] { parts.TalkInterval->SetEnabled(Checked(CheckBox3)); });
  step([&] { parts.Tray->OptionsChanged(); });
  step([&] {
    String error = ApplyCharacterFile();
    // A file not written is the reason its character does not load: said once.
    if (!FCharacterFilesError.empty()) Errors.push_back(FCharacterFilesError);
    else if (!error.empty()) Errors.push_back(error);
  });
  step([&] {
    SetLittleClockDependents();
    ApplyMicroClockOptions(*parts.Options, *parts.MicroClock);
    parts.MicroClock->SetStayOnTop(Checked(CheckBox5));
    parts.MicroClock->SetDialSize(SpinEdit1->GetValue());
  });
  step([&] {
    Edit3SpinChange(this);
    CheckBox17Click(this);
  });
  step([&] {
    // The hotkey is taken only when it is on: it would hold the keys of every program.
    parts.HotKey->SetActive(false);
    parts.HotKey->SetKey(HotKey1->GetHotKey());
    HotKey1->SetEnabled(Checked(CheckBox13));
    parts.HotKey->SetActive(Checked(CheckBox13));
  });
  step([&] { TimerHotkey->SetEnabled(true); });
  step([&] { ApplyQuietHours(); });
  step([&] { ApplyEndAction(); });
}

// The character's file, on top, on screen and wandering as the controls say; a place kept
// from a monitor that is gone comes back onto the desktop. The reason a file cannot be
// loaded, or empty.
String TForm3::ApplyCharacterFile() {
  TCharacter& character = *FParts->Character;
  String error = ApplyCharacterOptions(character, *FParts->Options, FCharacterFolder);
  TCharacterPlace place = PlaceOnDesktop({character.StageLeft(), character.StageTop()}, character.WanderArea(),
                                         character.StageWidth(), character.StageHeight());
  character.SetStagePos(place.Left, place.Top);
  return error.empty() ? String() : "Не удалось загрузить персонажа: " + error;
}

void TForm3::SetLittleClockDependents() {
  bool on = Checked(CheckBox4);
  for (TCheckBox* box : {CheckBox5, CheckBox10, CheckBox11, CheckBox15}) box->SetEnabled(on);
}

// ---- General ----

void TForm3::CheckBox1Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("AutoRun", CheckBox1);
  FAutoRun->SetActive(Checked(CheckBox1));
  if (FAutoRun->GetActive() && !FAutoRun->Registered()) Report(kAutoRunRefused);
}

void TForm3::CheckBox3Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("TalkTime", CheckBox3);
  FParts->TalkInterval->SetEnabled(Checked(CheckBox3));
  FParts->Tray->OptionsChanged();
}

void TForm3::CheckBox14Click(TObject*) {
  if (Ready()) StoreFlag("Kuku", CheckBox14);
}

void TForm3::RadioGroup2Click(TObject*) {
  if (!Ready()) return;
  int kind = RadioGroup2->GetItemIndex();
  if (kind < 0 || kind > 2) return;
  FStore->StoreWriteInteger("DigitalMiniClock", kind);
  FParts->MicroClock->SetKind(kind);
  FParts->Tray->OptionsChanged();
}

// Both times valid, or the first that is not beeps and takes the focus.
bool TForm3::QuietTimesValid(bool Focus) {
  for (TMaskEdit* edit : {MaskEdit1, MaskEdit2}) {
    if (QuietTimeValid(edit)) continue;
    Beeper().MessageBeep(0);
    if (Focus && edit->CanFocus() && GetVisible()) edit->SetFocus();
    return false;
  }
  return true;
}

void TForm3::ApplyQuietHours() {
  // A box ticked over a time that is none is unticked: the tick would read no quiet hours.
  if (Checked(CheckBox16) && !QuietTimesValid(!FApplying)) CheckBox16->SetChecked(false);
  bool editable = !Checked(CheckBox16);
  MaskEdit1->SetEnabled(editable);
  MaskEdit2->SetEnabled(editable);
}

void TForm3::CheckBox16Click(TObject*) {
  if (!Ready()) return;
  // The untick below runs this handler again, which stores the box unticked.
  ApplyQuietHours();
  SaveStorage();
}

void TForm3::QuietTimeChange(TObject*) { SaveStorage(); }

void TForm3::CheckBox17Click(TObject*) {
  if (!FParts || FLoading) return;
  Edit3Spin->SetEnabled(Checked(CheckBox17));
  SaveStorage();
}

void TForm3::Edit3SpinChange(TObject*) {
  if (!FParts || FLoading) return;
  String word = AutoOffWord(Edit3Spin->GetValue());
  if (Label10->GetCaption() != word) Label10->SetCaption(word);
  SaveStorage();
}

void TForm3::StoredControlChange(TObject*) { SaveStorage(); }

void TForm3::SpinEdit1Change(TObject*) {
  if (!Ready()) return;
  FParts->MicroClock->SetDialSize(SpinEdit1->GetValue());
  SaveStorage();
}

// ---- The micro clock ----

void TForm3::CheckBox4Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("LittleClock", CheckBox4);
  SetLittleClockDependents();
  TMicroClock& clock = *FParts->MicroClock;
  if (!Checked(CheckBox4)) {
    if (clock.Visible()) clock.Hide();
  } else if (!clock.Visible() && InTray && InTray()) {
    clock.Show();
  }
}

void TForm3::CheckBox5Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("LittleClockTop", CheckBox5);
  FParts->MicroClock->SetStayOnTop(Checked(CheckBox5));
  FParts->Tray->OptionsChanged();
}

void TForm3::CheckBox10Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("ShowSmallSeconds", CheckBox10);
  FParts->MicroClock->SetShowSeconds(Checked(CheckBox10));
}

void TForm3::CheckBox11Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("ShowSmallDate", CheckBox11);
  FParts->MicroClock->SetShowDate(Checked(CheckBox11));
}

void TForm3::CheckBox15Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("ShowTimerProcess", CheckBox15);
  TMicroClock& clock = *FParts->MicroClock;
  if (!Checked(CheckBox15)) clock.SetMeterVisible(false);
  clock.Relayout();
}

void TForm3::RadioGroup1Click(TObject*) {
  if (!Ready()) return;
  FStore->StoreWriteInteger("SmallClockState", RadioGroup1->GetItemIndex());
  FParts->MicroClock->SetPlacement(RadioGroup1->GetItemIndex());
}

void TForm3::DskColorComboChange(TObject*) {
  if (!Ready()) return;
  int back = DskColorCombo1->GetItemIndex(), time = DskColorCombo2->GetItemIndex(),
      date = DskColorCombo3->GetItemIndex();
  FParts->MicroClock->SetColors(back, time, date);
  FStore->StoreWriteInteger("MinClockColorBack", back);
  FStore->StoreWriteInteger("MinClockColor1", time);
  FStore->StoreWriteInteger("MinClockColor2", date);
}

void TForm3::Button2Click(TObject*) {
  if (!Ready()) return;
  // The dialog opens on the micro clock's font as it is.
  String name;
  int size = 0;
  if (FParts->MicroClock->TextFont(name, size)) {
    FontDialog1->GetFont()->SetName(name);
    FontDialog1->GetFont()->SetSize(size);
  }
  if (OnExecuteDialog ? OnExecuteDialog(FontDialog1) : FontDialog1->Execute()) FontDialog1Apply(FontDialog1, nullptr);
}

void TForm3::FontDialog1Apply(TObject*, HWND) {
  if (!Ready()) return;
  TFont* font = FontDialog1->GetFont();
  FParts->MicroClock->SetTextFont(font->GetName(), font->GetSize());
}

// ---- The character ----

void TForm3::CheckBox2Click(TObject*) {
  if (Ready()) StoreFlag("ShowActor", CheckBox2);
}

void TForm3::CheckBox6Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("ShowActorTop", CheckBox6);
  FParts->Character->SetAlwaysOnTop(Checked(CheckBox6));
}

void TForm3::CheckBox7Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("ShowActorAlways", CheckBox7);
  if (Checked(CheckBox7)) FParts->Character->ShowCharacter(false);
  else FParts->Character->HideCharacter(false);
}

void TForm3::CheckBox8Click(TObject*) {
  if (!Ready()) return;
  StoreFlag("ActorAlwaysMove", CheckBox8);
  FParts->Character->SetWandering(Checked(CheckBox8));
}

void TForm3::CheckBox9Click(TObject*) {
  if (Ready()) StoreFlag("ActorMoveForTimer", CheckBox9);
}

void TForm3::ComboBox1Change(TObject*) {
  if (!Ready()) return;
  int index = IndexOrDefault(ComboBox1->GetItemIndex(), kCharacterCount, 0);
  FStore->StoreWriteInteger("AssistantSelect", index);
  try {
    FParts->Character->SetActorLibrary(FCharacterFolder + CharacterFileName(index));
  } catch (const std::exception& e) {
    Report(String("Не удалось загрузить персонажа: ") + e.what());
  }
}

// ---- The countdown ----

void TForm3::CheckBox12Click(TObject*) {
  if (Ready()) StoreFlag("ShowTimerHint", CheckBox12);
}

void TForm3::ApplyEndAction() {
  TEndActionControls controls = EndActionControls(RadioGroup3->GetItemIndex());
  for (TControl* control : {static_cast<TControl*>(Edit1), static_cast<TControl*>(Edit2),
                            static_cast<TControl*>(Button3)})
    control->SetEnabled(controls.ProgramEnabled);
  CheckBox12->SetEnabled(controls.ReminderEnabled);
  // A shutdown or a program asks for no reminder: the countdown reads the box.
  if (!controls.ReminderEnabled) {
    CheckBox12->SetChecked(false);
    FStore->StoreWriteInteger("ShowTimerHint", 0);
  }
}

void TForm3::RadioGroup3Click(TObject*) {
  if (!Ready()) return;
  ApplyEndAction();
  SaveStorage();
}

void TForm3::Button3Click(TObject*) {
  if (!Ready()) return;
  if (OnExecuteDialog ? OnExecuteDialog(OpenDialog1) : OpenDialog1->Execute())
    Edit1->SetText(OpenDialog1->GetFileName());
}

// ---- The hotkey ----

void TForm3::SetHotKeyActive(bool Value, bool ReportTaken) {
  TSayTimeHotKey& hotKey = *FParts->HotKey;
  hotKey.SetActive(Value);
  if (Value && ReportTaken && !hotKey.Registered()) Report(kHotKeyTaken);
}

void TForm3::CheckBox13Click(TObject*) {
  if (!Ready()) return;
  bool on = Checked(CheckBox13);
  StoreFlag("HotKeyEnabled", CheckBox13);
  HotKey1->SetEnabled(on);
  if (!on) Button1->SetEnabled(false);
  SetHotKeyActive(on, true);
}

void TForm3::HotKey1Enter(TObject*) {
  if (!Ready()) return;
  // The keys typed here must reach the edit.
  FParts->HotKey->SetActive(false);
  Button1->SetEnabled(true);
}

void TForm3::HotKey1Exit(TObject*) {
  if (!Ready() || !Button1->GetEnabled()) return;
  TShortCut key = AcceptedHotKey(HotKey1->GetHotKey());
  if (HotKey1->GetHotKey() != key) HotKey1->SetHotKey(key);
  Button1->SetEnabled(false);
  FParts->HotKey->SetKey(key);
  SetHotKeyActive(Checked(CheckBox13), true);
  SaveStorage();
}

void TForm3::Button1Click(TObject* Sender) { HotKey1Exit(Sender); }

void TForm3::TimerHotkeyTimer(TObject*) {
  TimerHotkey->SetEnabled(false);
  if (!Ready()) return;
  bool on = FStore->StoreReadInteger("HotKeyEnabled", 0) != 0;
  FApplying = true;  // as at creation: the box follows the store without storing again
  CheckBox13->SetChecked(on);
  FApplying = false;
  HotKey1->SetEnabled(on);
  // A combination being typed keeps the keys until it is applied.
  if (!Button1->GetEnabled()) FParts->HotKey->SetActive(on);
}
