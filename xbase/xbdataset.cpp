#include "xbase/xbdataset.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "classlib/core/codepage.h"
#include "classlib/core/files.h"
#include "classlib/core/finally.h"
#include "classlib/core/format.h"
#include "classlib/core/stringlist.h"
#include "classlib/core/text.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/filebackend.h"
#include "xbase/names.h"
#include "xbase/tablelink.h"
#include "xbase/xbaliases.h"

HX_PUBLISH(TXBaseDataSet, p) {
  p.Property("About", &TXBaseDataSet::GetAbout, &TXBaseDataSet::SetAbout).Stored(false);
  p.Property("DatabaseName", &TXBaseDataSet::GetDatabaseName, &TXBaseDataSet::SetDatabaseName).Default("");
  p.Property("EncryptionKey", &TXBaseDataSet::GetEncryptionKey, &TXBaseDataSet::SetEncryptionKey).Default("");
  p.Property("ExactCount", &TXBaseDataSet::GetExactCount, &TXBaseDataSet::SetExactCount).Default(false);
  p.Property("Exclusive", &TXBaseDataSet::GetExclusive, &TXBaseDataSet::SetExclusive);
  // Rebuilt from the open tags: not kept in the form.
  p.Property("IndexDefs", &TXBaseDataSet::GetIndexDefs, &TXBaseDataSet::SetIndexDefs).Stored(false);
  p.Property("IndexFiles", &TXBaseDataSet::GetIndexFiles, &TXBaseDataSet::SetIndexFiles);
  p.Property("IndexName", &TXBaseDataSet::GetIndexName, &TXBaseDataSet::SetIndexName).Default("");
  p.Property("LockProtocol", &TXBaseDataSet::GetLockProtocol, &TXBaseDataSet::SetLockProtocol);
  p.Property("MasterFields", &TXBaseDataSet::GetMasterFields, &TXBaseDataSet::SetMasterFields).Default("");
  p.Property("MasterSource", &TXBaseDataSet::GetMasterSource, &TXBaseDataSet::SetMasterSource);
  p.Property("ReadOnly", &TXBaseDataSet::GetReadOnly, &TXBaseDataSet::SetReadOnly).Default(false);
  p.Property("TableName", &TXBaseDataSet::GetTableName, &TXBaseDataSet::SetTableName).Default("");
  p.Property("TranslateASCII", &TXBaseDataSet::GetTranslateASCII, &TXBaseDataSet::SetTranslateASCII);
  p.Property("UseDeleted", &TXBaseDataSet::GetUseDeleted, &TXBaseDataSet::SetUseDeleted);
  p.Property("UserID", &TXBaseDataSet::GetUserID, &TXBaseDataSet::SetUserID);
  p.Event("OnFormula", &TXBaseDataSet::OnFormula);
  p.Event("OnStatus", &TXBaseDataSet::OnStatus);
}

namespace {

constexpr int kBookmarkSize = 11;

// Through the engine's file system, which tests may hold in memory.
bool TableFileExists(const String& Name) { return FileSystem().Exists(FileSystem().FullName(Name)); }
constexpr int kInfoSize = 8;  // record number (4 bytes), a spare byte, the bookmark flag

bool IsBlank(const char* p, int n) {
  for (int i = 0; i < n; ++i)
    if (p[i] != ' ' && p[i] != '\0') return false;
  return true;
}

// The table's record image of a dataset buffer in the table object's record buffer while
// the typed field routines work on it; the table's own record comes back afterwards.
class TRecordSwap {
 public:
  TRecordSwap(XBO_dBHandler& Table, char* Record, bool WriteBack)
      : FTable(Table), FRecord(Record), FWriteBack(WriteBack && Record != Table.Record()) {
    if (FRecord == FTable.Record()) return;
    int n = FTable.RecordLength();
    FSaved.assign(FTable.Record(), static_cast<size_t>(n));
    std::memcpy(FTable.Record(), FRecord, static_cast<size_t>(n));
  }
  ~TRecordSwap() {
    if (FRecord == FTable.Record()) return;
    if (FWriteBack) std::memcpy(FRecord, FTable.Record(), FSaved.size());
    std::memcpy(FTable.Record(), FSaved.data(), FSaved.size());
  }
  TRecordSwap(const TRecordSwap&) = delete;
  TRecordSwap& operator=(const TRecordSwap&) = delete;

