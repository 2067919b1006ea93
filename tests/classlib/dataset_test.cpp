// The class library's datasets, fields, data sources and links, on the in-memory dataset.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/data/db.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/freenotifier.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "classlib/data/variants.h"
#include "memdataset.h"
#include "read_form.h"

using horavox::test::TMemDataSet;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Says whether a watched component was freed.
struct TFreeNotifierProbe {
  TFreeNotifier Notifier;
  bool Freed = false;
  TFreeNotifierProbe() {
    Notifier.OnRemove = [this](TComponent*) { Freed = true; };
  }
  void Watch(TComponent* Component) { Notifier.Watch(Component); }
};

template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message;
  }
  return "(no error)";
}

// Records every notification a link hears.
class TRecordingLink : public TDataLink {
 public:
  std::vector<std::string> Log;
  std::function<void()> OnUpdateData;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void DataSetScrolled(int Distance) override { Log.push_back("scrolled " + std::to_string(Distance)); }
  void EditingChanged() override { Log.push_back(Editing() ? "editing" : "not editing"); }
  void LayoutChanged() override { Log.push_back("layout"); }
  void RecordChanged(TField* Field) override { Log.push_back("record " + (Field ? Field->GetFieldName() : "*")); }
  void UpdateData() override {
    Log.push_back("update data");
    if (OnUpdateData) OnUpdateData();
  }
};

// A table of numbered records: ID 1..n, NAME "Rn".
class DataSets : public ::testing::Test {
 protected:
  void SetUp() override {
    ds = new TMemDataSet(&owner);
    ds->SetName("MemDataSet1");
    ds->AddFieldDef("ID", ftInteger);
    ds->AddFieldDef("NAME", ftString, 10);
    ds->AddFieldDef("NOTE", ftMemo);
    source = new TDataSource(&owner);
    source->SetDataSet(ds);
  }
  void Fill(int Count) {
    ds->Open();
    for (int i = 1; i <= Count; ++i) ds->AppendRecord({i, "R" + std::to_string(i)});
    ds->First();
  }
  int Id() { return ds->FieldByName("ID")->GetAsInteger(); }
  // The IDs the link's rows hold, read as a grid paints them.
  std::vector<int> Rows(TDataLink& Link) {
    std::vector<int> ids;
    int saved = Link.GetActiveRecord();
    for (int row = 0; row < Link.RecordCount(); ++row) {
      Link.SetActiveRecord(row);
      ids.push_back(Id());
    }
    Link.SetActiveRecord(saved);
    return ids;
  }

  TComponent owner{nullptr};
  TMemDataSet* ds;
  TDataSource* source;
};

TEST_F(DataSets, OpeningMakesFieldsByTypeAndClosingRemovesThem) {
  ds->AddFieldDef("PRICE", ftFloat);
  ds->AddFieldDef("SMALL", ftSmallint);
  ds->AddFieldDef("OK", ftBoolean);
  ds->AddFieldDef("BORN", ftDate);
  ds->AddFieldDef("STAMP", ftDateTime);
  ds->AddFieldDef("DATA", ftBlob);
  ds->Open();
  std::vector<std::string> classes;
  for (int i = 0; i < ds->FieldCount(); ++i) classes.push_back(ds->Fields()->Fields(i)->ClassName());
  EXPECT_THAT(classes, ElementsAre("TIntegerField", "TStringField", "TMemoField", "TFloatField", "TSmallintField",
                                   "TBooleanField", "TDateField", "TDateTimeField", "TBlobField"));
  EXPECT_TRUE(ds->DefaultFields());
  EXPECT_EQ(ds->FieldByName("name")->GetSize(), 10);
  EXPECT_EQ(ds->FieldByName("NAME")->FieldNo(), 2);
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("NOPE"); }), "MemDataSet1: Поле 'NOPE' не найдено");
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->Eof() && ds->Bof());
  ds->Close();
  EXPECT_EQ(ds->FieldCount(), 0);
  EXPECT_EQ(ErrorOf([&] { ds->RecordCount(); }),
            "MemDataSet1: Не могу выполнить эту операцию для закрытого набора данных (dataset)");
}

