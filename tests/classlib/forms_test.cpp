// Forms read from their form resources, with their controls in real windows: state,
// painting, events bound by name, dialogs, the application object and its loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/callbackguard.h"
#include "classlib/windows/dialogs.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"
#include "classlib/core/unicode.h"
#include "gui_test_util.h"
#include "test_paths.h"

#include <shellapi.h>
#include <shlobj.h>

using namespace guitest;

// A windowless box of one colour, opaque.
class TTestBox : public TGraphicControl {
  HX_CLASS(TTestBox, TGraphicControl)
 public:
  explicit TTestBox(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
    SetParentColor(false);
  }

 protected:
  void Paint() override {
    Canvas()->GetBrush()->SetColor(GetColor());
    Canvas()->FillRect(ClientRect());
  }
};

HX_PUBLISH(TTestBox, p) {
  p.Property("Align", &TTestBox::GetAlign, &TTestBox::SetAlign).Default(alNone);
  p.Property("Color", &TTestBox::GetColor, &TTestBox::SetColor);
  p.Event("OnClick", &TTestBox::OnClick);
}

class TGuiTestForm : public TForm {
  HX_CLASS(TGuiTestForm, TForm)
 public:
  using TForm::TForm;
  TTestBox* Box1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TEdit* Edit1 = nullptr;
  TTimer* Timer1 = nullptr;
  std::vector<std::string> Log;
  std::vector<String> Dropped;
  TPoint DropPoint;

  void FormCreate(TObject*) { Log.push_back("create"); }
  void Button1Click(TObject* Sender) { Log.push_back("click " + static_cast<TComponent*>(Sender)->GetName()); }
  void Button2Click(TObject*) { throw Exception("Кнопка сломалась"); }
  void Label1Click(TObject*) { Log.push_back("label click"); }
  void Label1MouseEnter(TObject*) { Log.push_back("label enter"); }
  void Label1MouseLeave(TObject*) { Log.push_back("label leave"); }
  void FormDropFiles(TObject*, const std::vector<String>& Files, TPoint Pos) {
    Dropped = Files;
    DropPoint = Pos;
  }
};

HX_PUBLISH(TGuiTestForm, p) {
  p.Field("Box1", &TGuiTestForm::Box1);
  p.Field("Label1", &TGuiTestForm::Label1);
  p.Field("Label2", &TGuiTestForm::Label2);
  p.Field("Button1", &TGuiTestForm::Button1);
  p.Field("Button2", &TGuiTestForm::Button2);
  p.Field("Button3", &TGuiTestForm::Button3);
  p.Field("Edit1", &TGuiTestForm::Edit1);
  p.Field("Timer1", &TGuiTestForm::Timer1);
  p.Handler("FormCreate", &TGuiTestForm::FormCreate);
  p.Handler("Button1Click", &TGuiTestForm::Button1Click);
  p.Handler("Button2Click", &TGuiTestForm::Button2Click);
  p.Handler("Label1Click", &TGuiTestForm::Label1Click);
  p.Handler("Label1MouseEnter", &TGuiTestForm::Label1MouseEnter);
  p.Handler("Label1MouseLeave", &TGuiTestForm::Label1MouseLeave);
  p.Handler("FormDropFiles", &TGuiTestForm::FormDropFiles);
}

// A popup menu as the standard controls will have one: it is told what was clicked where.
class TTestPopup : public TComponent, public TPopupMenuHook {
  HX_CLASS(TTestPopup, TComponent)
 public:
  explicit TTestPopup(TComponent* AOwner) : TComponent(AOwner) {}
  TControl* For = nullptr;
  TPoint At;
  bool PopupFor(TControl* Control, TPoint ScreenPos) override {
    For = Control;
    At = ScreenPos;
    return true;
  }
};
HX_PUBLISH(TTestPopup, p) {}

// A form class without a form resource.
class TNoResourceForm : public TForm {
  HX_CLASS(TNoResourceForm, TForm)
 public:
  using TForm::TForm;
};
HX_PUBLISH(TNoResourceForm, p) {}

// A form built in code.
class TCodeForm : public TForm {
  HX_CLASS(TCodeForm, TForm)
 public:
  explicit TCodeForm(TComponent* AOwner) : TForm(AOwner, CreateNew) {}
};
HX_PUBLISH(TCodeForm, p) {}

namespace {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.reset(NewForm<TGuiTestForm>(Application));
    form->Show();
    PumpFor(100);
  }
  std::unique_ptr<TGuiTestForm> form;
};

