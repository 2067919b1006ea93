#include "gridcal/dbgridcolumns.h"

#include <algorithm>
#include <functional>

#include "classlib/data/db.h"
#include "classlib/core/finally.h"
#include "classlib/core/freenotifier.h"
#include "classlib/windows/graphics.h"
#include "classlib/windows/menus.h"
#include "classlib/core/stringlist.h"
#include "gridcal/dbgridlink.h"

HX_PUBLISH(TDgColumnTitle, p) {
  p.Property("Alignment", &TDgColumnTitle::GetAlignment, &TDgColumnTitle::SetAlignment)
      .Stored(&TDgColumnTitle::IsAlignmentStored);
  p.Property("Caption", &TDgColumnTitle::GetCaption, &TDgColumnTitle::SetCaption)
      .Stored(&TDgColumnTitle::IsCaptionStored);
  p.Property("Color", &TDgColumnTitle::GetColor, &TDgColumnTitle::SetColor).Stored(&TDgColumnTitle::IsColorStored);
  p.Property("Font", &TDgColumnTitle::GetFont, &TDgColumnTitle::SetFont).Stored(&TDgColumnTitle::IsFontStored);
}

HX_PUBLISH(TDgColumn, p) {
  p.Property("Alignment", &TDgColumn::GetAlignment, &TDgColumn::SetAlignment).Stored(&TDgColumn::IsAlignmentStored);
  p.Property("AutoDropDown", &TDgColumn::GetAutoDropDown, &TDgColumn::SetAutoDropDown).Default(false);
  p.Property("ButtonStyle", &TDgColumn::GetButtonStyle, &TDgColumn::SetButtonStyle).Default(cbsNone);
  p.Property("CanClick", &TDgColumn::GetCanClick, &TDgColumn::SetCanClick).Default(false);
  p.Property("Color", &TDgColumn::GetColor, &TDgColumn::SetColor).Stored(&TDgColumn::IsColorStored);
  p.Property("DropDownRows", &TDgColumn::GetDropDownRows, &TDgColumn::SetDropDownRows).Default(10);
  p.Property("DropDownWidth", &TDgColumn::GetDropDownWidth, &TDgColumn::SetDropDownWidth).Default(0);
  p.Property("FieldName", &TDgColumn::GetFieldName, &TDgColumn::SetFieldName).Default("");
  p.Property("Font", &TDgColumn::GetFont, &TDgColumn::SetFont).Stored(&TDgColumn::IsFontStored);
  p.Property("ImeMode", &TDgColumn::GetImeMode, &TDgColumn::SetImeMode).Stored(&TDgColumn::IsImeModeStored);
  p.Property("ImeName", &TDgColumn::GetImeName, &TDgColumn::SetImeName).Stored(&TDgColumn::IsImeNameStored);
  p.Property("LongTextAsHint", &TDgColumn::GetLongTextAsHint, &TDgColumn::SetLongTextAsHint).Default(false);
  p.Property("LookupDropDownFields", &TDgColumn::GetLookupDropDownFields, &TDgColumn::SetLookupDropDownFields)
      .Default("");
  p.Property("LookupKeyField", &TDgColumn::GetLookupKeyField, &TDgColumn::SetLookupKeyField).Default("");
  p.Property("LookupLinkField", &TDgColumn::GetLookupLinkField, &TDgColumn::SetLookupLinkField).Default("");
  p.Property("LookupDataSet", &TDgColumn::GetLookupDataSet, &TDgColumn::SetLookupDataSet);
  p.Property("PickList", &TDgColumn::GetPickList, &TDgColumn::SetPickList).Stored(&TDgColumn::IsPickListStored);
  p.Property("PickValues", &TDgColumn::GetPickValues, &TDgColumn::SetPickValues)
      .Stored(&TDgColumn::IsPickValuesStored);
  p.Property("PopupMenu", &TDgColumn::GetPopupMenu, &TDgColumn::SetPopupMenu);
  p.Property("ReadOnly", &TDgColumn::GetReadOnly, &TDgColumn::SetReadOnly).Stored(&TDgColumn::IsReadOnlyStored);
  p.Property("Title", &TDgColumn::GetTitle, &TDgColumn::SetTitle);
  p.Property("ValueChecked", &TDgColumn::GetValueChecked, &TDgColumn::SetValueChecked).Default("");
  p.Property("ValueUnChecked", &TDgColumn::GetValueUnChecked, &TDgColumn::SetValueUnChecked).Default("");
  p.Property("Visible", &TDgColumn::GetVisible, &TDgColumn::SetVisible).Default(true);
  p.Property("Width", &TDgColumn::GetStreamedWidth, &TDgColumn::SetWidth).Stored(&TDgColumn::IsWidthStored);
  p.Property("WrapText", &TDgColumn::GetWrapText, &TDgColumn::SetWrapText).Default(false);
}

