#include "xbase/dbftable.h"

#include <algorithm>
#include <cstring>

#include "classlib/core/datetime.h"
#include "classlib/core/format.h"
#include "xbase/errors.h"
#include "xbase/names.h"

namespace {

bool AcceptedVersion(std::uint8_t v) { return v == 0x03 || v == 0x83 || v == 0x8B || v == 0xF5 || v == 0x30; }

std::string TableFileName(std::string_view name) {
  std::string n(name);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  while (!n.empty() && n.front() == ' ') n.erase(n.begin());
  return xbase::DefaultExtension(n, ".DBF");
}

// The descriptor area: what lies between the 32-byte header and the terminator (and, in
// version 0x30, the 263-byte back-link area).
int MinimalHeaderLength(std::uint8_t version) { return version == 0x30 ? 296 : 33; }

constexpr std::size_t kMaxFields = 4096;

}  // namespace

XBO_dBaseDBF::XBO_dBaseDBF(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password)
    : XBO_DiskFile(TableFileName(FileName), ReadWrite, Shared), FOffsets(LockOffsetsFor(TxbLokProtocol::Default)) {
  FReadKey = FWriteKey = PasswordKey(Password);
  Open();
  std::uint8_t h[32];
  if (Read(0, h, sizeof h) != sizeof h) HeaderError();
  FVersion = h[0];
  if (!AcceptedVersion(FVersion)) HeaderError();
  std::memcpy(FHeader, h, sizeof h);
  FHeaderLength = GetLE16(h + 8);
  FRecordLength = GetLE16(h + 10);
  FFlags = h[28];
  FTimeStamp = GetLE32(h + 16);
  FEncrypted = h[15] != 0;
  if (FEncrypted && FReadKey.empty()) throw EXBaseEncryption(Format(SNoPassword, this->FileName()));
  if (!FEncrypted && !FReadKey.empty()) throw EXBaseEncryption(Format(SPasswordForPlain, this->FileName()));
  if (FHeaderLength < MinimalHeaderLength(FVersion) || FRecordLength < 1) HeaderError();

  std::size_t area = FHeaderLength - MinimalHeaderLength(FVersion);
  std::string descriptors(area, '\0');
  if (area && Read(32, descriptors.data(), area) != area) HeaderError();
  if (FEncrypted) CryptRecord(FReadKey, descriptors.data(), descriptors.data(), area);
  // Descriptors end at the first 0x0D; other programs pad the area after it.
  for (std::size_t at = 0; at + 32 <= area; at += 32) {
    const auto* d = reinterpret_cast<const std::uint8_t*>(descriptors.data() + at);
    if (d[0] == 0x0D) break;
    if (FFields.size() == kMaxFields) HeaderError();
    TxbFieldDesc f;
    f.Name.assign(reinterpret_cast<const char*>(d), strnlen(reinterpret_cast<const char*>(d), 11));
    f.Type = static_cast<char>(d[11]);
    f.Length = d[16];
    f.Decimals = d[17];
    if (f.Type == 'C') {
      f.Length += 256 * f.Decimals;
      f.Decimals = 0;
    }
    f.Number = static_cast<int>(FFields.size()) + 1;
    FFields.push_back(f);
  }
  // With a password, a wrong one shows first: the field lengths do not add up.
  if (FEncrypted) {
    long sum = 1;
    for (const auto& f : FFields) sum += f.Length;
    if (sum != FRecordLength) throw EXBaseEncryption(Format(SInvalidPassword, this->FileName()));
  }
  if (FFields.empty()) HeaderError();
  int offset = 1;
  for (auto& f : FFields) {
    f.Offset = offset;
    offset += f.Length;
    if (offset > FRecordLength) HeaderError();  // the fields end within the record
  }
  if (FVersion == 0x30) {
    FHasMemo = (FFlags & 2) != 0;
    for (const auto& f : FFields) FHasMemo = FHasMemo || f.Type == 'M' || f.Type == 'G';
  } else {
    FHasMemo = FVersion != 0x03;
  }
  FRecordCount = CountFromFileSize();
  FCurrentRecord = 0;
  FEof = false;
  FBof = true;
  FRecord.assign(FRecordLength + 1, ' ');
  FRecord[FRecordLength] = 0x1A;
  FOriginal = FWork = FRecord;
  FChanged.assign(FFields.size() + 1, false);
  RefreshHeader();
  StatusUpdate(xbStatOpened, 0);
}

XBO_dBaseDBF::~XBO_dBaseDBF() {
  try {
    if (FFileLocked) {
      while (LockCount() > 1) Unlock();
      UnlockTable();
    } else if (FHeaderDirty) {
      RefreshHeader();
      WriteHeader();
    }
  } catch (const std::exception&) {
    // A destructor reports nothing; the data written stays.
  }
  FMemo.reset();
}

