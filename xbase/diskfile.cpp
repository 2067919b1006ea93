#include "xbase/diskfile.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "xbase/errors.h"

// One open operating-system file and what the objects sharing it share: its section, its
// sharing mode, and the regions each of them holds (so they exclude each other as
// processes do, whatever the backend).
struct TxbSharedHandle {
  std::unique_ptr<TxbOsFile> File;
  std::recursive_mutex Section;
  bool Shared = false;
  bool ReadWrite = false;
  struct THeld {
    const XBO_DiskFile* Owner;
    std::uint64_t Offset, Length;
  };
  std::vector<THeld> Held;
  // Counts the writes and cuts through any object on the handle: what one of them keeps
  // of the file's bytes is current while the count stands.
  std::atomic<std::uint64_t> Generation{0};
};

namespace {

// The process's open files (it does not own them).
struct TFileRegistry {
  std::mutex Section;
  std::vector<XBO_DiskFile*> Files;
};
TFileRegistry& Registry() {
  static TFileRegistry registry;
  return registry;
}

bool Overlap(std::uint64_t a, std::uint64_t alen, std::uint64_t b, std::uint64_t blen) {
  return a < b + blen && b < a + alen;
}

}  // namespace

std::string NormalizeFileName(std::string_view name) { return FileSystem().FullName(name); }

XBO_DiskFile* FindOpenFile(const std::string& name) {
  TFileRegistry& r = Registry();
  std::lock_guard guard(r.Section);
  for (XBO_DiskFile* f : r.Files)
    if (f->FileName() == name) return f;
  return nullptr;
}

void UnlockAllFiles() {
  std::vector<XBO_DiskFile*> files;
  {
    std::lock_guard guard(Registry().Section);
    files = Registry().Files;
  }
  for (XBO_DiskFile* f : files)
    if (f->FLockCount > 0) {
      f->FLockCount = 1;
      f->Unlock();
    }
}

XBO_DiskFile::XBO_DiskFile(std::string_view FileName, bool ReadWrite, bool Shared)
    : FShared(Shared), FReadWrite(ReadWrite) {
  FFileName = NormalizeFileName(FileName);
  FExisted = FileSystem().Exists(FFileName);
}

XBO_DiskFile::~XBO_DiskFile() { XBO_DiskFile::Close(); }

void XBO_DiskFile::Error(std::int32_t Code, std::int32_t SubCode, const std::string& Info) {
  RaiseEngineError(Code, SubCode, Info);
}

void XBO_DiskFile::CheckFileError(std::int32_t Code, std::int32_t SubCode) {
  if (Code != 0) Error(Code, SubCode, FFileName);
}

std::uint64_t XBO_DiskFile::WriteGeneration() const { return FClosed ? 0 : FHandle->Generation.load(); }

bool XBO_DiskFile::HasExclusiveAccess() const {
  return !FShared || (FLockCount >= 1 && FLockOffset == 0 && FLockLength == WholeFileLength);
}

void XBO_DiskFile::Open() {
  FLastError = 0;
  if (!FClosed) return;
  XBO_DiskFile* other = FindOpenFile(FFileName);
  if (other && other != this) {
    // The earlier opener's sharing wins; writing through a handle held read-only cannot.
    if (FReadWrite && !other->FHandle->ReadWrite)
      FLastError = xbeAccessDenied;
    else {
      FHandle = other->FHandle;
      FShared = FHandle->Shared;
    }
  } else {
    std::unique_ptr<TxbOsFile> file;
    FLastError = FileSystem().Open(FFileName, FReadWrite, FShared, file);
    if (FLastError == 0) {
      FHandle = std::make_shared<TxbSharedHandle>();
      FHandle->File = std::move(file);
      FHandle->Shared = FShared;
      FHandle->ReadWrite = FReadWrite;
    }
  }
  if (FLastError == 0) {
    FPosition = 0;
    std::lock_guard guard(Registry().Section);
    auto& files = Registry().Files;
    if (std::find(files.begin(), files.end(), this) == files.end()) files.push_back(this);
    FClosed = false;
  }
  CheckFileError(FLastError, xbsOpen);
}

bool XBO_DiskFile::Close() {
  if (FClosed) return true;
  if (FLockCount > 0) {
    FLockCount = 1;
    Unlock();
  }
  FLastError = 0;
  {
    std::lock_guard guard(Registry().Section);
    auto& files = Registry().Files;
    files.erase(std::remove(files.begin(), files.end(), this), files.end());
  }
  if (FHandle.use_count() > 1 && FWritten) {
    std::lock_guard guard(FHandle->Section);
    FHandle->File->Flush();
  }
  FHandle.reset();  // the last of the objects sharing it closes the handle
  FClosed = true;
  FPosition = 0;
  FWritten = false;
  return true;
}