 private:
  XBO_dBHandler& FTable;
  char* FRecord;
  bool FWriteBack;
  std::string FSaved;
};

// A date of the table ("yyyymmdd") as the class library's date (TTimeStamp::Date); false
// for blanks, "00000000" and dates that do not exist.
bool StoredDate(std::string_view Text, std::int32_t& Date) {
  std::string t = TrimRight(Text);
  if (t.size() != 8 || t == "00000000") return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  TDateTime dt;
  if (!TryEncodeDate(std::stoi(t.substr(0, 4)), std::stoi(t.substr(4, 2)), std::stoi(t.substr(6, 2)), dt))
    return false;
  Date = DateTimeToTimeStamp(dt).Date;
  return true;
}

std::string DateText(TDateTime Value) {
  int y, m, d;
  DecodeDate(Value, y, m, d);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", y, m, d);
  return text;
}

std::string NumberText(double Value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", Value);
  return text;
}

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The table's fields an expression names, in the order they first appear (function names,
// quoted texts and "alias->" prefixes left out).
std::vector<int> ExpressionFields(XBO_dBaseFld& Table, std::string_view Expr) {
  std::vector<int> fields;
  size_t i = 0;
  while (i < Expr.size()) {
    char c = Expr[i];
    if (c == '"' || c == '\'') {
      size_t end = Expr.find(c, i + 1);
      i = end == std::string_view::npos ? Expr.size() : end + 1;
      continue;
    }
    if (!IsNameChar(c)) {
      ++i;
      continue;
    }
    size_t start = i;
    while (i < Expr.size() && IsNameChar(Expr[i])) ++i;
    std::string_view name = Expr.substr(start, i - start);
    size_t next = i;
    while (next < Expr.size() && Expr[next] == ' ') ++next;
    if (next < Expr.size() && (Expr[next] == '(' || Expr.substr(next, 2) == "->")) continue;
    int n = Table.FieldNumber(name);
    if (n > 0 && std::find(fields.begin(), fields.end(), n) == fields.end()) fields.push_back(n);
  }
  return fields;
}

// The first Terms top-level terms of a key expression (terms join by "+" or "-" outside
// parentheses, brackets and quotes; leading "(" dropped).
std::string LeadingTerms(std::string_view Expr, size_t Terms) {
  while (!Expr.empty() && (Expr.front() == '(' || Expr.front() == ' ')) Expr.remove_prefix(1);
  int depth = 0;
  char quote = 0;
  size_t seen = 0;
  for (size_t i = 0; i < Expr.size(); ++i) {
    char c = Expr[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' || c == '[') {
      ++depth;
    } else if (c == ')' || c == ']') {
      depth = std::max(0, depth - 1);
    } else if ((c == '+' || c == '-') && depth == 0 && ++seen == Terms) {
      return std::string(Expr.substr(0, i));
    }
  }
  return std::string(Expr);
}

// An evaluated key as the text a range or seek takes.
std::string KeyText(const TxbExpValue& V) {
  switch (V.Type) {
    case xbtText: return V.Text;
    case xbtDate: return DateObject().DateStorageText(TxbDBFDate::JulianFromDouble(V.Number));
    case xbtBoolean: return V.Logical ? "T" : "F";
    default: return XbIsNumeric(V.Type) ? NumberText(V.Number) : std::string();
  }
}

}  // namespace

// ---- The table object ----

DBFObject::DBFObject(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password,
                     TXBaseDataSet* DataSet)
    : XBO_dBHandler(FileName, ReadWrite, Shared, Password), FDataSet(DataSet) {}

void DBFObject::SetStatusTargets(std::int32_t a, std::int32_t b, std::int32_t c) {
  XBO_dBHandler::SetStatusTargets(a, b, c);
  if (FDataSet && FDataSet->OnStatus) FDataSet->OnStatus(a, b, c);
}

int DBFObject::Formula(std::string_view Action, std::string_view Name, std::string_view Args,
                       TxbFormulaResult& Result) {
  if (!FDataSet || !FDataSet->OnFormula) return XBO_dBHandler::Formula(Action, Name, Args, Result);
  bool handled = false;
  // Field values read inside the event come from this record.
  TDataSetState saved = FDataSet->SetTempState(dsFilter);
  TFinally restore([this, saved] { FDataSet->RestoreState(saved); });
  FDataSet->OnFormula(String(Action), String(Name), String(Args), Result, handled);
  return handled ? 0 : -1;
}

bool DBFObject::RecordFilterTest() {
  if (!XBO_dBHandler::RecordFilterTest()) return false;
  if (!FDataSet || !FDataSet->GetActive() || !FDataSet->GetFiltered() || !FDataSet->OnFilterRecord) return true;
  bool accept = true;
  TDataSetState saved = FDataSet->SetTempState(dsFilter);
  TFinally restore([this, saved] { FDataSet->RestoreState(saved); });
  FDataSet->OnFilterRecord(FDataSet, accept);
  return accept;
}

// ---- Construction ----

TXBaseDataSet::TXBaseDataSet(TComponent* AOwner)
    : TDataSet(AOwner),
      FMasterLink(std::make_unique<TMasterDataLink>(this)),
      FIndexDefs(std::make_unique<TIndexDefs>(this)) {
  FMasterLink->OnMasterChange = [this](TObject* Sender) { MasterChanged(Sender); };
  FMasterLink->OnMasterDisable = [this](TObject* Sender) { MasterDisabled(Sender); };
  GetIndexFiles();
}

TXBaseDataSet::~TXBaseDataSet() {
  Destroying();
  Close();
  FMasterLink->SetDataSource(nullptr);
}

String TXBaseDataSet::GetAbout() const { return "XBase dataset 1.0"; }

// ---- Properties ----

void TXBaseDataSet::SetDatabaseName(const String& Value) {
  CheckInactive();
  FDatabaseName = RegisterDatabaseName(Value);
  DataEvent(dePropertyChange, 0);
}

void TXBaseDataSet::SetTableName(const String& Value) {
  CheckInactive();
  if (Value == FTableName) return;
  FTableName = Value;
  TComponentState state = ComponentState();
  if (!state.Contains(csReading) && !state.Contains(csLoading) && !state.Contains(csDesigning)) {
    FIgnoreIndexChanges = true;
    TFinally done([this] { FIgnoreIndexChanges = false; });
    GetIndexFiles()->Clear();
  }
  DataEvent(dePropertyChange, 0);
}

void TXBaseDataSet::SetEncryptionKey(const String& Value) {
  CheckInactive();
  FEncryptionKey = Value;
}

void TXBaseDataSet::SetExclusive(bool Value) { FExclusive = Value; }

void TXBaseDataSet::SetIndexDefs(TIndexDefs* Value) { FIndexDefs->Assign(Value); }

TStrings* TXBaseDataSet::GetIndexFiles() const {
  if (!FIndexFiles) {
    FIndexFiles = std::make_unique<TStringList>();
    auto* self = const_cast<TXBaseDataSet*>(this);
    FIndexFiles->OnChange = [self](TObject* Sender) { self->IndexFilesChanged(Sender); };
  }
  return FIndexFiles.get();
}

void TXBaseDataSet::SetIndexFiles(TStrings* Value) {
  {
    FIgnoreIndexChanges = true;
    TFinally done([this] { FIgnoreIndexChanges = false; });
    GetIndexFiles()->Assign(Value);
  }
  if (GetActive()) OpenIndexFiles(false);
}

void TXBaseDataSet::IndexFilesChanged(TObject*) {
  TComponentState state = ComponentState();
  if (FIgnoreIndexChanges || state.Contains(csReading) || state.Contains(csLoading)) return;
  if (FHandler) {
    OpenIndexFiles(true);
  } else if (!FTableName.empty() && !GetActive()) {
    // Tried at once, so a missing file is reported where it was named.
    Open();
    Close();
  }
}

void TXBaseDataSet::SetIndexName(const String& Value) {
  if (ComponentState().Contains(csReading) || !FHandler) {
    FIndexName = Value;
    return;
  }
  if (GetActive()) CheckBrowseMode();
  String old = FIndexName;
  FIndexName = Value;
  try {
    SelectIndexName();
  } catch (...) {
    FIndexName = old;
    throw;
  }
}

void TXBaseDataSet::SetLockProtocol(TxbLokProtocol Value) {
  FLockProtocol = Value;
  if (FHandler) FHandler->SetLockProtocol(Value);
}

const String& TXBaseDataSet::GetMasterFields() const { return FMasterLink->GetFieldNames(); }

void TXBaseDataSet::SetMasterFields(const String& Value) { FMasterLink->SetFieldNames(Value); }

TDataSource* TXBaseDataSet::GetMasterSource() const { return FMasterLink->GetDataSource(); }

void TXBaseDataSet::SetMasterSource(TDataSource* Value) {
  // A source whose chain of masters comes back here would make a circle.
  TDataSource* s = Value;
  for (int guard = 0; s && guard < 1000; ++guard) {
    TDataSet* ds = s->GetDataSet();
    if (ds == this) DatabaseError(dbtext::CircularDataLink, this);
    s = ds ? ds->GetDataSource() : nullptr;
  }
  if (TDataSource* old = FMasterLink->GetDataSource()) old->RemoveFreeNotification(this);
  FMasterLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
}

TDataSource* TXBaseDataSet::GetDataSource() const { return FMasterLink->GetDataSource(); }

void TXBaseDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TDataSet::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMasterLink->GetDataSource()) FMasterLink->SetDataSource(nullptr);
}

