#pragma once
// TForm2, the micro clock: a small borderless window that shows the time while the main
// window is minimised, as text (time and date labels), LED digits or a dial, sticks to a
// corner, an edge or the middle of the work area of its monitor, shows the countdown's
// progress under the face, follows the mouse when dragged, has the tray menu on a right
// click and hands a dropped file to the audio player. It reads its place itself and keeps
// its labels' font under "MicroFont"; over itself it puts a TMicroClock into the main
// window's parts. Windows only.
#include <memory>
#include <vector>

#include "app/clockparts.h"
#include "classlib/windows/forms.h"

class TLabel;
class TKitClock;
class TGxClock;
class TFrMeter;
class TTimer;
class TPropStorage;
class TRegPropStorageMan;
class TDskStoreData;

class TForm2 : public TForm {
  HX_CLASS(TForm2, TForm)
 public:
  explicit TForm2(TComponent* AOwner);
  ~TForm2() override;

  TLabel* Label1 = nullptr;      // the time
  TLabel* Label2 = nullptr;      // the date
  TKitClock* KitClock1 = nullptr;  // LED digits
  TGxClock* GxClock1 = nullptr;    // the dial
  TFrMeter* Gauge1 = nullptr;      // the countdown's progress
  TTimer* Timer1 = nullptr;        // the tick
  TPropStorage* PropStorage1 = nullptr;  // the labels' font
  TRegPropStorageMan* RegPropStorageMan1 = nullptr;

  void FormCreate(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void KitClock1DblClick(TObject* Sender);
  void FormDropFiles(TObject* Sender, const std::vector<String>& Files, TPoint Pos);

  // Takes its stored place, puts this window's part into the clock's parts (where a
  // dropped file goes, too) and gives it the stored options.
  void AttachTo(TClockParts& Parts, TDskStoreData* Store);

  // What the options set (TMicroClock).
  void SetKind(int Kind);
  int Kind() const { return FKind; }
  bool ShowSeconds = true;
  bool ShowDate = true;
  int Placement = 0;  // microplace.h; another value reads as 0
  void SetColors(int Back, int Time, int Date);
  void SetDialSize(int Size);
  void SetTextFont(const String& Name, int Size);
  void PlaceMeterUnderFace();
  void SetMeterVisible(bool Value);
  // Sizes the window to its visible controls again.
  void Relayout();

 protected:
  // The tick runs while the window is shown.
  void DoShow() override;
  void DoHide() override;

 private:
  String FSavedFormat;  // the LED clock's format as the form has it
  int FKind = 0;
  TClockParts* FParts = nullptr;
  std::shared_ptr<TForm2*> FSelf;  // the part's way to this window, cleared when it goes
};

extern TForm2* Form2;