HX_PUBLISH(TDgDBGridColumns, p) {}

namespace {

bool SameFont(TFont* A, TFont* B) {
  return A->GetName() == B->GetName() && A->GetHeight() == B->GetHeight() && A->GetColor() == B->GetColor() &&
         A->GetStyle() == B->GetStyle() && A->GetCharset() == B->GetCharset() && A->GetPitch() == B->GetPitch();
}

// Copies Source into a font that follows it, unless it already looks the same (so that its
// handle stays), without the copy counting as an assigned font.
void FollowFont(TFont* Font, TFont* Source, bool& Refreshing) {
  if (Font == Source || Refreshing || SameFont(Font, Source)) return;
  Refreshing = true;
  Font->Assign(Source);
  Refreshing = false;
}

bool IsLookupOrCombo(TDgColumnButtonStyle Style) { return Style == cbsCombo || Style == cbsLookup; }

}  // namespace

// ---- TDgColumnTitle ----

TDgColumnTitle::TDgColumnTitle(TDgColumn* Column) : FColumn(Column), FFont(new TFont) {
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TDgColumnTitle::~TDgColumnTitle() { delete FFont; }

TPersistent* TDgColumnTitle::GetOwner() { return FColumn; }

bool TDgColumnTitle::IsAlignmentStored() const { return FColumn->FAssignedValues.Contains(cvTitleAlignment); }
bool TDgColumnTitle::IsColorStored() const { return FColumn->FAssignedValues.Contains(cvTitleColor); }
bool TDgColumnTitle::IsFontStored() const { return FColumn->FAssignedValues.Contains(cvTitleFont); }
bool TDgColumnTitle::IsCaptionStored() const {
  return FColumn->FAssignedValues.Contains(cvTitleCaption) && FCaption != DefaultCaption();
}

TAlignment TDgColumnTitle::GetAlignment() const {
  return IsAlignmentStored() ? FAlignment : DefaultAlignment();
}

void TDgColumnTitle::SetAlignment(TAlignment Value) {
  if (IsAlignmentStored() && Value == FAlignment) return;
  FAlignment = Value;
  FColumn->FAssignedValues.Include(cvTitleAlignment);
  FColumn->ColumnChanged();
}

TColor TDgColumnTitle::DefaultColor() const {
  TDgGridHost* grid = FColumn->Grid();
  return grid ? grid->GridFixedColor() : clBtnFace;
}

TColor TDgColumnTitle::GetColor() const { return IsColorStored() ? FColor : DefaultColor(); }

void TDgColumnTitle::SetColor(TColor Value) {
  if (IsColorStored() && Value == FColor) return;
  FColor = Value;
  FColumn->FAssignedValues.Include(cvTitleColor);
  FColumn->ColumnChanged();
}

TFont* TDgColumnTitle::DefaultFont() const {
  TDgGridHost* grid = FColumn->Grid();
  return grid ? grid->GridTitleFont() : FColumn->GetFont();
}

void TDgColumnTitle::RefreshDefaultFont() const {
  if (!IsFontStored()) FollowFont(FFont, DefaultFont(), FRefreshing);
}

TFont* TDgColumnTitle::GetFont() const {
  RefreshDefaultFont();
  return FFont;
}

void TDgColumnTitle::SetFont(TFont* Value) { FFont->Assign(Value); }

void TDgColumnTitle::FontChanged() {
  if (FRefreshing) return;
  FColumn->FAssignedValues.Include(cvTitleFont);
  FColumn->ColumnChanged(true);
}

String TDgColumnTitle::DefaultCaption() const {
  TField* field = FColumn->Field();
  return field ? field->DisplayName() : FColumn->GetFieldName();
}

String TDgColumnTitle::GetCaption() const {
  return FColumn->FAssignedValues.Contains(cvTitleCaption) ? FCaption : DefaultCaption();
}

void TDgColumnTitle::SetCaption(const String& Value) {
  if (TField* field = FColumn->WriteThroughField()) {
    field->SetDisplayLabel(Value);
    return;
  }
  if (FColumn->FAssignedValues.Contains(cvTitleCaption) && Value == FCaption) return;
  FCaption = Value;
  FColumn->FAssignedValues.Include(cvTitleCaption);
  FColumn->ColumnChanged();
}

void TDgColumnTitle::RestoreDefaults() {
  bool fontAssigned = IsFontStored();
  FColumn->FAssignedValues = FColumn->FAssignedValues -
                             TDgColumnValues{cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont};
  FCaption.clear();
  RefreshDefaultFont();
  FColumn->ColumnChanged(fontAssigned);
}

void TDgColumnTitle::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TDgColumnTitle*>(Source);
  if (!other) return TPersistent::Assign(Source);
  if (other->IsAlignmentStored()) SetAlignment(other->GetAlignment());
  if (other->IsColorStored()) SetColor(other->GetColor());
  if (other->FColumn->FAssignedValues.Contains(cvTitleCaption)) SetCaption(other->GetCaption());
  if (other->IsFontStored()) SetFont(other->GetFont());
}

