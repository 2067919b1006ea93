#pragma once
// TCustomLookupList: a list box of the records of a dataset, reached through ListSource. It
// shows the fields named in ListField ("A;B": side by side, in columns as wide as their
// widest text) and keeps the value of KeyField of the chosen record as KeyValue; RowCount
// rows show at once. It is filled with every record when the source opens or changes (the
// dataset's controls disabled while it walks the records, its record put back afterwards;
// a dataset that is being edited is not walked: the list stays empty). Setting KeyValue
// selects its record's line and makes that record the dataset's current one.
//
// TLookupListBox publishes it; TPopupDataList is the drop-down one (classlib/windows/dropdown.h),
// which a grid's cell editor opens under a lookup cell: given its source, fields and rows,
// it opens on the record's key (SetDropDownValue), the value chosen is the key of the
// selected line (Null when none) and its text the line's first field; closing it lets go of
// its source and keeps the choice. Windows only.
#include <memory>
#include <vector>

#include "classlib/data/db.h"
#include "classlib/windows/dropdown.h"
#include "classlib/windows/stdctrls.h"

class TFreeNotifier;

class TCustomLookupList : public TCustomListBox {
  HX_CLASS(TCustomLookupList, TCustomListBox)
 public:
  explicit TCustomLookupList(TComponent* AOwner);
  ~TCustomLookupList() override;

  TDataSource* GetListSource() const;
  void SetListSource(TDataSource* Value);
  const String& GetListField() const { return FListField; }
  void SetListField(const String& Value);
  const String& GetKeyField() const { return FKeyField; }
  void SetKeyField(const String& Value);
  // The key of the selected line; the value set last when no line is selected.
  TVariant GetKeyValue();
  void SetKeyValue(const TVariant& Value);
  int GetRowCount() const { return FRowCount; }
  void SetRowCount(int Value);

  // The keys of the lines, in order.
  const std::vector<TVariant>& Keys() const { return FKeys; }
  // The text of the first list field of a line ("" out of range).
  String LineText(int Index) const;
  // Fills the list again from the dataset.
  void Refill();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  class TListLink;
  friend class TListLink;
  void SelectKey();
  void UpdateHeight();
  void UpdateTabStops();

  std::unique_ptr<TListLink> FLink;
  std::unique_ptr<TFreeNotifier> FNotifier;
  String FListField, FKeyField;
  TVariant FKeyValue;
  int FRowCount = 7;
  std::vector<TVariant> FKeys;
  std::vector<std::vector<String>> FTexts;  // by line, by list field
  bool FFilling = false;
};

class TLookupListBox : public TCustomLookupList {
  HX_CLASS(TLookupListBox, TCustomLookupList)
 public:
  using TCustomLookupList::TCustomLookupList;
};

class TPopupDataList : public TDropDownListBox<TCustomLookupList> {
  HX_CLASS(TPopupDataList, TDropDownListBox<TCustomLookupList>)
 public:
  explicit TPopupDataList(TComponent* AOwner) : TDropDownListBox<TCustomLookupList>(AOwner) {}

  void SetDropDownValue(const TVariant& Value) override { SetKeyValue(Value); }
  void DropDown(const TRect& Anchor) override;
  void CloseUp(bool Accept) override;
  TVariant DropDownValue() override;
  String DropDownText() override;

 private:
  TVariant FChosenKey;
  String FChosenText;
};
