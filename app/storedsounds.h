#pragma once
// TDskWaveHolder: wave sounds carried inside a window's form resource and played from
// memory (the about box keeps one). Internal waves hold their bytes, streamed as
// "FileContents"; external waves only name a file, and nothing plays them.
#include "classlib/core/collection.h"
#include "classlib/core/streams.h"
#include "desktop/dsksystems.h"

class TDskInternalWave : public TCollectionItem {
  HX_CLASS(TDskInternalWave, TCollectionItem)
 public:
  explicit TDskInternalWave(TCollection* Collection);
  ~TDskInternalWave() override;

  bool Asynchronous = true;
  bool Looped = false;  // loops only when asynchronous
  // The sound's name; takes a value only while the holder is read from its form.
  const String& GetWave() const { return FWave; }
  void SetWave(const String& Value);
  // The wave file's bytes (a whole RIFF image).
  TMemoryStream* Contents() const { return FContents; }

  String GetDisplayName() override;  // Wave, or "No Wave Stored"
  // From another internal wave: its name and bytes (from itself: nothing changes).
  void Assign(TPersistent* Source) override;
  // "FileContents", always written (a count of 0 when there are no bytes).
  void DefineProperties(TFiler* Filer) override;

 private:
  String FWave;
  TMemoryStream* FContents;
};

class TDskExternalWave : public TCollectionItem {
  HX_CLASS(TDskExternalWave, TCollectionItem)
 public:
  explicit TDskExternalWave(TCollection* Collection) : TCollectionItem(Collection) {}

  bool Asynchronous = true;
  bool Looped = false;
  String WavFileName;

  String GetDisplayName() override;  // the file name without its folder, or "No Wave specified"
  void Assign(TPersistent* Source) override;
};

class TDskInternalWaves : public TCollection {
  HX_CLASS(TDskInternalWaves, TCollection)
 public:
  explicit TDskInternalWaves(TPersistent* Owner) : TCollection(Owner, ClassOf<TDskInternalWave>()) {}
  TDskInternalWave* Items(int Index) const { return static_cast<TDskInternalWave*>(GetItem(Index)); }
};

class TDskExternalWaves : public TCollection {
  HX_CLASS(TDskExternalWaves, TCollection)
 public:
  explicit TDskExternalWaves(TPersistent* Owner) : TCollection(Owner, ClassOf<TDskExternalWave>()) {}
  TDskExternalWave* Items(int Index) const { return static_cast<TDskExternalWave*>(GetItem(Index)); }
};

class TDskWaveHolder : public TDskSystemsComponent {
  HX_CLASS(TDskWaveHolder, TDskSystemsComponent)
 public:
  explicit TDskWaveHolder(TComponent* AOwner);
  ~TDskWaveHolder() override;

  TDskInternalWaves* GetInternals() const { return FInternals; }
  void SetInternals(TDskInternalWaves* Value) { FInternals->Assign(Value); }
  TDskExternalWaves* GetExternals() const { return FExternals; }
  void SetExternals(TDskExternalWaves* Value) { FExternals->Assign(Value); }

  // Plays internal wave Index from memory through the system's simple sound player:
  // synchronously, or asynchronously (and then looped when Looped); no default sound when
  // the wave cannot play. False for an index out of range or an empty wave, else whether
  // the system took it. An asynchronous sound keeps a copy of its bytes as long as it may
  // play, so the holder may go meanwhile.
  bool PlayInternalWave(int Index);

 private:
  TDskInternalWaves* FInternals;
  TDskExternalWaves* FExternals;
};
