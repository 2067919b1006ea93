#include "controls/kitstreams.h"

#include <string>
#include <vector>

#include "classlib/core/codepage.h"
#include "classlib/core/stringlist.h"
#include "controls/lzrw.h"

namespace {

std::int64_t Remaining(TStream* s) { return s->GetSize() - s->GetPosition(); }

void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t ReadU32(TStream* s) {
  std::uint8_t b[4];
  s->ReadBuffer(b, 4);
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

void WriteU32(TStream* s, std::uint32_t v) {
  std::uint8_t b[4];
  PutU32(b, v);
  s->WriteBuffer(b, 4);
}

}  // namespace

void WriteCompressedBlocks(TStream* source, TStream* dest, std::int64_t count) {
  std::int64_t start = dest->GetPosition();
  WriteU32(dest, 0);  // the total, filled in at the end
  std::vector<std::uint8_t> in(LzrwChunkSize), out(LzrwCompressBound(LzrwChunkSize));
  std::int64_t total = 0;
  while (count > 0) {
    std::int64_t want = count < static_cast<std::int64_t>(LzrwChunkSize) ? count : static_cast<std::int64_t>(LzrwChunkSize);
    std::int64_t n = source->Read(in.data(), want);
    if (n <= 0) throw EReadError("Stream read error: the source ended before all bytes were compressed");
    std::size_t len = Lzrw1KhCompress(in.data(), out.data(), static_cast<std::size_t>(n));
    WriteU32(dest, static_cast<std::uint32_t>(len));
    dest->WriteBuffer(out.data(), static_cast<std::int64_t>(len));
    total += static_cast<std::int64_t>(len) + 4;
    count -= n;
  }
  if (total > 0xFFFFFFFFll) throw EWriteError("Block stream larger than 4 GB");
  std::int64_t end = dest->GetPosition();
  dest->SetPosition(start);
  WriteU32(dest, static_cast<std::uint32_t>(total));
  dest->SetPosition(end);
}

void ReadCompressedBlocks(TStream* source, TStream* dest) {
  std::int64_t total = ReadU32(source);
  if (total > Remaining(source)) throw EReadError("Block stream total runs past the end of the stream");
  std::vector<std::uint8_t> in, out(LzrwChunkSize);
  while (total > 0) {
    if (total < 4) throw EReadError("Block stream total ends inside a chunk length");
    std::int64_t len = ReadU32(source);
    total -= 4;
    if (len < 1 || len > static_cast<std::int64_t>(LzrwCompressBound(LzrwChunkSize)) || len > total)
      throw EReadError("Block stream chunk length out of range");
    in.resize(static_cast<std::size_t>(len));
    source->ReadBuffer(in.data(), len);
    std::size_t n = Lzrw1KhDecompress(in.data(), out.data(), in.size(), out.size());
    dest->WriteBuffer(out.data(), static_cast<std::int64_t>(n));
    total -= len;
  }
}

void WriteFlag(TStream* stream, std::uint8_t flag) { stream->WriteBuffer(&flag, 1); }

std::uint8_t ReadFlag(TStream* stream) {
  std::uint8_t flag;
  stream->ReadBuffer(&flag, 1);
  return flag;
}

void WriteInt(TStream* stream, std::int32_t value) { WriteU32(stream, static_cast<std::uint32_t>(value)); }

std::int32_t ReadInt(TStream* stream) { return static_cast<std::int32_t>(ReadU32(stream)); }

void WriteShortString(TStream* stream, const String& s) {
  std::string bytes = Utf8ToCp1251(s);
  if (bytes.size() > 255) throw EWriteError("String too long for a short string: " + std::to_string(bytes.size()) + " characters, at most 255");
  std::uint8_t len = static_cast<std::uint8_t>(bytes.size());
  stream->WriteBuffer(&len, 1);
  stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

String ReadShortString(TStream* stream) {
  std::uint8_t len = ReadFlag(stream);
  std::string bytes(len, '\0');
  stream->ReadBuffer(bytes.data(), len);
  return Cp1251ToUtf8(bytes);
}

void WriteFlaggedForm(TStream* stream, TCustomMemoryStream* form, bool compressed) {
  form->SetPosition(0);
  if (compressed) {
    WriteCompressedBlocks(form, stream, form->GetSize());
    return;
  }
  if (form->GetSize() > 0x7FFFFFFF) throw EWriteError("Block larger than 2 GB");
  WriteU32(stream, static_cast<std::uint32_t>(form->GetSize()));
  form->SaveToStream(stream);
}

void ReadFlaggedForm(TStream* stream, TMemoryStream* form, bool compressed) {
  form->Clear();
  if (compressed) {
    ReadCompressedBlocks(stream, form);
  } else {
    std::int64_t size = ReadU32(stream);
    if (size > Remaining(stream)) throw EReadError("Block size runs past the end of the stream");
    form->SetSize(size);
    stream->ReadBuffer(form->Memory(), size);
  }
  form->SetPosition(0);
}

// The list's text is stored in code page 1251, as the kit's files have it; a text with a
// UTF-8 byte-order mark is read as UTF-8.
void WriteFlaggedStrings(TStream* stream, TStrings* strings, bool compressed) {
  std::string text = Utf8ToCp1251(strings->GetText());
  TMemoryStream form;
  form.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  WriteFlaggedForm(stream, &form, compressed);
}

void ReadFlaggedStrings(TStream* stream, TStrings* strings, bool compressed) {
  TMemoryStream form;
  ReadFlaggedForm(stream, &form, compressed);
  std::string text(static_cast<size_t>(form.GetSize()), '\0');
  form.SetPosition(0);
  form.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) strings->SetText(text.substr(3));
  else strings->SetText(Cp1251ToUtf8(text));
}