TEST_F(FormTest, IsReadFromItsResourceWithItsControlsInWindows) {
  EXPECT_EQ(form->Log, (std::vector<std::string>{"create"}));
  HWND window = form->GetHandle();
  EXPECT_EQ(TextOf(window), L"Проверка форм");
  EXPECT_EQ(GetWindow(window, GW_OWNER), Application->Handle());
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 170);
  EXPECT_TRUE(IsWindowVisible(window));

  ASSERT_NE(form->Button1, nullptr);
  HWND button1 = form->Button1->GetHandle();
  EXPECT_EQ(GetParent(button1), window);
  EXPECT_EQ(TextOf(button1), L"&Нажми");
  EXPECT_EQ(ChildRect(button1), Rect(10, 40, 100, 65));
  EXPECT_TRUE(IsWindowVisible(button1));
  EXPECT_EQ(GetWindowLongPtrW(button1, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  HWND button3 = form->Button3->GetHandle();
  EXPECT_FALSE(IsWindowEnabled(button3));
  EXPECT_FALSE(IsWindowVisible(button3));
  EXPECT_EQ(TextOf(form->Edit1->GetHandle()), L"Текст");
  EXPECT_EQ(ChildRect(form->Edit1->GetHandle()), Rect(10, 75, 190, 96));
  EXPECT_EQ(form->Button1->GetFont()->GetName(), "Tahoma");  // the form's
  ASSERT_NE(form->Timer1, nullptr);
  EXPECT_FALSE(form->Timer1->Running());
  // Tab order as read: Button2, Button1, Edit1.
  EXPECT_EQ(form->FindNextControl(nullptr, true, true, false), form->Button2);
  EXPECT_EQ(form->FindNextControl(form->Button2, true, true, false), form->Button1);
  EXPECT_EQ(form->FindNextControl(form->Button1, true, true, false), form->Edit1);

  // One picture for a person to look at; and what the parent paints under its children.
  SaveScreenshot(window, "classlib-form.bmp");
  auto pixels = Capture(window, false);
  TCanvas* c = pixels->Canvas();
  EXPECT_EQ(c->GetPixels(300, 150), clSilver);  // the form
  EXPECT_EQ(c->GetPixels(250, 65), clBlue);     // the box
  EXPECT_EQ(c->GetPixels(285, 35), clBlue);     // the box under the transparent label
  EXPECT_EQ(c->GetPixels(85, 145), clYellow);   // an opaque label
  int ink = 0;
  for (int x = 210; x < 240; ++x)
    for (int y = 20; y < 36; ++y) ink += c->GetPixels(x, y) != clBlue;
  EXPECT_GT(ink, 5);  // the label's text over the box
}

TEST_F(FormTest, EventsBoundByNameFireOnMessages) {
  HWND window = form->GetHandle();
  SendMessageW(form->Button1->GetHandle(), BM_CLICK, 0, 0);
  // A windowless label gets the mouse through its parent.
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(220, 25));
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(220, 25));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(220, 25));
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 160));
  EXPECT_EQ(form->Log, (std::vector<std::string>{"create", "click Button1", "label enter", "label click",
                                                 "label leave"}));
  // Enter in the edit presses the form's default button.
  form->Log.clear();
  HWND edit = form->Edit1->GetHandle();
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
  PumpUntil([&] { return !form->Log.empty(); }, 3000);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"click Button1"}));
  EXPECT_EQ(TextOf(edit), L"Текст");
}

// The window asks to be told of the mouse leaving it only while the control under the mouse
// takes notice of that (handlers, a hint): Wine polls the pointer for as long as it is asked.
TEST_F(FormTest, TheMouseLeavingIsWatchedOnlyOverAControlThatNoticesIt) {
  HWND window = form->GetHandle();
  auto watched = [] {
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
    TrackMouseEvent(&query);
    return (query.dwFlags & TME_LEAVE) ? query.hwndTrack : nullptr;
  };
  struct Case {
    const char* Where;
    TPoint At;
    String FormHint;
    bool Watched;
  };
  const Case cases[] = {{"the label with enter and leave handlers", {220, 25}, "", true},
                        {"the bare form", {20, 160}, "", false},
                        {"the label again", {220, 25}, "", true},
                        {"the form with a hint", {20, 160}, "Форма", true},
                        {"the form without it", {20, 160}, "", false}};
  for (const Case& c : cases) {
    form->SetHint(c.FormHint);
    POINT screen{c.At.X, c.At.Y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    ASSERT_EQ(WindowFromPoint(screen), window) << c.Where;
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(c.At.X, c.At.Y));
    EXPECT_EQ(watched(), c.Watched ? window : nullptr) << c.Where;
  }
}

