#include "controls/kitcontainers.h"

#include <algorithm>
#include <memory>
#include <string>

#include "classlib/core/filer.h"
#include "controls/kitdraw.h"
#include "controls/kitstreams.h"

HX_PUBLISH(TKitBaseContainer, p) {}
HX_PUBLISH(TKitCustomImageList, p) {}

HX_PUBLISH(TKitChangeLink, p) {}

TKitChangeLink::~TKitChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TKitChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TKitBaseContainer::~TKitBaseContainer() {
  for (TKitChangeLink* link : FLinks) link->FSender = nullptr;
}

void TKitBaseContainer::RegisterChanges(TKitChangeLink* Link) {
  if (!Link || Link->FSender == this) return;
  if (Link->FSender) Link->FSender->UnRegisterChanges(Link);
  Link->FSender = this;
  FLinks.push_back(Link);
}

void TKitBaseContainer::UnRegisterChanges(TKitChangeLink* Link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), Link);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  Link->FSender = nullptr;
}

void TKitBaseContainer::Change() {
  if (TKitChangeNotifier::Updating()) return;
  std::vector<TKitChangeLink*> links = FLinks;  // a link may go while it is told
  for (TKitChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
  inherited::Change();
}

// ---- Containers of stored items ----

HX_PUBLISH(TKitCustomContainer, p) {}
HX_PUBLISH(TKitBitmapList, p) {
  p.Property("DefaultPixelFormat", &TKitBitmapList::GetDefaultPixelFormat, &TKitBitmapList::SetDefaultPixelFormat)
      .Default(TKitSavePixelFormat::spfDefault);
  p.Property("StorageMode", &TKitBitmapList::GetStorageMode, &TKitBitmapList::SetStorageMode).Default(std::uint8_t{0});
  p.Property("FileName", &TKitBitmapList::GetFileName, &TKitBitmapList::SetFileName).Default(String());
  p.Property("PathPrefix", &TKitBitmapList::GetPathPrefix, &TKitBitmapList::SetPathPrefix).Default(ppProgram);
  p.Property("DefaultCompressed", &TKitBitmapList::GetDefaultCompressed, &TKitBitmapList::SetDefaultCompressed)
      .Default(false);
}
HX_PUBLISH(TKitImageList, p) {
  p.Property("DefaultCompressed", &TKitImageList::GetDefaultCompressed, &TKitImageList::SetDefaultCompressed)
      .Default(false);
  p.Property("DefaultPixelFormat", &TKitImageList::GetDefaultPixelFormat, &TKitImageList::SetDefaultPixelFormat)
      .Default(TKitSavePixelFormat::spfDefault);
}
HX_PUBLISH(TKitWaveList, p) {}
HX_PUBLISH(TKitStringList, p) {}

namespace {

const char* const kSignatures[] = {"KITIML30", "KITBML30", "KITWVL30", "KITSLL30", "KITRTL30"};
const char* const kExtensions[] = {"iml", "bmp", "wav", "txt", "rtf"};

String CannotOpen(const String& FileName) { return "Не могу открыть файл " + FileName; }

// Raises EReadError unless Count items of at least Each bytes fit what Stream still holds.
void CheckFits(TStream* Stream, std::int64_t Count, std::int64_t Each) {
  if (Count < 0 || Count * Each > Stream->GetSize() - Stream->GetPosition())
    throw EReadError("Item count does not fit the stream: " + std::to_string(Count));
}

}  // namespace

TKitCustomContainer::~TKitCustomContainer() {
  BeginUpdate();
  Clear();
}

int TKitCustomContainer::AddItem(TKitListItem* Item) {
  if (!Item) Item = CreateItem();
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) return static_cast<int>(it - FItems.begin());
  if (Item->FContainer) Item->FContainer->Forget(Item);
  if (Item->Owner() != this) {
    if (Item->Owner()) Item->Owner()->RemoveComponent(Item);
    InsertComponent(Item);
  }
  Item->FContainer = this;
  FItems.push_back(Item);
  Change();
  return static_cast<int>(FItems.size()) - 1;
}