// ---- TDgColumn ----

TDgColumn::TDgColumn(TCollection* Collection)
    : TCollectionItem(Collection), FFont(new TFont), FNotifier(std::make_unique<TFreeNotifier>()) {
  if (auto* columns = dynamic_cast<TDgDBGridColumns*>(Collection)) FStored = !columns->FAddingDefault;
  FTitle = std::make_unique<TDgColumnTitle>(this);
  FNotifier->OnRemove = [this](TComponent* AComponent) { RemoveNotified(AComponent); };
  RefreshDefaultFont();
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TDgColumn::~TDgColumn() {
  FNotifier.reset();  // no more notifications about what this column refers to
  delete FPickList;
  delete FPickValues;
  delete FFont;
}

void TDgColumn::RemoveNotified(TComponent* AComponent) {
  if (AComponent == FField) {
    FField = nullptr;
    FExpanded = false;
    ColumnChanged();
  }
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

void TDgColumn::SetExpanded(bool Value) {
  if (Value == FExpanded) return;
  FExpanded = Value;
  if (TDgGridHost* grid = Grid(); grid && Expandable()) grid->ColumnsChanged();
}

bool TDgColumn::Expandable() {
  TField* field = Field();
  return field && (field->DataType() == ftADT || field->DataType() == ftArray);
}

TDgColumn* TDgColumn::ParentColumn() {
  TField* field = Field();
  TField* parent = field ? field->ParentField() : nullptr;
  if (!parent) return nullptr;
  for (int i = 0; i < Collection()->Count(); ++i) {
    auto* column = static_cast<TDgColumn*>(Collection()->GetItem(i));
    if (column != this && column->Field() == parent) return column;
  }
  return nullptr;
}

int TDgColumn::Depth() {
  int depth = 0;
  for (TDgColumn* c = ParentColumn(); c && depth < 64; c = c->ParentColumn()) ++depth;
  return depth;
}

bool TDgColumn::Showing() {
  if (!FVisible || (FExpanded && Expandable())) return false;
  int depth = 0;
  for (TDgColumn* c = ParentColumn(); c && depth < 64; c = c->ParentColumn(), ++depth)
    if (!c->FVisible || !c->FExpanded) return false;
  return true;
}

TDgGridHost* TDgColumn::Grid() const {
  auto* columns = dynamic_cast<TDgDBGridColumns*>(Collection());
  return columns ? columns->Grid() : nullptr;
}

TField* TDgColumn::WriteThroughField() {
  if (FStored) return nullptr;
  TDgGridHost* grid = Grid();
  if (!grid || !grid->GridDataLink()->Active()) return nullptr;
  return Field();
}

TField* TDgColumn::Field() {
  TDgGridHost* grid = Grid();
  if (!FField && !FFieldName.empty() && grid) {
    TDataSet* dataSet = grid->GridDataLink()->DataSet();
    if (dataSet && (dataSet->GetActive() || !dataSet->DefaultFields())) SetField(dataSet->FindField(FFieldName));
  }
  return FField;
}

void TDgColumn::SetField(TField* Value) {
  if (Value == FField) return;
  FNotifier->Unwatch(FField);
  if (Value && Value->ComponentState().Contains(csDestroying)) Value = nullptr;
  FField = Value;
  if (Value) {
    FNotifier->Watch(Value);
    FFieldName = Value->FullName();
  }
  if (!FStored) {
    if (!Value) FFieldName.clear();
    RestoreDefaults();
  }
  ColumnChanged();
}

void TDgColumn::SetFieldName(const String& Value) {
  TField* field = nullptr;
  TDgGridHost* grid = Grid();
  if (grid && !grid->GridLoading() && !Value.empty())
    if (TDataSet* dataSet = grid->GridDataLink()->DataSet()) field = dataSet->FindField(Value);
  FFieldName = Value;
  SetField(field);
  ColumnChanged();
}

String TDgColumn::FirstLookupDropDownField() const {
  return FLookupDropDownFields.substr(0, FLookupDropDownFields.find(';'));
}

// -- Alignment, colour, font, read-only, width, IME --

TAlignment TDgColumn::DefaultAlignment() {
  TField* field = Field();
  return field && !IsLookupOrCombo(FButtonStyle) ? field->GetAlignment() : taLeftJustify;
}

TAlignment TDgColumn::GetAlignment() { return IsAlignmentStored() ? FAlignment : DefaultAlignment(); }

void TDgColumn::SetAlignment(TAlignment Value) {
  if (TField* field = WriteThroughField(); field && !IsLookupOrCombo(FButtonStyle)) {
    field->SetAlignment(Value);
    return;
  }
  if (IsAlignmentStored() && Value == FAlignment) return;
  FAlignment = Value;
  FAssignedValues.Include(cvAlignment);
  ColumnChanged();
}

TColor TDgColumn::DefaultColor() const {
  TDgGridHost* grid = Grid();
  return grid ? grid->GridColor() : clWindow;
}

TColor TDgColumn::GetColor() const { return IsColorStored() ? FColor : DefaultColor(); }

void TDgColumn::SetColor(TColor Value) {
  if (IsColorStored() && Value == FColor) return;
  FColor = Value;
  FAssignedValues.Include(cvColor);
  ColumnChanged();
}

TFont* TDgColumn::DefaultFont() const {
  TDgGridHost* grid = Grid();
  return grid ? grid->GridFont() : FFont;
}

void TDgColumn::RefreshDefaultFont() {
  if (!IsFontStored()) FollowFont(FFont, DefaultFont(), FRefreshingFont);
  FTitle->RefreshDefaultFont();
}

TFont* TDgColumn::GetFont() const {
  if (!IsFontStored()) FollowFont(FFont, DefaultFont(), FRefreshingFont);
  return FFont;
}

void TDgColumn::SetFont(TFont* Value) { FFont->Assign(Value); }

void TDgColumn::FontChanged() {
  if (FRefreshingFont) return;
  FAssignedValues.Include(cvFont);
  FTitle->RefreshDefaultFont();
  ColumnChanged();
}

bool TDgColumn::DefaultReadOnly() {
  TDgGridHost* grid = Grid();
  if (grid && grid->GridReadOnly()) return true;
  TField* field = Field();
  return field && field->GetReadOnly();
}

bool TDgColumn::GetReadOnly() { return IsReadOnlyStored() ? FReadOnly : DefaultReadOnly(); }

void TDgColumn::SetReadOnly(bool Value) {
  if (TField* field = WriteThroughField()) {
    field->SetReadOnly(Value);
    return;
  }
  if (IsReadOnlyStored() && Value == FReadOnly) return;
  FReadOnly = Value;
  FAssignedValues.Include(cvReadOnly);
  ColumnChanged();
}

int TDgColumn::DefaultWidth() {
  TDgGridHost* grid = Grid();
  if (!grid) return 64;
  TField* field = Field();
  if (!field) return grid->GridDefaultColWidth();
  TFont* font = GetFont();
  int overhang = grid->FontOverhang(font);
  int width = (grid->TextWidth(font, "0") - overhang) * field->GetDisplayWidth() + overhang + 4;
  if (grid->GridShowsTitles()) width = std::max(width, grid->TextWidth(FTitle->GetFont(), FTitle->GetCaption()) + 4);
  return width;
}

int TDgColumn::GetStreamedWidth() { return IsWidthStored() ? FWidth : DefaultWidth(); }

int TDgColumn::GetWidth() { return Showing() ? GetStreamedWidth() : -1; }

void TDgColumn::SetWidth(int Value) {
  if (TField* field = WriteThroughField()) {
    // The field keeps characters: the nearest count that fills the width.
    TDgGridHost* grid = Grid();
    TFont* font = GetFont();
    int ave = grid->AveCharWidth(font);
    if (ave > 0) field->SetDisplayWidth((Value + ave / 2 - grid->FontOverhang(font) - 3) / ave);
    return;
  }
  FWidth = Value;
  FAssignedValues.Include(cvWidth);
  ColumnChanged();
}

TImeMode TDgColumn::DefaultImeMode() const {
  TDgGridHost* grid = Grid();
  return grid ? grid->GridImeMode() : imDontCare;
}

TImeMode TDgColumn::GetImeMode() const { return IsImeModeStored() ? FImeMode : DefaultImeMode(); }

void TDgColumn::SetImeMode(TImeMode Value) {
  FImeMode = Value;
  FAssignedValues.Include(cvImeMode);
  ColumnChanged();
}

String TDgColumn::DefaultImeName() const {
  TDgGridHost* grid = Grid();
  return grid ? grid->GridImeName() : String();
}

String TDgColumn::GetImeName() const { return IsImeNameStored() ? FImeName : DefaultImeName(); }

void TDgColumn::SetImeName(const String& Value) {
  FImeName = Value;
  FAssignedValues.Include(cvImeName);
  ColumnChanged();
}

// -- The rest --

void TDgColumn::SetButtonStyle(TDgColumnButtonStyle Value) {
  if (Value == FButtonStyle) return;
  FButtonStyle = Value;
  ColumnChanged();
}

void TDgColumn::SetCanClick(bool Value) {
  if (Value == FCanClick) return;
  FCanClick = Value;
  ColumnChanged();
}

void TDgColumn::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  ColumnChanged(true);
}

void TDgColumn::SetWrapText(bool Value) {
  if (Value == FWrapText) return;
  FWrapText = Value;
  ColumnChanged();
}

void TDgColumn::SetLookupDropDownFields(const String& Value) {
  if (Value == FLookupDropDownFields) return;
  FLookupDropDownFields = Value;
  if (FButtonStyle == cbsLookup) ColumnChanged();
}

void TDgColumn::SetLookupKeyField(const String& Value) {
  if (Value == FLookupKeyField) return;
  FLookupKeyField = Value;
  if (FButtonStyle == cbsLookup) ColumnChanged();
}

void TDgColumn::SetLookupLinkField(const String& Value) {
  if (Value == FLookupLinkField) return;
  FLookupLinkField = Value;
  if (FButtonStyle == cbsLookup) ColumnChanged();
}

void TDgColumn::SetLookupDataSet(TDataSet* Value) {
  if (Value == FLookupDataSet) return;
  if (TField* field = Field(); Value && field && Value == field->GetDataSet())
    DatabaseError("Lookup Dataset cannot be equal to Source DataSet");
  FNotifier->Unwatch(FLookupDataSet);
  FLookupDataSet = Value;
  FNotifier->Watch(Value);
  if (FButtonStyle == cbsLookup) ColumnChanged();
}

void TDgColumn::SetValueChecked(const String& Value) {
  if (Value == FValueChecked) return;
  FValueChecked = Value;
  if (FButtonStyle == cbsCheck) ColumnChanged();
}

void TDgColumn::SetValueUnChecked(const String& Value) {
  if (Value == FValueUnChecked) return;
  FValueUnChecked = Value;
  if (FButtonStyle == cbsCheck) ColumnChanged();
}

namespace {

// A list made when first asked for; nullptr frees it.
TStrings* MadeList(TStringList*& List) {
  if (!List) List = new TStringList;
  return List;
}

void SetList(TStringList*& List, TStrings* Value) {
  if (Value) return MadeList(List)->Assign(Value);
  delete List;
  List = nullptr;
}

}  // namespace

TStrings* TDgColumn::GetPickList() { return MadeList(FPickList); }
void TDgColumn::SetPickList(TStrings* Value) { SetList(FPickList, Value); }
TStrings* TDgColumn::GetPickValues() { return MadeList(FPickValues); }
void TDgColumn::SetPickValues(TStrings* Value) { SetList(FPickValues, Value); }

bool TDgColumn::IsPickListStored() const { return FPickList && FPickList->GetCount() > 0; }
bool TDgColumn::IsPickValuesStored() const { return FPickValues && FPickValues->GetCount() > 0; }

void TDgColumn::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  FNotifier->Unwatch(FPopupMenu);
  FPopupMenu = Value;
  FNotifier->Watch(Value);
}

