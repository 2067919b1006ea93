// The items a container keeps: each writes a header (flag byte, description, Ident) and
// then its data in the kit's flagged layouts.
#include <memory>

#include "classlib/filer.h"
#include "classlib/files.h"
#include "classlib/unicode.h"
#include "classlib/winapi.h"
#include "classlib/stringlist.h"
#include "controls/kitcontainers.h"
#include "controls/kitstreams.h"
#include "controls/kitwave.h"

HX_PUBLISH(TKitListItem, p) {}

HX_PUBLISH(TKitBitmapListItem, p) {}

// Their data travels in "Internal" alone.
HX_PUBLISH(TKitStringListItem, p) {}

HX_PUBLISH(TKitWaveListItem, p) {}

// ---- TKitListItem ----

TKitListItem::~TKitListItem() {
  if (FContainer) FContainer->Forget(this);
}

void TKitListItem::SetDescription(const String& Value) {
  if (KitStore(FDescription, Value)) Change();
}

void TKitListItem::SetIdent(std::uint16_t Value) {
  if (KitStore(FIdent, Value)) Change();
}

void TKitListItem::SetCompressed(bool Value) {
  if (KitStore(FCompressed, Value)) Change();
}

std::uint8_t TKitListItem::GetFlags() {
  std::uint8_t flags = 0;
  if (FCompressed) flags |= kitItemCompressed;
  if (!FDescription.empty()) flags |= kitItemDescription;
  if (FIdent != 0) flags |= kitItemIdent;
  if (!IsEmpty()) flags |= kitItemData;
  return flags;
}

void TKitListItem::SaveToStream(TStream* Stream) {
  std::uint8_t flags = GetFlags();
  WriteFlag(Stream, flags);
  if (flags & kitItemDescription) WriteShortString(Stream, FDescription);
  if (flags & kitItemIdent) WriteInt(Stream, FIdent);
  if (flags & kitItemData) WriteData(Stream);
}

void TKitListItem::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  struct TEnd {
    TKitListItem* Item;
    ~TEnd() { Item->EndUpdate(true); }
  } end{this};
  std::uint8_t flags = ReadFlag(Stream);
  FCompressed = (flags & kitItemCompressed) != 0;
  FDescription = (flags & kitItemDescription) ? ReadShortString(Stream) : String();
  FIdent = (flags & kitItemIdent) ? static_cast<std::uint16_t>(ReadInt(Stream)) : 0;
  if (flags & kitItemData) ReadData(Stream, flags);
  else Clear();
}

void TKitListItem::AssignHeader(TKitListItem* Source) {
  FDescription = Source->FDescription;
  FIdent = Source->FIdent;
  FCompressed = Source->FCompressed;
}

void TKitListItem::Change() {
  if (TKitChangeNotifier::Updating()) return;
  inherited::Change();
  if (FContainer && FContainer->OnChange) FContainer->OnChange(this);
}

TComponent* TKitListItem::GetParentComponent() const { return FContainer; }

void TKitListItem::SetParentComponent(TComponent* Value) {
  if (auto* container = dynamic_cast<TKitCustomContainer*>(Value)) container->AddItem(this);
}

void TKitListItem::ReadState(TReader* Reader) {
  if (auto* container = dynamic_cast<TKitCustomContainer*>(Reader->Parent())) container->AddItem(this);
  inherited::ReadState(Reader);
}

void TKitListItem::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Internal", [this](TStream* s) { LoadFromStream(s); }, [this](TStream* s) { SaveToStream(s); }, true);
}

// ---- TKitBitmapListItem ----

namespace {

int ColorsOf(TKitSavePixelFormat Format) {
  switch (Format) {
    case TKitSavePixelFormat::spfMono: return 2;
    case TKitSavePixelFormat::spf4bit: return 16;
    case TKitSavePixelFormat::spf8bit: return 256;
    default: return -1;
  }
}

}  // namespace

TKitBitmapListItem::TKitBitmapListItem(TComponent* AOwner) : TKitListItem(AOwner), FBitmap(new TBitmap) {}

TKitBitmapListItem::~TKitBitmapListItem() { delete FBitmap; }

TBitmap* TKitBitmapListItem::Bitmap() {
  Fetch();
  return FBitmap;
}

