#pragma once
// XBO_dBHandler: the indexed table. On top of the DBF field layer it keeps up to 63 open
// index files and one controlling tag (the master tag) that sets the record order, seeks
// keys, filters records through an expression kept as a bit set over record numbers, limits
// the order to a key range, skips deleted records and those the record filter test refuses,
// reads ahead in natural order, keeps every open index current under the index locks, and
// packs, re-indexes and re-enciphers the table.
//
// A descendant (the dataset's table object) hooks in through three virtual slots: the
// status hook (SetStatusTargets: progress of long operations), the formula hook (Formula:
// functions the engine does not know) and the record filter test (RecordFilterTest).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/collections.h"
#include "xbase/dbftable.h"
#include "xbase/xbindex.h"

class TxbExpHandler;

// The table's states while the handler works (TableState).
enum : int { xbStateNormal = 1, xbStateIndexing = 4, xbStateEnciphering = 5 };

// Text-search mode bits (SetTextSearchMode).
enum : int {
  xbSearchCaseInsensitive = 1,
  xbSearchWholeField = 2,
  xbSearchWildcards = 4,
  xbSearchKeepOrder = 8,   // keep the ordered and filtered movement
  xbSearchFollowTag = 16,  // search in the master tag's order
  xbSearchAtStart = 32,    // a match starts at the field's first character
};

// Status hook kinds (SetStatusTargets (-1, kind, record count) at the start, (kind, record
// number, 0) per record, (0, 0, 0) at the end of a pack).
enum : int { xbStatusPack = 11, xbStatusSearch = 21 };

class XBO_dBHandler : public XBO_dBaseFld {
 public:
  static constexpr int MaxIndexFiles = 63;
  static constexpr int ReadAheadBytes = 32768;

  XBO_dBHandler(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password = {});
  ~XBO_dBHandler() override;

  // ---- The table layer's slots ----
  // Served from the read-ahead window while it is on.
  std::size_t Read(std::int64_t Offset, void* Buffer, std::size_t Count) override;
  // Keeps the read-ahead window current.
  void Write(std::int64_t Offset, const void* Buffer, std::size_t Count) override;
  // Renames the production index (an open index named after the table) too.
  bool Rename(std::string_view NewName) override;
  // Both run under every index lock, tags checked before anything is written; a refused
  // index lock raises code 33 with the index file's name and writes nothing.
  void Append() override;
  void PutRec(std::int32_t recno) override;
  // After a write: the record's filter bit and every index's keys; on a flush every index.
  void StatusUpdate(int code, std::int32_t value) override;
  // Ordered (master tag) and filtered movement in the normal state; skips deleted records
  // (unless UseDeleted) and records RecordFilterTest refuses.
  void Go(std::int32_t recno) override;
  void SetLockProtocol(TxbLokProtocol protocol) override;
  // Every lock drops the read-ahead window of a shared table.
  bool LockAppend() override;
  bool LockTable() override;
  bool LockTableFromStart() override;
  bool LockRecord() override;

  // ---- New slots ----
  // Seeks the text in the master tag (converted by the tag's key type: N a number with
  // '.', code 106 when it is none; D "yyyymmdd" or a date; C as it is); true when found.
  virtual bool SeekKey(std::string_view key);
  // The record number of the key's exact match in the first open tag of that name; -1 when
  // there is no such tag or key.
  virtual std::int32_t FindKeyInTag(std::string_view tagName, std::string_view key);
  // Moves count records on in the current order (0: re-position).
  virtual void Skip(std::int32_t count);
  // Whether the record just read is shown (this class: always).
  virtual bool RecordFilterTest() { return true; }
  // Locks every open index file; false (LastError 33) when one is refused, none kept.
  virtual bool LockIndexes();
  // Re-enciphers the table and its memo under a new password (empty: plain). The table must
  // be open exclusively (code 5). New files are written and swapped in when complete.
  virtual void ChangePassword(std::string_view newPassword);

  void UnlockIndexes();
  bool HasIndex() const { return FIndexFiles[0] != nullptr; }

  // ---- Index files ----
  // 0 opened, -1 already open, otherwise the error code reported (the error routine raises
  // by default). A name without a folder lies beside the table; ".NDX" when no extension.
  int IndexOpen(std::string_view FileName);
  // Closes the listed files, then opens each name of the list (separated by blanks, commas
  // or semicolons; double quotes keep a name together and are dropped) and selects the tag.
  // 0 when all opened, 1 for an empty list, else the first failing IndexOpen result.
  int OpenIndexList(std::string_view List, std::string_view TagName);
  // Closes every index file but the production index opened with the table.
  void CloseIndexFiles();
  // The slot (1..63) of the file holding the tag; 0 for an empty name (no master tag).
  // An unknown name raises "Cannot find index tag %s" and keeps the old master tag.
  int SetMasterTag(std::string_view TagName, bool KeepPosition);
  XBobjIndexTag* MasterTag() const { return FMasterTag; }
  const std::string& MasterTagName() const { return FMasterTagName; }
  // Over all open files in slot order, tags in file order; 1-based; nullptr out of range.
  XBobjIndexTag* TagByNumber(int n) const;
  int TagCount() const;
  XBobjIndexFile* IndexFile(int slot) const;  // 1..63, nullptr when empty
  // The master tag's key range (texts converted as SeekKey does; empty: that side open).
  void SetRange(std::string_view Low, std::string_view High, bool LowInclusive, bool Partial, bool HighInclusive);
  void ClearRange();
  // Rebuilds every tag of every open index file; the table ends at the top.
  void ReindexAll();

