#include "classlib/windows/dblookup.h"

#include <algorithm>

#include "classlib/core/finally.h"
#include "classlib/core/freenotifier.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TCustomLookupList, p) {}
HX_PUBLISH(TLookupListBox, p) {
  p.Property("Align", &TLookupListBox::GetAlign, &TLookupListBox::SetAlign).Default(alNone);
  p.Property("Color", &TLookupListBox::GetColor, &TLookupListBox::SetColor).Default(clWindow);
  p.Property("Enabled", &TLookupListBox::GetEnabled, &TLookupListBox::SetEnabled).Default(true);
  p.Property("Font", &TLookupListBox::GetFont, &TLookupListBox::SetFont).Stored(&TLookupListBox::IsFontStored);
  p.Property("ParentFont", &TLookupListBox::GetParentFont, &TLookupListBox::SetParentFont).Default(true);
  p.Property("TabOrder", &TLookupListBox::GetTabOrder, &TLookupListBox::SetTabOrder);
  p.Property("TabStop", &TLookupListBox::GetTabStop, &TLookupListBox::SetTabStop).Default(true);
  p.Property("Visible", &TLookupListBox::GetVisible, &TLookupListBox::SetVisible).Default(true);
  p.Property("KeyField", &TLookupListBox::GetKeyField, &TLookupListBox::SetKeyField).Default("");
  p.Property("ListField", &TLookupListBox::GetListField, &TLookupListBox::SetListField).Default("");
  p.Property("ListSource", &TLookupListBox::GetListSource, &TLookupListBox::SetListSource);
  p.Property("RowCount", &TLookupListBox::GetRowCount, &TLookupListBox::SetRowCount).Default(7);
  p.Event("OnClick", &TLookupListBox::OnClick);
  p.Event("OnDblClick", &TLookupListBox::OnDblClick);
}
HX_PUBLISH(TPopupDataList, p) {}

// The list's end of the road to the dataset: a new state, layout or data fills it again;
// a scroll (which filling itself causes) does not.
class TCustomLookupList::TListLink : public TDataLink {
 public:
  explicit TListLink(TCustomLookupList* List) : FList(List) {}

 protected:
  void ActiveChanged() override { FList->Refill(); }
  void LayoutChanged() override { FList->Refill(); }
  void DataSetChanged() override { FList->Refill(); }
  void DataSetScrolled(int) override {}
  void RecordChanged(TField* Field) override {
    if (Field) FList->Refill();
  }

 private:
  TCustomLookupList* FList;
};

TCustomLookupList::TCustomLookupList(TComponent* AOwner)
    : TCustomListBox(AOwner), FLink(std::make_unique<TListLink>(this)),
      FNotifier(std::make_unique<TFreeNotifier>()) {
  FNotifier->OnRemove = [this](TComponent* AComponent) {
    if (AComponent == GetListSource()) SetListSource(nullptr);
  };
  UpdateHeight();
}

TCustomLookupList::~TCustomLookupList() {
  FFilling = true;  // the lines stay as they are while the list goes
  FLink->SetDataSource(nullptr);
}

TDataSource* TCustomLookupList::GetListSource() const { return FLink->GetDataSource(); }

void TCustomLookupList::SetListSource(TDataSource* Value) {
  if (Value == GetListSource()) return;
  FNotifier->Unwatch(GetListSource());
  FLink->SetDataSource(Value);
  FNotifier->Watch(Value);
  Refill();
}

void TCustomLookupList::SetListField(const String& Value) {
  if (Value == FListField) return;
  FListField = Value;
  Refill();
}

void TCustomLookupList::SetKeyField(const String& Value) {
  if (Value == FKeyField) return;
  FKeyField = Value;
  Refill();
}

TVariant TCustomLookupList::GetKeyValue() {
  int index = GetItemIndex();
  return index >= 0 && index < static_cast<int>(FKeys.size()) ? FKeys[static_cast<size_t>(index)] : FKeyValue;
}

void TCustomLookupList::SetKeyValue(const TVariant& Value) {
  FKeyValue = Value;
  SelectKey();
  TDataSet* data = FLink->Active() ? FLink->DataSet() : nullptr;
  if (data && !Value.IsNull() && !FKeyField.empty() && !IsEditState(data->State()) && data->FindField(FKeyField))
    data->Locate(FKeyField, Value, {});
}

void TCustomLookupList::SelectKey() {
  int found = -1;
  if (!FKeyValue.IsNull())
    for (size_t i = 0; i < FKeys.size() && found < 0; ++i)
      if (FKeys[i] == FKeyValue) found = static_cast<int>(i);
  SetItemIndex(found);
}

void TCustomLookupList::SetRowCount(int Value) {
  FRowCount = std::max(Value, 1);
  UpdateHeight();
}

void TCustomLookupList::UpdateHeight() {
  int frame = HandleAllocated() ? GetHeight() - GetClientHeight() : 4;
  SetBounds(GetLeft(), GetTop(), GetWidth(), FRowCount * GetItemHeight() + frame);
}

