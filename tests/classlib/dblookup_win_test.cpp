// The lookup list box on the in-memory dataset: its lines and keys, the dataset walked with
// its controls disabled and its record put back, the key selected and located, the list
// following the dataset's changes and its source's end, and the drop-down that keeps what
// was chosen when it lets go of its source.
#include "classlib/windows/dblookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/windows/forms.h"
#include "memdataset.h"
#include "tests/classlib/gui_test_util.h"

using horavox::test::TMemDataSet;

namespace {

// Counts what another control of the dataset hears.
class TCountingLink : public TDataLink {
 public:
  int Scrolls = 0, Changes = 0;

 protected:
  void DataSetScrolled(int) override { ++Scrolls; }
  void DataSetChanged() override { ++Changes; }
};

class LookupListTest : public ::testing::Test {
 protected:
  LookupListTest() : form(new TForm(nullptr, CreateNew)) {
    ds = new TMemDataSet(form);
    ds->AddFieldDef("ID", ftInteger);
    ds->AddFieldDef("NAME", ftString, 20);
    ds->AddFieldDef("CITY", ftString, 40);  // bytes: two for a Cyrillic letter
    ds->Open();
    const char* rows[][2] = {{"Анна", "Москва"}, {"Борис", "Тверь"}, {"Вера", "Санкт-Петербург"}, {"Глеб", "Омск"}};
    int id = 10;
    for (auto& row : rows) ds->AppendRecord({id++, row[0], row[1]});
    source = new TDataSource(form);
    source->SetDataSet(ds);
    form->SetBounds(100, 100, 400, 300);
    list = new TLookupListBox(form);
    list->SetBounds(10, 10, 300, 100);
    list->SetParent(form);
    form->Show();
  }
  ~LookupListTest() override {
    form->BeforeDestruction();
    delete form;
  }
  int CurrentId() { return ds->FieldByName("ID")->GetAsInteger(); }
  void Connect(const char* ListField = "NAME;CITY") {
    list->SetKeyField("ID");
    list->SetListField(ListField);
    list->SetListSource(source);
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < list->GetItems()->Count(); ++i) lines.push_back(list->GetItems()->Get(i));
    return lines;
  }

  TForm* form;
  TMemDataSet* ds;
  TDataSource* source;
  TLookupListBox* list;
};

TEST_F(LookupListTest, ListsEveryRecordAndPutsTheDataSetBack) {
  ASSERT_TRUE(ds->Locate("ID", 12, {}));
  TCountingLink other;
  other.SetDataSource(source);
  Connect();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Анна\tМосква", "Борис\tТверь", "Вера\tСанкт-Петербург", "Глеб\tОмск"}));
  ASSERT_EQ(list->Keys().size(), 4u);
  EXPECT_EQ(list->Keys()[3].AsInteger(), 13);
  EXPECT_EQ(list->LineText(1), "Борис");
  EXPECT_EQ(CurrentId(), 12);      // its record back
  EXPECT_EQ(other.Scrolls, 0);     // the walk was not shown
  EXPECT_FALSE(ds->ControlsDisabled());
  list->SetListField("CITY");
  EXPECT_EQ(Lines()[2], "Санкт-Петербург");
  guitest::PumpFor(50);
  other.SetDataSource(nullptr);
}

TEST_F(LookupListTest, TheKeyValueSelectsItsLineAndLocatesItsRecord) {
  Connect();
  list->SetKeyValue(13);
  EXPECT_EQ(list->GetItemIndex(), 3);
  EXPECT_EQ(CurrentId(), 13);
  list->SetKeyValue(99);  // no such record: no line, the record stays
  EXPECT_EQ(list->GetItemIndex(), -1);
  EXPECT_EQ(CurrentId(), 13);
  EXPECT_EQ(list->GetKeyValue().AsInteger(), 99);
  list->SetItemIndex(1);  // as a user's choice
  EXPECT_EQ(list->GetKeyValue().AsInteger(), 11);
}

TEST_F(LookupListTest, NoListWithoutItsFieldsOrWhileTheDataSetIsEdited) {
  Connect("NAME;TOWN");
  EXPECT_TRUE(Lines().empty());
  Connect("NAME");
  EXPECT_EQ(Lines().size(), 4u);
  ASSERT_TRUE(ds->Locate("ID", 11, {}));
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("Борис II");
  list->Refill();
  EXPECT_TRUE(Lines().empty());  // walking would have ended the edit
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "Борис II");
  ds->Post();
  EXPECT_EQ(Lines()[1], "Борис II");  // the change refilled it
}

TEST_F(LookupListTest, FollowsTheDataSetAndItsSource) {
  Connect();
  list->SetKeyValue(11);
  ds->AppendRecord({14, "Дарья", "Казань"});
  EXPECT_EQ(Lines().size(), 5u);
  EXPECT_EQ(list->GetItemIndex(), 1);  // the key's line again
  ds->Close();
  EXPECT_TRUE(Lines().empty());
  ds->Open();
  EXPECT_EQ(Lines().size(), 5u);
  delete source;
  EXPECT_EQ(list->GetListSource(), nullptr);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(LookupListTest, RowCountSetsItsHeight) {
  list->SetRowCount(5);
  EXPECT_EQ(list->GetClientHeight(), 5 * list->GetItemHeight());
  list->SetRowCount(0);
  EXPECT_EQ(list->GetRowCount(), 1);
}

TEST_F(LookupListTest, TheDropDownKeepsTheChoiceWhenItLetsGoOfItsSource) {
  auto* popup = new TPopupDataList(form);
  std::string closes;
  popup->OnCloseUp = [&](TObject*, bool Accept) {
    closes += Accept ? "ok " : "cancel ";
    popup->CloseUp(Accept);
  };
  popup->SetWidth(250);
  popup->SetRowCount(3);
  popup->SetKeyField("ID");
  popup->SetListField("NAME;CITY");
  TPoint o = form->ClientOrigin();
  // Tests run side by side on one display: another program taking the foreground closes
  // the drop-down (as it should); it is dropped down again, a few times at most.
  for (int attempt = 0; attempt < 5; ++attempt) {
    closes.clear();
    popup->SetListSource(source);
    popup->SetDropDownValue(12);
    popup->DropDown({o.X + 10, o.Y + 10, o.X + 110, o.Y + 30});
    guitest::PumpFor(100);
    if (closes.empty()) break;
  }
  ASSERT_EQ(closes, "");
  EXPECT_EQ(popup->GetClientHeight(), 3 * popup->GetItemHeight());
  EXPECT_EQ(popup->DropDownValue().AsInteger(), 12);
  guitest::SaveScreenshot(popup->GetHandle(), "classlib-lookup-list.bmp");
  // A click on the second line picks it.
  TRect line = popup->ItemRect(1);
  HWND window = popup->GetHandle();
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, (line.Top + line.Bottom) / 2));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, (line.Top + line.Bottom) / 2));
  EXPECT_EQ(closes, "ok ");
  EXPECT_EQ(popup->GetListSource(), nullptr);
  EXPECT_EQ(popup->DropDownValue().AsInteger(), 11);
  EXPECT_EQ(popup->DropDownText(), "Борис");
  // Opened on a key that is not there and closed: nothing chosen.
  popup->SetListSource(source);
  popup->SetDropDownValue(TVariant::Null());
  popup->DropDown({o.X + 10, o.Y + 10, o.X + 110, o.Y + 30});
  popup->CloseUp(true);
  EXPECT_TRUE(popup->DropDownValue().IsNull());
}

}  // namespace
