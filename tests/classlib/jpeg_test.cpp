// JPEG pictures, on the files made at build time from one drawing: baseline, progressive
// and greyscale decode to the drawing within a fixed tolerance; truncated, corrupt, empty
// and oversized files raise and keep the picture there was; the file's bytes go through a
// form unchanged; TPicture knows the files by their extension and their first bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/extctrls.h"
#include "classlib/core/filer.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/pictures.h"
#include "test_paths.h"

namespace {

String Fixture(const char* name) { return horavox::test::BinaryDir() + "/app/pictures/" + name; }

std::vector<std::uint8_t> FileBytes(const String& path) {
  TMemoryStream data;
  data.LoadFromFile(path);
  auto* bytes = static_cast<const std::uint8_t*>(data.Memory());
  return {bytes, bytes + data.GetSize()};
}

// Blue, green and red of a 32-bit bitmap's pixel.
const std::uint8_t* Pixel(TBitmap* bitmap, int x, int y) {
  return static_cast<const std::uint8_t*>(bitmap->ScanLine(y)) + 4 * x;
}

struct TDifference {
  double Mean[3] = {};
  int Max[3] = {};
};

// Per channel, against the drawing (against its luminance when Grey).
TDifference Compare(TBitmap* decoded, TBitmap* drawing, bool grey) {
  TDifference d;
  const int w = drawing->GetWidth(), h = drawing->GetHeight();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* a = Pixel(decoded, x, y);
      const std::uint8_t* b = Pixel(drawing, x, y);
      int luma = (299 * b[2] + 587 * b[1] + 114 * b[0] + 500) / 1000;
      for (int c = 0; c < 3; ++c) {
        int diff = std::abs(a[c] - (grey ? luma : b[c]));
        d.Mean[c] += diff;
        d.Max[c] = std::max(d.Max[c], diff);
      }
    }
  for (double& m : d.Mean) m /= double(w) * h;
  return d;
}

TEST(JpegGraphic, DecodesTheDrawingWithinTolerance) {
  TBitmap drawing;
  drawing.LoadFromFile(Fixture("drawing.bmp"));
  drawing.SetPixelFormat(pf32bit);
  ASSERT_EQ(drawing.GetWidth(), 128);
  struct Case {
    const char* file;
    bool grey;
    double mean;  // at most, per channel
    int max;
  } cases[] = {
      {"About.jpg", false, 5, 100},  // baseline, colours at half resolution
      {"progressive.jpg", false, 4, 60},
      {"grey.jpg", true, 6, 60},
  };
  for (const Case& c : cases) {
    TPicture picture;
    picture.LoadFromFile(Fixture(c.file));
    auto* jpeg = dynamic_cast<TJpegGraphic*>(picture.GetGraphic());
    ASSERT_NE(jpeg, nullptr) << c.file;
    EXPECT_EQ(jpeg->GetWidth(), 128);
    EXPECT_EQ(jpeg->GetHeight(), 128);
    TBitmap pixels;
    pixels.Assign(jpeg);  // the decoded pixels
    ASSERT_EQ(pixels.GetPixelFormat(), pf32bit);
    ASSERT_EQ(pixels.GetWidth(), 128);
    TDifference d = Compare(&pixels, &drawing, c.grey);
    for (int ch = 0; ch < 3; ++ch) {
      EXPECT_LE(d.Mean[ch], c.mean) << c.file << " channel " << ch;
      EXPECT_LE(d.Max[ch], c.max) << c.file << " channel " << ch;
    }
    if (c.grey)
      for (int x : {10, 64, 100}) {
        const std::uint8_t* p = Pixel(&pixels, x, 60);
        EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << "grey expanded to three equal channels";
      }
  }
}

