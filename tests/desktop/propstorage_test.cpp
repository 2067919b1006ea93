// The property storage on a form: stored when the form closes, back when it is shown, as
// text or hexadecimal lines under a scratch registry key; what stored data cannot be read;
// the form's own place through its interceptor.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/windows/comctrls.h"
#include "classlib/windows/extctrls.h"
#include "classlib/core/formtext.h"
#include "classlib/core/registry.h"
#include "classlib/windows/spin.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/winapi.h"
#include "desktop/propstorage.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

class TPsTestForm : public TForm {
  HX_CLASS(TPsTestForm, TForm)
 public:
  explicit TPsTestForm(TComponent* AOwner) : TForm(AOwner, CreateNew) {}
  TLabel* Label1 = nullptr;
  TMemo* Memo1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TSpinEdit* SpinEdit1 = nullptr;
  THotKey* HotKey1 = nullptr;
  TPropStorage* PropStorage1 = nullptr;
  TPropStorage* PropStorage2 = nullptr;
  TRegPropStorageMan* RegPropStorageMan1 = nullptr;
};

HX_PUBLISH(TPsTestForm, p) {
  p.Field("Label1", &TPsTestForm::Label1);
  p.Field("Memo1", &TPsTestForm::Memo1);
  p.Field("CheckBox1", &TPsTestForm::CheckBox1);
  p.Field("SpinEdit1", &TPsTestForm::SpinEdit1);
  p.Field("HotKey1", &TPsTestForm::HotKey1);
  p.Field("PropStorage1", &TPsTestForm::PropStorage1);
  p.Field("PropStorage2", &TPsTestForm::PropStorage2);
  p.Field("RegPropStorageMan1", &TPsTestForm::RegPropStorageMan1);
}

// Keeps what it is asked to write as text, and may fail to.
class TPsFailingMan : public TRegPropStorageMan {
  HX_CLASS(TPsFailingMan, TRegPropStorageMan)
 public:
  using TRegPropStorageMan::TRegPropStorageMan;
  void WriteText(TPropStorage* Storage, const String& Text) override {
    ++Writes;
    if (Fail) throw ERegistryException("The registry is full");
    TRegPropStorageMan::WriteText(Storage, Text);
  }
  void ReadFromStream(TPropStorage* Storage, TStream* Stream) override {
    Read = StreamToString(Stream);
    TRegPropStorageMan::ReadFromStream(Storage, Stream);
  }
  bool Fail = false;
  int Writes = 0;
  std::string Read;
};
HX_PUBLISH(TPsFailingMan, p) {}

namespace {

const std::string kScratch = "Software\\HoravoxTests\\PropStorage" + std::to_string(GetCurrentProcessId());
const std::string kKey = kScratch + "\\TPsTestForm";

const char kFormText[] = R"(object StoreForm1: TPsTestForm
  Left = 100
  Top = 80
  ClientWidth = 320
  ClientHeight = 200
  Caption = 'Storage'
  PixelsPerInch = 96
  object Label1: TLabel
    Left = 8
    Top = 8
    Caption = 'Время'
    Font.Name = 'Arial'
  end
  object Memo1: TMemo
    Left = 8
    Top = 30
    Width = 200
    Height = 80
    Lines.Strings = (
      'from the form')
  end
  object CheckBox1: TCheckBox
    Left = 8
    Top = 120
    Caption = 'Check'
  end
  object SpinEdit1: TSpinEdit
    Left = 8
    Top = 145
    MaxValue = 100
    Value = 5
  end
  object HotKey1: THotKey
    Left = 100
    Top = 145
  end
  object PropStorage1: TPropStorage
    StorageManager = RegPropStorageMan1
    StoredProps.Strings = (
      'Label1.<P>.Font.Name'
      'Label1.<P>.Font.Pitch'
      'Label1.<P>.Font.Size'
      'Label1.<P>.Font.Style'
      'Memo1.<P>.Lines'
      'CheckBox1.<P>.Checked'
      'SpinEdit1.<P>.Value'
      'HotKey1.<P>.HotKey'
      'Ghost1.<P>.Caption')
  end
  object RegPropStorageMan1: TPsFailingMan
    Path = '\Software\HoravoxTests\Unused'
  end
end
)";

