// The items a container keeps: each writes a header (flag byte, description, Ident) and
// then its data in the kit's flagged layouts.
#include <memory>

#include "classlib/core/filer.h"
#include "classlib/core/files.h"
#include "classlib/core/finally.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#include "classlib/core/stringlist.h"
#include "controls/kitcontainers.h"
#include "controls/kitstreams.h"
#include "controls/kitwave.h"

HX_PUBLISH(TKitListItem, p) {}

// The data of every item travels in "Internal" alone: the published members are set in
// code or by a form's text, never written as properties of their own.
HX_PUBLISH(TKitBitmapListItem, p) {
  p.Property("Bitmap", &TKitBitmapListItem::Bitmap, &TKitBitmapListItem::SetBitmap).Stored(false);
  p.Property("Description", &TKitBitmapListItem::GetDescription, &TKitBitmapListItem::SetDescription)
      .Stored(false);
  p.Property("Ident", &TKitBitmapListItem::GetIdent, &TKitBitmapListItem::SetIdent).Stored(false);
}

HX_PUBLISH(TKitImageListItem, p) {
  p.Property("AllocBy", &TKitImageListItem::GetAllocBy, &TKitImageListItem::SetAllocBy).Default(4);
  p.Property("Description", &TKitImageListItem::GetDescription, &TKitImageListItem::SetDescription).Default(String());
  p.Property("Masked", &TKitImageListItem::GetMasked, &TKitImageListItem::SetMasked).Default(false);
  p.Property("Height", &TKitImageListItem::GetHeight, &TKitImageListItem::SetHeight).Default(16);
  p.Property("Width", &TKitImageListItem::GetWidth, &TKitImageListItem::SetWidth).Default(16);
}

HX_PUBLISH(TKitStringListItem, p) {
  p.Property("Items", &TKitStringListItem::Items, &TKitStringListItem::SetItems).Stored(false);
  p.Property("Description", &TKitStringListItem::GetDescription, &TKitStringListItem::SetDescription)
      .Stored(false);
  p.Property("Ident", &TKitStringListItem::GetIdent, &TKitStringListItem::SetIdent).Stored(false);
}

HX_PUBLISH(TKitWaveListItem, p) {
  p.Property("Wave", &TKitWaveListItem::Wave, &TKitWaveListItem::SetWave).Stored(false);
  p.Property("Description", &TKitWaveListItem::GetDescription, &TKitWaveListItem::SetDescription).Stored(false);
  p.Property("Ident", &TKitWaveListItem::GetIdent, &TKitWaveListItem::SetIdent).Stored(false);
}

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

std::uint8_t DepthFlags(TKitSavePixelFormat Format) {
  switch (Format) {
    case TKitSavePixelFormat::spfMono: return kitItemMono;
    case TKitSavePixelFormat::spf4bit: return kitItem4Bit;
    case TKitSavePixelFormat::spf8bit: return kitItem8Bit;
    default: return 0;
  }
}

TKitSavePixelFormat DepthOf(std::uint8_t Flags) {
  return (Flags & kitItemMono)   ? TKitSavePixelFormat::spfMono
         : (Flags & kitItem4Bit) ? TKitSavePixelFormat::spf4bit
         : (Flags & kitItem8Bit) ? TKitSavePixelFormat::spf8bit
                                 : TKitSavePixelFormat::spfDefault;
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
        TFinally release([library] { FreeLibrary(library); });
        FBitmap->LoadFromResourceID(library, GetIdent());
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
  return inherited::GetFlags() | DepthFlags(FPixelFormat);
}

