// The dialogs' shared sound, the button details, and the message and input dialog holder
// shown for real, answered by a watcher as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/unicode.h"
#include "desktop/dskdialog.h"
#include "desktop/dskmsgdlg.h"
#include "desktop/dsksysinfo.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

// Counts the sounds; the rest of the system is not touched.
class TBeepRecorder : public TDskSystemCalls {
 public:
  std::vector<unsigned> Beeps;
  void MessageBeep(unsigned Type) override { Beeps.push_back(Type); }
  std::uint8_t KeyState(int) override { return 0; }
  void PressKey(int) override {}
  bool SystemParameters(unsigned, unsigned, void*, unsigned) override { return false; }
  void SystemCommand(std::uintptr_t) override {}
  bool ShowTopLevelWindow(const String&, bool) override { return false; }
  void MinimizeOtherWindows() override {}
};

TEST(DskDialogSound, EachBeepTypeHasItsSystemSound) {
  TBeepRecorder system;
  TDskSystemCallsScope scope(system);
  struct Case {
    TDskBeeptype Sound;
    std::vector<unsigned> Heard;
  } cases[] = {{bNone, {}},
               {bDefault, {0}},
               {bAsterix, {MB_ICONASTERISK}},
               {bExclamation, {MB_ICONEXCLAMATION}},
               {bQuestion, {MB_ICONQUESTION}},
               {bCriticalStop, {MB_ICONHAND}}};
  for (const Case& c : cases) {
    TDskDialogComponent dialog(nullptr);
    dialog.Sound = c.Sound;
    system.Beeps.clear();
    dialog.PlaySound();
    EXPECT_EQ(system.Beeps, c.Heard) << c.Sound;
  }
}

TEST(DskButtonDetails, ApplyEachChangeToTheBoundButton) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* bitBtn = new TBitBtn(form.get());
  bitBtn->SetParent(form.get());
  auto* speed = new TSpeedButton(form.get());
  speed->SetParent(form.get());
  TBitmap strip;
  strip.SetSize(64, 16);  // four images of 16 x 16
  TBitmap empty;
  for (TControl* button : {static_cast<TControl*>(bitBtn), static_cast<TControl*>(speed),
                           static_cast<TControl*>(nullptr)}) {
    TDskButtonDetails details;
    details.SetButton(button);
    int changes = 0;
    details.OnChange = [&](TObject* Sender) {
      EXPECT_EQ(Sender, &details);
      ++changes;
    };
    details.SetCaption("Удалить");
    details.SetHint("Удаляет запись");
    details.SetShowHint(true);
    details.SetEnabled(false);
    details.SetVisible(false);
    details.SetConfirmOnPress(true);
    details.SetConfirmMessage("Точно?");
    details.SetGlyph(&strip);
    EXPECT_EQ(changes, 8);
    EXPECT_EQ(details.GetCaption(), "Удалить");
    EXPECT_TRUE(details.GetConfirmOnPress());
    EXPECT_EQ(details.GetGlyph()->GetWidth(), 64);
    if (button) {
      EXPECT_EQ(button->GetCaption(), "Удалить");
      EXPECT_EQ(button->GetHint(), "Удаляет запись");
      EXPECT_FALSE(button->GetEnabled());
      EXPECT_FALSE(button->GetVisible());
    }
    if (button == bitBtn) {
      EXPECT_TRUE(bitBtn->GetShowHint());
      EXPECT_EQ(bitBtn->GetGlyph()->GetWidth(), 64);
    }
    if (button == speed) {
      EXPECT_FALSE(speed->GetShowHint());  // a bitmap button's only
      EXPECT_EQ(speed->GetNumGlyphs(), 4);
      details.SetGlyph(&empty);  // no image: one, and no division by zero
      EXPECT_EQ(speed->GetNumGlyphs(), 1);
    }
  }
}

// ---- The message and input dialog ----

TEST(DskMsgDlgLayout, FollowsTheMeasuredHeights) {
  const int L = 23;
  EXPECT_EQ(DskMsgDlgClientHeight(L, 13), 6 * L);             // one line
  EXPECT_EQ(DskMsgDlgClientHeight(L, 3 * L - 1), 6 * L);
  EXPECT_EQ(DskMsgDlgClientHeight(L, 3 * L), 2 * L + 3 * L + 30);  // a long text grows the window
  EXPECT_EQ(DskMsgDlgClientHeight(L, 130), 2 * L + 130 + 30);
  EXPECT_EQ(DskMsgDlgButtonTop(L, 0), 4);
  EXPECT_EQ(DskMsgDlgButtonTop(L, 1), L + 6);
  EXPECT_EQ(DskMsgDlgButtonTop(L, 2), 2 * L + 8);
  EXPECT_EQ(DskMsgDlgButtonTop(L, 3), 3 * L + 10);
  EXPECT_EQ(DskMsgDlgEditTop(138, 21, 5), 138 - 8 - 21 - 5);
}

