// The property filer: the stream of chosen properties, read back onto live components;
// the order and checks of property paths; property interceptors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/colors.h"
#include "classlib/core/formtext.h"
#include "desktop/propfiler.h"

HX_ENUM(TPfKind, pkSquare, pkRound);
HX_ENUM(TPfStyle, psBold, psItalic);
using TPfStyles = TSet<TPfStyle>;

class TPfSub : public TPersistent {
  HX_CLASS(TPfSub, TPersistent)
 public:
  int Size = 0;
  TColor Color = clBlack;
  TPfStyles Style;
};

HX_PUBLISH(TPfSub, p) {
  p.Property("Color", &TPfSub::Color, &TPfSub::Color).Default(clBlack);
  p.Property("Size", &TPfSub::Size, &TPfSub::Size).Default(0);
  p.Property("Style", &TPfSub::Style, &TPfSub::Style).Default(TPfStyles{});
}

class TPfItem : public TCollectionItem {
  HX_CLASS(TPfItem, TCollectionItem)
 public:
  explicit TPfItem(TCollection* Collection) : TCollectionItem(Collection) {}
  int Width = 0;
};

HX_PUBLISH(TPfItem, p) { p.Property("Width", &TPfItem::Width, &TPfItem::Width).Default(0); }

// A component with a value of every kind the clock stores, which may sit inside another
// (its box lists it as a child, as a panel lists its controls).
class TPfWidget : public TComponent {
  HX_CLASS(TPfWidget, TComponent)
 public:
  explicit TPfWidget(TComponent* AOwner)
      : TComponent(AOwner),
        FSub(std::make_unique<TPfSub>()),
        FItems(std::make_unique<TCollection>(this, ClassOf<TPfItem>())),
        FLines(std::make_unique<TStringList>()) {}
  ~TPfWidget() override {
    if (FBox) std::erase(FBox->FInner, this);
    for (TPfWidget* w : FInner) w->FBox = nullptr;
  }
  void PutInto(TPfWidget* Box) {
    FBox = Box;
    Box->FInner.push_back(this);
  }
  TPfSub* GetSub() const { return FSub.get(); }
  TCollection* GetItems() const { return FItems.get(); }
  TStringList* GetLines() const { return FLines.get(); }
  int Width(int i) const { return static_cast<TPfItem*>(FItems->GetItem(i))->Width; }

  bool HasParent() const override { return FBox != nullptr; }
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    TComponent::GetChildren(Proc, Root);
    for (TPfWidget* w : std::vector<TPfWidget*>(FInner))
      if (w->Owner() == Root) Proc(w);
  }

  String Caption;
  TPfKind Kind = pkSquare;
  TComponent* Buddy = nullptr;
  TNotifyEvent OnClick;

 private:
  std::unique_ptr<TPfSub> FSub;
  std::unique_ptr<TCollection> FItems;
  std::unique_ptr<TStringList> FLines;
  TPfWidget* FBox = nullptr;
  std::vector<TPfWidget*> FInner;
};

HX_PUBLISH(TPfWidget, p) {
  p.Property("Buddy", &TPfWidget::Buddy, &TPfWidget::Buddy);
  p.Property("Caption", &TPfWidget::Caption, &TPfWidget::Caption).Default("");
  p.Property("Items", &TPfWidget::GetItems);
  p.Property("Kind", &TPfWidget::Kind, &TPfWidget::Kind).Default(pkSquare);
  p.Property("Lines", &TPfWidget::GetLines);
  p.Property("Sub", &TPfWidget::GetSub);
  p.Event("OnClick", &TPfWidget::OnClick);
}

// A widget whose "Spot" only an interceptor knows: it becomes the caption once applied.
class TPfPlaced : public TPfWidget {
  HX_CLASS(TPfPlaced, TPfWidget)
 public:
  using TPfWidget::TPfWidget;
};
HX_PUBLISH(TPfPlaced, p) {}

class TPfSpotInterceptor : public TStoragePropertyInterceptor {
  HX_CLASS(TPfSpotInterceptor, TStoragePropertyInterceptor)
 public:
  explicit TPfSpotInterceptor(TPersistent* Target)
      : TStoragePropertyInterceptor(Target), Spot(static_cast<int>(static_cast<TPfWidget*>(Target)->Caption.size())) {
    ++Made;
  }
  void Apply() override { static_cast<TPfWidget*>(Target())->Caption = "spot " + std::to_string(Spot); }
  int Spot;
  static inline int Made = 0;
};
HX_PUBLISH(TPfSpotInterceptor, p) { p.Property("Spot", &TPfSpotInterceptor::Spot, &TPfSpotInterceptor::Spot); }

