#pragma once
// The data grid's columns: TDgColumn (one per shown column) with its title TDgColumnTitle,
// collected in TDgDBGridColumns, the grid's "Columns".
//
// A column's looks follow defaults (the grid's, the field's) until a value is assigned; an
// assigned value is remembered by a flag and is the only kind streamed. Persistent columns
// are the ones a user or the form made; the grid makes non-persistent ones from the
// dataset's fields, and setting their alignment, read-only flag, caption or width changes
// the field instead (so the grid, rebuilt from the fields, shows the change).
#include <cstdint>
#include <memory>

#include "classlib/core/alignment.h"
#include "classlib/core/collection.h"
#include "classlib/core/colors.h"
#include "gridcal/dbgridhost.h"

class TDataSet;
class TField;
class TFont;
class TFreeNotifier;
class TPopupMenu;
class TStrings;
class TStringList;
class TDgColumn;
class TDgDBGridColumns;

HX_ENUM(TDgColumnButtonStyle, cbsCombo, cbsLookup, cbsCalendar, cbsCheck, cbsEllipsis, cbsCalculator, cbsNone);
// The values a column or its title was given (the others follow their defaults).
HX_ENUM(TDgColumnValue, cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption,
        cvTitleAlignment, cvTitleFont, cvImeMode, cvImeName);
using TDgColumnValues = TSet<TDgColumnValue>;
HX_ENUM(TDgColumnsState, csDefault, csCustomized);

class TDgColumnTitle : public TPersistent {
  HX_CLASS(TDgColumnTitle, TPersistent)
 public:
  explicit TDgColumnTitle(TDgColumn* Column);
  ~TDgColumnTitle() override;

  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment Value);
  String GetCaption() const;
  void SetCaption(const String& Value);
  TColor GetColor() const;
  void SetColor(TColor Value);
  TFont* GetFont() const;
  void SetFont(TFont* Value);

  TAlignment DefaultAlignment() const { return taCenter; }
  TColor DefaultColor() const;
  TFont* DefaultFont() const;
  String DefaultCaption() const;
  bool IsAlignmentStored() const;
  bool IsCaptionStored() const;
  bool IsColorStored() const;
  bool IsFontStored() const;
  void RestoreDefaults();
  TDgColumn* Column() const { return FColumn; }
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

 private:
  friend class TDgColumn;
  void FontChanged();
  void RefreshDefaultFont() const;

  TDgColumn* FColumn;
  TFont* FFont;
  TAlignment FAlignment = taCenter;
  String FCaption;
  TColor FColor = clBtnFace;
  mutable bool FRefreshing = false;
};

class TDgColumn : public TCollectionItem {
  HX_CLASS(TDgColumn, TCollectionItem)
 public:
  explicit TDgColumn(TCollection* Collection);
  ~TDgColumn() override;

  // The grid holding the column (through its collection); nullptr when none.
  TDgGridHost* Grid() const;
  // The bound field: found by FieldName when first asked for (once the dataset is open, or
  // at once when it has persistent fields); nullptr when there is none.
  TField* Field();
  void SetField(TField* Value);
  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  // LookupDropDownFields up to the first ";".
  String FirstLookupDropDownField() const;

  TAlignment GetAlignment();
  void SetAlignment(TAlignment Value);
  TColor GetColor() const;
  void SetColor(TColor Value);
  TFont* GetFont() const;
  void SetFont(TFont* Value);
  bool GetReadOnly();
  void SetReadOnly(bool Value);
  // -1 while the column is not showing.
  int GetWidth();
  void SetWidth(int Value);
  TImeMode GetImeMode() const;
  void SetImeMode(TImeMode Value);
  String GetImeName() const;
  void SetImeName(const String& Value);
  TDgColumnTitle* GetTitle() const { return FTitle.get(); }
  void SetTitle(TDgColumnTitle* Value) { FTitle->Assign(Value); }

