#pragma once
// TXBaseDataSet: a DBF table as the class library's dataset, for data-aware controls (through
// a TDataSource). It opens the table of TableName in the folder DatabaseName stands for
// (xbaliases.h), opens the index files of IndexFiles and orders the records by the tag
// IndexName, and keeps the records' bytes as the table stores them: texts in code page 866
// with TranslateASCII, else 1251, turned into the program's UTF-8 by Translate. Its table
// object is a DBFObject, the indexed table handler that asks the dataset back for the
// record filter, the application's own expression functions and progress reports.
//
// A record buffer holds the table's record image (deletion flag first), the calculated
// fields, the record number and bookmark flag (8 bytes), then the bookmark: 11 bytes, the
// length byte 10 and the record number right-aligned in 10 characters, so bookmarks
// compare as bytes in record-number order. Blob data written through a blob stream stays
// with the buffer until Post writes it to the memo file (Cancel leaves the memo as it was).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/data/db.h"
#include "classlib/core/streams.h"
#include "classlib/core/typinfo.h"
#include "xbase/xbhandler.h"

class TStringList;
class TStrings;
class TXBaseDataSet;

inline const ::TEnumInfo& HxEnumInfo(TxbLokProtocol) {
  static const ::TEnumInfo info("TxbLokProtocol", "Default, DB4Lock, ClipLock, FoxLock");
  return info;
}

// The application's own function in an expression: Action "FIND" asks whether Name is one,
// "PARSE" evaluates it over Args into Result. Set Handled when the event took it.
using TxbFormulaMake = std::function<void(const String& Action, const String& Name, const String& Args,
                                          TxbFormulaResult& Result, bool& Handled)>;
// Progress of long table operations: (-1, kind, records) at the start, (kind, record, 0)
// per record, (0, 0, 0) at the end.
using TxbStatusReport = std::function<void(int Stat1, int Stat2, int Stat3)>;

// The dataset's table: the handler, asking its dataset (when it has one) about the record
// filter, expression functions and progress.
class DBFObject : public XBO_dBHandler {
 public:
  DBFObject(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password,
            TXBaseDataSet* DataSet);
  void SetStatusTargets(std::int32_t a, std::int32_t b, std::int32_t c) override;
  int Formula(std::string_view Action, std::string_view Name, std::string_view Args,
              TxbFormulaResult& Result) override;
  bool RecordFilterTest() override;
  TXBaseDataSet* DataSet() const { return FDataSet; }

 private:
  TXBaseDataSet* FDataSet;
};

class TXBaseDataSet : public TDataSet {
  HX_CLASS(TXBaseDataSet, TDataSet)
 public:
  explicit TXBaseDataSet(TComponent* AOwner);
  ~TXBaseDataSet() override;