String TCustomLookupList::LineText(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(FTexts.size()) || FTexts[static_cast<size_t>(Index)].empty()) return {};
  return FTexts[static_cast<size_t>(Index)].front();
}

namespace {

// Walks a dataset with its controls disabled and puts its record back however the walk
// ends.
class TPlaceKeeper {
 public:
  explicit TPlaceKeeper(TDataSet* DataSet) : FDataSet(DataSet), FPlace(DataSet->GetBookmark()) {
    FDataSet->DisableControls();
  }
  ~TPlaceKeeper() {
    try {
      if (!FPlace.empty() && FDataSet->BookmarkValid(FPlace)) FDataSet->GotoBookmark(FPlace);
    } catch (const Exception&) {
      // The record is gone: the dataset stays where the walk ended.
    }
    FDataSet->EnableControls();
  }
  TPlaceKeeper(const TPlaceKeeper&) = delete;
  TPlaceKeeper& operator=(const TPlaceKeeper&) = delete;

 private:
  TDataSet* FDataSet;
  TBookmarkStr FPlace;
};

}  // namespace

void TCustomLookupList::Refill() {
  if (FFilling) return;
  FFilling = true;
  {
    TFinally done([this] { FFilling = false; });
    std::vector<TVariant> keys;
    std::vector<std::vector<String>> texts;
    TDataSet* data = FLink->Active() ? FLink->DataSet() : nullptr;
    TField* key = data && !IsEditState(data->State()) ? data->FindField(FKeyField) : nullptr;
    std::vector<TField*> fields;
    if (key) {
      std::vector<String> names;
      size_t start = 0;
      for (size_t end; (end = FListField.find(';', start)) != String::npos; start = end + 1)
        names.push_back(FListField.substr(start, end - start));
      names.push_back(FListField.substr(start));
      for (const String& name : names)
        if (TField* field = data->FindField(name)) fields.push_back(field);
      if (fields.size() != names.size()) fields.clear();  // a list field that does not exist: no list
    }
    if (!fields.empty()) {
      TPlaceKeeper keeper(data);
      for (data->First(); !data->Eof(); data->Next()) {
        keys.push_back(key->GetValue());
        std::vector<String> line;
        for (TField* field : fields) line.push_back(field->DisplayText());
        texts.push_back(std::move(line));
      }
    }
    FKeys = std::move(keys);
    FTexts = std::move(texts);
    TStrings* items = GetItems();
    items->BeginUpdate();
    items->Clear();
    for (const auto& line : FTexts) {
      String text;
      for (size_t i = 0; i < line.size(); ++i) text += (i ? "\t" : "") + line[i];
      items->Add(text);
    }
    items->EndUpdate();
  }
  UpdateTabStops();
  SelectKey();
}

void TCustomLookupList::CreateParams(TCreateParams& Params) {
  TCustomListBox::CreateParams(Params);
  Params.Style |= LBS_USETABSTOPS;
}

void TCustomLookupList::CreateWnd() {
  TCustomListBox::CreateWnd();
  UpdateTabStops();
  UpdateHeight();
}

void TCustomLookupList::UpdateTabStops() {
  if (!HandleAllocated() || FTexts.empty() || FTexts.front().size() < 2) return;
  // Each column as wide as its widest text and a gap; the list counts tab stops in
  // quarters of its font's average character width.
  TControlCanvas canvas(this);
  canvas.GetFont()->Assign(GetFont());
  const String letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  int average = std::max(1, (canvas.TextWidth(letters) / 26 + 1) / 2);
  size_t columns = FTexts.front().size();
  std::vector<int> stops;
  int x = 0;
  for (size_t column = 0; column + 1 < columns; ++column) {
    int widest = 0;
    for (const auto& line : FTexts) widest = std::max(widest, canvas.TextWidth(line[column]));
    x += widest + 8;
    stops.push_back((x * 4 + average - 1) / average);
  }
  SendMessageW(GetHandle(), LB_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
  Invalidate();
}

void TPopupDataList::DropDown(const TRect& Anchor) {
  HandleNeeded();
  SetRowCount(GetRowCount());
  TDropDownListBox<TCustomLookupList>::DropDown(Anchor);
}

void TPopupDataList::CloseUp(bool Accept) {
  // The choice outlives the lines, which go with the source.
  int index = GetItemIndex();
  FChosenKey = index >= 0 ? Keys()[static_cast<size_t>(index)] : TVariant::Null();
  FChosenText = LineText(index);
  TDropDownListBox<TCustomLookupList>::CloseUp(Accept);
  SetListSource(nullptr);
}

TVariant TPopupDataList::DropDownValue() {
  if (!GetListSource()) return FChosenKey;
  int index = GetItemIndex();
  return index >= 0 ? Keys()[static_cast<size_t>(index)] : TVariant::Null();
}

String TPopupDataList::DropDownText() { return GetListSource() ? LineText(GetItemIndex()) : FChosenText; }
