#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/stringlist.h"
#include "controls/kitcontainers.h"
#include "controls/kitstreams.h"
#include "controls/kitwave.h"
#include "test_paths.h"

namespace {

std::string Path(const char* Name) { return (std::filesystem::path(horavox::test::TempDir()) / Name).string(); }

std::uint32_t U32At(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

std::string FileBytes(const std::string& Name) {
  TFileStream f(Name, fmOpenRead);
  std::string s(static_cast<std::size_t>(f.GetSize()), '\0');
  f.ReadBuffer(s.data(), f.GetSize());
  return s;
}

void WriteFile(const std::string& Name, const std::string& Bytes) {
  TFileStream f(Name, fmCreate);
  f.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
}

std::string Saved(TKitListItem& Item) {
  TStringStream s;
  Item.SaveToStream(&s);
  return s.DataString();
}

// Black and white and the 16 VGA colours, which every depth keeps exactly.
const std::int32_t kColours[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0x008080, 0xC0C0C0};

void Paint(TBitmap* b, int W, int H, int Colours, int Seed = 0) {
  b->SetSize(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) b->Canvas()->SetPixels(x, y, static_cast<TColor>(kColours[(x + y * 3 + Seed) % Colours]));
}

void ExpectSamePixels(TBitmap* a, TBitmap* b, const std::string& What) {
  ASSERT_EQ(a->GetWidth(), b->GetWidth()) << What;
  ASSERT_EQ(a->GetHeight(), b->GetHeight()) << What;
  for (int y = 0; y < a->GetHeight(); ++y)
    for (int x = 0; x < a->GetWidth(); ++x)
      ASSERT_EQ(a->Canvas()->GetPixels(x, y), b->Canvas()->GetPixels(x, y)) << What << " at " << x << "," << y;
}

std::string WaveImage(std::size_t Samples) {
  std::string s = "RIFF";
  auto put = [&s](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
  };
  put(static_cast<std::uint32_t>(36 + Samples), 4);
  s += "WAVEfmt ";
  put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(8000, 4), put(1, 2), put(8, 2);
  s += "data";
  put(static_cast<std::uint32_t>(Samples), 4);
  for (std::size_t i = 0; i < Samples; ++i) s += static_cast<char>(i);
  return s;
}

TEST(ListItems, WriteTheirHeader) {
  struct Case {
    const char* what;
    bool compressed;
    const char* description;
    std::uint16_t ident;
    std::string header;
  } cases[] = {
      {"empty", false, "", 0, std::string(1, '\0')},
      {"compressed", true, "", 0, "\x01"},
      {"description", false, "ab", 0, "\x02\x02" "ab"},
      {"ident", false, "", 7, std::string("\x04\x07\x00\x00\x00", 5)},
  };
  for (const Case& c : cases) {
    TKitBitmapListItem item(nullptr);
    item.SetCompressed(c.compressed);
    item.SetDescription(c.description);
    item.SetIdent(c.ident);
    EXPECT_EQ(Saved(item), c.header) << c.what;
  }
  struct Depth {
    TKitSavePixelFormat format;
    std::uint8_t bit;
  } depths[] = {{TKitSavePixelFormat::spfDefault, 0},
                {TKitSavePixelFormat::spfMono, 0x10},
                {TKitSavePixelFormat::spf4bit, 0x20},
                {TKitSavePixelFormat::spf8bit, 0x40}};
  for (const Depth& d : depths) {
    TKitBitmapListItem item(nullptr);
    item.SetPixelFormat(d.format);
    Paint(item.Bitmap(), 4, 4, 2);
    EXPECT_EQ(static_cast<std::uint8_t>(Saved(item)[0]), 0x08 | d.bit);
  }
  // A header without a description or Ident clears those read before.
  TKitStringListItem item(nullptr);
  item.SetDescription("old");
  item.SetIdent(9);
  TStringStream s(std::string(1, '\0'));
  item.LoadFromStream(&s);
  EXPECT_EQ(item.GetDescription(), "");
  EXPECT_EQ(item.GetIdent(), 0);
}

TEST(ListItems, RoundTripEveryKind) {
  struct Depth {
    TKitSavePixelFormat format;
    int colours;
  } depths[] = {{TKitSavePixelFormat::spfDefault, 8},
                {TKitSavePixelFormat::spfMono, 2},
                {TKitSavePixelFormat::spf4bit, 8},
                {TKitSavePixelFormat::spf8bit, 8}};
  for (const Depth& d : depths)
    for (bool compressed : {false, true}) {
      TKitBitmapListItem item(nullptr), back(nullptr);
      item.SetPixelFormat(d.format);
      item.SetCompressed(compressed);
      item.SetDescription("Картинка");
      item.SetIdent(300);
      Paint(item.Bitmap(), 7, 5, d.colours);
      TStringStream s(Saved(item));
      back.LoadFromStream(&s);
      std::string what = std::to_string(d.colours) + (compressed ? " compressed" : "");
      EXPECT_EQ(back.GetPixelFormat(), d.format) << what;
      EXPECT_EQ(back.GetCompressed(), compressed) << what;
      EXPECT_EQ(back.GetDescription(), "Картинка") << what;
      EXPECT_EQ(back.GetIdent(), 300) << what;
      ExpectSamePixels(item.Bitmap(), back.Bitmap(), what);
      EXPECT_EQ(s.GetPosition(), s.GetSize()) << what;
    }

  for (bool compressed : {false, true}) {
    TKitStringListItem item(nullptr), back(nullptr);
    item.SetCompressed(compressed);
    item.Items()->Add("Привет");
    item.Items()->Add("second line");
    TStringStream s(Saved(item));
    back.LoadFromStream(&s);
    EXPECT_EQ(back.Items()->GetText(), item.Items()->GetText());
  }

  // An empty wave writes its header alone, so the item after it is still found.
  TKitWaveListItem empty(nullptr), full(nullptr);
  full.SetCompressed(true);
  TStringStream image(WaveImage(300));
  full.Wave()->LoadFromStream(&image);
  EXPECT_EQ(Saved(empty), std::string(1, '\0'));
  TStringStream s(Saved(empty) + Saved(full));
  TKitWaveListItem back1(nullptr), back2(nullptr);
  back1.LoadFromStream(&s);
  back2.LoadFromStream(&s);
  EXPECT_TRUE(back1.Wave()->Empty());
  EXPECT_EQ(back2.Wave()->Size(), 344);
  EXPECT_EQ(s.GetPosition(), s.GetSize());
}

std::unique_ptr<TKitStringList> ThreeLists() {
  auto list = std::make_unique<TKitStringList>(nullptr);
  for (const char* line : {"one", "два", "three"}) {
    auto* item = dynamic_cast<TKitStringListItem*>(list->Items(list->AddItem(nullptr)));
    item->Items()->Add(line);
    item->SetDescription(line);
  }
  return list;
}

TEST(Containers, WriteTheirStreamWithOffsets) {
  auto list = ThreeLists();
  TStringStream s("pre");
  s.Seek(0, soEnd);
  list->SaveToStream(&s, true);
  const std::string& b = s.DataString();
  EXPECT_EQ(b.substr(3, 4), std::string("\x03\x00\x00\x00", 4));
  EXPECT_EQ(U32At(b, 7), 3u + 16u);
  for (int i = 0; i < 3; ++i) {
    std::vector<std::int32_t> offsets = {static_cast<std::int32_t>(U32At(b, 7 + 4 * static_cast<std::size_t>(i)))};
    TKitStringListItem item(nullptr);
    LoadItemAt(&s, offsets, 0, &item);
    EXPECT_EQ(item.GetDescription(), list->Items(i)->GetDescription());
  }
  s.SetPosition(3);
  TKitStringList back(nullptr);
  back.LoadFromStream(&s, true);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Items(1)->Items()->Get(0), "два");
}

TEST(Containers, FilesAreKnownByTheirSignature) {
  auto list = ThreeLists();
  std::string name = Path("strings.txt");
  list->SaveToFile(name);
  std::string file = FileBytes(name);
  for (int kind = 0; kind <= kitUnknownKind; ++kind) {
    std::string patched = file;
    patched.replace(1, 8, kind < kitUnknownKind ? ContainerSignature(kind) : "NOTAKIND");
    WriteFile(name, patched);
    int count = -1;
    std::vector<std::int32_t> offsets;
    EXPECT_EQ(ReadContainerIndex(name, count, &offsets), kind);
    if (kind < kitUnknownKind) {
      EXPECT_EQ(count, 3);
      EXPECT_EQ(offsets.size(), 3u);
    }
  }
  EXPECT_EQ(DefaultExtension(kitWaveListKind, true), ".wav");
  EXPECT_EQ(DefaultExtension(kitRichTextListKind, false), "rtf");

  WriteFile(name, file);
  TKitStringListItem item(nullptr);
  LoadItemFromFile(name, kitStringListKind, nullptr, &item, 2);
  EXPECT_EQ(item.GetDescription(), "three");
  EXPECT_THROW(LoadItemFromFile(name, kitStringListKind, nullptr, &item, 3), EListError);
  EXPECT_THROW(LoadItemFromFile(name, kitStringListKind, nullptr, &item, -1), EListError);
  try {
    TKitWaveListItem wave(nullptr);
    LoadItemFromFile(name, kitWaveListKind, nullptr, &wave, 0);
    ADD_FAILURE() << "a string list read as a wave list";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Не могу открыть файл " + name);
  }
  TKitBitmapList bitmaps(nullptr);
  EXPECT_THROW(bitmaps.LoadFromFile(name), Exception);
  EXPECT_EQ(bitmaps.Count(), 0);

  // An offset past the end of the file.
  std::string beyond = file;
  beyond[16] = '\x7F';
  WriteFile(name, beyond);
  EXPECT_THROW(LoadItemFromFile(name, kitStringListKind, nullptr, &item, 0), EReadError);
}

TEST(Containers, BitmapFilesGiveTheirPictures) {
  TKitBitmapList list(nullptr);
  for (int i = 0; i < 2; ++i) Paint(list.Items(list.AddItem(nullptr))->Bitmap(), 3 + i, 2, 8, i);
  std::string name = Path("pictures.bmp");
  list.SaveToFile(name);
  TBitmap b;
  LoadBitmapFromFile(name, 1, &b);
  ExpectSamePixels(&b, list.Items(1)->Bitmap(), "second");
}

TEST(Containers, RefuseSizesTheDataCannotHold) {
  auto huge = [](std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
  };
  struct Case {
    const char* what;
    std::string stream;
    bool offsets;
  } cases[] = {
      {"a huge count", huge(0x7FFFFFF0), false},
      {"a negative count", huge(0xFFFFFFFF), false},
      {"a count past its offsets", huge(3) + huge(0) + huge(0), true},
      {"a huge bitmap block", "\x08" + huge(0x7FFFFFF0) + "BM", false},
  };
  for (const Case& c : cases) {
    TKitBitmapList list(nullptr);
    TStringStream s(c.stream.substr(0, 4) == huge(3) || c.stream.size() < 5 ? c.stream : huge(1) + c.stream);
    EXPECT_THROW(list.LoadFromStream(&s, c.offsets), EReadError) << c.what;
  }
}

TEST(Containers, AFailedLoadKeepsTheItemsAndTheLinks) {
  auto list = ThreeLists();
  TKitChangeLink link;
  int heard = 0;
  link.OnChange = [&heard](TObject*) { ++heard; };
  list->RegisterChanges(&link);
  TStringStream good;
  list->SaveToStream(&good, false);
  std::string broken = good.DataString().substr(0, good.DataString().size() - 3);
  TStringStream s(broken);
  EXPECT_THROW(list->LoadFromStream(&s, false), EReadError);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Items(2)->GetDescription(), "three");
  int before = heard;
  list->AddItem(nullptr);
  EXPECT_GT(heard, before);
}

