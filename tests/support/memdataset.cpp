#include "memdataset.h"

#include <cstring>

#include "classlib/core/finally.h"
#include "classlib/core/streams.h"

namespace horavox::test {

namespace {

// Past the calculated fields: the record's id (4 bytes), then its bookmark flag.
constexpr int kInfoSize = 5;

}  // namespace

HX_PUBLISH(TMemDataSet, p) {}

// The blob data of one field of a record buffer (or of a stored record), kept by the stream
// until it ends; then written back when it was changed in edit or insert state.
class TMemDataSet::TBlobStream : public TStringStream {
 public:
  TBlobStream(TMemDataSet* DataSet, TField* Field, TSource Source, TBlobStreamMode Mode)
      : TStringStream(Mode == bmWrite || !Source.Data || !Source.Data[DataSet->FOffsets[Field->FieldNo() - 1]]
                          ? std::string()
                          : (*Source.Blobs)[static_cast<size_t>(Field->FieldNo() - 1)]),
        FDataSet(DataSet),
        FField(Field),
        FSource(Source),
        FModified(Mode == bmWrite) {}
  ~TBlobStream() override {
    if (!FModified || !FSource.Data || !IsEditState(FDataSet->State())) return;
    auto def = static_cast<size_t>(FField->FieldNo() - 1);
    (*FSource.Blobs)[def] = DataString();
    FSource.Data[FDataSet->FOffsets[def]] = DataString().empty() ? 0 : 1;
    if (auto* blob = dynamic_cast<TBlobField*>(FField)) blob->SetModified(true);
    try {
      FDataSet->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(FField));
    } catch (...) {
    }
  }
  std::int64_t Write(const void* Buffer, std::int64_t Count) override {
    FModified = true;
    return TStringStream::Write(Buffer, Count);
  }

 private:
  TMemDataSet* FDataSet;
  TField* FField;
  TSource FSource;
  bool FModified;
};

TMemDataSet::TMemDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TMemDataSet::~TMemDataSet() {
  Destroying();
  Close();
}

void TMemDataSet::AddFieldDef(const String& Name, TFieldType Type, int Size, bool Required) {
  CheckInactive();
  FieldDefs()->Add(Name, Type, Size, Required);
}

int TMemDataSet::FieldBytes(TFieldType Type, int Size) {
  switch (Type) {
    case ftString: return Size + 1;
    case ftSmallint:
    case ftBoolean: return 2;
    case ftInteger:
    case ftDate: return 4;
    case ftFloat:
    case ftDateTime: return 8;
    default: return 0;
  }
}

void TMemDataSet::InternalInitFieldDefs() {
  // Without definitions the persistent data fields give them.
  if (FieldDefs()->Count() > 0) return;
  for (int i = 0; i < FieldCount(); ++i) {
    TField* f = Fields()->Fields(i);
    if (f->GetFieldKind() == fkData) FieldDefs()->Add(f->GetFieldName(), f->DataType(), f->GetSize());
  }
}

void TMemDataSet::InternalOpen() {
  InternalInitFieldDefs();
  if (DefaultFields()) CreateFields();
  BindFields(true);
  std::vector<TFieldType> layout;
  FOffsets.clear();
  FRecordSize = 0;
  for (int i = 0; i < FieldDefs()->Count(); ++i) {
    TFieldDef* def = FieldDefs()->Items(i);
    layout.push_back(def->GetDataType());
    FOffsets.push_back(FRecordSize);
    FRecordSize += 1 + FieldBytes(def->GetDataType(), def->GetSize());
  }
  if (layout != FLayout) FRecords.clear();  // other definitions: another table
  FLayout = layout;
  SetBookmarkSize(4);
  FCursor = -1;
  FOpen = true;
}

void TMemDataSet::InternalClose() {
  BindFields(false);
  if (DefaultFields()) DestroyFields();
  FOpen = false;
}

TRecordBuffer TMemDataSet::AllocRecordBuffer() {
  auto size = static_cast<size_t>(FRecordSize + CalcFieldsSize() + kInfoSize);
  auto* buffer = new std::uint8_t[size]();
  FBufferBlobs[buffer].resize(FOffsets.size());
  return buffer;
}

