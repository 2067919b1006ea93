#include "xbase/filebackend_memory.h"

#include <algorithm>
#include <cstring>

#include "classlib/core/files.h"
#include "classlib/core/text.h"

struct TxbMemoryFileSystem::TFile {
  std::string Data;
  bool ReadOnly = false;
  int Opened = 0;
  bool Exclusive = false;
  std::vector<TLock> Locks;
  std::int64_t Writes = 0;      // writes and size changes so far
  std::int64_t WritesLeft = -1;  // before they are dropped; -1: never
};

namespace {
bool Overlap(std::uint64_t a, std::uint64_t alen, std::uint64_t b, std::uint64_t blen) {
  return a < b + blen && b < a + alen;
}
}  // namespace

class TxbMemoryFile : public TxbOsFile {
 public:
  TxbMemoryFile(TxbMemoryFileSystem& fs, std::shared_ptr<TxbMemoryFileSystem::TFile> file, bool readWrite)
      : FFs(fs), FFile(std::move(file)), FReadWrite(readWrite) {}
  ~TxbMemoryFile() override {
    std::lock_guard guard(FFs.FMutex);
    auto& locks = FFile->Locks;
    locks.erase(std::remove_if(locks.begin(), locks.end(), [&](const auto& l) { return l.Owner == this; }), locks.end());
    --FFile->Opened;
    FFile->Exclusive = false;
  }
  int Read(std::int64_t offset, void* buffer, std::size_t count, std::size_t& done) override {
    std::lock_guard guard(FFs.FMutex);
    done = 0;
    if (offset < 0) return 87;
    if (static_cast<std::uint64_t>(offset) < FFile->Data.size()) {
      done = std::min<std::uint64_t>(count, FFile->Data.size() - offset);
      std::memcpy(buffer, FFile->Data.data() + offset, done);
    }
    return 0;
  }
  int Write(std::int64_t offset, const void* buffer, std::size_t count, std::size_t& done) override {
    std::lock_guard guard(FFs.FMutex);
    done = 0;
    if (!FReadWrite) return 5;
    if (offset < 0) return 87;
    if (offset + static_cast<std::int64_t>(count) > FFs.MaxFileSize) return 112;
    if (Dropped()) {
      done = count;
      return 0;
    }
    int error = 0;
    std::size_t n = count;
    if (FFs.FWriteBudget >= 0 && static_cast<std::int64_t>(n) > FFs.FWriteBudget) {
      n = static_cast<std::size_t>(FFs.FWriteBudget);
      error = FFs.FWriteError;
    }
    if (FFs.FWriteBudget >= 0) FFs.FWriteBudget -= n;
    if (FFile->Data.size() < offset + n) FFile->Data.resize(offset + n, '\0');
    std::memcpy(FFile->Data.data() + offset, buffer, n);
    done = n;
    return error;
  }
  // Counts a change; true when it is to be dropped (as by a writer killed after its k-th).
  bool Dropped() {
    ++FFile->Writes;
    if (FFile->WritesLeft < 0) return false;
    if (FFile->WritesLeft == 0) return true;
    --FFile->WritesLeft;
    return false;
  }
  int Size(std::int64_t& size) override {
    std::lock_guard guard(FFs.FMutex);
    size = static_cast<std::int64_t>(FFile->Data.size());
    return 0;
  }
  int Flush() override { return 0; }
  int SetSize(std::int64_t size) override {
    std::lock_guard guard(FFs.FMutex);
    if (!FReadWrite) return 5;
    if (size < 0 || size > FFs.MaxFileSize) return 112;
    if (Dropped()) return 0;
    FFile->Data.resize(static_cast<std::size_t>(size), '\0');
    return 0;
  }
  int Lock(std::uint64_t offset, std::uint64_t length) override {
    std::lock_guard guard(FFs.FMutex);
    FFs.LockLog.push_back("L " + std::to_string(offset) + " " + std::to_string(length));
    if (FFs.RefuseLocks) return 33;
    for (const auto& l : FFile->Locks)
      if (Overlap(l.Offset, l.Length, offset, length)) return 33;  // this handle's own too, as Windows
    FFile->Locks.push_back({this, offset, length});
    return 0;
  }
  int Unlock(std::uint64_t offset, std::uint64_t length) override {
    std::lock_guard guard(FFs.FMutex);
    FFs.LockLog.push_back("U " + std::to_string(offset) + " " + std::to_string(length));
    auto& locks = FFile->Locks;
    for (auto it = locks.begin(); it != locks.end(); ++it)
      if (it->Owner == this && it->Offset == offset && it->Length == length) {
        locks.erase(it);
        return 0;
      }
    return 158;  // ERROR_NOT_LOCKED
  }

