// Form streams: the binary reader and writer, the text form and its converters.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "test_components.h"

namespace {

// Test texts are written with "\n"; the converter writes CRLF.
std::string Crlf(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string TextToBinary(const std::string& text) {
  TStringStream in(text), out;
  ObjectTextToBinary(&in, &out);
  return out.DataString();
}

std::string BinaryToText(const std::string& binary) {
  TStringStream in(binary), out;
  ObjectBinaryToText(&in, &out);
  return out.DataString();
}

void ReadInto(TComponent* root, const std::string& binary) {
  TStringStream in(binary);
  TReader reader(&in);
  reader.ReadRootComponent(root);
}

std::string Write(TComponent* root, TComponent* ancestor = nullptr) {
  TStringStream out;
  TWriter writer(&out);
  writer.WriteDescendent(root, ancestor);
  return out.DataString();
}

// Everything the round trip covers, with the defaults left out: what the writer writes
// back is exactly this text.
const char* const kRoundTripForm = R"(object TestForm: TTestForm
  Caption = 'Проверка'
  object Widget1: TTestWidget
    Left = 8
    Width = 100
    Shape = tsTriangle
    Sides = [sdLeft, sdRight]
    Color = clInfoBk
    Ratio = 0.75
    Scale = 1.5s
    Caption = 'It''s #1'#13#10'Строка'
    Accel = 'A'
    Big = 5000000000
    Font.Name = 'Tahoma'
    Font.Color = clRed
    Items = <
      item
        Caption = 'first'
        Target = Panel1
        FileContents = {
          00FF7F}
      end
      item
        Caption = ''
        Width = 10
      end>
    Lines.Strings = (
      'one'
      'два')
    Buddy = Panel1.Inner
    OnClick = WidgetClick
    OnMeasure = MeasureItem
    Data = {
      48656C6C6F}
  end
  object Panel1: TTestPanel
    Width = 200
    Visible = False
    Color = 1193046
    object Inner: TTestWidget
      Width = 50
      Buddy = Widget1
      OnClick = WidgetClick
    end
  end
end
)";

TEST(FormStream, RoundTripsTextBinaryObjectsBinaryText) {
  TestLog().clear();
  std::string text = Crlf(kRoundTripForm);
  std::string binary = TextToBinary(text);
  ASSERT_EQ(binary.substr(0, 4), "TPF0");

  TTestForm form(nullptr);
  ReadInto(&form, binary);

  // Components, nested ones included, and the root's fields.
  EXPECT_EQ(form.GetName(), "TestForm");
  EXPECT_EQ(form.Caption, "Проверка");
  ASSERT_NE(form.Widget1, nullptr);
  ASSERT_NE(form.Panel1, nullptr);
  TTestWidget* w = form.Widget1;
  auto* inner = dynamic_cast<TTestWidget*>(form.Panel1->FindComponent("Inner"));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->Owner(), form.Panel1);
  // Values of every kind, defaults where the text is silent.
  EXPECT_EQ(w->Left, 8);
  EXPECT_EQ(w->Shape, tsTriangle);
  EXPECT_TRUE(w->Sides == (TTestSides{sdLeft, sdRight}));
  EXPECT_EQ(w->Color, clInfoBk);
  EXPECT_TRUE(w->Visible);
  EXPECT_EQ(w->Ratio, 0.75);
  EXPECT_EQ(w->Scale, 1.5f);
  EXPECT_EQ(w->Caption, "It's #1\r\nСтрока");
  EXPECT_EQ(w->Accel, 'A');
  EXPECT_EQ(w->Big, 5000000000);
  EXPECT_EQ(w->GetFont()->GetName(), "Tahoma");
  EXPECT_EQ(w->GetFont()->GetSize(), 8);
  EXPECT_EQ(w->GetFont()->GetColor(), clRed);
  EXPECT_EQ(w->GetLines()->GetText(), "one\r\nдва\r\n");
  EXPECT_EQ(w->Data, "Hello");
  EXPECT_EQ(form.Panel1->Color, static_cast<TColor>(0x123456));
  EXPECT_FALSE(form.Panel1->Visible);
  // The collection, with a binary defined property and a reference inside an item.
  ASSERT_EQ(w->GetItems()->Count(), 2);
  auto* item0 = static_cast<TTestItem*>(w->GetItems()->GetItem(0));
  auto* item1 = static_cast<TTestItem*>(w->GetItems()->GetItem(1));
  EXPECT_EQ(item0->Caption, "first");
  EXPECT_EQ(item0->Width, 64);
  EXPECT_EQ(item0->Contents, std::string("\x00\xFF\x7F", 3));
  EXPECT_EQ(item0->Target, form.Panel1);
  EXPECT_EQ(item1->Width, 10);
  // References resolved after the whole stream, across nesting levels both ways.
  EXPECT_EQ(w->GetBuddy(), inner);
  EXPECT_EQ(inner->GetBuddy(), w);
  // Events bound to the root's handlers by name.
  ASSERT_TRUE(w->OnClick);
  w->OnClick(w);
  inner->OnClick(inner);
  EXPECT_EQ(form.Clicks, 2);
  int size = 0;
  w->OnMeasure(w, size);
  EXPECT_EQ(size, 42);
  // Loaded ran once per component, in reading order, and loading is over.
  EXPECT_EQ(TestLog(), (std::vector<std::string>{"Loaded TestForm", "Loaded Widget1", "Loaded Panel1", "Loaded Inner"}));
  for (TComponent* c : {static_cast<TComponent*>(&form), static_cast<TComponent*>(w), static_cast<TComponent*>(inner)})
    EXPECT_FALSE(c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading));

  std::string written = Write(&form);
  EXPECT_EQ(written, binary);
  EXPECT_EQ(BinaryToText(written), text);

  // The reference goes when the component does.
  delete inner;
  EXPECT_EQ(w->GetBuddy(), nullptr);
}

