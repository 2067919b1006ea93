#pragma once
// TMemDataSet: a dataset over records kept in memory, for the tests of the class library's
// dataset classes and of the controls that show datasets. Give it field definitions (or
// persistent fields) and open it; its records stay while it is closed. Hidden records are
// skipped as a table skips deleted ones; OnFilterRecord filters while Filtered. Bookmarks
// are the record's number of 4 bytes, in record order. Hooks can be made to fail, and the
// hooks called are logged, so tests see what the dataset asked of its descendant.
#include <map>
#include <string>
#include <vector>

#include "classlib/data/db.h"

namespace horavox::test {

class TMemDataSet : public TDataSet {
  HX_CLASS(TMemDataSet, TDataSet)
 public:
  explicit TMemDataSet(TComponent* AOwner);
  ~TMemDataSet() override;

  // A field definition (before opening).
  void AddFieldDef(const String& Name, TFieldType Type, int Size = 0, bool Required = false);

  // Records in storage order, hidden ones included.
  int StoredCount() const { return static_cast<int>(FRecords.size()); }
  void SetHidden(int StoredIndex, bool Hidden);
  // A stored value as text (a blob's bytes), without the record window.
  String StoredText(int StoredIndex, const String& FieldName) const;

  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }

  // The next so many calls of the hook raise EDatabaseError("… failed").
  int EditFailures = 0;
  int PostFailures = 0;
  int DeleteFailures = 0;
  // "Edit", "Post", "Cancel", "Delete", "Insert", "Refresh", in order.
  std::vector<String> HookLog;

  bool GetCurrentRecord(TRecordBuffer Buffer) override;
  int CompareBookmarks(const TBookmarkStr& Bookmark1, const TBookmarkStr& Bookmark2) override;
  bool BookmarkValid(const TBookmarkStr& Bookmark) override;
  std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
  int GetRecNo() override;
  void SetRecNo(int Value) override;
  bool IsSequenced() override;
  void SetFiltered(bool Value) override;

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
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override { FCursor = StoredCount(); }
  void InternalInitFieldDefs() override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FOpen; }
  void InternalInitRecord(TRecordBuffer Buffer) override;
  void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
  void InternalDelete() override;
  void InternalPost() override;
  void InternalEdit() override;
  void InternalCancel() override;
  void InternalInsert() override;
  void InternalRefresh() override;
  bool GetFieldData(TField* Field, void* Buffer) override;
  void SetFieldData(TField* Field, const void* Buffer) override;
  void ClearCalcFields(TRecordBuffer Buffer) override;
  int GetRecordCount() override;
  bool GetCanModify() override { return !FReadOnly; }

 private:
  class TBlobStream;
  struct TRecord {
    int Id = 0;
    std::vector<std::uint8_t> Data;
    std::vector<std::string> Blobs;  // by field definition
    bool Hidden = false;
  };
  struct TSource {  // where a field's value is read or written
    std::uint8_t* Data = nullptr;         // the record bytes (nullptr: no data)
    std::vector<std::string>* Blobs = nullptr;
    std::uint8_t* Calc = nullptr;         // the calculated area (nullptr: none)
  };
  static int FieldBytes(TFieldType Type, int Size);
  TSource SourceFor(bool Writing);
  TSource BufferSource(TRecordBuffer Buffer);
  TSource RecordSource(int Index);
  int IndexOfId(int Id) const;
  int BufferId(TRecordBuffer Buffer) const;
  bool Visible(int Index);
  void Fill(TRecordBuffer Buffer, int Index);
  void Store(TRecordBuffer Buffer, TRecord& Record);
  void Fail(int& Failures, const char* What);

  std::vector<TRecord> FRecords;
  std::map<const std::uint8_t*, std::vector<std::string>> FBufferBlobs;
  std::vector<int> FOffsets;  // by field definition: the presence byte, then the value
  std::vector<TFieldType> FLayout;
  int FRecordSize = 0;
  int FCursor = -1;
  int FNextId = 1;
  int FFilterIndex = -1;
  bool FOpen = false;
  bool FReadOnly = false;
};

}  // namespace horavox::test
