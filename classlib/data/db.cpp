#include "classlib/data/db.h"

#include <algorithm>
#include <cmath>

#include "classlib/core/finally.h"
#include "classlib/core/format.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TFields, p) {}

HX_PUBLISH(TFieldDef, p) {
  p.Property("Name", &TFieldDef::GetName, &TFieldDef::SetName).Default("");
  p.Property("DataType", &TFieldDef::GetDataType, &TFieldDef::SetDataType).Default(ftUnknown);
  p.Property("Size", &TFieldDef::GetSize, &TFieldDef::SetSize).Default(0);
  p.Property("Required", &TFieldDef::GetRequired, &TFieldDef::SetRequired).Default(false);
}
HX_PUBLISH(TFieldDefs, p) {}

HX_PUBLISH(TIndexDef, p) {
  p.Property("Name", &TIndexDef::GetName, &TIndexDef::SetName).Default("");
  p.Property("Fields", &TIndexDef::GetFields, &TIndexDef::SetFields).Default("");
  p.Property("Expression", &TIndexDef::GetExpression, &TIndexDef::SetExpression).Default("");
  p.Property("Options", &TIndexDef::GetOptions, &TIndexDef::SetOptions).Default(TIndexOptions());
}
HX_PUBLISH(TIndexDefs, p) {}

HX_PUBLISH(TDataSet, p) {
  p.Property("Active", &TDataSet::GetActive, &TDataSet::SetActive).Default(false);
  p.Property("AutoCalcFields", &TDataSet::GetAutoCalcFields, &TDataSet::SetAutoCalcFields).Default(true);
  p.Property("Filter", &TDataSet::GetFilterText, &TDataSet::SetFilterText).Default("");
  p.Property("Filtered", &TDataSet::GetFiltered, &TDataSet::SetFiltered).Default(false);
  p.Property("FilterOptions", &TDataSet::GetFilterOptions, &TDataSet::SetFilterOptions).Default(TFilterOptions());
  p.Event("BeforeOpen", &TDataSet::BeforeOpen);
  p.Event("AfterOpen", &TDataSet::AfterOpen);
  p.Event("BeforeClose", &TDataSet::BeforeClose);
  p.Event("AfterClose", &TDataSet::AfterClose);
  p.Event("BeforeInsert", &TDataSet::BeforeInsert);
  p.Event("AfterInsert", &TDataSet::AfterInsert);
  p.Event("BeforeEdit", &TDataSet::BeforeEdit);
  p.Event("AfterEdit", &TDataSet::AfterEdit);
  p.Event("BeforePost", &TDataSet::BeforePost);
  p.Event("AfterPost", &TDataSet::AfterPost);
  p.Event("BeforeCancel", &TDataSet::BeforeCancel);
  p.Event("AfterCancel", &TDataSet::AfterCancel);
  p.Event("BeforeDelete", &TDataSet::BeforeDelete);
  p.Event("AfterDelete", &TDataSet::AfterDelete);
  p.Event("BeforeScroll", &TDataSet::BeforeScroll);
  p.Event("AfterScroll", &TDataSet::AfterScroll);
  p.Event("BeforeRefresh", &TDataSet::BeforeRefresh);
  p.Event("AfterRefresh", &TDataSet::AfterRefresh);
  p.Event("OnCalcFields", &TDataSet::OnCalcFields);
  p.Event("OnDeleteError", &TDataSet::OnDeleteError);
  p.Event("OnEditError", &TDataSet::OnEditError);
  p.Event("OnFilterRecord", &TDataSet::OnFilterRecord);
  p.Event("OnNewRecord", &TDataSet::OnNewRecord);
  p.Event("OnPostError", &TDataSet::OnPostError);
}

HX_PUBLISH(TDataSource, p) {
  p.Property("AutoEdit", &TDataSource::GetAutoEdit, &TDataSource::SetAutoEdit).Default(true);
  p.Property("DataSet", &TDataSource::GetDataSet, &TDataSource::SetDataSet);
  p.Property("Enabled", &TDataSource::GetEnabled, &TDataSource::SetEnabled).Default(true);
  p.Event("OnStateChange", &TDataSource::OnStateChange);
  p.Event("OnDataChange", &TDataSource::OnDataChange);
  p.Event("OnUpdateData", &TDataSource::OnUpdateData);
}

HX_PUBLISH(TDataLink, p) {}
HX_PUBLISH(TMasterDataLink, p) {}

bool IsWriteState(TDataSetState State) {
  switch (State) {
    case dsEdit:
    case dsInsert:
    case dsSetKey:
    case dsCalcFields:
    case dsFilter:
    case dsNewValue:
    case dsInternalCalc: return true;
    default: return false;
  }
}

bool IsEditState(TDataSetState State) { return State == dsEdit || State == dsInsert || State == dsSetKey; }

