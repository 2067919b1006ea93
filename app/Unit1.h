#pragma once
// TForm1, the main window: a shield on the desktop with the date and time, the say-time
// button, the alarm, the countdown, minimise and exit; the tray icon with its menu and
// hint; and the components the clock runs on (the clock tick, the timers of the spoken
// time and of the signals, the two media players, the settings store, the stored
// character files, the global hotkey, the pop-up notices, the autostart entry and the
// single-instance guard). The clock's logic lives in its own classes
// (clocktick.h, announcement.h, alarm.h, countdown.h, signals.h, traymenu.h); this class reads and
// writes the main window's settings and wires its controls to that logic. Windows only.
#include <memory>

#include "app/alarm.h"
#include "app/announcement.h"
#include "app/clockparts.h"
#include "app/clockrules.h"
#include "app/clocktick.h"
#include "app/countdown.h"
#include "app/signals.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/menus.h"
#include "classlib/windows/mask.h"
#include "classlib/core/mplayer.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"

class TDskStoreData;
class TDskFileHolder;
class TKitFileCtrl;
class TNeatInstancesChecker;
class TKitFormShape;
class TKitLabel;
class TKitClock;
class TKitTrackBar;
class TNeatBtn;
class TNeatTrackBar;
class TDskLed;
class TDtTrayIcon;
class TDskPopUp;
class TKitGlobalHotKey;
class TDskMsgDlgHolder;
class TKitStarter;
class TDskSystemManager;
class TAutoRun;
class TDskModalWatch;
class TGxCalculator;
class TIconTrayMenu;
class TDialogReminderInput;
class TAssistant;

class TForm1 : public TForm {
  HX_CLASS(TForm1, TForm)
 public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;