  // ---- Published ----
  String GetAbout() const;
  void SetAbout(const String&) {}
  // An alias name, "Default Directory" (the program's folder) or a folder; kept upper-cased.
  const String& GetDatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const String& Value);
  // ".DBF" is added to a name without extension.
  const String& GetTableName() const { return FTableName; }
  void SetTableName(const String& Value);
  const String& GetEncryptionKey() const { return FEncryptionKey; }
  void SetEncryptionKey(const String& Value);
  // RecordCount walks the records instead of taking the table's count.
  bool GetExactCount() const { return FExactCount; }
  void SetExactCount(bool Value) { FExactCount = Value; }
  bool GetExclusive() const { return FExclusive; }
  void SetExclusive(bool Value);
  TIndexDefs* GetIndexDefs() const { return FIndexDefs.get(); }
  void SetIndexDefs(TIndexDefs* Value);
  // Index files opened with the table (".NDX" added to a name without extension; a name
  // without a folder lies beside the table).
  TStrings* GetIndexFiles() const;
  void SetIndexFiles(TStrings* Value);
  // The tag that orders the records (empty: record-number order).
  const String& GetIndexName() const { return FIndexName; }
  void SetIndexName(const String& Value);
  TxbLokProtocol GetLockProtocol() const { return FLockProtocol; }
  void SetLockProtocol(TxbLokProtocol Value);
  // The master's field names, "A;B", matched to the fields of the detail's tag key.
  const String& GetMasterFields() const;
  void SetMasterFields(const String& Value);
  TDataSource* GetMasterSource() const;
  void SetMasterSource(TDataSource* Value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool GetTranslateASCII() const { return FTranslateASCII; }
  void SetTranslateASCII(bool Value);
  // Records marked deleted are shown.
  bool GetUseDeleted() const { return FUseDeleted; }
  void SetUseDeleted(bool Value);
  std::int32_t GetUserID() const { return FUserID; }
  void SetUserID(std::int32_t Value);
  TxbFormulaMake OnFormula;
  TxbStatusReport OnStatus;

  // ---- Operations ----
  // Drops the deleted records; the table must be open exclusively.
  void PackTable();
  // Removes the deletion mark of the current record.
  virtual void Undelete();
  // The table object while open (nullptr while closed).
  DBFObject* Handler() const { return FHandler.get(); }
  // The table's file name with its folder, as it is opened.
  String FullTableName() const;

  // ---- The dataset's contract ----
  bool GetCurrentRecord(TRecordBuffer Buffer) override;
  bool BookmarkValid(const TBookmarkStr& Bookmark) override;
  bool Locate(const String& KeyFields, const TVariant& KeyValues, TLocateOptions Options) override;
  TVariant Lookup(const String& KeyFields, const TVariant& KeyValues, const String& ResultFields) override;
  int GetRecNo() override;
  void SetRecNo(int Value) override;
  bool IsSequenced() override;
  void SetFilterText(const String& Value) override;
  void SetFiltered(bool Value) override;
  void SetFilterOptions(TFilterOptions Value) override;
  std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
  // UTF-8 to the table's code page (866 with TranslateASCII, else 1251) and back; a
  // character the code page lacks becomes '?'; the stored text is cut at MaxBytes.
  std::string Translate(std::string_view Src, bool ToStorage, std::size_t MaxBytes = std::string::npos) override;
  TDataSource* GetDataSource() const override;

 protected:
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& Buffer) override;
  TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
  int GetRecordSize() override { return FRecordSize; }
  void GetBookmarkData(TRecordBuffer Buffer, void* Data) override;
  void SetBookmarkData(TRecordBuffer Buffer, const void* Data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
  void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
  void InternalGotoBookmark(const void* Bookmark) override;
  void InternalSetToRecord(TRecordBuffer Buffer) override;
  void InternalFirst() override;
  void InternalLast() override;
  void InternalInitFieldDefs() override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FHandler != nullptr; }
  void InternalInitRecord(TRecordBuffer Buffer) override;
  void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
  void InternalDelete() override;
  void InternalPost() override;
  void InternalEdit() override;
  void InternalCancel() override;
  void InternalRefresh() override;
  bool GetFieldData(TField* Field, void* Buffer) override;
  void SetFieldData(TField* Field, const void* Buffer) override;
  void ClearCalcFields(TRecordBuffer Buffer) override;
  void UpdateIndexDefs() override;
  int GetRecordCount() override;
  bool GetCanModify() override;
  void CheckActive() override;
  void DoAfterInsert() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class DBFObject;
  friend class THCBlobStream;

  std::unique_ptr<DBFObject> CreateHandler();
  void BuildFieldDefs(DBFObject& Table);
  void OpenIndexFiles(bool ReportRepeats);
  void IndexFilesChanged(TObject* Sender);
  void SelectIndexName();
  void ApplyFilter();
  void MasterChanged(TObject* Sender);
  void MasterDisabled(TObject* Sender);
  void ApplyMasterRange();
  // The key of the master's record in the detail's tag; Partial: only its leading terms.
  String MasterKey(bool& Partial);
  // The buffer fields are read from and written to in the current state (nullptr: none).
  char* ReadSource();
  char* WriteTarget();
  // The table's field number of a data field.
  int TableField(TField* Field) const;
  std::int32_t BufferRecNo(TRecordBuffer Buffer) const;
  void SetBufferRecNo(TRecordBuffer Buffer, std::int32_t RecNo);
  // Pending blob data of a buffer, by field number.
  std::map<int, std::string>& PendingBlobs(const void* Buffer) { return FPendingBlobs[Buffer]; }
  const std::string* PendingBlob(const void* Buffer, int FieldNo) const;
  void WritePendingBlobs(TRecordBuffer Buffer);
  void ReleaseEditLock();
  void MarkRecord(bool Deleted);
  // The first open tag whose key expression is the field list, without a FOR condition.
  XBobjIndexTag* TagForFields(const String& KeyFields) const;
  // Positions the table on the record of the key (a tag seek or a text search); the record
  // number found, 0 when none.
  std::int32_t FindRecord(const String& KeyFields, const TVariant& KeyValues, bool CaseInsensitive,
                          bool Partial, bool WholeForLookup);
  // The value as the engine reads text: dates "yyyymmdd", numbers with '.', "T"/"F", in
  // the table's code page.
  std::string EngineText(const TVariant& Value);
  void ShowFound(std::int32_t RecNo);

  std::unique_ptr<DBFObject> FHandler;
  std::unique_ptr<TMasterDataLink> FMasterLink;
  std::unique_ptr<TIndexDefs> FIndexDefs;
  mutable std::unique_ptr<TStringList> FIndexFiles;
  std::map<const void*, std::map<int, std::string>> FPendingBlobs;
  std::vector<int> FTableFields;  // by field definition: the table's field number
  String FDatabaseName;
  String FTableName;
  String FEncryptionKey;
  String FIndexName;
  TxbLokProtocol FLockProtocol = TxbLokProtocol::Default;
  std::int32_t FUserID = 0;
  int FRecordSize = 0;       // the table's record length
  int FInfoOffset = 0;       // record number and bookmark flag
  int FBookmarkOffset = 0;   // the bookmark's 11 bytes
  bool FExactCount = false;
  bool FExclusive = false;
  bool FReadOnly = false;
  bool FOpenedReadWrite = false;
  bool FTranslateASCII = true;
  bool FUseDeleted = false;
  bool FFirstPending = false;
  bool FLastPending = false;
  bool FEditLocked = false;
  bool FUpdatingIndexDefs = false;
  bool FIgnoreIndexChanges = false;
};

// The blob data of one field of a record buffer: loaded from the memo file (or the data a
// stream of this record wrote before), handed back to the buffer when the stream ends after
// writing in edit or insert state.
class THCBlobStream : public TStream {
 public:
  THCBlobStream(TBlobField* Field, TBlobStreamMode Mode);
  ~THCBlobStream() override;
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;

 private:
  TBlobField* FField;
  TXBaseDataSet* FDataSet;
  const void* FBuffer;
  int FFieldNo;
  bool FModified;
  std::string FData;
  std::int64_t FPosition = 0;
};
