#pragma once
// The kit's containers: non-visual components that keep bitmaps, strips of images, string
// lists and waves as items. A container tells every registered TKitChangeLink of its
// changes, and an image list (TKitCustomImageList: the bitmap and image containers)
// answers for its pictures by list index and image index. Windows only.
#include <cstdint>
#include <vector>

#include "classlib/windows/pictures.h"
#include "controls/kitbase.h"
#include "controls/kittypes.h"
#include "controls/kitutils.h"

class TKitBaseContainer;

// A client's ear on a container: OnChange hears every change (the container as sender).
// Destroying a link unregisters it.
class TKitChangeLink : public TObject {
  HX_CLASS(TKitChangeLink, TObject)
 public:
  TKitChangeLink() = default;
  ~TKitChangeLink() override;
  TKitChangeLink(const TKitChangeLink&) = delete;
  TKitChangeLink& operator=(const TKitChangeLink&) = delete;

  // The container it is registered with; nullptr when none.
  TKitBaseContainer* Sender() const { return FSender; }
  TNotifyEvent OnChange;
  void Change();

 private:
  friend class TKitBaseContainer;
  TKitBaseContainer* FSender = nullptr;
};

class TKitBaseContainer : public TKitComponent {
  HX_CLASS(TKitBaseContainer, TKitComponent)
 public:
  explicit TKitBaseContainer(TComponent* AOwner) : TKitComponent(AOwner) {}
  ~TKitBaseContainer() override;  // unregisters every link

  // A link registered with another container moves here; registering twice is once.
  void RegisterChanges(TKitChangeLink* Link);
  void UnRegisterChanges(TKitChangeLink* Link);
  int LinkCount() const { return static_cast<int>(FLinks.size()); }

  // Tells every link, then OnChange.
  void Change() override;

 private:
  std::vector<TKitChangeLink*> FLinks;
};

// ---- Containers of stored items ----
// A container holds items (bitmaps, string lists, waves) as components it owns. Items are
// streamed inside the container's entry of a form, each with its "Internal" value (what
// its SaveToStream writes). A container also travels as a container stream (the count,
// optionally one 4-byte absolute offset per item, then the items) and as a container
// file (a short-string signature of its kind, then the stream with offsets).

class TKitCustomContainer;
class TReader;
class TWriter;
class TKitWave;
class TStringList;
class TStrings;

// The item header's flag byte.
constexpr std::uint8_t kitItemCompressed = 0x01;
constexpr std::uint8_t kitItemDescription = 0x02;
constexpr std::uint8_t kitItemIdent = 0x04;
constexpr std::uint8_t kitItemData = 0x08;
constexpr std::uint8_t kitItemMono = 0x10;
constexpr std::uint8_t kitItem4Bit = 0x20;
constexpr std::uint8_t kitItem8Bit = 0x40;

class TKitListItem : public TKitComponent {
  HX_CLASS(TKitListItem, TKitComponent)
 public:
  explicit TKitListItem(TComponent* AOwner) : TKitComponent(AOwner) {}
  ~TKitListItem() override;  // leaves its container's list

  const String& GetDescription() const { return FDescription; }
  void SetDescription(const String& Value);
  std::uint16_t GetIdent() const { return FIdent; }
  void SetIdent(std::uint16_t Value);
  bool GetCompressed() const { return FCompressed; }
  void SetCompressed(bool Value);
  TKitCustomContainer* Container() const { return FContainer; }

  virtual void Clear() = 0;
  virtual bool IsEmpty() = 0;
  // The header (flag byte, description, Ident), then the data when the item holds any.
  // Reading clears what the header does not carry.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream);
  virtual std::uint8_t GetFlags();

  // Tells OnChange, then the container's OnChange with the item as sender (not its links).
  void Change() override;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  void ReadState(TReader* Reader) override;
  void DefineProperties(TFiler* Filer) override;
  // The data after the header; Flags is the header's flag byte.
  virtual void ReadData(TStream* Stream, std::uint8_t Flags) = 0;
  virtual void WriteData(TStream* Stream) = 0;
  // Copies the header's fields of another item.
  void AssignHeader(TKitListItem* Source);

