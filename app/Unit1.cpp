#include "app/Unit1.h"

#include "app/About.h"
#include "app/character.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "app/mainparts.h"
#include "app/melodies.h"
#include "app/storedata.h"
#include "app/storedfiles.h"
#include "app/systemparts.h"
#include "classlib/windows/application.h"
#include "classlib/core/files.h"
#include "classlib/core/random.h"
#include "assistant/assistant.h"
#include "controls/kitclock.h"
#include "controls/kitfilectrl.h"
#include "controls/kithotkey.h"
#include "controls/kitlabel.h"
#include "controls/kitshape.h"
#include "controls/kitstarter.h"
#include "controls/kittrackbar.h"
#include "desktop/dskautorun.h"
#include "desktop/dskinstances.h"
#include "desktop/dskled.h"
#include "desktop/dskmsgdlg.h"
#include "desktop/dskpopup.h"
#include "desktop/dsksysinfo.h"
#include "desktop/dsktray.h"
#include "desktop/modalhook.h"
#include "desktop/neatctrls.h"
#include "gridcal/calculator.h"

TForm1* Form1 = nullptr;

namespace {
const std::vector<String> kCharacterFiles{"Angel.aal", "Ann.aal", "Dolly.aal"};
// Posted to the main window while "Выход" waits for modal windows to close.
constexpr UINT kExitMessage = WM_APP + 17;
// Posted at the first activation of a clock closed while minimised: it is minimised once
// its window is wholly shown (while it is being shown it would not be hidden).
constexpr UINT kStartMinimisedMessage = WM_APP + 18;
}