void TXBaseDataSet::SetReadOnly(bool Value) {
  // An open table can leave read-only only when it was opened for writing.
  FReadOnly = GetActive() ? !(!Value && FOpenedReadWrite) : Value;
}

void TXBaseDataSet::SetTranslateASCII(bool Value) {
  FTranslateASCII = Value;
  // Expressions fold case by the code page the texts are in.
  if (FHandler) FHandler->SetCodePage(Value ? TxbCodePage::cp866 : TxbCodePage::cp1251);
}

void TXBaseDataSet::SetUseDeleted(bool Value) {
  FUseDeleted = Value;
  if (FHandler) FHandler->SetUseDeleted(Value);
}

void TXBaseDataSet::SetUserID(std::int32_t Value) {
  FUserID = Value;
  if (FHandler) FHandler->SetUserID(Value);
}

void TXBaseDataSet::Loaded() { TDataSet::Loaded(); }

// ---- Opening and closing ----

String TXBaseDataSet::FullTableName() const {
  return AliasFolder(FDatabaseName) + xbase::DefaultExtension(FTableName, ".DBF");
}

std::unique_ptr<DBFObject> TXBaseDataSet::CreateHandler() {
  if (FTableName.empty()) DatabaseError(STableNameMissing, this);
  String name = FullTableName();
  if (!TableFileExists(name)) DatabaseErrorFmt(SCannotFindFile, name, this);
  return std::make_unique<DBFObject>(name, !FReadOnly, !FExclusive, FEncryptionKey, this);
}

void TXBaseDataSet::BuildFieldDefs(DBFObject& Table) {
  FieldDefs()->Clear();
  FTableFields.clear();
  for (int n = 1; n <= Table.FieldCount(); ++n) {
    TFieldType type = ftUnknown;
    int size = 0;
    int length = Table.FieldLength(n);
    switch (Table.FieldType(n)) {
      case 'B':
      case 'G': type = ftBlob; break;
      case 'C':
        type = ftString;
        size = std::min(length, 65535);
        break;
      case 'D': type = ftDate; break;
      case 'F':
      case 'N':
        // Ten digits and more need a double: an int32 would wrap.
        if (Table.FieldDecimals(n) > 0 || length >= 10) type = ftFloat;
        else type = length < 5 ? ftSmallint : ftInteger;
        break;
      case 'I': type = ftInteger; break;
      case 'L': type = ftBoolean; break;
      case 'M': type = ftMemo; break;
      case 'T': type = ftDateTime; break;
      default: continue;  // a type the dataset cannot show
    }
    FieldDefs()->Add(Table.FieldName(n), type, size, false);
    FTableFields.push_back(n);
  }
}

void TXBaseDataSet::InternalInitFieldDefs() {
  if (FHandler) {
    BuildFieldDefs(*FHandler);
    return;
  }
  if (FTableName.empty()) DatabaseError(STableNameMissing, this);
  String name = FullTableName();
  if (!TableFileExists(name)) DatabaseErrorFmt(SCannotFindFile, name, this);
  DBFObject table(name, false, true, FEncryptionKey, nullptr);
  BuildFieldDefs(table);
}

void TXBaseDataSet::InternalOpen() {
  FHandler = CreateHandler();
  DBFObject& h = *FHandler;
  SetTranslateASCII(FTranslateASCII);
  h.SetUseDeleted(FUseDeleted);
  h.SwitchReadAhead(false);
  h.SetLockProtocol(FLockProtocol);
  h.SetUserID(FUserID);
  FOpenedReadWrite = !FReadOnly;
  FEditLocked = false;
  InternalInitFieldDefs();
  if (DefaultFields()) CreateFields();
  BindFields(true);
  FRecordSize = h.RecordLength();
  FInfoOffset = FRecordSize + CalcFieldsSize();
  FBookmarkOffset = FInfoOffset + kInfoSize;
  SetBookmarkSize(kBookmarkSize);
  UpdateIndexDefs();
  OpenIndexFiles(false);
  if (GetFiltered()) {
    h.SetFilterWanted(true);
    h.SetFilterExpression(Translate(GetFilterText(), true), GetFilterOptions().Contains(foCaseInsensitive),
                          !GetFilterOptions().Contains(foNoPartialCompare));
  }
  FFirstPending = true;
  FLastPending = false;
}

void TXBaseDataSet::InternalClose() {
  BindFields(false);
  if (DefaultFields()) DestroyFields();
  if (FHandler && FEditLocked) FHandler->Unlock();
  FEditLocked = false;
  FHandler.reset();
  FPendingBlobs.clear();
}

void TXBaseDataSet::CheckActive() {
  if (FUpdatingIndexDefs) return;
  TDataSet::CheckActive();
}

// ---- Index files and tags ----

void TXBaseDataSet::OpenIndexFiles(bool ReportRepeats) {
  if (!FHandler) return;
  DBFObject& h = *FHandler;
  FIndexDefs->Clear();
  h.CloseIndexFiles();
  String folder = ExtractFilePath(h.FileName());
  std::vector<String> opened;
  bool any = false;
  for (int i = 0; i < GetIndexFiles()->Count(); ++i) {
    String name = Trim(StringReplace(GetIndexFiles()->Get(i), "\"", "", rfReplaceAll));
    if (name.empty()) continue;
    any = true;
    if (ExtractFileExt(name).empty()) name += ".NDX";
    if (ExtractFilePath(name).empty()) name = folder + name;
    if (!TableFileExists(name)) DatabaseErrorFmt(SCannotFindFile, name, this);
    int result = h.IndexOpen(name);
    // The production index opened with the table answers "already open" too: only a file
    // named twice in the list is a repeat.
    bool repeat = false;
    for (const String& o : opened) repeat = repeat || AnsiSameText(o, name);
    if (result == -1 && repeat && ReportRepeats) DatabaseErrorFmt(SIndexAlreadyOpen, name, this);
    if (result != 0 && result != -1) DatabaseErrorFmt(SErrorGetting, name, this);
    opened.push_back(name);
  }
  UpdateIndexDefs();
  if (!any) FIndexName.clear();
  SelectIndexName();
}

void TXBaseDataSet::SelectIndexName() {
  if (!FHandler) return;
  DBFObject& h = *FHandler;
  std::int32_t current = GetActive() && !IsEmpty() ? BufferRecNo(ActiveBuffer()) : 0;
  h.SetMasterTag(FIndexName, true);
  if (GetActive() && current >= 1) h.Go(current);
  ApplyMasterRange();
  if (GetActive() && !(h.Eof() && h.Bof())) {
    FFirstPending = FLastPending = false;
    Resync(TResyncMode{rmCenter});
    DoAfterScroll();
  }
}