 private:
  friend class TKitCustomContainer;
  TKitCustomContainer* FContainer = nullptr;
  String FDescription;
  std::uint16_t FIdent = 0;
  bool FCompressed = false;
};

class TKitBitmapListItem : public TKitListItem {
  HX_CLASS(TKitBitmapListItem, TKitListItem)
 public:
  explicit TKitBitmapListItem(TComponent* AOwner);
  ~TKitBitmapListItem() override;

  // The picture. An empty one of an item in a container that fetches its pictures
  // (StorageMode) is fetched here, once per storage setting; a failure leaves it empty.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  // The colour depth the picture is written at.
  TKitSavePixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TKitSavePixelFormat Value);

  void Clear() override;
  bool IsEmpty() override { return FBitmap->Empty(); }
  std::uint8_t GetFlags() override;
  void Assign(TPersistent* Source) override;

 protected:
  void ReadData(TStream* Stream, std::uint8_t Flags) override;
  void WriteData(TStream* Stream) override;

 private:
  void Fetch();

  TBitmap* FBitmap;
  TKitSavePixelFormat FPixelFormat = TKitSavePixelFormat::spfDefault;
  // The container's storage setting and the Ident last tried (-1: none).
  int FTriedStorage = -1;
  int FTriedIdent = -1;
};

class TKitStringListItem : public TKitListItem {
  HX_CLASS(TKitStringListItem, TKitListItem)
 public:
  explicit TKitStringListItem(TComponent* AOwner);
  ~TKitStringListItem() override;

  TStrings* Items() const;
  void SetItems(TStrings* Value);

  void Clear() override;
  bool IsEmpty() override;
  // Also takes the lines of any string list.
  void Assign(TPersistent* Source) override;

 protected:
  void ReadData(TStream* Stream, std::uint8_t Flags) override;
  void WriteData(TStream* Stream) override;

 private:
  TStringList* FItems;
};

class TKitWaveListItem : public TKitListItem {
  HX_CLASS(TKitWaveListItem, TKitListItem)
 public:
  explicit TKitWaveListItem(TComponent* AOwner);
  ~TKitWaveListItem() override;

  TKitWave* Wave() const { return FWave; }
  void SetWave(TKitWave* Value);

  void Clear() override;
  bool IsEmpty() override;
  void Assign(TPersistent* Source) override;

 protected:
  void ReadData(TStream* Stream, std::uint8_t Flags) override;
  void WriteData(TStream* Stream) override;

 private:
  TKitWave* FWave;
};

// A strip of images of one size side by side, optionally with a monochrome mask strip
// (white where an image shows its transparent colour, the colour of its bottom-left pixel).
// Its data: Height, Width, AllocBy (4 bytes each), Masked (1 byte), the image count
// (4 bytes), then, with images, the strip at the item's depth and, when masked, the mask.
class TKitImageListItem : public TKitListItem {
  HX_CLASS(TKitImageListItem, TKitListItem)
 public:
  explicit TKitImageListItem(TComponent* AOwner);
  ~TKitImageListItem() override;