HX_PUBLISH(TForm1, p) {
  p.Field("NeatInstancesChecker1", &TForm1::NeatInstancesChecker1);
  p.Field("KitFormShape1", &TForm1::KitFormShape1);
  p.Field("KitLabel1", &TForm1::KitLabel1);
  p.Field("KitClock1", &TForm1::KitClock1);
  p.Field("Button1", &TForm1::Button1);
  p.Field("Button2", &TForm1::Button2);
  p.Field("Button3", &TForm1::Button3);
  p.Field("Button4", &TForm1::Button4);
  p.Field("Button5", &TForm1::Button5);
  p.Field("Button6", &TForm1::Button6);
  p.Field("Button7", &TForm1::Button7);
  p.Field("Button8", &TForm1::Button8);
  p.Field("NeatTrackBar1", &TForm1::NeatTrackBar1);
  p.Field("LabelTimer", &TForm1::LabelTimer);
  p.Field("DskLed1", &TForm1::DskLed1);
  p.Field("BitBtnStartTimer", &TForm1::BitBtnStartTimer);
  p.Field("BitBtnStopTimer", &TForm1::BitBtnStopTimer);
  p.Field("KitTrackBar1", &TForm1::KitTrackBar1);
  p.Field("ComboBox1", &TForm1::ComboBox1);
  p.Field("Panel2", &TForm1::Panel2);
  p.Field("CheckBox2", &TForm1::CheckBox2);
  p.Field("MaskEdit1", &TForm1::MaskEdit1);
  p.Field("PopupMenu1", &TForm1::PopupMenu1);
  p.Field("N1", &TForm1::N1);
  p.Field("N8", &TForm1::N8);
  p.Field("N16", &TForm1::N16);
  p.Field("N17", &TForm1::N17);
  p.Field("N18", &TForm1::N18);
  p.Field("N19", &TForm1::N19);
  p.Field("N10", &TForm1::N10);
  p.Field("N21", &TForm1::N21);
  p.Field("N22", &TForm1::N22);
  p.Field("N23", &TForm1::N23);
  p.Field("N24", &TForm1::N24);
  p.Field("N25", &TForm1::N25);
  p.Field("N26", &TForm1::N26);
  p.Field("N27", &TForm1::N27);
  p.Field("DtTrayIcon1", &TForm1::DtTrayIcon1);
  p.Field("DskPopUp1", &TForm1::DskPopUp1);
  p.Field("DskPopUp2", &TForm1::DskPopUp2);
  p.Field("KitGlobalHotKey1", &TForm1::KitGlobalHotKey1);
  p.Field("DskMsgDlgHolder1", &TForm1::DskMsgDlgHolder1);
  p.Field("KitStarter1", &TForm1::KitStarter1);
  p.Field("DskSystemManager1", &TForm1::DskSystemManager1);
  p.Field("AutoRun1", &TForm1::AutoRun1);
  p.Field("DskModalWatch1", &TForm1::DskModalWatch1);
  p.Field("GxCalculator1", &TForm1::GxCalculator1);
  p.Field("Timer1", &TForm1::Timer1);
  p.Field("TimerPlay1", &TForm1::TimerPlay1);
  p.Field("TimerPlay2", &TForm1::TimerPlay2);
  p.Field("TimerPlay3", &TForm1::TimerPlay3);
  p.Field("TimerPlay4", &TForm1::TimerPlay4);
  p.Field("TimerPlay5", &TForm1::TimerPlay5);
  p.Field("TimerPlay6", &TForm1::TimerPlay6);
  p.Field("TimerEndPlay", &TForm1::TimerEndPlay);
  p.Field("TimerEndPlayHide", &TForm1::TimerEndPlayHide);
  p.Field("TimerFly", &TForm1::TimerFly);
  p.Field("TimerTemp", &TForm1::TimerTemp);
  p.Field("Timer2", &TForm1::Timer2);
  p.Field("Timer3", &TForm1::Timer3);
  p.Field("TimerEndRing", &TForm1::TimerEndRing);
  p.Field("TimerRingOff", &TForm1::TimerRingOff);
  p.Field("TimerMenuRingOff", &TForm1::TimerMenuRingOff);
  p.Field("TimerBeeperMain", &TForm1::TimerBeeperMain);
  p.Field("TimerBeeper1", &TForm1::TimerBeeper1);
  p.Field("TimerBeeper2", &TForm1::TimerBeeper2);
  p.Field("Timer", &TForm1::Timer);
  p.Field("TimerEnd", &TForm1::TimerEnd);
  p.Field("MediaPlayer1", &TForm1::MediaPlayer1);
  p.Field("MediaPlayer2", &TForm1::MediaPlayer2);
  p.Field("DskStoreData1", &TForm1::DskStoreData1);
  p.Field("DskFileHolder1", &TForm1::DskFileHolder1);
  p.Field("KitFileCtrl1", &TForm1::KitFileCtrl1);
  p.Handler("FormCreate", &TForm1::FormCreate);
  p.Handler("FormActivate", &TForm1::FormActivate);
  p.Handler("FormClose", &TForm1::FormClose);
  p.Handler("Timer1Timer", &TForm1::Timer1Timer);
  p.Handler("Button1Click", &TForm1::Button1Click);
  p.Handler("Button2Click", &TForm1::Button2Click);
  p.Handler("Button3Click", &TForm1::Button3Click);
  p.Handler("Button4Click", &TForm1::Button4Click);
  p.Handler("ComboBox1Change", &TForm1::ComboBox1Change);
  p.Handler("KitTrackBar1Change", &TForm1::KitTrackBar1Change);
  p.Handler("Button5Click", &TForm1::Button5Click);
  p.Handler("CheckBox2Click", &TForm1::CheckBox2Click);
  p.Handler("Button6Click", &TForm1::Button6Click);
  p.Handler("Button7Click", &TForm1::Button7Click);
  p.Handler("Button8Click", &TForm1::Button8Click);
  p.Handler("NeatTrackBar1Change", &TForm1::NeatTrackBar1Change);
  p.Handler("BitBtnStartTimerClick", &TForm1::BitBtnStartTimerClick);
  p.Handler("BitBtnStopTimerClick", &TForm1::BitBtnStopTimerClick);
  p.Handler("KitClock1MouseDown", &TForm1::KitClock1MouseDown);
  p.Handler("KitLabel1Click", &TForm1::KitLabel1Click);
  p.Handler("KitGlobalHotKey1KeyDown", &TForm1::KitGlobalHotKey1KeyDown);
  p.Handler("DskMsgDlgHolder1Messages0mrOk", &TForm1::DskMsgDlgHolder1Messages0mrOk);
  p.Handler("DskMsgDlgHolder1Messages0mrCancel", &TForm1::DskMsgDlgHolder1Messages0mrCancel);
  p.Handler("DtTrayIcon1MouseLeftUp", &TForm1::DtTrayIcon1MouseLeftUp);
  p.Handler("N1Click", &TForm1::N1Click);
  p.Handler("N5Click", &TForm1::N5Click);
  p.Handler("N8Click", &TForm1::N8Click);
  p.Handler("N16Click", &TForm1::N16Click);
  p.Handler("N17Click", &TForm1::N17Click);
  p.Handler("N18Click", &TForm1::N18Click);
  p.Handler("N19Click", &TForm1::N19Click);
  p.Handler("MenuCalculatorClick", &TForm1::MenuCalculatorClick);
  p.Handler("N14Click", &TForm1::N14Click);
  p.Handler("N9Click", &TForm1::N9Click);
  p.Handler("N10Click", &TForm1::N10Click);
  p.Handler("TimerPresetClick", &TForm1::TimerPresetClick);
  p.Handler("BitBtn1Click", &TForm1::BitBtn1Click);
  p.Field("Assistant1", &TForm1::Assistant1);
  p.Field("TimerActor", &TForm1::TimerActor);
  p.Handler("Assistant1Idle", &TForm1::Assistant1Idle);
  p.Handler("TimerActorTimer", &TForm1::TimerActorTimer);
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {}

TForm1::~TForm1() {
  if (TApplication* app = ExistingApplication()) {
    app->OnRestore.Remove(FRestoreToken);
  }
}

void TForm1::FormCreate(TObject*) {
  // A second start: the guard has switched to the running clock, and this one reads,
  // writes and shows nothing on its way out.
  if (Application->DuplicateInstance()) return;

  // The clock's logic on this window's components.
  FParts.DateCaption = std::make_unique<TLabelDateCaption>(KitLabel1);
  FParts.TalkInterval = std::make_unique<TKitTalkInterval>(KitTrackBar1);
  FParts.Alarm = std::make_unique<TControlsAlarmSetting>(CheckBox2, MaskEdit1, Panel2, Button5);
  FParts.Countdown = std::make_unique<TControlsCountdown>(NeatTrackBar1, LabelTimer, BitBtnStartTimer, BitBtnStopTimer);
  FParts.Led = std::make_unique<TLedCountdown>(DskLed1);
  FParts.SignalButtons = std::make_unique<TControlsSignalButtons>(Button6, Button7);
  FParts.HotKey = std::make_unique<TKitSayTimeHotKey>(KitGlobalHotKey1);
  FParts.AlarmNotice = std::make_unique<TPopUpNotice>(DskPopUp2);
  FParts.CountdownNotice = std::make_unique<TPopUpNotice>(DskPopUp1);
  auto reminder = std::make_unique<TDialogReminderInput>(DskMsgDlgHolder1->Items(0));
  FReminderInput = reminder.get();
  FParts.ReminderInput = std::move(reminder);
  FParts.Options = std::make_unique<TStoredOptions>(DskStoreData1);
  FParts.Tone = std::make_unique<TSystemTone>();
  FParts.Starter = std::make_unique<TKitProgramStarter>(KitStarter1);
  FParts.Shutdown = std::make_unique<TExitWindowsShutdown>();
  FParts.Character = std::make_unique<TAssistantCharacter>(Assistant1, TimerActor);
  TTrayMenuItems items;
  items.First = N1;
  items.Talk = N8;
  items.OnTop = N19;
  items.Kinds[0] = N16;
  items.Kinds[1] = N17;
  items.Kinds[2] = N18;
  items.ScreenSaver = N10;
  TMenuItem* presets[] = {N21, N22, N23, N24, N25, N26};
  for (int i = 0; i < 6; ++i) items.Presets[i] = presets[i];
  items.Stop = N27;
  auto tray = std::make_unique<TIconTrayMenu>(FParts, DtTrayIcon1, items);
  FTray = tray.get();
  FParts.Tray = std::move(tray);
  FTray->ScreenSaverInstalled = [this] { return DskSystemManager1->ScreenSaver()->GetInstalled(); };
  FTray->CountdownTicking = [this] { return Timer->GetEnabled(); };
  FTray->SetFirstItem(kSayTimeCaption, [this] { AnnounceTime(); });

  FTick = std::make_unique<TClockTick>(FParts, FGate, Timer1);
  FTick->OnAnnounce = [this] { AnnounceTime(); };
  TAnnouncementTimers timers;
  timers.Play = {TimerPlay1, TimerPlay2, TimerPlay3, TimerPlay4, TimerPlay5, TimerPlay6};
  timers.EndPlay = TimerEndPlay;
  timers.EndPlayHide = TimerEndPlayHide;
  timers.Fly = TimerFly;
  timers.Temp = TimerTemp;
  FAnnouncement = std::make_unique<TAnnouncement>(timers, MediaPlayer1, FGate, FParts);
  TSignalTimers signalTimers;
  signalTimers.EndRing = TimerEndRing;
  signalTimers.RingOff = TimerRingOff;
  signalTimers.MenuRingOff = TimerMenuRingOff;
  signalTimers.BeeperMain = TimerBeeperMain;
  signalTimers.Beeper1 = TimerBeeper1;
  signalTimers.Beeper2 = TimerBeeper2;
  signalTimers.Fly = TimerFly;
  FSignals = std::make_unique<TSignals>(signalTimers, MediaPlayer2, FGate, FParts);
  FSignals->ChosenMelody = [this] { return ComboBox1->GetText(); };
  FSignals->OnSayTime = [this] { AnnounceTime(); };
  FAlarm = std::make_unique<TAlarm>(TAlarmTimers{Timer1, Timer2, Timer3}, *FSignals, FParts);
  FAlarm->OnSave = [this](const String& Time, bool On) {
    DskStoreData1->StoreWriteString("Trigger", Time);
    DskStoreData1->StoreWriteInteger("TriggerEnabled", On ? 1 : 0);
  };
  FTick->OnAlarm = [this] { FAlarm->RaiseAlarm(); };
  FCountdown = std::make_unique<TCountdown>(TCountdownTimers{Timer, TimerEnd}, *FSignals, FParts);
  FCountdown->OnWarning = [](const String& Text) { Application->MessageBox(Text, "", MB_OK); };
  FGate.OnChange = [this] {
    bool may = FGate.MaySpeakNow();
    Button1->SetEnabled(may);
    FParts.Tray->SetSayTimeEnabled(may);
  };

  FTick->Start();
  Randomize();
  ProgramFolder = ExeFolder();
  FAnnouncement->ProgramFolder = ProgramFolder;
  FSignals->ProgramFolder = ProgramFolder;

  PlayerOpen = false;

  for (const String& name : FindMelodies(ProgramFolder)) ComboBox1->GetItems()->Add(name);
  FParts.Character->SetStagePos(DskStoreData1->StoreReadInteger("ActorLeft", 0),
                                DskStoreData1->StoreReadInteger("ActorTop", 0));
  ComboBox1->SetItemIndex(DskStoreData1->StoreReadInteger("Ring", 0));
  FParts.TalkInterval->SetPosition(DskStoreData1->StoreReadInteger("RingTime", 0));
  FAlarm->Load(DskStoreData1->StoreReadString("Trigger", "06:00"),
               DskStoreData1->StoreReadInteger("TriggerEnabled", 0) != 0);
  FCountdown->BarChange();

  // The tray's marks as stored, and no hotkey, until the settings window applies every
  // option (autostart, the character, the hotkey …) at its creation.
  FTray->Load();
  KitGlobalHotKey1->SetActive(false);

  FRestoreToken = Application->OnRestore.Add([this](TObject*) {
    // The micro clock stands in for the window only while it is minimised.
    FParts.MicroClock->Hide();
    TrayFlag = false;
    SaveWindowState();
  });
}

void TForm1::WriteCharacterFiles() {
  TStoredFilesPlacement placed =
      WriteStoredFiles(DskFileHolder1, kCharacterFiles, ProgramFolder, StoredFilesFallbackFolder());
  FStoredFilesFolder = placed.Folder;
  DskFileHolder1->ReleaseContents();
  if (!placed.Errors.empty()) {
    FStoredFilesError = "Не удалось записать файлы персонажей:";
    for (const String& error : placed.Errors) FStoredFilesError += "\n" + error;
  }
}

void TForm1::Assistant1Idle(TObject*, int, bool&) { CharacterIdle(*FParts.Character); }

void TForm1::TimerActorTimer(TObject*) { FParts.Character->MoveToRandomPlace(); }

void TForm1::FormActivate(TObject*) {
  if (Application->DuplicateInstance()) return;
  // A clock closed while minimised starts minimised. Only at the first activation: later
  // ones come as the window is brought back (restored, another program left), while the
  // stored state still says minimised until the restore is over.
  if (!FActivated) {
    FActivated = true;
    if (DskStoreData1->StoreReadInteger("FormTray", 0) == 1) {
      PostMessageW(GetHandle(), kStartMinimisedMessage, 0, 0);
      TrayFlag = true;
    } else {
      TrayFlag = false;
    }
  }
  FParts.DateCaption->ShowDate(FormatDateTime("d mmmm yyyy, dddd", Now(), RussianFormatSettings()));
  FAlarm->ShowState();
  bool onTop = FParts.Options->LittleClockTop();
  FParts.Options->SetLittleClockTop(onTop);
  FParts.MicroClock->SetStayOnTop(onTop);
}

void TForm1::ShowFirst() {
  if (DskStoreData1->StoreReadInteger("FormTray", 0) == 1) return;  // it starts minimised
  FShownFirst = true;
  Show();
  Update();
}

void TForm1::OtherWindowsMade() {
  if (FShownFirst && FActivated) FormActivate(this);
}

void TForm1::SaveWindowState() {
  DskStoreData1->StoreWriteInteger("Form2State1", FParts.MicroClock->Left());
  DskStoreData1->StoreWriteInteger("Form2State2", FParts.MicroClock->Top());
  DskStoreData1->StoreWriteInteger("ActorLeft", FParts.Character->StageLeft());
  DskStoreData1->StoreWriteInteger("ActorTop", FParts.Character->StageTop());
  DskStoreData1->StoreWriteInteger("MinClockColorBack", FParts.Options->MinClockColorBack());
  DskStoreData1->StoreWriteInteger("MinClockColor1", FParts.Options->MinClockColor1());
  DskStoreData1->StoreWriteInteger("MinClockColor2", FParts.Options->MinClockColor2());
  DskStoreData1->StoreWriteInteger("FormTray", TrayFlag ? 1 : 0);
}

void TForm1::Timer1Timer(TObject*) { FTick->Tick(); }

void TForm1::AnnounceTime() { FAnnouncement->AnnounceTime(FTick->Hour, FTick->Minute, ComboBox1->GetText()); }

void TForm1::Button1Click(TObject*) { AnnounceTime(); }

void TForm1::Button2Click(TObject*) {
  Application->Minimize();
  TrayFlag = true;
  if (FParts.Options->LittleClock()) FParts.MicroClock->Show();
  if (PlayerOpen && Form5) Form5->Show();
  SaveWindowState();
}

void TForm1::Button3Click(TObject*) {
  if (FExiting) return;
  // A modal window's loop must end first: the exit comes once it has.
  if (CancelModalWindows()) {
    FExiting = true;
    PostMessageW(GetHandle(), kExitMessage, 0, 0);
    return;
  }
  ExitNow();
}

void TForm1::ExitNow() {
  FExiting = true;
  SaveWindowState();
  Close();
}

namespace {

BOOL CALLBACK CloseMessageBox(HWND Window, LPARAM Found) {
  wchar_t name[16] = L"";
  GetClassNameW(Window, name, 16);
  if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(Window)) {
    PostMessageW(Window, WM_CLOSE, 0, 0);
    *reinterpret_cast<bool*>(Found) = true;
  }
  return TRUE;
}

}  // namespace