struct TFormDeleter {
  void operator()(TCustomForm* Form) const {
    Form->BeforeDestruction();
    delete Form;
  }
};
using TFormPtr = std::unique_ptr<TPsTestForm, TFormDeleter>;

TFormPtr MakeForm(const std::string& Text = kFormText) {
  TFormPtr form(new TPsTestForm(nullptr));
  TStringStream text(Text);
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  TReader(&binary).ReadRootComponent(form.get());
  if (form->RegPropStorageMan1) form->RegPropStorageMan1->SetPath("\\" + kScratch);
  return form;
}

TPsFailingMan* Man(TPsTestForm* Form) { return static_cast<TPsFailingMan*>(Form->RegPropStorageMan1); }

void DeleteScratch() {
  TRegistry reg;
  reg.DeleteKey("\\" + kScratch);
}

std::vector<std::string> Lines(const std::string& Key = kKey) {
  TRegistry reg;
  std::vector<std::string> lines;
  if (!reg.OpenKey("\\" + Key, false)) return lines;
  while (reg.ValueExists(TRegPropStorageMan::LineName(static_cast<int>(lines.size()))))
    lines.push_back(reg.ReadString(TRegPropStorageMan::LineName(static_cast<int>(lines.size()))));
  return lines;
}

void PutLines(const std::vector<std::string>& Lines, const std::string& Key = kKey) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + Key, true));
  for (size_t i = 0; i < Lines.size(); ++i) reg.WriteString(TRegPropStorageMan::LineName(static_cast<int>(i)), Lines[i]);
}

// What reaches the application's exception handler meanwhile.
class TReported {
 public:
  TReported() {
    Application->OnException = [this](TObject*, const std::exception& E) { Messages.push_back(E.what()); };
  }
  ~TReported() { Application->OnException = nullptr; }
  std::vector<std::string> Messages;
};

class PropStorageTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteScratch(); }
  void TearDown() override { DeleteScratch(); }
};

const std::string kLongLine(300, 'w');

void SetValues(TPsTestForm* f) {
  f->Label1->GetFont()->SetName("Courier New");
  f->Label1->GetFont()->SetSize(14);
  f->Label1->GetFont()->SetStyle(TFontStyles{fsBold, fsItalic});
  f->Label1->GetFont()->SetPitch(fpFixed);
  f->Memo1->GetLines()->SetText("Первая строка\r\nIt's \"quoted\"\r\n\r\n" + kLongLine + "\r\n");
  f->CheckBox1->SetChecked(true);
  f->SpinEdit1->SetValue(42);
  f->HotKey1->SetHotKey(49217);
}