std::size_t XBO_DiskFile::Read(std::int64_t Offset, void* Buffer, std::size_t Count) {
  std::size_t done = 0;
  if (FClosed) {
    FLastError = 103;
  } else {
    std::lock_guard guard(FHandle->Section);
    FLastError = FHandle->File->Read(Offset, Buffer, Count, done);
    FLastCount = done;
    if (FLastError == 0) FPosition = Offset + static_cast<std::int64_t>(done);
  }
  CheckFileError(FLastError, xbsRead);
  if (done < Count) FLastError = xbeShortRead;
  return done;
}

void XBO_DiskFile::Write(std::int64_t Offset, const void* Buffer, std::size_t Count) {
  if (FClosed) {
    FLastError = 103;
  } else {
    std::lock_guard guard(FHandle->Section);
    std::size_t done = 0;
    ++FHandle->Generation;
    FLastError = FHandle->File->Write(Offset, Buffer, Count, done);
    FLastCount = done;
    if (FLastError == 0 && done < Count) FLastError = xbeWriteError;
    if (FLastError == 0) {
      FPosition = Offset + static_cast<std::int64_t>(Count);
      FWritten = true;
    }
  }
  CheckFileError(FLastError, xbsWrite);
}

std::int64_t XBO_DiskFile::FileSize() {
  std::int64_t size = -1;
  if (FClosed) {
    FLastError = 103;
  } else {
    std::lock_guard guard(FHandle->Section);
    FLastError = FHandle->File->Size(size);
    if (FLastError) size = -1;
  }
  CheckFileError(FLastError, xbsFileSize);
  return size;
}

void XBO_DiskFile::Flush() {
  if (FClosed) return;
  {
    std::lock_guard guard(FHandle->Section);
    FLastError = FHandle->File->Flush();
    FWritten = false;
  }
  CheckFileError(FLastError, xbsFlush);
}

void XBO_DiskFile::Truncate(std::int64_t Offset) {
  FLastError = 0;
  if (FClosed)
    FLastError = 103;
  else if (!FReadWrite || !HasExclusiveAccess())
    FLastError = xbeAccessDenied;
  else {
    std::lock_guard guard(FHandle->Section);
    ++FHandle->Generation;
    FLastError = FHandle->File->SetSize(Offset);
  }
  CheckFileError(FLastError, xbsTruncate);
}

bool XBO_DiskFile::Rename(std::string_view NewName) {
  if (!Close()) {
    FLastError = xbeNotAssigned;
    CheckFileError(FLastError, xbsRename);
  }
  std::string target = NormalizeFileName(NewName);
  int error = FileSystem().Rename(FFileName, target);
  if (error == 0) FFileName = target;
  Open();
  FLastError = error;
  CheckFileError(FLastError, xbsRename);
  return true;
}

void XBO_DiskFile::CreateNew() {
  FLastError = 0;
  if (FindOpenFile(FFileName)) {
    FLastError = xbeInvalidAccess;
  } else {
    std::unique_ptr<TxbOsFile> file;
    FLastError = FileSystem().Create(FFileName, file);
    file.reset();
    if (FLastError == 0) {
      FExisted = true;
      Open();
    }
  }
  CheckFileError(FLastError, xbsCreate);
}

bool XBO_DiskFile::LockRegion(std::uint64_t Offset, std::uint64_t Length) {
  if (FShared && !FClosed) {
    if (FLockCount < 1) {
      std::lock_guard guard(FHandle->Section);
      FLastError = 0;
      for (const auto& held : FHandle->Held)
        if (held.Owner != this && Overlap(held.Offset, held.Length, Offset, Length)) FLastError = xbeLocked;
      if (FLastError == 0) FLastError = FHandle->File->Lock(Offset, Length);
      if (FLastError != 0) return false;
      FHandle->Held.push_back({this, Offset, Length});
      FLockOffset = Offset;
      FLockLength = Length;
    } else if (Offset != FLockOffset || Length != FLockLength) {
      FLastError = xbeLocked;
      return false;
    }
  } else {
    // Not shared: nobody else can have the file, so a lock is only recorded.
    FLockOffset = Offset;
    FLockLength = Length;
  }
  FLastError = 0;
  ++FLockCount;
  return true;
}

bool XBO_DiskFile::LockFile() {
  if (!FShared) return true;
  return LockRegion(0, WholeFileLength);
}

bool XBO_DiskFile::OsUnlockHeld() {
  std::lock_guard guard(FHandle->Section);
  FLastError = FHandle->File->Unlock(FLockOffset, FLockLength);
  auto& held = FHandle->Held;
  held.erase(std::remove_if(held.begin(), held.end(), [&](const auto& h) { return h.Owner == this; }), held.end());
  return FLastError == 0;
}

bool XBO_DiskFile::Unlock() {
  FLastError = 0;
  if (FLockCount > 0) {
    if (FShared && FLockCount == 1 && !FClosed) OsUnlockHeld();
    if (FLastError == 0) --FLockCount;
  }
  return FLastError == 0;
}
