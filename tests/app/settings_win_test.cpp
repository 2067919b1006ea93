// The settings window as the program has it, read from its form over the settings key of
// the test prefix, on a virtual clock with the clock's logic (tick, countdown, signals) and
// recording parts: creation from an empty key and from a key with every option changed,
// each control's change stored at once, acting at once and shown by the next window, the
// quiet hours, the auto-off minutes, the countdown's end actions and the hotkey.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/Unit3.h"
#include "app/storedata.h"
#include "app/traymenu.h"
#include "classlib/windows/application.h"
#include "classlib/core/beep.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/comctrls.h"
#include "classlib/windows/commondialogs.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/mask.h"
#include "classlib/core/registry.h"
#include "classlib/windows/spin.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"
#include "desktop/dskautorun.h"
#include "desktop/dskled.h"
#include "desktop/propstorage.h"
#include "signal_fixture.h"
#include "tests/classlib/gui_test_util.h"
#include "tests/support/message_pump.h"

namespace {
using namespace horavox::test;

const char kBaseKey[] = "\\Software\\Fernwick\\Horavox";
const char kStorageKey[] = "\\Software\\Fernwick\\Horavox\\HotKey";
const String kFolder = "C:\\Horavox\\";
constexpr int kCtrlAltA = 49217;
constexpr int kCtrlAltT = 0x4000 | 0x8000 | 'T';

class TRecordingAutoRun : public TAutoRunSystem {
 public:
  bool Write(HKEY, const String&, const String& Name, const String&) override {
    Writes.push_back(Name);
    return Allow;
  }
  void Delete(HKEY, const String&, const String& Name) override { Deletes.push_back(Name); }
  bool Allow = true;
  std::vector<String> Writes, Deletes;
};

class TSettingsCharacter : public TFakeCharacter {
 public:
  using TFakeCharacter::TFakeCharacter;
  void SetActorLibrary(const String& Value) override {
    if (!Fail.empty()) throw Exception(Fail);
    Library = Value;
  }
  TCharacterArea WanderArea() override { return {0, 0, 1024, 768}; }
  String Library, Fail;
};

class TRecordingMicroClock : public TMicroClock {
 public:
  void Show() override { Shown = true; }
  void Hide() override { Shown = false; }
  bool Visible() override { return Shown; }
  void SetStayOnTop(bool Value) override { OnTop = Value; }
  void SetKind(int Value) override {
    if (Value >= 0 && Value <= 2) Kind = Value;
  }
  void SetShowSeconds(bool Value) override { Seconds = Value; }
  void SetShowDate(bool Value) override { Date = Value; }
  void SetPlacement(int Value) override { Placement = Value; }
  void SetColors(int B, int T, int D) override {
    Back = B;
    Time = T;
    DateColor = D;
  }
  void SetDialSize(int Value) override { Dial = Value; }
  void SetTextFont(const String& Name, int Size) override {
    FontName = Name;
    FontSize = Size;
  }
  bool TextFont(String& Name, int& Size) override {
    Name = FontName;
    Size = FontSize;
    return true;
  }
  int Kind = -1, Placement = -1, Back = -1, Time = -1, DateColor = -1, Dial = -1, FontSize = 0;
  int OnTop = -1, Seconds = -1, Date = -1;
  bool Shown = false;
  String FontName;
};

class TRecordingBar : public TTalkIntervalBar {
 public:
  void SetEnabled(bool Value) override { Enabled = Value; }
  int Enabled = -1;
};

// The hotkey: combinations in Held are another program's.
class TRecordingHotKey : public TSayTimeHotKey {
 public:
  void SetActive(bool Value) override {
    TSayTimeHotKey::SetActive(Value);
    if (Value) EverActive = true;
  }
  bool Registered() override { return Active() && !Held.count(Key()); }
  std::set<int> Held;
  bool EverActive = false;
};

void DeleteSettings() {
  TRegistry registry;
  registry.DeleteKey(kBaseKey);
}

// Every value of the storage's section, as stored.
std::map<String, String> StorageSection() {
  std::map<String, String> values;
  TRegistry registry(KEY_READ);
  if (!registry.OpenKeyReadOnly(kStorageKey)) return values;
  std::vector<String> names;
  registry.GetValueNames(names);
  for (const String& name : names) values[name] = registry.ReadString(name);
  return values;
}

class SettingsWindow : public SignalFixture {
 protected:
  SettingsWindow() : SettingsWindow(EncodeDate(2026, 12, 10) + EncodeTime(14, 59, 50, 0)) {}
  explicit SettingsWindow(TDateTime Start) : SignalFixture(Start) {
    DeleteSettings();
    store.DataStore()->Section = "Horavox";
    store.DataStore()->Registry()->SetPath(kBaseKey);
    autoRun.SetTitle("Hora Vox");
    bar = Install(parts.TalkInterval, std::make_unique<TRecordingBar>());
    micro = Install(parts.MicroClock, std::make_unique<TRecordingMicroClock>());
    hotKey = Install(parts.HotKey, std::make_unique<TRecordingHotKey>());
    actor = Install(parts.Character, std::make_unique<TSettingsCharacter>(calls));
    trayModel = Install(parts.Tray, std::make_unique<TTrayModel>(parts));
    tick->OnAnnounce = [this] { calls.Add("Announce " + std::to_string(tick->Hour) + ":" + std::to_string(tick->Minute)); };
  }
  ~SettingsWindow() override {
    form.reset();
    DeleteSettings();
  }