TEST(FormStream, WritesOnlyWhatDiffersFromDefaultsAndStoredRules) {
  TTestForm form(nullptr);
  auto* w = new TTestWidget(&form);
  w->SetName("W");
  // Width has no declared default: it is always written. Name travels in the header.
  EXPECT_EQ(BinaryToText(Write(&form)), Crlf("object TTestForm\n  object W: TTestWidget\n    Width = 100\n  end\nend\n"));
  w->OnClick = [](TObject*) {};  // assigned in code, with no name to write
  w->SetTag(-300);
  w->Sides = {};
  EXPECT_EQ(BinaryToText(Write(&form)),
            Crlf("object TTestForm\n  object W: TTestWidget\n    Tag = -300\n    Width = 100\n    Sides = []\n  end\nend\n"));
}

TEST(FormStream, WritesADescendantAgainstItsAncestor) {
  const std::string ancestorForm = TextToBinary(R"(object TestForm: TTestForm
  Caption = 'Base'
  object Widget1: TTestWidget
    Left = 8
    Width = 100
  end
  object Panel1: TTestPanel
    Width = 100
  end
end)");
  TTestForm ancestor(nullptr), derived(nullptr);
  ReadInto(&ancestor, ancestorForm);
  ReadInto(&derived, ancestorForm);
  derived.Caption = "Derived";
  derived.Widget1->Left = 20;
  (new TTestWidget(&derived))->SetName("Widget9");
  std::string delta = Write(&derived, &ancestor);
  std::string expected = Crlf(R"(inherited TestForm: TTestForm
  Caption = 'Derived'
  inherited Widget1: TTestWidget
    Left = 20
  end
  inherited Panel1: TTestPanel
  end
  object Widget9: TTestWidget
    Width = 100
  end
end
)");
  EXPECT_EQ(BinaryToText(delta), expected);

  TTestForm again(nullptr);
  ReadInto(&again, ancestorForm);
  ReadInto(&again, delta);
  EXPECT_EQ(again.Caption, "Derived");
  EXPECT_EQ(again.Widget1->Left, 20);
  EXPECT_NE(again.FindComponent("Widget9"), nullptr);
  EXPECT_EQ(again.ComponentCount(), 3);
}

TEST(FormStream, ReferencesToOtherRootsResolveThroughFindersOrStayUnset) {
  TTestForm other(nullptr);
  other.SetName("OtherForm");
  auto* target = new TTestWidget(&other);
  target->SetName("Target");
  int token = RegisterFindGlobalComponent([&](const String& name) -> TComponent* {
    return name == "OtherForm" ? &other : nullptr;
  });
  const char* form = R"(object TestForm: TTestForm
  object Widget1: TTestWidget
    Width = 1
    Buddy = OtherForm.Target
  end
  object Panel1: TTestPanel
    Width = 1
    Buddy = Missing.Target
  end
end)";
  TTestForm f(nullptr);
  ReadInto(&f, TextToBinary(form));
  UnregisterFindGlobalComponent(token);
  EXPECT_EQ(f.Widget1->GetBuddy(), target);
  EXPECT_EQ(f.Panel1->GetBuddy(), nullptr);
  // Written back as a reference into the other root.
  EXPECT_NE(BinaryToText(Write(&f)).find("Buddy = OtherForm.Target"), std::string::npos);
}