void TMemDataSet::FreeRecordBuffer(TRecordBuffer& Buffer) {
  FBufferBlobs.erase(Buffer);
  delete[] Buffer;
  Buffer = nullptr;
}

int TMemDataSet::BufferId(TRecordBuffer Buffer) const {
  std::int32_t id;
  std::memcpy(&id, Buffer + FRecordSize + CalcFieldsSize(), 4);
  return id;
}

void TMemDataSet::GetBookmarkData(TRecordBuffer Buffer, void* Data) {
  std::memcpy(Data, Buffer + FRecordSize + CalcFieldsSize(), 4);
}

void TMemDataSet::SetBookmarkData(TRecordBuffer Buffer, const void* Data) {
  std::memcpy(Buffer + FRecordSize + CalcFieldsSize(), Data, 4);
}

TBookmarkFlag TMemDataSet::GetBookmarkFlag(TRecordBuffer Buffer) {
  return static_cast<TBookmarkFlag>(Buffer[FRecordSize + CalcFieldsSize() + 4]);
}

void TMemDataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
  Buffer[FRecordSize + CalcFieldsSize() + 4] = static_cast<std::uint8_t>(Value);
}

int TMemDataSet::IndexOfId(int Id) const {
  for (size_t i = 0; i < FRecords.size(); ++i)
    if (FRecords[i].Id == Id) return static_cast<int>(i);
  return -1;
}

bool TMemDataSet::Visible(int Index) {
  if (FRecords[static_cast<size_t>(Index)].Hidden) return false;
  if (!GetFiltered() || !OnFilterRecord) return true;
  TDataSetState saved = SetTempState(dsFilter);
  int savedIndex = FFilterIndex;
  FFilterIndex = Index;
  bool accept = true;
  TFinally restore([this, savedIndex, saved] {
    FFilterIndex = savedIndex;
    RestoreState(saved);
  });
  OnFilterRecord(this, accept);
  return accept;
}

void TMemDataSet::Fill(TRecordBuffer Buffer, int Index) {
  const TRecord& r = FRecords[static_cast<size_t>(Index)];
  std::memcpy(Buffer, r.Data.data(), static_cast<size_t>(FRecordSize));
  FBufferBlobs[Buffer] = r.Blobs;
  std::int32_t id = r.Id;
  SetBookmarkData(Buffer, &id);
  SetBookmarkFlag(Buffer, bfCurrent);
  GetCalcFields(Buffer);
}

void TMemDataSet::Store(TRecordBuffer Buffer, TRecord& Record) {
  Record.Data.assign(Buffer, Buffer + FRecordSize);
  Record.Blobs = FBufferBlobs[Buffer];
}

TGetResult TMemDataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
  int n = StoredCount();
  switch (GetMode) {
    case gmNext: {
      int i = std::max(FCursor + 1, 0);
      while (i < n && !Visible(i)) ++i;
      if (i >= n) {
        FCursor = n;
        return grEOF;
      }
      FCursor = i;
      break;
    }
    case gmPrior: {
      int i = std::min(FCursor, n) - 1;
      while (i >= 0 && !Visible(i)) --i;
      if (i < 0) {
        FCursor = -1;
        return grBOF;
      }
      FCursor = i;
      break;
    }
    case gmCurrent:
      if (FCursor < 0 || FCursor >= n || !Visible(FCursor)) {
        if (DoCheck) DatabaseError(dbtext::RecordNotFound, this);
        return grError;
      }
      break;
  }
  Fill(Buffer, FCursor);
  return grOK;
}

bool TMemDataSet::GetCurrentRecord(TRecordBuffer Buffer) {
  if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != bfCurrent) return false;
  UpdateCursorPos();
  if (FCursor < 0 || FCursor >= StoredCount()) return false;
  Fill(Buffer, FCursor);
  return true;
}

void TMemDataSet::InternalGotoBookmark(const void* Bookmark) {
  std::int32_t id;
  std::memcpy(&id, Bookmark, 4);
  int i = IndexOfId(id);
  if (i < 0) DatabaseError(dbtext::BookmarkNotFound, this);
  FCursor = i;
}

void TMemDataSet::InternalSetToRecord(TRecordBuffer Buffer) {
  int i = IndexOfId(BufferId(Buffer));
  if (i >= 0) FCursor = i;
}