  // Values below 1 are refused; a new size drops every image.
  int GetWidth() const { return FWidth; }
  void SetWidth(int Value);
  int GetHeight() const { return FHeight; }
  void SetHeight(int Value);
  int GetAllocBy() const { return FAllocBy; }
  void SetAllocBy(int Value);
  bool GetMasked() const { return FMasked; }
  void SetMasked(bool Value);
  TKitSavePixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TKitSavePixelFormat Value);
  // How Draw lays a masked image: 0 focus, 1 selected, 2 normal, 3 transparent.
  int GetDrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(int Value) { FDrawingStyle = Value; }
  // 0 the image, 1 its mask.
  int GetImageType() const { return FImageType; }
  void SetImageType(int Value) { FImageType = Value; }
  // clNone: none.
  TColor GetBkColor() const { return FBkColor; }
  void SetBkColor(TColor Value) { FBkColor = Value; }
  TColor GetBlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value) { FBlendColor = Value; }

  int ImageCount() const { return FCount; }
  TBitmap* Strip() const { return FStrip; }
  TBitmap* MaskStrip() const { return FMask; }
  // The colour of image Index's bottom-left pixel; 0xFFFFFF out of range.
  TColor TransparentColor(int Index);
  // Draws image Index with its top left at (X, Y).
  void Draw(TCanvas* Canvas, int X, int Y, int Index);

  void Clear() override;
  bool IsEmpty() override { return FCount == 0; }
  std::uint8_t GetFlags() override;  // the sizes are always written
  // Takes another item's settings and appends its images: EInvalidGraphicOperation when
  // their sizes differ or the strip would pass 32768 pixels.
  void Assign(TPersistent* Source) override;

 protected:
  void DefineProperties(TFiler* Filer) override;
  void ReadData(TStream* Stream, std::uint8_t Flags) override;
  void WriteData(TStream* Stream) override;

 private:
  void ReadImages(TStream* Stream, bool Compressed);
  void BuildMask();
  void DrawThroughMask(HDC Dest, int X, int Y, int Index);

  int FWidth = 16;
  int FHeight = 16;
  int FAllocBy = 4;
  bool FMasked = false;
  int FCount = 0;
  TKitSavePixelFormat FPixelFormat = TKitSavePixelFormat::spfDefault;
  int FDrawingStyle = 2;
  int FImageType = 0;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TBitmap* FStrip;
  TBitmap* FMask;
};

// Container kinds, as their files' signatures name them.
constexpr int kitImageListKind = 0;     // "KITIML30", .iml
constexpr int kitBitmapListKind = 1;    // "KITBML30", .bmp
constexpr int kitWaveListKind = 2;      // "KITWVL30", .wav
constexpr int kitStringListKind = 3;    // "KITSLL30", .txt
constexpr int kitRichTextListKind = 4;  // "KITRTL30", .rtf
constexpr int kitUnknownKind = 5;

class TKitCustomContainer : public TKitBaseContainer {
  HX_CLASS(TKitCustomContainer, TKitBaseContainer)
 public:
  explicit TKitCustomContainer(TComponent* AOwner) : TKitBaseContainer(AOwner) {}
  ~TKitCustomContainer() override;

  // Adds Item (nullptr: a new item of the container's kind, owned by the container);
  // returns its index.
  int AddItem(TKitListItem* Item);
  int Count() const { return static_cast<int>(FItems.size()); }
  // EListError out of range.
  TKitListItem* Items(int Index) const;
  void Clear();
  // From a container of the same class: its settings and a copy of every item.
  void Assign(TPersistent* Source) override;

  bool GetDefaultCompressed() const { return FDefaultCompressed; }
  void SetDefaultCompressed(bool Value) { FDefaultCompressed = Value; }
  virtual int Kind() const = 0;

  // Where bitmap items fetch their pictures. StorageMode 0: they hold them; 1: entry Ident
  // (0-based) of the container file <prefix folder><FileName>; 2: bitmap resource Ident of
  // the program; 3: bitmap resource Ident of the resource library <prefix folder><FileName>,
  // loaded as data only; 4: the bitmap file <folder><first 3 letters of FileName's
  // name><Ident>.bmp, the folder being the prefix folder or, for ppFixed, FileName's own.
  std::uint8_t GetStorageMode() const { return FStorageMode; }
  void SetStorageMode(std::uint8_t Value);
  const String& GetFileName() const { return FFileName; }
  void SetFileName(const String& Value);
  TKitPathPrefix GetPathPrefix() const { return FPathPrefix; }
  void SetPathPrefix(TKitPathPrefix Value);
  // Counts changes of the three settings above.
  int StorageSetting() const { return FStorageSetting; }

  // The container stream. Loading reads every item into a new list first: a stream that
  // fails leaves the items as they were. Saving builds the whole image before it writes.
  virtual void LoadFromStream(TStream* Stream, bool WithOffsets);
  virtual void SaveToStream(TStream* Stream, bool WithOffsets);
  // The container file: the signature of Kind, then the stream with offsets. Loading a
  // file of another kind raises Exception and loads nothing.
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }

 protected:
  virtual TKitListItem* CreateItem() = 0;

 private:
  friend class TKitListItem;
  void Forget(TKitListItem* Item);
  std::vector<TKitListItem*> FItems;
  bool FDefaultCompressed = false;
  std::uint8_t FStorageMode = 0;
  String FFileName;
  TKitPathPrefix FPathPrefix = ppProgram;
  int FStorageSetting = 0;
};