TEST(FormStream, ReadsANewRootOfTheStreamsClass) {
  std::string binary = TextToBinary("object Made: TTestPanel\n  Width = 7\nend");
  TStringStream in(binary);
  TReader reader(&in);
  std::unique_ptr<TComponent> made(reader.ReadRootComponent(nullptr));
  ASSERT_NE(dynamic_cast<TTestPanel*>(made.get()), nullptr);
  EXPECT_EQ(static_cast<TTestPanel*>(made.get())->Width, 7);
  EXPECT_EQ(in.GetPosition(), static_cast<std::int64_t>(binary.size()));
}

// The form used by the error cases below: a root with one widget whose body is the case.
std::string WidgetForm(const std::string& body) {
  return "object TestForm: TTestForm\n  object Widget1: TTestWidget\n" + body + "\n  end\nend\n";
}

TEST(FormStream, BadFormsRaiseErrorsThatNameWhatIsWrong) {
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {WidgetForm("Colour = clRed"), "Error reading Widget1.Colour: Property Colour does not exist in TTestWidget"},
      {WidgetForm("Font.Weight = 3"), "Error reading Widget1.Font.Weight: Property Weight does not exist in TTestFont"},
      {WidgetForm("Left.X = 3"), "Property Left of TTestWidget holds no object"},
      {WidgetForm("Shape = tsHexagon"), "Error reading Widget1.Shape: Invalid property value 'tsHexagon'"},
      {WidgetForm("Color = clUltraViolet"), "Invalid property value 'clUltraViolet'"},
      {WidgetForm("Sides = [sdLeft, sdMiddle]"), "Invalid property value 'sdMiddle'"},
      {WidgetForm("Caption = 5"), "Error reading Widget1.Caption: Invalid property value: vaInt8 where a string is expected"},
      {WidgetForm("Left = 'eight'"), "Invalid property value: vaString where an integer is expected"},
      {WidgetForm("Left = 5000000000"), "Value 5000000000 is out of range for property Left"},
      {WidgetForm("Accel = 'AB'"), "Invalid property value: one character is expected"},
      {WidgetForm("OnClick = Nowhere"), "Error reading Widget1.OnClick: Method Nowhere not found in TTestForm"},
      {WidgetForm("OnMeasure = WidgetClick"), "Method WidgetClick does not fit event OnMeasure"},
      {WidgetForm("Buddy = Nobody"), "Error reading Widget1.Buddy: Component Nobody not found"},
      {WidgetForm("Buddy = TestForm"), "Buddy cannot hold a TTestForm (a TTestWidget is expected)"},
      {WidgetForm("Font = nil"), "Property Font is read-only"},
      {WidgetForm("Items = 3"), "Invalid property value: vaInt8 where a component name, nil or a collection is expected"},
      {WidgetForm("Lines.Strings = (1)"), "Invalid property value: vaInt8 where a string is expected"},
      {WidgetForm("Data = 'x'"), "Invalid property value: vaString where binary data is expected"},
      {WidgetForm("object X: TNoSuchClass\nend"), "Class TNoSuchClass not found"},
      {WidgetForm("object X: TStringList\nend"), "Class TStringList cannot be created"},
      {"object TestForm: TTestForm\n  object Widget1: TTestWidget\n  end\n  object Widget1: TTestWidget\n  end\nend",
       "A component named Widget1 already exists"},
      {"object TestForm: TTestForm\n  object Widget1: TComponent\n  end\nend",
       "Field Widget1 of TTestForm cannot hold a TComponent"},
      {"object TestForm: TTestForm\n  inherited Ghost: TTestWidget\n  end\nend", "Ancestor for 'Ghost' not found"},
  };
  for (const Case& c : cases) {
    TTestForm form(nullptr);
    try {
      ReadInto(&form, TextToBinary(c.text));
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const Exception& e) {
      EXPECT_NE(e.Message.find(c.message), std::string::npos) << e.Message << "\nfor: " << c.text;
    }
    // Whatever was read stays consistent: nothing is left loading.
    for (int i = 0; i < form.ComponentCount(); ++i)
      EXPECT_FALSE(form.Components(i)->ComponentState().Contains(csLoading));
  }
}