void TDgColumn::RestoreDefaults() {
  bool fontAssigned = IsFontStored();
  FTitle->RestoreDefaults();
  FAssignedValues = {};
  RefreshDefaultFont();
  SetPickList(nullptr);
  SetPickValues(nullptr);
  FButtonStyle = cbsNone;
  FCanClick = false;
  FLongTextAsHint = false;
  ColumnChanged(fontAssigned);
}

bool TDgColumn::DescendsFrom(TDgColumn* Ancestor) {
  int depth = 0;
  for (TDgColumn* c = ParentColumn(); c && depth < 64; c = c->ParentColumn(), ++depth)
    if (c == Ancestor) return true;
  return false;
}

int TDgColumn::LastOfFamily() {
  int last = GetIndex();
  while (last + 1 < Collection()->Count() &&
         static_cast<TDgColumn*>(Collection()->GetItem(last + 1))->DescendsFrom(this))
    ++last;
  return last;
}

void TDgColumn::SetIndex(int Value) {
  int current = GetIndex();
  TCollection* columns = Collection();
  if (current < 0 || Value == current) return;
  if (Value < 0 || Value >= columns->Count()) return TCollectionItem::SetIndex(Value);  // out of range: raises
  auto column = [columns](int Index) { return static_cast<TDgColumn*>(columns->GetItem(Index)); };
  // A child column stays among its parent's children (one placed away from them moves as
  // the dataset's own fields' columns do).
  TDgColumn* parent = ParentColumn();
  if (parent && (current < parent->GetIndex() || current > parent->LastOfFamily())) parent = nullptr;
  if (parent) Value = std::clamp(Value, parent->GetIndex() + 1, parent->LastOfFamily());
  const int last = LastOfFamily();
  if (Value >= current && Value <= last) return;  // onto itself or its own children
  // The column landed on, taken at this column's level: the object column it belongs to.
  TDgColumn* landing = column(Value);
  for (int depth = 0; landing->ParentColumn() && landing->ParentColumn() != parent && depth < 64; ++depth)
    landing = landing->ParentColumn();
  // Moving left the family starts where the landing one started; moving right it ends where
  // the landing one ended.
  const int size = last - current + 1;
  const int target = Value < current ? landing->GetIndex() : landing->LastOfFamily() - size + 1;
  TDgGridHost* grid = Grid();
  TGridLayoutScope layout(grid);
  TUpdateScope update(columns);
  // The grid rebuilds non-persistent columns from the fields: move the field to the
  // landing column's field's place.
  if (!FStored && grid && grid->GridDataLink()->Active())
    if (TField* field = Field(), *onto = landing->Field(); field && onto) field->SetIndex(onto->GetIndex());
  // The column moves with its children's columns (and theirs), in their order.
  for (int i = 0; i < size; ++i) {
    if (target < current)
      column(current + i)->TCollectionItem::SetIndex(target + i);
    else
      column(current)->TCollectionItem::SetIndex(target + size - 1);
  }
}

