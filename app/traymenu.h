#pragma once
// The tray icon's menu and hint as the clock keeps them (PopupMenu1, DtTrayIcon1): what
// each item reads, whether it is enabled or ticked, and the hint, with the menu's own
// commands (the talk and on-top toggles, the micro clock's kind). The main window mirrors
// this state onto its menu items and icon (Apply); tests read it here.
//
//   0  "Сказать время", or while signals ring the switch-off of them (enabled then; as
//      "Сказать время" exactly while the time may be spoken)
//   1  "Настройка" ▸ "Автоматически говорить время" ✓ TalkTime, "Вид микрочасов" ▸ the
//      kind ✓ DigitalMiniClock, "Поверх всех окон" ✓ LittleClockTop
//   6  "Запуск заставки", enabled while a screen saver is installed
//   7  "Таймер" ▸ the six presets while no countdown runs, "Остановить" while one does
#include <functional>

#include "app/clockparts.h"

// The caption of item 0 when it says the time.
inline constexpr char kSayTimeCaption[] = "Сказать время";

// The hint: "Хоравокс", or what runs — the countdown's minutes left, the alarm's time.
String TrayHint(bool CountdownRunning, int MinutesLeft, bool AlarmOn, const String& AlarmTime);

class TTrayModel : public TTrayMenu {
 public:
  // Parts: where the countdown's minutes, the alarm setting, the options, the talk-interval
  // bar and the micro clock are read and set, at each call.
  explicit TTrayModel(TClockParts& Parts);

  // The marks as the options have them (at start).
  void Load();

  // TTrayMenu
  void SetSayTimeEnabled(bool Value) override;
  void RefreshScreenSaverItem() override;
  void RefreshHint() override;
  void SetFirstItem(const String& Caption, std::function<void()> OnClick) override;
  void SetCountdownRunning(bool Value) override;
  void OptionsChanged() override { Load(); }

  // Item 0: clicked while disabled it does nothing.
  const String& FirstCaption() const { return FFirstCaption; }
  bool FirstEnabled() const { return FFirstCaption != kSayTimeCaption || FMaySpeak; }
  void ClickFirst();

  // Each toggle sets its option to the opposite of the option's value; the mark shows the
  // option. Talking off greys the talk-interval bar.
  void TalkToggle();
  void OnTopToggle();
  // 0 "Маленькие", 1 "Цифровые", 2 "Аналоговые".
  void SetMiniClockKind(int Kind);

  bool TalkChecked() const { return FTalkChecked; }
  bool OnTopChecked() const { return FOnTopChecked; }
  int MiniClockKind() const { return FKind; }
  bool PresetsEnabled() const { return !FCountdownRunning; }
  bool StopEnabled() const { return FCountdownRunning; }
  bool ScreenSaverEnabled() const { return FScreenSaver; }
  const String& Hint() const { return FHint; }

  // Whether a screen saver is installed (none: not installed).
  std::function<bool()> ScreenSaverInstalled;
  // Whether the countdown's tick runs now (its minutes count down); none: it does not.
  std::function<bool()> CountdownTicking;

 protected:
  // Something shown changed: the menu and icon take it over.
  virtual void Apply() {}

 private:
  TClockParts& FParts;
  String FFirstCaption = kSayTimeCaption;
  std::function<void()> FFirstClick;
  bool FMaySpeak = true;
  bool FTalkChecked = true, FOnTopChecked = true;
  int FKind = 0;
  bool FCountdownRunning = false;
  bool FScreenSaver = false;
  String FHint = "Хоравокс";
};