TEST_F(DataSets, FieldsConvertTheirValues) {
  ds->AddFieldDef("PRICE", ftFloat);
  ds->AddFieldDef("SMALL", ftSmallint);
  ds->AddFieldDef("OK", ftBoolean);
  ds->AddFieldDef("BORN", ftDate);
  ds->AddFieldDef("STAMP", ftDateTime);
  ds->Open();
  ds->Append();
  struct Case {
    const char* Field;
    const char* Text;
    const char* AsString;
    const char* DisplayText;
  };
  const Case cases[] = {
      {"ID", " 42", "42", "42"},
      {"ID", "-2147483648", "-2147483648", "-2147483648"},
      {"SMALL", "-32768", "-32768", "-32768"},
      {"PRICE", "12.5", "12.5", "12.5"},
      {"PRICE", "0.1", "0.1", "0.1"},
      {"OK", "t", "True", "True"},
      {"OK", "False", "False", "False"},
      {"BORN", "12/31/2024", "12/31/2024", "12/31/2024"},
      {"STAMP", "01/02/2025 13:45:10", "01/02/2025 13:45:10", "01/02/2025 13:45:10"},
      {"NAME", "abc", "abc", "abc"},
      // Cut to the field's 10 bytes at a character boundary.
      {"NAME", "Купить ёлку", "Купит", "Купит"},
      {"NAME", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Field) + " <- " + c.Text);
    TField* f = ds->FieldByName(c.Field);
    f->SetAsString(c.Text);
    EXPECT_EQ(f->GetAsString(), c.AsString);
    EXPECT_EQ(f->DisplayText(), c.DisplayText);
    EXPECT_EQ(f->IsNull(), std::string(c.AsString).empty());
  }
  EXPECT_EQ(ds->FieldByName("BORN")->GetAsDateTime(), EncodeDate(2024, 12, 31));
  EXPECT_EQ(ds->FieldByName("STAMP")->GetAsVariant().VarType(), varDate);
  EXPECT_DOUBLE_EQ(ds->FieldByName("STAMP")->GetAsDateTime(), EncodeDate(2025, 1, 2) + EncodeTime(13, 45, 10, 0));
  ds->FieldByName("ID")->SetAsVariant(TVariant("7"));
  EXPECT_EQ(ds->FieldByName("ID")->GetAsVariant(), TVariant(7));
  ds->FieldByName("ID")->Clear();
  EXPECT_TRUE(ds->FieldByName("ID")->GetAsVariant().IsNull());

  struct Bad {
    const char* Field;
    const char* Text;
    const char* Error;
  };
  const Bad bad[] = {
      {"ID", "4x", "'4x' не является допустимым целым значением для поля 'ID'"},
      {"ID", "2147483648",
       "2147483648 не является допустимым значением для поля 'ID'. Допустимый диапазон от -2147483648 до 2147483647"},
      {"SMALL", "40000",
       "40000 не является допустимым значением для поля 'SMALL'. Допустимый диапазон от -32768 до 32767"},
      {"PRICE", "1,5", "'1,5' не является допустимым значением с плавающей точкой для поля 'PRICE'"},
      {"OK", "maybe", "'maybe' не является допустимым логическим значением для поля 'OK'"},
      {"BORN", "31.12.2024", "'31.12.2024' не является допустимой датой для поля 'BORN'"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.Field);
    EXPECT_EQ(ErrorOf([&] { ds->FieldByName(b.Field)->SetAsString(b.Text); }), b.Error);
  }
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("OK")->GetAsDateTime(); }),
            "Нет доступа к полю 'OK' как к типу DateTime");
}

TEST_F(DataSets, FieldsFollowTheDataSetsFormatSettings) {
  ds->AddFieldDef("PRICE", ftFloat);
  ds->AddFieldDef("BORN", ftDate);
  ds->FormatSettings = RussianFormatSettings();
  ds->Open();
  ds->Append();
  ds->FieldByName("PRICE")->SetAsString("2,25");
  ds->FieldByName("BORN")->SetAsString("31.12.2024");
  EXPECT_EQ(ds->FieldByName("PRICE")->GetAsString(), "2,25");
  EXPECT_EQ(ds->FieldByName("BORN")->GetAsString(), "31.12.2024");
  static_cast<TDateTimeField*>(ds->FieldByName("BORN"))->SetDisplayFormat("d mmmm yyyy");
  EXPECT_EQ(ds->FieldByName("BORN")->DisplayText(), "31 декабря 2024");
  EXPECT_EQ(ds->FieldByName("BORN")->GetText(), "31.12.2024");
}

TEST_F(DataSets, NavigationStopsAtBothEnds) {
  Fill(3);
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(ds->MoveBy(5), 2);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Id(), 3);
  EXPECT_EQ(ds->MoveBy(1), 0);
  EXPECT_EQ(ds->MoveBy(-5), -2);
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(Id(), 1);
  ds->Last();
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Id(), 3);
  ds->Prior();
  EXPECT_FALSE(ds->Eof() || ds->Bof());
  EXPECT_EQ(ds->GetRecNo(), 2);
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->SetRecNo(3);
  EXPECT_EQ(Id(), 3);
}

