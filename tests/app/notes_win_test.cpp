// The notes window as the program has it, with the settings window's storage manager: the
// pages come back after both windows are made anew, "Очистить" clears only its own page,
// and the chosen page's memo takes the focus.
#include <gtest/gtest.h>

#include <memory>

#include "app/Unit3.h"
#include "app/Unit6.h"
#include "classlib/windows/application.h"
#include "classlib/windows/comctrls.h"
#include "classlib/core/registry.h"
#include "classlib/core/stringlist.h"

namespace {

const char kMemosKey[] = "\\Software\\Fernwick\\Horavox\\Memos";

void DeleteMemos() {
  TRegistry registry;
  registry.DeleteKey(kMemosKey);
}

class NotesWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteMemos();
    Create();
  }
  void TearDown() override {
    Free();
    DeleteMemos();
  }
  // The two windows in the program's order: the settings first, whose manager the notes use.
  void Create() {
    settings.reset(NewForm<TForm3>(Application));
    notes.reset(NewForm<TForm6>(Application));
  }
  void Free() {
    notes.reset();
    settings.reset();
  }

  std::unique_ptr<TForm3> settings;
  std::unique_ptr<TForm6> notes;
};

TEST_F(NotesWindow, PagesWrittenAtTheCloseComeBackAfterTheWindowsAreMadeAnew) {
  EXPECT_EQ(notes->GetCaption(), "Записки");
  ASSERT_EQ(notes->PageControl1->PageCount(), 6);
  EXPECT_EQ(notes->TabSheet3->GetCaption(), "Лист 3");
  notes->Show();
  const String page3 = "Купить хлеба\r\n  Позвонить маме\r\n\r\nЁлка: 31 декабря, «в 18:00»\r\n";
  notes->Memo3->GetLines()->SetText(page3);
  notes->Memo6->GetLines()->SetText("последняя\r\n");
  notes->Close();
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly(kMemosKey));
    EXPECT_TRUE(registry.ValueExists("Line0000000000"));
  }

  Free();
  Create();
  EXPECT_EQ(notes->Memo3->GetLines()->Count(), 0);  // read when the window shows
  notes->Show();
  EXPECT_EQ(notes->Memo3->GetLines()->GetText(), page3);
  EXPECT_EQ(notes->Memo6->GetLines()->GetText(), "последняя\r\n");
  for (TMemo* memo : {notes->Memo1, notes->Memo2, notes->Memo4, notes->Memo5})
    EXPECT_EQ(memo->GetLines()->Count(), 0) << memo->GetName();
  notes->Close();
}

TEST_F(NotesWindow, ClearEmptiesOnlyItsOwnPage) {
  notes->Show();
  for (TMemo* memo : notes->Memos()) memo->GetLines()->SetText("запись " + memo->GetName() + "\r\n");
  notes->Button3->Click();
  for (TMemo* memo : notes->Memos())
    EXPECT_EQ(memo->GetLines()->Count(), memo == notes->Memo3 ? 0 : 1) << memo->GetName();
  notes->Close();
}

TEST_F(NotesWindow, TheChosenPagesMemoTakesTheFocus) {
  notes->Show();
  notes->PageControl1->SetActivePageIndex(4);
  notes->PageControl1Change(notes->PageControl1);
  // The window's own focus: the display is shared, so the system's may be elsewhere.
  EXPECT_EQ(notes->GetActiveControl(), notes->Memo5);
  notes->Close();
}

}  // namespace