void TXBaseDataSet::UpdateIndexDefs() {
  FUpdatingIndexDefs = true;
  TFinally done([this] { FUpdatingIndexDefs = false; });
  FIndexDefs->Clear();
  if (!FHandler) return;
  for (int n = 1; n <= FHandler->TagCount(); ++n) {
    XBobjIndexTag* tag = FHandler->TagByNumber(n);
    if (!tag) continue;
    const std::string& expr = tag->KeyExpression();
    TIndexOptions options;
    if (tag->Descending()) options.Include(ixDescending);
    if (tag->Unique()) options.Include(ixUnique);
    TIndexDef* def;
    if (expr.find('(') != std::string::npos) {
      options.Include(ixExpression);
      def = FIndexDefs->Add(tag->Name(), expr, options);
    } else {
      std::string fields;
      for (char c : expr) {
        if (c == '+' || c == '-') fields += ';';
        else if (c != ' ') fields += c;
      }
      def = FIndexDefs->Add(tag->Name(), fields, options);
    }
    def->SetExpression(expr);
  }
}

XBobjIndexTag* TXBaseDataSet::TagForFields(const String& KeyFields) const {
  if (!FHandler) return nullptr;
  for (int n = 1; n <= FHandler->TagCount(); ++n) {
    XBobjIndexTag* tag = FHandler->TagByNumber(n);
    if (tag && !tag->HasFor() && AnsiSameText(Trim(tag->KeyExpression()), Trim(KeyFields))) return tag;
  }
  return nullptr;
}

// ---- Buffers and bookmarks ----

TRecordBuffer TXBaseDataSet::AllocRecordBuffer() {
  return new std::uint8_t[static_cast<size_t>(FBookmarkOffset + kBookmarkSize)]();
}

void TXBaseDataSet::FreeRecordBuffer(TRecordBuffer& Buffer) {
  FPendingBlobs.erase(Buffer);
  delete[] Buffer;
  Buffer = nullptr;
}

std::int32_t TXBaseDataSet::BufferRecNo(TRecordBuffer Buffer) const {
  std::int32_t recno;
  std::memcpy(&recno, Buffer + FInfoOffset, 4);
  return recno;
}

void TXBaseDataSet::SetBufferRecNo(TRecordBuffer Buffer, std::int32_t RecNo) {
  std::memcpy(Buffer + FInfoOffset, &RecNo, 4);
  char text[16];
  std::snprintf(text, sizeof text, "%10d", static_cast<int>(RecNo));
  Buffer[FBookmarkOffset] = 10;
  std::memcpy(Buffer + FBookmarkOffset + 1, text, 10);
}

void TXBaseDataSet::GetBookmarkData(TRecordBuffer Buffer, void* Data) {
  std::memcpy(Data, Buffer + FBookmarkOffset, kBookmarkSize);
}

namespace {
std::int32_t BookmarkRecNo(const void* Data) {
  auto* b = static_cast<const char*>(Data);
  if (static_cast<unsigned char>(b[0]) != 10) return 0;
  std::string text = Trim(std::string_view(b + 1, 10));
  if (text.empty()) return 0;
  for (char c : text)
    if (c < '0' || c > '9') return 0;
  return static_cast<std::int32_t>(std::min(std::stoll(text), 2147483647LL));
}
}  // namespace

void TXBaseDataSet::SetBookmarkData(TRecordBuffer Buffer, const void* Data) {
  std::memcpy(Buffer + FBookmarkOffset, Data, kBookmarkSize);
  std::int32_t recno = BookmarkRecNo(Data);
  std::memcpy(Buffer + FInfoOffset, &recno, 4);
}

TBookmarkFlag TXBaseDataSet::GetBookmarkFlag(TRecordBuffer Buffer) {
  return static_cast<TBookmarkFlag>(Buffer[FInfoOffset + 5]);
}

void TXBaseDataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
  Buffer[FInfoOffset + 5] = static_cast<std::uint8_t>(Value);
}

void TXBaseDataSet::InternalGotoBookmark(const void* Bookmark) {
  std::int32_t recno = BookmarkRecNo(Bookmark);
  if (recno < 1) DatabaseError(String(SBadBookmark) + FTableName, this);
  FFirstPending = FLastPending = false;
  FHandler->Go(recno);
}

void TXBaseDataSet::InternalSetToRecord(TRecordBuffer Buffer) {
  std::int32_t recno = BufferRecNo(Buffer);
  if (recno < 1) return;
  FFirstPending = FLastPending = false;
  FHandler->Go(recno);
}

bool TXBaseDataSet::BookmarkValid(const TBookmarkStr& Bookmark) {
  if (!FHandler || Bookmark.size() != static_cast<size_t>(kBookmarkSize)) return false;
  std::int32_t recno = BookmarkRecNo(Bookmark.data());
  return recno >= 1 && recno <= FHandler->LiveRecordCount();
}

void TXBaseDataSet::InternalFirst() {
  FFirstPending = true;
  FLastPending = false;
}

void TXBaseDataSet::InternalLast() {
  FHandler->Go(xbGoBottom);
  FLastPending = true;
  FFirstPending = false;
}

TGetResult TXBaseDataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
  DBFObject& h = *FHandler;
  switch (GetMode) {
    case gmCurrent:
      if (FFirstPending || FLastPending) {
        if (DoCheck) DatabaseError(SBeyondRange, this);
        return grError;
      }
      h.Go(xbGoAgain);
      break;
    case gmNext:
      h.Go(FFirstPending ? xbGoTop : xbGoNext);
      FFirstPending = false;
      break;
    case gmPrior:
      h.Go(FLastPending ? xbGoBottom : xbGoPrior);
      FLastPending = false;
      break;
  }
  TGetResult result = h.Eof() ? grEOF : (h.Bof() ? grBOF : grOK);
  if (result != grOK) {
    if (GetMode == gmCurrent && DoCheck) DatabaseError(SBeyondRange, this);
    return result;
  }
  std::memcpy(Buffer, h.Record(), static_cast<size_t>(FRecordSize));
  FPendingBlobs.erase(Buffer);
  SetBufferRecNo(Buffer, h.RecNo());
  SetBookmarkFlag(Buffer, bfCurrent);
  GetCalcFields(Buffer);
  return grOK;
}

bool TXBaseDataSet::GetCurrentRecord(TRecordBuffer Buffer) {
  if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != bfCurrent) return false;
  UpdateCursorPos();
  std::memcpy(Buffer, ActiveBuffer(), static_cast<size_t>(FBookmarkOffset + kBookmarkSize));
  return true;
}

