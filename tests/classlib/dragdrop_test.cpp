// Drag and drop between the controls of one form, driven by the mouse and keyboard
// themselves: automatic sources, accepting and refusing targets, windowed and windowless
// ones, drops, refusals and cancels, the cursor shown, the threshold that leaves a plain
// click, a handler that throws; and the drag properties read from a form.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/text.h"
#include "gui_test_util.h"
#include "read_form.h"

using namespace guitest;

namespace {

class DragDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // In the top-left corner, on top: away from the windows other programs show.
    form.reset(new TForm(nullptr, CreateNew));
    form->SetBorderStyle(bsNone);
    form->SetFormStyle(fsStayOnTop);
    form->SetBounds(0, 0, 560, 120);
    Source = Panel("Source", 10);
    Taker = Panel("Taker", 100);
    Refuser = Label("Refuser", 190);
    Sticker = Label("Sticker", 280);
    Handle = Label("Handle", 370);
    Clicker = Panel("Clicker", 460);
    Source->SetDragMode(dmAutomatic);
    Handle->SetDragMode(dmAutomatic);
    for (TControl* c : std::initializer_list<TControl*>{Taker, Refuser, Sticker}) {
      c->OnDragOver = [this, c](TObject*, TObject* From, int, int, TDragState State, bool& Accept) {
        static const char* const kStates[] = {"enter", "leave", "move"};
        Note(c->GetName() + " " + kStates[State] + " " + NameOf(From));
        if (c == Refuser) Accept = false;
      };
      c->OnDragDrop = [this, c](TObject*, TObject* From, int X, int Y) {
        Note(c->GetName() + " drop " + NameOf(From) + " " + IntToStr(X) + "," + IntToStr(Y));
        if (ThrowOnDrop) throw Exception("the drop failed");
      };
    }
    for (TControl* c : std::initializer_list<TControl*>{Source, Handle, Clicker}) {
      c->OnStartDrag = [this, c](TObject*, TDragObject*&) { Note(c->GetName() + " start"); };
      c->OnEndDrag = [this, c](TObject*, TObject* Target, int X, int Y) {
        Note(c->GetName() + " end " + NameOf(Target) + (Target ? " " + IntToStr(X) + "," + IntToStr(Y) : ""));
      };
      c->OnClick = [this, c](TObject*) { Note(c->GetName() + " click"); };
    }
    form->Show();
    PumpFor(100);
  }
  void TearDown() override {
    MouseButton(MOUSEEVENTF_LEFTUP);  // never left held for the next test
    form->BeforeDestruction();
    form.reset();
  }

  TPanel* Panel(const char* Name, int Left) {
    auto* p = new TPanel(form.get());
    p->SetName(Name);
    p->SetParent(form.get());
    p->SetBounds(Left, 10, 80, 80);
    return p;
  }
  TLabel* Label(const char* Name, int Left) {
    auto* l = new TLabel(form.get());
    l->SetName(Name);
    l->SetAutoSize(false);
    l->SetParent(form.get());
    l->SetBounds(Left, 10, 80, 80);
    return l;
  }
  static String NameOf(TObject* Object) {
    auto* c = dynamic_cast<TComponent*>(Object);
    return c ? c->GetName() : Object ? "?" : "nil";
  }
  // Repeated moves over one control count once.
  void Note(const String& Event) {
    if (Log.empty() || Log.back() != Event) Log.push_back(Event);
  }
  TPoint At(TControl* Control, int X, int Y) { return Control->ClientToScreen({X, Y}); }

  // Runs Steps with the form in front and the controls under the points given, again from
  // the start when what came out was not Expected (another program on the shared display
  // took the foreground or the mouse meanwhile): only a result that never comes fails.
  void Attempt(const std::vector<std::pair<TPoint, TControl*>>& Places, const std::function<void()>& Steps,
               const std::vector<std::string>& Expected, const char* What) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      BringToFront(form->GetHandle());
      MouseButton(MOUSEEVENTF_LEFTUP);
      bool clear = true;
      for (auto& [point, control] : Places) clear = clear && FindDragTarget(point, false) == control;
      if (!clear) {
        PumpFor(200);
        continue;
      }
      Log.clear();
      Steps();
      if (Log == Expected) break;
    }
    EXPECT_EQ(Log, Expected) << What;
  }

  std::unique_ptr<TForm> form;
  TPanel *Source, *Taker, *Clicker;
  TLabel *Refuser, *Sticker, *Handle;
  std::vector<std::string> Log;
  bool ThrowOnDrop = false;
};