 private:
  TxbMemoryFileSystem& FFs;
  std::shared_ptr<TxbMemoryFileSystem::TFile> FFile;
  bool FReadWrite;
};

std::string TxbMemoryFileSystem::FullName(std::string_view name) {
  std::string full = ExpandFileName(name);
  std::replace(full.begin(), full.end(), '/', '\\');
  return AnsiUpperCase(full);
}

std::shared_ptr<TxbMemoryFileSystem::TFile> TxbMemoryFileSystem::Find(std::string_view name) {
  auto it = FFiles.find(FullName(name));
  return it == FFiles.end() ? nullptr : it->second;
}

bool TxbMemoryFileSystem::Exists(const std::string& name) {
  std::lock_guard guard(FMutex);
  return Find(name) != nullptr;
}

int TxbMemoryFileSystem::Open(const std::string& name, bool readWrite, bool shared, std::unique_ptr<TxbOsFile>& file) {
  std::lock_guard guard(FMutex);
  auto f = Find(name);
  if (!f) return 2;
  if (readWrite && f->ReadOnly) return 5;
  if (f->Exclusive || (!shared && f->Opened > 0)) return 32;
  ++f->Opened;
  f->Exclusive = !shared;
  file = std::make_unique<TxbMemoryFile>(*this, f, readWrite);
  return 0;
}

int TxbMemoryFileSystem::Create(const std::string& name, std::unique_ptr<TxbOsFile>& file) {
  std::lock_guard guard(FMutex);
  auto f = Find(name);
  if (f && f->Opened > 0) return 32;
  if (f && f->ReadOnly) return 5;
  if (!f) f = FFiles[FullName(name)] = std::make_shared<TFile>();
  f->Data.clear();
  ++f->Opened;
  f->Exclusive = true;
  file = std::make_unique<TxbMemoryFile>(*this, f, true);
  return 0;
}

int TxbMemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  std::lock_guard guard(FMutex);
  auto f = Find(from);
  if (!f) return 2;
  if (Find(to)) return 183;
  if (f->Opened > 0) return 32;
  FFiles.erase(FullName(from));
  FFiles[FullName(to)] = f;
  return 0;
}

int TxbMemoryFileSystem::Replace(const std::string& from, const std::string& to) {
  std::lock_guard guard(FMutex);
  auto f = Find(from);
  if (!f) return 2;
  auto old = Find(to);
  if (f->Opened > 0 || (old && old->Opened > 0)) return 32;
  FFiles.erase(FullName(from));
  FFiles[FullName(to)] = f;
  return 0;
}

std::string TxbMemoryFileSystem::FileBytes(std::string_view name) {
  std::lock_guard guard(FMutex);
  auto f = Find(name);
  return f ? f->Data : std::string();
}

void TxbMemoryFileSystem::SetFile(std::string_view name, std::string bytes) {
  std::lock_guard guard(FMutex);
  auto& f = FFiles[FullName(name)];
  if (!f) f = std::make_shared<TFile>();
  f->Data = std::move(bytes);
}

bool TxbMemoryFileSystem::ReadOnly(std::string_view name) {
  std::lock_guard guard(FMutex);
  auto f = Find(name);
  return f && f->ReadOnly;
}

void TxbMemoryFileSystem::SetReadOnly(std::string_view name, bool readOnly) {
  std::lock_guard guard(FMutex);
  if (auto f = Find(name)) f->ReadOnly = readOnly;
}

void TxbMemoryFileSystem::DropWritesAfter(std::string_view name, std::int64_t count) {
  std::lock_guard guard(FMutex);
  if (auto f = Find(name)) f->WritesLeft = count;
}

std::int64_t TxbMemoryFileSystem::WriteCount(std::string_view name) {
  std::lock_guard guard(FMutex);
  auto f = Find(name);
  return f ? f->Writes : 0;
}

void TxbMemoryFileSystem::LimitWrites(std::int64_t bytes, int error) {
  FWriteBudget = bytes;
  FWriteError = error;
}
