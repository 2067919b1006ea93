#pragma once
// TKitWave: one wave sound (a whole RIFF WAVE file image) kept in memory, so that a
// component can store it in its form ("Data": a 4-byte size, then the image), load it from
// and save it to files and streams, keep it in a wave list and play it from memory. Only an
// image that starts with "RIFF", "WAVE" and a "fmt " chunk is taken.
#include <cstdint>

#include "classlib/core/streams.h"
#include "controls/kitbase.h"

// Data that is no wave image.
HX_DECLARE_EXCEPTION(EInvalidWave, Exception);

// What CheckWave reads from a wave image's header.
struct TKitWaveInfo {
  std::uint32_t RiffSize = 0;    // the value after "RIFF"
  std::uint32_t SampleRate = 0;
  std::uint8_t ChannelMode = 0;  // 1 mono, 2 stereo, 0 any other count
  std::uint8_t PCM = 0;          // 1 when the format tag is 1
  std::uint16_t BitsPerSample = 0;
};

// True when Stream (read from its start) holds "RIFF", "WAVE", "fmt " and a whole format
// record; Info is filled then. A stream too short for its fields gives false. A non-empty
// stream is left at position 0.
bool CheckWave(TStream* Stream, TKitWaveInfo& Info);

class TKitWave : public TKitObject {
  HX_CLASS(TKitWave, TKitObject)
 public:
  TKitWave() = default;
  // Creates the wave and loads FileName.
  explicit TKitWave(const String& FileName);
  ~TKitWave() override;  // stops the sound first while the wave holds data
  TKitWave(const TKitWave&) = delete;
  TKitWave& operator=(const TKitWave&) = delete;

  // Copies another wave's image (nullptr clears); a wave assigned to itself stays as it is.
  void Assign(TPersistent* Source) override;

  // The "Data" value: a 4-byte size, then that many bytes of image.
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);
  // A file that is no wave image raises EInvalidWave naming it; the wave keeps its sound.
  virtual void LoadFromFile(const String& FileName);
  // Loads the bytes from Stream's position to its end.
  virtual void LoadFromStream(TStream* Stream);
  // The image alone, without a size.
  virtual void SaveToFile(const String& FileName);
  virtual void SaveToStream(TStream* Stream);

  void Clear();
  bool Empty() const { return !FData || FData->GetSize() == 0; }
  std::int64_t Size() const { return FData ? FData->GetSize() : 0; }
  // The image; nullptr for a wave that never held one.
  const TMemoryStream* Data() const { return FData; }

  // Plays the image from memory (looping only asynchronously); false for an empty wave or
  // when the system refuses it.
  bool Play(bool Asynchronous, bool Looped);
  // Ends the sound played from memory.
  static void StopSound();

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  friend void WriteUncompressed(TKitWave* Wave, TStream* Stream);
  friend void ReadUncompressed(TKitWave* Wave, TStream* Stream);
  // Takes Count bytes of Stream as the new image (see the source for the rules).
  void LoadBytes(TStream* Stream, std::int64_t Count, const String& FileName);
  // Replaces the image (nullptr: none), stopping a sound that may play from the old one.
  void SetData(TMemoryStream* Data);

  TMemoryStream* FData = nullptr;
};

// The wave's two stream forms: a 4-byte size and the image, or a block stream of the image.
void WriteUncompressed(TKitWave* Wave, TStream* Stream);
void WriteCompressed(TKitWave* Wave, TStream* Stream);
// A size past what Stream holds raises EReadError before anything is allocated.
void ReadUncompressed(TKitWave* Wave, TStream* Stream);
void ReadCompressed(TKitWave* Wave, TStream* Stream);