TEST_F(DataSets, HiddenAndFilteredRecordsAreSkipped) {
  Fill(6);
  EXPECT_TRUE(ds->IsSequenced());
  ds->SetHidden(1, true);  // ID 2
  ds->OnFilterRecord = [this](TDataSet*, bool& Accept) { Accept = Id() != 5; };
  ds->SetFiltered(true);
  std::vector<int> ids;
  for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(Id());
  EXPECT_THAT(ids, ElementsAre(1, 3, 4, 6));
  EXPECT_EQ(ds->RecordCount(), 4);
  EXPECT_FALSE(ds->IsSequenced());
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_F(DataSets, TheDataLinkSeesAWindowOfItsBufferCount) {
  Fill(12);
  TRecordingLink link;
  link.SetBufferCount(5);
  link.SetDataSource(source);
  EXPECT_THAT(link.Log, ElementsAre("active"));
  EXPECT_EQ(ds->BufferCount(), 5);
  EXPECT_THAT(Rows(link), ElementsAre(1, 2, 3, 4, 5));
  link.Log.clear();
  for (int i = 1; i <= 4; ++i) {
    ds->Next();
    EXPECT_EQ(link.GetActiveRecord(), i);
  }
  EXPECT_THAT(link.Log, ElementsAre("scrolled 0", "scrolled 0", "scrolled 0", "scrolled 0"));
  link.Log.clear();
  ds->Next();  // past the window's end: the rows move by one
  EXPECT_THAT(link.Log, ElementsAre("scrolled 1"));
  EXPECT_EQ(link.GetActiveRecord(), 4);
  EXPECT_THAT(Rows(link), ElementsAre(2, 3, 4, 5, 6));
  link.Log.clear();
  EXPECT_EQ(ds->MoveBy(-6), -5);  // to the first record and one row back
  EXPECT_TRUE(ds->Bof());
  EXPECT_THAT(link.Log, ElementsAre("scrolled -1"));
  EXPECT_THAT(Rows(link), ElementsAre(1, 2, 3, 4, 5));
  EXPECT_EQ(link.GetActiveRecord(), 0);
  link.Log.clear();
  ds->MoveBy(7);  // far: the rows move by three
  EXPECT_THAT(link.Log, ElementsAre("scrolled 3"));
  EXPECT_THAT(Rows(link), ElementsAre(4, 5, 6, 7, 8));
  link.Log.clear();
  ds->Last();
  EXPECT_THAT(link.Log, ElementsAre("changed"));
  EXPECT_THAT(Rows(link), ElementsAre(8, 9, 10, 11, 12));
  EXPECT_EQ(link.GetActiveRecord(), 4);
  // A bookmark's record is centred.
  ds->First();
  TBookmarkStr third = (ds->MoveBy(2), ds->GetBookmark());
  ds->Last();
  ds->SetBookmark(third);
  EXPECT_EQ(Id(), 3);
  EXPECT_THAT(Rows(link), ElementsAre(1, 2, 3, 4, 5));
  ds->MoveBy(5);
  ds->GotoBookmark(third);
  EXPECT_THAT(Rows(link), ElementsAre(1, 2, 3, 4, 5));
  ds->SetRecNo(9);
  EXPECT_THAT(Rows(link), ElementsAre(7, 8, 9, 10, 11));
  EXPECT_EQ(link.GetActiveRecord(), 2);
  link.Log.clear();
  ds->Close();
  EXPECT_THAT(link.Log, ElementsAre("inactive"));
  EXPECT_EQ(link.RecordCount(), 0);
}

TEST_F(DataSets, ASmallerLinkMovesWithinTheLargerWindow) {
  Fill(12);
  TRecordingLink wide, narrow;
  wide.SetBufferCount(5);
  narrow.SetBufferCount(3);
  wide.SetDataSource(source);
  narrow.SetDataSource(source);
  EXPECT_EQ(ds->BufferCount(), 5);
  narrow.Log.clear();
  ds->MoveBy(2);
  EXPECT_EQ(narrow.GetActiveRecord(), 2);
  EXPECT_THAT(narrow.Log, ElementsAre("scrolled 0"));
  narrow.Log.clear();
  ds->Next();
  EXPECT_THAT(narrow.Log, ElementsAre("scrolled 1"));
  EXPECT_EQ(narrow.GetActiveRecord(), 2);
  EXPECT_THAT(Rows(narrow), ElementsAre(2, 3, 4));
  EXPECT_THAT(Rows(wide), ElementsAre(1, 2, 3, 4, 5));
  // The wide link goes: the dataset keeps three buffers around the current record.
  wide.SetDataSource(nullptr);
  EXPECT_EQ(ds->BufferCount(), 3);
  EXPECT_THAT(Rows(narrow), ElementsAre(2, 3, 4));
  EXPECT_EQ(Id(), 4);
  narrow.SetBufferCount(6);
  EXPECT_EQ(ds->BufferCount(), 6);
  EXPECT_EQ(Id(), 4);
  EXPECT_EQ(narrow.RecordCount(), 6);
}

TEST_F(DataSets, TheLinkHearsEditingRecordChangesAndUpdateData) {
  Fill(3);
  TRecordingLink link;
  link.VisualControl = true;
  link.SetDataSource(source);
  link.Log.clear();
  // AutoEdit: asking the link to edit puts the dataset into edit state.
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_THAT(link.Log, ElementsAre("editing", "record *"));
  link.Log.clear();
  ds->FieldByName("NAME")->SetAsString("new");
  EXPECT_THAT(link.Log, ElementsAre("record NAME"));
  // Its own pending edit is written in UpdateData and not echoed back to it.
  link.Log.clear();
  link.OnUpdateData = [&] { ds->FieldByName("ID")->SetAsInteger(10); };
  ds->Post();
  EXPECT_THAT(link.Log, ElementsAre("update data", "not editing", "changed"));
  EXPECT_EQ(Id(), 10);
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "new");
  link.OnUpdateData = nullptr;
  // Without AutoEdit the link's request does nothing.
  source->SetAutoEdit(false);
  link.Log.clear();
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_TRUE(link.Log.empty());
  // A read-only link never edits.
  source->SetAutoEdit(true);
  link.SetReadOnly(true);
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_F(DataSets, ControlsHearOneChangeAfterTheyWereDisabled) {
  Fill(5);
  TRecordingLink link;
  link.SetDataSource(source);
  link.Log.clear();
  ds->DisableControls();
  ds->Next();
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("x");
  ds->Post();
  ds->Last();
  EXPECT_TRUE(link.Log.empty());
  ds->EnableControls();
  EXPECT_THAT(link.Log, ElementsAre("changed"));
}

TEST_F(DataSets, EventsComeInOrder) {
  Fill(3);
  std::vector<std::string> log;
  auto record = [&log](const char* Name) { return [&log, Name](TDataSet*) { log.push_back(Name); }; };
  const std::pair<TDataSetNotifyEvent TDataSet::*, const char*> events[] = {
      {&TDataSet::BeforeEdit, "BeforeEdit"},
      {&TDataSet::AfterEdit, "AfterEdit"},
      {&TDataSet::BeforePost, "BeforePost"},
      {&TDataSet::AfterPost, "AfterPost"},
      {&TDataSet::BeforeInsert, "BeforeInsert"},
      {&TDataSet::AfterInsert, "AfterInsert"},
      {&TDataSet::OnNewRecord, "OnNewRecord"},
      {&TDataSet::BeforeCancel, "BeforeCancel"},
      {&TDataSet::AfterCancel, "AfterCancel"},
      {&TDataSet::BeforeDelete, "BeforeDelete"},
      {&TDataSet::AfterDelete, "AfterDelete"},
      {&TDataSet::BeforeScroll, "BeforeScroll"},
      {&TDataSet::AfterScroll, "AfterScroll"},
  };
  for (const auto& [member, name] : events) ds->*member = record(name);
  source->OnStateChange = [&](TObject*) { log.push_back("state " + EnumName(ds->State())); };
  ds->HookLog.clear();

  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("e");
  ds->Next();  // a modified record is posted before moving
  EXPECT_THAT(log, ElementsAre("BeforeEdit", "state dsEdit", "AfterEdit", "BeforePost", "state dsBrowse",
                               "AfterPost", "BeforeScroll", "AfterScroll"));
  log.clear();
  ds->Insert();
  ds->Cancel();
  EXPECT_THAT(log, ElementsAre("BeforeInsert", "BeforeScroll", "state dsInsert", "OnNewRecord", "AfterInsert",
                               "AfterScroll", "BeforeCancel", "BeforeScroll", "state dsBrowse", "AfterCancel",
                               "AfterScroll"));
  log.clear();
  ds->Edit();
  ds->Next();  // not modified: cancelled
  EXPECT_THAT(log, ElementsAre("BeforeEdit", "state dsEdit", "AfterEdit", "BeforeCancel", "state dsBrowse",
                               "AfterCancel", "BeforeScroll", "AfterScroll"));
  log.clear();
  ds->Delete();
  EXPECT_THAT(log, ElementsAre("BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"));
  EXPECT_THAT(ds->HookLog, ElementsAre("Edit", "Post", "Insert", "Cancel", "Edit", "Cancel", "Delete"));
}

TEST_F(DataSets, InsertGoesBeforeTheCurrentRecordAndAppendAtTheEnd) {
  Fill(3);
  ds->Next();
  ds->Insert();
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  EXPECT_EQ(ds->GetBookmark(), "");
  ds->FieldByName("ID")->SetAsInteger(9);
  ds->Post();
  EXPECT_EQ(Id(), 9);
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(10);
  ds->Post();
  std::vector<int> ids;
  for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(Id());
  EXPECT_THAT(ids, ElementsAre(1, 9, 2, 3, 10));
  // Delete at the end steps back to the new last record.
  ds->Last();
  ds->Delete();
  EXPECT_EQ(Id(), 3);
  EXPECT_EQ(ds->RecordCount(), 4);
}

TEST_F(DataSets, AFailedPostKeepsTheEditAndItsValues) {
  Fill(2);
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("kept");
  ds->PostFailures = 1;
  EXPECT_EQ(ErrorOf([&] { ds->Post(); }), "MemDataSet1: Post failed");
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "kept");
  EXPECT_TRUE(ds->Modified());
  ds->Post();
  EXPECT_EQ(ds->StoredText(0, "NAME"), "kept");

  // The error event may retry, or abort silently.
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("again");
  ds->PostFailures = 1;
  int calls = 0;
  ds->OnPostError = [&](TDataSet*, EDatabaseError&, TDataAction& Action) {
    ++calls;
    Action = daRetry;
  };
  ds->Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds->StoredText(0, "NAME"), "again");
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("no");
  ds->PostFailures = 1;
  ds->OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& Action) { Action = daAbort; };
  EXPECT_THROW(ds->Post(), EAbort);
  EXPECT_EQ(ds->State(), dsEdit);
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "again");
}

