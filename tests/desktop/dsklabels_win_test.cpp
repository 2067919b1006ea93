// The version label over the version resources of two small programs (one has none), read
// from a form too, and the link label: what a press opens, its event, and its colours.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/windows/forms.h"
#include "classlib/core/timers.h"
#include "desktop/dsklabels.h"
#include "test_paths.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

String Probe(const char* name) { return horavox::test::BinaryDir() + "/tests/desktop/" + name; }

// The labels' system: a chosen executable, and the targets the shell was asked to open.
class TRecordingSystem : public TDskLabelSystem {
 public:
  String Executable = Probe("version_probe.exe");
  bool OpenWorks = true;
  std::vector<String> Opened;
  String ExecutableName() override { return Executable; }
  bool Open(const String& Target) override {
    Opened.push_back(Target);
    return OpenWorks;
  }
};

class DskLabelsTest : public ::testing::Test {
 protected:
  TRecordingSystem system;
  TSeamScope<TDskLabelSystem> scope{system};
};

TEST_F(DskLabelsTest, TheVersionLabelShowsAnEntryBehindItsPrefix) {
  struct Case {
    const char* file;
    TDskVersionRes res;
    const char* key;  // nullptr: the entry's own
    const char* caption;
  } cases[] = {
      {"version_probe.exe", verFileVersion, nullptr, "File Version: 1.2.3.4"},
      {"version_probe.exe", verProductName, nullptr, "Product Name: Проба"},
      {"version_probe.exe", verFlags, nullptr, "Flags: Debug Build, Private Build"},
      {"version_probe.exe", verComments, nullptr, "Comments: 7"},  // one character is a value
      {"version_probe.exe", verCompanyName, nullptr, "Company Name: < Error retrieving version info >"},
      {"version_probe.exe", verFileVersion, "NoSuchKey", "NoSuchKey < Error retrieving version info >"},
      {"version_probe.exe", verFileVersion, "PrivateBuild", "PrivateBuild проверка"},
      {"plain_probe.exe", verFileVersion, nullptr, "File Version: < No Data Available >"},
      {"plain_probe.exe", verFlags, nullptr, "Flags: < No Data Available >"},
      {"missing.exe", verFileVersion, nullptr, "File Version: < No Data Available >"},
  };
  for (const Case& c : cases) {
    system.Executable = Probe(c.file);
    TDskVersionLabel label(nullptr);
    label.SetVersionRes(c.res);
    if (c.key) label.SetVersionResKey(c.key);
    label.RefreshCaption();
    EXPECT_EQ(label.GetCaption(), c.caption) << c.file << " " << int(c.res);
  }
  system.Executable = Probe("version_probe.exe");
  TDskVersionLabel label(nullptr);
  label.RefreshCaption();
  EXPECT_EQ(label.GetLangCharset(), "041904E3");  // the first translation, kept
  label.SetShowInfoPrefix(false);
  EXPECT_EQ(label.GetCaption(), "1.2.3.4");
  label.SetLangCharset("040904B0");  // a table the resource lacks
  EXPECT_EQ(label.GetCaption(), "< Error retrieving version info >");
}

std::unique_ptr<TForm> FormFromText(const String& Text) {
  TStringStream text(Text);
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  return std::unique_ptr<TForm>(static_cast<TForm*>(reader.ReadRootComponent(nullptr)));
}