void TKitCustomContainer::Forget(TKitListItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FContainer = nullptr;
  Change();
}

TKitListItem* TKitCustomContainer::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<std::size_t>(Index)];
}

void TKitCustomContainer::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  std::vector<TKitListItem*> items;
  items.swap(FItems);
  for (TKitListItem* item : items) {
    item->FContainer = nullptr;
    delete item;
  }
  EndUpdate(true);
}

void TKitCustomContainer::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitCustomContainer*>(Source);
  if (!s || s->ClassType() != ClassType()) return inherited::Assign(Source);
  if (s == this) return;
  BeginUpdate();
  Clear();
  FDefaultCompressed = s->FDefaultCompressed;
  for (TKitListItem* item : s->FItems) Items(AddItem(nullptr))->Assign(item);
  EndUpdate(true);
}

void TKitCustomContainer::SaveToStream(TStream* Stream, bool WithOffsets) {
  // The whole image first: an item that cannot be written leaves Stream untouched.
  std::int64_t base = Stream->GetPosition();
  TMemoryStream image;
  WriteInt(&image, Count());
  std::vector<std::int64_t> offsets;
  if (WithOffsets) image.SetSize(4 + 4 * static_cast<std::int64_t>(Count())), image.SetPosition(image.GetSize());
  for (TKitListItem* item : FItems) {
    offsets.push_back(base + image.GetPosition());
    item->SaveToStream(&image);
  }
  if (WithOffsets) {
    image.SetPosition(4);
    for (std::int64_t at : offsets) {
      if (at > 0x7FFFFFFF) throw EWriteError("Container larger than 2 GB");
      WriteInt(&image, static_cast<std::int32_t>(at));
    }
  }
  image.SaveToStream(Stream);
}

void TKitCustomContainer::LoadFromStream(TStream* Stream, bool WithOffsets) {
  std::int64_t count = ReadInt(Stream);
  // Every item has at least its flag byte; with offsets, 4 bytes more.
  CheckFits(Stream, count, WithOffsets ? 5 : 1);
  if (WithOffsets) Stream->Seek(4 * count, soCurrent);
  std::vector<std::unique_ptr<TKitListItem>> read;
  for (std::int64_t i = 0; i < count; ++i) {
    read.emplace_back(CreateItem());
    read.back()->LoadFromStream(Stream);
  }
  BeginUpdate();
  struct TEnd {
    TKitCustomContainer* Container;
    ~TEnd() { Container->EndUpdate(true); }
  } end{this};
  Clear();
  for (auto& item : read) AddItem(item.release());
}

void TKitCustomContainer::SaveToFile(const String& FileName) {
  TMemoryStream image;
  WriteShortString(&image, kSignatures[Kind()]);
  SaveToStream(&image, true);
  TFileStream file(FileName, fmCreate);
  image.SaveToStream(&file);
}

void TKitCustomContainer::LoadFromFile(const String& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  char signature[9] = {};
  if (file.Read(signature, 9) != 9 || signature[0] != 8 || String(signature + 1, 8) != kSignatures[Kind()])
    throw Exception(CannotOpen(FileName));
  LoadFromStream(&file, true);
}

void TKitCustomContainer::GetChildren(TGetChildProc Proc, TComponent*) {
  for (TKitListItem* item : std::vector<TKitListItem*>(FItems)) Proc(item);
}

void TKitCustomContainer::SetStorageMode(std::uint8_t Value) {
  if (!KitStore(FStorageMode, Value)) return;
  ++FStorageSetting;
  Change();
}

void TKitCustomContainer::SetFileName(const String& Value) {
  if (!KitStore(FFileName, Value)) return;
  ++FStorageSetting;
  Change();
}