// Pictures by list index (and, for strips of images, image index). Indexes out of range
// give 0, false, an empty rectangle or 0xFFFFFF and draw nothing.
class TKitCustomImageList : public TKitCustomContainer {
  HX_CLASS(TKitCustomImageList, TKitCustomContainer)
 public:
  explicit TKitCustomImageList(TComponent* AOwner) : TKitCustomContainer(AOwner) {}

  // The depth new pictures are meant to be written at; kept and copied, not applied.
  TKitSavePixelFormat GetDefaultPixelFormat() const { return FDefaultPixelFormat; }
  void SetDefaultPixelFormat(TKitSavePixelFormat Value) { FDefaultPixelFormat = Value; }
  void Assign(TPersistent* Source) override;

  // The canvas of list item Index's picture; nullptr when out of range.
  virtual TCanvas* PictureCanvas(int Index);
  // Where image ImageIndex of item Index lies in its picture.
  virtual TRect PictureBounds(int Index, int ImageIndex);
  // Width (Which 0) or height (1) of item Index's images.
  virtual int ItemSize(int Index, int Which) = 0;
  virtual int ImageCount(int Index) = 0;
  virtual bool Exists(int Index, int ImageIndex);
  // Copies image ImageIndex of item Index into Bitmap; false when there is none.
  virtual bool CopyPicture(int Index, int ImageIndex, TBitmap* Bitmap);
  virtual bool IsMasked(int Index) = 0;
  virtual bool IsTransparent(int Index);
  virtual TColor TransparentColor(int Index, int ImageIndex) = 0;
  virtual TColor PixelColor(int Index, int ImageIndex, int X, int Y);
  virtual void DrawAt(int Index, int ImageIndex, TCanvas* Canvas, int X, int Y) = 0;
  // Into Rect by the draw flags (kdf…), transparent by the image's transparent colour.
  virtual void DrawInRect(int Index, int ImageIndex, TCanvas* Canvas, const TRect& Rect, TKitDrawFlags Flags);
  // The image from its point Origin on (cut there) into Rect by the draw flags, transparent
  // (kdfTransparent) by TransparentColor, over Rect filled with BackColor (clNone: over
  // what the canvas shows).
  virtual void DrawWith(int Index, int ImageIndex, TCanvas* Canvas, const TRect& Rect, TPoint Origin,
                        TColor TransparentColor, TColor BackColor, TKitDrawFlags Flags);

 protected:
  // The bitmap that holds image ImageIndex of item Index and where in it; false when
  // there is no such image.
  virtual bool Locate(int Index, int ImageIndex, TBitmap*& Picture, TRect& Bounds) = 0;

 private:
  TKitSavePixelFormat FDefaultPixelFormat = TKitSavePixelFormat::spfDefault;
};



class TKitImageList : public TKitCustomImageList {
  HX_CLASS(TKitImageList, TKitCustomImageList)
 public:
  explicit TKitImageList(TComponent* AOwner) : TKitCustomImageList(AOwner) {}
  int Kind() const override { return kitImageListKind; }
  TKitImageListItem* Items(int Index) const;

  TCanvas* PictureCanvas(int Index) override;
  int ItemSize(int Index, int Which) override;
  int ImageCount(int Index) override;
  bool IsMasked(int Index) override;
  TColor TransparentColor(int Index, int ImageIndex) override;
  void DrawAt(int Index, int ImageIndex, TCanvas* Canvas, int X, int Y) override;

 protected:
  bool Locate(int Index, int ImageIndex, TBitmap*& Picture, TRect& Bounds) override;
  TKitListItem* CreateItem() override { return new TKitImageListItem(this); }
};