bool TForm1::CancelModalWindows() {
  bool found = false;
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (form->FormState().Contains(fsModal)) {
      form->SetModalResult(mrCancel);
      found = true;
    }
  }
  EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, reinterpret_cast<LPARAM>(&found));
  return found;
}

void TForm1::Dispatch(TMessage& Message) {
  if (Message.Msg == kStartMinimisedMessage) {
    Button2Click(this);
    return;
  }
  if (Message.Msg == kExitMessage) {
    if (CancelModalWindows()) PostMessageW(GetHandle(), kExitMessage, 0, 0);
    else ExitNow();
    return;
  }
  TForm::Dispatch(Message);
}

void TForm1::ComboBox1Change(TObject*) { DskStoreData1->StoreWriteInteger("Ring", ComboBox1->GetItemIndex()); }

void TForm1::KitTrackBar1Change(TObject*) {
  if (FTick) DskStoreData1->StoreWriteInteger("RingTime", KitTrackBar1->GetPosition());
}

void TForm1::Button5Click(TObject*) { FAlarm->PanelButtonClick(); }

void TForm1::CheckBox2Click(TObject*) {
  if (FAlarm) FAlarm->OnBoxClick();
}

void TForm1::Button6Click(TObject*) { FAlarm->SwitchOff(); }