int TMemDataSet::CompareBookmarks(const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2) {
  if (Bookmark1.size() < 4 || Bookmark2.size() < 4) return TDataSet::CompareBookmarks(Bookmark1, Bookmark2);
  std::int32_t a, b;
  std::memcpy(&a, Bookmark1.data(), 4);
  std::memcpy(&b, Bookmark2.data(), 4);
  int ia = IndexOfId(a), ib = IndexOfId(b);
  return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

bool TMemDataSet::BookmarkValid(const TBookmarkStr& Bookmark) {
  if (Bookmark.size() != 4) return false;
  std::int32_t id;
  std::memcpy(&id, Bookmark.data(), 4);
  int i = IndexOfId(id);
  return i >= 0 && !FRecords[static_cast<size_t>(i)].Hidden;
}

void TMemDataSet::InternalInitRecord(TRecordBuffer Buffer) {
  std::memset(Buffer, 0, static_cast<size_t>(FRecordSize + CalcFieldsSize()));
  for (std::string& blob : FBufferBlobs[Buffer]) blob.clear();
}

void TMemDataSet::ClearCalcFields(TRecordBuffer Buffer) {
  std::memset(Buffer + FRecordSize, 0, static_cast<size_t>(CalcFieldsSize()));
}

void TMemDataSet::Fail(int& Failures, const char* What) {
  if (Failures <= 0) return;
  --Failures;
  DatabaseError(String(What) + " failed", this);
}

void TMemDataSet::InternalAddRecord(TRecordBuffer Buffer, bool Append) {
  TRecord r;
  r.Id = FNextId++;
  Store(Buffer, r);
  int at = Append ? StoredCount() : std::clamp(FCursor, 0, StoredCount());
  FRecords.insert(FRecords.begin() + at, std::move(r));
  FCursor = at;
}

void TMemDataSet::InternalPost() {
  HookLog.push_back("Post");
  Fail(PostFailures, "Post");
  if (State() == dsEdit) {
    int i = IndexOfId(BufferId(ActiveBuffer()));
    if (i < 0) DatabaseError(dbtext::RecordNotFound, this);
    Store(ActiveBuffer(), FRecords[static_cast<size_t>(i)]);
    FCursor = i;
    return;
  }
  // The cursor stands on the record the new one goes before (past the end: appended).
  InternalAddRecord(ActiveBuffer(), GetBookmarkFlag(ActiveBuffer()) == bfEOF);
}

void TMemDataSet::InternalEdit() {
  HookLog.push_back("Edit");
  Fail(EditFailures, "Edit");
}

void TMemDataSet::InternalCancel() { HookLog.push_back("Cancel"); }
void TMemDataSet::InternalInsert() { HookLog.push_back("Insert"); }
void TMemDataSet::InternalRefresh() { HookLog.push_back("Refresh"); }

void TMemDataSet::InternalDelete() {
  HookLog.push_back("Delete");
  Fail(DeleteFailures, "Delete");
  if (FCursor < 0 || FCursor >= StoredCount()) DatabaseError(dbtext::RecordNotFound, this);
  FRecords.erase(FRecords.begin() + FCursor);
}

TMemDataSet::TSource TMemDataSet::BufferSource(TRecordBuffer Buffer) {
  if (!Buffer) return {};
  return {Buffer, &FBufferBlobs[Buffer], Buffer + FRecordSize};
}

TMemDataSet::TSource TMemDataSet::RecordSource(int Index) {
  if (Index < 0 || Index >= StoredCount()) return {};
  TRecord& r = FRecords[static_cast<size_t>(Index)];
  return {r.Data.data(), &r.Blobs, nullptr};
}

TMemDataSet::TSource TMemDataSet::SourceFor(bool Writing) {
  switch (State()) {
    case dsBrowse: return Writing || IsEmpty() ? TSource{} : BufferSource(ActiveBuffer());
    case dsEdit:
    case dsInsert:
    case dsNewValue: return BufferSource(ActiveBuffer());
    case dsCalcFields: return BufferSource(CalcBuffer());
    case dsFilter: return RecordSource(FFilterIndex);
    case dsOldValue:
      if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != bfCurrent) return {};
      return RecordSource(IndexOfId(BufferId(ActiveBuffer())));
    default: return {};
  }
}