  void Store(const char* Ident, int Value) { store.StoreWriteInteger(Ident, Value); }
  String Stored(const char* Ident) { return store.StoreReadString(Ident, "none"); }

  // The window as the program creates it.
  void Create() {
    form.reset(NewForm<TForm3>(Application));
    Attach(*form, parts, autoRun);
  }
  void Attach(TForm3& Form, TClockParts& Parts, TAutoRun& AutoRun) {
    Form.OnReport = [this](const String& Text) { reports.push_back(Text); };
    Form.OnExecuteDialog = [this](TCommonDialog* Dialog) {
      if (auto* open = dynamic_cast<TOpenDialog*>(Dialog)) open->SetFileName(chosenFile);
      if (auto* font = dynamic_cast<TFontDialog*>(Dialog)) {
        fontAtOpen = {font->GetFont()->GetName(), font->GetFont()->GetSize()};
        font->GetFont()->SetName("Arial");
        font->GetFont()->SetSize(14);
      }
      return true;
    };
    Form.InTray = [this] { return inTray; };
    Form.AttachTo(Parts, &store, &AutoRun, kFolder);
  }
  // Another window over the same key, as at the next start.
  std::unique_ptr<TForm3> Reopen() {
    std::unique_ptr<TForm3> next(NewForm<TForm3>(Application));
    Attach(*next, spareParts, spareAutoRun);
    return next;
  }
  int Announced() const {
    int n = 0;
    for (const std::string& call : calls.Calls) n += call.find("Announce") != std::string::npos;
    return n;
  }