int TXBaseDataSet::GetRecNo() {
  if (!GetActive()) return 0;
  TRecordBuffer buffer = State() == dsCalcFields ? CalcBuffer() : (IsEmpty() ? nullptr : ActiveBuffer());
  return buffer ? BufferRecNo(buffer) : 0;
}

void TXBaseDataSet::SetRecNo(int Value) {
  CheckBrowseMode();
  DoBeforeScroll();
  FFirstPending = FLastPending = false;
  FHandler->Go(Value);
  Resync(TResyncMode{rmCenter});
  DoAfterScroll();
}

int TXBaseDataSet::GetRecordCount() {
  CheckActive();
  DBFObject& h = *FHandler;
  if (!FExactCount) return h.LiveRecordCount();
  std::int32_t where = h.RecNo();
  int count = 0;
  h.Go(xbGoTop);
  while (!h.Eof() && !(h.Bof() && h.Eof())) {
    ++count;
    h.Go(xbGoNext);
  }
  if (where >= 1 && where <= h.RecordCount()) h.Go(where);
  return count;
}

bool TXBaseDataSet::IsSequenced() {
  if (GetFiltered()) return false;
  if (FHandler) return FHandler->IsSequenced();
  return FIndexName.empty() && FUseDeleted;
}

bool TXBaseDataSet::GetCanModify() { return !FReadOnly; }

// ---- Field values ----

int TXBaseDataSet::TableField(TField* Field) const {
  int def = Field->FieldNo() - 1;
  return def >= 0 && def < static_cast<int>(FTableFields.size()) ? FTableFields[static_cast<size_t>(def)] : 0;
}

char* TXBaseDataSet::ReadSource() {
  switch (State()) {
    case dsBrowse: return IsEmpty() ? nullptr : reinterpret_cast<char*>(ActiveBuffer());
    case dsEdit:
    case dsInsert:
    case dsNewValue: return reinterpret_cast<char*>(ActiveBuffer());
    case dsCalcFields: return reinterpret_cast<char*>(CalcBuffer());
    case dsFilter: return FHandler->Record();
    case dsOldValue:
      if (FEditLocked) return const_cast<char*>(FHandler->OriginalRecord());
      return IsEmpty() ? nullptr : reinterpret_cast<char*>(ActiveBuffer());
    default: return nullptr;
  }
}

char* TXBaseDataSet::WriteTarget() {
  switch (State()) {
    case dsEdit:
    case dsInsert:
    case dsSetKey:
    case dsNewValue:
    case dsInternalCalc: return reinterpret_cast<char*>(ActiveBuffer());
    case dsCalcFields: return reinterpret_cast<char*>(CalcBuffer());
    case dsFilter: return FHandler->Record();
    default: return nullptr;
  }
}

const std::string* TXBaseDataSet::PendingBlob(const void* Buffer, int FieldNo) const {
  auto b = FPendingBlobs.find(Buffer);
  if (b == FPendingBlobs.end()) return nullptr;
  auto f = b->second.find(FieldNo);
  return f == b->second.end() ? nullptr : &f->second;
}

bool TXBaseDataSet::GetFieldData(TField* Field, void* Buffer) {
  if (!FHandler || (State() == dsBrowse && IsEmpty())) return false;
  char* record = ReadSource();
  if (!record) return false;
  if (Field->FieldNo() < 1) {
    if (State() != dsBrowse && State() != dsEdit && State() != dsInsert && State() != dsCalcFields) return false;
    const char* at = record + FRecordSize + Field->Offset();
    if (!at[0]) return false;
    if (Buffer) std::memcpy(Buffer, at + 1, static_cast<size_t>(Field->DataSize()));
    return true;
  }
  DBFObject& h = *FHandler;
  int n = TableField(Field);
  if (n < 1) return false;
  if (Buffer && Field->DataSize() > 0) std::memset(Buffer, 0, static_cast<size_t>(Field->DataSize()));
  const char* raw = record + h.FieldOffset(n);
  int length = h.FieldLength(n);
  bool binary = h.Version() == 0x30 && std::strchr("IBTYGM", h.FieldType(n)) != nullptr;
  switch (Field->DataType()) {
    case ftString: {
      int size = std::min(length, Field->GetSize());
      while (size > 0 && (raw[size - 1] == ' ' || raw[size - 1] == '\0')) --size;
      if (size == 0) return false;
      if (Buffer) std::memcpy(Buffer, raw, static_cast<size_t>(size));
      return true;
    }
    case ftSmallint:
    case ftInteger:
    case ftFloat: {
      if (!binary && IsBlank(raw, length)) return false;
      double v;
      {
        TRecordSwap swap(h, record, false);
        v = h.GetNumber(n);
      }
      if (!Buffer) return true;
      if (Field->DataType() == ftFloat) {
        std::memcpy(Buffer, &v, 8);
      } else if (Field->DataType() == ftSmallint) {
        auto i = static_cast<std::int16_t>(std::lround(v));
        std::memcpy(Buffer, &i, 2);
      } else {
        auto i = static_cast<std::int32_t>(std::llround(v));
        std::memcpy(Buffer, &i, 4);
      }
      return true;
    }
    case ftBoolean: {
      if (raw[0] == ' ' || raw[0] == '?' || raw[0] == '\0') return false;
      std::int16_t b = IsTrueLetter(raw[0]) ? 1 : 0;
      if (Buffer) std::memcpy(Buffer, &b, 2);
      return true;
    }
    case ftDate: {
      std::int32_t date;
      if (!StoredDate(std::string_view(raw, static_cast<size_t>(length)), date)) return false;
      if (Buffer) std::memcpy(Buffer, &date, 4);
      return true;
    }
    case ftDateTime: {
      TDateTime dt;
      if (binary) {
        if (IsBlank(raw, 8)) return false;
        std::int32_t julian = static_cast<std::int32_t>(GetLE32(raw));
        if (!TxbDBFDate::IsValidJulian(julian)) return false;
        dt = DateObject().JulianToDateTime(julian) + GetLE32(raw + 4) / 86400000.0;
      } else {
        std::string text = Trim(std::string_view(raw, static_cast<size_t>(length)));
        std::int32_t date;
        if (!StoredDate(text.substr(0, 8), date)) return false;
        dt = TimeStampToDateTime({0, date});
        int hh = 0, mm = 0, ss = 0;
        if (text.size() >= 14 && std::sscanf(text.c_str() + 8, "%2d%2d%2d", &hh, &mm, &ss) == 3)
          dt += (hh * 3600 + mm * 60 + ss) / 86400.0;
      }
      double ms = TimeStampToMSecs(DateTimeToTimeStamp(dt));
      if (Buffer) std::memcpy(Buffer, &ms, 8);
      return true;
    }
    case ftBlob:
    case ftMemo: {
      if (const std::string* pending = PendingBlob(record, Field->FieldNo())) return !pending->empty();
      if (!binary && IsBlank(raw, length)) return false;
      TRecordSwap swap(h, record, false);
      return h.GetNumber(n) >= 1;
    }
    default: return false;
  }
}