  // From the form.
  TNeatInstancesChecker* NeatInstancesChecker1 = nullptr;  // the first component: a second start ends here
  TKitFormShape* KitFormShape1 = nullptr;  // the shield and its gradient
  TKitLabel* KitLabel1 = nullptr;    // the date; a click shows the reminder calendar
  TKitClock* KitClock1 = nullptr;    // the time, in its own LED cells
  TNeatBtn* Button1 = nullptr;       // "Время": say the time
  TNeatBtn* Button2 = nullptr;       // "Свернуть"
  TNeatBtn* Button3 = nullptr;       // "Выход"
  TNeatBtn* Button4 = nullptr;       // "Настройка"
  TNeatBtn* Button5 = nullptr;       // the alarm panel's button
  TNeatBtn* Button6 = nullptr;       // switches the alarm's signal off
  TNeatBtn* Button7 = nullptr;       // switches the countdown's signal off
  TButton* Button8 = nullptr;        // switches both off (never shown)
  TNeatTrackBar* NeatTrackBar1 = nullptr;  // the countdown's minutes
  TKitLabel* LabelTimer = nullptr;         // the countdown's label
  TDskLed* DskLed1 = nullptr;              // blinks while the countdown runs
  TBitBtn* BitBtnStartTimer = nullptr;     // starts the countdown
  TBitBtn* BitBtnStopTimer = nullptr;      // stops it
  TKitTrackBar* KitTrackBar1 = nullptr;    // the talk interval
  TComboBox* ComboBox1 = nullptr;          // the chime and alarm melody
  TPanel* Panel2 = nullptr;                // the alarm panel
  TCheckBox* CheckBox2 = nullptr;          // the alarm on
  TMaskEdit* MaskEdit1 = nullptr;          // the alarm time
  TPopupMenu* PopupMenu1 = nullptr;        // the tray menu
  TMenuItem* N1 = nullptr;                 // item 0: say the time, or switch the signals off
  TMenuItem* N8 = nullptr;                 // "Автоматически говорить время"
  TMenuItem* N16 = nullptr;                // "Маленькие"
  TMenuItem* N17 = nullptr;                // "Цифровые"
  TMenuItem* N18 = nullptr;                // "Аналоговые"
  TMenuItem* N19 = nullptr;                // "Поверх всех окон"
  TMenuItem* N10 = nullptr;                // "Запуск заставки"
  TMenuItem* N21 = nullptr;                // "Таймер" ▸ "На 5 минут" …
  TMenuItem* N22 = nullptr;
  TMenuItem* N23 = nullptr;
  TMenuItem* N24 = nullptr;
  TMenuItem* N25 = nullptr;
  TMenuItem* N26 = nullptr;                // … "На 1 час"
  TMenuItem* N27 = nullptr;                // "Остановить"
  TDtTrayIcon* DtTrayIcon1 = nullptr;
  TDskPopUp* DskPopUp1 = nullptr;          // the countdown's notice
  TDskPopUp* DskPopUp2 = nullptr;          // the alarm's notice
  TKitGlobalHotKey* KitGlobalHotKey1 = nullptr;  // says the time
  TDskMsgDlgHolder* DskMsgDlgHolder1 = nullptr;  // item 0: the countdown's reminder
  TKitStarter* KitStarter1 = nullptr;            // starts the countdown's program
  TDskSystemManager* DskSystemManager1 = nullptr;  // the screen saver
  TAutoRun* AutoRun1 = nullptr;                  // starts the clock with Windows
  TDskModalWatch* DskModalWatch1 = nullptr;
  TGxCalculator* GxCalculator1 = nullptr;
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
  TAssistant* Assistant1 = nullptr;    // the character
  TTimer* TimerActor = nullptr;        // the character's wandering

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
  void Button4Click(TObject* Sender);
  void KitClock1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void KitLabel1Click(TObject* Sender);
  void KitGlobalHotKey1KeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void DskMsgDlgHolder1Messages0mrOk(TObject* Sender);
  void DskMsgDlgHolder1Messages0mrCancel(TObject* Sender);
  void DtTrayIcon1MouseLeftUp(TObject* Sender);
  // The tray menu.
  void N1Click(TObject* Sender);
  void N5Click(TObject* Sender);
  void N8Click(TObject* Sender);
  void N16Click(TObject* Sender);
  void N17Click(TObject* Sender);
  void N18Click(TObject* Sender);
  void N19Click(TObject* Sender);
  void MenuCalculatorClick(TObject* Sender);
  void N14Click(TObject* Sender);
  void N9Click(TObject* Sender);
  void N10Click(TObject* Sender);
  void TimerPresetClick(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  // The character: at idle (on its own thread), and each wandering step.
  void Assistant1Idle(TObject* Sender, int Level, bool& Handled);
  void TimerActorTimer(TObject* Sender);

  // Writes the window state: the micro clock's place, the character's, the micro clock's
  // colours and whether the window is in the tray.
  void SaveWindowState();
  // Says the current time, unless it may not be spoken now.
  void AnnounceTime();

  // The folder of the executable, ending with a backslash.
  String ProgramFolder;
  // Where the character files were written: the program's folder, or this user's when
  // that one cannot be written.
  const String& StoredFilesFolder() const { return FStoredFilesFolder; }
  // Why the character files could not be written at start (empty when they were): the
  // settings window says it in its one report, with what else failed.
  const String& StoredFilesError() const { return FStoredFilesError; }
  // The current time, decoded at every tick.
  std::uint16_t Hour() const { return FTick->Hour; }
  std::uint16_t Minute() const { return FTick->Minute; }
  std::uint16_t Second() const { return FTick->Second; }
  // The window is minimised to the tray.
  bool TrayFlag = false;
  // Shows the window before the other windows are made, when it is to start shown (not
  // minimised to the tray), so the user sees the clock at once; OtherWindowsMade applies
  // what its activation gives them once they are there.
  void ShowFirst();
  void OtherWindowsMade();
  // Writes the characters' files (beside the program, or where this user may write) and
  // lets go of their stored copies: after the window is shown, before the settings window
  // that loads the chosen character is made.
  void WriteCharacterFiles();
  // The audio player is to be shown again when the window is minimised.
  bool PlayerOpen = false;

  TClockParts& Parts() { return FParts; }
  TSayTimeGate& Gate() { return FGate; }
  TSignals& Signals() { return *FSignals; }
  TAlarm& Alarm() { return *FAlarm; }
  TCountdown& Countdown() { return *FCountdown; }

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  void PackReminders();
  // A window opened from the clock, modal or not: one already open comes to the front.
  void ShowModalWindow(TCustomForm* Form);
  void ShowWindowAbove(TCustomForm* Form);
  // Cancels the modal windows and message boxes open now; false when there were none.
  bool CancelModalWindows();
  void ExitNow();

  TClockParts FParts;
  TSayTimeGate FGate;
  std::unique_ptr<TClockTick> FTick;
  std::unique_ptr<TAnnouncement> FAnnouncement;
  std::unique_ptr<TSignals> FSignals;
  std::unique_ptr<TAlarm> FAlarm;
  std::unique_ptr<TCountdown> FCountdown;
  String FStoredFilesFolder;  // where the character files were written
  String FStoredFilesError;
  bool FShownFirst = false;   // shown before the other windows were made
  int FRestoreToken = 0;
  bool FActivated = false;  // the first activation has been
  bool FExiting = false;    // "Выход" waits for the modal windows to close
  TIconTrayMenu* FTray = nullptr;                   // in FParts
  TDialogReminderInput* FReminderInput = nullptr;  // in FParts
};

extern TForm1* Form1;