void TKitCustomContainer::SetPathPrefix(TKitPathPrefix Value) {
  if (!KitStore(FPathPrefix, Value)) return;
  ++FStorageSetting;
  Change();
}

TKitImageListItem* TKitImageList::Items(int Index) const {
  return static_cast<TKitImageListItem*>(TKitCustomContainer::Items(Index));
}
TKitBitmapListItem* TKitBitmapList::Items(int Index) const {
  return static_cast<TKitBitmapListItem*>(TKitCustomContainer::Items(Index));
}
TKitWaveListItem* TKitWaveList::Items(int Index) const {
  return static_cast<TKitWaveListItem*>(TKitCustomContainer::Items(Index));
}
TKitStringListItem* TKitStringList::Items(int Index) const {
  return static_cast<TKitStringListItem*>(TKitCustomContainer::Items(Index));
}

String ContainerSignature(int Kind) { return Kind >= 0 && Kind < kitUnknownKind ? kSignatures[Kind] : ""; }

String DefaultExtension(int Kind, bool WithDot) {
  if (Kind < 0 || Kind >= kitUnknownKind) return "";
  return (WithDot ? "." : "") + String(kExtensions[Kind]);
}

int ReadContainerIndex(const String& FileName, int& Count, std::vector<std::int32_t>* Offsets) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  char signature[9] = {};
  int kind = kitUnknownKind;
  Count = 0;
  if (file.Read(signature, 9) == 9 && signature[0] == 8)
    for (int k = 0; k < kitUnknownKind; ++k)
      if (String(signature + 1, 8) == kSignatures[k]) kind = k;
  if (kind == kitUnknownKind) return kind;
  Count = ReadInt(&file);
  CheckFits(&file, Count, 4);
  if (Offsets) {
    Offsets->clear();
    for (int i = 0; i < Count; ++i) Offsets->push_back(ReadInt(&file));
  }
  return kind;
}

void LoadItemAt(TStream* Stream, const std::vector<std::int32_t>& Offsets, int Index, TKitListItem* Item) {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Offsets.size())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  std::int32_t at = Offsets[static_cast<std::size_t>(Index)];
  if (at < 0 || at >= Stream->GetSize()) throw EReadError("Item offset beyond the end of the stream");
  Stream->SetPosition(at);
  Item->LoadFromStream(Stream);
}

void LoadItemFromFile(const String& FileName, int Kind, const std::vector<std::int32_t>* Offsets, TKitListItem* Item,
                      int Index) {
  std::vector<std::int32_t> own;
  if (!Offsets) {
    int count = 0;
    if (ReadContainerIndex(FileName, count, &own) != Kind) throw Exception(CannotOpen(FileName));
    Offsets = &own;
  }
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadItemAt(&file, *Offsets, Index, Item);
}

void LoadBitmapFromFile(const String& FileName, int Index, TBitmap* Bitmap) {
  TKitBitmapListItem item(nullptr);
  LoadItemFromFile(FileName, kitBitmapListKind, nullptr, &item, Index);
  Bitmap->Assign(item.Bitmap());
}

// ---- The default container ----

HX_PUBLISH(TKitContainer, p) {}

TKitContainer::TKitContainer(TComponent* AOwner)
    : TKitBaseContainer(AOwner),
      FBitmapList(new TKitBitmapList(this)),
      FImageList(new TKitImageList(this)),
      FWaveList(new TKitWaveList(this)),
      FStringList(new TKitStringList(this)) {
  for (TKitCustomContainer* list : std::initializer_list<TKitCustomContainer*>{FBitmapList, FImageList, FWaveList, FStringList})
    list->OnChange = [this](TObject*) { Change(); };
}

TKitContainer* KitDefaultContainer() {
  static std::unique_ptr<TKitContainer> container = std::make_unique<TKitContainer>(nullptr);
  return container.get();
}

