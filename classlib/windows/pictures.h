#pragma once
// Pictures: TGraphic and its bitmaps and icons, and TPicture, which holds any of them and
// picks the class by file extension or by the data's signature. Bitmaps are DIB sections,
// 32 bits per pixel unless another format is asked for, so their pixels never depend on
// the display. Windows only.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/windows/graphics.h"
#include "classlib/core/streams.h"

HX_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
HX_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);

// The class library's text for a bitmap that cannot be read.
inline constexpr char kInvalidBitmapText[] = "Изображение Bitmap имеет неверный формат";

HX_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom);
HX_ENUM(TTransparentMode, tmAuto, tmFixed);
HX_ENUM(TBitmapHandleType, bmDIB, bmDDB);

class TGraphic : public TPersistent {
  HX_CLASS(TGraphic, TPersistent)
 public:
  virtual bool Empty() const = 0;
  virtual int GetWidth() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual int GetHeight() const = 0;
  virtual void SetHeight(int Value) = 0;
  virtual bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool GetModified() const { return FModified; }
  void SetModified(bool Value);
  virtual HPALETTE GetPalette() { return nullptr; }

  // The file format of the class, from the stream's position on. An empty stream (nothing
  // left to read) loads an empty graphic.
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  friend class TPicture;
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  virtual void Changed();
  // A graphic property streams as the binary property "Data" (ReadData/WriteData).
  void DefineProperties(TFiler* Filer) override;
  virtual void ReadData(TStream* Stream) { LoadFromStream(Stream); }
  virtual void WriteData(TStream* Stream) { SaveToStream(Stream); }
  // Whether two graphics of one class hold the same picture (for writing against an ancestor).
  virtual bool Equals(TGraphic* Other);

 private:
  bool FTransparent = false;
  bool FModified = false;
};

class TBitmapCanvas;

class TBitmap : public TGraphic {
  HX_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  ~TBitmap() override;

  bool Empty() const override { return FWidth <= 0 || FHeight <= 0; }
  int GetWidth() const override { return FWidth; }
  void SetWidth(int Value) override { SetSize(Value, FHeight); }
  int GetHeight() const override { return FHeight; }
  void SetHeight(int Value) override { SetSize(FWidth, Value); }
  // Keeps the picture in the part both sizes share; new pixels are white.
  void SetSize(int Width, int Height);
  TPixelFormat GetPixelFormat() const { return FPixelFormat; }
  // Converts the pixels (to the nearest colours of the palette for 1, 4 and 8 bits).
  void SetPixelFormat(TPixelFormat Value);
  bool GetMonochrome() const;
  void SetMonochrome(bool Value);  // pf1bit black and white, or back to pf32bit
  TBitmapHandleType GetHandleType() const { return FDIB ? bmDIB : bmDDB; }

  // The bitmap handle, made on demand; owned by the bitmap.
  HBITMAP GetHandle();
  // Takes Value (a DIB section or a device-dependent bitmap) as the picture; the bitmap
  // owns it from now.
  void SetHandle(HBITMAP Value);
  // Hands the handle over to the caller and leaves the bitmap empty.
  HBITMAP ReleaseHandle();
  // The palette of an 8-bit or smaller bitmap (made from its colour table), else nullptr.
  HPALETTE GetPalette() override;
  void SetPalette(HPALETTE Value);  // sets the colour table of an indexed bitmap

  TCanvas* Canvas();
  // Takes the bitmap out of its canvas's device context (GetDIBits and other contexts
  // need that); the canvas selects it again when it is next drawn on.
  void FreeContext();
  // Row Row of the pixels, top row 0, in the pixel format's layout.
  void* ScanLine(int Row);
  // Bytes per row (rows are padded to 4 bytes).
  int RowBytes() const;

  bool GetTransparent() const override { return TGraphic::GetTransparent(); }
  // The colour drawn as transparent: the bottom-left pixel in tmAuto.
  TColor GetTransparentColor();
  void SetTransparentColor(TColor Value);  // switches to tmFixed (clDefault: tmAuto)
  TTransparentMode GetTransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  void Assign(TPersistent* Source) override;
  // Keeps the picture as memory only and gives the GDI handle back (made again on use);
  // FreeImage drops that memory copy; both leave the picture as it is.
  void Dormant();
  void FreeImage();

  // The bitmap file format (BITMAPFILEHEADER onward). An empty bitmap writes nothing and
  // nothing left in a stream reads as an empty bitmap. Bad data raises EInvalidGraphic.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // A BITMAP resource of Instance (nullptr: the executable); EResNotFound when missing.
  void LoadFromResourceName(HINSTANCE Instance, const String& ResName);
  void LoadFromResourceID(HINSTANCE Instance, int ResID);

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void Changed() override;
  // Form data: the byte count (4 bytes, 0 for an empty bitmap), then the bitmap file.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;
  bool Equals(TGraphic* Other) override;