class TPfOtherInterceptor : public TStoragePropertyInterceptor {
  HX_CLASS(TPfOtherInterceptor, TStoragePropertyInterceptor)
 public:
  using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
};
HX_PUBLISH(TPfOtherInterceptor, p) {}

namespace {

// Root1 with Box1 (holding Inner1) and Other1 beside it.
struct TFixture {
  std::unique_ptr<TPfWidget> Root = std::make_unique<TPfWidget>(nullptr);
  TPfWidget* Box;
  TPfWidget* Inner;
  TPfWidget* Other;
  TFixture() {
    Root->SetName("Root1");
    Box = new TPfWidget(Root.get());
    Box->SetName("Box1");
    Inner = new TPfWidget(Root.get());
    Inner->SetName("Inner1");
    Inner->PutInto(Box);
    Other = new TPfWidget(Root.get());
    Other->SetName("Other1");
    for (int w : {10, 20, 30}) static_cast<TPfItem*>(Root->GetItems()->Add())->Width = w;
  }
};

std::string Write(TComponent* Root, const std::vector<String>& Paths,
                  const std::function<void(TPropWriter*)>& Custom = nullptr) {
  TStringList paths;
  for (const String& p : Paths) paths.Add(p);
  TMemoryStream binary;
  TPropWriter(&binary).WriteStorage(Root, &paths, Custom);
  return StreamToString(&binary);
}

std::string AsText(const std::string& Binary) {
  TStringStream binary(Binary), text;
  ObjectBinaryToText(&binary, &text);
  return text.DataString();
}

std::vector<String> Read(TComponent* Root, const std::string& Binary,
                         std::function<void(TPropReader*, const String&, bool&)> OnReadProp = nullptr) {
  TStringStream stream(Binary);
  TPropReader reader(&stream);
  reader.OnReadProp = std::move(OnReadProp);
  reader.ReadStorage(Root);
  return reader.Skipped();
}

std::string FromText(const std::string& Text) {
  TStringStream text(Text);
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  return StreamToString(&binary);
}

TEST(PropFiler, TwoPathsIntoOneComponentOpenItOnce) {
  TFixture f;
  f.Root->Caption = "root";
  f.Box->Caption = "box";
  f.Inner->Kind = pkRound;
  std::string binary = Write(f.Root.get(), {"Box1.Inner1.<P>.Kind", "Box1.<P>.Sub.Size", "<P>.Caption", "Box1.<P>.Caption"});
  const char golden[] =
      "TPF0\x09TPfWidget\x05Root1"
      "\x07" "Caption\x06\x04root"
      "\x00"
      "\x09TPfWidget\x04" "Box1"
      "\x07" "Caption\x06\x03" "box"
      "\x08Sub.Size\x02\x00"  // written although it is the default
      "\x00"
      "\x09TPfWidget\x06Inner1"
      "\x04Kind\x07\x07pkRound"
      "\x00\x00"
      "\x00"
      "\x00";
  EXPECT_EQ(binary, std::string(golden, sizeof golden - 1));
  EXPECT_EQ(AsText(binary),
            "object Root1: TPfWidget\r\n"
            "  Caption = 'root'\r\n"
            "  object Box1: TPfWidget\r\n"
            "    Caption = 'box'\r\n"
            "    Sub.Size = 0\r\n"
            "    object Inner1: TPfWidget\r\n"
            "      Kind = pkRound\r\n"
            "    end\r\n"
            "  end\r\n"
            "end\r\n");

  TFixture g;
  g.Box->GetSub()->Size = 7;
  EXPECT_TRUE(Read(g.Root.get(), binary).empty());
  EXPECT_EQ(g.Root->Caption, "root");
  EXPECT_EQ(g.Box->Caption, "box");
  EXPECT_EQ(g.Box->GetSub()->Size, 0);
  EXPECT_EQ(g.Inner->Kind, pkRound);
  EXPECT_EQ(g.Other->Caption, "");
}

TEST(PropFiler, ValuesOfEveryKindRoundTrip) {
  TFixture f;
  f.Box->GetSub()->Color = clRed;
  f.Box->GetSub()->Style = TPfStyles{psBold, psItalic};
  f.Box->GetLines()->SetText("первая 'строка'\r\n\r\n" + std::string(300, 'x') + "\r\n");
  f.Box->Buddy = f.Other;
  std::string binary = Write(f.Root.get(), {"Box1.<P>.Sub", "Box1.<P>.Lines", "Box1.<P>.Buddy"});
  EXPECT_NE(AsText(binary).find("Sub.Color = clRed"), std::string::npos);

  TFixture g;
  g.Box->GetLines()->Add("old");
  EXPECT_TRUE(Read(g.Root.get(), binary).empty());
  EXPECT_EQ(g.Box->GetSub()->Color, clRed);
  EXPECT_EQ(g.Box->GetSub()->Style, (TPfStyles{psBold, psItalic}));
  EXPECT_EQ(g.Box->GetLines()->GetText(), f.Box->GetLines()->GetText());
  EXPECT_EQ(g.Box->Buddy, g.Other);

  // An emptied list is stored too: reading it empties the list.
  f.Box->GetLines()->Clear();
  EXPECT_TRUE(Read(g.Root.get(), Write(f.Root.get(), {"Box1.<P>.Lines"})).empty());
  EXPECT_EQ(g.Box->GetLines()->Count(), 0);
}

TEST(PropFiler, CollectionsByItemAndWhole) {
  TFixture f;
  std::string all = Write(f.Root.get(), {"<P>.Items.<ForAllItems>.Width"});
  EXPECT_EQ(AsText(all),
            "object Root1: TPfWidget\r\n"
            "  Items.__Item0.Width = 10\r\n"
            "  Items.__Item1.Width = 20\r\n"
            "  Items.__Item2.Width = 30\r\n"
            "end\r\n");
  std::string one = Write(f.Root.get(), {"<P>.Items.<Item1>.Width"});
  EXPECT_EQ(AsText(one), "object Root1: TPfWidget\r\n  Items.__Item1.Width = 20\r\nend\r\n");

  TFixture g;
  for (int i = 0; i < 3; ++i) static_cast<TPfItem*>(g.Root->GetItems()->GetItem(i))->Width = 0;
  EXPECT_TRUE(Read(g.Root.get(), one).empty());
  EXPECT_EQ(g.Root->Width(0), 0);
  EXPECT_EQ(g.Root->Width(1), 20);
  EXPECT_TRUE(Read(g.Root.get(), all).empty());
  EXPECT_EQ(g.Root->Width(0), 10);
  EXPECT_EQ(g.Root->Width(2), 30);

  // The collection itself: reading it replaces the items there are.
  std::string whole = Write(f.Root.get(), {"<P>.Items"});
  g.Root->GetItems()->Add();
  static_cast<TPfItem*>(g.Root->GetItems()->GetItem(0))->Width = 99;
  EXPECT_TRUE(Read(g.Root.get(), whole).empty());
  ASSERT_EQ(g.Root->GetItems()->Count(), 3);
  EXPECT_EQ(g.Root->Width(0), 10);
  EXPECT_EQ(g.Root->Width(2), 30);
}

TEST(PropFiler, UnreadableValuesAreSkippedOneByOne) {
  struct TCase {
    const char* What;
    const char* Text;  // inside Root1, before Caption = 'good'
  };
  const TCase cases[] = {
      {"unknown property", "Nope = 1\r\n"},
      {"unknown enumeration identifier", "Kind = pkTriangle\r\n"},
      {"unknown colour identifier", "Sub.Color = clPurplish\r\n"},
      {"value of another kind", "Sub.Size = 'big'\r\n"},
      {"item past the count", "Items.__Item9.Width = 5\r\n"},
      {"item on no collection", "Sub.__Item0.Size = 5\r\n"},
      {"method", "OnClick = Root1Click\r\n"},
      {"unknown component reference", "Buddy = Ghost2\r\n"},
      {"unknown component", "object Ghost1: TPfWidget\r\nCaption = 'ghost'\r\nend\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    bool object = std::string(c.Text).starts_with("object");
    std::string text = std::string("object Root1: TPfWidget\r\n") + (object ? "" : c.Text) +
                       "Caption = 'good'\r\n" + (object ? c.Text : "") +
                       "object Box1: TPfWidget\r\nCaption = 'box'\r\nend\r\nend\r\n";
    TFixture g;
    std::vector<String> skipped = Read(g.Root.get(), FromText(text));
    EXPECT_EQ(skipped.size(), 1u);
    EXPECT_EQ(g.Root->Caption, "good");
    EXPECT_EQ(g.Box->Caption, "box");
    EXPECT_EQ(g.Root->Kind, pkSquare);
    EXPECT_EQ(g.Root->GetSub()->Color, clBlack);
    EXPECT_EQ(g.Root->GetSub()->Size, 0);
    EXPECT_EQ(g.Root->Width(2), 30);
    EXPECT_FALSE(g.Root->OnClick);
    EXPECT_EQ(g.Root->Buddy, nullptr);
  }
  TFixture g;
  EXPECT_THROW(Read(g.Root.get(), "TPF1"), EReadError);
}

TEST(PropFiler, AHandlerMayReadAPropertyItself) {
  TFixture f;
  f.Root->Caption = "mine";
  std::string binary = Write(f.Root.get(), {"<P>.Caption"}, [](TPropWriter* w) {
    w->WritePropertyName("Extra");
    w->WriteInteger(42);
  });
  TFixture g;
  std::int64_t extra = 0;
  auto skipped = Read(g.Root.get(), binary, [&](TPropReader* r, const String& Name, bool& Processed) {
    if (Name == "Extra") {
      extra = r->ReadInteger();
      Processed = true;
    }
  });
  EXPECT_TRUE(skipped.empty());
  EXPECT_EQ(extra, 42);
  EXPECT_EQ(g.Root->Caption, "mine");
}

TEST(PropFiler, MalformedPathsRaise) {
  struct TCase {
    const char* Path;
    const char* Message;
  };
  const TCase cases[] = {
      {"<P>", "Component name is empty."},
      {".<P>.Caption", "Component name is empty."},
      {"<P>.Caption.", "Property name is empty."},
      {"<P>.Sub.<ForAllItems>.Size", "Component type is not Collection."},
      {"<P>.Nope", "Invalide property name: Nope"},
      {"Box1.Caption", "Invalide property path: \"Box1.Caption\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path);
    TFixture f;
    try {
      Write(f.Root.get(), {c.Path});
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, c.Message);
    }
  }
  TFixture f;
  EXPECT_EQ(AsText(Write(f.Root.get(), {"Ghost1.<P>.Caption"})), "object Root1: TPfWidget\r\nend\r\n");
}

TEST(PropertyPaths, OrderPutsAComponentsOwnPropertiesFirst) {
  struct TCase {
    const char* A;
    const char* B;
    int Sign;
  };
  const TCase cases[] = {
      {"", "", 0},
      {"<P>.Caption", "Box1.<P>.Caption", -1},
      {"Box1.<P>.Caption", "Box1.Inner1.<P>.Kind", -1},
      {"Box1.<P>.Items.<ForAllItems>.Width", "Box1.<P>.Items.Alpha", 1},
      {"box1.<p>.CAPTION", "Box1.<P>.Caption", 0},
      {"Box1.<P>.Caption", "Box2.<P>.Caption", -1},
      {"Box1.<P>.Sub", "Box1.<P>.Sub.Size", -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.A) + " / " + c.B);
    int ab = ComparePropertyPaths(c.A, c.B), ba = ComparePropertyPaths(c.B, c.A);
    EXPECT_EQ((ab > 0) - (ab < 0), c.Sign);
    EXPECT_EQ((ba > 0) - (ba < 0), -c.Sign);
  }
}

TEST(PropertyPaths, ValidationFollowsComponentsPropertiesAndItems) {
  TFixture f;
  struct TCase {
    const char* Path;
    bool Valid;
  };
  const TCase cases[] = {
      {"<P>.Caption", true},
      {"Box1.Inner1.<P>.Kind", true},
      {"Inner1.<P>.Kind", false},  // it sits inside Box1
      {"Ghost1.<P>.Caption", false},
      {"<P>.Sub.Size", true},
      {"<P>.Sub.Nope", false},
      {"<P>.Caption.Length", false},
      {"<P>.Lines", true},
      {"<P>.Lines.Strings", true},  // defined for streaming
      {"<P>.OnClick", false},
      {"<P>.Items.<ForAllItems>.Width", true},
      {"<P>.Items.<Item2>.Width", true},
      {"<P>.Items.<Item3>.Width", false},
      {"<P>.Items.<ForAllItems>.Nope", false},
      {"<P>.Sub.<ForAllItems>.Size", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(IsValidPropertyPath(f.Root.get(), c.Path), c.Valid);
  }
  // Checking every item's path makes no item in the collection.
  EXPECT_EQ(f.Root->GetItems()->Count(), 3);
  try {
    IsValidPropertyPath(f.Root.get(), "Box1.Caption");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Invalide property path: \"Box1.Caption\"");
  }
}

TEST(PropertyPaths, NamesKeepOrderAndRefuseDuplicatesAndInvalidPaths) {
  TFixture f;
  TPropertyNames names;
  for (const char* p : {"Box1.Inner1.<P>.Kind", "Ghost1.<P>.Caption", "Box1.<P>.Caption", "<P>.Caption"})
    names.Add(p);
  EXPECT_EQ(names.Count(), 4);  // no root yet: nothing checked
  names.SetRoot(f.Root.get());
  EXPECT_EQ(names.GetText(), "<P>.Caption\r\nBox1.<P>.Caption\r\nBox1.Inner1.<P>.Kind\r\n");
  EXPECT_EQ(names.Add("BOX1.<p>.caption"), -1);
  EXPECT_EQ(names.Add("Other1.<P>.Nope"), -1);
  EXPECT_EQ(names.Add("Box1.<P>.Sub.Size"), 2);
  EXPECT_THROW(names.Add("Box1.Caption"), Exception);
  TPropertyNames copy;
  copy.Assign(&names);
  EXPECT_EQ(copy.GetText(), names.GetText());
}

TEST(PropertyInterceptors, TheNearestRegisteredClassWinsAndMadeOnlyWhenRead) {
  RegisterPropertyInterceptor<TPfOtherInterceptor>(ClassOf<TPfWidget>());
  RegisterPropertyInterceptor<TPfSpotInterceptor>(ClassOf<TPfPlaced>());
  struct TCleanUp {
    ~TCleanUp() {
      UnregisterPropertyInterceptor(ClassOf<TPfWidget>());
      UnregisterPropertyInterceptor(ClassOf<TPfPlaced>());
    }
  } cleanUp;
  EXPECT_EQ(FindPropertyInterceptor(ClassOf<TPfPlaced>()), ClassOf<TPfSpotInterceptor>());
  EXPECT_EQ(FindPropertyInterceptor(ClassOf<TPfWidget>()), ClassOf<TPfOtherInterceptor>());
  EXPECT_EQ(FindPropertyInterceptor(ClassOf<TComponent>()), nullptr);
  RegisterPropertyInterceptor<TPfSpotInterceptor>(ClassOf<TPfWidget>());
  EXPECT_EQ(FindPropertyInterceptor(ClassOf<TPfWidget>()), ClassOf<TPfSpotInterceptor>());
  UnregisterPropertyInterceptor(ClassOf<TPfWidget>());

  TPfPlaced placed(nullptr);
  placed.SetName("Placed1");
  placed.Caption = "abc";
  std::string binary = Write(&placed, {"<P>.Spot", "<P>.Caption"});
  EXPECT_EQ(AsText(binary), "object Placed1: TPfPlaced\r\n  Caption = 'abc'\r\n  Spot = 3\r\nend\r\n");

  TPfPlaced target(nullptr);
  TPfSpotInterceptor::Made = 0;
  Read(&target, FromText("object Placed1: TPfPlaced\r\nCaption = 'plain'\r\nend\r\n"));
  EXPECT_EQ(TPfSpotInterceptor::Made, 0);
  EXPECT_EQ(target.Caption, "plain");
  // Applied once the object's properties are read, whatever their order.
  EXPECT_TRUE(Read(&target, binary).empty());
  EXPECT_EQ(TPfSpotInterceptor::Made, 1);
  EXPECT_EQ(target.Caption, "spot 3");
}

TEST(HexText, RoundTripsAndRefusesMalformedText) {
  String bytes("\x00\x7F\x80\xFF\x1A", 5);
  EXPECT_EQ(BytesToHex(bytes), "007F80FF1A");
  String back;
  EXPECT_TRUE(HexToBytes("007f80FF1a", back));
  EXPECT_EQ(back, bytes);
  for (const char* bad : {"0", "0G", "7F 8", "+1"}) {
    String untouched = "keep";
    EXPECT_FALSE(HexToBytes(bad, untouched)) << bad;
    EXPECT_EQ(untouched, "keep");
  }
}

}  // namespace