TEST(FormStream, CorruptBinaryStreamsRaiseErrorsAndNeverReadPastTheirData) {
  std::string good = TextToBinary(Crlf(kRoundTripForm));
  auto build = [](auto fill) {
    TStringStream s;
    TWriter w(&s);
    fill(w);
    return s.DataString();
  };
  std::string deep = build([](TWriter& w) {
    w.WriteSignature();
    for (int i = 0; i < 100; ++i) {
      w.WriteStr("TTestPanel");
      w.WriteStr("P" + std::to_string(i));
      w.WriteListEnd();
    }
    for (int i = 0; i < 200; ++i) w.WriteListEnd();
  });
  std::string hugeString = build([](TWriter& w) {
    w.WriteSignature();
    w.WriteStr("TTestForm");
    w.WriteStr("F");
    w.WriteStr("Caption");
    w.WriteValue(vaLString);
    w.Write("\xF0\xFF\xFF\x7F", 4);
  });
  struct Case {
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"TPF1" + good.substr(4), "Invalid stream format"},
      {"", "Invalid stream format"},
      {good.substr(0, good.size() - 1), "the form stream ends early"},
      {"TPF0\x09TTestForm\x01" "F\x07" "Caption\x63", "Invalid value kind 99 in the form stream"},
      {"TPF0\xF8\x09TTestForm", "Invalid component prefix"},
      {hugeString, "Invalid length 2147483632 in the form stream"},
      {deep, "nests too deeply"},
  };
  for (const Case& c : cases) {
    TTestForm form(nullptr);
    try {
      ReadInto(&form, c.bytes);
      ADD_FAILURE() << "no error reading case " << c.message;
    } catch (const EFilerError& e) {
      EXPECT_NE(e.Message.find(c.message), std::string::npos) << e.Message;
    }
    EXPECT_THROW(BinaryToText(c.bytes), EFilerError) << c.message;
  }
  // Every truncation of a good stream is an error, for the reader and the converter.
  for (size_t n = 0; n < good.size(); ++n) {
    TTestForm form(nullptr);
    EXPECT_THROW(ReadInto(&form, good.substr(0, n)), EFilerError) << n;
    EXPECT_THROW(BinaryToText(good.substr(0, n)), EFilerError) << n;
  }
}