// Runs while painting: nothing may escape, and a picture that is not there is not looked
// for again until the container's storage setting or the Ident changes.
void TKitBitmapListItem::Fetch() {
  TKitCustomContainer* c = Container();
  if (!c || c->GetStorageMode() == 0 || !FBitmap->Empty()) return;
  for (TComponent* who : {static_cast<TComponent*>(this), static_cast<TComponent*>(c)})
    if (who->ComponentState().Contains(csDesigning) || who->ComponentState().Contains(csLoading)) return;
  if (FTriedStorage == c->StorageSetting() && FTriedIdent == GetIdent()) return;
  FTriedStorage = c->StorageSetting();
  FTriedIdent = GetIdent();
  BeginUpdate();
  try {
    String dir = GetPrefixDir(c->GetPathPrefix(), true);
    switch (c->GetStorageMode()) {
      case 1: LoadBitmapFromFile(dir + c->GetFileName(), GetIdent(), FBitmap); break;
      case 2: FBitmap->LoadFromResourceID(nullptr, GetIdent()); break;
      case 3: {
        HMODULE library = LoadLibraryExW(Utf8ToWide(dir + c->GetFileName()).c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!library) break;
        try {
          FBitmap->LoadFromResourceID(library, GetIdent());
        } catch (...) {
          FreeLibrary(library);
          throw;
        }
        FreeLibrary(library);
        break;
      }
      case 4: {
        if (c->GetPathPrefix() == ppFixed) dir = ExtractFilePath(c->GetFileName());
        String name = ExtractFileName(c->GetFileName()).substr(0, 3);
        FBitmap->LoadFromFile(dir + name + std::to_string(GetIdent()) + ".bmp");
        break;
      }
      default: break;
    }
  } catch (...) {
    FBitmap->Assign(nullptr);
  }
  EndUpdate(false);
}

void TKitBitmapListItem::SetBitmap(TBitmap* Value) {
  FBitmap->Assign(Value);
  Change();
}

void TKitBitmapListItem::SetPixelFormat(TKitSavePixelFormat Value) {
  if (KitStore(FPixelFormat, Value)) Change();
}

void TKitBitmapListItem::Clear() {
  FBitmap->Assign(nullptr);
  Change();
}

std::uint8_t TKitBitmapListItem::GetFlags() {
  std::uint8_t flags = inherited::GetFlags();
  if (FPixelFormat == TKitSavePixelFormat::spfMono) flags |= kitItemMono;
  if (FPixelFormat == TKitSavePixelFormat::spf4bit) flags |= kitItem4Bit;
  if (FPixelFormat == TKitSavePixelFormat::spf8bit) flags |= kitItem8Bit;
  return flags;
}

void TKitBitmapListItem::ReadData(TStream* Stream, std::uint8_t Flags) {
  FPixelFormat = (Flags & kitItemMono)   ? TKitSavePixelFormat::spfMono
                 : (Flags & kitItem4Bit) ? TKitSavePixelFormat::spf4bit
                 : (Flags & kitItem8Bit) ? TKitSavePixelFormat::spf8bit
                                         : TKitSavePixelFormat::spfDefault;
  ReadFlaggedBitmap(Stream, FBitmap, GetCompressed());
}

void TKitBitmapListItem::WriteData(TStream* Stream) {
  WriteFlaggedBitmap(Stream, FBitmap, GetCompressed(), ColorsOf(FPixelFormat));
}

void TKitBitmapListItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitBitmapListItem*>(Source);
  if (!s) return inherited::Assign(Source);
  if (s == this) return;
  AssignHeader(s);
  FPixelFormat = s->FPixelFormat;
  FBitmap->Assign(s->FBitmap);
  Change();
}

// ---- TKitStringListItem ----

TKitStringListItem::TKitStringListItem(TComponent* AOwner) : TKitListItem(AOwner), FItems(new TStringList) {}

TKitStringListItem::~TKitStringListItem() { delete FItems; }

TStrings* TKitStringListItem::Items() const { return FItems; }

void TKitStringListItem::SetItems(TStrings* Value) {
  FItems->Assign(Value);
  Change();
}

void TKitStringListItem::Clear() {
  FItems->Clear();
  Change();
}

bool TKitStringListItem::IsEmpty() { return FItems->Count() == 0; }

void TKitStringListItem::ReadData(TStream* Stream, std::uint8_t) { ReadFlaggedStrings(Stream, FItems, GetCompressed()); }

void TKitStringListItem::WriteData(TStream* Stream) { WriteFlaggedStrings(Stream, FItems, GetCompressed()); }

void TKitStringListItem::Assign(TPersistent* Source) {
  if (auto* strings = dynamic_cast<TStrings*>(Source)) return SetItems(strings);
  auto* s = dynamic_cast<TKitStringListItem*>(Source);
  if (!s) return inherited::Assign(Source);
  if (s == this) return;
  AssignHeader(s);
  SetItems(s->FItems);
}

// ---- TKitWaveListItem ----

TKitWaveListItem::TKitWaveListItem(TComponent* AOwner) : TKitListItem(AOwner), FWave(new TKitWave) {}

TKitWaveListItem::~TKitWaveListItem() { delete FWave; }

void TKitWaveListItem::SetWave(TKitWave* Value) {
  FWave->Assign(Value);
  Change();
}

void TKitWaveListItem::Clear() {
  FWave->Clear();
  Change();
}

bool TKitWaveListItem::IsEmpty() { return FWave->Empty(); }

void TKitWaveListItem::ReadData(TStream* Stream, std::uint8_t) { ReadFlaggedWave(Stream, FWave, GetCompressed()); }

void TKitWaveListItem::WriteData(TStream* Stream) { WriteFlaggedWave(Stream, FWave, GetCompressed()); }

void TKitWaveListItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitWaveListItem*>(Source);
  if (!s) return inherited::Assign(Source);
  if (s == this) return;
  AssignHeader(s);
  SetWave(s->FWave);
}