TEST_F(DataSets, WrongOperationsRaiseDatabaseErrors) {
  ds->Open();
  EXPECT_EQ(ErrorOf([&] { ds->Delete(); }),
            "MemDataSet1: Не могу выполнить эту операцию для пустого набора данных (dataset)");
  // Editing an empty dataset inserts.
  ds->Edit();
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Cancel();
  ds->AppendRecord({1, "a"});
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("NAME")->SetAsString("b"); }),
            "MemDataSet1: Набор данных (dataset) не в режиме редактирования или вставки");
  ds->FieldByName("NAME")->SetReadOnly(true);
  ds->Edit();
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("NAME")->SetAsString("b"); }), "MemDataSet1: Поле 'NAME' не может быть изменено");
  ds->Cancel();
  ds->FieldByName("NAME")->SetReadOnly(false);
  ds->FieldByName("ID")->SetRequired(true);
  ds->Append();
  EXPECT_EQ(ErrorOf([&] { ds->Post(); }), "Поле 'ID' должно иметь значение");
  ds->Cancel();
  ds->SetReadOnly(true);
  EXPECT_EQ(ErrorOf([&] { ds->Edit(); }),
            "MemDataSet1: Не могу изменить набор данных (dataset) только для чтения");
  EXPECT_EQ(ErrorOf([&] { ds->AddFieldDef("X", ftInteger); }),
            "MemDataSet1: Не могу выполнить эту операцию для открытого набора данных (dataset)");
  ds->Close();
  EXPECT_EQ(ErrorOf([&] { ds->Next(); }),
            "MemDataSet1: Не могу выполнить эту операцию для закрытого набора данных (dataset)");
}

