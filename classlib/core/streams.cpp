#include "classlib/core/streams.h"

#include <algorithm>
#include <cstring>

#include "classlib/core/typinfo.h"

HX_PUBLISH(TStream, p) {}
HX_PUBLISH(TCustomMemoryStream, p) {}
HX_PUBLISH(TMemoryStream, p) {}
HX_PUBLISH(TStringStream, p) {}
HX_PUBLISH(TFileStream, p) {}

// ---- TStream ----

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream* source, std::int64_t count) {
  if (count == 0) {
    source->SetPosition(0);
    count = source->GetSize();
  }
  std::vector<std::uint8_t> buf(static_cast<size_t>(std::min<std::int64_t>(count, 0xF000)));
  for (std::int64_t left = count; left > 0;) {
    std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buf.size()));
    source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return count;
}

std::int64_t TStream::GetSize() {
  std::int64_t pos = Seek(0, soCurrent);
  std::int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) { throw EStreamError(ClassName() + " cannot change its size"); }

namespace {
// The position a seek asks for, or EStreamError when it lies before the start.
std::int64_t SeekTarget(std::int64_t offset, TSeekOrigin origin, std::int64_t pos, std::int64_t size) {
  std::int64_t target = origin == soBeginning ? offset : origin == soCurrent ? pos + offset : size + offset;
  if (target < 0) throw EStreamError("Seek before the start of the stream");
  return target;
}
}  // namespace

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(void* memory, std::int64_t size) {
  FMemory = memory;
  FSize = size;
}

std::int64_t TCustomMemoryStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || FPosition >= FSize) return 0;
  std::int64_t n = std::min(count, FSize - FPosition);
  std::memcpy(buffer, static_cast<const std::uint8_t*>(FMemory) + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

std::int64_t TCustomMemoryStream::Write(const void*, std::int64_t) {
  throw EStreamError("The stream is read-only");
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  FPosition = SeekTarget(offset, origin, FPosition, FSize);
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  if (FSize) stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const String& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(&file);
}

// ---- TMemoryStream ----

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  std::int64_t end = FPosition + count;
  if (end > GetSize()) SetSize(end);
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  return count;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("Negative stream size");
  FData.resize(static_cast<size_t>(size));
  SetPointer(FData.data(), size);
  if (FPosition > size) FPosition = size;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  std::int64_t size = stream->GetSize();
  SetSize(size);
  if (size) stream->ReadBuffer(FData.data(), size);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

// ---- TStringStream ----

std::int64_t TStringStream::Read(void* buffer, std::int64_t count) {
  std::int64_t size = static_cast<std::int64_t>(FData.size());
  if (count <= 0 || FPosition >= size) return 0;
  std::int64_t n = std::min(count, size - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

std::int64_t TStringStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (FPosition + count > static_cast<std::int64_t>(FData.size())) FData.resize(static_cast<size_t>(FPosition + count));
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition += count;
  return count;
}

std::int64_t TStringStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  FPosition = SeekTarget(offset, origin, FPosition, static_cast<std::int64_t>(FData.size()));
  return FPosition;
}

void TStringStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("Negative stream size");
  FData.resize(static_cast<size_t>(size));
  if (FPosition > size) FPosition = size;
}

std::string TStringStream::ReadString(std::int64_t count) {
  std::int64_t size = static_cast<std::int64_t>(FData.size());
  std::int64_t n = std::max<std::int64_t>(0, std::min(count, size - FPosition));
  std::string s = FData.substr(static_cast<size_t>(FPosition), static_cast<size_t>(n));
  FPosition += n;
  return s;
}

std::string StreamToString(TStream* stream) {
  std::int64_t pos = stream->GetPosition();
  stream->SetPosition(0);
  std::string s(static_cast<size_t>(stream->GetSize()), '\0');
  stream->ReadBuffer(s.data(), static_cast<std::int64_t>(s.size()));
  stream->SetPosition(pos);
  return s;
}
