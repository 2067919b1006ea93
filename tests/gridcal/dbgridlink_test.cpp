// The data grid's link to its dataset and its list of selected rows, on the in-memory
// dataset with a fake grid.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/data/db.h"
#include "fake_gridhost.h"
#include "memdataset.h"

using horavox::test::TFakeGridHost;
using horavox::test::TMemDataSet;
using ::testing::ElementsAre;

namespace {

// A table of numbered records (ID 1..n, NAME "Rn") shown by a grid of three rows.
class GridLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ds = new TMemDataSet(&owner);
    ds->AddFieldDef("ID", ftInteger);
    ds->AddFieldDef("NAME", ftString, 10);
    source = new TDataSource(&owner);
    source->SetDataSet(ds);
    grid.Link.SetBufferCount(3);
  }
  void Fill(int Count) {
    ds->Open();
    for (int i = 1; i <= Count; ++i) ds->AppendRecord({i, "R" + std::to_string(i)});
    ds->First();
  }
  void Connect() {
    grid.Link.SetDataSource(source);
    grid.Log.clear();
  }
  int Id() { return ds->FieldByName("ID")->GetAsInteger(); }
  void GoTo(int IdValue) { ASSERT_TRUE(ds->Locate("ID", IdValue, {})); }
  void Select(int IdValue) {
    GoTo(IdValue);
    grid.Bookmarks.SetCurrentRowSelected(true);
  }
  // The records of the selected rows, in list order.
  std::vector<int> Selected() {
    std::vector<int> ids;
    TBookmarkStr saved = ds->GetBookmark();
    for (int i = 0; i < grid.Bookmarks.Count(); ++i) {
      ds->GotoBookmark(grid.Bookmarks.Items(i));
      ids.push_back(Id());
    }
    ds->GotoBookmark(saved);
    return ids;
  }

  TComponent owner{nullptr};
  TMemDataSet* ds;
  TDataSource* source;
  TFakeGridHost grid;  // declared last: its link leaves the source first
};

TEST_F(GridLink, EachDataSetEventReachesTheGridOnce) {
  Fill(10);
  grid.Link.SetDataSource(source);
  EXPECT_THAT(grid.Log, ElementsAre("active"));
  EXPECT_EQ(ds->BufferCount(), 3);  // the dataset keeps a record per grid row
  grid.Log.clear();
  ds->MoveBy(4);  // past the three rows: they move by two
  EXPECT_THAT(grid.Log, ElementsAre("scroll 2"));
  grid.Log.clear();
  ds->Last();
  EXPECT_THAT(grid.Log, ElementsAre("data"));
  grid.Log.clear();
  ds->Edit();
  EXPECT_THAT(grid.Log, ElementsAre("editing", "record *"));
  grid.Log.clear();
  ds->FieldByName("NAME")->SetAsString("x");
  EXPECT_THAT(grid.Log, ElementsAre("record NAME"));
  grid.Log.clear();
  ds->Post();
  EXPECT_THAT(grid.Log, ElementsAre("not editing", "data"));
  grid.Log.clear();
  ds->FieldByName("NAME")->SetDisplayWidth(20);
  EXPECT_THAT(grid.Log, ElementsAre("layout", "data"));
  // A request for the focus is done with when the grid could take it, else passed on.
  grid.Log.clear();
  ds->FieldByName("ID")->FocusControl();
  EXPECT_THAT(grid.Log, ElementsAre("focus ID"));
  grid.Log.clear();
  ds->Close();
  EXPECT_THAT(grid.Log, ElementsAre("inactive"));
}

TEST_F(GridLink, UpdateDataWritesOnlyAModifiedEditor) {
  Fill(3);
  Connect();
  grid.OnUpdateData = [&] { ds->FieldByName("NAME")->SetAsString("typed"); };
  ds->Edit();
  ds->Post();  // the editor was not changed
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "R1");
  ds->Edit();
  grid.Link.Modified();
  grid.Log.clear();
  ds->Post();
  EXPECT_EQ(grid.Log.front(), "update data");  // inside the link's update
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "typed");
  EXPECT_FALSE(grid.Link.IsModified());
  EXPECT_FALSE(grid.Link.InUpdateData());
  // A failed write keeps the editor's text modified and the record in edit.
  grid.OnUpdateData = [&] { throw EDatabaseError("bad text"); };
  ds->Edit();
  grid.Link.Modified();
  EXPECT_THROW(ds->Post(), EDatabaseError);
  EXPECT_TRUE(grid.Link.IsModified());
  EXPECT_FALSE(grid.Link.InUpdateData());
  EXPECT_EQ(ds->State(), dsEdit);
}

TEST_F(GridLink, ResetUndoesTheEditorOrElseTheRecord) {
  Fill(3);
  Connect();
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("changed");
  grid.Link.Modified();
  grid.Log.clear();
  grid.Link.Reset();  // the editor's text goes; the record's change stays
  EXPECT_THAT(grid.Log, ElementsAre("record *"));
  EXPECT_FALSE(grid.Link.IsModified());
  EXPECT_EQ(ds->State(), dsEdit);
  grid.Link.Reset();  // then the record's change goes
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "R1");
}