TEST_F(FormTest, AnExceptionInAClickHandlerShowsOneDialogAndTheLoopGoesOn) {
  std::vector<std::wstring> texts;
  TDialogWatcher watcher(
      GetCurrentThreadId(), [](HWND w) { return ClassOf(w) == L"#32770"; },
      [&](HWND dialog) {
        texts.push_back(MessageBoxText(dialog));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      });
  PostMessageW(form->Button2->GetHandle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen() == 1; }));
  PumpFor(300);
  EXPECT_EQ(watcher.Seen(), 1);
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"Кнопка сломалась"}));

  // The loop goes on; a silent abort shows nothing.
  PostMessageW(form->Button1->GetHandle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return form->Log.size() == 2; }));
  form->Button1->OnClick = [](TObject*) { Abort(); };
  PostMessageW(form->Button1->GetHandle(), BM_CLICK, 0, 0);
  PumpFor(300);
  EXPECT_EQ(watcher.Seen(), 1);
}

TEST_F(FormTest, StayOnTopKeepsTheWindowAndItsDroppedFiles) {
  form->SetAcceptFiles(true);
  HWND window = form->GetHandle();
  auto exStyle = [&] { return GetWindowLongPtrW(form->GetHandle(), GWL_EXSTYLE); };
  EXPECT_TRUE(exStyle() & WS_EX_ACCEPTFILES);
  form->SetFormStyle(fsStayOnTop);
  EXPECT_EQ(form->GetHandle(), window);
  EXPECT_TRUE(exStyle() & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle() & WS_EX_ACCEPTFILES);

  // Files dropped from the shell, with Cyrillic and blanks in their paths.
  const wchar_t files[] = L"C:\\Музыка\\песня.wav\0Z:\\tmp\\b c.mp3\0";
  HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof files);
  auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
  header->pFiles = sizeof(DROPFILES);
  header->pt = {5, 6};
  header->fWide = TRUE;
  std::memcpy(header + 1, files, sizeof files);
  GlobalUnlock(drop);
  PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  ASSERT_TRUE(PumpUntil([&] { return !form->Dropped.empty(); }));
  EXPECT_EQ(form->Dropped, (std::vector<String>{"C:\\Музыка\\песня.wav", "Z:\\tmp\\b c.mp3"}));
  EXPECT_EQ(form->DropPoint, Point(5, 6));

  form->SetFormStyle(fsNormal);
  EXPECT_EQ(form->GetHandle(), window);
  EXPECT_FALSE(exStyle() & WS_EX_TOPMOST);

  // A window made again keeps its text, its children, its region and the registration.
  SetWindowRgn(window, CreateEllipticRgn(0, 0, 200, 150), TRUE);
  SetWindowTextW(form->Edit1->GetHandle(), L"Набрано");
  form->RecreateWnd();
  EXPECT_NE(form->GetHandle(), window);
  EXPECT_TRUE(IsWindowVisible(form->GetHandle()));
  EXPECT_TRUE(exStyle() & WS_EX_ACCEPTFILES);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(form->GetHandle(), region), ERROR);
  DeleteObject(region);
  EXPECT_EQ(TextOf(form->GetHandle()), L"Проверка форм");
  EXPECT_EQ(GetParent(form->Edit1->GetHandle()), form->GetHandle());
  EXPECT_EQ(TextOf(form->Edit1->GetHandle()), L"Набрано");
  EXPECT_EQ(form->Edit1->GetText(), "Набрано");
}

TEST_F(FormTest, BorderAndWindowStateChangeOnTheSameWindow) {
  HWND window = form->GetHandle();
  auto style = [&] { return GetWindowLongPtrW(window, GWL_STYLE); };
  form->SetBorderStyle(bsNone);
  EXPECT_EQ(form->GetHandle(), window);
  EXPECT_FALSE(style() & WS_CAPTION);
  EXPECT_TRUE(style() & WS_POPUP);
  form->SetBorderStyle(bsSizeable);
  EXPECT_TRUE(style() & WS_THICKFRAME);
  form->SetBorderIcons({biSystemMenu});
  EXPECT_FALSE(style() & WS_MINIMIZEBOX);

  TRect normal = form->GetBoundsRect();
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpFor(50);
  EXPECT_TRUE(IsIconic(window));
  EXPECT_EQ(form->GetWindowState(), wsMinimized);
  EXPECT_EQ(form->GetBoundsRect(), normal);  // the bounds it has when restored
  EXPECT_EQ(form->NormalBounds(), normal);
  form->SetWindowState(wsNormal);
  PumpFor(50);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_EQ(form->GetBoundsRect(), normal);
}