void TXBaseDataSet::SetFieldData(TField* Field, const void* Buffer) {
  if (!IsWriteState(State())) DatabaseError(SNotEditing, this);
  if (State() == dsSetKey && Field->FieldNo() >= 1) {
    XBobjIndexTag* tag = FHandler ? FHandler->MasterTag() : nullptr;
    std::vector<int> keyFields = tag ? ExpressionFields(*FHandler, tag->KeyExpression()) : std::vector<int>();
    if (std::find(keyFields.begin(), keyFields.end(), TableField(Field)) == keyFields.end())
      DatabaseErrorFmt(dbtext::NotIndexField, Field->DisplayName(), this);
  }
  char* record = WriteTarget();
  if (Field->FieldNo() < 1) {
    if (!record || State() == dsFilter) return;
    char* at = record + FRecordSize + Field->Offset();
    at[0] = Buffer ? 1 : 0;
    auto size = static_cast<size_t>(Field->DataSize());
    if (Buffer) std::memcpy(at + 1, Buffer, size);
    else std::memset(at + 1, 0, size);
  } else {
    if (State() == dsCalcFields) DatabaseError(SNotEditing, this);
    if (Field->GetReadOnly() && State() != dsSetKey && State() != dsFilter)
      DatabaseErrorFmt(dbtext::FieldReadOnly, Field->DisplayName(), this);
    Field->Validate(Buffer);
    DBFObject& h = *FHandler;
    int n = TableField(Field);
    if (!record || n < 1) return;
    char* raw = record + h.FieldOffset(n);
    int length = h.FieldLength(n);
    bool binary = h.Version() == 0x30 && std::strchr("IBTYGM", h.FieldType(n)) != nullptr;
    switch (Field->DataType()) {
      case ftString: {
        std::memset(raw, ' ', static_cast<size_t>(length));
        if (Buffer) {
          auto* text = static_cast<const char*>(Buffer);
          std::memcpy(raw, text, std::min(std::strlen(text), static_cast<size_t>(length)));
        }
        break;
      }
      case ftSmallint:
      case ftInteger:
      case ftFloat: {
        double v = 0;
        if (Buffer) {
          if (Field->DataType() == ftFloat) {
            std::memcpy(&v, Buffer, 8);
          } else if (Field->DataType() == ftSmallint) {
            std::int16_t i;
            std::memcpy(&i, Buffer, 2);
            v = i;
          } else {
            std::int32_t i;
            std::memcpy(&i, Buffer, 4);
            v = i;
          }
        }
        TRecordSwap swap(h, record, true);
        h.PutNumber(n, v);
        break;
      }
      case ftBoolean: {
        std::int16_t b = 0;
        if (Buffer) std::memcpy(&b, Buffer, 2);
        raw[0] = !Buffer ? ' ' : (b ? 'T' : 'F');
        break;
      }
      case ftDate: {
        std::memset(raw, ' ', static_cast<size_t>(length));
        if (Buffer) {
          std::int32_t date;
          std::memcpy(&date, Buffer, 4);
          std::string text = DateText(TimeStampToDateTime({0, date}));
          std::memcpy(raw, text.data(), std::min<size_t>(text.size(), static_cast<size_t>(length)));
        }
        break;
      }
      case ftDateTime: {
        if (!Buffer) {
          std::memset(raw, binary ? 0 : ' ', static_cast<size_t>(length));
          break;
        }
        double ms;
        std::memcpy(&ms, Buffer, 8);
        TDateTime dt = TimeStampToDateTime(MSecsToTimeStamp(ms));
        if (binary) {
          PutLE32(raw, static_cast<std::uint32_t>(DateObject().DateTimeToJulian(dt)));
          PutLE32(raw + 4, static_cast<std::uint32_t>(MSecsToTimeStamp(ms).Time));
        } else {
          int hh, mm, ss, msec;
          DecodeTime(dt, hh, mm, ss, msec);
          char text[16];
          std::snprintf(text, sizeof text, "%02d%02d%02d", hh, mm, ss);
          std::string all = DateText(dt) + text;
          std::memset(raw, ' ', static_cast<size_t>(length));
          std::memcpy(raw, all.data(), std::min<size_t>(all.size(), static_cast<size_t>(length)));
        }
        break;
      }
      default: break;
    }
  }
  if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field));
}

void TXBaseDataSet::ClearCalcFields(TRecordBuffer Buffer) {
  std::memset(Buffer + FRecordSize, 0, static_cast<size_t>(CalcFieldsSize()));
}

std::string TXBaseDataSet::Translate(std::string_view Src, bool ToStorage, std::size_t MaxBytes) {
  if (!ToStorage) return FTranslateASCII ? Cp866ToUtf8(Src) : Cp1251ToUtf8(Src);
  // One byte per character: cutting the stored bytes cuts at a character boundary.
  std::string stored = FTranslateASCII ? Utf8ToCp866(Src) : Utf8ToCp1251(Src);
  if (stored.size() > MaxBytes) stored.resize(MaxBytes);
  return stored;
}

// ---- Editing ----

void TXBaseDataSet::ReleaseEditLock() {
  if (!FEditLocked) return;
  FEditLocked = false;
  FHandler->Unlock();
}

void TXBaseDataSet::InternalInitRecord(TRecordBuffer Buffer) {
  DBFObject& h = *FHandler;
  {
    TRecordSwap swap(h, reinterpret_cast<char*>(Buffer), true);
    h.BlankRecord();
  }
  FPendingBlobs.erase(Buffer);
  SetBufferRecNo(Buffer, 0);
}

void TXBaseDataSet::InternalEdit() {
  DBFObject& h = *FHandler;
  std::int32_t recno = BufferRecNo(ActiveBuffer());
  h.Go(recno);
  if (!h.LockRecord()) DatabaseError(SRecordLocked, this);
  FEditLocked = true;
  try {
    // Read again under the lock: what another user wrote meanwhile is edited, not lost.
    h.Go(recno);
  } catch (...) {
    ReleaseEditLock();
    throw;
  }
  std::memcpy(ActiveBuffer(), h.Record(), static_cast<size_t>(FRecordSize));
  FPendingBlobs.erase(ActiveBuffer());
}

void TXBaseDataSet::WritePendingBlobs(TRecordBuffer Buffer) {
  auto b = FPendingBlobs.find(Buffer);
  if (b == FPendingBlobs.end()) return;
  DBFObject& h = *FHandler;
  for (const auto& [fieldNo, data] : b->second) {
    int n = fieldNo - 1 < static_cast<int>(FTableFields.size()) ? FTableFields[static_cast<size_t>(fieldNo - 1)] : 0;
    if (n >= 1) h.MemoWrite(n, data);
  }
}