  TDskStoreData store{nullptr};
  TRecordingAutoRun autoRunSystem;
  TSeamScope<TAutoRunSystem> autoRunScope{autoRunSystem};
  TAutoRun autoRun{nullptr};
  TAutoRun spareAutoRun{nullptr};
  TClockParts spareParts;
  TCountingBeeper beeper;
  TBeeperScope beeperScope{beeper};
  TRecordingBar* bar = nullptr;
  TRecordingMicroClock* micro = nullptr;
  TRecordingHotKey* hotKey = nullptr;
  TSettingsCharacter* actor = nullptr;
  TTrayModel* trayModel = nullptr;
  std::unique_ptr<TForm3> form;
  std::vector<String> reports;
  String chosenFile = "C:\\Tools\\notes.exe";
  std::pair<String, int> fontAtOpen;
  bool inTray = false;
};

TEST_F(SettingsWindow, AnEmptyKeyGivesTheDefaultsAppliedAndNoHotKey) {
  Create();
  EXPECT_EQ(form->GetCaption(), "Настройки");
  EXPECT_EQ(form->PageControl1->PageCount(), 5);
  EXPECT_EQ(autoRunSystem.Writes, std::vector<String>{"Hora Vox"});
  EXPECT_TRUE(autoRun.GetActive());
  EXPECT_TRUE(form->CheckBox3->GetChecked());
  EXPECT_EQ(bar->Enabled, 1);
  EXPECT_TRUE(trayModel->TalkChecked());
  EXPECT_EQ(actor->Library, kFolder + "Angel.aal");
  EXPECT_TRUE(actor->AlwaysOnTop());
  EXPECT_FALSE(actor->Visible());
  EXPECT_TRUE(actor->Wandering());
  EXPECT_EQ(micro->Kind, 0);
  EXPECT_EQ(form->RadioGroup2->GetItemIndex(), 0);
  EXPECT_EQ(micro->Back, 0);
  EXPECT_EQ(micro->Time, 10);
  EXPECT_EQ(micro->DateColor, 11);
  EXPECT_EQ(micro->Dial, 50);
  EXPECT_EQ(micro->OnTop, 1);
  EXPECT_EQ(form->MaskEdit1->GetText(), "22:00");
  EXPECT_EQ(form->MaskEdit2->GetText(), "06:00");
  EXPECT_TRUE(form->MaskEdit1->GetEnabled());
  EXPECT_TRUE(form->CheckBox17->GetChecked());
  EXPECT_EQ(form->Label10->GetCaption(), "минуту");
  EXPECT_FALSE(form->HotKey1->GetEnabled());
  EXPECT_FALSE(form->Button1->GetEnabled());
  EXPECT_EQ(form->HotKey1->GetHotKey(), kCtrlAltA);
  EXPECT_EQ(hotKey->Key(), kCtrlAltA);
  clock.Advance(5000);  // past the hotkey timer, with ticks
  EXPECT_FALSE(hotKey->EverActive) << "the hotkey was taken";
  EXPECT_FALSE(form->TimerHotkey->GetEnabled());
  EXPECT_TRUE(reports.empty());
}

TEST_F(SettingsWindow, AKeyWithEveryOptionChangedShowsAndAppliesEachAndReportsFailuresOnce) {
  const std::pair<const char*, int> keys[] = {
      {"TalkTime", 0},        {"Kuku", 1},           {"LittleClock", 0},
      {"LittleClockTop", 0},    {"ShowSmallSeconds", 0}, {"ShowSmallDate", 0},  {"ShowTimerProcess", 0},
      {"DigitalMiniClock", 2},  {"SmallClockState", 5}, {"MinClockColorBack", 3}, {"MinClockColor1", 4},
      {"MinClockColor2", 5},    {"ShowActor", 0},       {"ShowActorTop", 0},   {"ShowActorAlways", 1},
      {"ActorAlwaysMove", 0},   {"ActorMoveForTimer", 0}, {"AssistantSelect", 2}, {"ShowTimerHint", 1},
      {"HotKeyEnabled", 1}};
  for (auto [ident, value] : keys) Store(ident, value);
  actor->Fail = "Dolly.aal: no such file";
  autoRunSystem.Allow = false;
  hotKey->SetActive(true);  // to see creation free it
  Create();
  for (TCheckBox* box : {form->CheckBox3, form->CheckBox4, form->CheckBox5, form->CheckBox10,
                         form->CheckBox11, form->CheckBox15, form->CheckBox2, form->CheckBox6, form->CheckBox8,
                         form->CheckBox9})
    EXPECT_FALSE(box->GetChecked()) << box->GetName();
  for (TCheckBox* box : {form->CheckBox1, form->CheckBox14, form->CheckBox7, form->CheckBox13})
    EXPECT_TRUE(box->GetChecked()) << box->GetName();
  // The countdown's end action is a signal: the stored reminder stays.
  EXPECT_TRUE(form->CheckBox12->GetChecked());
  EXPECT_EQ(form->RadioGroup2->GetItemIndex(), 2);
  EXPECT_EQ(form->RadioGroup1->GetItemIndex(), 5);
  EXPECT_EQ(form->DskColorCombo1->GetItemIndex(), 3);
  EXPECT_EQ(form->ComboBox1->GetItemIndex(), 2);
  // Each applied.
  EXPECT_FALSE(autoRun.Registered());
  EXPECT_EQ(bar->Enabled, 0);
  EXPECT_FALSE(trayModel->TalkChecked());
  EXPECT_FALSE(trayModel->OnTopChecked());
  EXPECT_EQ(trayModel->MiniClockKind(), 2);
  EXPECT_EQ(micro->Kind, 2);
  EXPECT_EQ(micro->OnTop, 0);
  EXPECT_EQ(micro->Seconds, 0);
  EXPECT_EQ(micro->Date, 0);
  EXPECT_EQ(micro->Placement, 5);
  EXPECT_EQ(micro->Back * 100 + micro->Time * 10 + micro->DateColor, 345);
  for (TCheckBox* box : {form->CheckBox5, form->CheckBox10, form->CheckBox11, form->CheckBox15})
    EXPECT_FALSE(box->GetEnabled()) << box->GetName();
  EXPECT_FALSE(actor->AlwaysOnTop());
  EXPECT_TRUE(actor->Visible());
  EXPECT_FALSE(actor->Wandering());
  EXPECT_TRUE(form->HotKey1->GetEnabled());
  EXPECT_TRUE(hotKey->Active());
  TClockOptions& options = *parts.Options;
  EXPECT_TRUE(options.Kuku());
  EXPECT_FALSE(options.ShowActor());
  EXPECT_FALSE(options.ActorMoveForTimer());
  EXPECT_FALSE(options.LittleClock());
  EXPECT_TRUE(options.ShowTimerHint());
  EXPECT_FALSE(options.ShowTimerProcess());
  // The refused autostart and the missing character, in one report; the steps after them ran.
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("автозапуск"), String::npos) << reports[0];
  EXPECT_NE(reports[0].find("Dolly.aal: no such file"), String::npos) << reports[0];
}

TEST_F(SettingsWindow, CharacterFilesNotWrittenAreSaidOnceInPlaceOfTheCharacterThatCannotLoad) {
  const String written = "Не удалось записать файлы персонажей:\nAngel.aal: отказано в доступе";
  actor->Fail = "Angel.aal: no such file";
  form.reset(NewForm<TForm3>(Application));
  form->OnReport = [this](const String& Text) { reports.push_back(Text); };
  form->AttachTo(parts, &store, &autoRun, kFolder, written);
  EXPECT_EQ(reports, std::vector<String>{written});
}