  TDgColumnButtonStyle GetButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TDgColumnButtonStyle Value);
  bool GetAutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool GetCanClick() const { return FCanClick; }
  void SetCanClick(bool Value);
  int GetDropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int Value) { FDropDownRows = Value < 0 ? 0 : Value; }
  int GetDropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(int Value) { FDropDownWidth = Value < 0 ? 0 : Value; }
  bool GetLongTextAsHint() const { return FLongTextAsHint; }
  void SetLongTextAsHint(bool Value) { FLongTextAsHint = Value; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  bool GetWrapText() const { return FWrapText; }
  void SetWrapText(bool Value);
  // Object fields: a column of an ADT or array field can expand (Expandable); expanded, it
  // shows as the columns of its children under a title row of its own, collapsed as one
  // column. A column whose field is freed collapses.
  bool GetExpanded() const { return FExpanded; }
  void SetExpanded(bool Value);
  bool Expandable();
  // The column of the field's object field (nullptr for the dataset's own fields), and how
  // many such parents it has.
  TDgColumn* ParentColumn();
  int Depth();
  // Visible, not an expanded object column, and every parent column expanded.
  bool Showing();

  const String& GetLookupDropDownFields() const { return FLookupDropDownFields; }
  void SetLookupDropDownFields(const String& Value);
  const String& GetLookupKeyField() const { return FLookupKeyField; }
  void SetLookupKeyField(const String& Value);
  const String& GetLookupLinkField() const { return FLookupLinkField; }
  void SetLookupLinkField(const String& Value);
  TDataSet* GetLookupDataSet() const { return FLookupDataSet; }
  // "Lookup Dataset cannot be equal to Source DataSet" for the field's own dataset.
  void SetLookupDataSet(TDataSet* Value);
  const String& GetValueChecked() const { return FValueChecked; }
  void SetValueChecked(const String& Value);
  const String& GetValueUnChecked() const { return FValueUnChecked; }
  void SetValueUnChecked(const String& Value);

  // Made when first asked for; nullptr frees them.
  TStrings* GetPickList();
  void SetPickList(TStrings* Value);
  TStrings* GetPickValues();
  void SetPickValues(TStrings* Value);
  bool HasPickList() const { return FPickList != nullptr; }
  bool HasPickValues() const { return FPickValues != nullptr; }
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);

  // Made by a user or the form (true), or by the grid from the fields (false).
  bool IsStored() const { return FStored; }
  TDgColumnValues AssignedValues() const { return FAssignedValues; }

  TAlignment DefaultAlignment();
  TColor DefaultColor() const;
  TFont* DefaultFont() const;
  bool DefaultReadOnly();
  int DefaultWidth();
  TImeMode DefaultImeMode() const;
  String DefaultImeName() const;
  // Forgets every assigned value, the pick lists, the button style, CanClick and
  // LongTextAsHint.
  void RestoreDefaults();
  // Copies the grid's font again where the column follows it.
  void RefreshDefaultFont();

  // A column moves with the columns of its field's children (and theirs), landing before or
  // after the landing column's family; a child column moves only among its parent's
  // children. Moving a non-persistent column of a linked grid moves its field too.
  void SetIndex(int Value) override;
  String GetDisplayName() override;
  void Assign(TPersistent* Source) override;

  // For streaming.
  bool IsAlignmentStored() const { return FAssignedValues.Contains(cvAlignment); }
  bool IsColorStored() const { return FAssignedValues.Contains(cvColor); }
  bool IsFontStored() const { return FAssignedValues.Contains(cvFont); }
  bool IsReadOnlyStored() const { return FAssignedValues.Contains(cvReadOnly); }
  bool IsWidthStored() const { return FAssignedValues.Contains(cvWidth); }
  bool IsImeModeStored() const { return FAssignedValues.Contains(cvImeMode); }
  bool IsImeNameStored() const { return FAssignedValues.Contains(cvImeName); }
  bool IsPickListStored() const;
  bool IsPickValuesStored() const;
  // The width kept for the column, also while it is hidden (the form keeps it).
  int GetStreamedWidth();

 private:
  friend class TDgColumnTitle;
  friend class TDgDBGridColumns;
  // Whether setting a value goes to the field instead: a non-persistent column of a grid
  // that shows a dataset.
  TField* WriteThroughField();
  void FontChanged();
  void RemoveNotified(TComponent* AComponent);
  void ColumnChanged(bool AllItems = false) { Changed(AllItems); }
  bool DescendsFrom(TDgColumn* Ancestor);
  // The index of the last column of the run after this one that descends from it.
  int LastOfFamily();

  TField* FField = nullptr;
  String FFieldName;
  TFont* FFont;
  std::unique_ptr<TDgColumnTitle> FTitle;
  std::unique_ptr<TFreeNotifier> FNotifier;
  TStringList* FPickList = nullptr;
  TStringList* FPickValues = nullptr;
  TPopupMenu* FPopupMenu = nullptr;
  TDataSet* FLookupDataSet = nullptr;
  TDgColumnValues FAssignedValues;
  TColor FColor = clWindow;
  int FWidth = 64;
  TAlignment FAlignment = taLeftJustify;
  bool FReadOnly = false;
  TImeMode FImeMode = imDontCare;
  String FImeName;
  TDgColumnButtonStyle FButtonStyle = cbsNone;
  bool FAutoDropDown = false;
  bool FCanClick = false;
  int FDropDownRows = 10;
  int FDropDownWidth = 0;
  bool FLongTextAsHint = false;
  bool FVisible = true;
  bool FWrapText = false;
  bool FExpanded = true;
  String FLookupDropDownFields, FLookupKeyField, FLookupLinkField;
  String FValueChecked, FValueUnChecked;
  bool FStored = true;
  mutable bool FRefreshingFont = false;
};

class TDgDBGridColumns : public TCollection {
  HX_CLASS(TDgDBGridColumns, TCollection)
 public:
  // Owner: the grid as streamed (for names); Grid: the grid's services (nullptr: none).
  TDgDBGridColumns(TPersistent* Owner, TDgGridHost* Grid);
  TDgGridHost* Grid() const { return FGrid; }
  TDgColumn* Items(int Index) const { return static_cast<TDgColumn*>(GetItem(Index)); }
  // A persistent column.
  TDgColumn* Add() { return static_cast<TDgColumn*>(TCollection::Add()); }
  // A column the grid makes for itself (not persistent).
  TDgColumn* AddDefault();

  // Customized when the first column is persistent. Setting default clears the columns;
  // setting customized makes one persistent column per field of the grid's dataset.
  TDgColumnsState GetState() const;
  void SetState(TDgColumnsState Value);
  void RebuildColumns();
  void RestoreDefaults();
  void RefreshDefaultFonts();

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  friend class TDgColumn;
  TDgGridHost* FGrid;
  bool FAddingDefault = false;
};