class TKitBitmapList : public TKitCustomImageList {
  HX_CLASS(TKitBitmapList, TKitCustomImageList)
 public:
  explicit TKitBitmapList(TComponent* AOwner) : TKitCustomImageList(AOwner) {}
  int Kind() const override { return kitBitmapListKind; }
  TKitBitmapListItem* Items(int Index) const;

  TCanvas* PictureCanvas(int Index) override;
  int ItemSize(int Index, int Which) override;
  int ImageCount(int Index) override;
  bool IsMasked(int Index) override;
  TColor TransparentColor(int Index, int ImageIndex) override;
  void DrawAt(int Index, int ImageIndex, TCanvas* Canvas, int X, int Y) override;

 protected:
  bool Locate(int Index, int ImageIndex, TBitmap*& Picture, TRect& Bounds) override;
  TKitListItem* CreateItem() override { return new TKitBitmapListItem(this); }
};

class TKitWaveList : public TKitCustomContainer {
  HX_CLASS(TKitWaveList, TKitCustomContainer)
 public:
  explicit TKitWaveList(TComponent* AOwner) : TKitCustomContainer(AOwner) {}
  int Kind() const override { return kitWaveListKind; }
  TKitWaveListItem* Items(int Index) const;

 protected:
  TKitListItem* CreateItem() override { return new TKitWaveListItem(this); }
};

class TKitStringList : public TKitCustomContainer {
  HX_CLASS(TKitStringList, TKitCustomContainer)
 public:
  explicit TKitStringList(TComponent* AOwner) : TKitCustomContainer(AOwner) {}
  int Kind() const override { return kitStringListKind; }
  TKitStringListItem* Items(int Index) const;

 protected:
  TKitListItem* CreateItem() override { return new TKitStringListItem(this); }
};

// The container file's signature of Kind ("KITBML30" ...); "" for an unknown kind.
String ContainerSignature(int Kind);
// The kind's file extension ("bmp"), with a leading dot when WithDot.
String DefaultExtension(int Kind, bool WithDot);
// Reads a container file's signature and count: the kind (kitUnknownKind for an unknown
// signature), and for a known kind the item offsets into Offsets (when given). A count or
// offset that does not fit the file raises EReadError.
int ReadContainerIndex(const String& FileName, int& Count, std::vector<std::int32_t>* Offsets);
// Reads item Index at its offset: EListError for an index outside Offsets, EReadError for
// an offset outside the stream.
void LoadItemAt(TStream* Stream, const std::vector<std::int32_t>& Offsets, int Index, TKitListItem* Item);
// Reads item Index of a container file of kind Kind ("Не могу открыть файл <name>" for
// another kind); Offsets nullptr reads them from the file.
void LoadItemFromFile(const String& FileName, int Kind, const std::vector<std::int32_t>* Offsets, TKitListItem* Item,
                      int Index);
// The picture of item Index of a bitmap-list file.
void LoadBitmapFromFile(const String& FileName, int Index, TBitmap* Bitmap);

// One list of each kind; their changes are its own.
class TKitContainer : public TKitBaseContainer {
  HX_CLASS(TKitContainer, TKitBaseContainer)
 public:
  explicit TKitContainer(TComponent* AOwner);

  TKitBitmapList* BitmapList() const { return FBitmapList; }
  TKitImageList* ImageList() const { return FImageList; }
  TKitWaveList* WaveList() const { return FWaveList; }
  TKitStringList* StringList() const { return FStringList; }

 private:
  TKitBitmapList* FBitmapList;
  TKitImageList* FImageList;
  TKitWaveList* FWaveList;
  TKitStringList* FStringList;
};

// The default container, made on first use and freed when the program ends.
TKitContainer* KitDefaultContainer();
// True for the default container's bitmap or image list.
bool IsDefaultContainer(TKitCustomContainer* Container);
// How a form refers to the default lists: the identifier "KITBML30" (bitmap list) or
// "KITIML30" (image list); any other container is written as nil. Reading gives the
// default list back, or nullptr for anything else.
void WriteContainerRef(TWriter* Writer, TKitCustomContainer* Container);
TKitCustomContainer* ReadContainerRef(TReader* Reader);