void ExpectValues(TPsTestForm* f) {
  EXPECT_EQ(f->Label1->GetFont()->GetName(), "Courier New");
  EXPECT_EQ(f->Label1->GetFont()->GetSize(), 14);
  EXPECT_EQ(f->Label1->GetFont()->GetStyle(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(f->Label1->GetFont()->GetPitch(), fpFixed);
  ASSERT_EQ(f->Memo1->GetLines()->Count(), 4);
  EXPECT_EQ(f->Memo1->GetLines()->Get(0), "Первая строка");
  EXPECT_EQ(f->Memo1->GetLines()->Get(1), "It's \"quoted\"");
  EXPECT_EQ(f->Memo1->GetLines()->Get(2), "");
  EXPECT_EQ(f->Memo1->GetLines()->Get(3), kLongLine);
  EXPECT_TRUE(f->CheckBox1->GetChecked());
  EXPECT_EQ(f->SpinEdit1->GetValue(), 42);
  EXPECT_EQ(f->HotKey1->GetHotKey(), 49217);
}

void ExpectFormValues(TPsTestForm* f) {
  EXPECT_EQ(f->Label1->GetFont()->GetName(), "Arial");
  ASSERT_EQ(f->Memo1->GetLines()->Count(), 1);
  EXPECT_EQ(f->Memo1->GetLines()->Get(0), "from the form");
  EXPECT_FALSE(f->CheckBox1->GetChecked());
  EXPECT_EQ(f->SpinEdit1->GetValue(), 5);
}

TEST_F(PropStorageTest, ValuesComeBackAsTextAndAsBinary) {
  for (bool asText : {true, false}) {
    SCOPED_TRACE(asText ? "text" : "binary");
    DeleteScratch();
    {
      TFormPtr form = MakeForm();
      EXPECT_EQ(form->PropStorage1->GetStoredProps()->Count(), 8);  // Ghost1 is not there
      EXPECT_EQ(form->PropStorage1->GetSection(), "TPsTestForm");
      form->RegPropStorageMan1->SetWriteAsText(asText);
      form->Show();
      ExpectFormValues(form.get());  // nothing stored yet
      SetValues(form.get());
      form->Close();
      EXPECT_FALSE(form->GetVisible());
    }
    std::vector<std::string> lines = Lines();
    ASSERT_FALSE(lines.empty());
    if (asText) {
      EXPECT_EQ(lines[0], "object StoreForm1: TPsTestForm");
      EXPECT_EQ(lines.back(), "end");
    } else {
      EXPECT_EQ(lines[0].substr(0, 8), "54504630");  // "TPF0"
      for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 80u);
    }
    TFormPtr form = MakeForm();
    ExpectFormValues(form.get());
    form->Show();
    ExpectValues(form.get());
  }
}

TEST_F(PropStorageTest, LinesAreRewrittenUpToTheFirstGap) {
  TFormPtr form = MakeForm();
  TPropStorage* storage = form->PropStorage1;
  TRegPropStorageMan* man = form->RegPropStorageMan1;
  man->WriteText(storage, "a\r\nb\r\nc\r\nd\r\ne\r\n");
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + kKey, false));
    reg.WriteString("Line0000000006", "beyond");
  }
  man->WriteText(storage, "x\r\ny\r\nz\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"x", "y", "z"}));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\" + kKey, false));
  EXPECT_FALSE(reg.ValueExists("Line0000000003"));
  EXPECT_FALSE(reg.ValueExists("Line0000000005"));
  EXPECT_EQ(reg.ReadString("Line0000000006"), "beyond");  // past the gap at 5

  TStringStream hundred(std::string(100, '\x5A'));
  man->WriteBinary(storage, &hundred);
  std::vector<std::string> pieces = Lines();
  ASSERT_EQ(pieces.size(), 3u);
  std::string expected;
  for (int i = 0; i < 40; ++i) expected += "5A";
  EXPECT_EQ(pieces[0], expected);
  EXPECT_EQ(pieces[1].size(), 80u);
  EXPECT_EQ(pieces[2].size(), 40u);
}

TEST_F(PropStorageTest, TheReaderStopsAtAGap) {
  PutLines({"object StoreForm1: TPsTestForm", "  SpinEdit1.Value = 7", "end"});
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + kKey, false));
    reg.DeleteValue("Line0000000001");
  }
  TFormPtr form = MakeForm();
  form->Show();
  EXPECT_EQ(Man(form.get())->Read, "object StoreForm1: TPsTestForm");
  EXPECT_EQ(form->SpinEdit1->GetValue(), 5);
}

TEST_F(PropStorageTest, AValueNamedLikeTheSectionIsReadOnceAndDeleted) {
  const std::string stored = "object StoreForm1: TPsTestForm\r\n  object SpinEdit1: TSpinEdit\r\n    Value = 77\r\n  end\r\nend\r\n";
  PutLines({"object StoreForm1: TPsTestForm", "  object SpinEdit1: TSpinEdit", "    Value = 11", "  end", "end"});
  for (const std::string& value : {stored, std::string("no form stream at all")}) {
    {
      TRegistry reg;
      ASSERT_TRUE(reg.OpenKey("\\" + kScratch, true));
      reg.WriteString("TPsTestForm", value);
    }
    TFormPtr form = MakeForm();
    form->Show();
    EXPECT_EQ(form->SpinEdit1->GetValue(), value == stored ? 77 : 5);  // the lines (11) are not read
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + kScratch, false));
    EXPECT_FALSE(reg.ValueExists("TPsTestForm"));
  }
}