namespace {

// "A;B" split at ';' with blanks around each name dropped; empty names are skipped.
std::vector<String> SplitFieldNames(const String& Names) {
  std::vector<String> out;
  size_t start = 0;
  while (start <= Names.size()) {
    size_t end = Names.find(';', start);
    if (end == String::npos) end = Names.size();
    String name = Trim(std::string_view(Names).substr(start, end - start));
    if (!name.empty()) out.push_back(name);
    start = end + 1;
  }
  return out;
}

// The item whose display name (a definition's name) is Name, without regard to case; -1.
int IndexOfDisplayName(const TCollection& Items, const String& Name) {
  for (int i = 0; i < Items.Count(); ++i)
    if (AnsiSameText(Items.GetItem(i)->GetDisplayName(), Name)) return i;
  return -1;
}

}  // namespace

// ---- TFields ----

TField* TFields::Fields(int Index) const {
  if (Index < 0 || Index >= Count()) DatabaseError("Индекс поля вне диапазона", FDataSet);
  return FList[static_cast<size_t>(Index)];
}

TField* TFields::FindField(const String& FieldName) const {
  for (TField* f : FList)
    if (AnsiSameText(f->GetFieldName(), FieldName)) return f;
  return FindChild(FieldName);
}

TField* TFields::FindChild(const String& FullName) const {
  for (TField* f : FList) {
    auto* object = dynamic_cast<TObjectField*>(f);
    if (!object) continue;
    for (TField* c : object->Fields()->FList)
      if (AnsiSameText(c->FullName(), FullName)) return c;
    if (TField* deeper = object->Fields()->FindChild(FullName)) return deeper;
  }
  return nullptr;
}

TField* TFields::FieldByName(const String& FieldName) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt(dbtext::FieldNotFound, FieldName, FDataSet);
  return f;
}

TField* TFields::FieldByNumber(int FieldNo) const {
  for (TField* f : FList)
    if (f->FieldNo() == FieldNo) return f;
  return nullptr;
}

int TFields::IndexOf(TField* Field) const {
  auto it = std::find(FList.begin(), FList.end(), Field);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TFields::Add(TField* Field) { FList.push_back(Field); }

void TFields::Remove(TField* Field) {
  auto it = std::find(FList.begin(), FList.end(), Field);
  if (it != FList.end()) FList.erase(it);
}

void TFields::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex || CurIndex < 0 || CurIndex >= Count()) return;
  NewIndex = std::clamp(NewIndex, 0, Count() - 1);
  TField* f = FList[static_cast<size_t>(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, f);
}

// ---- Field definitions ----

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}

TField* TFieldDef::CreateField(TComponent* Owner, TDataSet* DataSet) {
  TClass cls = DefaultFieldClass(FDataType);
  if (!cls) DatabaseErrorFmt(dbtext::FieldTypeMismatch, FName, DataSet);
  auto* field = static_cast<TField*>(cls->CreateComponent(Owner));
  try {
    field->SetFieldName(FName);
    if (FDataType == ftString) field->SetSize(FSize);
    field->SetRequired(FRequired);
    field->SetDataSet(DataSet);
  } catch (...) {
    delete field;
    throw;
  }
  return field;
}

TFieldDefs::TFieldDefs(TDataSet* DataSet) : TCollection(DataSet, ClassOf<TFieldDef>()), FDataSet(DataSet) {}

TFieldDef* TFieldDefs::Add(const String& Name, TFieldType DataType, int Size, bool Required) {
  if (IndexOf(Name) >= 0) DatabaseErrorFmt(dbtext::DuplicateFieldName, Name, FDataSet);
  auto* def = static_cast<TFieldDef*>(TCollection::Add());
  def->SetName(Name);
  def->SetDataType(DataType);
  def->SetSize(Size);
  def->SetRequired(Required);
  return def;
}

int TFieldDefs::IndexOf(const String& Name) const { return IndexOfDisplayName(*this, Name); }

TFieldDef* TFieldDefs::Find(const String& Name) const {
  int i = IndexOf(Name);
  if (i < 0) DatabaseErrorFmt(dbtext::FieldNotFound, Name, FDataSet);
  return Items(i);
}

void TFieldDefs::Update() {
  if (FDataSet) FDataSet->InitFieldDefs();
}

// ---- Index definitions ----

TIndexDef::TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}

void TIndexDef::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TIndexDef*>(Source)) {
    FName = src->FName;
    FFields = src->FFields;
    FExpression = src->FExpression;
    FOptions = src->FOptions;
    return;
  }
  TCollectionItem::Assign(Source);
}

TIndexDefs::TIndexDefs(TDataSet* DataSet) : TCollection(DataSet, ClassOf<TIndexDef>()), FDataSet(DataSet) {}

TIndexDef* TIndexDefs::Add(const String& Name, const String& Fields, TIndexOptions Options) {
  auto* def = static_cast<TIndexDef*>(TCollection::Add());
  def->SetName(Name);
  if (Options.Contains(ixExpression)) def->SetExpression(Fields);
  else def->SetFields(Fields);
  def->SetOptions(Options);
  return def;
}

int TIndexDefs::IndexOf(const String& Name) const { return IndexOfDisplayName(*this, Name); }

TIndexDef* TIndexDefs::Find(const String& Name) const {
  int i = IndexOf(Name);
  if (i < 0) DatabaseErrorFmt(dbtext::IndexNotFound, Name, FDataSet);
  return Items(i);
}

