#pragma once
// TForm4, the reminder calendar "Календарик": a month calendar and a grid of the reminders
// kept in DATES.DBF (made empty when missing, remindertable.h), on a teal-to-lime
// background. Choosing a day goes to its reminder or adds one to type; "Удалить" deletes
// after asking. Its logic is reminders.h; this window wires its controls there, and
// AttachTo gives it the signals' player, the clock's gate and the chosen melody, puts it
// behind the main window's reminder calendar part and looks up today. Windows only.
#include <functional>
#include <memory>

#include "app/clockparts.h"
#include "app/clockrules.h"
#include "app/reminders.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/forms.h"
#include "classlib/core/mplayer.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"

class TFrBackground;
class TDgCalendar;
class TDgDBGrid;
class TDataSource;
class TXBaseDataSet;

class TForm4 : public TForm {
  HX_CLASS(TForm4, TForm)
 public:
  explicit TForm4(TComponent* AOwner);
  ~TForm4() override;

  // From the form.
  TFrBackground* FrBackground1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TDgCalendar* DgCalendar1 = nullptr;
  TDgDBGrid* DgDBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TXBaseDataSet* XBaseDataSet1 = nullptr;  // DATES.DBF
  TTimer* Timer1 = nullptr;  // 5 s after a lookup: the reminder is shown
  TTimer* Timer2 = nullptr;  // each second while the reminder's melody plays
  TBitBtn* BitBtn1 = nullptr;  // "Удалить"
  TBitBtn* BitBtn2 = nullptr;  // "Закрыть"

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormDeactivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void DgCalendar1SelectDate(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  // Escape closes the window as "Закрыть" does, unless it ends an edit of the grid.
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

  // The melody plays on SignalPlayer; ChosenMelody names it in the Ring folder.
  void AttachTo(TClockParts& Parts, TMediaPlayer* SignalPlayer, TSayTimeGate& Gate,
                std::function<String()> ChosenMelody);
  // The calendar goes to the day and its reminders are shown.
  void ShowRemindersOf(TDateTime Day);
  void PackTable();
  TReminders* Reminders() const { return FReminders.get(); }

 private:
  std::unique_ptr<TReminders> FReminders;
  std::shared_ptr<TForm4*> FSelf;  // the part's way to this window, cleared when it goes
};

extern TForm4* Form4;