void TForm1::Button7Click(TObject*) { FCountdown->SwitchOff(); }

void TForm1::Button8Click(TObject*) {
  FAlarm->SwitchOff();
  FCountdown->SwitchOff();
}

void TForm1::NeatTrackBar1Change(TObject*) {
  if (FCountdown) FCountdown->BarChange();
}

void TForm1::BitBtnStartTimerClick(TObject*) { FCountdown->StartClick(); }

void TForm1::BitBtnStopTimerClick(TObject*) { FCountdown->StopClick(); }

void TForm1::DskMsgDlgHolder1Messages0mrOk(TObject*) {
  if (FReminderInput) FReminderInput->Confirm();
}

// Any close but "ОК" is a cancel, which the countdown takes from the dialog's answer.
void TForm1::DskMsgDlgHolder1Messages0mrCancel(TObject*) {}

void TForm1::KitClock1MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
  // The borderless window follows the mouse as if it were dragged by a caption.
  if (Button == mbRight) return;
  ReleaseCapture();
  SendMessageW(GetHandle(), WM_SYSCOMMAND, 0xF012, 0);
}

void TForm1::KitGlobalHotKey1KeyDown(TObject*, WORD&, TShiftState) { AnnounceTime(); }

void TForm1::DtTrayIcon1MouseLeftUp(TObject*) {
  if (Form2) Form2->Hide();
  Application->Restore();
}