TIndexDef* TIndexDefs::GetIndexForFields(const String& Fields, bool CaseInsensitive) const {
  std::vector<String> wanted = SplitFieldNames(Fields);
  if (wanted.empty()) return nullptr;
  for (int i = 0; i < Count(); ++i) {
    TIndexDef* def = Items(i);
    if (def->GetOptions().Contains(ixExpression)) continue;
    if (CaseInsensitive != def->GetOptions().Contains(ixCaseInsensitive)) continue;
    std::vector<String> key = SplitFieldNames(def->GetFields());
    if (key.size() < wanted.size()) continue;
    bool match = true;
    for (size_t j = 0; j < wanted.size() && match; ++j) match = AnsiSameText(key[j], wanted[j]);
    if (match) return def;
  }
  return nullptr;
}

void TIndexDefs::Update() {
  if (FDataSet) FDataSet->UpdateIndexDefs();
}

// ---- TDataSet: life ----

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner),
      FormatSettings(DefaultFormatSettings()),
      FFields(std::make_unique<TFields>(this)),
      FFieldDefs(std::make_unique<TFieldDefs>(this)) {}

TDataSet::~TDataSet() {
  Destroying();
  // A descendant closes in its own destructor: the hooks are gone by now.
  while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
  // Fields of other owners stay, without a dataset; our own go with us.
  for (TField* f : std::vector<TField*>(FFields->FList)) f->FDataSet = nullptr;
  FFields->FList.clear();
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) SetActive(true);
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove)
    if (auto* source = dynamic_cast<TDataSource*>(AComponent)) RemoveDataSource(source);
}

void TDataSet::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TField* f : std::vector<TField*>(FFields->FList))
    if (f->Owner() == Root) Proc(f);
}

void TDataSet::SetChildOrder(TComponent* Child, int Order) {
  if (auto* f = dynamic_cast<TField*>(Child); f && f->FDataSet == this) FFields->Move(FFields->IndexOf(f), Order);
}

void TDataSet::SetActive(bool Value) {
  if (ComponentState().Contains(csReading)) {
    FStreamedActive = Value;
    return;
  }
  if (GetActive() == Value) return;
  if (Value) {
    DoBeforeOpen();
    OpenCursor();
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty()) DoAfterScroll();
  } else {
    bool destroying = ComponentState().Contains(csDestroying);
    // A control holding an edit of the record it shows writes and posts it first (a
    // failing post keeps the dataset open).
    if (!destroying && (FState == dsEdit || FState == dsInsert)) DataEvent(deDataSetClosing, 0);
    if (!destroying) DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!destroying) DoAfterClose();
  }
}

void TDataSet::OpenCursor() {
  FInternalOpenComplete = false;
  try {
    FDefaultFields = FieldCount() == 0;
    InternalOpen();
    FInternalOpenComplete = true;
    UpdateBufferCount();
    FBOF = true;
  } catch (...) {
    try {
      CloseCursor();
    } catch (...) {
    }
    throw;
  }
}

void TDataSet::CloseCursor() {
  FInternalOpenComplete = false;
  ClearBuffers();
  SetBufListSize(0);
  FBufferCount = 0;
  FCalcBuffer = nullptr;
  InternalClose();
  FDefaultFields = false;
}

void TDataSet::CheckActive() {
  if (FState == dsInactive) DatabaseError(dbtext::DataSetClosed, this);
}

void TDataSet::CheckInactive() {
  if (GetActive()) DatabaseError(dbtext::DataSetOpen, this);
}

void TDataSet::InitFieldDefs() {
  if (IsCursorOpen()) return;
  InternalInitFieldDefs();
  FFieldDefsUpdated = true;
}

void TDataSet::CreateFields() {
  for (int i = 0; i < FFieldDefs->Count(); ++i) {
    TFieldDef* def = FFieldDefs->Items(i);
    if (DefaultFieldClass(def->GetDataType())) def->CreateField(this, this);
  }
}

void TDataSet::DestroyFields() {
  for (TField* f : std::vector<TField*>(FFields->FList))
    if (f->Owner() == this) delete f;
}

void TDataSet::BindFields(bool Binding) {
  FCalcFieldsSize = 0;
  // The dataset's fields and, after each object field, its children (bound by full name).
  std::vector<TField*> all;
  std::function<void(const std::vector<TField*>&)> collect = [&](const std::vector<TField*>& List) {
    for (TField* f : List) {
      all.push_back(f);
      if (auto* object = dynamic_cast<TObjectField*>(f)) collect(object->Fields()->FList);
    }
  };
  collect(FFields->FList);
  for (TField* f : all) {
    if (!Binding) {
      f->FFieldNo = 0;
      f->FOffset = 0;
      continue;
    }
    if (f->FParentField) f->FDataSet = this;
    if (dynamic_cast<TObjectField*>(f)) {
      f->FFieldNo = -1;  // no value of its own
      f->FOffset = 0;
      continue;
    }
    if (f->GetFieldKind() == fkData) {
      int i = FFieldDefs->IndexOf(f->FullName());
      if (i < 0) DatabaseErrorFmt(dbtext::FieldNotFound, f->FullName(), this);
      TFieldDef* def = FFieldDefs->Items(i);
      if (def->GetDataType() != f->DataType())
        DatabaseError(Format(dbtext::FieldTypeMismatch, f->DisplayName(), EnumName(f->DataType()),
                             EnumName(def->GetDataType())),
                      this);
      f->FFieldNo = def->FieldNo();
      f->FOffset = 0;
    } else {
      if (f->GetFieldKind() == fkLookup &&
          (!f->GetLookupDataSet() || f->GetKeyFields().empty() || f->GetLookupKeyFields().empty() ||
           f->GetLookupResultField().empty()))
        DatabaseErrorFmt(dbtext::LookupInfoError, f->DisplayName(), this);
      f->FFieldNo = -1;
      f->FOffset = FCalcFieldsSize;
      FCalcFieldsSize += f->DataSize() + 1;
    }
  }
}