TEST(Containers, AssignCopiesAndLeavesItselfAlone) {
  auto list = ThreeLists();
  list->Assign(list.get());
  EXPECT_EQ(list->Count(), 3);
  TKitStringList copy(nullptr);
  copy.Assign(list.get());
  ASSERT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy.Items(2)->Items()->Get(0), "three");
  EXPECT_NE(copy.Items(2), list->Items(2));
  TKitWave w;
  TStringStream image(WaveImage(10));
  w.LoadFromStream(&image);
  TKitWaveListItem item(nullptr);
  item.SetWave(&w);
  item.Assign(&item);
  EXPECT_EQ(item.Wave()->Size(), w.Size());
}

// A control's reference to a list, as the kit's controls stream it.
class TListUser : public TComponent {
  HX_CLASS(TListUser, TComponent)
 public:
  explicit TListUser(TComponent* AOwner) : TComponent(AOwner) {}
  TKitCustomContainer* List = nullptr;

 protected:
  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineProperty(
        "List", [this](TReader* r) { List = ReadContainerRef(r); }, [this](TWriter* w) { WriteContainerRef(w, List); },
        IsDefaultContainer(List));
  }
};

}  // namespace

HX_PUBLISH(TListUser, p) {}

namespace {

TEST(Containers, TravelInAFormWithTheirItems) {
  TComponent root(nullptr);
  root.SetName("Root");
  auto* list = new TKitBitmapList(&root);
  list->SetName("Pictures");
  for (int i = 0; i < 2; ++i) {
    auto* item = list->Items(list->AddItem(nullptr));
    item->SetName("Picture" + std::to_string(i));
    item->SetDescription("Рисунок " + std::to_string(i));
    Paint(item->Bitmap(), 4, 3 + i, 8, i);
  }
  auto* user = new TListUser(&root);
  user->SetName("User");
  user->List = KitDefaultContainer()->BitmapList();
  auto* other = new TListUser(&root);
  other->SetName("Other");
  other->List = list;  // only the default lists are referred to
  TMemoryStream binary, text, again;
  TWriter(&binary).WriteRootComponent(&root);
  binary.SetPosition(0);
  ObjectBinaryToText(&binary, &text);
  text.SetPosition(0);
  ObjectTextToBinary(&text, &again);
  again.SetPosition(0);
  TComponent back(nullptr);
  TReader(&again).ReadRootComponent(&back);
  auto* read = dynamic_cast<TKitBitmapList*>(back.FindComponent("Pictures"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->Count(), 2);
  EXPECT_EQ(read->Items(1)->GetDescription(), "Рисунок 1");
  ExpectSamePixels(read->Items(1)->Bitmap(), list->Items(1)->Bitmap(), "form");
  std::string form(static_cast<const char*>(text.Memory()), static_cast<std::size_t>(text.GetSize()));
  EXPECT_NE(form.find("List = KITBML30"), std::string::npos) << form;
  EXPECT_EQ(dynamic_cast<TListUser*>(back.FindComponent("User"))->List, KitDefaultContainer()->BitmapList());
  EXPECT_EQ(dynamic_cast<TListUser*>(back.FindComponent("Other"))->List, nullptr);
}

std::string Hex(const std::string& Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : Bytes) s += {digits[c >> 4], digits[c & 15]};
  return s;
}

// A "Data" value: a 4-byte size, then the bytes.
std::string SizedHex(const std::string& Bytes) {
  std::string size;
  for (int i = 0; i < 4; ++i) size += static_cast<char>(Bytes.size() >> (8 * i));
  return Hex(size + Bytes);
}

// A form's text sets every member the items publish; written again, their data travels in
// "Internal" alone and reads back alike.
TEST(ListItems, ThePublishedMembersAreSetByAFormsText) {
  TBitmap picture;
  Paint(&picture, 3, 2, 8);
  TStringStream bmp;
  picture.SaveToStream(&bmp);
  std::string text =
      "object Root: TComponent\n"
      "  object Pictures: TKitBitmapList\n"
      "    object Picture1: TKitBitmapListItem\n"
      "      Bitmap.Data = {" + SizedHex(bmp.DataString()) + "}\n"
      "      Description = 'Рисунок'\n"
      "      Ident = 7\n"
      "    end\n"
      "  end\n"
      "  object Texts: TKitStringList\n"
      "    object Text1: TKitStringListItem\n"
      "      Items.Strings = (\n        'один'\n        'два')\n"
      "      Description = 'Строки'\n"
      "      Ident = 8\n"
      "    end\n"
      "  end\n"
      "  object Waves: TKitWaveList\n"
      "    object Wave1: TKitWaveListItem\n"
      "      Wave.Data = {" + SizedHex(WaveImage(10)) + "}\n"
      "      Description = 'Звук'\n"
      "      Ident = 9\n"
      "    end\n"
      "  end\n"
      "end\n";
  auto check = [&](TComponent& Root, const std::string& What) {
    auto first = [&](const char* List) -> TKitListItem* {
      auto* list = dynamic_cast<TKitCustomContainer*>(Root.FindComponent(List));
      return list && list->Count() == 1 ? list->Items(0) : nullptr;
    };
    auto* bitmap = dynamic_cast<TKitBitmapListItem*>(first("Pictures"));
    auto* strings = dynamic_cast<TKitStringListItem*>(first("Texts"));
    auto* wave = dynamic_cast<TKitWaveListItem*>(first("Waves"));
    ASSERT_TRUE(bitmap && strings && wave) << What;
    ExpectSamePixels(bitmap->Bitmap(), &picture, What);
    EXPECT_EQ(bitmap->GetDescription(), "Рисунок") << What;
    EXPECT_EQ(bitmap->GetIdent(), 7) << What;
    EXPECT_EQ(strings->Items()->GetText(), "один\r\nдва\r\n") << What;
    EXPECT_EQ(strings->GetDescription(), "Строки") << What;
    EXPECT_EQ(strings->GetIdent(), 8) << What;
    EXPECT_EQ(wave->Wave()->Size(), static_cast<std::int64_t>(WaveImage(10).size())) << What;
    EXPECT_EQ(wave->GetDescription(), "Звук") << What;
    EXPECT_EQ(wave->GetIdent(), 9) << What;
  };
  TStringStream in(text), binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  TComponent root(nullptr);
  TReader(&binary).ReadRootComponent(&root);
  check(root, "read");

  TMemoryStream written, writtenText;
  TWriter(&written).WriteRootComponent(&root);
  written.SetPosition(0);
  ObjectBinaryToText(&written, &writtenText);
  std::string form(static_cast<const char*>(writtenText.Memory()), static_cast<std::size_t>(writtenText.GetSize()));
  for (const char* absent : {"Bitmap.Data", "Items.Strings", "Wave.Data", "Description", "Ident"})
    EXPECT_EQ(form.find(absent), std::string::npos) << absent;
  written.SetPosition(0);
  TComponent back(nullptr);
  TReader(&written).ReadRootComponent(&back);
  check(back, "written back");
}

TEST(OnDemandBitmaps, AreFetchedFromAContainerFileOrABitmapFolder) {
  TKitBitmapList source(nullptr);
  for (int i = 0; i < 3; ++i) Paint(source.Items(source.AddItem(nullptr))->Bitmap(), 2 + i, 2, 8, i);
  std::string file = Path("fetch.bmp");
  source.SaveToFile(file);

  TKitBitmapList list(nullptr);
  list.SetPathPrefix(ppFixed);
  list.SetFileName(file);
  list.SetStorageMode(1);
  auto* item = list.Items(list.AddItem(nullptr));
  item->SetIdent(2);
  ExpectSamePixels(item->Bitmap(), source.Items(2)->Bitmap(), "container file entry 2");

  // Mode 4: <folder><first three letters of the name><Ident>.bmp
  std::string folder = Path("pictures");
  std::filesystem::create_directories(folder);
  list.SetFileName(folder + "\\abcdef.iml");
  list.SetStorageMode(4);
  auto* named = list.Items(list.AddItem(nullptr));
  named->SetIdent(17);
  EXPECT_TRUE(named->Bitmap()->Empty());  // no such file: empty, and no error
  {
    TFileStream f(folder + "\\abc17.bmp", fmCreate);
    source.Items(1)->Bitmap()->SaveToStream(&f);
  }
  EXPECT_TRUE(named->Bitmap()->Empty());  // not looked for again
  list.SetFileName(folder + "\\abcxyz.iml");
  ExpectSamePixels(named->Bitmap(), source.Items(1)->Bitmap(), "bitmap folder");

  TKitBitmapListItem alone(nullptr);  // outside a container nothing is fetched
  EXPECT_TRUE(alone.Bitmap()->Empty());
}

TEST(OnDemandBitmaps, AreFetchedFromResources) {
  std::string library = (std::filesystem::path(horavox::test::BinaryDir()) / "tests" / "controls" / "kitpictures.dll").string();
  struct Case {
    const char* what;
    std::uint8_t mode;
    std::string file;
  } cases[] = {{"the program's resources", 2, ""}, {"a resource library", 3, library}};
  for (const Case& c : cases) {
    TKitBitmapList list(nullptr);
    list.SetPathPrefix(ppFixed);
    list.SetFileName(c.file);
    list.SetStorageMode(c.mode);
    auto* item = list.Items(list.AddItem(nullptr));
    item->SetIdent(4241);
    EXPECT_TRUE(item->Bitmap()->Empty()) << c.what;  // no such resource
    item->SetIdent(4242);
    ASSERT_EQ(item->Bitmap()->GetWidth(), 5) << c.what;
    EXPECT_EQ(item->Bitmap()->GetHeight(), 4) << c.what;
    EXPECT_EQ(item->Bitmap()->Canvas()->GetPixels(2, 2), static_cast<TColor>(0xFF0000)) << c.what;
  }
}

// Count images of W x H: image i is its transparent colour Clear(i) with a 2 x 2 block of
// Ink(i) at (1, 1). Read from the item's stream form; then masked when asked.
TColor Clear(int i) { return static_cast<TColor>(kColours[(i + 2) % 8]); }
TColor Ink(int i) { return static_cast<TColor>(kColours[(i + 5) % 8]); }

void MakeImages(TKitImageListItem& Item, int W, int H, int Count, bool Masked) {
  TBitmap strip;
  strip.SetSize(W * Count, H);
  for (int i = 0; i < Count; ++i) {
    strip.Canvas()->GetBrush()->SetColor(Clear(i));
    strip.Canvas()->FillRect(TRect{i * W, 0, (i + 1) * W, H});
    strip.Canvas()->GetBrush()->SetColor(Ink(i));
    strip.Canvas()->FillRect(TRect{i * W + 1, 1, i * W + 3, 3});
  }
  TStringStream s;
  WriteFlag(&s, kitItemData);
  for (int v : {H, W, 4}) WriteInt(&s, v);
  WriteFlag(&s, 0);
  WriteInt(&s, Count);
  WriteFlaggedBitmap(&s, &strip, false, -1);
  s.SetPosition(0);
  Item.LoadFromStream(&s);
  Item.SetMasked(Masked);
}

TEST(ImageItems, RoundTripAMaskedStrip) {
  for (bool compressed : {false, true}) {
    TKitImageListItem item(nullptr), back(nullptr);
    MakeImages(item, 6, 5, 3, true);
    item.SetCompressed(compressed);
    TStringStream s(Saved(item));
    back.LoadFromStream(&s);
    EXPECT_EQ(s.GetPosition(), s.GetSize());
    ASSERT_EQ(back.ImageCount(), 3);
    EXPECT_EQ(back.GetWidth(), 6);
    EXPECT_EQ(back.GetHeight(), 5);
    EXPECT_TRUE(back.GetMasked());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(back.TransparentColor(i), Clear(i)) << i;
    ExpectSamePixels(back.Strip(), item.Strip(), "strip");
    ExpectSamePixels(back.MaskStrip(), item.MaskStrip(), "mask");
    EXPECT_EQ(back.MaskStrip()->Canvas()->GetPixels(6 + 1, 1), clBlack);
    EXPECT_EQ(back.MaskStrip()->Canvas()->GetPixels(6 + 4, 4), clWhite);
  }
  TKitImageListItem empty(nullptr), back(nullptr);
  empty.SetWidth(9);
  TStringStream s(Saved(empty));
  back.LoadFromStream(&s);
  EXPECT_EQ(back.GetWidth(), 9);
  EXPECT_EQ(back.ImageCount(), 0);
}

TEST(ImageItems, RefuseSizesTheirDataCannotHave) {
  auto stream = [](int H, int W, int AllocBy, int Count) {
    TStringStream s;
    WriteFlag(&s, kitItemData);
    for (int v : {H, W, AllocBy}) WriteInt(&s, v);
    WriteFlag(&s, 0);
    WriteInt(&s, Count);
    return s.DataString();
  };
  for (const std::string& bad : {stream(0, 16, 4, 0), stream(16, -1, 4, 0), stream(16, 16, 0, 0),
                                 stream(16, 16, 4, -1), stream(16, 16, 4, 2049), stream(1, 0x40000000, 4, 4)}) {
    TKitImageListItem item(nullptr);
    TStringStream s(bad);
    EXPECT_THROW(item.LoadFromStream(&s), EReadError);
  }
}

TEST(ImageItems, AssignAppendsImagesOfTheSameSize) {
  TKitImageListItem a(nullptr), b(nullptr), other(nullptr);
  MakeImages(a, 4, 4, 2, false);
  MakeImages(b, 4, 4, 1, false);
  a.Assign(&b);
  ASSERT_EQ(a.ImageCount(), 3);
  EXPECT_EQ(a.Strip()->Canvas()->GetPixels(8 + 1, 1), Ink(0));
  EXPECT_EQ(a.Strip()->Canvas()->GetPixels(4 + 1, 1), Ink(1));
  MakeImages(other, 5, 4, 1, false);
  try {
    a.Assign(&other);
    ADD_FAILURE() << "another size taken";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message, "Неверный размер изображения");
  }
  TKitImageListItem wide(nullptr), one(nullptr);
  MakeImages(wide, 8192, 1, 4, false);
  MakeImages(one, 8192, 1, 1, false);
  try {
    wide.Assign(&one);
    ADD_FAILURE() << "a strip past 32768 pixels";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message, "Слишком много изображений");
  }
  EXPECT_EQ(wide.ImageCount(), 4);
}