TEST_F(DataSets, BookmarksOrderRecordsAndGoBackToThem) {
  Fill(4);
  ds->Next();
  TBookmarkStr second = ds->GetBookmark();
  ds->Next();
  TBookmarkStr third = ds->GetBookmark();
  EXPECT_EQ(ds->CompareBookmarks(second, third), -1);
  EXPECT_EQ(ds->CompareBookmarks(third, second), 1);
  EXPECT_EQ(ds->CompareBookmarks(second, second), 0);
  EXPECT_EQ(ds->CompareBookmarks("", second), -1);  // a missing bookmark sorts first
  EXPECT_EQ(ds->CompareBookmarks("", ""), 0);
  ds->Last();
  ds->GotoBookmark(second);
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds->BookmarkValid(third));
  ds->GotoBookmark(third);
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(third));
  EXPECT_EQ(ErrorOf([&] { ds->GotoBookmark(third); }), "MemDataSet1: Закладка не найдена");
}

TEST_F(DataSets, LocateFindsRecordsAndLookupReadsThemWithoutMoving) {
  ds->AddFieldDef("BORN", ftDate);
  ds->Open();
  ds->AppendRecord({1, "Anna", TVariant::Null(), TVariant::FromDate(EncodeDate(2024, 1, 1))});
  ds->AppendRecord({2, "Борис", TVariant::Null(), TVariant::FromDate(EncodeDate(2024, 12, 31))});
  ds->AppendRecord({3, "борис", TVariant::Null(), TVariant::Null()});
  ds->First();
  int scrolls = 0;
  ds->AfterScroll = [&](TDataSet*) { ++scrolls; };
  EXPECT_TRUE(ds->Locate("NAME", TVariant("борис"), {}));
  EXPECT_EQ(Id(), 3);
  EXPECT_EQ(scrolls, 1);
  EXPECT_TRUE(ds->Locate("name", TVariant("БОРИС"), {loCaseInsensitive}));
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds->Locate("NAME", TVariant("An"), {loPartialKey}));
  EXPECT_EQ(Id(), 1);
  EXPECT_TRUE(ds->Locate("BORN", TVariant::FromDate(EncodeDate(2024, 12, 31)), {}));
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds->Locate("ID;NAME", VarArrayOf({3, "борис"}), {}));
  EXPECT_EQ(Id(), 3);
  EXPECT_TRUE(ds->Locate("BORN", TVariant::Null(), {}));
  EXPECT_EQ(Id(), 3);
  scrolls = 0;
  EXPECT_FALSE(ds->Locate("NAME", TVariant("Zed"), {loCaseInsensitive}));
  EXPECT_EQ(Id(), 3);
  EXPECT_EQ(scrolls, 0);

  ds->First();
  EXPECT_EQ(ds->Lookup("ID", TVariant(2), "NAME"), TVariant("Борис"));
  EXPECT_EQ(ds->Lookup("NAME", TVariant("Anna"), "ID;BORN"),
            VarArrayOf({1, TVariant::FromDate(EncodeDate(2024, 1, 1))}));
  EXPECT_TRUE(ds->Lookup("ID", TVariant(7), "NAME").IsNull());
  EXPECT_EQ(Id(), 1);
  EXPECT_EQ(ErrorOf([&] { ds->Locate("NOPE", TVariant(1), {}); }), "MemDataSet1: Поле 'NOPE' не найдено");
}