TEST_F(DskLabelsTest, AFormGivesTheVersionLabelItsPrefixWhateverTheOrder) {
  for (const char* properties : {"    InfoPrefix = 'Версия:'\n    VersionRes = verFileVersion\n",
                                 "    VersionRes = verProductVersion\n    InfoPrefix = 'Версия:'\n"
                                 "    VersionResKey = 'FileVersion'\n",
                                 "    InfoPrefix = 'Версия:'\n"}) {
    auto form = FormFromText(String("object Form1: TForm\n  object DskVersionLabel1: TDskVersionLabel\n    Left = 8\n") +
                             properties + "  end\nend\n");
    auto* label = static_cast<TDskVersionLabel*>(form->FindComponent("DskVersionLabel1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetCaption(), "Версия: 1.2.3.4") << properties;
    EXPECT_GT(label->GetWidth(), 40);  // sized to its text
  }
  // A label left at its defaults shows the file version all the same.
  auto form = FormFromText("object Form1: TForm\n  object DskVersionLabel1: TDskVersionLabel\n  end\nend\n");
  EXPECT_EQ(static_cast<TLabel*>(form->FindComponent("DskVersionLabel1"))->GetCaption(), "File Version: 1.2.3.4");
}

class TCommandForm {
 public:
  TCommandForm() : Form(new TForm(nullptr, CreateNew)) {
    Form->SetBounds(120, 120, 300, 100);
    Label = new TDskCommandLabel(Form.get());
    Label->SetParent(Form.get());
    Label->SetBounds(10, 10, 100, 20);
    Label->SetCaption("example");
  }
  // A press and release of the left button on the label, as the form's window gets them.
  void Click() {
    Form->HandleNeeded();
    LPARAM at = MAKELPARAM(Label->GetLeft() + 3, Label->GetTop() + 3);
    SendMessageW(Form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(Form->GetHandle(), WM_LBUTTONUP, 0, at);
  }
  std::unique_ptr<TForm> Form;
  TDskCommandLabel* Label;
};

TEST_F(DskLabelsTest, APressOpensTheCommandsTarget) {
  struct Case {
    TDskCommand command;
    const char* value;
    const char* opened;  // nullptr: nothing
  } cases[] = {
      {runMAIL, "info@example.org", "mailto:info@example.org"},
      {runMAIL, "mailto:info@example.org", "mailto:info@example.org"},
      {runURL, "https://example.org/", "https://example.org/"},
      {runURL, "example.org/", "http://example.org/"},
      {runFTP, "ftp.example.org", "ftp://ftp.example.org"},
      {runFILE, "C:\\notes.txt", "file:C:\\notes.txt"},
      {runNothing, "notes.txt", "notes.txt"},
      {runEVENT, "anything", nullptr},
  };
  for (const Case& c : cases) {
    system.Opened.clear();
    TCommandForm f;
    int fired = 0;
    f.Label->OnCommand = [&](TObject* Sender) {
      EXPECT_EQ(Sender, f.Label);
      ++fired;
    };
    f.Label->Command = c.command;
    f.Label->CaptionValue = c.value;
    f.Click();
    if (c.opened) {
      EXPECT_EQ(system.Opened, std::vector<String>{c.opened}) << c.value;
      EXPECT_EQ(fired, 0);
    } else {
      EXPECT_TRUE(system.Opened.empty());
      EXPECT_EQ(fired, 1);
    }
    EXPECT_TRUE(f.Label->Followed());
  }
}

TEST_F(DskLabelsTest, AFailedOpenSaysSo) {
  system.OpenWorks = false;
  TCommandForm f;
  f.Label->Command = runURL;
  f.Label->CaptionValue = "https://example.org/";
  // The message dialog's text is a label without a window: read on this thread, by a timer
  // that runs in the dialog's modal loop.
  std::vector<String> texts;
  TTimer answer(nullptr);
  answer.SetInterval(50);
  answer.OnTimer = [&](TObject*) {
    auto* dialog = dynamic_cast<TCustomForm*>(FindControl(GetActiveWindow()));
    auto* text = dialog ? dynamic_cast<TLabel*>(dialog->FindComponent("Message")) : nullptr;
    if (!text) return;
    texts.push_back(text->GetCaption());
    dialog->SetModalResult(mrOk);
  };
  f.Click();
  EXPECT_EQ(texts, std::vector<String>{"Не удалось открыть «https://example.org/»."});
  EXPECT_EQ(system.Opened, std::vector<String>{"https://example.org/"});
}

TEST_F(DskLabelsTest, TheLinkColoursFollowThePointerAndTheClick) {
  TCommandForm f;
  TDskCommandLabel* label = f.Label;
  EXPECT_EQ(label->GetFont()->GetColor(), clBlue);
  EXPECT_TRUE(label->GetFont()->GetStyle().Contains(fsUnderline));
  EXPECT_EQ(label->GetFont()->GetSize(), 10);

  label->Perform(CM_MOUSEENTER);  // the form is not active: no hover colour
  EXPECT_EQ(label->GetFont()->GetColor(), clBlue);
  label->Perform(CM_MOUSELEAVE);

  f.Form->Show();
  ASSERT_TRUE(BringToFront(f.Form->GetHandle()));
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }));
  label->Perform(CM_MOUSEENTER);
  EXPECT_EQ(label->GetFont()->GetColor(), clRed);
  label->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(label->GetFont()->GetColor(), clBlue);

  f.Click();
  EXPECT_EQ(label->GetFont()->GetColor(), clPurple);
  label->Perform(CM_MOUSEENTER);
  EXPECT_EQ(label->GetFont()->GetColor(), clRed);
  label->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(label->GetFont()->GetColor(), clPurple);  // followed
  f.Form->Hide();
}

}  // namespace