TEST(ImageItems, DrawThroughTheirMask) {
  TKitImageListItem item(nullptr);
  MakeImages(item, 4, 4, 2, true);
  const TColor ground = static_cast<TColor>(0x00FF00);
  auto target = [&] {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(8, 8);
    b->Canvas()->GetBrush()->SetColor(ground);
    b->Canvas()->FillRect(TRect{0, 0, 8, 8});
    return b;
  };
  auto b = target();
  item.Draw(b->Canvas(), 2, 2, 1);
  EXPECT_EQ(b->Canvas()->GetPixels(3, 3), Ink(1));
  EXPECT_EQ(b->Canvas()->GetPixels(4, 4), Ink(1));
  EXPECT_EQ(b->Canvas()->GetPixels(2, 2), ground);  // transparent there
  EXPECT_EQ(b->Canvas()->GetPixels(5, 5), ground);
  EXPECT_EQ(b->Canvas()->GetPixels(0, 0), ground);

  // Selected: over the background colour, a 50 % checker of the blend colour.
  item.SetDrawingStyle(1);
  item.SetBkColor(static_cast<TColor>(0x0000FF));
  item.SetBlendColor(clWhite);
  b = target();
  item.Draw(b->Canvas(), 2, 2, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      TColor seen = b->Canvas()->GetPixels(2 + x, 2 + y);
      if ((x % 2 == 0) != (y % 2 == 0)) EXPECT_EQ(seen, clWhite) << x << "," << y;
      else EXPECT_NE(seen, clWhite) << x << "," << y;
    }
  EXPECT_EQ(b->Canvas()->GetPixels(2 + 1, 2 + 1), Ink(0));  // x and y odd: the image
  EXPECT_EQ(b->Canvas()->GetPixels(2 + 3, 2 + 3), static_cast<TColor>(0x0000FF));  // its background
}