TEST_F(PropStorageTest, UnreadableDataLeavesTheFormsValues) {
  const std::vector<std::vector<std::string>> cases = {
      {"5450463"},                     // odd hexadecimal
      {"54504630ZZ"},                  // no hexadecimal digit
      {"5450463100"},                  // hexadecimal of no form stream
      {"garbage that is no stream"},   // neither
      {"object StoreForm1: TPsTestForm", "  SpinEdit1.Value = "},  // broken text
      {"object StoreForm1: TPsTestForm", "  object Ghost1: TLabel", "    Caption = 'x'", "  end",
       "  object CheckBox1: TCheckBox", "    Nope = 3", "    OnClick = Clicked", "  end", "end"},
  };
  for (const auto& lines : cases) {
    SCOPED_TRACE(lines[0]);
    DeleteScratch();
    PutLines(lines);
    TReported reported;
    TFormPtr form = MakeForm();
    EXPECT_NO_THROW(form->Show());
    ExpectFormValues(form.get());
    EXPECT_TRUE(reported.Messages.empty());
  }
}

TEST_F(PropStorageTest, AFormNeverShownLeavesTheStoredValues) {
  PutLines({"object StoreForm1: TPsTestForm", "  object SpinEdit1: TSpinEdit", "    Value = 11", "  end", "end"});
  std::vector<std::string> before = Lines();
  {
    TFormPtr form = MakeForm();
    SetValues(form.get());
  }
  EXPECT_EQ(Lines(), before);
  {
    // Loaded explicitly (as at creation), then destroyed without closing: saved.
    TFormPtr form = MakeForm();
    form->PropStorage1->LoadProperties();
    EXPECT_EQ(form->SpinEdit1->GetValue(), 11);
    form->SpinEdit1->SetValue(12);
  }
  TFormPtr form = MakeForm();
  form->Show();
  EXPECT_EQ(form->SpinEdit1->GetValue(), 12);
}

TEST_F(PropStorageTest, ASaveDuringALoadIsIgnored) {
  PutLines({"object StoreForm1: TPsTestForm", "  object SpinEdit1: TSpinEdit", "    Value = 11", "  end", "end"});
  TFormPtr form = MakeForm();
  int asked = 0;
  form->PropStorage1->OnReadProp = [&](TObject* Sender, TPropReader*, const String&, bool&) {
    ++asked;
    static_cast<TPropStorage*>(Sender)->SaveProperties();
  };
  form->Show();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Man(form.get())->Writes, 0);
  EXPECT_EQ(form->SpinEdit1->GetValue(), 11);
}

TEST_F(PropStorageTest, AFailedSaveIsReportedOnceAndTheFormStillCloses) {
  TReported reported;
  {
    TFormPtr form = MakeForm();
    Man(form.get())->Fail = true;
    form->Show();
    form->Close();
    EXPECT_FALSE(form->GetVisible());
    EXPECT_EQ(Man(form.get())->Writes, 1);
  }  // the save at destruction fails again, silently
  ASSERT_EQ(reported.Messages.size(), 1u);
  EXPECT_EQ(reported.Messages[0], "The registry is full");
  EXPECT_TRUE(Lines().empty());
}

TEST_F(PropStorageTest, TwoStoragesGoInEitherOrder) {
  std::string text = kFormText;
  text.insert(text.rfind("end"), R"(  object PropStorage2: TPropStorage
    Section = 'Second'
    StorageManager = RegPropStorageMan1
    StoredProps.Strings = (
      'CheckBox1.<P>.Checked')
  end
)");
  for (bool firstFirst : {true, false}) {
    SCOPED_TRACE(firstFirst ? "first first" : "second first");
    DeleteScratch();
    PutLines({"object StoreForm1: TPsTestForm", "  object CheckBox1: TCheckBox", "    Checked = True", "  end", "end"},
             kScratch + "\\Second");
    TFormPtr form = MakeForm(text);
    ASSERT_NE(form->PropStorage2, nullptr);
    form->Show();
    EXPECT_TRUE(form->CheckBox1->GetChecked());
    form->SpinEdit1->SetValue(33);
    delete (firstFirst ? form->PropStorage1 : form->PropStorage2);
    form->Close();
    form->Show();
    delete (firstFirst ? form->PropStorage2 : form->PropStorage1);
    form->Close();
    EXPECT_EQ(form->PropStorage1, nullptr);
    EXPECT_EQ(form->PropStorage2, nullptr);
  }
}

