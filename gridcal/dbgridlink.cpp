#include "gridcal/dbgridlink.h"

#include <algorithm>

#include "classlib/core/finally.h"
#include "classlib/core/freenotifier.h"

HX_PUBLISH(TGridDataLink, p) {}

// ---- TGridDataLink ----

TGridDataLink::TGridDataLink(TDgGridHost* Grid) : FGrid(Grid), FNotifier(std::make_unique<TFreeNotifier>()) {
  VisualControl = true;
  FFieldMap.reserve(8);
  // A freed field (the dataset closed, a persistent field deleted) leaves its columns.
  FNotifier->OnRemove = [this](TComponent* AComponent) {
    for (auto& field : FFieldMap)
      if (field == AComponent) field = nullptr;
  };
}

TGridDataLink::~TGridDataLink() {
  ClearMapping();
  SetDataSource(nullptr);
}

bool TGridDataLink::AddMapping(const String& FieldName) {
  TField* field = nullptr;
  if (TDataSet* dataSet = DataSet()) field = dataSet->FindField(FieldName);
  FFieldMap.push_back(field);  // the vector doubles its room as it grows
  FNotifier->Watch(field);
  return field != nullptr;
}

void TGridDataLink::ClearMapping() {
  for (TField* field : FFieldMap) FNotifier->Unwatch(field);
  FFieldMap.clear();
}

TField* TGridDataLink::MappedField(int ColIndex) const {
  if (ColIndex < 0 || ColIndex >= MappedCount()) return nullptr;
  return FFieldMap[static_cast<size_t>(ColIndex)];
}

int TGridDataLink::GetMappedIndex(int ColIndex) const {
  TField* field = MappedField(ColIndex);
  return field ? field->GetIndex() : -1;
}

bool TGridDataLink::GetDefaultFields() const {
  TDataSet* dataSet = DataSet();
  if (!dataSet || !dataSet->DefaultFields()) return false;
  return std::find(FFieldMap.begin(), FFieldMap.end(), nullptr) == FFieldMap.end();
}

void TGridDataLink::Reset() {
  if (FModified)
    RecordChanged(nullptr);
  else if (TDataSet* dataSet = DataSet())
    dataSet->Cancel();
}

void TGridDataLink::ActiveChanged() {
  FGrid->LinkActive(Active());
  FModified = false;
}

void TGridDataLink::DataSetClosing() {
  TDataSet* dataSet = DataSet();
  if (!FModified || !dataSet || (dataSet->State() != dsEdit && dataSet->State() != dsInsert)) return;
  dataSet->UpdateRecord();
  if (dataSet->Modified()) dataSet->Post();
}

void TGridDataLink::DataSetChanged() {
  FGrid->DataChanged();
  FModified = false;
}

void TGridDataLink::DataSetScrolled(int Distance) { FGrid->Scroll(Distance); }

void TGridDataLink::FocusControl(TField** Field) {
  if (Field && *Field && FGrid->FocusField(*Field)) *Field = nullptr;
}

void TGridDataLink::EditingChanged() { FGrid->EditingChanged(); }

void TGridDataLink::LayoutChanged() {
  FGrid->DataLayoutChanged();
  TDataLink::LayoutChanged();  // and the data shown again
}

void TGridDataLink::RecordChanged(TField* Field) {
  FGrid->RecordChanged(Field);
  FModified = false;
}

void TGridDataLink::UpdateData() {
  if (FInUpdateData) return;
  FInUpdateData = true;
  TFinally done([this] { FInUpdateData = false; });
  if (FModified) FGrid->UpdateData();
  FModified = false;
}

// ---- TBookmarkList ----

TDataSet* TBookmarkList::DataSet() const { return FGrid->GridDataLink()->DataSet(); }

TBookmarkStr TBookmarkList::CurrentRow() const {
  if (!FLinkActive) DatabaseError(dbtext::DataSetClosed);
  return DataSet()->GetBookmark();
}

bool TBookmarkList::Find(const TBookmarkStr& Bookmark, int& Index) {
  if (FCacheValid && Bookmark == FCacheBookmark) {
    Index = FCacheIndex;
    return FCacheFound;
  }
  TDataSet* dataSet = DataSet();
  int low = 0, high = Count() - 1;
  bool found = false;
  while (low <= high) {
    int mid = (low + high) / 2;
    int c = dataSet->CompareBookmarks(FList[static_cast<size_t>(mid)], Bookmark);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) found = true;
    }
  }
  Index = low;
  FCacheValid = true;
  FCacheBookmark = Bookmark;
  FCacheIndex = low;
  FCacheFound = found;
  return found;
}

bool TBookmarkList::GetCurrentRowSelected() {
  TBookmarkStr current = CurrentRow();
  int index = 0;
  return !current.empty() && Find(current, index);
}

void TBookmarkList::SetCurrentRowSelected(bool Value) {
  TBookmarkStr current = CurrentRow();
  int index = 0;
  if (current.empty() || Find(current, index) == Value) return;
  if (Value)
    FList.insert(FList.begin() + index, current);
  else
    FList.erase(FList.begin() + index);
  Changed();
  FGrid->InvalidateCurrentRow();
  FGrid->MultiSelectChanged();
}

void TBookmarkList::Clear() {
  if (FList.empty()) return;
  FList.clear();
  Changed();
  FGrid->InvalidateGrid();
  FGrid->MultiSelectChanged();
}

void TBookmarkList::Delete() {
  if (FList.empty()) return;
  TDataSet* dataSet = DataSet();
  if (!dataSet) return;
  dataSet->DisableControls();
  TFinally done([this, dataSet] {
    Changed();
    dataSet->EnableControls();
    FGrid->MultiSelectChanged();
  });
  while (!FList.empty()) {
    const TBookmarkStr& bookmark = FList.back();
    if (dataSet->BookmarkValid(bookmark)) {
      dataSet->GotoBookmark(bookmark);
      dataSet->Delete();
    }
    FList.pop_back();
    Changed();
  }
}

void TBookmarkList::LinkActive(bool Value) {
  Clear();
  FLinkActive = Value;
}