TEST(DskMsgDlg, KeepsItsDefaultsAndOneDefaultButton) {
  TDskMsgDlgHolder holder(nullptr);
  auto* item = static_cast<TDskMsgDlg*>(holder.GetMessages()->Add());
  EXPECT_EQ(item->GetDisplayName(), "No message defined");
  EXPECT_EQ(item->Caption, "My Caption");
  EXPECT_EQ(item->GetMsgButton1()->Caption, "&Ok");
  EXPECT_EQ(item->GetMsgButton3()->Caption, "&Custom..");
  EXPECT_EQ(item->GetHelpButton()->Caption, "&Help");
  EXPECT_EQ(item->GetEditbox()->Caption, "Label");
  item->SetFormWidth(300);
  EXPECT_EQ(item->GetFormWidth(), 320);
  item->SetFormWidth(400);
  item->SetFormWidth(300);
  EXPECT_EQ(item->GetFormWidth(), 400);
  item->GetMsgButton1()->SetDefault(true);
  item->GetMsgButton3()->SetDefault(true);
  item->GetMsgButton2()->SetDefault(true);
  EXPECT_FALSE(item->GetMsgButton1()->GetDefault());
  EXPECT_TRUE(item->GetMsgButton2()->GetDefault());
  EXPECT_FALSE(item->GetMsgButton3()->GetDefault());
  item->Message = "Введите напоминание";
  EXPECT_EQ(holder.Items(0)->GetDisplayName(), "Введите напоминание");
}

class DskMsgDlgTest : public ::testing::Test {
 protected:
  TBeepRecorder system;
  TDskSystemCallsScope scope{system};
  TDskMsgDlgHolder holder{nullptr};
  TDskMsgDlg* item = static_cast<TDskMsgDlg*>(holder.GetMessages()->Add());
  std::vector<std::string> events;

  void SetUp() override {
    item->Caption = "Напоминание";
    item->Message = "Введите напоминание";
    item->MsgType = mtConfirmation;
    item->Sound = bQuestion;
    item->GetEditbox()->CharCase = ecLowerCase;
    item->GetMsgButton1()->ModalResult = mrOk;
    item->GetMsgButton2()->ModalResult = mrCancel;
    item->GetMsgButton3()->Visible = false;
    item->GetHelpButton()->Visible = false;
    const char* names[] = {"None", "Ok", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No", "All", "NoToAll",
                           "YesToAll"};
    TNotifyEvent* slots[] = {&item->OnmrNone, &item->OnmrOk,  &item->OnmrCancel, &item->OnmrAbort,
                             &item->OnmrRetry, &item->OnmrIgnore, &item->OnmrYes, &item->OnmrNo,
                             &item->OnmrAll,  &item->OnmrNoToAll, &item->OnmrYesToAll};
    for (int i = 0; i < 11; ++i)
      *slots[i] = [this, name = std::string(names[i])](TObject* Sender) {
        EXPECT_EQ(Sender, item);
        events.push_back(name);
      };
  }

  static bool IsDialog(HWND w) { return ClassOf(w) == L"TDskMsgDlgForm"; }
};

TEST_F(DskMsgDlgTest, TheClosingButtonFiresItsResultEvent) {
  struct Case {
    TModalResult Result;
    const wchar_t* Press;  // a button's caption, or nullptr for the close box
    std::string Event;
  } cases[] = {{mrOk, L"&Ok", "Ok"},         {mrYes, L"&Ok", "Yes"},       {mrNoToAll, L"&Ok", "NoToAll"},
               {mrAbort, L"&Ok", "Abort"},   {77, L"&Ok", "None"},         {mrOk, L"&Cancel", "Cancel"},
               {mrOk, nullptr, "Cancel"}};
  for (const Case& c : cases) {
    item->GetMsgButton1()->ModalResult = c.Result;
    events.clear();
    std::vector<std::wstring> shown;
    TDialogWatcher watcher(GetCurrentThreadId(), IsDialog, [&](HWND dialog) {
      HWND edit = FindChildByClass(dialog, L"TEdit");
      shown.push_back(TextOf(dialog));
      SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"купить хлеб"));
      if (c.Press) PostMessageW(FindChildByText(dialog, c.Press), BM_CLICK, 0, 0);
      else PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(item->Execute(), "купить хлеб") << c.Event;
    EXPECT_EQ(item->ResultText(), "купить хлеб");
    EXPECT_EQ(events, std::vector<std::string>{c.Event});
    EXPECT_EQ(shown, std::vector<std::wstring>{L"Напоминание"});
  }
  // The question sound, once per showing.
  EXPECT_EQ(system.Beeps, std::vector<unsigned>(7, MB_ICONQUESTION));
}