void TXBaseDataSet::InternalPost() {
  DBFObject& h = *FHandler;
  TRecordBuffer b = ActiveBuffer();
  if (State() == dsEdit) {
    // The record this buffer was read from: the table object may stand elsewhere by now.
    std::int32_t recno = BufferRecNo(b);
    h.Go(recno);
    std::memcpy(h.Record(), b, static_cast<size_t>(FRecordSize));
    WritePendingBlobs(b);
    h.PutRec(recno);
  } else {
    InternalAddRecord(b, true);  // the insert position is not kept: the record goes last
    return;
  }
  FPendingBlobs.erase(b);
  ReleaseEditLock();
  FFirstPending = FLastPending = false;
}

void TXBaseDataSet::InternalAddRecord(TRecordBuffer Buffer, bool) {
  DBFObject& h = *FHandler;
  std::memcpy(h.Record(), Buffer, static_cast<size_t>(FRecordSize));
  h.Record()[0] = ' ';
  WritePendingBlobs(Buffer);
  h.Append();
  FPendingBlobs.erase(Buffer);
  ReleaseEditLock();
  FFirstPending = FLastPending = false;
}

void TXBaseDataSet::InternalCancel() {
  FPendingBlobs.erase(ActiveBuffer());
  ReleaseEditLock();
}

// Marks the active record deleted or takes the mark away, under the record's lock on a
// shared table; deleted records are shown meanwhile, so the table object stays on it.
void TXBaseDataSet::MarkRecord(bool Deleted) {
  DBFObject& h = *FHandler;
  std::int32_t recno = BufferRecNo(ActiveBuffer());
  bool shown = h.UseDeleted();
  h.SetUseDeleted(true);
  TFinally restore([&h, shown] { h.SetUseDeleted(shown); });
  h.Go(recno);
  bool locked = h.Shared() && !FEditLocked;
  if (locked && !h.LockRecord()) DatabaseError(SRecordLocked, this);
  TFinally unlock([&h, locked] {
    if (locked) h.Unlock();
  });
  if (locked) h.Go(recno);
  if (Deleted) h.DeleteRecord();
  else h.RecallRecord();
}

void TXBaseDataSet::InternalDelete() {
  MarkRecord(true);
  ReleaseEditLock();
  FFirstPending = FLastPending = false;
  FHandler->Go(xbGoAgain);
  if (FHandler->Eof()) FHandler->Go(xbGoPrior);
}

void TXBaseDataSet::Undelete() {
  CheckActive();
  CheckBrowseMode();
  if (IsEmpty()) return;
  MarkRecord(false);
  FFirstPending = FLastPending = false;
  Resync(TResyncMode());
}

void TXBaseDataSet::InternalRefresh() {
  DBFObject& h = *FHandler;
  if (!IsEmpty() && BufferRecNo(ActiveBuffer()) >= 1) h.Go(BufferRecNo(ActiveBuffer()));
  FFirstPending = FLastPending = false;
  h.RefreshFilter();
}

void TXBaseDataSet::DoAfterInsert() {
  // The new record goes to the end of the table, wherever it was inserted.
  if (FHandler) {
    FHandler->SetEof(true);
    FHandler->SetBof(false);
  }
  TDataSet::DoAfterInsert();
}

void TXBaseDataSet::PackTable() {
  CheckActive();
  CheckBrowseMode();
  FHandler->SwitchReadAhead(false);
  FHandler->Pack();
  First();
}

// ---- Filters ----

void TXBaseDataSet::ApplyFilter() {
  CheckBrowseMode();
  FHandler->SetFilterWanted(true);
  FHandler->SetFilterExpression(Translate(GetFilterText(), true), GetFilterOptions().Contains(foCaseInsensitive),
                                !GetFilterOptions().Contains(foNoPartialCompare));
  First();
}

void TXBaseDataSet::SetFilterText(const String& Value) {
  TDataSet::SetFilterText(Value);
  if (GetActive() && GetFiltered()) ApplyFilter();
}

void TXBaseDataSet::SetFilterOptions(TFilterOptions Value) {
  TDataSet::SetFilterOptions(Value);
  if (GetActive() && GetFiltered()) ApplyFilter();
}

void TXBaseDataSet::SetFiltered(bool Value) {
  if (!GetActive()) {
    TDataSet::SetFiltered(Value);
    return;
  }
  CheckBrowseMode();
  TDataSet::SetFiltered(Value);
  FHandler->SetFilterWanted(Value);
  if (Value) ApplyFilter();
  else First();
}

// ---- Searching ----

std::string TXBaseDataSet::EngineText(const TVariant& Value) {
  switch (Value.VarType()) {
    case varEmpty:
    case varNull: return {};
    case varBoolean: return Value.AsBoolean() ? "T" : "F";
    case varInteger: return std::to_string(Value.AsInteger());
    case varDouble: return NumberText(Value.AsFloat());
    case varDate: return DateText(Value.AsDateTime());
    case varArray: {
      std::string text;
      for (int i = 0; i < Value.ArrayCount(); ++i) text += EngineText(Value.Item(i));
      return text;
    }
    default: return Translate(Value.AsString(), true);
  }
}

std::int32_t TXBaseDataSet::FindRecord(const String& KeyFields, const TVariant& KeyValues, bool CaseInsensitive,
                                       bool Partial, bool ForLookup) {
  DBFObject& h = *FHandler;
  std::int32_t back = BufferRecNo(ActiveBuffer());
  std::string text = EngineText(KeyValues);
  if (XBobjIndexTag* tag = CaseInsensitive ? nullptr : TagForFields(KeyFields)) {
    h.SetMasterTag(tag->Name(), true);
    bool found = false;
    std::int32_t recno = 0;
    {
      TFinally restore([this] {
        FHandler->SetMasterTag(FIndexName, true);
        ApplyMasterRange();
      });
      h.SetExactMatch(ForLookup ? false : !Partial);
      h.SetSoftSeek(false);
      found = h.SeekKey(text);
      recno = found ? h.RecNo() : 0;
    }
    h.Go(found ? recno : back);
    return recno;
  }
  int field = h.FieldNumber(KeyFields);
  if (field < 1) DatabaseErrorFmt(dbtext::FieldNotFound, KeyFields, this);
  int mode = ForLookup ? xbSearchAtStart | xbSearchWildcards
                       : xbSearchAtStart | (Partial ? xbSearchWildcards : xbSearchWholeField);
  if (CaseInsensitive) mode |= xbSearchCaseInsensitive;
  if (Partial && !ForLookup) text += '*';
  int oldMode = h.TextSearchMode();
  h.SetTextSearchMode(mode);
  TFinally restore([&h, oldMode] { h.SetTextSearchMode(oldMode); });
  std::int32_t recno = h.TextSearch(field, text, 0);
  if (recno > 0) h.Go(recno);
  return recno;
}