// Calculated and lookup fields, made in code as persistent fields are.
TEST_F(DataSets, CalculatedAndLookupFieldsFollowTheRecord) {
  TMemDataSet* categories = new TMemDataSet(&owner);
  categories->AddFieldDef("CODE", ftInteger);
  categories->AddFieldDef("TITLE", ftString, 20);
  categories->Open();
  categories->AppendRecord({1, "один"});
  categories->AppendRecord({2, "два"});

  ds->AddFieldDef("CAT", ftInteger);
  ds->FieldDefs()->Update();
  for (int i = 0; i < ds->FieldDefs()->Count(); ++i) ds->FieldDefs()->Items(i)->CreateField(&owner, ds);
  auto* twice = new TIntegerField(&owner);
  twice->SetFieldName("TWICE");
  twice->SetFieldKind(fkCalculated);
  twice->SetDataSet(ds);
  auto* title = new TStringField(&owner);
  title->SetFieldName("CATTITLE");
  title->SetFieldKind(fkLookup);
  title->SetKeyFields("CAT");
  title->SetLookupDataSet(categories);
  title->SetLookupKeyFields("CODE");
  title->SetLookupResultField("TITLE");
  title->SetDataSet(ds);
  int calcs = 0;
  ds->OnCalcFields = [&](TDataSet*) {
    ++calcs;
    if (!ds->FieldByName("ID")->IsNull()) twice->SetAsInteger(2 * ds->FieldByName("ID")->GetAsInteger());
  };
  ds->Open();
  EXPECT_FALSE(ds->DefaultFields());
  EXPECT_EQ(twice->FieldNo(), -1);
  EXPECT_EQ(ds->CalcFieldsSize(), twice->DataSize() + 1 + title->DataSize() + 1);
  ds->AppendRecord({1, "a", TVariant::Null(), 2});
  ds->AppendRecord({5, "b", TVariant::Null(), 1});
  ds->First();
  EXPECT_EQ(twice->GetAsInteger(), 2);
  EXPECT_EQ(title->GetAsString(), "два");
  ds->Next();
  EXPECT_EQ(twice->GetAsInteger(), 10);
  EXPECT_EQ(title->GetAsString(), "один");
  EXPECT_FALSE(twice->CanModify());
  // Editing recomputes them as the key fields change (AutoCalcFields).
  ds->Edit();
  ds->FieldByName("ID")->SetAsInteger(7);
  ds->FieldByName("CAT")->SetAsInteger(2);
  EXPECT_EQ(twice->GetAsInteger(), 14);
  EXPECT_EQ(title->GetAsString(), "два");
  ds->SetAutoCalcFields(false);
  ds->FieldByName("ID")->SetAsInteger(8);
  EXPECT_EQ(twice->GetAsInteger(), 14);
  ds->Cancel();
  EXPECT_EQ(twice->GetAsInteger(), 10);
  EXPECT_EQ(ds->Lookup("TWICE", TVariant(10), "CATTITLE"), TVariant("один"));
  EXPECT_GT(calcs, 0);
  // A lookup field without its lookup dataset cannot open.
  ds->Close();
  title->SetLookupDataSet(nullptr);
  EXPECT_EQ(ErrorOf([&] { ds->Open(); }), "MemDataSet1: Неполная информация о подстановке для поля 'CATTITLE'");
  EXPECT_FALSE(ds->GetActive());
}

TEST_F(DataSets, MemoDataIsKeptUntilPostAndDroppedByCancel) {
  Fill(1);
  TField* note = ds->FieldByName("NOTE");
  EXPECT_TRUE(note->IsNull());
  EXPECT_EQ(note->DisplayText(), "(Memo)");
  ds->Edit();
  note->SetAsString("первая\r\nвторая");
  EXPECT_EQ(note->GetAsString(), "первая\r\nвторая");
  EXPECT_TRUE(static_cast<TBlobField*>(note)->GetModified());
  ds->Cancel();
  EXPECT_TRUE(note->IsNull());
  ds->Edit();
  note->SetAsString("kept");
  ds->Post();
  EXPECT_EQ(ds->StoredText(0, "NOTE"), "kept");
  EXPECT_EQ(note->DisplayText(), "(MEMO)");
  {
    TStringStream out;
    static_cast<TBlobField*>(note)->SaveToStream(&out);
    EXPECT_EQ(out.DataString(), "kept");
  }
  EXPECT_EQ(ErrorOf([&] { ds->CreateBlobStream(note, bmWrite); }),
            "MemDataSet1: Набор данных (dataset) не в режиме редактирования или вставки");
  ds->Edit();
  note->Clear();
  ds->Post();
  EXPECT_TRUE(note->IsNull());
}

TEST_F(DataSets, OldValuesAndValidation) {
  Fill(1);
  std::vector<std::string> seen;
  ds->FieldByName("NAME")->OnValidate = [&](TField* f) {
    seen.push_back(f->GetAsString());
    if (f->GetAsString() == "bad") DatabaseError("no bad names");
  };
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("good");
  EXPECT_EQ(ErrorOf([&] { ds->FieldByName("NAME")->SetAsString("bad"); }), "no bad names");
  EXPECT_THAT(seen, ElementsAre("good", "bad"));
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "good");
  EXPECT_EQ(ds->FieldByName("NAME")->OldValue(), TVariant("R1"));
}

// A detail dataset whose master source is its own.
class TDetailDataSet : public TMemDataSet {
 public:
  using TMemDataSet::TMemDataSet;
  TDataSource* Master = nullptr;
  TDataSource* GetDataSource() const override { return Master; }
};