 private:
  friend class TBitmapCanvas;
  void NewImage(int Width, int Height, TPixelFormat Format, const RGBQUAD* Colors, int ColorCount);
  void HandleNeeded();
  void CopyFrom(HBITMAP Source, int Width, int Height);
  void FreeHandle();
  std::size_t LoadBitmapFile(const std::uint8_t* Data, std::size_t Size);  // bytes used
  std::vector<std::uint8_t> BitmapFile();

  HBITMAP FHandle = nullptr;
  bool FDIB = true;
  void* FBits = nullptr;  // the DIB section's pixels
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pf32bit;
  HPALETTE FPalette = nullptr;
  std::vector<std::uint8_t> FDormantImage;  // the bitmap file while Dormant
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

class TIcon : public TGraphic {
  HX_CLASS(TIcon, TGraphic)
 public:
  TIcon();
  ~TIcon() override;

  bool Empty() const override { return !FHandle && FData.empty(); }
  int GetWidth() const override { return FWidth; }
  void SetWidth(int Value) override;    // EInvalidGraphicOperation: an icon's size is its own
  int GetHeight() const override { return FHeight; }
  void SetHeight(int Value) override;

  HICON GetHandle();
  // Takes Value; the icon destroys it later unless Shared (LoadIcon's system icons are).
  void SetHandle(HICON Value, bool Shared = false);
  HICON ReleaseHandle();

  void Assign(TPersistent* Source) override;
  // The icon file format. Loading keeps the file and draws its image closest to the
  // system's icon size; saving writes the file that was loaded (or one made from the handle).
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromResourceName(HINSTANCE Instance, const String& ResName);
  void LoadFromResourceID(HINSTANCE Instance, int ResID);

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  bool Equals(TGraphic* Other) override;

 private:
  void FreeHandle();
  void SetLoaded(HICON Icon, bool Shared);

  HICON FHandle = nullptr;
  bool FShared = false;
  int FWidth = 0;
  int FHeight = 0;
  std::vector<std::uint8_t> FData;  // the icon file it was loaded from
};

// A JPEG picture. It keeps the file's bytes as they came (saved and streamed back
// unchanged) and is drawn from them decoded into a 32-bit bitmap; TBitmap::Assign takes
// those pixels. Bad data raises EInvalidGraphic with the reason and leaves the picture as
// it was. Its size is the picture's own (the setters raise EInvalidGraphicOperation).
class TJpegGraphic : public TGraphic {
  HX_CLASS(TJpegGraphic, TGraphic)
 public:
  TJpegGraphic();
  ~TJpegGraphic() override;

  bool Empty() const override { return FData.empty(); }
  int GetWidth() const override;
  void SetWidth(int Value) override;
  int GetHeight() const override;
  void SetHeight(int Value) override;

  // The file's bytes, and its pixels (nullptr when empty).
  const std::vector<std::uint8_t>& Data() const { return FData; }
  TBitmap* Bitmap() const { return FBitmap.get(); }

  void Assign(TPersistent* Source) override;
  // The rest of the stream is the file.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // Form data: the byte count (4 bytes), then the file.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;
  bool Equals(TGraphic* Other) override;

 private:
  void SetData(std::vector<std::uint8_t> Data);

  std::vector<std::uint8_t> FData;
  std::unique_ptr<TBitmap> FBitmap;
};

// Any graphic: the one it holds (owned), chosen by file extension (LoadFromFile) or by the
// data's signature (LoadFromStream). Bitmaps, icons and JPEG pictures; other formats raise
// EInvalidGraphic.
class TPicture : public TPersistent {
  HX_CLASS(TPicture, TPersistent)
 public:
  explicit TPicture(TPersistent* Owner = nullptr) : FOwner(Owner) {}
  ~TPicture() override;

  TGraphic* GetGraphic() const { return FGraphic.get(); }
  void SetGraphic(TGraphic* Value);  // a copy of Value
  // The graphic as a bitmap or an icon; another kind is replaced by an empty one.
  TBitmap* GetBitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  TIcon* GetIcon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  int Width() const { return FGraphic ? FGraphic->GetWidth() : 0; }
  int Height() const { return FGraphic ? FGraphic->GetHeight() : 0; }

  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);

  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return FOwner; }

  TNotifyEvent OnChange;

 protected:
  // "Data": the graphic's class name (a short string, empty for none), then its data.
  void DefineProperties(TFiler* Filer) override;
  virtual void Changed();

 private:
  void SetOwned(std::unique_ptr<TGraphic> Graphic);

  TPersistent* FOwner;
  std::unique_ptr<TGraphic> FGraphic;
};

// A new graphic of a registered class name ("TBitmap", "TIcon", "TJpegGraphic") or for a
// file extension (".bmp", ".ico", ".jpg", ".jpeg"); nullptr when unknown. Further formats register themselves.
using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;
void RegisterGraphicFormat(const String& Extension, const String& ClassName, TGraphicFactory Factory);
std::unique_ptr<TGraphic> NewGraphicOfClass(const String& ClassName);
std::unique_ptr<TGraphic> NewGraphicForExtension(const String& Extension);