  // ---- Filter ----
  // Compiles the filter (not logical: "Filter expression must return boolean result") and
  // builds its bit set. PartialCompare lets "*" in texts match any run of characters.
  void SetFilterExpression(std::string_view Text, bool CaseInsensitive, bool PartialCompare);
  void SetFilterWanted(bool Wanted);
  bool FilterWanted() const { return FFilterWanted; }
  bool FilterActive() const { return FFilterActive; }
  const std::string& FilterText() const { return FFilterText; }
  // Rebuilds the bit set when the filter is active.
  void RefreshFilter();
  bool FilterPasses(std::int32_t recno) const;

  // ---- Search, pack ----
  // The first record (from the one after StartRecord, or the top when 0) whose field (0:
  // any field) matches the text by the text-search mode; 0 when none (the table returns).
  std::int32_t TextSearch(int FieldNo, std::string_view Text, std::int32_t StartRecord);
  int TextSearchMode() const { return FTextSearchMode; }
  void SetTextSearchMode(int mode) { FTextSearchMode = mode; }
  // Drops deleted records (and their memo blocks) and rebuilds the indexes; the table must
  // be open exclusively (code 5, sub-code 2105).
  void Pack();

  // ---- Read-ahead ----
  void SetReadAheadAllowed(bool Allowed);
  bool ReadAheadAllowed() const { return FReadAheadAllowed; }
  void SwitchReadAhead(bool On);
  bool ReadAheadActive() const { return FReadAheadActive; }

  // ---- Flags ----
  bool UseDeleted() const { return FUseDeleted; }
  void SetUseDeleted(bool b) { FUseDeleted = b; }
  bool Found() const { return FFound; }
  bool SoftSeek() const { return FSoftSeek; }
  void SetSoftSeek(bool b) { FSoftSeek = b; }
  bool ExactMatch() const { return FExactMatch; }
  void SetExactMatch(bool b) { FExactMatch = b; }
  bool RecordValid() const { return FRecordValid; }
  void SetEof(bool b) { FEof = b; }
  void SetBof(bool b) { FBof = b; }
  // Record numbers follow the order one by one: no master tag, no active filter, deleted
  // records shown.
  bool IsSequenced() const { return !FMasterTag && !FFilterActive && FUseDeleted; }
  // The record count as the file has it now (another user's appends included).
  std::int32_t LiveRecordCount();

 protected:
  // The record is shown: not (deleted and hidden) and RecordFilterTest accepts it.
  bool Accepted();
  // The tag's key of a text, in the value the tag stores (decision by its key type).
  void KeyValue(XBobjIndexTag& tag, std::string_view text, TxbVariant& value);
  void DropReadAhead();
  void BuildFilterSet();

 private:
  template <class Work> void UnderIndexes(Work&& W);
  template <class Work> bool UnderClipLock(Work&& W);
  void Move(std::int32_t recno);
  std::int32_t NextInSet(std::int32_t code);
  bool ReadRecord(std::int32_t recno);
  void SyncTag(std::int32_t recno);
  void Seek(std::string_view key);
  void OpenProductionIndex();
  void PackRecords();
  void ReattachMaster();
  void RewriteEnciphered(const std::string& newKey);

  std::unique_ptr<XBobjIndexFile> FIndexFiles[MaxIndexFiles];
  XBobjIndexFile* FProduction = nullptr;  // opened with the table; survives CloseIndexFiles
  bool FProductionListed = false;         // named in the current index list
  std::string FLockRefused;               // the index file whose lock was refused
  bool FAppending = false;
  XBobjIndexTag* FMasterTag = nullptr;
  std::string FMasterTagName;

  std::vector<char> FReadAhead;
  std::int32_t FReadAheadRecords = 0;
  std::int64_t FReadAheadStart = -1, FReadAheadEnd = -1;
  bool FReadAheadActive = false, FReadAheadAllowed = true;

  bool FFound = false, FSoftSeek = false, FRecordValid = false, FExactMatch = false;
  bool FUseDeleted = false;

  TxbHugeSet FFilterSet;
  std::unique_ptr<TxbExpHandler> FFilter;
  std::string FFilterText;
  bool FFilterCaseInsensitive = false, FFilterPartial = true;
  bool FFilterWanted = false, FFilterActive = false;

  int FTextSearchMode = 1;
};