TEST_F(PropStorageTest, TheDefaultSectionFollowsTheOwner) {
  TFormPtr form = MakeForm();
  auto* panel = new TPanel(form.get());
  panel->SetName("Panel1");
  panel->SetParent(form.get());
  auto* holder = new TComponent(form.get());
  holder->SetName("Holder1");
  auto* loose = new TPanel(nullptr);
  loose->SetName("Loose1");
  struct TCase {
    TComponent* Owner;
    const char* Section;
  };
  const TCase cases[] = {{form.get(), "TPsTestForm"}, {panel, "TPsTestFormPanel1"}, {holder, "TPsTestForm.Holder1"},
                         {loose, "Loose1"}, {nullptr, ""}};
  for (const TCase& c : cases) {
    auto storage = std::make_unique<TPropStorage>(c.Owner);
    EXPECT_EQ(storage->GetSection(), c.Section);
    storage->SetSection("Mine");
    EXPECT_EQ(storage->GetSection(), "Mine");
  }
  delete loose;
}

// ---- The form's own place ----

std::string PlaceForm() {
  std::string text = kFormText;
  size_t at = text.find("      'Label1.<P>.Font.Name'");
  text.insert(at, "      '<P>.Left'\n      '<P>.Top'\n      '<P>.Width'\n      '<P>.Height'\n"
                  "      '<P>.PixelsPerInch'\n      '<P>.WindowState'\n");
  return text;
}

TEST_F(PropStorageTest, AMaximisedFormComesBackMaximisedOverItsNormalPlace) {
  TRect normal;
  {
    TFormPtr form = MakeForm(PlaceForm());
    form->Show();
    form->SetBounds(120, 90, 360, 240);
    normal = form->GetBoundsRect();
    form->SetWindowState(wsMaximized);
    PumpFor(50);
    EXPECT_NE(form->GetBoundsRect(), normal);
    form->Close();
  }
  std::vector<std::string> lines = Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  Left = 120"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  WindowState = wsMaximized"), lines.end());
  TFormPtr form = MakeForm(PlaceForm());
  form->Show();
  PumpFor(50);
  EXPECT_EQ(form->GetWindowState(), wsMaximized);
  EXPECT_TRUE(IsZoomed(form->GetHandle()));
  EXPECT_EQ(form->NormalBounds(), normal);
  form->SetWindowState(wsNormal);
  PumpFor(50);
  EXPECT_EQ(form->GetBoundsRect(), normal);
}

TEST_F(PropStorageTest, APlaceStoredAtOneResolutionIsScaledToTheScreens) {
  struct TCase {
    int Stored;
    TRect Expected;
  };
  const TCase cases[] = {{96, Rect(120, 60, 120 + 500, 60 + 250)},  // 96 → 120
                         {120, Rect(96, 48, 96 + 400, 48 + 200)},
                         {0, Rect(96, 48, 96 + 400, 48 + 200)}};  // unknown: unscaled
  guitest::TFixedDpi dpi(120);
  TSeamScope<TScreenDpi> scope(dpi);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Stored);
    DeleteScratch();
    PutLines({"object StoreForm1: TPsTestForm", "  Left = 96", "  Top = 48", "  Width = 400", "  Height = 200",
              "  PixelsPerInch = " + std::to_string(c.Stored), "end"});
    TFormPtr form = MakeForm(PlaceForm());
    form->SetPosition(poScreenCenter);
    form->Show();
    EXPECT_EQ(form->GetBoundsRect(), c.Expected);
    EXPECT_EQ(form->GetPosition(), poDesigned);  // the stored place stays
  }
}

TEST_F(PropStorageTest, OnlyAStoredPlaceMovesTheForm) {
  PutLines({"object StoreForm1: TPsTestForm", "  object SpinEdit1: TSpinEdit", "    Value = 11", "  end", "end"});
  TFormPtr form = MakeForm(PlaceForm());
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->SpinEdit1->GetValue(), 11);
  EXPECT_EQ(form->GetPosition(), poScreenCenter);
}

}  // namespace