TEST_F(FormTest, AlignedChildrenFollowTheirParent) {
  form->Box1->SetAlign(alBottom);
  EXPECT_EQ(form->Box1->GetBoundsRect(), Rect(0, 110, 320, 170));
  form->SetClientSize(400, 200);
  EXPECT_EQ(form->Box1->GetBoundsRect(), Rect(0, 140, 400, 200));
  form->Box1->SetAlign(alClient);
  EXPECT_EQ(form->Box1->GetBoundsRect(), Rect(0, 0, 400, 200));
}

TEST_F(FormTest, KeysReachTheFormFirstWhenAskedAndTabMovesTheFocus) {
  // Tab order Button2, Button1, Edit1: the first has the focus.
  ASSERT_TRUE(BringToFront(form->GetHandle()));
  PumpUntil([&] { return GetFocus() == form->Button2->GetHandle(); }, 3000);
  EXPECT_EQ(GetFocus(), form->Button2->GetHandle());
  EXPECT_EQ(form->GetActiveControl(), form->Button2);
  std::vector<std::string> keys;
  form->Edit1->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { keys.push_back("edit " + std::to_string(key)); };
  form->Edit1->OnKeyPress = [&](TObject*, wchar_t& key) { keys.push_back("press " + std::to_string(key)); };
  form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    keys.push_back("form " + std::to_string(key));
    if (key == 'Q') key = 0;  // kept by the form
  };
  form->OnKeyPress = [&](TObject*, wchar_t& key) {
    if (key == L'q') key = 0;  // the character it makes too
  };
  form->SetKeyPreview(true);
  HWND edit = form->Edit1->GetHandle();
  SendMessageW(edit, EM_SETSEL, 5, 5);
  PostMessageW(edit, WM_KEYDOWN, 'Q', 0x00100001);
  PostMessageW(edit, WM_KEYDOWN, 'W', 0x00110001);
  PumpUntil([&] { return keys.size() == 4; }, 3000);
  EXPECT_EQ(keys, (std::vector<std::string>{"form 81", "form 87", "edit 87", "press 119"}));
  EXPECT_EQ(TextOf(edit), L"Текстw");

  std::vector<std::string> moves;
  form->Button2->OnExit = [&](TObject*) { moves.push_back("exit Button2"); };
  form->Button1->OnEnter = [&](TObject*) { moves.push_back("enter Button1"); };
  PostMessageW(form->Button2->GetHandle(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  PumpUntil([&] { return GetFocus() == form->Button1->GetHandle(); }, 3000);
  EXPECT_EQ(GetFocus(), form->Button1->GetHandle());
  EXPECT_EQ(form->GetActiveControl(), form->Button1);
  EXPECT_EQ(moves, (std::vector<std::string>{"exit Button2", "enter Button1"}));

  // A control added at run time gets its window at once.
  auto* late = new TButton(form.get());
  late->SetBounds(200, 100, 60, 25);
  late->SetParent(form.get());
  ASSERT_TRUE(late->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(late->GetHandle()));
  EXPECT_EQ(GetParent(late->GetHandle()), form->GetHandle());
  EXPECT_EQ(form->FindNextControl(form->Edit1, true, true, false), late);
}

TEST_F(FormTest, AnAutoSizedFormHoldsItsVisibleChildren) {
  form->SetAutoSize(true);
  EXPECT_EQ(form->GetClientWidth(), 300);   // Box1's right edge
  EXPECT_EQ(form->GetClientHeight(), 150);  // Label2's bottom
  form->Box1->SetWidth(150);
  EXPECT_EQ(form->GetClientWidth(), 350);
  form->SetHeight(form->GetHeight() + 1);  // lays itself out again, at the same size
  EXPECT_EQ(form->GetClientHeight(), 150);
  form->Label2->Hide();
  EXPECT_EQ(form->GetClientHeight(), 96);  // Edit1's bottom
}

TEST_F(FormTest, ARightClickOpensThePopupMenuOfTheControlOrOfItsParent) {
  auto* labelMenu = new TTestPopup(form.get());
  auto* formMenu = new TTestPopup(form.get());
  form->Label1->SetPopupMenu(labelMenu);
  form->SetPopupMenu(formMenu);
  TPoint onLabel = form->ClientToScreen({220, 25});
  SendMessageW(form->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->GetHandle()),
               MAKELPARAM(onLabel.X, onLabel.Y));
  EXPECT_EQ(labelMenu->For, form->Label1);
  EXPECT_EQ(labelMenu->At, onLabel);
  TPoint onButton = form->Button2->ClientToScreen({3, 3});
  SendMessageW(form->Button2->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Button2->GetHandle()),
               MAKELPARAM(onButton.X, onButton.Y));
  EXPECT_EQ(formMenu->For, form->Button2);
  // OnContextPopup may keep the menu shut; a menu that goes is let go.
  formMenu->For = nullptr;
  form->Button2->OnContextPopup = [](TObject*, TPoint, bool& handled) { handled = true; };
  SendMessageW(form->Button2->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Button2->GetHandle()),
               MAKELPARAM(onButton.X, onButton.Y));
  EXPECT_EQ(formMenu->For, nullptr);
  delete labelMenu;
  EXPECT_EQ(form->Label1->GetPopupMenu(), nullptr);
}