bool IsDefaultContainer(TKitCustomContainer* Container) {
  return Container &&
         (Container == KitDefaultContainer()->BitmapList() || Container == KitDefaultContainer()->ImageList());
}

void WriteContainerRef(TWriter* Writer, TKitCustomContainer* Container) {
  if (Container && Container == KitDefaultContainer()->BitmapList()) Writer->WriteIdent(kSignatures[kitBitmapListKind]);
  else if (Container && Container == KitDefaultContainer()->ImageList()) Writer->WriteIdent(kSignatures[kitImageListKind]);
  else Writer->WriteIdent("nil");
}

TKitCustomContainer* ReadContainerRef(TReader* Reader) {
  String ident = Reader->ReadIdent();
  if (ident == kSignatures[kitBitmapListKind]) return KitDefaultContainer()->BitmapList();
  if (ident == kSignatures[kitImageListKind]) return KitDefaultContainer()->ImageList();
  return nullptr;
}

// ---- The image-list interface ----

namespace {

const TColor kNoColor = static_cast<TColor>(0xFFFFFF);

}  // namespace

void TKitCustomImageList::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  auto* s = dynamic_cast<TKitCustomImageList*>(Source);
  if (s && s != this) FDefaultPixelFormat = s->FDefaultPixelFormat;
}

TCanvas* TKitCustomImageList::PictureCanvas(int Index) {
  TBitmap* picture;
  TRect bounds;
  return Locate(Index, 0, picture, bounds) ? picture->Canvas() : nullptr;
}

TRect TKitCustomImageList::PictureBounds(int Index, int ImageIndex) {
  TBitmap* picture;
  TRect bounds;
  return Locate(Index, ImageIndex, picture, bounds) ? bounds : TRect{};
}

bool TKitCustomImageList::Exists(int Index, int ImageIndex) {
  TBitmap* picture;
  TRect bounds;
  return Locate(Index, ImageIndex, picture, bounds);
}

bool TKitCustomImageList::CopyPicture(int Index, int ImageIndex, TBitmap* Bitmap) {
  TBitmap* picture;
  TRect b;
  if (!Bitmap || !Locate(Index, ImageIndex, picture, b)) return false;
  Bitmap->Assign(nullptr);
  Bitmap->SetSize(b.Right - b.Left, b.Bottom - b.Top);
  BitBlt(Bitmap->Canvas()->GetHandle(), 0, 0, b.Right - b.Left, b.Bottom - b.Top, picture->Canvas()->GetHandle(),
         b.Left, b.Top, SRCCOPY);
  return true;
}

bool TKitCustomImageList::IsTransparent(int Index) {
  TBitmap* picture;
  TRect bounds;
  return Locate(Index, 0, picture, bounds) && picture->GetTransparent();
}

TColor TKitCustomImageList::PixelColor(int Index, int ImageIndex, int X, int Y) {
  TBitmap* picture;
  TRect b;
  if (!Locate(Index, ImageIndex, picture, b) || X < 0 || Y < 0 || X >= b.Right - b.Left || Y >= b.Bottom - b.Top)
    return kNoColor;
  return picture->Canvas()->GetPixels(b.Left + X, b.Top + Y);
}

void TKitCustomImageList::DrawInRect(int Index, int ImageIndex, TCanvas* Canvas, const TRect& Rect,
                                     TKitDrawFlags Flags) {
  DrawWith(Index, ImageIndex, Canvas, Rect, TPoint{0, 0}, TransparentColor(Index, ImageIndex), clNone, Flags);
}