TEST_F(SettingsWindow, EachChangeIsStoredAtOnceActsAtOnceAndComesBackNextTime) {
  Create();
  struct TCase {
    const char* What;
    std::function<void(TForm3&)> Change;
    const char* Key;       // the store's key, or nullptr: the storage's section
    const char* Stored;    // the key's value
    std::function<bool()> Acts;
    std::function<bool(TForm3&)> Shows;
  };
  TClockOptions* options = parts.Options.get();
  auto box = [](TCheckBox* TForm3::*Box) {
    return [Box](TForm3& f) { (f.*Box)->SetChecked(!(f.*Box)->GetChecked()); };
  };
  auto unticked = [](TCheckBox* TForm3::*Box) { return [Box](TForm3& f) { return !(f.*Box)->GetChecked(); }; };
  auto ticked = [](TCheckBox* TForm3::*Box) { return [Box](TForm3& f) { return (f.*Box)->GetChecked(); }; };
  const TCase cases[] = {
      {"autostart", box(&TForm3::CheckBox1), "AutoRun", "0",
       [&] { return !autoRun.GetActive() && !autoRunSystem.Deletes.empty(); }, unticked(&TForm3::CheckBox1)},
      {"talking", box(&TForm3::CheckBox3), "TalkTime", "0",
       [&] { return bar->Enabled == 0 && !trayModel->TalkChecked() && !options->TalkTime(); },
       unticked(&TForm3::CheckBox3)},
      {"cuckoo", box(&TForm3::CheckBox14), "Kuku", "1", [&] { return options->Kuku(); }, ticked(&TForm3::CheckBox14)},
      {"on top", box(&TForm3::CheckBox5), "LittleClockTop", "0",
       [&] { return micro->OnTop == 0 && !trayModel->OnTopChecked(); }, unticked(&TForm3::CheckBox5)},
      {"seconds", box(&TForm3::CheckBox10), "ShowSmallSeconds", "0", [&] { return micro->Seconds == 0; },
       unticked(&TForm3::CheckBox10)},
      {"date", box(&TForm3::CheckBox11), "ShowSmallDate", "0", [&] { return micro->Date == 0; },
       unticked(&TForm3::CheckBox11)},
      {"meter", box(&TForm3::CheckBox15), "ShowTimerProcess", "0", [&] { return !options->ShowTimerProcess(); },
       unticked(&TForm3::CheckBox15)},
      {"micro clock", box(&TForm3::CheckBox4), "LittleClock", "0",
       [&] { return !options->LittleClock() && !form->CheckBox10->GetEnabled(); }, unticked(&TForm3::CheckBox4)},
      {"kind", [](TForm3& f) { f.RadioGroup2->SetItemIndex(1); }, "DigitalMiniClock", "1",
       [&] { return micro->Kind == 1 && trayModel->MiniClockKind() == 1; },
       [](TForm3& f) { return f.RadioGroup2->GetItemIndex() == 1; }},
      {"placement", [](TForm3& f) { f.RadioGroup1->SetItemIndex(11); }, "SmallClockState", "11",
       [&] { return micro->Placement == 11; }, [](TForm3& f) { return f.RadioGroup1->GetItemIndex() == 11; }},
      {"background", [](TForm3& f) { f.DskColorCombo1->SetItemIndex(7); f.DskColorComboChange(f.DskColorCombo1); },
       "MinClockColorBack", "7", [&] { return micro->Back == 7; },
       [](TForm3& f) { return f.DskColorCombo1->GetItemIndex() == 7; }},
      {"time colour", [](TForm3& f) { f.DskColorCombo2->SetItemIndex(8); f.DskColorComboChange(f.DskColorCombo2); },
       "MinClockColor1", "8", [&] { return micro->Time == 8; },
       [](TForm3& f) { return f.DskColorCombo2->GetItemIndex() == 8; }},
      {"date colour", [](TForm3& f) { f.DskColorCombo3->SetItemIndex(9); f.DskColorComboChange(f.DskColorCombo3); },
       "MinClockColor2", "9", [&] { return micro->DateColor == 9; },
       [](TForm3& f) { return f.DskColorCombo3->GetItemIndex() == 9; }},
      {"character shown", box(&TForm3::CheckBox2), "ShowActor", "0", [&] { return !options->ShowActor(); },
       unticked(&TForm3::CheckBox2)},
      {"character on top", box(&TForm3::CheckBox6), "ShowActorTop", "0", [&] { return !actor->AlwaysOnTop(); },
       unticked(&TForm3::CheckBox6)},
      {"character always", box(&TForm3::CheckBox7), "ShowActorAlways", "1", [&] { return actor->Visible(); },
       ticked(&TForm3::CheckBox7)},
      {"wandering", box(&TForm3::CheckBox8), "ActorAlwaysMove", "0", [&] { return !actor->Wandering(); },
       unticked(&TForm3::CheckBox8)},
      {"moves for signals", box(&TForm3::CheckBox9), "ActorMoveForTimer", "0",
       [&] { return !options->ActorMoveForTimer(); }, unticked(&TForm3::CheckBox9)},
      {"character", [](TForm3& f) { f.ComboBox1->SetItemIndex(1); f.ComboBox1Change(f.ComboBox1); },
       "AssistantSelect", "1", [&] { return actor->Library == kFolder + "Ann.aal"; },
       [](TForm3& f) { return f.ComboBox1->GetItemIndex() == 1; }},
      {"reminder", box(&TForm3::CheckBox12), "ShowTimerHint", "1", [&] { return options->ShowTimerHint(); },
       ticked(&TForm3::CheckBox12)},
      {"hotkey", box(&TForm3::CheckBox13), "HotKeyEnabled", "1", [&] { return hotKey->Active(); },
       ticked(&TForm3::CheckBox13)},
      {"dial", [](TForm3& f) { f.SpinEdit1->Step(true); }, nullptr, nullptr, [&] { return micro->Dial == 51; },
       [](TForm3& f) { return f.SpinEdit1->GetValue() == 51; }},
      {"quiet", [](TForm3& f) { f.MaskEdit1->SetText("23:15"); f.CheckBox16->SetChecked(true); }, nullptr, nullptr,
       [&] {
         String from, to;
         return options->QuietHours(from, to) && from == "23:15" && to == "06:00";
       },
       [](TForm3& f) { return f.CheckBox16->GetChecked() && f.MaskEdit1->GetText() == "23:15"; }},
      {"quiet end", [](TForm3& f) { f.MaskEdit2->SetText("07:30"); }, nullptr, nullptr,
       [&] {
         String from, to;
         options->QuietHours(from, to);
         return to == "07:30";
       },
       [](TForm3& f) { return f.MaskEdit2->GetText() == "07:30"; }},
      {"auto-off", box(&TForm3::CheckBox17), nullptr, nullptr,
       [&] { return !options->AutoOff() && !form->Edit3Spin->GetEnabled(); }, unticked(&TForm3::CheckBox17)},
      {"auto-off minutes", [](TForm3& f) { f.Edit3Spin->Step(true); }, nullptr, nullptr,
       [&] { return options->AutoOffMinutes() == 2; }, [](TForm3& f) { return f.Edit3Spin->GetValue() == 2; }},
      {"device", [](TForm3& f) { f.RadioGroup5->SetItemIndex(1); }, nullptr, nullptr,
       [&] { return options->SignalDevice() == 1; }, [](TForm3& f) { return f.RadioGroup5->GetItemIndex() == 1; }},
      {"end action", [](TForm3& f) { f.RadioGroup3->SetItemIndex(2); }, nullptr, nullptr,
       [&] { return options->TimerAction() == 2 && form->Edit1->GetEnabled(); },
       [](TForm3& f) { return f.RadioGroup3->GetItemIndex() == 2 && f.Edit1->GetEnabled(); }},
      {"program", [](TForm3& f) { f.Button3Click(f.Button3); }, nullptr, nullptr,
       [&] { return options->TimerProgram() == "C:\\Tools\\notes.exe"; },
       [](TForm3& f) { return f.Edit1->GetText() == "C:\\Tools\\notes.exe"; }},
      {"parameters", [](TForm3& f) { f.Edit2->SetText("/today"); }, nullptr, nullptr,
       [&] { return options->TimerParameters() == "/today"; }, [](TForm3& f) { return f.Edit2->GetText() == "/today"; }},
      {"show mode", [](TForm3& f) { f.RadioGroup4->SetItemIndex(3); }, nullptr, nullptr,
       [&] { return options->TimerProgramShow() == TProgramShow::Hidden; },
       [](TForm3& f) { return f.RadioGroup4->GetItemIndex() == 3; }},
      {"combination",
       [](TForm3& f) {
         f.HotKey1Enter(f.HotKey1);
         f.HotKey1->SetHotKey(kCtrlAltT);
         f.Button1Click(f.Button1);
       },
       nullptr, nullptr, [&] { return hotKey->Key() == kCtrlAltT && hotKey->Active(); },
       [](TForm3& f) { return f.HotKey1->GetHotKey() == kCtrlAltT; }},
      {"font",
       [&](TForm3& f) {
         micro->SetTextFont("Tahoma", 11);  // the micro clock's font: the dialog opens on it
         f.Button2Click(f.Button2);
       },
       nullptr, nullptr,
       [&] {
         return fontAtOpen == std::pair<String, int>{"Tahoma", 11} && micro->FontName == "Arial" &&
                micro->FontSize == 14;
       },
       [](TForm3&) { return true; }},
  };
  for (const TCase& c : cases) {
    std::map<String, String> before = StorageSection();
    c.Change(*form);
    if (c.Key) {
      EXPECT_EQ(Stored(c.Key), c.Stored) << c.What;
    } else if (String(c.What) != "font") {
      EXPECT_NE(StorageSection(), before) << c.What << ": the storage was not written";
    }
    EXPECT_TRUE(c.Acts()) << c.What;
    std::unique_ptr<TForm3> next = Reopen();
    EXPECT_TRUE(c.Shows(*next)) << c.What;
  }
  EXPECT_TRUE(reports.empty());
}

