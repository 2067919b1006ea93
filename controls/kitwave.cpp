#include "controls/kitwave.h"

#include <cstring>
#include <memory>
#include <string>

#include "classlib/core/filer.h"
#include "classlib/core/sound.h"
#include "controls/kitstreams.h"

HX_PUBLISH(TKitWave, p) {}

namespace {

bool ReadExactly(TStream* s, void* buffer, std::int64_t count) { return s->Read(buffer, count) == count; }

std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool CheckWave(TStream* Stream, TKitWaveInfo& Info) {
  if (!Stream || Stream->GetSize() == 0) return false;
  // The RIFF header, the "fmt " chunk's header and its record up to bits per sample:
  // tag, channels, rate, bytes per second, block align (14 bytes), then the bits.
  std::uint8_t h[36];
  Stream->SetPosition(0);
  bool whole = ReadExactly(Stream, h, sizeof h);
  Stream->SetPosition(0);
  if (!whole || std::memcmp(h, "RIFF", 4) != 0 || std::memcmp(h + 8, "WAVE", 4) != 0 ||
      std::memcmp(h + 12, "fmt ", 4) != 0)
    return false;
  Info.RiffSize = U32(h + 4);
  std::uint16_t channels = U16(h + 22);
  Info.PCM = U16(h + 20) == 1 ? 1 : 0;
  Info.ChannelMode = channels == 1 || channels == 2 ? static_cast<std::uint8_t>(channels) : 0;
  Info.SampleRate = U32(h + 24);
  Info.BitsPerSample = U16(h + 34);
  return true;
}

TKitWave::TKitWave(const String& FileName) { LoadFromFile(FileName); }

TKitWave::~TKitWave() {
  if (FData) StopSound();
  delete FData;
}

void TKitWave::StopSound() { StopWaveSound(); }

void TKitWave::SetData(TMemoryStream* Data) {
  if (FData) {
    StopSound();
    delete FData;
  }
  FData = Data;
  if (FData) FData->SetPosition(0);
  Change();
}

void TKitWave::Clear() { SetData(nullptr); }

void TKitWave::Assign(TPersistent* Source) {
  if (!Source) return Clear();
  auto* wave = dynamic_cast<TKitWave*>(Source);
  if (!wave) return inherited::Assign(Source);
  if (wave == this) return;
  auto copy = std::make_unique<TMemoryStream>();
  if (wave->Size() > 0) {
    copy->CopyFrom(wave->FData, 0);
    wave->FData->SetPosition(0);
  }
  SetData(copy.release());
}

void TKitWave::LoadBytes(TStream* Stream, std::int64_t Count, const String& FileName) {
  if (Stream->GetSize() == 0) return Clear();
  if (Count <= 0) return;  // a stored "Data" may be empty: the wave stays as it is
  if (Count > Stream->GetSize() - Stream->GetPosition()) throw EReadError("Wave size runs past the end of the stream");
  auto image = std::make_unique<TMemoryStream>();
  image->SetSize(Count);
  Stream->ReadBuffer(image->Memory(), Count);
  TKitWaveInfo info;
  if (!CheckWave(image.get(), info)) {
    if (FileName.empty()) throw EInvalidWave(String(ClassName()) + ": данные не являются звуком WAVE");
    throw EInvalidWave(String(ClassName()) + ": Не могу открыть файл " + FileName);
  }
  SetData(image.release());
}

void TKitWave::LoadFromStream(TStream* Stream) {
  LoadBytes(Stream, Stream->GetSize() - Stream->GetPosition(), String());
}

void TKitWave::LoadFromFile(const String& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadBytes(&file, file.GetSize(), FileName);
}

void TKitWave::SaveToStream(TStream* Stream) {
  if (Size() > 0) Stream->WriteBuffer(FData->Memory(), FData->GetSize());
}

void TKitWave::SaveToFile(const String& FileName) {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

void TKitWave::ReadData(TStream* Stream) { ReadUncompressed(this, Stream); }

void TKitWave::WriteData(TStream* Stream) { WriteUncompressed(this, Stream); }

void TKitWave::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, FData != nullptr);
}

bool TKitWave::Play(bool Asynchronous, bool Looped) {
  if (Empty()) return false;
  unsigned flags = sndNoDefault;
  if (Asynchronous) {
    flags |= sndAsync;
    if (Looped) flags |= sndLoop;
  }
  auto bytes = std::make_shared<const std::string>(static_cast<const char*>(FData->Memory()),
                                                   static_cast<std::size_t>(FData->GetSize()));
  return PlayWaveFromMemory(std::move(bytes), flags);
}

void WriteUncompressed(TKitWave* Wave, TStream* Stream) {
  if (!Wave->FData) Wave->FData = new TMemoryStream;
  if (Wave->Size() > 0x7FFFFFFF) throw EWriteError("Wave larger than 2 GB");
  WriteInt(Stream, static_cast<std::int32_t>(Wave->Size()));
  Wave->SaveToStream(Stream);
}

void WriteCompressed(TKitWave* Wave, TStream* Stream) {
  TMemoryStream image;
  Wave->SaveToStream(&image);
  WriteFlaggedForm(Stream, &image, true);
}

void ReadUncompressed(TKitWave* Wave, TStream* Stream) {
  std::int64_t size = static_cast<std::uint32_t>(ReadInt(Stream));
  Wave->LoadBytes(Stream, size, String());
}

void ReadCompressed(TKitWave* Wave, TStream* Stream) {
  TMemoryStream image;
  ReadCompressedBlocks(Stream, &image);
  image.SetPosition(0);
  Wave->LoadFromStream(&image);
}

void WriteFlaggedWave(TStream* stream, TKitWave* wave, bool compressed) {
  if (compressed) WriteCompressed(wave, stream);
  else WriteUncompressed(wave, stream);
}

void ReadFlaggedWave(TStream* stream, TKitWave* wave, bool compressed) {
  if (compressed) ReadCompressed(wave, stream);
  else ReadUncompressed(wave, stream);
}
