#pragma once
// Streams: the byte streams that files, memory, strings and resources are read through.
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/core/exceptions.h"
#include "classlib/core/object.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
  HX_CLASS(TStream, TObject)
 public:

  // Reads or writes up to `count` bytes; returns how many were moved.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  // Exactly `count` bytes or EReadError / EWriteError.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies `count` bytes from `source` (0: all of it, from its start); returns the count.
  std::int64_t CopyFrom(TStream* source, std::int64_t count);

  std::int64_t GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t pos) { Seek(pos, soBeginning); }
  virtual std::int64_t GetSize();
  virtual void SetSize(std::int64_t size);
};

// A stream over memory it does not own (for example a resource); read-only unless a
// descendant allows writing.
class TCustomMemoryStream : public TStream {
  HX_CLASS(TCustomMemoryStream, TStream)
 public:
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return FSize; }

  void* Memory() const { return FMemory; }
  void SaveToStream(TStream* stream);
  void SaveToFile(const String& fileName);

 protected:
  void SetPointer(void* memory, std::int64_t size);
  std::int64_t FPosition = 0;

 private:
  void* FMemory = nullptr;
  std::int64_t FSize = 0;
};

// A growable stream in memory that owns its bytes.
class TMemoryStream : public TCustomMemoryStream {
  HX_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  void SetSize(std::int64_t size) override;
  void Clear();
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const String& fileName);

 private:
  std::vector<std::uint8_t> FData;
};

// A stream whose bytes are a string (DataString).
class TStringStream : public TStream {
  HX_CLASS(TStringStream, TStream)
 public:
  explicit TStringStream(std::string data = {}) : FData(std::move(data)) {}
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;
  const std::string& DataString() const { return FData; }
  // Reads up to `count` bytes as a string.
  std::string ReadString(std::int64_t count);
  void WriteString(const std::string& s) { WriteBuffer(s.data(), static_cast<std::int64_t>(s.size())); }

 private:
  std::string FData;
  std::int64_t FPosition = 0;
};

// File open modes: one access mode or'ed with one sharing mode, or fmCreate.
constexpr std::uint16_t fmCreate = 0xFF00;
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareCompat = 0x0000;
constexpr std::uint16_t fmShareExclusive = 0x0010;
constexpr std::uint16_t fmShareDenyWrite = 0x0020;
constexpr std::uint16_t fmShareDenyRead = 0x0030;
constexpr std::uint16_t fmShareDenyNone = 0x0040;

// A stream over a file. Raises EFCreateError / EFOpenError with the system's reason.
class TFileStream : public TStream {
  HX_CLASS(TFileStream, TStream)
 public:
  TFileStream(const String& fileName, std::uint16_t mode);
  ~TFileStream() override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;
  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
  std::intptr_t FHandle = -1;  // a HANDLE under Windows, a file descriptor elsewhere
};

// The whole contents of a stream from its start; the stream's position is restored.
std::string StreamToString(TStream* stream);