class SettingsAtNight : public SettingsWindow {
 protected:
  SettingsAtNight() : SettingsWindow(EncodeDate(2026, 12, 10) + EncodeTime(21, 59, 50, 0)) {}
};

TEST_F(SettingsAtNight, QuietHoursKeepTheTickSilentFrom2201To0559) {
  Create();
  form->CheckBox16->SetChecked(true);
  EXPECT_TRUE(form->CheckBox16->GetChecked());
  EXPECT_FALSE(form->MaskEdit1->GetEnabled());
  EXPECT_FALSE(form->MaskEdit2->GetEnabled());
  clock.AdvanceTo(EncodeDate(2026, 12, 11) + EncodeTime(6, 0, 30, 0));
  // 22:00 and 06:00 are spoken, nothing between.
  std::vector<std::string> spoken;
  for (const std::string& call : calls.Calls)
    if (call.find("Announce") != std::string::npos) spoken.push_back(call.substr(call.find(' ') + 1));
  EXPECT_EQ(spoken, (std::vector<std::string>{"Announce 22:0", "Announce 6:0"}));
}

TEST_F(SettingsWindow, AQuietTimeThatIsNoTimeUnticksTheBoxWithoutAMessage) {
  Create();
  for (auto [first, second] : {std::pair{"25:10", "06:00"}, std::pair{"22:00", "0 :  "}}) {
    form->MaskEdit1->SetText(first);
    form->MaskEdit2->SetText(second);
    int beeps = beeper.Count();
    form->CheckBox16->SetChecked(true);
    EXPECT_FALSE(form->CheckBox16->GetChecked()) << first << " " << second;
    EXPECT_TRUE(form->MaskEdit1->GetEnabled());
    EXPECT_TRUE(form->MaskEdit2->GetEnabled());
    EXPECT_EQ(beeper.Count(), beeps + 1);
  }
  EXPECT_TRUE(reports.empty());
  // Stored ticked over a time that is none: unticked at the next creation, also silently.
  form->MaskEdit2->SetText("06:00");
  form->MaskEdit1->SetText("22:00");
  form->CheckBox16->SetChecked(true);
  ASSERT_TRUE(form->CheckBox16->GetChecked());
  form->MaskEdit1->SetText("29:00");
  std::unique_ptr<TForm3> next = Reopen();
  EXPECT_FALSE(next->CheckBox16->GetChecked());
  EXPECT_TRUE(next->MaskEdit1->GetEnabled());
  String from, to;
  EXPECT_FALSE(spareParts.Options->QuietHours(from, to));
  EXPECT_TRUE(reports.empty());
}