TEST_F(DataSets, MasterLinksFollowTheMasterAndLinksMayNotGoRound) {
  Fill(3);
  TDetailDataSet detail(nullptr);
  detail.AddFieldDef("ID", ftInteger);
  detail.Open();
  TMasterDataLink master(&detail);
  std::vector<std::string> log;
  master.OnMasterChange = [&](TObject*) { log.push_back("change " + std::to_string(Id())); };
  master.OnMasterDisable = [&](TObject*) { log.push_back("disable"); };
  master.SetFieldNames("ID");
  master.SetDataSource(source);
  ASSERT_EQ(master.Fields().size(), 1u);
  EXPECT_EQ(master.Fields()[0], ds->FieldByName("ID"));
  ds->Next();
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("n");  // not a master field
  ds->FieldByName("ID")->SetAsInteger(20);
  ds->Cancel();
  ds->Close();
  // Without its source the link disables the detail; every new master record (also one
  // entering edit) or change of a master field tells it.
  EXPECT_THAT(log, ElementsAre("disable", "change 1", "change 2", "change 2", "change 20", "change 2", "disable"));

  // A source may not show a dataset whose masters lead back to the source.
  TDataSource s1(nullptr), s2(nullptr);
  s1.SetName("DataSource1");
  TDetailDataSet second(nullptr);
  detail.Master = &s2;  // detail <- s2 <- second <- s1
  s2.SetDataSet(&second);
  second.Master = &s1;
  EXPECT_EQ(ErrorOf([&] { s1.SetDataSet(&detail); }), "DataSource1: Циклические связи данных не разрешены");
  EXPECT_EQ(s1.GetDataSet(), nullptr);
  EXPECT_EQ(ErrorOf([&] { s2.SetDataSet(&detail); }), "Циклические связи данных не разрешены");
  s1.SetDataSet(ds);
  EXPECT_EQ(s1.GetDataSet(), ds);
}

TEST_F(DataSets, IndexDefinitionsFindTheirKeyFields) {
  TIndexDefs defs(ds);
  defs.Add("BYNAME", "NAME;ID", {});
  defs.Add("BYEXPR", "UPPER(NAME)", {ixExpression});
  defs.Add("BYID", "ID", {ixUnique, ixDescending});
  EXPECT_EQ(defs.Find("byname")->GetFields(), "NAME;ID");
  EXPECT_EQ(defs.Find("BYEXPR")->GetExpression(), "UPPER(NAME)");
  EXPECT_EQ(defs.GetIndexForFields("NAME", false)->GetName(), "BYNAME");
  EXPECT_EQ(defs.GetIndexForFields("id", false)->GetName(), "BYID");
  EXPECT_EQ(defs.GetIndexForFields("NAME;NOTE", false), nullptr);
  EXPECT_EQ(ErrorOf([&] { defs.Find("NONE"); }), "MemDataSet1: Индекс 'NONE' не найден");
  TIndexDefs copy(ds);
  copy.Assign(&defs);
  EXPECT_EQ(copy.Count(), 3);
  EXPECT_TRUE(copy.Items(2)->GetOptions().Contains(ixDescending));
}

TEST(DataSetForms, ADataSetItsFieldsAndItsSourceStreamAsText) {
  const std::string text =
      "object Holder: TComponent\n"
      "  object MemDataSet1: TMemDataSet\n"
      "    Active = True\n"
      "    object MemDataSet1NAME: TStringField\n"
      "      FieldName = 'NAME'\n"
      "      DisplayLabel = 'Имя'\n"
      "      Size = 12\n"
      "    end\n"
      "    object MemDataSet1BORN: TDateField\n"
      "      FieldName = 'BORN'\n"
      "      DisplayFormat = 'dd.mm.yyyy'\n"
      "    end\n"
      "  end\n"
      "  object DataSource1: TDataSource\n"
      "    AutoEdit = False\n"
      "    DataSet = MemDataSet1\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> root = horavox::test::ReadFromText(text);
  auto* ds = dynamic_cast<TMemDataSet*>(root->FindComponent("MemDataSet1"));
  auto* source = dynamic_cast<TDataSource*>(root->FindComponent("DataSource1"));
  ASSERT_TRUE(ds && source);
  EXPECT_TRUE(ds->GetActive());  // opened once the form was read
  EXPECT_EQ(source->GetDataSet(), ds);
  EXPECT_FALSE(source->GetAutoEdit());
  ASSERT_EQ(ds->FieldCount(), 2);
  EXPECT_EQ(ds->FieldByName("NAME")->Owner(), root.get());
  EXPECT_EQ(ds->FieldByName("NAME")->DisplayName(), "Имя");
  EXPECT_EQ(ds->FieldByName("NAME")->GetSize(), 12);
  ds->AppendRecord({"x", TVariant::FromDate(EncodeDate(2025, 3, 8))});
  EXPECT_EQ(ds->FieldByName("BORN")->DisplayText(), "08.03.2025");

  TMemoryStream binary;
  TWriter writer(&binary);
  writer.WriteRootComponent(root.get());
  binary.SetPosition(0);
  TStringStream written;
  ObjectBinaryToText(&binary, &written);
  EXPECT_EQ(StringReplace(written.DataString(), "\r\n", "\n", rfReplaceAll), text);
}