void XBO_dBaseDBF::HeaderError() {
  Error(xbeDbfHeader, xbsHeaderRead, FileName());
  RaiseEngineError(xbeDbfHeader, xbsHeaderRead, FileName());
}

std::int32_t XBO_dBaseDBF::CountFromFileSize() {
  std::int64_t size = FileSize();
  if (size < FHeaderLength) return 0;
  return static_cast<std::int32_t>(std::min<std::int64_t>((size - FHeaderLength) / FRecordLength, INT32_MAX));
}

void XBO_dBaseDBF::RefreshHeader() {
  if (!Shared()) {
    FChangedByOther = false;
    return;
  }
  std::uint8_t h[32];
  std::uint32_t stamp = FTimeStamp;
  if (Read(0, h, sizeof h) == sizeof h) stamp = GetLE32(h + 16);
  std::int32_t count = CountFromFileSize();
  FChangedByOther = !(count == FRecordCount && stamp == FTimeStamp);
  FRecordCount = count;
  FTimeStamp = stamp;
}

namespace {
// Written by every header write but those that leave the count as it is on disk.
void FillHeader(std::uint8_t* h, std::int32_t count, bool encrypted, std::uint32_t stamp, std::int32_t user,
                std::uint8_t flags) {
  int y, m, d;
  TDateTime now = Now();
  DecodeDate(now, y, m, d);
  h[1] = static_cast<std::uint8_t>(y % 100);
  h[2] = static_cast<std::uint8_t>(m);
  h[3] = static_cast<std::uint8_t>(d);
  PutLE32(h + 4, static_cast<std::uint32_t>(count));
  h[15] = encrypted ? 1 : 0;
  PutLE32(h + 16, stamp);
  PutLE32(h + 20, static_cast<std::uint32_t>(user));
  h[28] = flags;
}
std::uint32_t TimeStampNow() {
  int hh, mm, ss, ms;
  DecodeTime(Now(), hh, mm, ss, ms);
  return ((static_cast<std::uint32_t>(hh) * 64 + mm) * 64 + ss) * 1024 + ms;
}
}  // namespace

void XBO_dBaseDBF::WriteHeader() {
  if (!ReadWrite() || !FHeaderDirty || FFileLocked) return;  // under the table lock: at UnlockTable
  FTimeStamp = TimeStampNow();
  FillHeader(FHeader, FRecordCount, FEncrypted, FTimeStamp, FUserID, FFlags);
  // On a shared table the count is written only under the append or table lock: other
  // writes leave it as on disk, so it never goes back.
  if (!Shared() || FAppendLockHeld) {
    Write(0, FHeader, 32);
  } else {
    Write(0, FHeader, 4);
    Write(8, FHeader + 8, 24);
  }
  FHeaderDirty = false;
}

void XBO_dBaseDBF::SetProductionIndex() {
  if ((FFlags & 1) || !ReadWrite()) return;
  FFlags |= 1;
  FHeaderDirty = true;
  WriteHeader();
}

void XBO_dBaseDBF::WriteRecordAt(std::int32_t recno, bool withEndMark) {
  std::int64_t offset = FHeaderLength + static_cast<std::int64_t>(recno - 1) * FRecordLength;
  const char* data = FRecord.data();
  if (FEncrypted) {
    CryptRecord(FWriteKey, FRecord.data(), FWork.data(), FRecordLength);
    FWork[FRecordLength] = 0x1A;
    data = FWork.data();
  }
  Write(offset, data, FRecordLength + (withEndMark ? 1 : 0));
}

void XBO_dBaseDBF::Flush() {
  XBO_DiskFile::Flush();
  if (FMemo) FMemo->Flush();
  StatusUpdate(xbStatFlushed, 0);
}

bool XBO_dBaseDBF::Rename(std::string_view NewName) {
  std::string target = TableFileName(NewName);
  if (FHasMemo) MemoObject();
  XBO_DiskFile::Rename(target);
  if (FMemo) FMemo->RenameMemo(FileName());
  return true;
}

XBobjMemo* XBO_dBaseDBF::MemoObject() {
  if (!FMemo && FHasMemo) {
    FMemo = XBobjMemo::ForVersion(this, FVersion, ReadWrite(), Shared(), FReadKey, FileName());
    if (FMemo) FMemo->SetLockProtocol(FProtocol);
  }
  return FMemo.get();
}

void XBO_dBaseDBF::SetStatusTargets(std::int32_t a, std::int32_t b, std::int32_t c) {
  FStatusTargets[0] = a, FStatusTargets[1] = b, FStatusTargets[2] = c;
}

