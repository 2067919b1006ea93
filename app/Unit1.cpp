#include "app/Unit1.h"

#include "app/Unit5.h"
#include "app/mainparts.h"
#include "app/melodies.h"
#include "app/storedata.h"
#include "app/storedfiles.h"
#include "app/systemparts.h"
#include "classlib/application.h"
#include "classlib/files.h"
#include "classlib/random.h"
#include "controls/kitfilectrl.h"

TForm1* Form1 = nullptr;

namespace {
const std::vector<String> kCharacterFiles{"Angel.aal", "Ann.aal", "Dolly.aal"};
}

HX_PUBLISH(TForm1, p) {
  p.Field("KitLabel1", &TForm1::KitLabel1);
  p.Field("KitClock1", &TForm1::KitClock1);
  p.Field("Button1", &TForm1::Button1);
  p.Field("Button2", &TForm1::Button2);
  p.Field("Button3", &TForm1::Button3);
  p.Field("Button5", &TForm1::Button5);
  p.Field("Button6", &TForm1::Button6);
  p.Field("Button7", &TForm1::Button7);
  p.Field("Button8", &TForm1::Button8);
  p.Field("NeatTrackBar1", &TForm1::NeatTrackBar1);
  p.Field("LabelTimer", &TForm1::LabelTimer);
  p.Field("BitBtnStartTimer", &TForm1::BitBtnStartTimer);
  p.Field("BitBtnStopTimer", &TForm1::BitBtnStopTimer);
  p.Field("KitTrackBar1", &TForm1::KitTrackBar1);
  p.Field("ComboBox1", &TForm1::ComboBox1);
  p.Field("Panel2", &TForm1::Panel2);
  p.Field("CheckBox2", &TForm1::CheckBox2);
  p.Field("MaskEdit1", &TForm1::MaskEdit1);
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
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {}

TForm1::~TForm1() {
  if (TApplication* app = ExistingApplication()) {
    app->OnRestore.Remove(FRestoreToken);
  }
}

void TForm1::FormCreate(TObject*) {
  // The clock's logic on this window's components.
  FParts.DateCaption = std::make_unique<TLabelDateCaption>(KitLabel1);
  FParts.ClockFace = std::make_unique<TLabelClockFace>(KitClock1);
  FParts.TalkInterval = std::make_unique<TTrackBarTalkInterval>(KitTrackBar1);
  FParts.Alarm = std::make_unique<TControlsAlarmSetting>(CheckBox2, MaskEdit1, Panel2, Button5);
  FParts.Countdown = std::make_unique<TControlsCountdown>(NeatTrackBar1, LabelTimer, BitBtnStartTimer, BitBtnStopTimer);
  FParts.SignalButtons = std::make_unique<TControlsSignalButtons>(Button6, Button7);
  FParts.Options = std::make_unique<TStoredOptions>(DskStoreData1);
  FParts.Tone = std::make_unique<TSystemTone>();
  FParts.Starter = std::make_unique<TShellProgramStarter>();
  FParts.Shutdown = std::make_unique<TExitWindowsShutdown>();
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

  // The characters' files go beside the program, or where this user may write.
  TStoredFilesPlacement placed =
      WriteStoredFiles(DskFileHolder1, kCharacterFiles, ProgramFolder, StoredFilesFallbackFolder());
  FStoredFilesFolder = placed.Folder;
  PlayerOpen = false;

  for (const String& name : FindMelodies(ProgramFolder)) ComboBox1->GetItems()->Add(name);
  FParts.Character->SetStagePos(DskStoreData1->StoreReadInteger("ActorLeft", 0),
                                DskStoreData1->StoreReadInteger("ActorTop", 0));
  ComboBox1->SetItemIndex(DskStoreData1->StoreReadInteger("Ring", 0));
  FParts.TalkInterval->SetPosition(DskStoreData1->StoreReadInteger("RingTime", 0));
  FAlarm->Load(DskStoreData1->StoreReadString("Trigger", "06:00"),
               DskStoreData1->StoreReadInteger("TriggerEnabled", 0) != 0);
  FCountdown->BarChange();
  // The micro clock's place, kept until the micro clock reads it itself.
  FParts.MicroClock->SetPlace(DskStoreData1->StoreReadInteger("Form2State1", 0),
                              DskStoreData1->StoreReadInteger("Form2State2", 0));

  FRestoreToken = Application->OnRestore.Add([this](TObject*) {
    TrayFlag = false;
    SaveWindowState();
  });

  if (!placed.Errors.empty()) {
    String text = "Не удалось записать файлы персонажей:";
    for (const String& error : placed.Errors) text += "\n" + error;
    Application->MessageBox(text, "", MB_OK | MB_ICONWARNING);
  }
}

void TForm1::FormActivate(TObject*) {
  // A clock closed while minimised starts minimised. Only at the first activation: later
  // ones come as the window is brought back (restored, another program left), while the
  // stored state still says minimised until the restore is over.
  if (!FActivated) {
    FActivated = true;
    if (DskStoreData1->StoreReadInteger("FormTray", 0) == 1) {
      Button2Click(this);
      TrayFlag = true;
    } else {
      TrayFlag = false;
    }
  }
  FParts.DateCaption->ShowDate(FormatDateTime("d mmmm yyyy, dddd", Now(), RussianFormatSettings()));
  FAlarm->ShowState();
  bool onTop = DskStoreData1->StoreReadInteger("LittleClockTop", 1) == 1;
  FParts.Options->SetLittleClockTop(onTop);
  FParts.MicroClock->SetStayOnTop(onTop);
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

void TForm1::Button3Click(TObject*) { Close(); }

void TForm1::ComboBox1Change(TObject*) { DskStoreData1->StoreWriteInteger("Ring", ComboBox1->GetItemIndex()); }

void TForm1::KitTrackBar1Change(TObject*) { DskStoreData1->StoreWriteInteger("RingTime", KitTrackBar1->GetPosition()); }

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

void TForm1::PackReminders() { FParts.Calendar->PackTable(); }

void TForm1::FormClose(TObject*, TCloseAction&) {
  // However the window is closed (the exit button, the system), its state is kept; a step
  // that fails is reported and the others still run, so the window always closes.
  for (auto step : {&TForm1::SaveWindowState, &TForm1::PackReminders}) {
    try {
      (this->*step)();
    } catch (...) {
      Application->HandleException(this);
    }
  }
  FParts.Character->SetActorLibrary("");
  DeleteStoredFiles(KitFileCtrl1, FStoredFilesFolder, kCharacterFiles);
}