TEST_F(SettingsWindow, TheLoadAtCreationLeavesTheStoredSectionAsItWas) {
  Create();
  form->MaskEdit1->SetText("21:30");
  form->CheckBox16->SetChecked(true);
  form->RadioGroup3->SetItemIndex(1);
  std::map<String, String> stored = StorageSection();
  ASSERT_FALSE(stored.empty());
  form.reset();
  Create();
  EXPECT_TRUE(form->CheckBox16->GetChecked());
  clock.Advance(5000);
  form.reset();
  EXPECT_EQ(StorageSection(), stored);
}

TEST_F(SettingsWindow, TheAutoOffWordAndStoredMinutesAndSizesOutOfRange) {
  Create();
  const std::pair<int, const char*> words[] = {{1, "минуту"},   {2, "минуты"},  {5, "минут"},  {11, "минут"},
                                               {21, "минуту"}, {24, "минуты"}, {25, "минут"}, {30, "минут"}};
  for (auto [minutes, word] : words) {
    form->Edit3Spin->SetValue(minutes);
    EXPECT_EQ(form->Label10->GetCaption(), word) << minutes;
  }
  const struct {
    int Minutes, Size, ShownMinutes, ShownSize;
    const char* Word;
  } stored[] = {{0, 20, 1, 50, "минуту"}, {99, 500, 60, 200, "минут"}};
  for (const auto& s : stored) {
    form->Edit3Spin->SetMinValue(0);
    form->Edit3Spin->SetMaxValue(1000);
    form->SpinEdit1->SetMinValue(0);
    form->SpinEdit1->SetMaxValue(1000);
    form->Edit3Spin->SetValue(s.Minutes);
    form->SpinEdit1->SetValue(s.Size);
    form->PropStorage1->SaveProperties();
    std::unique_ptr<TForm3> next = Reopen();
    EXPECT_EQ(next->Edit3Spin->GetValue(), s.ShownMinutes);
    EXPECT_EQ(next->SpinEdit1->GetValue(), s.ShownSize);
    EXPECT_EQ(next->Label10->GetCaption(), s.Word);
    EXPECT_EQ(spareParts.Options->AutoOffMinutes(), s.ShownMinutes);
  }
}