void XBO_dBaseDBF::StatusUpdate(int code, std::int32_t) {
  if (code == xbStatFieldChanged) FRecordChanged = true;
  if (code == xbStatAfterRead || code == xbStatAfterWrite) {
    FRecordChanged = false;
    if (FTableState != 5) FTableState = 1;
  }
}

void XBO_dBaseDBF::ClearChangeFlags() { std::fill(FChanged.begin(), FChanged.end(), false); }

void XBO_dBaseDBF::Go(std::int32_t recno) {
  if (recno == xbGoNext && FCurrentRecord >= 1 && FCurrentRecord < FRecordCount) {
    // The usual step of a walk, which the checks below would all pass.
    FEof = FBof = false;
    StatusUpdate(xbStatBeforeRead, FCurrentRecord + 1);
    TakeRecord(FCurrentRecord + 1);
    return;
  }
  if (FRecordCount == 0) {
    RefreshHeader();
    if (FRecordCount == 0) {
      FEof = FBof = true;
      return;
    }
  }
  if (recno == 0) return;
  FEof = FBof = false;
  std::int32_t target = recno;
  switch (recno) {
    case xbGoNext: target = FCurrentRecord + 1; break;
    case xbGoPrior:
      if (FCurrentRecord <= 1) {
        FBof = true;
        return;
      }
      target = FCurrentRecord - 1;
      break;
    case xbGoTop: target = 1; break;
    case xbGoBottom: target = FRecordCount; break;
    case xbGoAgain: target = FCurrentRecord; break;
    default: break;
  }
  if (target < 1) Error(xbeBeyondEof, xbsRecordRead, FileName());
  if (target > FRecordCount) {
    RefreshHeader();
    if (target > FRecordCount) {
      if (target > FRecordCount + 1) Error(xbeBeyondEof, xbsRecordRead, FileName());
      FEof = true;
      return;
    }
  }
  StatusUpdate(xbStatBeforeRead, target);
  TakeRecord(target);
}

void XBO_dBaseDBF::TakeRecord(std::int32_t target) {
  const std::int64_t offset = FHeaderLength + static_cast<std::int64_t>(target - 1) * FRecordLength;
  const char* stored;
  if (FBlockFilled > 0 && offset >= FBlockStart && offset + FRecordLength <= FBlockStart + static_cast<std::int64_t>(FBlockFilled) &&
      !Shared() && WriteGeneration() == FBlockGeneration)
    stored = FBlock.data() + (offset - FBlockStart);  // what StoredRecord would return, without the call
  else
    stored = StoredRecord(target);
  const auto length = static_cast<std::size_t>(FRecordLength);
  if (FEncrypted) {
    CryptRecord(FReadKey, stored, FRecord.data(), length);
    std::memcpy(FOriginal.data(), FRecord.data(), length);
  } else {
    // Both copies from the source: copying the copy just written would wait on it.
    if (stored != FRecord.data()) std::memcpy(FRecord.data(), stored, length);
    std::memcpy(FOriginal.data(), stored, length);
  }
  FCurrentRecord = target;
  StatusUpdate(xbStatAfterRead, target);
}

const char* XBO_dBaseDBF::StoredRecord(std::int32_t recno) {
  const std::int64_t offset = FHeaderLength + static_cast<std::int64_t>(recno - 1) * FRecordLength;
  // The file ours alone, records read in order come from a block read once, until anything
  // writes; others (a shared file, records out of order) from the file one by one.
  const bool inOrder = recno == FCurrentRecord + 1 || recno == FCurrentRecord - 1;
  const std::uint64_t generation = Shared() ? 0 : WriteGeneration();
  const bool inBlock = !Shared() && generation == FBlockGeneration && offset >= FBlockStart &&
                       offset + FRecordLength <= FBlockStart + static_cast<std::int64_t>(FBlockFilled);
  if (!inBlock && (Shared() || !inOrder)) {
    if (Read(offset, FRecord.data(), FRecordLength) != static_cast<std::size_t>(FRecordLength))
      Error(xbeBeyondEof, xbsRecordRead, FileName());
    return FRecord.data();
  }
  if (!inBlock) {
    const std::int64_t perBlock = std::max<std::int64_t>(1, kReadBlockBytes / FRecordLength);
    std::int64_t first = recno;  // forward walks read ahead, backward ones behind
    if (FBlockFilled > 0 && generation == FBlockGeneration && offset < FBlockStart) first = std::max<std::int64_t>(1, recno - perBlock + 1);
    FBlock.resize(static_cast<std::size_t>(perBlock * FRecordLength));
    FBlockStart = FHeaderLength + (first - 1) * FRecordLength;
    FBlockFilled = 0;
    FBlockFilled = Read(FBlockStart, FBlock.data(), FBlock.size());
    FBlockGeneration = generation;
    if (offset + FRecordLength > FBlockStart + static_cast<std::int64_t>(FBlockFilled)) {
      FBlockFilled = 0;
      Error(xbeBeyondEof, xbsRecordRead, FileName());
    }
  }
  return FBlock.data() + (offset - FBlockStart);
}