String TDgColumn::GetDisplayName() {
  String caption = FTitle->GetCaption();
  return caption.empty() ? TCollectionItem::GetDisplayName() : caption;
}

void TDgColumn::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TDgColumn*>(Source);
  if (!other) return TCollectionItem::Assign(Source);
  TUpdateScope update(Collection());
  RestoreDefaults();
  SetFieldName(other->GetFieldName());
  if (other->IsColorStored()) SetColor(other->GetColor());
  if (other->IsWidthStored()) SetWidth(other->GetStreamedWidth());
  if (other->IsFontStored()) SetFont(other->GetFont());
  if (other->IsImeModeStored()) SetImeMode(other->GetImeMode());
  if (other->IsImeNameStored()) SetImeName(other->GetImeName());
  if (other->IsAlignmentStored()) SetAlignment(other->GetAlignment());
  if (other->IsReadOnlyStored()) SetReadOnly(other->GetReadOnly());
  FTitle->Assign(other->GetTitle());
  SetAutoDropDown(other->FAutoDropDown);
  SetButtonStyle(other->FButtonStyle);
  SetCanClick(other->FCanClick);
  SetDropDownRows(other->FDropDownRows);
  SetDropDownWidth(other->FDropDownWidth);
  SetLongTextAsHint(other->FLongTextAsHint);
  SetLookupDropDownFields(other->FLookupDropDownFields);
  SetLookupKeyField(other->FLookupKeyField);
  SetLookupLinkField(other->FLookupLinkField);
  SetLookupDataSet(other->FLookupDataSet);
  SetPickList(other->FPickList);
  SetPickValues(other->FPickValues);
  SetPopupMenu(other->FPopupMenu);
  SetValueChecked(other->FValueChecked);
  SetValueUnChecked(other->FValueUnChecked);
  SetVisible(other->FVisible);
  SetWrapText(other->FWrapText);
}