void TKitBitmapListItem::ReadData(TStream* Stream, std::uint8_t Flags) {
  FPixelFormat = DepthOf(Flags);
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

// ---- TKitImageListItem ----

namespace {

constexpr int kMaxStripWidth = 32768;

}  // namespace

TKitImageListItem::TKitImageListItem(TComponent* AOwner)
    : TKitListItem(AOwner), FStrip(new TBitmap), FMask(new TBitmap) {}

TKitImageListItem::~TKitImageListItem() {
  delete FMask;
  delete FStrip;
}

void TKitImageListItem::SetWidth(int Value) {
  if (Value < 1 || Value == FWidth) return;
  FWidth = Value;
  Clear();
}

void TKitImageListItem::SetHeight(int Value) {
  if (Value < 1 || Value == FHeight) return;
  FHeight = Value;
  Clear();
}

void TKitImageListItem::SetAllocBy(int Value) {
  if (Value >= 1 && KitStore(FAllocBy, Value)) Change();
}

void TKitImageListItem::SetMasked(bool Value) {
  if (!KitStore(FMasked, Value)) return;
  BuildMask();
  Change();
}

void TKitImageListItem::SetPixelFormat(TKitSavePixelFormat Value) {
  if (KitStore(FPixelFormat, Value)) Change();
}

void TKitImageListItem::Clear() {
  FCount = 0;
  FStrip->Assign(nullptr);
  FMask->Assign(nullptr);
  Change();
}

std::uint8_t TKitImageListItem::GetFlags() { return inherited::GetFlags() | kitItemData | DepthFlags(FPixelFormat); }

TColor TKitImageListItem::TransparentColor(int Index) {
  if (Index < 0 || Index >= FCount) return static_cast<TColor>(0xFFFFFF);
  return FStrip->Canvas()->GetPixels(Index * FWidth, FHeight - 1);
}

// White in the mask where an image shows its transparent colour.
void TKitImageListItem::BuildMask() {
  FMask->Assign(nullptr);
  if (!FMasked || FCount == 0) return;
  FMask->SetMonochrome(true);
  FMask->SetSize(FCount * FWidth, FHeight);
  for (int i = 0; i < FCount; ++i) {
    TColor clear = TransparentColor(i);
    for (int y = 0; y < FHeight; ++y)
      for (int x = i * FWidth; x < (i + 1) * FWidth; ++x)
        FMask->Canvas()->SetPixels(x, y, FStrip->Canvas()->GetPixels(x, y) == clear ? clWhite : clBlack);
  }
}

void TKitImageListItem::ReadData(TStream* Stream, std::uint8_t Flags) {
  FPixelFormat = DepthOf(Flags);
  std::int32_t height = ReadInt(Stream), width = ReadInt(Stream), allocBy = ReadInt(Stream);
  if (width < 1 || height < 1 || allocBy < 1) throw EReadError("Image size out of range");
  FWidth = width;
  FHeight = height;
  FAllocBy = allocBy;
  FMasked = ReadFlag(Stream) != 0;
  ReadImages(Stream, GetCompressed());
}

void TKitImageListItem::ReadImages(TStream* Stream, bool Compressed) {
  std::int32_t count = ReadInt(Stream);
  if (count < 0 || static_cast<std::int64_t>(count) * FWidth > kMaxStripWidth)
    throw EReadError("Image count out of range: " + std::to_string(count));
  FCount = 0;
  FStrip->Assign(nullptr);
  FMask->Assign(nullptr);
  if (count == 0) return;
  ReadFlaggedBitmap(Stream, FStrip, Compressed);
  if (FStrip->GetWidth() != count * FWidth || FStrip->GetHeight() != FHeight)
    throw EReadError("Image strip of the wrong size");
  FCount = count;
  if (FMasked) {
    ReadFlaggedBitmap(Stream, FMask, Compressed);
    if (FMask->GetWidth() != FStrip->GetWidth() || FMask->GetHeight() != FHeight)
      throw EReadError("Image mask of the wrong size");
  }
}

void TKitImageListItem::WriteData(TStream* Stream) {
  WriteInt(Stream, FHeight);
  WriteInt(Stream, FWidth);
  WriteInt(Stream, FAllocBy);
  WriteFlag(Stream, FMasked ? 1 : 0);
  WriteInt(Stream, FCount);
  if (FCount == 0) return;
  WriteFlaggedBitmap(Stream, FStrip, GetCompressed(), ColorsOf(FPixelFormat));
  if (FMasked) WriteFlaggedBitmap(Stream, FMask, GetCompressed(), 2);
}

void TKitImageListItem::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  // An older form of the images alone (count, strip, mask); read, never written.
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* s) { ReadImages(s, false); }, nullptr, false);
}

void TKitImageListItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitImageListItem*>(Source);
  if (!s) return inherited::Assign(Source);
  if (s == this) return;
  if (s->FWidth != FWidth || s->FHeight != FHeight)
    throw EInvalidGraphicOperation("Неверный размер изображения");
  if (static_cast<std::int64_t>(FCount + s->FCount) * FWidth > kMaxStripWidth)
    throw EInvalidGraphicOperation("Слишком много изображений");
  AssignHeader(s);
  FAllocBy = s->FAllocBy;
  FPixelFormat = s->FPixelFormat;
  FDrawingStyle = s->FDrawingStyle;
  FImageType = s->FImageType;
  FBkColor = s->FBkColor;
  FBlendColor = s->FBlendColor;
  if (s->FCount > 0) {
    int at = FCount * FWidth;
    if (FCount == 0) FStrip->Assign(nullptr);
    FStrip->SetSize(at + s->FCount * FWidth, FHeight);
    BitBlt(FStrip->Canvas()->GetHandle(), at, 0, s->FCount * FWidth, FHeight, s->FStrip->Canvas()->GetHandle(), 0, 0,
           SRCCOPY);
    FCount += s->FCount;
  }
  BuildMask();
  Change();
}

// The mask clears the target where the image shows (SRCAND), then the image with its
// transparent pixels blacked out is laid over it (SRCPAINT).
void TKitImageListItem::DrawThroughMask(HDC Dest, int X, int Y, int Index) {
  HDC mask = FMask->Canvas()->GetHandle();
  COLORREF oldBk = ::SetBkColor(Dest, RGB(255, 255, 255)), oldText = ::SetTextColor(Dest, RGB(0, 0, 0));
  BitBlt(Dest, X, Y, FWidth, FHeight, mask, Index * FWidth, 0, SRCAND);
  ::SetBkColor(Dest, oldBk);
  ::SetTextColor(Dest, oldText);
  TBitmap image;
  image.SetSize(FWidth, FHeight);
  HDC dc = image.Canvas()->GetHandle();
  BitBlt(dc, 0, 0, FWidth, FHeight, FStrip->Canvas()->GetHandle(), Index * FWidth, 0, SRCCOPY);
  ::SetBkColor(dc, RGB(255, 255, 255));
  ::SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, 0, 0, FWidth, FHeight, mask, Index * FWidth, 0, 0x00220326);  // DSna: keep where the mask is black
  BitBlt(Dest, X, Y, FWidth, FHeight, dc, 0, 0, SRCPAINT);
}

void TKitImageListItem::Draw(TCanvas* Canvas, int X, int Y, int Index) {
  if (Index < 0 || Index >= FCount) return;
  HDC dest = Canvas->GetHandle();
  if (!FMasked || FImageType == 1) {
    TBitmap* source = FMasked && FImageType == 1 ? FMask : FStrip;
    BitBlt(dest, X, Y, FWidth, FHeight, source->Canvas()->GetHandle(), Index * FWidth, 0, SRCCOPY);
    return;
  }
  bool ownBackground = FDrawingStyle == 0 || FDrawingStyle == 1 || (FDrawingStyle == 2 && FBkColor != clNone);
  if (!ownBackground) return DrawThroughMask(dest, X, Y, Index);
  TBitmap back;
  back.SetSize(FWidth, FHeight);
  if (FBkColor != clNone) {
    back.Canvas()->GetBrush()->SetColor(FBkColor);
    back.Canvas()->FillRect(TRect{0, 0, FWidth, FHeight});
  } else {
    BitBlt(back.Canvas()->GetHandle(), 0, 0, FWidth, FHeight, dest, X, Y, SRCCOPY);
  }
  DrawThroughMask(back.Canvas()->GetHandle(), 0, 0, Index);
  if ((FDrawingStyle == 0 || FDrawingStyle == 1) && FBlendColor != clNone)
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) {
        bool lay = FDrawingStyle == 1 ? ((x % 2 == 0) != (y % 2 == 0)) : (x % 2 == 0 || y % 2 == 0);
        if (lay) back.Canvas()->SetPixels(x, y, FBlendColor);
      }
  BitBlt(dest, X, Y, FWidth, FHeight, back.Canvas()->GetHandle(), 0, 0, SRCCOPY);
}