TEST(FormText, BadTextsRaiseParserErrorsWithTheirLine) {
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"object A: TA\n  Caption = 'open\nend", "Line 2: Unterminated string"},
      {"object A: TA\n  Left = 1\n", "Line 3: 'end' expected but end of text found"},
      {"object A: TA\n  Left 1\nend", "Line 2: '=' expected but a number found"},
      {"object A: TA\n  Data = {ABC}\nend", "Line 2: Binary data with an odd number of digits"},
      {"object A: TA\n  Data = {AZ}\nend", "Line 2: Invalid binary data"},
      {"object A: TA\nend\nend", "Line 3: End of text expected but 'end' found"},
      {"thing A: TA\nend", "Line 1: 'object' expected but 'thing' found"},
      {"object A: TA\n  X = 99999999999999999999\nend", "Line 2: Integer out of range"},
      {"object A: TA\n  X = 1e999\nend", "Line 2: Number out of range"},
      {"object A: TA\n  X = 'a' + 3\nend", "Line 2: String expected but a number found"},
      {"object A: TA\n  X = #55296\nend", "Line 2: Invalid character code"},
      {"object A: TA\n  X = (Null)\nend", "Line 2: Null cannot stand in a list"},
      {"object A: TA\n  X = [a b]\nend", "Line 2: ',' expected but 'b' found"},
      {"object A: TA\n  X = <thing end>\nend", "Line 2: 'item' expected but 'thing' found"},
      {"object 1A: TA\nend", "Line 1: Invalid number"},
      {"object A.B: TA\nend", "Line 1: Class name expected but 'A.B' found"},
      {"object A: T" + std::string(239, 'G') + "\nend", "Line 1: Class name too long"},
  };
  for (const Case& c : cases) {
    try {
      TextToBinary(c.text);
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const EParserError& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
  std::string deep = "object A: TA\n  X = " + std::string(100, '(') + std::string(100, ')') + "\nend";
  EXPECT_THROW(TextToBinary(deep), EParserError);
}

TEST(FormText, WritesStringsNumbersAndBinaryInItsOwnLayout) {
  // Read with other spellings: #codes, UTF-8, '+' joins, hex numbers, odd spacing.
  const char* input =
      "object A: TA\n"
      "  S1 = #1055#1088'и'#$432'ет'\n"
      "  S2 = 'a' +\n      'b'\n"
      "  S3 = 'x'#0'y'\n"
      "  N = $FF\n"
      "  F = 1e-5\n"
      "  C = 12.34567c\n"
      "  D = 45000.25d\n"
      "  L = ( 1 -2 ( 'n' ) )\n"
      "  B = { 00 01\n 02 }\n"
      "  E = <\n item [3] X = 1 end>\n"
      "end";
  std::string expected =
      "object A: TA\n"
      "  S1 = 'Привет'\n"
      "  S2 = 'ab'\n"
      "  S3 = 'x'#0'y'\n"
      "  N = 255\n"
      "  F = 1e-05\n"
      "  C = 12.3456c\n"
      "  D = 45000.25d\n"
      "  L = (\n    1\n    -2\n    (\n      'n'))\n"
      "  B = {\n    000102}\n"
      "  E = <\n    item [3]\n      X = 1\n    end>\n"
      "end\n";
  std::string text = BinaryToText(TextToBinary(input));
  EXPECT_EQ(text, Crlf(expected));
  EXPECT_EQ(BinaryToText(TextToBinary(text)), text);  // stable

  // Long strings and binary data are cut into lines.
  std::string longText = std::string(70, 'x') + "я";
  std::string binary;
  for (int i = 0; i < 40; ++i) binary += static_cast<char>(i);
  TStringStream s;
  {
    TWriter w(&s);
    w.WriteSignature();
    w.WriteStr("TA");
    w.WriteStr("A");
    w.WriteStr("S");
    w.WriteString(longText);
    w.WriteStr("B");
    w.WriteBinary(binary.data(), static_cast<std::int64_t>(binary.size()));
    w.WriteListEnd();
    w.WriteListEnd();
  }
  EXPECT_EQ(BinaryToText(s.DataString()),
            Crlf("object A: TA\n  S = \n    '" + std::string(64, 'x') + "' +\n    'xxxxxxя'\n  B = {\n    " +
                 "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n    2021222324252627}\nend\n"));
}

TEST(FormText, StringsTakeTheSmallestKindThatHoldsThem) {
  struct Case {
    std::string value;
    TValueType kind;
  };
  const Case cases[] = {
      {"plain", vaString}, {std::string(300, 'a'), vaLString}, {"Привет", vaUTF8String}, {"", vaString}};
  for (const Case& c : cases) {
    TStringStream s;
    TWriter(&s).WriteString(c.value);
    EXPECT_EQ(static_cast<TValueType>(s.DataString()[0]), c.kind) << c.value;
    s.SetPosition(0);
    TReader r(&s);
    EXPECT_EQ(r.ReadString(), c.value);
  }
  // Other writers' kinds read as UTF-8 too: ANSI code page 1251 and UTF-16.
  TStringStream ansi(std::string("\x06\x03\xCF\xF0\xE8", 5));
  EXPECT_EQ(TReader(&ansi).ReadString(), "При");
  TStringStream wide(std::string("\x12\x02\x00\x00\x00\x1F\x04\x40\x04", 9));
  EXPECT_EQ(TReader(&wide).ReadString(), "Пр");
}

TEST(FormText, TellsBinaryFromTextStreams) {
  struct Case {
    std::string head;
    TStreamOriginalFormat format;
  };
  const Case cases[] = {{"TPF0\x09TTestForm", sofBinary},      {"object A: TA\nend", sofText},
                        {"\xEF\xBB\xBF  inherited A: TA", sofText}, {"  INLINE A: TA", sofText},
                        {"objection", sofUnknown},               {"", sofUnknown}};
  for (const Case& c : cases) {
    TStringStream s("xx" + c.head);
    s.SetPosition(2);
    EXPECT_EQ(TestStreamFormat(&s), c.format) << c.head;
    EXPECT_EQ(s.GetPosition(), 2);
  }
}

TEST(FormStream, IntegersTakeTheSmallestKind) {
  struct Case {
    std::int64_t value;
    TValueType kind;
  };
  const Case cases[] = {{0, vaInt8},         {-128, vaInt8},        {127, vaInt8},         {128, vaInt16},
                        {-32769, vaInt32},   {INT32_MAX, vaInt32},  {INT32_MIN, vaInt32},  {INT64_MIN, vaInt64},
                        {1ll << 40, vaInt64}};
  for (const Case& c : cases) {
    TStringStream s;
    TWriter(&s).WriteInteger(c.value);
    EXPECT_EQ(static_cast<TValueType>(s.DataString()[0]), c.kind) << c.value;
    s.SetPosition(0);
    EXPECT_EQ(TReader(&s).ReadInteger(), c.value);
  }
}

TEST(Extended, ConvertsExactlyToAndFromDouble) {
  auto ext = [](std::uint64_t mant, unsigned se) {
    std::array<std::uint8_t, 10> b{};
    for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(mant >> (8 * i));
    b[8] = static_cast<std::uint8_t>(se);
    b[9] = static_cast<std::uint8_t>(se >> 8);
    return b;
  };
  struct Case {
    std::array<std::uint8_t, 10> bytes;
    double value;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {ext(0x8000000000000000ull, 0x3FFF), 1.0},
      {ext(0xA000000000000000ull, 0xC000), -2.5},
      {ext(0xCCCCCCCCCCCCCCCDull, 0x3FFB), 0.1},                  // rounded to the nearest double
      {ext(0x8000000000000400ull, 0x3FFF), 1.0},                  // a tie rounds to even
      {ext(0x8000000000000C00ull, 0x3FFF), 1.0 + 0x1p-51},        // a tie rounds to even (up)
      {ext(0xFFFFFFFFFFFFFFFFull, 0x3FFF), 2.0},                  // carries into the exponent
      {ext(0x8000000000000000ull, 0x3FFF + 1024), inf},           // too large for a double
      {ext(0x8000000000000000ull, 0x3FFF - 1074), 0x1p-1074},     // the smallest subnormal
      {ext(0x8000000000000000ull, 0x3FFF - 1076), 0.0},           // too small
      {ext(0xC000000000000000ull, 0x3FFF - 1075), 0x1p-1074},     // 0.75 of it rounds up
      {ext(0, 0), 0.0},
      {ext(0x0000000000000001ull, 0), 0.0},                       // an extended subnormal
      {ext(0x8000000000000000ull, 0xFFFF), -inf},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtendedToDouble(c.bytes.data()), c.value) << c.value;
  std::array<std::uint8_t, 10> nan = ext(0xC000000000000000ull, 0x7FFF);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(nan.data())));

  for (double d : {1.0, -2.5, 0.1, 1e300, -1e-300, 0x1p-1074, 0x1.fffffffffffffp1023, 0.0, -0.0, inf}) {
    std::uint8_t b[10];
    DoubleToExtended(d, b);
    double back = ExtendedToDouble(b);
    EXPECT_EQ(back, d);
    EXPECT_EQ(std::signbit(back), std::signbit(d));
  }
  std::uint8_t one[10];
  DoubleToExtended(1.0, one);
  EXPECT_EQ(std::memcmp(one, ext(0x8000000000000000ull, 0x3FFF).data(), 10), 0);
}