// ---- TDgDBGridColumns ----

TDgDBGridColumns::TDgDBGridColumns(TPersistent* Owner, TDgGridHost* Grid)
    : TCollection(Owner, ClassOf<TDgColumn>()), FGrid(Grid) {}

TDgColumn* TDgDBGridColumns::AddDefault() {
  FAddingDefault = true;
  TFinally done([this] { FAddingDefault = false; });
  return Add();
}

TDgColumnsState TDgDBGridColumns::GetState() const {
  return Count() > 0 && Items(0)->IsStored() ? csCustomized : csDefault;
}

void TDgDBGridColumns::SetState(TDgColumnsState Value) {
  if (Value == GetState()) return;
  if (Value == csDefault)
    Clear();
  else
    RebuildColumns();
}

void TDgDBGridColumns::RebuildColumns() {
  TDataSet* dataSet = FGrid ? FGrid->GridDataLink()->DataSet() : nullptr;
  if (!dataSet) return Clear();
  TGridLayoutScope layout(FGrid);
  Clear();
  // One column per field, the children of ADT and array fields after their parent.
  std::function<void(TField*)> add = [&](TField* Field) {
    Add()->SetField(Field);
    if (Field->DataType() == ftADT || Field->DataType() == ftArray)
      for (int i = 0; i < static_cast<TObjectField*>(Field)->FieldCount(); ++i)
        add(static_cast<TObjectField*>(Field)->Fields()->Fields(i));
  };
  for (int i = 0; i < dataSet->FieldCount(); ++i) add(dataSet->Fields()->Fields(i));
}

void TDgDBGridColumns::RestoreDefaults() {
  TUpdateScope update(this);
  for (int i = 0; i < Count(); ++i) Items(i)->RestoreDefaults();
}

void TDgDBGridColumns::RefreshDefaultFonts() {
  for (int i = 0; i < Count(); ++i) Items(i)->RefreshDefaultFont();
}

void TDgDBGridColumns::Update(TCollectionItem* Item) {
  if (!FGrid || FGrid->GridLoading()) return;
  if (Item)
    FGrid->ColumnChanged(static_cast<TDgColumn*>(Item));
  else
    FGrid->ColumnsChanged();
}