void TForm1::ShowModalWindow(TCustomForm* Form) {
  if (!Form) return;
  if (Form->GetVisible()) Form->BringToFront();
  else Form->ShowModal();
}

void TForm1::ShowWindowAbove(TCustomForm* Form) {
  if (!Form) return;
  // Below the stay-on-top shield it would not be seen.
  if (GetFormStyle() == fsStayOnTop) Form->SetFormStyle(fsStayOnTop);
  if (!Form->GetVisible()) Form->Show();
  Form->BringToFront();
}

void TForm1::Button4Click(TObject*) { ShowModalWindow(Form3); }

void TForm1::KitLabel1Click(TObject*) { ShowWindowAbove(Form4); }

void TForm1::N1Click(TObject*) { FTray->ClickFirst(); }

void TForm1::N5Click(TObject*) { ShowModalWindow(Form3); }

void TForm1::N8Click(TObject*) { FTray->TalkToggle(); }

void TForm1::N16Click(TObject*) { FTray->SetMiniClockKind(0); }

void TForm1::N17Click(TObject*) { FTray->SetMiniClockKind(1); }

void TForm1::N18Click(TObject*) { FTray->SetMiniClockKind(2); }

void TForm1::N19Click(TObject*) { FTray->OnTopToggle(); }

void TForm1::MenuCalculatorClick(TObject*) {
  if (TGxCalculatorForm* open = GxCalculator1->CalculatorForm()) open->BringToFront();
  else GxCalculator1->ShowModalCalculator();
}

