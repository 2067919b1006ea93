#include "app/Unit4.h"

#include "app/remindertable.h"
#include "app/storedfiles.h"
#include "classlib/windows/application.h"
#include "classlib/data/db.h"
#include "classlib/core/files.h"
#include "classlib/core/formatsettings.h"
#include "controls/frbackground.h"
#include "gridcal/calendar.h"
#include "gridcal/dbgrid.h"
#include "xbase/xbdataset.h"

TForm4* Form4 = nullptr;

HX_PUBLISH(TForm4, p) {
  p.Field("FrBackground1", &TForm4::FrBackground1);
  p.Field("Label1", &TForm4::Label1);
  p.Field("Label2", &TForm4::Label2);
  p.Field("DgCalendar1", &TForm4::DgCalendar1);
  p.Field("DgDBGrid1", &TForm4::DgDBGrid1);
  p.Field("DataSource1", &TForm4::DataSource1);
  p.Field("XBaseDataSet1", &TForm4::XBaseDataSet1);
  p.Field("Timer1", &TForm4::Timer1);
  p.Field("Timer2", &TForm4::Timer2);
  p.Field("BitBtn1", &TForm4::BitBtn1);
  p.Field("BitBtn2", &TForm4::BitBtn2);
  p.Handler("FormCreate", &TForm4::FormCreate);
  p.Handler("FormActivate", &TForm4::FormActivate);
  p.Handler("FormDeactivate", &TForm4::FormDeactivate);
  p.Handler("FormClose", &TForm4::FormClose);
  p.Handler("DgCalendar1SelectDate", &TForm4::DgCalendar1SelectDate);
  p.Handler("BitBtn1Click", &TForm4::BitBtn1Click);
  p.Handler("BitBtn2Click", &TForm4::BitBtn2Click);
  p.Handler("FormKeyDown", &TForm4::FormKeyDown);
}

namespace {

// The reminder calendar part on the window, for as long as the window is there.
class TFormReminderCalendar : public TReminderCalendar {
 public:
  explicit TFormReminderCalendar(std::shared_ptr<TForm4*> Form) : FForm(std::move(Form)) {}
  void ShowRemindersOf(TDateTime Day) override {
    if (*FForm) (*FForm)->ShowRemindersOf(Day);
  }
  void PackTable() override {
    if (*FForm) (*FForm)->PackTable();
  }

 private:
  std::shared_ptr<TForm4*> FForm;
};

}  // namespace

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner), FSelf(std::make_shared<TForm4*>(this)) {}

TForm4::~TForm4() { *FSelf = nullptr; }

void TForm4::FormCreate(TObject*) {
  DgCalendar1->SetFormatSettings(RussianFormatSettings());
  DgCalendar1->SetDate(Date());
  XBaseDataSet1->FormatSettings = RussianFormatSettings();  // the grid shows and reads 10.12.2026
  // The table beside the program (or where this user may write), made empty when there is
  // none. One that is there but does not open is left as it is: said once, and the
  // calendar does nothing with it.
  TReminderTablePlace place = PlaceReminderTable(ExeFolder(), StoredFilesFallbackFolder(), Date());
  if (place.Folder.empty()) {
    Application->MessageBox("Не удалось создать таблицу напоминаний " + String(kReminderTableName) + ": " +
                                place.Error,
                            "", MB_OK | MB_ICONWARNING);
    return;
  }
  try {
    XBaseDataSet1->SetDatabaseName(place.Folder);
    XBaseDataSet1->Open();
  } catch (const Exception& e) {
    Application->MessageBox("Не удалось открыть таблицу напоминаний " + place.Folder + kReminderTableName + ": " +
                                e.Message,
                            "", MB_OK | MB_ICONWARNING);
  }
}

void TForm4::AttachTo(TClockParts& Parts, TMediaPlayer* SignalPlayer, TSayTimeGate& Gate,
                      std::function<String()> ChosenMelody) {
  FReminders = std::make_unique<TReminders>(XBaseDataSet1, TReminderTimers{Timer1, Timer2}, SignalPlayer, Gate);
  FReminders->ProgramFolder = ExeFolder();
  FReminders->ChosenMelody = std::move(ChosenMelody);
  FReminders->ShowMessage = [](const String& Text) { Application->MessageBox(Text, "", MB_OK); };
  FReminders->Confirm = [](const String& Question) {
    return Application->MessageBox(Question, "", MB_YESNO | MB_ICONQUESTION) == IDYES;
  };
  FReminders->Pack = [this] { XBaseDataSet1->PackTable(); };
  Parts.Calendar = std::make_unique<TFormReminderCalendar>(FSelf);
  FReminders->ShowRemindersOf(DgCalendar1->GetDate());
}

void TForm4::ShowRemindersOf(TDateTime Day) {
  DgCalendar1->SetDate(Day);
  if (FReminders) FReminders->ShowRemindersOf(Day);
}

void TForm4::PackTable() {
  if (FReminders) FReminders->PackTable();
}

void TForm4::FormActivate(TObject*) { DgCalendar1->SetDate(Date()); }

// What was typed into the grid is kept when the window loses the focus or closes.
void TForm4::FormDeactivate(TObject*) {
  if (FReminders) FReminders->PostEdit();
}

void TForm4::FormClose(TObject*, TCloseAction&) {
  if (FReminders) FReminders->PostEdit();
}

void TForm4::DgCalendar1SelectDate(TObject*) {
  if (!FReminders) return;
  FReminders->DateChosen(DgCalendar1->GetDate());
  // The text is typed next.
  DgDBGrid1->SetSelectedIndex(1);
  if (DgDBGrid1->CanFocus()) DgDBGrid1->SetFocus();
}

void TForm4::BitBtn1Click(TObject*) {
  if (FReminders) FReminders->DeleteCurrent();
}

void TForm4::BitBtn2Click(TObject*) { Close(); }

void TForm4::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (Key != VK_ESCAPE || !Shift.Empty()) return;
  if (DgDBGrid1->GetEditorMode() || IsEditState(XBaseDataSet1->State())) return;
  Key = 0;
  BitBtn2->Click();
}
