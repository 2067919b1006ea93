#pragma once
// The single-instance guard. TNeatInstancesChecker keeps a program from running twice: once
// its form is loaded it looks for a global atom named by the executable's full path (letter
// case does not matter); the first start adds it, a later start looks for the earlier one's
// application window (same class and title) and, by InstanceAction, brings it to the front
// (restored when minimised) or closes it, and ends itself through
// TApplication::TerminateDuplicate. The look-up and the add run under a named mutex, so two
// starts at once cannot both miss the atom. A path too long for an atom (over 255
// characters) leaves the guard off.
//
// TNeatWindowsInformant takes a snapshot of the desktop's windows (the top-level ones, or
// the children of ParentWindow), on Refresh and, when Timered, every Interval ms.
// Windows only.
#include <cstdint>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/core/messages.h"
#include "classlib/core/winapi.h"

struct TNeatWindowRecord {
  String Text;       // GetWindowTextW, at most 255 characters
  String ClassName;  // GetClassNameW
  HWND Handle = nullptr;
  LONG_PTR Style = 0;
  LONG_PTR ExStyle = 0;
  RECT WindowRect{};
  RECT ClientRect{};
  bool Enabled = false;
  bool Visible = false;
  bool Maximized = false;
  bool Minimized = false;
};

// One record of a window.
TNeatWindowRecord ReadWindowRecord(HWND Window);

class TNeatWindowsInformant : public TComponent {
  HX_CLASS(TNeatWindowsInformant, TComponent)
 public:
  explicit TNeatWindowsInformant(TComponent* AOwner);
  ~TNeatWindowsInformant() override;

  // Takes the snapshot afresh, between OnWindowsUpdating and OnWindowsUpdated.
  virtual void Refresh();
  int Count() const { return static_cast<int>(FRecords.size()); }
  // nullptr outside 0 .. Count() - 1.
  const TNeatWindowRecord* Records(int Index) const;

  // nullptr: the top-level windows.
  HWND GetParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value) { FParentWindow = Value; }
  // Re-arm the refresh timer; EOutOfResources "Not enough timers available" when none is
  // left.
  std::uint32_t GetInterval() const { return FInterval; }
  void SetInterval(std::uint32_t Value);
  bool GetTimered() const { return FTimered; }
  void SetTimered(bool Value);

  TNotifyEvent OnWindowsUpdating;
  TNotifyEvent OnWindowsUpdated;

 protected:
  virtual void WndProc(TMessage& Message);

 private:
  void UpdateTimer();

  std::vector<TNeatWindowRecord> FRecords;
  HWND FWindow = nullptr;
  HWND FParentWindow = nullptr;
  std::uint32_t FInterval = 1000;
  bool FTimered = false;
};

HX_ENUM(TInstanceAction, iaStartNew, iaSwitchToPrevious, iaCloseAll);

class TNeatInstancesChecker : public TComponent {
  HX_CLASS(TNeatInstancesChecker, TComponent)
 public:
  explicit TNeatInstancesChecker(TComponent* AOwner);
  ~TNeatInstancesChecker() override;  // deletes the atom it added

  TInstanceAction InstanceAction = iaSwitchToPrevious;
  // The atom this start added (-1: none).
  int Atom() const { return FAtom; }

 protected:
  void Loaded() override;

 private:
  void OtherInstance();
  int FAtom = -1;
};