void TForm1::N14Click(TObject*) { ShowModalWindow(Form6); }

void TForm1::N9Click(TObject*) { ShowWindowAbove(Form5); }

void TForm1::N10Click(TObject*) { DskSystemManager1->StartScreenSaver(); }

void TForm1::TimerPresetClick(TObject* Sender) {
  static const int kMinutes[] = {5, 10, 15, 30, 45, 60};
  TMenuItem* presets[] = {N21, N22, N23, N24, N25, N26};
  for (int i = 0; i < 6; ++i)
    if (Sender == presets[i]) FCountdown->Preset(kMinutes[i]);
}

void TForm1::BitBtn1Click(TObject*) { ShowAboutBox(); }

void TForm1::PackReminders() { FParts.Calendar->PackTable(); }

void TForm1::FormClose(TObject*, TCloseAction&) {
  if (Application->DuplicateInstance()) return;  // it wrote nothing to undo
  // However the window is closed (the exit button, the system), its state is kept; a step
  // that fails is reported and the others still run, so the window always closes.
  for (auto step : {&TForm1::SaveWindowState, &TForm1::PackReminders}) {
    try {
      (this->*step)();
    } catch (...) {
      Application->HandleException(this);
    }
  }
  // The character lets go of its file before the file is deleted.
  try {
    FParts.Character->SetActorLibrary("");
  } catch (...) {
    Application->HandleException(this);
  }
  DeleteStoredFiles(KitFileCtrl1, FStoredFilesFolder, kCharacterFiles);
}