TField* TDataSet::FieldByName(const String& FieldName) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt(dbtext::FieldNotFound, FieldName, const_cast<TDataSet*>(this));
  return f;
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const String& FieldNames) const {
  List.clear();
  for (const String& name : SplitFieldNames(FieldNames)) List.push_back(FieldByName(name));
}

TVariant TDataSet::GetFieldValues(const String& FieldNames) {
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.size() == 1) return fields[0]->GetAsVariant();
  std::vector<TVariant> values;
  for (TField* f : fields) values.push_back(f->GetAsVariant());
  return TVariant::Array(std::move(values));
}

void TDataSet::SetFieldValues(const String& FieldNames, const TVariant& Value) {
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.size() == 1 && !Value.IsArray()) {
    fields[0]->SetAsVariant(Value);
    return;
  }
  for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(Value.Item(static_cast<int>(i)));
}

// ---- States ----

void TDataSet::SetState(TDataSetState Value) {
  if (FState == Value) return;
  FState = Value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
  TDataSetState old = FState;
  FState = Value;
  return old;
}

void TDataSet::RestoreState(TDataSetState Value) { FState = Value; }

void TDataSet::CheckCanModify() {
  if (!GetCanModify()) DatabaseError(dbtext::DataSetReadOnly, this);
}

// ---- Buffers ----

TRecordBuffer TDataSet::ActiveBuffer() const {
  if (FBuffers.empty()) return nullptr;
  return FBuffers[static_cast<size_t>(std::min(FActiveRecord, static_cast<int>(FBuffers.size()) - 1))];
}

void TDataSet::SetBufListSize(int Value) {
  int old = static_cast<int>(FBuffers.size());
  if (old == Value) return;
  if (Value < old) {
    for (int i = old - 1; i >= Value; --i) FreeRecordBuffer(FBuffers[static_cast<size_t>(i)]);
    FBuffers.resize(static_cast<size_t>(Value));
  } else {
    FBuffers.reserve(static_cast<size_t>(Value));
    while (static_cast<int>(FBuffers.size()) < Value) FBuffers.push_back(AllocRecordBuffer());
  }
}

std::vector<TDataLink*> TDataSet::AllLinks() const {
  std::vector<TDataLink*> links;
  for (TDataSource* s : FDataSources) links.insert(links.end(), s->FDataLinks.begin(), s->FDataLinks.end());
  return links;
}

void TDataSet::SetBufferCount(int Value) {
  if (FBufferCount == Value) return;
  std::vector<TDataLink*> links = AllLinks();
  auto adjust = [&links](int Delta) {
    if (Delta != 0)
      for (TDataLink* l : links) l->FFirstRecord += Delta;
  };
  if (FBufferCount > Value && FRecordCount > 0) {
    // Keep the current record and the links' first rows within the smaller window.
    int delta = FActiveRecord;
    for (TDataLink* l : links) delta = std::min(delta, l->FFirstRecord);
    delta = std::max(delta, FActiveRecord - Value + 1);
    delta = std::max(delta, 0);
    for (int i = 0; i < Value && i + delta < FRecordCount; ++i) MoveBuffer(i + delta, i);
    FActiveRecord -= delta;
    if (FCurrentRecord != -1) FCurrentRecord -= delta;
    FRecordCount = std::min(FRecordCount - delta, Value);
    if (FCurrentRecord >= FRecordCount) FCurrentRecord = -1;
    adjust(-delta);
    for (TDataLink* l : links) l->FFirstRecord = std::max(0, l->FFirstRecord);
  }
  SetBufListSize(Value + 1);
  FBufferCount = Value;
  GetNextRecords();
  adjust(GetPriorRecords());
}

void TDataSet::UpdateBufferCount() {
  if (!FInternalOpenComplete || !IsCursorOpen()) return;
  int count = 1;
  for (TDataLink* l : AllLinks()) count = std::max(count, l->FBufferCount);
  SetBufferCount(count);
}

void TDataSet::ClearBuffers() {
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = true;
  FEOF = true;
}

void TDataSet::ActivateBuffers() {
  FRecordCount = 1;
  FActiveRecord = 0;
  FCurrentRecord = 0;
  FBOF = false;
  FEOF = false;
}