void TXBaseDataSet::ShowFound(std::int32_t RecNo) {
  FFirstPending = FLastPending = false;
  FHandler->Go(RecNo);
  Resync(TResyncMode{rmCenter});
  DoAfterScroll();
}

bool TXBaseDataSet::Locate(const String& KeyFields, const TVariant& KeyValues, TLocateOptions Options) {
  if (!GetActive() || IsEmpty()) return false;
  CheckBrowseMode();
  DoBeforeScroll();
  std::int32_t recno = FindRecord(KeyFields, KeyValues, Options.Contains(loCaseInsensitive),
                                  Options.Contains(loPartialKey), false);
  if (recno <= 0) return false;
  ShowFound(recno);
  return true;
}

TVariant TXBaseDataSet::Lookup(const String& KeyFields, const TVariant& KeyValues, const String& ResultFields) {
  if (!GetActive() || IsEmpty()) return TVariant::Null();
  CheckBrowseMode();
  DBFObject& h = *FHandler;
  std::int32_t back = BufferRecNo(ActiveBuffer());
  TVariant result = TVariant::Null();
  {
    TFinally restore([&h, back] {
      if (back >= 1) h.Go(back);
    });
    if (FindRecord(KeyFields, KeyValues, false, false, true) > 0) {
      // Read from the table object's record, as the filter state does.
      TDataSetState saved = SetTempState(dsFilter);
      TFinally state([this, saved] { RestoreState(saved); });
      result = GetFieldValues(ResultFields);
    }
  }
  return result;
}

// ---- Master and detail ----

void TXBaseDataSet::MasterChanged(TObject*) {
  if (!GetActive()) return;
  TDataSet* master = FMasterLink->DataSet();
  if (!master || !master->GetActive() || master->IsEmpty()) return;
  CheckBrowseMode();
  ApplyMasterRange();
  First();
}

void TXBaseDataSet::MasterDisabled(TObject*) {
  if (!FHandler) return;
  FHandler->ClearRange();
  if (GetActive()) First();
}

void TXBaseDataSet::ApplyMasterRange() {
  if (!FHandler || GetMasterFields().empty()) return;
  TDataSet* master = FMasterLink->DataSet();
  if (!master || !master->GetActive() || master->IsEmpty()) return;
  bool partial = false;
  std::string key = MasterKey(partial);
  FHandler->SetRange(key, key, true, partial, true);
}

String TXBaseDataSet::MasterKey(bool& Partial) {
  DBFObject& h = *FHandler;
  XBobjIndexTag* tag = h.MasterTag();
  if (!tag) DatabaseErrorFmt(SMasterNoIndex, FTableName, this);
  TDataSet* master = FMasterLink->DataSet();
  if (master->State() == dsInsert) return {};
  std::vector<TField*> names;
  master->GetFieldList(names, GetMasterFields());
  std::vector<int> fields = ExpressionFields(h, tag->KeyExpression());
  if (fields.size() < names.size()) DatabaseErrorFmt(SMasterFieldMismatch, FTableName, this);
  // The master's values in the detail's fields of a scratch record, then its key.
  std::string scratch(h.Record(), static_cast<size_t>(h.RecordLength()));
  TRecordSwap swap(h, scratch.data(), false);
  h.BlankRecord();
  for (size_t i = 0; i < names.size(); ++i)
    h.PutText(fields[i], EngineText(names[i]->GetAsVariant()));
  Partial = fields.size() > names.size();
  std::string expr = Partial ? LeadingTerms(tag->KeyExpression(), names.size())
                                                  : tag->KeyExpression();
  TxbExpHandler key(&h.ExpLink(), false, expr);
  return KeyText(key.Evaluate());
}

// ---- Blob streams ----

std::unique_ptr<TStream> TXBaseDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
  auto* blob = dynamic_cast<TBlobField*>(Field);
  if (!blob) DatabaseErrorFmt(dbtext::BlobNotSupported, Field ? Field->DisplayName() : String(), this);
  return std::make_unique<THCBlobStream>(blob, Mode);
}

THCBlobStream::THCBlobStream(TBlobField* Field, TBlobStreamMode Mode)
    : FField(Field),
      FDataSet(static_cast<TXBaseDataSet*>(Field->GetDataSet())),
      FBuffer(nullptr),
      FFieldNo(Field->FieldNo()),
      FModified(false) {
  FDataSet->CheckActive();
  char* record = FDataSet->ReadSource();
  FBuffer = record;
  if (Mode != bmRead) {
    if (Field->GetReadOnly()) DatabaseErrorFmt(dbtext::FieldReadOnly, Field->DisplayName(), FDataSet);
    if (FDataSet->State() != dsEdit && FDataSet->State() != dsInsert) DatabaseError(SNotEditing, FDataSet);
  }
  if (Mode == bmWrite) {
    FModified = true;
    return;
  }
  if (!record) return;
  std::string bytes;
  if (const std::string* pending = FDataSet->PendingBlob(record, FFieldNo)) {
    bytes = *pending;
  } else if (int n = FDataSet->TableField(Field); n >= 1) {
    DBFObject& h = *FDataSet->FHandler;
    TRecordSwap swap(h, record, false);
    if (h.MemoSize(n) > 0) bytes = h.MemoRead(n);
  }
  FData = Field->GetTransliterate() ? FDataSet->Translate(bytes, false) : bytes;
}

THCBlobStream::~THCBlobStream() {
  if (!FModified || !FBuffer || (FDataSet->State() != dsEdit && FDataSet->State() != dsInsert)) return;
  try {
    FDataSet->PendingBlobs(FBuffer)[FFieldNo] = FField->GetTransliterate() ? FDataSet->Translate(FData, true) : FData;
    FField->SetModified(true);
    FDataSet->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(FField));
  } catch (...) {
    // A destructor reports nothing: the data stays with the record.
  }
}

std::int64_t THCBlobStream::Read(void* Buffer, std::int64_t Count) {
  auto size = static_cast<std::int64_t>(FData.size());
  std::int64_t n = std::max<std::int64_t>(0, std::min(Count, size - FPosition));
  if (n > 0) std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

std::int64_t THCBlobStream::Write(const void* Buffer, std::int64_t Count) {
  if (Count <= 0) return 0;
  if (static_cast<std::int64_t>(FData.size()) < FPosition + Count) FData.resize(static_cast<size_t>(FPosition + Count));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  FModified = true;
  return Count;
}

std::int64_t THCBlobStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = static_cast<std::int64_t>(FData.size()) + Offset; break;
  }
  FPosition = std::max<std::int64_t>(0, FPosition);
  return FPosition;
}