TEST_F(FormTest, HintsFollowTheMouseOnTheClockService) {
  TVirtualClock clock;
  TClockScope scope(clock);
  form->Button1->SetHint("Сказать время|Говорит, который час");
  form->Button1->SetShowHint(true);
  int hints = 0;
  Application->OnHint = [&](TObject*) { ++hints; };
  SendMessageW(form->Button1->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Application->GetHint(), "Говорит, который час");
  EXPECT_EQ(hints, 1);
  clock.Advance(Application->GetHintPause() - 1);
  EXPECT_TRUE(!Application->HintWindow() || !Application->HintWindow()->IsShown());
  clock.Advance(1);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(Application->HintWindow()->IsShown());
  EXPECT_TRUE(IsWindowVisible(Application->HintWindow()->GetHandle()));
  EXPECT_EQ(Application->HintWindow()->GetText(), "Сказать время");
  clock.Advance(Application->GetHintHidePause());
  EXPECT_FALSE(Application->HintWindow()->IsShown());
  // Off to a control without a hint: the hint is empty again.
  SendMessageW(form->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 160));
  EXPECT_EQ(Application->GetHint(), "");
  EXPECT_EQ(hints, 2);
  Application->OnHint = nullptr;
}

TEST(Forms, AClassWithoutAFormResourceRaises) {
  try {
    delete NewForm<TNoResourceForm>(Application);
    ADD_FAILURE();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource TNORESOURCEFORM not found");
  }
}