TEST_F(DragDropTest, AutomaticSourcesDropOnAcceptingTargetsOnly) {
  enum TEnd { etRelease, etEscape };
  struct TCase {
    const char* What;
    TControl* From;
    TControl* Over;  // nullptr: beside the form
    TEnd End;
    TCursor Cursor;  // shown over the target
    std::vector<std::string> Log;
  } cases[] = {
      {"a windowed source dropped on a windowed target", Source, Taker, etRelease, crDrag,
       {"Source start", "Taker enter Source", "Taker move Source", "Taker drop Source 20,30", "Source end Taker 20,30"}},
      {"a windowless source dropped on a windowless target", Handle, Sticker, etRelease, crDrag,
       {"Handle start", "Sticker enter Handle", "Sticker move Handle", "Sticker drop Handle 20,30",
        "Handle end Sticker 20,30"}},
      {"a refusing target", Source, Refuser, etRelease, crNoDrop,
       {"Source start", "Refuser enter Source", "Refuser move Source", "Refuser leave Source", "Source end nil"}},
      {"a target without OnDragOver (the source itself)", Handle, Handle, etRelease, crNoDrop,
       {"Handle start", "Handle end nil"}},
      {"dropped beside the form", Source, nullptr, etRelease, crNoDrop, {"Source start", "Source end nil"}},
      {"Escape over an accepting target", Source, Taker, etEscape, crDrag,
       {"Source start", "Taker enter Source", "Taker move Source", "Taker leave Source", "Source end nil"}},
  };
  for (const TCase& c : cases) {
    TPoint press = At(c.From, 40, 40);
    auto over = [&](int X, int Y) { return c.Over ? At(c.Over, X, Y) : At(form.get(), X, form->GetHeight() + Y); };
    HCURSOR shown = nullptr;
    bool draggingMeanwhile = false;
    std::vector<std::pair<TPoint, TControl*>> places{{press, c.From}};
    if (c.Over) places.push_back({over(20, 30), c.Over});
    Attempt(
        places,
        [&] {
          MoveMouse(press);
          MouseButton(MOUSEEVENTF_LEFTDOWN);
          MoveMouse({press.X + 8, press.Y});  // past the threshold: the drag starts
          MoveMouse(over(10, 10));
          MoveMouse(over(20, 30));
          shown = GetCursor();
          draggingMeanwhile = c.From->Dragging();
          if (c.End == etEscape) PressKey(VK_ESCAPE);
          MouseButton(MOUSEEVENTF_LEFTUP);
        },
        c.Log, c.What);
    EXPECT_EQ(shown, Screen->Cursors(c.Cursor)) << c.What;
    EXPECT_TRUE(draggingMeanwhile) << c.What;
    EXPECT_FALSE(c.From->Dragging()) << c.What;
    EXPECT_EQ(GetCapture(), nullptr) << c.What;
  }
}

TEST_F(DragDropTest, APressThatDoesNotPassTheThresholdIsAPlainClick) {
  // A drag begun by hand on the press, and an automatic one.
  Clicker->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Clicker->BeginDrag(false); };
  for (TControl* c : std::initializer_list<TControl*>{Clicker, Source}) {
    TPoint press = At(c, 40, 40);
    bool dragging = false;
    Attempt(
        {{press, c}},
        [&] {
          MoveMouse(press);
          MouseButton(MOUSEEVENTF_LEFTDOWN);
          dragging = c->Dragging();
          MoveMouse({press.X + 3, press.Y + 3});
          MouseButton(MOUSEEVENTF_LEFTUP);
        },
        {c->GetName() + " click"}, c->GetName().c_str());
    EXPECT_TRUE(dragging) << c->GetName();  // begun, not started
    EXPECT_FALSE(c->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
  }
  // Past the threshold by hand: a drag, and no click.
  TPoint press = At(Clicker, 40, 40);
  Attempt(
      {{press, Clicker}, {At(Taker, 20, 30), Taker}},
      [&] {
        MoveMouse(press);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MoveMouse(At(Taker, 20, 30));
        MouseButton(MOUSEEVENTF_LEFTUP);
      },
      {"Clicker start", "Taker enter Clicker", "Taker move Clicker", "Taker drop Clicker 20,30",
       "Clicker end Taker 20,30"},
      "past the threshold");
}