TEST(Variants, ConvertBetweenKinds) {
  EXPECT_TRUE(TVariant().IsNull());
  EXPECT_TRUE(TVariant::Null().IsNull());
  EXPECT_EQ(TVariant::Null().AsString(), "");
  EXPECT_EQ(TVariant(12).AsString(), "12");
  EXPECT_EQ(TVariant(2.5).AsString(), "2.5");
  EXPECT_EQ(TVariant(true).AsString(), "True");
  EXPECT_EQ(TVariant(" 17 ").AsInteger(), 17);
  EXPECT_EQ(TVariant("2.75").AsFloat(), 2.75);
  EXPECT_TRUE(TVariant("true").AsBoolean());
  EXPECT_EQ(TVariant::FromDate(EncodeDate(2025, 1, 2)).AsString(), "01/02/2025");
  EXPECT_EQ(TVariant("01/02/2025").AsDateTime(), EncodeDate(2025, 1, 2));
  EXPECT_EQ(TVariant(3), TVariant(3.0));
  EXPECT_FALSE(TVariant(3) == TVariant("3"));
  TVariant array = VarArrayOf({1, "a"});
  EXPECT_EQ(array.ArrayCount(), 2);
  EXPECT_EQ(array.Item(1), TVariant("a"));
  EXPECT_THROW(array.Item(2), EVariantError);
  EXPECT_THROW(array.AsString(), EVariantError);
  EXPECT_EQ(ErrorOf([] { TVariant("x").AsInteger(); }), "Невозможно преобразовать вариант типа (String) в тип (Integer)");
}

// Object fields: an ADT's and an array's children keep their values under their full names,
// the dataset lists only the object fields and finds the children by full name, and a nested
// dataset field names the dataset it shows.
TEST(ObjectFields, ChildrenHoldTheValuesOfTheirObjectField) {
  TComponent owner(nullptr);
  auto* ds = new TMemDataSet(&owner);
  ds->AddFieldDef("ID", ftInteger);
  ds->AddFieldDef("ADDR.CITY", ftString, 20);
  ds->AddFieldDef("ADDR.ZIP", ftString, 6);
  ds->AddFieldDef("SCORES[0]", ftInteger);
  ds->AddFieldDef("SCORES[1]", ftInteger);
  auto field = [&](TField* F, const char* Name, TDataSet* DataSet = nullptr) {
    F->SetFieldName(Name);
    if (DataSet) F->SetDataSet(DataSet);
    return F;
  };
  field(new TIntegerField(&owner), "ID", ds);
  auto* addr = static_cast<TADTField*>(field(new TADTField(&owner), "ADDR", ds));
  auto* city = static_cast<TStringField*>(field(new TStringField(&owner), "CITY"));
  city->SetSize(20);
  addr->AddField(city);
  auto* zip = static_cast<TStringField*>(field(new TStringField(&owner), "ZIP"));
  zip->SetSize(6);
  addr->AddField(zip);
  auto* scores = static_cast<TArrayField*>(field(new TArrayField(&owner), "SCORES", ds));
  scores->AddField(field(new TIntegerField(&owner), "SCORES[0]"));
  scores->AddField(field(new TIntegerField(&owner), "SCORES[1]"));
  auto* nested = new TMemDataSet(&owner);
  auto* orders = static_cast<TDataSetField*>(field(new TDataSetField(&owner), "ORDERS", ds));
  orders->SetNestedDataSet(nested);

  EXPECT_EQ(ds->FieldCount(), 4);  // ID, ADDR, SCORES, ORDERS
  EXPECT_EQ(addr->FieldCount(), 2);
  EXPECT_EQ(city->ParentField(), addr);
  EXPECT_EQ(city->FullName(), "ADDR.CITY");
  EXPECT_EQ(scores->Fields()->Fields(1)->FullName(), "SCORES[1]");
  EXPECT_EQ(ds->FindField("addr.zip"), zip);
  EXPECT_EQ(ds->FindField("SCORES[0]"), scores->Fields()->Fields(0));
  EXPECT_EQ(ds->FindField("CITY"), nullptr);  // only by its full name

  ds->Open();
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(1);
  city->SetAsString("Тверь");
  zip->SetAsString("170000");
  ds->FieldByName("SCORES[1]")->SetAsInteger(7);
  ds->Post();
  EXPECT_EQ(ds->StoredText(0, "ADDR.CITY"), "Тверь");
  EXPECT_EQ(city->GetDataSet(), ds);
  EXPECT_EQ(city->GetAsString(), "Тверь");
  EXPECT_EQ(scores->Fields()->Fields(1)->GetAsInteger(), 7);
  EXPECT_TRUE(scores->Fields()->Fields(0)->IsNull());
  EXPECT_FALSE(addr->IsNull());
  EXPECT_EQ(addr->DisplayText(), "(ADT)");
  EXPECT_EQ(scores->DisplayText(), "(Array)");
  EXPECT_EQ(orders->DisplayText(), "(DataSet)");
  EXPECT_EQ(orders->GetNestedDataSet(), nested);
  EXPECT_THROW(addr->SetAsString("x"), EDatabaseError);
  // No child joins an open dataset's field.
  auto* more = field(new TStringField(&owner), "MORE");
  EXPECT_THROW(addr->AddField(more), EDatabaseError);
  ds->Close();

  // A child freed leaves its object field; an object field freed takes its children.
  delete zip;
  EXPECT_EQ(addr->FieldCount(), 1);
  delete nested;
  EXPECT_EQ(orders->GetNestedDataSet(), nullptr);
  TFreeNotifierProbe probe;
  probe.Watch(city);
  delete addr;
  EXPECT_TRUE(probe.Freed);
  EXPECT_EQ(ds->FindField("ADDR.CITY"), nullptr);
  EXPECT_EQ(ds->FieldCount(), 3);
}

}  // namespace