TEST(Containers, TheDefaultContainerPassesItsListsChangesOn) {
  TKitContainer* c = KitDefaultContainer();
  EXPECT_EQ(c, KitDefaultContainer());
  TKitChangeLink link;
  int heard = 0;
  link.OnChange = [&heard](TObject*) { ++heard; };
  c->RegisterChanges(&link);
  int item = c->WaveList()->AddItem(nullptr);
  EXPECT_EQ(heard, 1);
  delete c->WaveList()->Items(item);
  EXPECT_EQ(heard, 2);
  EXPECT_EQ(c->WaveList()->Count(), 0);
  EXPECT_TRUE(IsDefaultContainer(c->ImageList()));
  EXPECT_FALSE(IsDefaultContainer(c->WaveList()));
}

TEST(ImageLists, AnswerForTheirPicturesByIndex) {
  TKitImageList images(nullptr);
  MakeImages(*images.Items(images.AddItem(nullptr)), 4, 3, 2, true);
  TKitBitmapList bitmaps(nullptr);
  Paint(bitmaps.Items(bitmaps.AddItem(nullptr))->Bitmap(), 5, 2, 8, 1);
  bitmaps.AddItem(nullptr);  // no picture

  EXPECT_EQ(images.ImageCount(0), 2);
  EXPECT_EQ(images.ImageCount(1), -1);
  EXPECT_EQ(bitmaps.ImageCount(0), 1);
  EXPECT_EQ(bitmaps.ImageCount(1), 0);
  EXPECT_EQ(bitmaps.ImageCount(2), 0);
  EXPECT_EQ(images.ItemSize(0, 0), 4);
  EXPECT_EQ(images.ItemSize(0, 1), 3);
  EXPECT_EQ(bitmaps.ItemSize(0, 0), 5);
  EXPECT_EQ(images.PictureBounds(0, 1).Left, 4);
  EXPECT_TRUE(images.Exists(0, 1));
  EXPECT_FALSE(images.Exists(0, 2));
  EXPECT_FALSE(bitmaps.Exists(1, 0));
  EXPECT_TRUE(images.IsMasked(0));
  EXPECT_FALSE(bitmaps.IsMasked(0));
  EXPECT_EQ(images.TransparentColor(0, 1), Clear(1));
  EXPECT_EQ(images.TransparentColor(3, 0), static_cast<TColor>(0xFFFFFF));
  EXPECT_EQ(images.PixelColor(0, 1, 1, 1), Ink(1));
  EXPECT_EQ(images.PixelColor(0, 1, 4, 0), static_cast<TColor>(0xFFFFFF));
  EXPECT_EQ(bitmaps.PictureCanvas(5), nullptr);

  TBitmap copy;
  ASSERT_TRUE(images.CopyPicture(0, 1, &copy));
  EXPECT_EQ(copy.GetWidth(), 4);
  EXPECT_EQ(copy.Canvas()->GetPixels(2, 2), Ink(1));
  EXPECT_FALSE(bitmaps.CopyPicture(1, 0, &copy));

  TBitmap target;
  target.SetSize(10, 10);
  bitmaps.DrawAt(0, 0, target.Canvas(), 3, 3);
  EXPECT_EQ(target.Canvas()->GetPixels(3 + 2, 3 + 1), bitmaps.Items(0)->Bitmap()->Canvas()->GetPixels(2, 1));
}