TEST_F(DragDropTest, AHandlerThatThrowsIsReportedAndTheDragEnds) {
  std::vector<std::string> reported;
  Application->OnException = [&](TObject*, const std::exception& E) { reported.push_back(E.what()); };
  ThrowOnDrop = true;
  TPoint press = At(Source, 40, 40), drop = At(Taker, 20, 30);
  Attempt(
      {{press, Source}, {drop, Taker}},
      [&] {
        reported.clear();
        MoveMouse(press);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MoveMouse({press.X + 8, press.Y});
        MoveMouse(drop);
        MouseButton(MOUSEEVENTF_LEFTUP);
      },
      // The source still hears where its drag went.
      {"Source start", "Taker enter Source", "Taker move Source", "Taker drop Source 20,30", "Source end Taker 20,30"},
      "a throwing drop");
  Application->OnException = nullptr;
  EXPECT_EQ(reported, std::vector<std::string>{"the drop failed"});
  EXPECT_FALSE(Source->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  // The next drag runs as usual.
  ThrowOnDrop = false;
  Attempt(
      {{press, Source}, {drop, Taker}},
      [&] {
        MoveMouse(press);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MoveMouse(drop);
        MouseButton(MOUSEEVENTF_LEFTUP);
      },
      {"Source start", "Taker enter Source", "Taker move Source", "Taker drop Source 20,30", "Source end Taker 20,30"},
      "the next drag");
}

TEST_F(DragDropTest, ByProgramLosingTheCaptureAndWithoutAWindowToCapture) {
  // EndDrag drops where the pointer is when the target there accepts.
  Attempt(
      {{At(Taker, 20, 30), Taker}},
      [&] {
        MoveMouse(At(Taker, 20, 30));
        Source->BeginDrag(true);
        MoveMouse(At(Taker, 20, 31));
        Source->EndDrag(true);
      },
      {"Source start", "Taker enter Source", "Taker move Source", "Taker drop Source 20,31", "Source end Taker 20,31"},
      "EndDrag(true)");
  EXPECT_EQ(GetCapture(), nullptr);
  // The capture taken by another window cancels.
  Log.clear();
  Source->BeginDrag(true);
  ASSERT_TRUE(Source->Dragging());
  SetCapture(Taker->GetHandle());
  EXPECT_FALSE(Source->Dragging());
  ReleaseCapture();
  ASSERT_FALSE(Log.empty());
  EXPECT_EQ(Log.back(), "Source end nil");
  // A dock-kind control begins a dock drag; cancelled, it stays where it was.
  Source->SetDragKind(dkDock);
  Source->BeginDrag(true);
  EXPECT_TRUE(Source->Dragging());
  Source->EndDrag(false);
  EXPECT_FALSE(Source->Dragging());
  EXPECT_EQ(Source->GetParent(), form.get());
  EXPECT_EQ(Source->GetLeft(), 10);
  Source->SetDragKind(dkDrag);
  // One never shown starts nothing.
  TPanel loose(nullptr);
  loose.BeginDrag(true);
  EXPECT_FALSE(loose.Dragging());
  // A source freed during its drag lets go of the mouse.
  auto* gone = Label("Gone", 10);
  gone->SetTop(95);
  gone->SetHeight(20);
  gone->BeginDrag(true);
  ASSERT_TRUE(gone->Dragging());
  EXPECT_EQ(GetCapture(), form->GetHandle());
  delete gone;
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(DragProperties, AreReadFromAFormAndWritten) {
  auto panel = horavox::test::ReadFromText(
      "object Panel1: TPanel\n  DragCursor = crHandPoint\n  DragKind = dkDock\n  DragMode = dmAutomatic\nend\n");
  auto* p = dynamic_cast<TPanel*>(panel.get());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetDragCursor(), crHandPoint);
  EXPECT_EQ(p->GetDragKind(), dkDock);
  EXPECT_EQ(p->GetDragMode(), dmAutomatic);
  std::string text = horavox::test::WriteToText(p);
  EXPECT_NE(text.find("DragCursor = crHandPoint"), std::string::npos) << text;
  EXPECT_NE(text.find("DragMode = dmAutomatic"), std::string::npos) << text;
  // The defaults are not written.
  TPanel plain(nullptr);
  EXPECT_EQ(plain.GetDragCursor(), crDrag);
  EXPECT_EQ(horavox::test::WriteToText(&plain).find("Drag"), std::string::npos);
}

}  // namespace