void XBO_dBaseDBF::Append() {
  bool took = !FFileLocked;
  if (!RetryLock([&] { return LockAppend(); })) Error(xbeLocked, xbsNone, FileName());
  FAppendLockHeld = true;
  std::int32_t savedCount = FRecordCount, savedCurrent = FCurrentRecord;
  try {
    StatusUpdate(xbStatBeforeWrite, 0);
    FHeaderDirty = true;
    RefreshHeader();
    FRecord[0] = ' ';
    ++FRecordCount;
    FCurrentRecord = FRecordCount;
    WriteRecordAt(FCurrentRecord, true);
    WriteHeader();
  } catch (...) {
    FRecordCount = savedCount;
    FCurrentRecord = savedCurrent;
    FAppendLockHeld = false;
    if (took) UnlockTable();
    throw;
  }
  FAppendLockHeld = false;
  if (took) UnlockTable();
  FEof = FBof = false;
  StatusUpdate(xbStatAfterWrite, FCurrentRecord);
  FOriginal = FRecord;
}

void XBO_dBaseDBF::PutRec(std::int32_t recno) {
  StatusUpdate(xbStatBeforeWrite, recno);
  if (recno > FRecordCount && FTableState != 3) RefreshHeader();  // others may have appended
  if (recno >= 1 && recno <= FRecordCount && FTableState != 3) {
    FHeaderDirty = true;
    WriteRecordAt(recno, false);
    FCurrentRecord = recno;
    FRecordWritten = true;
    RefreshHeader();
    WriteHeader();
    StatusUpdate(xbStatAfterWrite, recno);
    FOriginal = FRecord;
  } else if (recno == 0 || recno == FRecordCount + 1 || FTableState == 3) {
    Append();
  } else {
    Error(xbeBeyondEof, xbsRecordRead, FileName());
  }
}

bool XBO_dBaseDBF::LockRegionOnce(std::uint64_t offset, std::uint64_t length) {
  if (FFileLocked) return true;  // the table lock covers it
  return LockRegion(offset, length);
}

bool XBO_dBaseDBF::LockAppend() { return LockRegionOnce(FOffsets.Header, 1); }

bool XBO_dBaseDBF::LockTable() {
  bool ok = FFileLocked ? LockRegion(LockOffset(), LockLength()) : LockRegion(FOffsets.TableBase, FOffsets.TableLength);
  if (ok && !FFileLocked) {
    FFileLocked = true;
    RefreshHeader();
  }
  return ok;
}

bool XBO_dBaseDBF::LockTableFromStart() {
  bool ok = FFileLocked ? LockRegion(LockOffset(), LockLength()) : LockRegion(0, FOffsets.TableLength);
  if (ok && !FFileLocked) {
    FFileLocked = true;
    RefreshHeader();
  }
  return ok;
}

bool XBO_dBaseDBF::UnlockTable() {
  if (FFileLocked && LockCount() <= 1) {
    // The deferred header goes out before the lock is let go, count and all.
    FFileLocked = false;
    bool saved = FAppendLockHeld;
    FAppendLockHeld = true;
    try {
      WriteHeader();
    } catch (...) {
      FAppendLockHeld = saved;
      Unlock();
      throw;
    }
    FAppendLockHeld = saved;
  }
  return Unlock();
}

bool XBO_dBaseDBF::LockRecord() {
  if (FFileLocked) return true;
  std::int64_t recno = FCurrentRecord;
  std::uint64_t offset;
  switch (FProtocol) {
    case TxbLokProtocol::DB4Lock: offset = 0xEFFFFFFFull - recno - 1; break;
    case TxbLokProtocol::ClipLock: offset = 1000000000ull + recno; break;
    default:
      offset = RecordNumberLocks() ? FOffsets.Header - recno
                                   : 0x40000000ull + FHeaderLength + static_cast<std::uint64_t>(recno - 1) * FRecordLength;
  }
  return LockRegion(offset, 1);
}

void XBO_dBaseDBF::SetLockProtocol(TxbLokProtocol protocol) {
  FProtocol = protocol;
  FOffsets = LockOffsetsFor(protocol);
  if (FMemo) FMemo->SetLockProtocol(protocol);
}