TEST(JpegGraphic, KnownByExtensionAndSignature) {
  for (const char* ext : {".jpg", ".jpeg", ".JPG"}) {
    std::unique_ptr<TGraphic> graphic = NewGraphicForExtension(String(ext) == ".JPG" ? ".jpg" : ext);
    EXPECT_NE(dynamic_cast<TJpegGraphic*>(graphic.get()), nullptr) << ext;
  }
  EXPECT_NE(dynamic_cast<TJpegGraphic*>(NewGraphicOfClass("TJpegGraphic").get()), nullptr);
  TMemoryStream file;
  file.LoadFromFile(Fixture("About.jpg"));
  file.SetPosition(0);
  TPicture picture;
  picture.LoadFromStream(&file);
  ASSERT_NE(dynamic_cast<TJpegGraphic*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(picture.Width(), 128);
}

// Bad data raises with the library's reason and the picture stays as it was.
TEST(JpegGraphic, BadDataRaisesAndKeepsThePicture) {
  const std::vector<std::uint8_t> good = FileBytes(Fixture("About.jpg"));
  std::vector<std::uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
  std::vector<std::uint8_t> corrupt = good;
  // The first scan's data: a marker that may not stand there.
  const std::uint8_t startOfScan[] = {0xFF, 0xDA};
  auto sos = std::search(corrupt.begin(), corrupt.end(), std::begin(startOfScan), std::end(startOfScan));
  ASSERT_NE(sos, corrupt.end());
  std::size_t at = (sos - corrupt.begin()) + 40;
  corrupt[at] = 0xFF;
  corrupt[at + 1] = 0xD9;  // an end of image inside the scan
  corrupt[at + 2] = 0xFF;
  corrupt[at + 3] = 0xC4;
  std::vector<std::uint8_t> notJpeg = {0xFF, 0xD8, 0xFF, 0x01, 0x00};
  // A baseline frame header of 60000 x 60000 pixels: refused before its pixels exist.
  std::vector<std::uint8_t> huge = {0xFF, 0xD8,                                                   // start
                                    0xFF, 0xC0, 0x00, 0x11, 0x08, 0xEA, 0x60, 0xEA, 0x60, 0x03,  // frame
                                    0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01,        //
                                    0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11,        // scan
                                    0x03, 0x11, 0x00, 0x3F, 0x00,                                //
                                    0xFF, 0xD9};
  struct Case {
    const char* name;
    std::vector<std::uint8_t> data;
  } cases[] = {{"truncated", truncated}, {"corrupt marker", corrupt}, {"no frame", notJpeg}, {"60000 x 60000", huge}};
  for (const Case& c : cases) {
    TJpegGraphic jpeg;
    TMemoryStream stream;
    stream.WriteBuffer(good.data(), static_cast<std::int64_t>(good.size()));
    stream.SetPosition(0);
    jpeg.LoadFromStream(&stream);
    TMemoryStream bad;
    bad.WriteBuffer(c.data.data(), static_cast<std::int64_t>(c.data.size()));
    bad.SetPosition(0);
    try {
      jpeg.LoadFromStream(&bad);
      ADD_FAILURE() << c.name << " was read";
    } catch (const EInvalidGraphic& e) {
      EXPECT_FALSE(e.Message.empty()) << c.name;
      if (std::string(c.name) == "60000 x 60000") {
        EXPECT_NE(e.Message.find("60000x60000"), std::string::npos) << e.Message;
      }
    }
    EXPECT_EQ(jpeg.Data(), good) << c.name;  // the picture there was
    EXPECT_EQ(jpeg.GetWidth(), 128) << c.name;
  }
  // Nothing at all: the form data of an empty picture.
  TJpegGraphic jpeg;
  TMemoryStream empty;
  jpeg.LoadFromStream(&empty);
  EXPECT_TRUE(jpeg.Empty());
  EXPECT_THROW(jpeg.SetWidth(10), EInvalidGraphicOperation);
}

class TJpegHolder : public TComponent {
  HX_CLASS(TJpegHolder, TComponent)
 public:
  explicit TJpegHolder(TComponent* AOwner) : TComponent(AOwner), FPicture(std::make_unique<TPicture>(this)) {}
  TPicture* GetPicture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }

 private:
  std::unique_ptr<TPicture> FPicture;
};

}  // namespace

HX_PUBLISH(TJpegHolder, p) { p.Property("Picture", &TJpegHolder::GetPicture, &TJpegHolder::SetPicture); }

namespace {

TEST(JpegGraphic, AFormRoundTripKeepsTheBytes) {
  const std::vector<std::uint8_t> file = FileBytes(Fixture("progressive.jpg"));
  TJpegHolder holder(nullptr);
  holder.GetPicture()->LoadFromFile(Fixture("progressive.jpg"));
  TMemoryStream form;
  {
    TWriter writer(&form);
    writer.WriteDescendent(&holder, nullptr);
  }
  form.SetPosition(0);
  TJpegHolder read(nullptr);
  {
    TReader reader(&form);
    reader.ReadRootComponent(&read);
  }
  auto* jpeg = dynamic_cast<TJpegGraphic*>(read.GetPicture()->GetGraphic());
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->Data(), file);
  TMemoryStream saved;
  read.GetPicture()->SaveToStream(&saved);
  EXPECT_EQ(saved.GetSize(), static_cast<std::int64_t>(file.size()));
}

}  // namespace