// What the window shows after the arrows, a clamp and typing: the word of the value in
// the box, and nothing of a longer word before it beside the label.
TEST_F(SettingsWindow, TheMinutesWordFollowsTheValueShownAfterArrowsClampAndTyping) {
  Create();
  form->PageControl1->SetActivePage(form->PageControl1->Pages(0));
  form->Show();
  TSpinEdit* spin = form->Edit3Spin;
  TLabel* label = form->Label10;
  auto type = [&](const std::wstring& Text) {
    spin->SetFocus();
    SendMessageW(spin->GetHandle(), EM_SETSEL, 0, -1);
    for (wchar_t c : Text) SendMessageW(spin->GetHandle(), WM_CHAR, c, 0);
  };
  auto arrow = [&](bool Up) {  // a click on the upper or lower arrow
    RECT r{};
    GetClientRect(spin->UpDownHandle(), &r);
    LPARAM at = MAKELPARAM(r.right / 2, Up ? r.bottom / 4 : r.bottom * 3 / 4);
    SendMessageW(spin->UpDownHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(spin->UpDownHandle(), WM_LBUTTONUP, 0, at);
  };
  auto leave = [&] { form->CheckBox17->SetFocus(); };
  // Pixels that are not the group's face in the 12 pixels after the label's caption.
  auto leftOver = [&] {
    TWinControl* group = label->GetParent();
    horavox::test::PumpMessagesUntil([] { return false; }, 150);
    UpdateWindow(group->GetHandle());
    auto pixels = guitest::Capture(group->GetHandle(), false);
    TRect at = label->GetBoundsRect();
    int n = 0;
    for (int y = at.Top; y < at.Bottom; ++y)
      for (int x = at.Right; x < at.Right + 12; ++x)
        n += static_cast<COLORREF>(pixels->Canvas()->GetPixels(x, y)) != ColorToRGB(clBtnFace);
    return n;
  };
  const struct {
    const char* What;
    std::function<void()> Act;
    int Value;
    const char* Word;
  } steps[] = {
      {"typed 1", [&] { type(L"1"); }, 1, "минуту"},
      {"typed 4", [&] { type(L"4"); }, 4, "минуты"},
      {"arrow up", [&] { arrow(true); }, 5, "минут"},
      {"arrow down", [&] { arrow(false); }, 4, "минуты"},
      {"typed 21", [&] { type(L"21"); }, 21, "минуту"},
      {"arrow up", [&] { arrow(true); }, 22, "минуты"},
      {"typed 55", [&] { type(L"55"); }, 55, "минут"},
      {"arrow up", [&] { arrow(true); }, 56, "минут"},
      {"typed 2", [&] { type(L"2"); }, 2, "минуты"},
      {"typed 999", [&] { type(L"999"); }, 999, "минут"},
      {"left: clamped", leave, 60, "минут"},
      {"arrow up at the end", [&] { arrow(true); }, 60, "минут"},
      {"typed 1 again", [&] { type(L"1"); }, 1, "минуту"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.What);
    step.Act();
    EXPECT_EQ(spin->GetValue(), step.Value);
    EXPECT_EQ(label->GetCaption(), step.Word);
    EXPECT_EQ(leftOver(), 0);
  }
  guitest::SaveScreenshot(form->GetHandle(), "app-settings-minutes.bmp");
  form->Hide();
}

TEST_F(SettingsWindow, StoredChoicesOutOfRangeReadAsTheirDefaults) {
  Create();
  form->RadioGroup5->SetItemIndex(-1);  // stores a choice that is none
  form->RadioGroup3->SetItemIndex(-1);
  Store("SmallClockState", 40);
  Store("AssistantSelect", 7);
  Store("MinClockColorBack", 999);
  Store("MinClockColor1", -3);
  Store("DigitalMiniClock", 5);
  form.reset();
  Create();
  EXPECT_EQ(form->RadioGroup5->GetItemIndex(), 0);
  EXPECT_EQ(form->RadioGroup3->GetItemIndex(), 0);
  EXPECT_EQ(form->RadioGroup1->GetItemIndex(), 0);
  EXPECT_EQ(micro->Placement, 0);
  EXPECT_EQ(form->ComboBox1->GetItemIndex(), 0);
  EXPECT_EQ(actor->Library, kFolder + "Angel.aal");
  EXPECT_EQ(form->DskColorCombo1->GetItemIndex(), 0);
  EXPECT_EQ(form->DskColorCombo2->GetItemIndex(), 10);
  EXPECT_EQ(micro->Back * 100 + micro->Time * 10 + micro->DateColor, 111);
  // A kind that is none of the three changes nothing: the form's choice stands.
  EXPECT_EQ(form->RadioGroup2->GetItemIndex(), 0);
  EXPECT_EQ(Stored("DigitalMiniClock"), "5");
  EXPECT_TRUE(reports.empty());
}

TEST_F(SettingsWindow, TheEndActionEnablesItsControlsAndOnlyASignalAsksForAReminder) {
  Create();
  const struct {
    int Action;
    bool Program, Reminder;
  } cases[] = {{2, true, false}, {0, false, true}, {1, false, false}};
  for (const auto& c : cases) {
    form->CheckBox12->SetChecked(true);
    form->RadioGroup3->SetItemIndex(c.Action);
    for (TControl* control : {static_cast<TControl*>(form->Edit1), static_cast<TControl*>(form->Edit2),
                              static_cast<TControl*>(form->Button3)})
      EXPECT_EQ(control->GetEnabled(), c.Program) << c.Action;
    EXPECT_EQ(form->CheckBox12->GetEnabled(), c.Reminder) << c.Action;
    EXPECT_EQ(form->CheckBox12->GetChecked(), c.Reminder) << c.Action;
    if (!c.Reminder) {
      EXPECT_EQ(Stored("ShowTimerHint"), "0") << c.Action;
    }
  }
  // A countdown started now asks for no reminder before the shutdown.
  RunCountdownOut(1);
  EXPECT_EQ(reminder->Asked, 0);
  EXPECT_EQ(Times("Warning").size(), 1u);
  // Stored as a shutdown with the reminder on: the next start unticks it too.
  form->RadioGroup3->SetItemIndex(0);
  form->CheckBox12->SetChecked(true);
  form->RadioGroup3->SetItemIndex(1);
  Store("ShowTimerHint", 1);
  std::unique_ptr<TForm3> next = Reopen();
  EXPECT_FALSE(next->CheckBox12->GetChecked());
  EXPECT_EQ(Stored("ShowTimerHint"), "0");
}

TEST_F(SettingsWindow, TheHotKeyTimerFollowsTheStoredOption) {
  for (int on : {0, 1}) {
    Store("HotKeyEnabled", on);
    Create();
    clock.Advance(3000);
    EXPECT_EQ(form->CheckBox13->GetChecked(), on == 1);
    EXPECT_EQ(form->HotKey1->GetEnabled(), on == 1);
    EXPECT_EQ(hotKey->Active(), on == 1);
    EXPECT_FALSE(form->TimerHotkey->GetEnabled());
    form.reset();
  }
}

TEST_F(SettingsWindow, TheHotKeyIsSwitchedTypedAppliedAndReportedWhenTaken) {
  Create();
  form->CheckBox13->SetChecked(true);
  EXPECT_TRUE(hotKey->Active());
  EXPECT_EQ(Stored("HotKeyEnabled"), "1");
  EXPECT_TRUE(form->HotKey1->GetEnabled());
  form->CheckBox13->SetChecked(false);
  EXPECT_FALSE(hotKey->Active());
  EXPECT_EQ(Stored("HotKeyEnabled"), "0");
  EXPECT_FALSE(form->HotKey1->GetEnabled());

  // Typing a new one: the old one lets go of the keys, and the ticks do not take it back.
  form->CheckBox13->SetChecked(true);
  form->HotKey1Enter(form->HotKey1);
  EXPECT_FALSE(hotKey->Active());
  EXPECT_TRUE(form->Button1->GetEnabled());
  clock.Advance(5000);
  EXPECT_FALSE(hotKey->Active());
  // "A" alone becomes Ctrl+Alt+A.
  form->HotKey1->SetHotKey('A');
  form->Button1Click(form->Button1);
  EXPECT_EQ(form->HotKey1->GetHotKey(), kCtrlAltA);
  EXPECT_EQ(hotKey->Key(), kCtrlAltA);
  EXPECT_TRUE(hotKey->Active());
  EXPECT_FALSE(form->Button1->GetEnabled());

  // A combination another program holds: said once, at "Применить", and kept.
  hotKey->Held.insert(kCtrlAltT);
  form->HotKey1Enter(form->HotKey1);
  form->HotKey1->SetHotKey(kCtrlAltT);
  form->Button1Click(form->Button1);
  EXPECT_EQ(reports, std::vector<String>{"Сочетание клавиш занято другой программой"});
  clock.Advance(3000);
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(Reopen()->HotKey1->GetHotKey(), kCtrlAltT);
  // … and at "Включить".
  form->CheckBox13->SetChecked(false);
  form->CheckBox13->SetChecked(true);
  EXPECT_EQ(reports.size(), 2u);
}

TEST_F(SettingsWindow, TheTrayCommandsGoThroughTheWindowsControls) {
  Create();
  trayModel->TalkToggle();
  EXPECT_FALSE(form->CheckBox3->GetChecked());
  EXPECT_EQ(Stored("TalkTime"), "0");
  EXPECT_EQ(bar->Enabled, 0);
  trayModel->OnTopToggle();
  EXPECT_FALSE(form->CheckBox5->GetChecked());
  EXPECT_EQ(Stored("LittleClockTop"), "0");
  trayModel->SetMiniClockKind(1);
  EXPECT_EQ(form->RadioGroup2->GetItemIndex(), 1);
  EXPECT_EQ(Stored("DigitalMiniClock"), "1");
  // Unticking the micro clock closes it; ticking it shows it while the window is in the tray.
  micro->Shown = true;
  form->CheckBox4->SetChecked(false);
  EXPECT_FALSE(micro->Shown);
  inTray = true;
  form->CheckBox4->SetChecked(true);
  EXPECT_TRUE(micro->Shown);
  // Once the window is gone the clock reads the defaults, not its freed controls.
  form.reset();
  EXPECT_TRUE(parts.Options->TalkTime());
  clock.Advance(2000);
}

}  // namespace
