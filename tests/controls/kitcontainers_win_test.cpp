#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "classlib/filer.h"
#include "classlib/formtext.h"
#include "classlib/stringlist.h"
#include "controls/kitcontainers.h"
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

}  // namespace
