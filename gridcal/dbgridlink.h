#pragma once
// The data grid's side of its dataset: TGridDataLink maps the grid's columns to fields and
// passes the dataset's events to the grid; TBookmarkList keeps the rows selected in a
// multi-select grid. Both talk to the grid only through TDgGridHost.
#include <memory>
#include <vector>

#include "classlib/data/db.h"
#include "gridcal/dbgridhost.h"

class TFreeNotifier;

class TGridDataLink : public TDataLink {
  HX_CLASS(TGridDataLink, TDataLink)
 public:
  explicit TGridDataLink(TDgGridHost* Grid);
  ~TGridDataLink() override;

  // ---- The field map: one entry per grid column ----
  // Maps the next column to the field of that name; false (and -1 from GetMappedIndex) when
  // the dataset has no such field.
  bool AddMapping(const String& FieldName);
  void ClearMapping();
  int MappedCount() const { return static_cast<int>(FFieldMap.size()); }
  // The field's index among the dataset's fields, -1 when the column has none (or its field
  // was freed).
  int GetMappedIndex(int ColIndex) const;
  TField* MappedField(int ColIndex) const;
  // The dataset makes its fields itself and every column has its field.
  bool GetDefaultFields() const;

  // The editor's text was changed; Reset undoes that (or the dataset's change when the
  // editor is unchanged).
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  void Reset();
  // Set while the grid writes its editor's text into the field.
  bool InUpdateData() const { return FInUpdateData; }

 protected:
  void ActiveChanged() override;
  // The dataset closes while editing: a changed editor text goes into the record, which
  // is posted.
  void DataSetClosing() override;
  void DataSetChanged() override;
  void DataSetScrolled(int Distance) override;
  void FocusControl(TField** Field) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;

 private:
  TDgGridHost* FGrid;
  std::vector<TField*> FFieldMap;  // nullptr: no field
  std::unique_ptr<TFreeNotifier> FNotifier;
  bool FModified = false;
  bool FInUpdateData = false;
};

// The selected rows: the bookmarks of their records, in the dataset's record order.
class TBookmarkList {
 public:
  explicit TBookmarkList(TDgGridHost* Grid) : FGrid(Grid) {}
  TBookmarkList(const TBookmarkList&) = delete;
  TBookmarkList& operator=(const TBookmarkList&) = delete;

  int Count() const { return static_cast<int>(FList.size()); }
  const TBookmarkStr& Items(int Index) const { return FList.at(static_cast<size_t>(Index)); }
  // Whether Bookmark is in the list; Index: where it is, or where it would go.
  bool Find(const TBookmarkStr& Bookmark, int& Index);
  // Whether the current record is selected; selecting it again or unselecting a row that is
  // not selected changes nothing. A record being inserted has no bookmark and is never
  // selected. EDatabaseError while the grid's link is inactive.
  bool GetCurrentRowSelected();
  void SetCurrentRowSelected(bool Value);
  void Clear();
  // Deletes the selected records, the last first. Bookmarks no longer valid are skipped;
  // when a deletion fails the entries not yet deleted stay and the error is raised.
  void Delete();
  // The grid's link went active or inactive: the selection no longer applies.
  void LinkActive(bool Value);

 private:
  TDataSet* DataSet() const;
  TBookmarkStr CurrentRow() const;
  void Changed() { FCacheValid = false; }

  TDgGridHost* FGrid;
  std::vector<TBookmarkStr> FList;
  bool FLinkActive = false;
  // The last Find: asked again for the same bookmark it answers at once. Any change of the
  // list drops it.
  bool FCacheValid = false;
  TBookmarkStr FCacheBookmark;
  int FCacheIndex = 0;
  bool FCacheFound = false;
};