TEST(Forms, ModalDialogsReturnTheButtonPressed) {
  {
    RECT shown{};
    TDialogWatcher watcher(
        GetCurrentThreadId(), [](HWND w) { return TextOf(w) == L"Подтверждение"; },
        [&](HWND dialog) {
          GetWindowRect(dialog, &shown);
          PostMessageW(FindChildByText(dialog, L"&Нет"), BM_CLICK, 0, 0);
        });
    EXPECT_EQ(MessageDlg("Сохранить?", mtConfirmation, mbYesNoCancel), mrNo);
    // In the middle of the screen.
    EXPECT_LE(std::abs((shown.left + shown.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((shown.top + shown.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
  }
  {
    // Typed into the edit, then OK.
    TDialogWatcher watcher(
        GetCurrentThreadId(), [](HWND w) { return TextOf(w) == L"Напоминание"; },
        [](HWND dialog) {
          SendMessageW(FindChildByClass(dialog, L"TEdit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"купить хлеб"));
          PostMessageW(FindChildByText(dialog, L"ОК"), BM_CLICK, 0, 0);
        });
    String value = "старое";
    EXPECT_TRUE(InputQuery("Напоминание", "Введите напоминание", value));
    EXPECT_EQ(value, "купить хлеб");
  }
  {
    // Escape presses Cancel.
    TDialogWatcher watcher(
        GetCurrentThreadId(), [](HWND w) { return TextOf(w) == L"Напоминание"; },
        [](HWND dialog) { PostMessageW(FindChildByClass(dialog, L"TEdit"), WM_KEYDOWN, VK_ESCAPE, 0x00010001); });
    EXPECT_EQ(InputBox("Напоминание", "Введите напоминание", "как было"), "как было");
  }
  TCodeForm visible(Application);
  visible.Show();
  EXPECT_THROW(visible.ShowModal(), EInvalidOperation);
}

// The captions of the class library's own boxes, as the boxes on screen show them.
TEST(Forms, TheLibrarysDialogsSpeakRussian) {
  auto captions = [](HWND Dialog) {
    std::vector<std::wstring> texts{TextOf(Dialog)};
    for (HWND child = GetWindow(Dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t cls[32] = {};
      GetClassNameW(child, cls, 32);
      if (std::wstring(cls) == L"TButton") texts.push_back(TextOf(child));
    }
    return texts;
  };
  const struct {
    std::function<void()> Show;
    std::vector<std::wstring> Texts;  // the title, then the buttons
  } boxes[] = {
      {[] { TConfirmation::System().Confirm("Удалить запись ?"); }, {L"Подтверждение", L"ОК", L"Отмена"}},
      {[] { MessageDlg("?", mtConfirmation, mbYesNoCancel); }, {L"Подтверждение", L"&Да", L"&Нет", L"Отмена"}},
      {[] { MessageDlg("!", mtWarning, mbAbortRetryIgnore); },
       {L"Предупреждение", L"&Прервать", L"&Повторить", L"П&ропустить"}},
      {[] { MessageDlg("!", mtError, {mbOK, mbHelp}); }, {L"Ошибка", L"ОК", L"&Справка"}},
      {[] { MessageDlg("i", mtInformation, {mbYes, mbNo, mbCancel, mbAll, mbNoToAll, mbYesToAll}); },
       {L"Информация", L"&Да", L"&Нет", L"Отмена", L"&Все", L"Н&ет для всех", L"Да для в&сех"}},
      {[] { InputBox("Напоминание", "Введите напоминание", ""); }, {L"Напоминание", L"ОК", L"Отмена"}},
  };
  for (const auto& box : boxes) {
    std::vector<std::wstring> seen;
    TDialogWatcher watcher(
        // The modal box: the one window of the thread left enabled, with buttons.
        GetCurrentThreadId(), [](HWND w) { return IsWindowEnabled(w) && FindChildByClass(w, L"TButton"); },
        [&](HWND dialog) {
          seen = captions(dialog);
          PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
    box.Show();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), box.Texts.front());
    std::vector<std::wstring> buttons(seen.begin() + 1, seen.end()), expected(box.Texts.begin() + 1, box.Texts.end());
    std::sort(buttons.begin(), buttons.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(buttons, expected) << WideToUtf8(seen.front());
  }
}

TEST(Application, RestoreTopMostsPutsTheStayOnTopFormsBackAboveTheRest) {
  auto topMost = [](TForm& Form) { return (GetWindowLongPtrW(Form.GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  TCodeForm onTop(Application), lowered(Application), plain(Application);
  onTop.SetFormStyle(fsStayOnTop);
  lowered.SetFormStyle(fsStayOnTop);
  for (TForm* form : {&onTop, &lowered, &plain}) {
    form->SetBounds(100, 100, 200, 150);
    form->Show();
  }
  // One lost its place among the top-most windows (a dialog lowered it), and a window that
  // is not top-most stands over the other.
  SetWindowPos(lowered.GetHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_FALSE(topMost(lowered));
  ASSERT_TRUE(topMost(onTop));
  Application->RestoreTopMosts();
  EXPECT_TRUE(topMost(lowered));
  EXPECT_TRUE(topMost(onTop));
  EXPECT_FALSE(topMost(plain));
  // Both above the plain one.
  auto above = [&](HWND Upper, HWND Lower) {
    for (HWND w = GetWindow(Lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
      if (w == Upper) return true;
    return false;
  };
  EXPECT_TRUE(above(lowered.GetHandle(), plain.GetHandle()));
  EXPECT_TRUE(above(onTop.GetHandle(), plain.GetHandle()));
}

// A message shown over a modal form (a box's "Благодарности") gives the activation back
// to that form once it is answered, with the keyboard or the mouse: its keys work at once.
TEST(Forms, AMessageOverAModalFormGivesItTheActivationBack) {
  TCodeForm shield(Application);  // a stay-on-top form behind, as the clock's
  shield.SetBorderStyle(bsNone);
  shield.SetFormStyle(fsStayOnTop);
  shield.SetBounds(100, 100, 500, 400);
  shield.Show();
  for (bool escape : {false, true}) {
    TCodeForm box(Application);
    box.SetBorderStyle(bsDialog);
    box.SetCaption("Коробка");
    HWND afterMessage = nullptr, afterForeground = nullptr;
    box.OnShow = [&](TObject*) {
      PostMessageW(box.GetHandle(), WM_APP, 0, 0);  // the message once the box is up
    };
    TDialogWatcher watcher(
        GetCurrentThreadId(), [](HWND w) { return TextOf(w) == L"classlib_tests"; },
        [&](HWND dialog) {
          if (escape) PostMessageW(FindChildByText(dialog, L"ОК"), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
          else PostMessageW(FindChildByText(dialog, L"ОК"), BM_CLICK, 0, 0);
        });
    // The box shows the message from its own loop, then closes.
    Application->OnMessage = [&](MSG& Msg, bool& Handled) {
      if (Msg.message != WM_APP || Msg.hwnd != box.GetHandle()) return;
      Handled = true;
      ShowMessage("Спасибо!");
      afterMessage = GetActiveWindow();
      afterForeground = GetForegroundWindow();
      box.SetModalResult(mrOk);
    };
    EXPECT_EQ(box.ShowModal(), mrOk);
    Application->OnMessage = nullptr;
    EXPECT_EQ(afterMessage, box.GetHandle()) << (escape ? "Escape" : "OK") << ": the box is not active";
    EXPECT_EQ(afterForeground, box.GetHandle()) << (escape ? "Escape" : "OK") << ": the box is not in front";
  }
}

TEST(Application, HooksMinimiseAndRestoreListenersAndExceptions) {
  TApplication* app = Application;
  app->SetTitle("Хоравокс");
  EXPECT_EQ(TextOf(app->Handle()), L"Хоравокс");
  RECT r{};
  GetWindowRect(app->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 0);
  EXPECT_NE(app->ExeName().find("classlib_tests.exe"), String::npos);

  // Hooks see the application window's messages first, in order; one may keep a message.
  std::vector<std::string> seen;
  int first = app->HookMainWindow([&](TMessage& m) {
    if (m.Msg == WM_APP) seen.push_back("first");
    return false;
  });
  int second = app->HookMainWindow([&](TMessage& m) {
    if (m.Msg != WM_APP) return false;
    seen.push_back("second");
    m.Result = 42;
    return true;
  });
  EXPECT_EQ(SendMessageW(app->Handle(), WM_APP, 0, 0), 42);
  app->UnhookMainWindow(second);
  EXPECT_EQ(SendMessageW(app->Handle(), WM_APP, 0, 0), 0);
  app->UnhookMainWindow(first);
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "first"}));

  // Minimise and restore reach every listener.
  std::vector<std::string> events;
  int tray = app->OnMinimize.Add([&](TObject*) { events.push_back("tray minimised"); });
  int clock = app->OnMinimize.Add([&](TObject*) { events.push_back("clock minimised"); });
  int restored = app->OnRestore.Add([&](TObject*) { events.push_back("restored"); });
  app->Minimize();
  EXPECT_TRUE(IsIconic(app->Handle()));
  app->Minimize();  // once only
  app->OnMinimize.Remove(tray);
  app->Restore();
  EXPECT_FALSE(IsIconic(app->Handle()));
  app->OnMinimize.Remove(clock);
  app->OnRestore.Remove(restored);
  ShowWindow(app->Handle(), SW_HIDE);
  EXPECT_EQ(events, (std::vector<std::string>{"tray minimised", "clock minimised", "restored"}));

  // OnException takes the place of the dialog; the silent abort reaches nobody.
  std::vector<std::string> reported;
  app->OnException = [&](TObject*, const std::exception& e) { reported.push_back(e.what()); };
  HandleCallbackException(std::make_exception_ptr(EAbort()));
  HandleCallbackException(std::make_exception_ptr(EConvertError("не время")));
  try {
    throw std::runtime_error("plain");
  } catch (...) {
    app->HandleException(nullptr);
  }
  app->OnException = nullptr;
  EXPECT_EQ(reported, (std::vector<std::string>{"не время", "plain"}));
}

// Minimised, the application takes its windows off the screen itself (Wine leaves a
// minimised owner's windows where they were): a stay-on-top form, a dialog-style one and a
// message box over it go, and come back on restore, except one hidden meanwhile. One shown
// while minimised (as a stand-in for the others) stays.
TEST(Application, MinimiseHidesTheVisibleFormsAndRestoreShowsThemAgain) {
  TApplication* app = Application;
  std::unique_ptr<TCodeForm> top(NewForm<TCodeForm>(app)), dialog(NewForm<TCodeForm>(app)),
      gone(NewForm<TCodeForm>(app)), standIn(NewForm<TCodeForm>(app));
  top->SetBorderStyle(bsNone);
  top->SetFormStyle(fsStayOnTop);
  dialog->SetBorderStyle(bsSingle);
  for (TCodeForm* form : {top.get(), dialog.get(), gone.get()}) form->Show();
  HWND box = CreateWindowExW(0, L"STATIC", L"box", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, top->GetHandle(), nullptr,
                             nullptr, nullptr);
  PumpFor(50);
  app->Minimize();
  PumpFor(50);
  for (TCodeForm* form : {top.get(), dialog.get(), gone.get()}) {
    EXPECT_FALSE(IsWindowVisible(form->GetHandle())) << "a form stayed on screen";
    EXPECT_TRUE(form->GetVisible());
  }
  EXPECT_FALSE(IsWindowVisible(box));
  EXPECT_FALSE(StayOnTopFormShown());
  gone->Hide();
  standIn->Show();
  EXPECT_TRUE(IsWindowVisible(standIn->GetHandle()));
  app->Restore();
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(top->GetHandle()));
  EXPECT_TRUE(IsWindowVisible(dialog->GetHandle()));
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_FALSE(IsWindowVisible(gone->GetHandle())) << "a form hidden while minimised came back";
  EXPECT_TRUE(IsWindowVisible(standIn->GetHandle()));
  EXPECT_TRUE(StayOnTopFormShown());
  EXPECT_NE(GetWindowLongPtrW(top->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  // A form shown again while minimised (as the player is) comes back on its own.
  app->Minimize();
  dialog->Show();
  EXPECT_TRUE(IsWindowVisible(dialog->GetHandle()));
  EXPECT_FALSE(IsWindowVisible(top->GetHandle()));
  app->Restore();
  EXPECT_TRUE(IsWindowVisible(top->GetHandle()));
  DestroyWindow(box);
  ShowWindow(app->Handle(), SW_HIDE);
}

// Whether Upper lies above Lower among the top-level windows.
bool Above(HWND Upper, HWND Lower) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == Upper) return true;
    if (w == Lower) return false;
  }
  return false;
}

// A form whose popup parent is a stay-on-top form stays above it when that form is clicked
// (and so brought forward), and goes back to the application's window when it goes.
TEST(Forms, AnOwnedFormStaysAboveItsStayOnTopOwnerWhenTheOwnerIsClicked) {
  TApplication* app = Application;
  auto* owner = NewForm<TCodeForm>(app);
  std::unique_ptr<TCodeForm> owned(NewForm<TCodeForm>(app));
  owner->SetBorderStyle(bsNone);
  owner->SetFormStyle(fsStayOnTop);
  owner->SetBounds(100, 100, 400, 300);
  owned->SetBounds(150, 150, 200, 150);
  owned->SetPopupParent(owner);
  owner->Show();
  owned->Show();
  guitest::PumpFor(100);
  EXPECT_EQ(GetWindow(owned->GetHandle(), GW_OWNER), owner->GetHandle());
  ASSERT_TRUE(Above(owned->GetHandle(), owner->GetHandle()));
  guitest::ClickScreen({450, 350});  // the owner's corner, beside the owned form
  guitest::PumpFor(300);
  EXPECT_TRUE(Above(owned->GetHandle(), owner->GetHandle())) << "the owned form went behind its owner";
  SetWindowPos(owner->GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  guitest::PumpFor(100);
  EXPECT_TRUE(Above(owned->GetHandle(), owner->GetHandle())) << "the owned form went behind its owner";
  delete owner;
  EXPECT_EQ(owned->GetPopupParent(), nullptr);
  EXPECT_TRUE(IsWindow(owned->GetHandle()));
  EXPECT_EQ(GetWindow(owned->GetHandle(), GW_OWNER), app->Handle());
}

TEST(Application, TheFirstFormIsTheMainFormAndClosingItEndsTheLoop) {
  DestroyApplication();  // a fresh application for this program's own loop
  std::vector<std::string> log;
  TCodeForm* main = nullptr;
  TCodeForm* other = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(other);
  EXPECT_EQ(Application->MainForm(), main);
  main->OnShow = [&](TObject*) { log.push_back("show"); };
  main->OnCloseQuery = [&](TObject*, bool& canClose) {
    log.push_back("close query");
    canClose = true;
  };
  main->OnClose = [&](TObject*, TCloseAction& action) {
    log.push_back(action == caHide ? "close" : "close?");
  };
  main->OnDestroy = [&](TObject*) { log.push_back("main destroyed"); };
  other->OnDestroy = [&](TObject*) { log.push_back("other destroyed"); };
  PostMessageW(main->GetHandle(), WM_CLOSE, 0, 0);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(IsWindowVisible(main->GetHandle()));
  DestroyApplication();
  EXPECT_EQ(log, (std::vector<std::string>{"show", "close query", "close", "other destroyed", "main destroyed"}));
  EXPECT_EQ(ExistingApplication(), nullptr);
}

}  // namespace