TEST_F(GridLink, TheFieldMapHasAnEntryPerColumn) {
  ds->AddFieldDef("DAY", ftDate);
  Fill(2);
  Connect();
  // More columns than the map's first room, a missing field among them.
  const char* names[] = {"ID", "NAME", "DAY", "NONE"};
  for (int i = 0; i < 20; ++i) EXPECT_EQ(grid.Link.AddMapping(names[i % 4]), i % 4 != 3);
  ASSERT_EQ(grid.Link.MappedCount(), 20);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(grid.Link.GetMappedIndex(i), i % 4 == 3 ? -1 : i % 4) << i;
  EXPECT_EQ(grid.Link.GetMappedIndex(20), -1);
  EXPECT_EQ(grid.Link.MappedField(1), ds->FieldByName("NAME"));
  EXPECT_FALSE(grid.Link.GetDefaultFields());  // a column without its field
  grid.Link.ClearMapping();
  grid.Link.AddMapping("NAME");
  grid.Link.AddMapping("ID");
  EXPECT_TRUE(grid.Link.GetDefaultFields());
  // Closing frees the dataset's own fields: the map lets go of them.
  ds->Close();
  EXPECT_EQ(grid.Link.MappedField(0), nullptr);
  EXPECT_EQ(grid.Link.GetMappedIndex(1), -1);
}

TEST_F(GridLink, ARowIsSelectedOnceAndTheListStaysInRecordOrder) {
  Fill(10);
  Connect();
  GoTo(5);
  grid.Log.clear();
  grid.Bookmarks.SetCurrentRowSelected(true);
  grid.Bookmarks.SetCurrentRowSelected(true);  // the same row again
  EXPECT_THAT(grid.Log, ElementsAre("row", "multiselect"));
  EXPECT_THAT(Selected(), ElementsAre(5));
  EXPECT_TRUE(grid.Bookmarks.GetCurrentRowSelected());
  // A, B, drop A, A again: no answer of an earlier search is reused.
  Select(2);
  EXPECT_THAT(Selected(), ElementsAre(2, 5));
  GoTo(2);
  grid.Bookmarks.SetCurrentRowSelected(false);
  EXPECT_FALSE(grid.Bookmarks.GetCurrentRowSelected());
  Select(2);
  Select(9);
  Select(7);
  EXPECT_THAT(Selected(), ElementsAre(2, 5, 7, 9));
  int index = -1;
  GoTo(6);
  EXPECT_FALSE(grid.Bookmarks.Find(ds->GetBookmark(), index));
  EXPECT_EQ(index, 2);
  // A record being inserted has no bookmark: it is never selected.
  ds->Insert();
  grid.Bookmarks.SetCurrentRowSelected(true);
  EXPECT_FALSE(grid.Bookmarks.GetCurrentRowSelected());
  ds->Cancel();
  EXPECT_EQ(grid.Bookmarks.Count(), 4);
  grid.Log.clear();
  grid.Bookmarks.Clear();
  grid.Bookmarks.Clear();
  EXPECT_THAT(grid.Log, ElementsAre("grid", "multiselect"));
}

TEST_F(GridLink, DeleteRemovesTheRecordsLastFirst) {
  Fill(10);
  Connect();
  std::vector<int> deleted;
  ds->BeforeDelete = [&](TDataSet*) { deleted.push_back(Id()); };
  for (int id : {8, 2, 5}) Select(id);
  grid.Bookmarks.Delete();
  EXPECT_THAT(deleted, ElementsAre(8, 5, 2));
  EXPECT_EQ(grid.Bookmarks.Count(), 0);
  EXPECT_EQ(ds->RecordCount(), 7);
  EXPECT_FALSE(ds->ControlsDisabled());
  // A record gone meanwhile is skipped.
  deleted.clear();
  for (int id : {3, 6}) Select(id);
  for (int i = 0; i < ds->StoredCount(); ++i)
    if (ds->StoredText(i, "NAME") == "R6") ds->SetHidden(i, true);
  grid.Bookmarks.Delete();
  EXPECT_THAT(deleted, ElementsAre(3));
  EXPECT_EQ(grid.Bookmarks.Count(), 0);
}

TEST_F(GridLink, AFailedDeleteKeepsTheEntriesNotDeleted) {
  Fill(10);
  Connect();
  for (int id : {2, 5, 8}) Select(id);
  ds->BeforeDelete = [&](TDataSet*) {
    if (Id() == 5) throw EDatabaseError("locked");
  };
  EXPECT_THROW(grid.Bookmarks.Delete(), EDatabaseError);
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_EQ(ds->RecordCount(), 9);
  EXPECT_THAT(Selected(), ElementsAre(2, 5));
  ds->BeforeDelete = nullptr;
  grid.Bookmarks.Delete();
  EXPECT_EQ(ds->RecordCount(), 7);
}

TEST_F(GridLink, TheSelectionNeedsAnOpenDataSetAndEndsWithIt) {
  grid.Link.SetDataSource(source);
  try {
    grid.Bookmarks.GetCurrentRowSelected();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, dbtext::DataSetClosed);
  }
  EXPECT_THROW(grid.Bookmarks.SetCurrentRowSelected(true), EDatabaseError);
  Fill(3);
  Select(2);
  ds->Close();
  EXPECT_EQ(grid.Bookmarks.Count(), 0);
  EXPECT_THROW(grid.Bookmarks.SetCurrentRowSelected(true), EDatabaseError);
}

}  // namespace