// A filer that writes and reads chosen properties by path, the way a property store does.
class TChosenWriter : public TWriter {
 public:
  using TWriter::TWriter;
  void WriteChosen(TPersistent* Instance, const String& Prefix, const String& Name) {
    FPropPath = Prefix;
    WriteProperty(Instance, Instance->ClassType()->FindProperty(Name));
    FPropPath.clear();
  }
};

class TChosenReader : public TReader {
 public:
  using TReader::TReader;
  std::vector<std::string> Seen;
  void ReadAll(TPersistent* Instance) {
    while (!EndOfList()) ReadProperty(Instance);
    ReadListEnd();
  }

 protected:
  void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) override {
    Seen.push_back(Prop->Name());
    TReader::ReadPropValue(Instance, Prop);
  }
};

TEST(FormStream, FilersExtendByPathAndByOverridingPropertyAccess) {
  TTestWidget source(nullptr), target(nullptr);
  source.Shape = tsSquare;
  source.GetFont()->SetSize(12);
  TStringStream s;
  {
    TChosenWriter w(&s);
    w.WriteChosen(&source, "", "Shape");
    w.WriteChosen(source.GetFont(), "Font.", "Size");
    w.WriteListEnd();
  }
  s.SetPosition(0);
  TChosenReader r(&s);
  r.ReadAll(&target);
  EXPECT_EQ(target.Shape, tsSquare);
  EXPECT_EQ(target.GetFont()->GetSize(), 12);
  EXPECT_EQ(r.Seen, (std::vector<std::string>{"Shape", "Size"}));
}

}  // namespace
