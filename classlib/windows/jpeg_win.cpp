#include <cstring>

#include "classlib/windows/jpegdecode.h"
#include "classlib/windows/pictures.h"

HX_PUBLISH(TJpegGraphic, p) {}

TJpegGraphic::TJpegGraphic() = default;
TJpegGraphic::~TJpegGraphic() = default;

int TJpegGraphic::GetWidth() const { return FBitmap ? FBitmap->GetWidth() : 0; }
int TJpegGraphic::GetHeight() const { return FBitmap ? FBitmap->GetHeight() : 0; }

void TJpegGraphic::SetWidth(int Value) {
  if (Value != GetWidth()) throw EInvalidGraphicOperation("Cannot change the size of a JPEG picture");
}

void TJpegGraphic::SetHeight(int Value) {
  if (Value != GetHeight()) throw EInvalidGraphicOperation("Cannot change the size of a JPEG picture");
}

void TJpegGraphic::SetData(std::vector<std::uint8_t> Data) {
  std::unique_ptr<TBitmap> bitmap;
  if (!Data.empty()) {
    // Decoded before anything is replaced: bad data leaves the picture as it was.
    TJpegImage image;
    std::string error;
    if (!DecodeJpeg(Data.data(), Data.size(), image, error)) throw EInvalidGraphic(error);
    bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(image.Width, image.Height);
    for (int y = 0; y < image.Height; ++y)
      std::memcpy(bitmap->ScanLine(y), image.Pixels.data() + static_cast<std::size_t>(y) * image.Width * 4,
                  static_cast<std::size_t>(image.Width) * 4);
  }
  FData = std::move(Data);
  FBitmap = std::move(bitmap);
  Changed();
}

void TJpegGraphic::Assign(TPersistent* Source) {
  if (!Source) return SetData({});
  if (auto* jpeg = dynamic_cast<TJpegGraphic*>(Source)) {
    if (jpeg == this) return;
    FData = jpeg->FData;
    FBitmap.reset();
    if (jpeg->FBitmap) {
      FBitmap = std::make_unique<TBitmap>();
      FBitmap->Assign(jpeg->FBitmap.get());
    }
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TJpegGraphic::LoadFromStream(TStream* Stream) {
  std::int64_t left = Stream->GetSize() - Stream->GetPosition();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(left > 0 ? left : 0));
  if (!data.empty()) Stream->ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  SetData(std::move(data));
}

void TJpegGraphic::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<std::int64_t>(FData.size()));
}

void TJpegGraphic::ReadData(TStream* Stream) {
  std::int32_t size = 0;
  Stream->ReadBuffer(&size, sizeof size);
  if (size < 0 || size > Stream->GetSize() - Stream->GetPosition())
    throw EInvalidGraphic("JPEG picture data cut short");
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  if (size) Stream->ReadBuffer(data.data(), size);
  SetData(std::move(data));
}

void TJpegGraphic::WriteData(TStream* Stream) {
  auto size = static_cast<std::int32_t>(FData.size());
  Stream->WriteBuffer(&size, sizeof size);
  if (size) Stream->WriteBuffer(FData.data(), size);
}

bool TJpegGraphic::Equals(TGraphic* Other) {
  auto* other = dynamic_cast<TJpegGraphic*>(Other);
  return other && other->FData == FData;
}

void TJpegGraphic::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FBitmap) ACanvas->StretchDraw(Rect, FBitmap.get());
}