void TDataSet::MoveBuffer(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TRecordBuffer b = FBuffers[static_cast<size_t>(CurIndex)];
  FBuffers.erase(FBuffers.begin() + CurIndex);
  FBuffers.insert(FBuffers.begin() + NewIndex, b);
}

void TDataSet::SetCurrentRecord(int Index) {
  if (FCurrentRecord == Index) return;
  TRecordBuffer b = FBuffers[static_cast<size_t>(Index)];
  switch (GetBookmarkFlag(b)) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(b); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
  }
  FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos() {
  if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetCurrentRecord(TRecordBuffer) { return false; }

bool TDataSet::GetNextRecord() {
  TGetMode mode = gmNext;
  if (FRecordCount > 0) {
    SetCurrentRecord(FRecordCount - 1);
    // An inserted record stands before the cursor's record: fetch that one itself.
    if (FState == dsInsert && FCurrentRecord == FActiveRecord && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
      mode = gmCurrent;
  }
  bool ok = GetRecord(FBuffers[static_cast<size_t>(FRecordCount)], mode, true) == grOK;
  if (ok) {
    if (FRecordCount == 0) {
      ActivateBuffers();
    } else {
      if (FRecordCount < FBufferCount) ++FRecordCount;
      else MoveBuffer(0, FRecordCount);
    }
    FCurrentRecord = FRecordCount - 1;
  } else {
    CursorPosChanged();
  }
  return ok;
}

bool TDataSet::GetPriorRecord() {
  if (FRecordCount > 0) SetCurrentRecord(0);
  bool ok = GetRecord(FBuffers[static_cast<size_t>(FRecordCount)], gmPrior, true) == grOK;
  if (ok) {
    if (FRecordCount == 0) {
      ActivateBuffers();
    } else {
      MoveBuffer(FRecordCount, 0);
      if (FRecordCount < FBufferCount) {
        ++FRecordCount;
        ++FActiveRecord;
      }
    }
    FCurrentRecord = 0;
  } else {
    CursorPosChanged();
  }
  return ok;
}

int TDataSet::GetNextRecords() {
  int n = 0;
  while (FRecordCount < FBufferCount && GetNextRecord()) ++n;
  return n;
}

int TDataSet::GetPriorRecords() {
  int n = 0;
  while (FRecordCount < FBufferCount && GetPriorRecord()) ++n;
  return n;
}

void TDataSet::Resync(TResyncMode Mode) {
  TRecordBuffer scratch = FBuffers[static_cast<size_t>(FRecordCount)];
  if (Mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(scratch, gmCurrent, true) != grOK) DatabaseError(dbtext::RecordNotFound, this);
  } else if (GetRecord(scratch, gmCurrent, false) != grOK && GetRecord(scratch, gmNext, false) != grOK &&
             GetRecord(scratch, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
  MoveBuffer(FRecordCount, 0);
  ActivateBuffers();
  TFinally notify([this] { DataEvent(deDataSetChange, 0); });
  while (count > 0 && GetPriorRecord()) --count;
  GetNextRecords();
  GetPriorRecords();
}

// ---- Navigation ----

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    TFinally done([this] {
      FBOF = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  }
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    TFinally done([this] {
      FEOF = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  }
  DoAfterScroll();
}

int TDataSet::MoveBy(int Distance) {
  CheckBrowseMode();
  int moved = 0;
  DoBeforeScroll();
  if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
    FBOF = false;
    FEOF = false;
    int shift = 0;  // how far the buffers' contents moved (towards later indexes: positive)
    {
      TFinally notify([this, &shift] { DataEvent(deDataSetScroll, shift); });
      while (Distance > 0) {
        if (FActiveRecord < FRecordCount - 1) {
          ++FActiveRecord;
        } else {
          bool full = FRecordCount >= FBufferCount;
          if (!GetNextRecord()) {
            FEOF = true;
            break;
          }
          if (full) --shift;
          FActiveRecord = FRecordCount - 1;
        }
        --Distance;
        ++moved;
      }
      while (Distance < 0) {
        if (FActiveRecord > 0) {
          --FActiveRecord;
        } else {
          if (!GetPriorRecord()) {
            FBOF = true;
            break;
          }
          ++shift;
          FActiveRecord = 0;
        }
        ++Distance;
        --moved;
      }
    }
    DoAfterScroll();
  }
  return moved;
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  if (BeforeRefresh) BeforeRefresh(this);
  UpdateCursorPos();
  InternalRefresh();
  Resync(TResyncMode());
  if (AfterRefresh) AfterRefresh(this);
}

// ---- Editing ----

void TDataSet::CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent) {
  for (;;) {
    try {
      UpdateCursorPos();
      Operation();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (ErrorEvent) ErrorEvent(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert) return;
  if (FRecordCount == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeEdit();
  CheckOperation([this] { InternalEdit(); }, OnEditError);
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::InitRecord(TRecordBuffer Buffer) {
  InternalInitRecord(Buffer);
  ClearCalcFields(Buffer);
  SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    SetState(dsBrowse);
    Resync(TResyncMode());
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
  DoAfterScroll();
}

void TDataSet::Insert() {
  BeginInsertAppend();
  TBookmarkStr current = GetBookmark();
  MoveBuffer(FRecordCount, FActiveRecord);
  TRecordBuffer b = ActiveBuffer();
  InitRecord(b);
  if (FRecordCount == 0 || current.empty()) SetBookmarkFlag(b, bfBOF);
  else SetBookmarkData(b, current.data());
  if (FRecordCount < FBufferCount) ++FRecordCount;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer b = FBuffers[0];
  InitRecord(b);
  SetBookmarkFlag(b, bfEOF);
  FRecordCount = 1;
  FBOF = false;
  GetPriorRecords();
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Post() {
  UpdateRecord();
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforePost();
  CheckOperation(
      [this] {
        CheckRequiredFields();
        InternalPost();
      },
      OnPostError);
  for (TField* f : FFields->FList)
    if (auto* blob = dynamic_cast<TBlobField*>(f)) blob->SetModified(false);
  SetState(dsBrowse);
  Resync(TResyncMode());
  DoAfterPost();
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeCancel();
  bool scroll = FState == dsInsert;
  if (scroll) DoBeforeScroll();
  UpdateCursorPos();
  InternalCancel();
  for (TField* f : FFields->FList)
    if (auto* blob = dynamic_cast<TBlobField*>(f)) blob->SetModified(false);
  SetState(dsBrowse);
  Resync(TResyncMode());
  DoAfterCancel();
  if (scroll) DoAfterScroll();
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FRecordCount == 0) DatabaseError(dbtext::DataSetEmpty, this);
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeDelete();
  DoBeforeScroll();
  CheckOperation([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync(TResyncMode());
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::SetFields(std::initializer_list<TVariant> Values) {
  int i = 0;
  for (const TVariant& v : Values) {
    TField* f = FFields->Fields(i++);
    if (v.IsNull()) f->Clear();
    else f->SetAsVariant(v);
  }
}

void TDataSet::AppendRecord(std::initializer_list<TVariant> Values) {
  Append();
  try {
    SetFields(Values);
    Post();
  } catch (...) {
    Cancel();
    throw;
  }
}

void TDataSet::InsertRecord(std::initializer_list<TVariant> Values) {
  Insert();
  try {
    SetFields(Values);
    Post();
  } catch (...) {
    Cancel();
    throw;
  }
}

void TDataSet::UpdateRecord() {
  if (!IsWriteState(FState)) DatabaseError(dbtext::NotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (FState) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (FModified) Post();
      else Cancel();
      break;
    case dsSetKey: Post(); break;
    default: break;
  }
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : FFields->FList)
    if (f->GetRequired() && !f->GetReadOnly() && f->GetFieldKind() == fkData && f->IsNull()) {
      f->FocusControl();
      DatabaseErrorFmt(dbtext::FieldRequired, f->DisplayName());
    }
}

// ---- Calculated fields ----

void TDataSet::GetCalcFields(TRecordBuffer Buffer) {
  if (FCalcFieldsSize == 0 && !OnCalcFields) return;
  TDataSetState saved = SetTempState(dsCalcFields);
  TRecordBuffer savedCalc = FCalcBuffer;
  TFinally restore([this, saved, savedCalc] {
    RestoreState(saved);
    FCalcBuffer = savedCalc;
  });
  FCalcBuffer = Buffer;
  ClearCalcFields(Buffer);
  for (TField* f : FFields->FList)
    if (f->GetFieldKind() == fkLookup) f->CalcLookupValue();
  DoOnCalcFields();
}

void TDataSet::UpdateCalcFields() {
  if ((FState == dsEdit || FState == dsInsert) && FAutoCalcFields && FCalcFieldsSize > 0)
    GetCalcFields(ActiveBuffer());
}

// ---- Bookmarks ----

bool TDataSet::BookmarkAvailable() {
  return (FState == dsBrowse || FState == dsEdit || FState == dsInsert) && !IsEmpty() &&
         GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmarkStr TDataSet::GetBookmark() {
  if (!BookmarkAvailable()) return {};
  TBookmarkStr b(static_cast<size_t>(FBookmarkSize), '\0');
  GetBookmarkData(ActiveBuffer(), b.data());
  return b;
}

void TDataSet::GotoBookmark(const TBookmarkStr& Bookmark) {
  if (Bookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(Bookmark.data());
  Resync(TResyncMode{rmExact, rmCenter});
  DoAfterScroll();
}

int TDataSet::CompareBookmarks(const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2) {
  if (Bookmark1.empty() || Bookmark2.empty()) return Bookmark1.empty() == Bookmark2.empty() ? 0 : (Bookmark1.empty() ? -1 : 1);
  int c = Bookmark1.compare(Bookmark2);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool TDataSet::BookmarkValid(const TBookmarkStr&) { return false; }

// ---- Searching ----

namespace {

bool FieldMatches(TField* Field, const TVariant& Key, TLocateOptions Options) {
  if (Key.IsNull()) return Field->IsNull();
  if (Field->IsNull()) return false;
  switch (Field->DataType()) {
    case ftString:
    case ftMemo: {
      String value = Field->GetAsString();
      String key = Key.AsString();
      if (Options.Contains(loPartialKey)) value = value.substr(0, std::min(value.size(), key.size()));
      return Options.Contains(loCaseInsensitive) ? AnsiSameText(value, key) : value == key;
    }
    case ftBoolean: return Field->GetAsBoolean() == Key.AsBoolean();
    case ftDate:
    case ftDateTime: return Field->GetAsDateTime() == Key.AsDateTime();
    case ftSmallint:
    case ftInteger:
    case ftFloat: return Field->GetAsFloat() == Key.AsFloat();
    default: return Field->GetAsString() == Key.AsString();
  }
}

}  // namespace

bool TDataSet::LocateRecord(const String& KeyFields, const TVariant& KeyValues, TLocateOptions Options,
                            TBookmarkStr& Found) {
  CheckBrowseMode();
  std::vector<TField*> fields;
  GetFieldList(fields, KeyFields);
  if (fields.empty()) return false;
  if (fields.size() > 1 && KeyValues.ArrayCount() < static_cast<int>(fields.size()))
    DatabaseError("Не хватает значений для полей '" + KeyFields + "'", this);
  // The scan reads each record into the scratch buffer, as calculated fields are computed.
  TRecordBuffer scratch = FBuffers[static_cast<size_t>(FRecordCount)];
  CursorPosChanged();
  InternalFirst();
  bool found = false;
  while (!found && GetRecord(scratch, gmNext, true) == grOK) {
    TDataSetState saved = SetTempState(dsCalcFields);
    TRecordBuffer savedCalc = FCalcBuffer;
    FCalcBuffer = scratch;
    TFinally restore([this, saved, savedCalc] {
      RestoreState(saved);
      FCalcBuffer = savedCalc;
    });
    found = true;
    for (size_t i = 0; i < fields.size() && found; ++i)
      found = FieldMatches(fields[i], fields.size() == 1 && !KeyValues.IsArray() ? KeyValues
                                                                                 : KeyValues.Item(static_cast<int>(i)),
                           Options);
    if (found) {
      Found.assign(static_cast<size_t>(FBookmarkSize), '\0');
      GetBookmarkData(scratch, Found.data());
    }
  }
  CursorPosChanged();
  return found;
}

bool TDataSet::Locate(const String& KeyFields, const TVariant& KeyValues, TLocateOptions Options) {
  TBookmarkStr found;
  if (!LocateRecord(KeyFields, KeyValues, Options, found)) return false;
  GotoBookmark(found);
  return true;
}

TVariant TDataSet::Lookup(const String& KeyFields, const TVariant& KeyValues, const String& ResultFields) {
  TBookmarkStr found;
  if (!LocateRecord(KeyFields, KeyValues, TLocateOptions(), found)) return TVariant::Null();
  // The scan left the found record in the scratch buffer: read it as calculated fields are.
  TDataSetState saved = SetTempState(dsCalcFields);
  TRecordBuffer savedCalc = FCalcBuffer;
  FCalcBuffer = FBuffers[static_cast<size_t>(FRecordCount)];
  TFinally restore([this, saved, savedCalc] {
    RestoreState(saved);
    FCalcBuffer = savedCalc;
  });
  return GetFieldValues(ResultFields);
}

bool TDataSet::IsSequenced() { return true; }

// ---- Blobs and text ----

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode) {
  DatabaseErrorFmt(dbtext::BlobNotSupported, Field ? Field->DisplayName() : String(), this);
}

std::string TDataSet::Translate(std::string_view Src, bool ToStorage, std::size_t MaxBytes) {
  return std::string(ToStorage ? Utf8Truncate(Src, MaxBytes) : Src);
}

// ---- Events to the controls ----

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount != 0) return;
  if (FDisableState != FState) DataEvent(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
}

void TDataSet::DataEvent(TDataEvent Event, std::intptr_t Info) {
  switch (Event) {
    case deFieldChange: {
      auto* field = reinterpret_cast<TField*>(Info);
      if (field && field->GetFieldKind() == fkData) FModified = true;
      UpdateCalcFields();
      if (field && field->OnChange) field->OnChange(field);
      break;
    }
    case dePropertyChange: FFieldDefsUpdated = false; break;
    default: break;
  }
  if (FDisableCount == 0) {
    for (TDataSource* s : std::vector<TDataSource*>(FDataSources)) s->DataEvent(Event, Info);
  } else if ((Event == deUpdateState && FState == dsInactive) || Event == deLayoutChange) {
    FEnableEvent = deLayoutChange;
  }
}

void TDataSet::AddDataSource(TDataSource* Source) {
  FDataSources.push_back(Source);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* Source) {
  auto it = std::find(FDataSources.begin(), FDataSources.end(), Source);
  if (it == FDataSources.end()) return;
  FDataSources.erase(it);
  UpdateBufferCount();
}

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
  Destroying();
  SetDataSet(nullptr);
  while (!FDataLinks.empty()) FDataLinks.back()->SetDataSource(nullptr);
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const {
  for (int guard = 0; DataSet && guard < 1000; ++guard) {
    TDataSource* source = DataSet->GetDataSource();
    if (!source) break;
    if (source == this) return true;
    DataSet = source->FDataSet;
  }
  return false;
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (IsLinkedTo(Value)) DatabaseError(dbtext::CircularDataLink, this);
  if (FDataSet) {
    FDataSet->RemoveFreeNotification(this);
    FDataSet->RemoveDataSource(this);
  }
  FDataSet = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->AddDataSource(this);
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool Value) {
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse) FDataSet->Edit();
}

void TDataSource::AddDataLink(TDataLink* Link) {
  FDataLinks.push_back(Link);
  Link->FDataSource = this;
  if (FDataSet) FDataSet->UpdateBufferCount();
  Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
  Link->FDataSource = nullptr;
  auto it = std::find(FDataLinks.begin(), FDataLinks.end(), Link);
  if (it != FDataLinks.end()) FDataLinks.erase(it);
  Link->UpdateState();
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::NotifyDataLinks(TDataEvent Event, std::intptr_t Info) {
  // Detail links first, so details follow their master before the controls repaint.
  for (bool visual : {false, true}) {
    std::vector<TDataLink*> links = FDataLinks;
    for (auto it = links.rbegin(); it != links.rend(); ++it) {
      TDataLink* l = *it;
      if (l->VisualControl == visual && std::find(FDataLinks.begin(), FDataLinks.end(), l) != FDataLinks.end())
        l->DataEvent(Event, Info);
    }
  }
}

void TDataSource::UpdateState() {
  SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
  if (FState == Value) return;
  TDataSetState prior = FState;
  FState = Value;
  NotifyDataLinks(deUpdateState, 0);
  if (ComponentState().Contains(csDestroying)) return;
  if (OnStateChange) OnStateChange(this);
  if (prior == dsInactive) NotifyDataLinks(deDataSetChange, 0);
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyDataLinks(Event, Info);
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
      if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(Info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default: break;
  }
}

// ---- TDataLink ----

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (FDataSource) FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (Value) Value->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->FDataSet : nullptr; }

void TDataLink::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  UpdateState();
}

void TDataLink::SetBufferCount(int Value) {
  Value = std::max(Value, 1);
  if (FBufferCount == Value) return;
  FBufferCount = Value;
  if (FActive) {
    DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

int TDataLink::GetActiveRecord() const {
  if (!FActive) return 0;
  TDataSet* ds = DataSet();
  return ds->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(int Value) {
  if (FActive) DataSet()->FActiveRecord = Value + FFirstRecord;
}

int TDataLink::RecordCount() const {
  if (!FActive) return 0;
  return std::clamp(DataSet()->FRecordCount - FFirstRecord, 0, FBufferCount);
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  TFinally done([this] { FUpdating = false; });
  UpdateData();
}

int TDataLink::MoveBy(int Distance) { return DataSet()->MoveBy(Distance); }

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  SetEditing(FDataSource && IsEditState(FDataSource->State()) && !FReadOnly);
}

void TDataLink::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (Value) UpdateRange();
  else FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
  if (FEditing == Value) return;
  FEditing = Value;
  EditingChanged();
}

void TDataLink::UpdateRange() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  int lo = std::max(0, ds->FActiveRecord - FBufferCount + 1);
  int hi = std::max(0, std::min(ds->FBufferCount - FBufferCount, ds->FActiveRecord));
  FFirstRecord = std::clamp(FFirstRecord, lo, std::max(lo, hi));
}

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(Info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      int first = FFirstRecord + (Event == deDataSetScroll ? static_cast<int>(Info) : 0);
      FFirstRecord = first;
      UpdateRange();
      int distance = FFirstRecord - first;
      if (Event == deDataSetChange) DataSetChanged();
      else if (Event == deDataSetScroll) DataSetScrolled(distance);
      else LayoutChanged();
      break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deDataSetClosing: DataSetClosing(); break;
    case deFocusControl: FocusControl(reinterpret_cast<TField**>(Info)); break;
    default: break;
  }
}

// ---- TMasterDataLink ----

void TMasterDataLink::SetFieldNames(const String& Value) {
  if (FFieldNames == Value) return;
  FFieldNames = Value;
  ActiveChanged();
}

void TMasterDataLink::ActiveChanged() {
  FFields.clear();
  if (Active()) {
    try {
      DataSet()->GetFieldList(FFields, FFieldNames);
    } catch (...) {
      FFields.clear();
      throw;
    }
  }
  if (FDataSet->GetActive() && !FDataSet->ComponentState().Contains(csDestroying)) {
    if (Active() && !FFields.empty()) {
      if (OnMasterChange) OnMasterChange(this);
    } else if (OnMasterDisable) {
      OnMasterDisable(this);
    }
  }
}

void TMasterDataLink::CheckBrowseMode() {
  if (FDataSet->GetActive()) FDataSet->CheckBrowseMode();
}

void TMasterDataLink::RecordChanged(TField* Field) {
  if (GetDataSource()->State() != dsSetKey && FDataSet->GetActive() && !FFields.empty() &&
      (!Field || std::find(FFields.begin(), FFields.end(), Field) != FFields.end()) && OnMasterChange)
    OnMasterChange(this);
}