bool TMemDataSet::GetFieldData(TField* Field, void* Buffer) {
  TSource src = SourceFor(false);
  std::uint8_t* at;
  if (Field->FieldNo() < 1) {
    if (!src.Calc) return false;
    at = src.Calc + Field->Offset();
  } else {
    if (!src.Data) return false;
    at = src.Data + FOffsets[static_cast<size_t>(Field->FieldNo() - 1)];
  }
  if (!at[0]) return false;
  if (Buffer && Field->DataSize() > 0) std::memcpy(Buffer, at + 1, static_cast<size_t>(Field->DataSize()));
  return true;
}

void TMemDataSet::SetFieldData(TField* Field, const void* Buffer) {
  if (!IsWriteState(State())) DatabaseError(dbtext::NotEditing, this);
  TSource src = SourceFor(true);
  std::uint8_t* at;
  if (Field->FieldNo() < 1) {
    if (!src.Calc) return;
    at = src.Calc + Field->Offset();
  } else {
    if (State() == dsCalcFields) DatabaseError(dbtext::NotEditing, this);
    if (Field->GetReadOnly() && State() != dsSetKey && State() != dsFilter)
      DatabaseErrorFmt(dbtext::FieldReadOnly, Field->DisplayName(), this);
    Field->Validate(Buffer);
    if (!src.Data) return;
    at = src.Data + FOffsets[static_cast<size_t>(Field->FieldNo() - 1)];
  }
  at[0] = Buffer ? 1 : 0;
  auto size = static_cast<size_t>(Field->DataSize());
  if (Buffer) std::memcpy(at + 1, Buffer, size);
  else std::memset(at + 1, 0, size);
  if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field));
}

std::unique_ptr<TStream> TMemDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
  if (Mode != bmRead) {
    if (Field->GetReadOnly()) DatabaseErrorFmt(dbtext::FieldReadOnly, Field->DisplayName(), this);
    if (State() != dsEdit && State() != dsInsert) DatabaseError(dbtext::NotEditing, this);
  }
  return std::make_unique<TBlobStream>(this, Field, SourceFor(false), Mode);
}

int TMemDataSet::GetRecordCount() {
  CheckActive();
  int n = 0;
  for (int i = 0; i < StoredCount(); ++i)
    if (Visible(i)) ++n;
  return n;
}

int TMemDataSet::GetRecNo() {
  if (!GetActive() || IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != bfCurrent) return -1;
  int target = IndexOfId(BufferId(ActiveBuffer()));
  int n = 0;
  for (int i = 0; i <= target; ++i)
    if (Visible(i)) ++n;
  return n;
}

void TMemDataSet::SetRecNo(int Value) {
  CheckBrowseMode();
  int n = 0;
  for (int i = 0; i < StoredCount(); ++i) {
    if (!Visible(i) || ++n != Value) continue;
    DoBeforeScroll();
    FCursor = i;
    Resync(TResyncMode{rmCenter});
    DoAfterScroll();
    return;
  }
}

bool TMemDataSet::IsSequenced() {
  if (GetFiltered()) return false;
  for (const TRecord& r : FRecords)
    if (r.Hidden) return false;
  return true;
}

void TMemDataSet::SetFiltered(bool Value) {
  if (GetActive()) CheckBrowseMode();
  TDataSet::SetFiltered(Value);
  if (GetActive()) First();
}

void TMemDataSet::SetHidden(int StoredIndex, bool Hidden) {
  FRecords.at(static_cast<size_t>(StoredIndex)).Hidden = Hidden;
}

String TMemDataSet::StoredText(int StoredIndex, const String& FieldName) const {
  const TRecord& r = FRecords.at(static_cast<size_t>(StoredIndex));
  int def = FieldDefs()->IndexOf(FieldName);
  if (def < 0) DatabaseErrorFmt(dbtext::FieldNotFound, FieldName);
  const std::uint8_t* at = r.Data.data() + FOffsets[static_cast<size_t>(def)];
  if (!at[0]) return {};
  switch (FLayout[static_cast<size_t>(def)]) {
    case ftString: return String(reinterpret_cast<const char*>(at + 1));
    case ftBlob:
    case ftMemo: return r.Blobs[static_cast<size_t>(def)];
    default: return "?";
  }
}

}  // namespace horavox::test
