#pragma once
// DBF tables. XBO_dBaseDBF reads and writes the header, positions on records, appends and
// rewrites them, keeps the record count and time stamp current for several users, locks by
// the chosen protocol, enciphers the records of encrypted tables and owns the memo file.
// XBO_dBaseFld adds the field descriptors and the typed gets and puts of field values.
// The engine works on stored bytes: texts are in the table's code page.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/casetables.h"
#include "xbase/diskfile.h"
#include "xbase/memo.h"
#include "xbase/tableshared.h"

// Move codes of Go.
enum : std::int32_t { xbGoNext = -1, xbGoPrior = -2, xbGoTop = -3, xbGoBottom = -4, xbGoAgain = -5 };

// Status codes passed to StatusUpdate.
enum : int {
  xbStatBlanked = 0,
  xbStatFieldChanged = 1,
  xbStatOpened = 2,
  xbStatBeforeRead = 4,
  xbStatBeforeWrite = 5,
  xbStatAfterRead = 6,
  xbStatAfterWrite = 7,
  xbStatFlushed = 8,
};

// The progress of long operations goes through SetStatusTargets: (-1, kind, total) at the
// start, then (kind, done so far, 0); the table handler passes the three values on.
enum : std::int32_t { xbStatusIndexBuild = 2 };

class TxbDBFExpUserLink;
struct TxbExpLinkDeleter {  // frees the link where its type is known (tablelink.cpp)
  void operator()(TxbDBFExpUserLink* link) const;
};

// What the application's own function (XBO_dBaseFld::Formula, "PARSE") gives: Type C a text,
// D a Julian day in Number, F or N a number, L a letter (in Text) read by TrueLetters.
struct TxbFormulaResult {
  char Type = 0;
  std::string Text;
  double Number = 0;
};

struct TxbFieldDesc {
  std::string Name;  // stored bytes, without the zero fill
  char Type = 'C';
  int Offset = 0;    // within the record (1 for the first field)
  int Length = 0;    // type C: both length bytes
  int Decimals = 0;  // 0 for type C
  int Number = 0;    // 1-based
};

class XBO_dBaseDBF : public XBO_DiskFile {
 public:
  // Opens the table (".DBF" added to a name without extension). Password: the table's
  // password (UTF-8; the cipher takes its code page 1251 bytes), empty for a plain table.
  XBO_dBaseDBF(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password = {});
  ~XBO_dBaseDBF() override;

  void Flush() override;
  bool Rename(std::string_view NewName) override;

  virtual void Append();
  virtual void SetStatusTargets(std::int32_t a, std::int32_t b, std::int32_t c);
  virtual void StatusUpdate(int code, std::int32_t value);
  virtual void Go(std::int32_t recno);
  virtual bool LockAppend();
  virtual bool LockTable();
  virtual bool LockTableFromStart();
  virtual bool UnlockTable();
  virtual bool LockRecord();
  virtual void PutRec(std::int32_t recno);
  virtual void SetLockProtocol(TxbLokProtocol protocol);
  virtual bool RecordNumberLocks() const { return false; }

  // The header as last read again from the file; the changed-by-another-user flag.
  void RefreshHeader();
  void WriteHeader();
  // Sets the header's production-index flag (written when the table is writable).
  void SetProductionIndex();

  std::uint8_t Version() const { return FVersion; }
  std::int32_t RecordCount() const { return FRecordCount; }
  std::int32_t RecNo() const { return FCurrentRecord; }
  int HeaderLength() const { return FHeaderLength; }
  int RecordLength() const { return FRecordLength; }
  int FieldCount() const { return static_cast<int>(FFields.size()); }
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  bool Encrypted() const { return FEncrypted; }
  // The key the table is enciphered with (its index files use it too); empty when plain.
  const std::string& CipherKey() const { return FReadKey; }
  bool HasMemo() const { return FHasMemo; }
  bool ChangedByOther() const { return FChangedByOther; }
  bool RecordChanged() const { return FRecordChanged; }
  bool TableLocked() const { return FFileLocked; }
  std::uint8_t Flags() const { return FFlags; }
  std::uint32_t StoredTimeStamp() const { return FTimeStamp; }
  int TableState() const { return FTableState; }
  void SetTableState(int state) { FTableState = state; }
  std::int32_t UserID() const { return FUserID; }
  void SetUserID(std::int32_t id) { FUserID = id; }
  TxbLokProtocol LockProtocol() const { return FProtocol; }
  const TxbLockOffsets& LockOffsets() const { return FOffsets; }
  // The record buffer (record length bytes; byte 0 the deletion flag) and its state when
  // last read or written.
  char* Record() { return FRecord.data(); }
  const char* Record() const { return FRecord.data(); }
  const char* OriginalRecord() const { return FOriginal.data(); }
  bool IsDeleted() const { return FRecord[0] == '*'; }
  bool FieldChanged(int n) const { return n >= 0 && n < static_cast<int>(FChanged.size()) && FChanged[n]; }
  void ClearChangeFlags();

 protected:
  void SetChanged(int n) {
    if (n >= 0 && n < static_cast<int>(FChanged.size())) FChanged[n] = true;
  }
  std::int32_t CountFromFileSize();
  void WriteRecordAt(std::int32_t recno, bool withEndMark);
  [[noreturn]] void HeaderError();
  bool LockRegionOnce(std::uint64_t offset, std::uint64_t length);
  XBobjMemo* MemoObject();