// From an origin inside the image, with the colour left out and the one under it given.
TEST(ImageLists, DrawFromAnOriginWithTheirColours) {
  TKitImageList images(nullptr);
  MakeImages(*images.Items(images.AddItem(nullptr)), 4, 3, 2, false);  // ink at (1..2, 1..2)
  const TColor ground = static_cast<TColor>(0x00FF00), back = static_cast<TColor>(0xFF0000);
  TBitmap target;
  auto fresh = [&] {
    target.SetSize(8, 8);
    target.Canvas()->GetBrush()->SetColor(ground);
    target.Canvas()->FillRect(TRect{0, 0, 8, 8});
  };
  fresh();
  // Image 1 from (1, 1) on: 3 x 2 pixels, its ink in the first two columns.
  images.DrawWith(0, 1, target.Canvas(), TRect{2, 2, 5, 4}, TPoint{1, 1}, Clear(1), back, kdfTransparent);
  EXPECT_EQ(target.Canvas()->GetPixels(2, 2), Ink(1));
  EXPECT_EQ(target.Canvas()->GetPixels(3, 3), Ink(1));
  EXPECT_EQ(target.Canvas()->GetPixels(4, 2), back);  // left out, the back colour shows
  EXPECT_EQ(target.Canvas()->GetPixels(4, 3), back);
  EXPECT_EQ(target.Canvas()->GetPixels(1, 1), ground);
  EXPECT_EQ(target.Canvas()->GetPixels(5, 2), ground);
  fresh();
  images.DrawWith(0, 1, target.Canvas(), TRect{2, 2, 5, 4}, TPoint{1, 1}, Clear(1), clNone, kdfTransparent);
  EXPECT_EQ(target.Canvas()->GetPixels(2, 2), Ink(1));
  EXPECT_EQ(target.Canvas()->GetPixels(4, 2), ground);  // without a back colour, what was there
  fresh();
  images.DrawWith(0, 1, target.Canvas(), TRect{2, 2, 5, 4}, TPoint{4, 0}, Clear(1), back, kdfTransparent);
  images.DrawWith(3, 0, target.Canvas(), TRect{2, 2, 5, 4}, TPoint{0, 0}, Clear(1), back, kdfTransparent);
  EXPECT_EQ(target.Canvas()->GetPixels(2, 2), ground) << "an origin past the image or no such item: nothing";
}

}  // namespace