TEST_F(DskMsgDlgTest, ButtonsTellTheirClicksAndHelpAsksTheApplication) {
  item->GetHelpButton()->Visible = true;
  item->GetHelpButton()->HelpContext = 17;
  item->OnBtn1Click = [&](TObject* Sender) { events.push_back(Sender == item ? "Btn1" : "?"); };
  item->OnHelpClick = [&](TObject* Sender) { events.push_back(Sender == item ? "Help" : "?"); };
  std::vector<int> asked;
  Application->OnHelp = [&](int Context, bool& Handled) {
    asked.push_back(Context);
    Handled = true;
  };
  TDialogWatcher watcher(GetCurrentThreadId(), IsDialog, [&](HWND dialog) {
    PostMessageW(FindChildByText(dialog, L"&Help"), BM_CLICK, 0, 0);  // the dialog stays
    PostMessageW(FindChildByText(dialog, L"&Ok"), BM_CLICK, 0, 0);
  });
  item->Execute();
  Application->OnHelp = nullptr;
  EXPECT_EQ(asked, std::vector<int>{17});
  EXPECT_EQ(events, (std::vector<std::string>{"Help", "Btn1", "Ok"}));
}

TEST_F(DskMsgDlgTest, BeforePopupChangesWhatIsShown) {
  std::vector<std::string> calls;
  item->BeforePopup = [&](TObject* Sender, String& Message, String& Text) {
    EXPECT_EQ(Sender, item);
    calls.push_back("item " + Message);
    Message.clear();
    for (int i = 0; i < 40; ++i) Message += "длинное сообщение ";  // several lines
    Text = "из события";
  };
  holder.BeforePopup = [&](TObject* Sender, String& Message, String& Text) {
    EXPECT_EQ(Sender, item);
    calls.push_back("holder " + Text);
    Message += "и ещё";
  };
  item->GetEditbox()->Text = "начальный";
  std::wstring edit;
  int clientHeight = 0;
  TDialogWatcher watcher(GetCurrentThreadId(), IsDialog, [&](HWND dialog) {
    edit = TextOf(FindChildByClass(dialog, L"TEdit"));
    RECT r;
    GetClientRect(dialog, &r);
    clientHeight = r.bottom;
    PostMessageW(FindChildByText(dialog, L"&Cancel"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(item->Execute(), "из события");
  EXPECT_EQ(calls, (std::vector<std::string>{"item Введите напоминание", "holder из события"}));
  EXPECT_EQ(edit, L"из события");
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->SetFont(item->GetFont());
  int L = measure.Canvas()->TextHeight("W") + 10;
  EXPECT_GT(clientHeight, 6 * L);  // the long message grew the window
  EXPECT_EQ(events, std::vector<std::string>{"Cancel"});
}

TEST_F(DskMsgDlgTest, TheWindowIsLaidOutBeforeItShows) {
  item->GetHelpButton()->Visible = true;
  item->GetMsgButton1()->SetDefault(true);
  std::unique_ptr<TDskMsgDlgForm> form(new TDskMsgDlgForm(nullptr, item, "Одна строка", "текст"));
  int L = form->LineHeight();
  EXPECT_EQ(form->GetClientWidth(), 320);
  EXPECT_EQ(form->GetClientHeight(), 6 * L);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(form->Button(i)->GetTop(), DskMsgDlgButtonTop(L, i));
    EXPECT_EQ(form->Button(i)->GetLeft(), 320 - 80 - 5);
    EXPECT_EQ(form->Button(i)->GetHeight(), L);
  }
  EXPECT_TRUE(form->Button(0)->GetDefault());
  EXPECT_FALSE(form->Button(1)->GetDefault());
  EXPECT_FALSE(form->Button(2)->GetVisible());
  EXPECT_EQ(form->TextRect().Top, 5);
  EXPECT_EQ(form->Edit()->GetTop(), DskMsgDlgEditTop(6 * L, form->Edit()->GetHeight(), 5));
  EXPECT_EQ(form->Edit()->GetWidth(), 320 - 80 - 25);
  EXPECT_EQ(form->Edit()->GetCharCase(), ecLowerCase);
  EXPECT_EQ(form->EditLabel()->GetTop(), form->Edit()->GetTop() - (L - 10) - 4);
  EXPECT_EQ(form->Bevel()->GetHeight(), 6 * L - 4 - 5);
  EXPECT_EQ(form->Image()->GetPicture()->Width(), 32);  // the confirmation bitmap
  // A bigger font lays the window out anew.
  item->GetFont()->SetSize(20);
  EXPECT_GT(form->LineHeight(), L);
  EXPECT_EQ(form->GetClientHeight(), 6 * form->LineHeight());
}

}  // namespace