  std::uint8_t FHeader[32] = {};
  bool FHeaderDirty = false;
  int FTableState = 1;
  std::int32_t FRecordCount = 0;
  int FHeaderLength = 0;
  int FRecordLength = 0;
  std::vector<TxbFieldDesc> FFields;
  std::int32_t FCurrentRecord = 0;
  std::string FRecord, FOriginal, FWork;
  // Record recno's bytes as stored (enciphered when the table is): in the read block, or
  // read into the record buffer.
  const char* StoredRecord(std::int32_t recno);
  // Reads record target into the record buffer and its original (Go's last step).
  void TakeRecord(std::int32_t target);
  // What an unshared table read last, as the file held it at FBlockGeneration.
  static constexpr std::int64_t kReadBlockBytes = 65536;
  std::vector<char> FBlock;
  std::int64_t FBlockStart = 0;
  std::size_t FBlockFilled = 0;
  std::uint64_t FBlockGeneration = 0;
  std::vector<bool> FChanged;  // [0] the deletion byte, [n] field n
  bool FEof = false, FBof = true;
  std::uint8_t FVersion = 0;
  std::uint8_t FFlags = 0;
  std::uint32_t FTimeStamp = 0;
  bool FChangedByOther = false;
  bool FRecordWritten = false;
  bool FRecordChanged = false;
  bool FEncrypted = false;
  std::string FReadKey, FWriteKey;
  std::int32_t FUserID = 0;
  bool FHasMemo = false;
  TxbLokProtocol FProtocol = TxbLokProtocol::Default;
  TxbLockOffsets FOffsets;
  bool FFileLocked = false;
  bool FAppendLockHeld = false;  // the header count may be written
  std::int32_t FStatusTargets[3] = {};
  std::unique_ptr<XBobjMemo> FMemo;
};

class XBO_dBaseFld : public XBO_dBaseDBF {
 public:
  XBO_dBaseFld(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password = {});

  // The expression link (tablelink.h): field names, "alias->field" and the table functions.
  TxbDBFExpUserLink& ExpLink();
  // The code page of the stored texts, set by the opener before expressions are compiled;
  // they fold case by it.
  TxbCodePage CodePage() const { return FCodePage; }
  void SetCodePage(TxbCodePage codePage) { FCodePage = codePage; }
  // The application's own functions in expressions. Action "FIND": is Name one (anything
  // but -1: yes)? "PARSE": evaluate Name over its argument text into Result. -1: not handled.
  virtual int Formula(std::string_view Action, std::string_view Name, std::string_view Args, TxbFormulaResult& Result);

  // Field n is 1-based; n outside 1..FieldCount gives the empty result.
  virtual const TxbFieldDesc* FieldByName(std::string_view name);  // error 1003 when absent
  virtual void BlankRecord();
  virtual std::int32_t DateByName(std::string_view name);  // -1 when missing or no D field
  virtual std::int32_t GetDate(int n);
  virtual bool PutDateByName(std::string_view name, std::int32_t julian);
  virtual bool PutDate(int n, std::int32_t julian);
  virtual void DeleteRecord();
  virtual std::string FieldTextByName(std::string_view name);
  virtual std::string FieldText(int n);
  virtual bool PutRawByName(std::string_view name, std::string_view text);
  virtual bool PutRaw(int n, std::string_view text);
  virtual int FieldDecimals(int n);
  virtual int FieldLength(int n);
  virtual int FieldOffset(int n);
  virtual std::string FieldName(int n);
  virtual char FieldType(int n);
  virtual bool LogicalByName(std::string_view name);
  virtual bool GetLogical(int n);
  virtual bool PutLogicalByName(std::string_view name, bool b);
  virtual bool PutLogical(int n, bool b);
  virtual double NumberByName(std::string_view name);
  virtual double GetNumber(int n);
  virtual bool PutNumberByName(std::string_view name, double v);
  virtual bool PutNumber(int n, double v);
  virtual bool PutTextByName(std::string_view name, std::string_view text);
  virtual std::string FieldDisplay(int n);
  virtual bool PutTextByName2(std::string_view name, std::string_view text);
  virtual bool PutText(int n, std::string_view text);
  virtual void RecallRecord();

  int FieldNumber(std::string_view name);  // 0 when absent
  void FieldCheckType(std::string_view name, char type);
  const TxbFieldDesc* Field(int n) const { return n >= 1 && n <= FieldCount() ? &FFields[n - 1] : nullptr; }
  // The memo file of a memo-like field (nullptr for other fields).
  XBobjMemo* MemoObjectFor(int n);
  std::int64_t MemoSize(int n);
  std::string MemoRead(int n, std::size_t maxSize = SIZE_MAX);
  void MemoWrite(int n, std::string_view value);
  // Puts each value (nullopt: an empty text) into the field of that name, in order.
  void SetFieldValues(std::string_view names, const std::vector<std::optional<std::string>>& values);

 protected:
  bool IsBinaryField(const TxbFieldDesc& f) const;  // stored in binary (version 0x30)
  bool IsMemoField(const TxbFieldDesc& f) const;
  std::string BaseName() const;
  [[noreturn]] void TypeError(std::string_view info);

 private:
  std::unique_ptr<TxbDBFExpUserLink, TxbExpLinkDeleter> FExpLink;
  TxbCodePage FCodePage = TxbCodePage::cp1251;
};

// A new, empty table with its empty memo file when it has memo-like fields; descriptors
// enciphered under a password when one is given. version: 0x03, 0x83, 0x8B, 0xF5 or 0x30.
struct TxbFieldSpec {
  std::string Name;
  char Type;
  int Length;
  int Decimals = 0;
};
void CreateTable(std::string_view fileName, std::uint8_t version, const std::vector<TxbFieldSpec>& fields,
                 std::string_view password = {});