void TKitCustomImageList::DrawWith(int Index, int ImageIndex, TCanvas* Canvas, const TRect& Rect, TPoint Origin,
                                   TColor TransparentColor, TColor BackColor, TKitDrawFlags Flags) {
  TBitmap* picture;
  TRect b;
  if (!Canvas || !Locate(Index, ImageIndex, picture, b) || Origin.X < 0 || Origin.Y < 0) return;
  const int w = b.Right - b.Left - Origin.X, h = b.Bottom - b.Top - Origin.Y;
  if (w <= 0 || h <= 0) return;
  TBitmap image;
  image.SetSize(w, h);
  BitBlt(image.Canvas()->GetHandle(), 0, 0, w, h, picture->Canvas()->GetHandle(), b.Left + Origin.X, b.Top + Origin.Y,
         SRCCOPY);
  if (BackColor != clNone) {
    Canvas->GetBrush()->SetColor(BackColor);
    Canvas->FillRect(Rect);
  }
  DrawBitmapFlags(Canvas, Rect, &image, TPoint{0, 0}, TransparentColor, Flags);
}

bool TKitImageList::Locate(int Index, int ImageIndex, TBitmap*& Picture, TRect& Bounds) {
  if (Index < 0 || Index >= Count()) return false;
  TKitImageListItem* item = Items(Index);
  if (ImageIndex < 0 || ImageIndex >= item->ImageCount()) return false;
  Picture = item->Strip();
  Bounds = TRect{ImageIndex * item->GetWidth(), 0, (ImageIndex + 1) * item->GetWidth(), item->GetHeight()};
  return true;
}

TCanvas* TKitImageList::PictureCanvas(int Index) {
  return Index >= 0 && Index < Count() ? Items(Index)->Strip()->Canvas() : nullptr;
}

int TKitImageList::ItemSize(int Index, int Which) {
  if (Index < 0 || Index >= Count()) return 0;
  return Which == 0 ? Items(Index)->GetWidth() : Items(Index)->GetHeight();
}

int TKitImageList::ImageCount(int Index) { return Index >= 0 && Index < Count() ? Items(Index)->ImageCount() : -1; }

bool TKitImageList::IsMasked(int Index) { return Index >= 0 && Index < Count() && Items(Index)->GetMasked(); }

TColor TKitImageList::TransparentColor(int Index, int ImageIndex) {
  return Index >= 0 && Index < Count() ? Items(Index)->TransparentColor(ImageIndex) : kNoColor;
}

void TKitImageList::DrawAt(int Index, int ImageIndex, TCanvas* Canvas, int X, int Y) {
  if (Index >= 0 && Index < Count()) Items(Index)->Draw(Canvas, X, Y, ImageIndex);
}

bool TKitBitmapList::Locate(int Index, int ImageIndex, TBitmap*& Picture, TRect& Bounds) {
  if (Index < 0 || Index >= Count() || ImageIndex != 0) return false;
  Picture = Items(Index)->Bitmap();
  if (Picture->Empty()) return false;
  Bounds = TRect{0, 0, Picture->GetWidth(), Picture->GetHeight()};
  return true;
}

TCanvas* TKitBitmapList::PictureCanvas(int Index) {
  return Index >= 0 && Index < Count() ? Items(Index)->Bitmap()->Canvas() : nullptr;
}

int TKitBitmapList::ItemSize(int Index, int Which) {
  if (Index < 0 || Index >= Count()) return 0;
  TBitmap* b = Items(Index)->Bitmap();
  return Which == 0 ? b->GetWidth() : b->GetHeight();
}

int TKitBitmapList::ImageCount(int Index) {
  return Index >= 0 && Index < Count() && !Items(Index)->Bitmap()->Empty() ? 1 : 0;
}

bool TKitBitmapList::IsMasked(int) { return false; }

TColor TKitBitmapList::TransparentColor(int Index, int ImageIndex) {
  TBitmap* picture;
  TRect bounds;
  return Locate(Index, ImageIndex, picture, bounds) ? picture->GetTransparentColor() : kNoColor;
}

void TKitBitmapList::DrawAt(int Index, int ImageIndex, TCanvas* Canvas, int X, int Y) {
  TBitmap* picture;
  TRect b;
  if (Locate(Index, ImageIndex, picture, b)) Canvas->Draw(X, Y, picture);
}
