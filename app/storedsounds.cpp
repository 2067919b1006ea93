#include "app/storedsounds.h"

#include <memory>

#include "classlib/core/filer.h"
#include "classlib/core/files.h"
#include "classlib/core/sound.h"

HX_PUBLISH(TDskInternalWave, p) {
  p.Property("Asynchronous", &TDskInternalWave::Asynchronous, &TDskInternalWave::Asynchronous).Default(true);
  p.Property("Looped", &TDskInternalWave::Looped, &TDskInternalWave::Looped);
  p.Property("Wave", &TDskInternalWave::GetWave, &TDskInternalWave::SetWave).Default("");
}

HX_PUBLISH(TDskExternalWave, p) {
  p.Property("Asynchronous", &TDskExternalWave::Asynchronous, &TDskExternalWave::Asynchronous).Default(true);
  p.Property("Looped", &TDskExternalWave::Looped, &TDskExternalWave::Looped).Default(false);
  p.Property("WavFileName", &TDskExternalWave::WavFileName, &TDskExternalWave::WavFileName).Default("");
}

HX_PUBLISH(TDskInternalWaves, p) {}
HX_PUBLISH(TDskExternalWaves, p) {}

HX_PUBLISH(TDskWaveHolder, p) {
  p.Property("Internals", &TDskWaveHolder::GetInternals, &TDskWaveHolder::SetInternals);
  p.Property("Externals", &TDskWaveHolder::GetExternals, &TDskWaveHolder::SetExternals);
}

// ---- TDskInternalWave ----

TDskInternalWave::TDskInternalWave(TCollection* Collection)
    : TCollectionItem(Collection), FContents(new TMemoryStream) {}

TDskInternalWave::~TDskInternalWave() { delete FContents; }

void TDskInternalWave::SetWave(const String& Value) {
  if (TDskSystemsComponent::ItemOwnerLoading(this)) FWave = Value;
}

String TDskInternalWave::GetDisplayName() { return FWave.empty() ? String("No Wave Stored") : FWave; }

void TDskInternalWave::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TDskInternalWave*>(Source);
  if (!other) return inherited::Assign(Source);
  if (other == this) return;
  FWave = other->FWave;
  FContents->LoadFromStream(other->FContents);
}

void TDskInternalWave::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "FileContents", [this](TStream* Stream) { FContents->LoadFromStream(Stream); },
      [this](TStream* Stream) { FContents->SaveToStream(Stream); }, true);
}

// ---- TDskExternalWave ----

String TDskExternalWave::GetDisplayName() {
  return WavFileName.empty() ? String("No Wave specified") : ExtractFileName(WavFileName);
}

void TDskExternalWave::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TDskExternalWave*>(Source);
  if (!other) return inherited::Assign(Source);
  Asynchronous = other->Asynchronous;
  Looped = other->Looped;
  WavFileName = other->WavFileName;
}

// ---- TDskWaveHolder ----

TDskWaveHolder::TDskWaveHolder(TComponent* AOwner)
    : TDskSystemsComponent(AOwner), FInternals(new TDskInternalWaves(this)), FExternals(new TDskExternalWaves(this)) {}

TDskWaveHolder::~TDskWaveHolder() {
  delete FExternals;
  delete FInternals;
}

bool TDskWaveHolder::PlayInternalWave(int Index) {
  if (Index < 0 || Index >= FInternals->Count()) return false;
  TDskInternalWave* wave = FInternals->Items(Index);
  TMemoryStream* contents = wave->Contents();
  if (contents->GetSize() == 0) return false;
  unsigned flags = sndNoDefault;
  if (wave->Asynchronous) {
    flags |= sndAsync;
    if (wave->Looped) flags |= sndLoop;
  }
  auto bytes = std::make_shared<const std::string>(static_cast<const char*>(contents->Memory()),
                                                   static_cast<size_t>(contents->GetSize()));
  return PlayWaveFromMemory(std::move(bytes), flags);
}
