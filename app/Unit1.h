#pragma once
// TForm1, the main window: the date and time, the say-time button, the alarm, the
// countdown, minimise and exit, and the components the clock runs on (the clock tick, the
// timers of the spoken time and of the signals, the two media players, the settings
// store, the stored character files). The clock's logic lives in its own classes
// (clocktick.h, announcement.h, alarm.h, countdown.h, signals.h); this class reads and
// writes the main window's settings and wires its controls to that logic. Windows only.
#include <memory>

#include "app/alarm.h"
#include "app/announcement.h"
#include "app/clockparts.h"
#include "app/clockrules.h"
#include "app/clocktick.h"
#include "app/countdown.h"
#include "app/signals.h"
#include "classlib/buttons.h"
#include "classlib/comctrls.h"
#include "classlib/extctrls.h"
#include "classlib/forms.h"
#include "classlib/mask.h"
#include "classlib/mplayer.h"
#include "classlib/stdctrls.h"
#include "classlib/timers.h"

class TDskStoreData;
class TDskFileHolder;
class TKitFileCtrl;

class TForm1 : public TForm {
  HX_CLASS(TForm1, TForm)
 public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;

  // From the form.
  TLabel* KitLabel1 = nullptr;  // the date
  TLabel* KitClock1 = nullptr;  // the time
  TButton* Button1 = nullptr;   // "Время": say the time
  TButton* Button2 = nullptr;   // "Свернуть"
  TButton* Button3 = nullptr;   // "Выход"
  TButton* Button5 = nullptr;   // the alarm panel's button
  TButton* Button6 = nullptr;   // switches the alarm's signal off
  TButton* Button7 = nullptr;   // switches the countdown's signal off
  TButton* Button8 = nullptr;   // switches both off (never shown)
  TTrackBar* NeatTrackBar1 = nullptr;     // the countdown's minutes
  TLabel* LabelTimer = nullptr;           // the countdown's label
  TBitBtn* BitBtnStartTimer = nullptr;    // starts the countdown
  TBitBtn* BitBtnStopTimer = nullptr;     // stops it
  TTrackBar* KitTrackBar1 = nullptr;  // the talk interval
  TComboBox* ComboBox1 = nullptr;     // the chime and alarm melody
  TPanel* Panel2 = nullptr;           // the alarm panel
  TCheckBox* CheckBox2 = nullptr;     // the alarm on
  TMaskEdit* MaskEdit1 = nullptr;     // the alarm time
  TTimer* Timer1 = nullptr;     // the clock tick
  TTimer* TimerPlay1 = nullptr;
  TTimer* TimerPlay2 = nullptr;
  TTimer* TimerPlay3 = nullptr;
  TTimer* TimerPlay4 = nullptr;
  TTimer* TimerPlay5 = nullptr;
  TTimer* TimerPlay6 = nullptr;
  TTimer* TimerEndPlay = nullptr;
  TTimer* TimerEndPlayHide = nullptr;
  TTimer* TimerFly = nullptr;
  TTimer* TimerTemp = nullptr;
  TTimer* Timer2 = nullptr;            // the alarm's repeat
  TTimer* Timer3 = nullptr;            // the clock tick's restart after the alarm
  TTimer* TimerEndRing = nullptr;      // the signals' automatic switch-off
  TTimer* TimerRingOff = nullptr;      // the character's tidy-up after the signals
  TTimer* TimerMenuRingOff = nullptr;  // the tray item's label
  TTimer* TimerBeeperMain = nullptr;
  TTimer* TimerBeeper1 = nullptr;
  TTimer* TimerBeeper2 = nullptr;
  TTimer* Timer = nullptr;             // the countdown's tick
  TTimer* TimerEnd = nullptr;          // the countdown signal's repeat
  TMediaPlayer* MediaPlayer1 = nullptr;  // speaks the time
  TMediaPlayer* MediaPlayer2 = nullptr;  // rings the signals
  TDskStoreData* DskStoreData1 = nullptr;
  TDskFileHolder* DskFileHolder1 = nullptr;
  TKitFileCtrl* KitFileCtrl1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Timer1Timer(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void KitTrackBar1Change(TObject* Sender);
  void Button5Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void Button6Click(TObject* Sender);
  void Button7Click(TObject* Sender);
  void Button8Click(TObject* Sender);
  void NeatTrackBar1Change(TObject* Sender);
  void BitBtnStartTimerClick(TObject* Sender);
  void BitBtnStopTimerClick(TObject* Sender);

  // Writes the window state: the micro clock's place, the character's, the micro clock's
  // colours and whether the window is in the tray.
  void SaveWindowState();
  // Says the current time, unless it may not be spoken now.
  void AnnounceTime();

  // The folder of the executable, ending with a backslash.
  String ProgramFolder;
  // The current time, decoded at every tick.
  std::uint16_t Hour() const { return FTick->Hour; }
  std::uint16_t Minute() const { return FTick->Minute; }
  std::uint16_t Second() const { return FTick->Second; }
  // The window is minimised to the tray.
  bool TrayFlag = false;
  // The audio player is to be shown again when the window is minimised.
  bool PlayerOpen = false;

  TClockParts& Parts() { return FParts; }
  TSayTimeGate& Gate() { return FGate; }
  TSignals& Signals() { return *FSignals; }
  TAlarm& Alarm() { return *FAlarm; }
  TCountdown& Countdown() { return *FCountdown; }

 private:
  void PackReminders();

  TClockParts FParts;
  TSayTimeGate FGate;
  std::unique_ptr<TClockTick> FTick;
  std::unique_ptr<TAnnouncement> FAnnouncement;
  std::unique_ptr<TSignals> FSignals;
  std::unique_ptr<TAlarm> FAlarm;
  std::unique_ptr<TCountdown> FCountdown;
  String FStoredFilesFolder;  // where the character files were written
  int FRestoreToken = 0;
  bool FActivated = false;  // the first activation has been
};

extern TForm1* Form1;
