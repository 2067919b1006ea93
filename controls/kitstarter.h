#pragma once
// TKitStarter: starts a program, document or folder through the shell with a verb and a
// window state, reports a failed start (ErrorCode, OnError), tells OnFinished when the
// started process has ended (polled on a 500 ms item of the kit's timer pool), can wait for
// it, and can start itself once at StartTime (AutoStart, checked on a 1000 ms pool item).
//
// TKitDateTime keeps the six parts of a date and time as they are set, in any order (a form
// may set the day before the month and year), and composes the value when it is read, the
// day cut to the month's length.
//
// TKitDateTime is portable; TKitStarter is Windows only.
#include <cstdint>
#include <memory>

#include "classlib/core/datetime.h"
#include "controls/kitbase.h"

class TKitDateTime : public TKitObject {
  HX_CLASS(TKitDateTime, TKitObject)
 public:
  TKitDateTime() = default;  // 1 January 1990, 0:00:00

  // Every part outside its range is brought into it when the value is composed.
  TDateTime Value() const;
  void SetValue(TDateTime Value);
  void Assign(TPersistent* Source) override;

  std::uint8_t GetDay() const { return FDay; }
  void SetDay(std::uint8_t Value) { SetPart(FDay, Value); }
  std::uint8_t GetMonth() const { return FMonth; }
  void SetMonth(std::uint8_t Value) { SetPart(FMonth, Value); }
  int GetYear() const { return FYear; }
  void SetYear(int Value) { SetPart(FYear, Value); }
  std::uint8_t GetHour() const { return FHour; }
  void SetHour(std::uint8_t Value) { SetPart(FHour, Value); }
  std::uint8_t GetMinute() const { return FMinute; }
  void SetMinute(std::uint8_t Value) { SetPart(FMinute, Value); }
  std::uint8_t GetSecond() const { return FSecond; }
  void SetSecond(std::uint8_t Value) { SetPart(FSecond, Value); }

 private:
  template <class T>
  void SetPart(T& Part, T Value) {
    if (Part == Value) return;
    Part = Value;
    Change();
  }

  int FYear = 1990;
  std::uint8_t FMonth = 1, FDay = 1, FHour = 0, FMinute = 0, FSecond = 0;
};

#ifdef _WIN32
#include "classlib/core/seam.h"
#include "classlib/core/winapi.h"

#include <shellapi.h>

HX_ENUM(TKitStarterOperation, smOpen, smPrint, smExplore);
HX_ENUM(TKitStarterOptions, soSW_HIDE, soSW_MAXIMIZE, soSW_MINIMIZE, soSW_RESTORE, soSW_SHOW, soSW_SHOWMAXIMIZED,
        soSW_SHOWMINIMIZED, soSW_SHOWMINNOACTIVE, soSW_SHOWNA, soSW_SHOWNORMAL);

// How the starter reaches the shell; tests install a recording one (TSeamScope).
class TKitStarterShell {
 public:
  virtual ~TKitStarterShell() = default;
  // ShellExecuteExW.
  virtual bool Execute(SHELLEXECUTEINFOW& Info) = 0;
  static TKitStarterShell& System();
};

class TKitStarter : public TKitComponent {
  HX_CLASS(TKitStarter, TKitComponent)
 public:
  // EOutOfResources when the timer pool has no free item.
  explicit TKitStarter(TComponent* AOwner);
  ~TKitStarter() override;

  TKitStarterOperation StartOperation = smOpen;
  TKitStarterOptions StartOption = soSW_SHOW;
  String Command;
  String Parameters;
  String DefaultDir;
  bool Wait = false;
  bool GetAutoStart() const { return FAutoStart; }
  void SetAutoStart(bool Value);
  TKitDateTime* GetStartTime() const { return FStartTime.get(); }

  // Starts Command. A failed start stores its code and fires OnError (sender nil);
  // OnBeforeStart and OnAfterStart fire either way. With OnFinished assigned the process is
  // polled until it ends; with Wait the call returns only then (handling messages
  // meanwhile, input dropped). EOutOfResources when the pool has no item for the poll.
  void Execute();

  // The shell's code of the last failed start (SE_ERR_*), or the system error when the shell
  // gave none; 0 after a successful one.
  int ErrorCode() const { return FErrorCode; }
  // The started process, until OnFinished has run or the next start replaces it.
  HANDLE ProcessHandle() const { return FProcess; }
  // The finish poll's pool item (0: none).
  std::uint16_t PollTimer() const { return FPollTimer; }

  TNotifyEvent OnBeforeStart;
  TNotifyEvent OnAfterStart;
  TNotifyEvent OnError;
  TNotifyEvent OnFinished;

 private:
  void PollFinished();
  void CheckStartTime();
  void StopPolling();
  void CloseProcess();

  bool FAutoStart = false;
  std::unique_ptr<TKitDateTime> FStartTime;
  std::uint16_t FStartTimer = 0;
  std::uint16_t FPollTimer = 0;
  std::int64_t FLastCheck = 0;  // the second of the previous start-time check
  int FErrorCode = 0;
  HANDLE FProcess = nullptr;
  bool FWaiting = false;
};

// The verb of an operation and the window state of an option.
const wchar_t* StarterVerb(TKitStarterOperation Operation);
int StarterShowCommand(TKitStarterOptions Option);
// The folder a smExplore start opens: Command up to its last "\" or ":" (which it keeps);
// a Command without either is taken as it is.
String StarterExploreFolder(const String& Command);
#endif
