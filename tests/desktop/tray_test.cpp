// The tray icon with a recording shell (clicks, icons, tips, a shell that lost the icon,
// showing on minimise, the task-bar button, blinking, the icon list), and once in Wine's
// own tray: the icon appears, a right click on it opens the menu, freeing takes it away.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "classlib/core/unicode.h"
#include "desktop/dsktray.h"
#include "message_pump.h"
#include "read_form.h"
#include "tests/support/wine_tray_tip.h"

#include <commctrl.h>

namespace {

using Journal = std::vector<std::string>;

class TRecordingTrayShell : public TDtTrayShell {
 public:
  explicit TRecordingTrayShell(Journal& J) : FJournal(J) {}
  bool NotifyIcon(DWORD Message, NOTIFYICONDATAW& Data) override {
    static const char* const kNames[] = {"add", "modify", "delete"};
    bool ok = Message == NIM_ADD ? AcceptAdd : Message == NIM_MODIFY ? AcceptModify : true;
    FJournal.push_back(std::string(kNames[Message]) + (ok ? "" : " refused"));
    Last = Data;
    return ok;
  }
  bool TaskBarVisible() override { return BarVisible; }
  void ShowTaskBar(bool Show) override {
    FJournal.push_back(Show ? "task bar shown" : "task bar hidden");
    BarVisible = Show;
  }
  void ShowWindow(HWND Window, int Command) override {
    if (Window == Application->Handle()) FJournal.push_back(Command == SW_HIDE ? "button hidden" : "button shown");
  }
  void SetForegroundWindow(HWND Window) override {
    if (Window == Application->Handle()) FJournal.push_back("application in front");
  }
  TPoint CursorPos() override { return {300, 200}; }

  bool AcceptAdd = true, AcceptModify = true, BarVisible = true;
  NOTIFYICONDATAW Last{};

 private:
  Journal& FJournal;
};

class TRecordingMenu : public TPopupMenu {
 public:
  TRecordingMenu(TComponent* AOwner, Journal& J) : TPopupMenu(AOwner), FJournal(J) {}
  void Popup(int X, int Y) override {
    FJournal.push_back("menu at " + std::to_string(X) + "," + std::to_string(Y) +
                       (PopupComponent() ? " for " + PopupComponent()->GetName() : ""));
  }

 private:
  Journal& FJournal;
};

// A 16 x 16 icon of one colour.
void MakeIcon(TIcon* Icon, TColor Color) {
  TBitmap bitmap;
  bitmap.SetSize(16, 16);
  bitmap.Canvas()->GetBrush()->SetColor(Color);
  bitmap.Canvas()->FillRect(TRect{0, 0, 16, 16});
  bitmap.FreeContext();
  BitmapToIcon(&bitmap, clFuchsia, Icon);
}

class TrayTest : public ::testing::Test {
 protected:
  Journal journal;
  TVirtualClock clock;
  TClockScope clockScope{clock};
  TRecordingTrayShell shell{journal};
  TSeamScope<TDtTrayShell> shellScope{shell};
  std::unique_ptr<TDtTrayIcon> tray = std::make_unique<TDtTrayIcon>(nullptr);

  void SetUp() override {
    tray->SetName("Tray1");
    auto note = [this](const char* what) { return [this, what](TObject*) { journal.push_back(what); }; };
    tray->OnMouseMove = note("move");
    tray->OnMouseLeftDown = note("left down");
    tray->OnMouseLeftUp = note("left up");
    tray->OnMouseLeftDblClick = note("left double");
    tray->OnMouseRightDown = note("right down");
    tray->OnMouseRightUp = note("right up");
    tray->OnMouseRightDblClick = note("right double");
    tray->OnBlinkVisible = note("blink visible");
    tray->OnBlinkInVisible = note("blink invisible");
  }
  void TearDown() override {
    Application->Restore();
    tray.reset();
  }
  // As the shell tells a click: posted to the hidden window.
  void Notify(UINT Code) {
    PostMessageW(tray->WindowHandle(), kTrayCallbackMessage, kTrayIconId, Code);
    Application->ProcessMessages();
  }
  std::wstring Tip() const { return shell.Last.szTip; }
};

TEST_F(TrayTest, ClicksOpenTheMenuRestoreAndTell) {
  tray->SetShowIcon(tyAllways);
  TRecordingMenu menu(nullptr, journal);
  int restoreToken = Application->OnRestore.Add([this](TObject*) { journal.push_back("restored"); });
  struct Case {
    TTrayAction popup, restore;
    bool withMenu;
    UINT code;
    Journal expected;
  };
  const Journal menuOpens = {"application in front", "menu at 300,200 for Tray1"};
  const Journal restores = {"application in front", "restored"};
  auto join = [](Journal a, const Journal& b, const char* event) {
    a.insert(a.end(), b.begin(), b.end());
    a.push_back(event);
    return a;
  };
  const Case cases[] = {
      {paRightDown, paLeftDblClick, true, WM_MOUSEMOVE, {"move"}},
      {paRightDown, paLeftDblClick, true, WM_LBUTTONDOWN, {"left down"}},
      {paRightDown, paLeftDblClick, true, WM_LBUTTONUP, {"left up"}},
      {paRightDown, paLeftDblClick, true, WM_LBUTTONDBLCLK, join({}, restores, "left double")},
      {paRightDown, paLeftDblClick, true, WM_RBUTTONDOWN, join(menuOpens, {}, "right down")},
      {paRightDown, paLeftDblClick, true, WM_RBUTTONUP, {"right up"}},
      {paRightDown, paLeftDblClick, true, WM_RBUTTONDBLCLK, {"right double"}},
      {paRightDown, paLeftDblClick, false, WM_RBUTTONDOWN, {"right down"}},
      {paNone, paNone, true, WM_RBUTTONDOWN, {"right down"}},
      {paNone, paNone, true, WM_LBUTTONDBLCLK, {"left double"}},
      {paLeftUp, paLeftUp, true, WM_LBUTTONUP, join(menuOpens, restores, "left up")},
      {paRightDblClick, paRightUp, true, WM_RBUTTONDBLCLK, join(menuOpens, {}, "right double")},
      {paRightDblClick, paRightUp, true, WM_RBUTTONUP, join({}, restores, "right up")},
      {paLeftDown, paNone, true, WM_LBUTTONDOWN, join(menuOpens, {}, "left down")},
      {paRightDown, paLeftDblClick, true, WM_MBUTTONDOWN, {}},
  };
  for (const Case& c : cases) {
    tray->GetAction()->Popup = c.popup;
    tray->GetAction()->Restore = c.restore;
    tray->SetPopupMenu(c.withMenu ? &menu : nullptr);
    Application->Minimize();
    journal.clear();
    Notify(c.code);
    EXPECT_EQ(journal, c.expected) << "code " << c.code << ", pop-up " << c.popup << ", restore " << c.restore;
  }
  Application->OnRestore.Remove(restoreToken);
}

TEST_F(TrayTest, TheIconShownFollowsBlinkPhaseAndMode) {
  TIcon blue;
  MakeIcon(&blue, clBlue);
  tray->SetIcon(&blue);
  tray->GetIconText()->SetText("12");
  tray->SetShowIcon(tyAllways);
  ASSERT_TRUE(tray->IconShown());
  // Icon differs from the base icon once an image of a list stands in it.
  TImageList icons(nullptr);
  TBitmap strip;
  strip.SetSize(16, 16);
  icons.AddMasked(&strip, clDefault);
  tray->SetIconList(&icons);
  tray->SetIconIndex(0);
  struct Case {
    bool blink, visible;
    TTrayMode mode;
    std::function<TIcon*()> expected;
    const char* name;
  };
  const Case cases[] = {
      {false, true, trmIcon, [&] { return tray->GetIcon(); }, "Icon"},
      {false, true, trmText, [&] { return tray->TextIcon(); }, "text icon"},
      {true, true, trmIcon, [&] { return tray->BaseIcon(); }, "base icon"},
      {true, true, trmText, [&] { return tray->TextIcon(); }, "text icon while blinking"},
      {true, false, trmIcon, [&] { return tray->BlankIcon(); }, "blank icon"},
      {true, false, trmText, [&] { return tray->BlankIcon(); }, "blank icon over the text"},
  };
  for (const Case& c : cases) {
    tray->GetBlink()->SetEnabled(false);
    tray->SetMode(c.mode);
    tray->GetBlink()->SetEnabled(c.blink);
    if (!c.visible) clock.Advance(tray->GetBlink()->GetInterval());
    ASSERT_EQ(tray->BlinkVisible(), c.visible) << c.name;
    tray->SetHint(c.name);  // a refresh
    EXPECT_EQ(shell.Last.hIcon, c.expected()->GetHandle()) << c.name;
  }
  EXPECT_NE(tray->GetIcon()->GetHandle(), tray->BaseIcon()->GetHandle());
}

TEST_F(TrayTest, AnIconWithoutPictureShowsTheApplications) {
  TIcon appIcon;
  MakeIcon(&appIcon, clRed);
  Application->SetIcon(&appIcon);
  tray->SetShowIcon(tyAllways);
  EXPECT_EQ(shell.Last.hIcon, Application->GetIcon()->GetHandle());
  TIcon none;
  Application->SetIcon(&none);
  tray->SetHint("refresh");
  EXPECT_EQ(shell.Last.hIcon, LoadIconW(nullptr, IDI_APPLICATION));
}

TEST_F(TrayTest, BlinkingAlternatesAndStopsVisible) {
  TIcon blue;
  MakeIcon(&blue, clBlue);
  tray->SetIcon(&blue);
  tray->SetShowIcon(tyAllways);
  tray->GetBlink()->SetInterval(500);
  tray->GetBlink()->SetEnabled(true);
  journal.clear();
  clock.Advance(500);
  EXPECT_EQ(shell.Last.hIcon, tray->BlankIcon()->GetHandle());
  clock.Advance(500);
  EXPECT_EQ(shell.Last.hIcon, tray->BaseIcon()->GetHandle());
  clock.Advance(500);
  tray->GetBlink()->SetEnabled(false);
  EXPECT_TRUE(tray->BlinkVisible());
  EXPECT_EQ(shell.Last.hIcon, tray->GetIcon()->GetHandle());
  auto blinks = [this] {
    Journal j;
    for (const std::string& e : journal)
      if (e.rfind("button", 0) != 0) j.push_back(e);  // the task-bar button's ticks aside
    return j;
  };
  EXPECT_EQ(blinks(), (Journal{"blink invisible", "modify", "blink visible", "modify", "blink invisible", "modify",
                               "blink visible", "modify"}));
  clock.Advance(2000);
  EXPECT_EQ(blinks().size(), 8u);
}

TEST_F(TrayTest, TheTipIsAlwaysSentAndCutAt63Units) {
  tray->SetShowIcon(tyAllways);
  EXPECT_EQ(shell.Last.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(shell.Last.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(shell.Last.uCallbackMessage, kTrayCallbackMessage);
  EXPECT_EQ(shell.Last.hWnd, tray->WindowHandle());
  std::string seventy;
  for (int i = 0; i < 70; ++i) seventy += "ж";
  const std::string clock = "Часы: Таймер: осталось 60 мин. Будильник на: 07:30:00";
  struct Case {
    String hint;
    bool showHint;
    std::wstring tip;
  };
  const Case cases[] = {
      {"", true, L""},
      {"Хоравокс", false, L""},
      {"Хоравокс", true, L"Хоравокс"},
      {seventy, true, std::wstring(63, L'ж')},
      {clock, true, Utf8ToWide(clock)},
      {"", true, L""},
  };
  for (const Case& c : cases) {
    tray->SetShowHint(c.showHint);
    tray->SetHint(c.hint + " ");
    tray->SetHint(c.hint);
    EXPECT_TRUE(shell.Last.uFlags & NIF_TIP);
    EXPECT_EQ(Tip(), c.tip) << c.hint;
  }
  EXPECT_EQ(Utf8ToWide(clock).size(), 53u);
  // A character of two units at the end is not cut in two.
  std::string emoji = std::string(62, 'a') + "\xF0\x9F\x98\x80";
  EXPECT_EQ(TrayTip(emoji), std::wstring(62, L'a'));
}

TEST_F(TrayTest, AnIconTheShellRefusedOrLostIsAddedAgain) {
  shell.AcceptAdd = false;
  tray->SetShowIcon(tyAllways);
  EXPECT_FALSE(tray->IconShown());
  shell.AcceptAdd = true;
  journal.clear();
  SendMessageW(tray->WindowHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(journal, Journal{"add"});
  EXPECT_TRUE(tray->IconShown());
  // An add while shown modifies.
  journal.clear();
  tray->SetShowIcon(tyNever);
  tray->SetShowIcon(tyAllways);
  tray->SetShowIcon(tyOnRestore);
  tray->SetShowIcon(tyAllways);
  EXPECT_EQ(journal, (Journal{"delete", "add", "modify"}));
  // The shell restarted: the refresh finds the icon gone and adds it.
  shell.AcceptModify = false;
  journal.clear();
  tray->SetHint("again");
  EXPECT_EQ(journal, (Journal{"modify refused", "add"}));
  EXPECT_TRUE(tray->IconShown());
  // A shell restart announced.
  journal.clear();
  SendMessageW(tray->WindowHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(journal, Journal{"add"});
  // Disabled: gone, and nothing comes back.
  journal.clear();
  tray->SetEnabled(false);
  SendMessageW(tray->WindowHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  tray->SetHint("off");
  EXPECT_EQ(journal, (Journal{"delete", "button shown"}));
}

TEST_F(TrayTest, OnMinimizedTheIconComesAndGoes) {
  tray->SetShowIcon(tyOnMinimized);
  EXPECT_TRUE(journal.empty());
  Application->Minimize();
  EXPECT_EQ(journal, Journal{"add"});
  journal.clear();
  Application->Restore();
  EXPECT_EQ(journal, (Journal{"application in front", "delete"}));
}

TEST_F(TrayTest, TheTaskBarButtonFollowsShowTaskEntry) {
  struct Case {
    TTrayShow show;
    bool minimised;
    const char* expected;
  };
  const Case cases[] = {
      {tyAllways, false, "button shown"},  {tyAllways, true, "button shown"},
      {tyNever, false, "button hidden"},   {tyNever, true, "button hidden"},
      {tyOnRestore, false, "button shown"}, {tyOnRestore, true, "button hidden"},
      {tyOnMinimized, false, "button hidden"}, {tyOnMinimized, true, "button shown"},
  };
  for (const Case& c : cases) {
    tray->SetShowIcon(tyNever);
    if (c.minimised) Application->Minimize();
    else Application->Restore();
    tray->SetShowTaskEntry(c.show);
    journal.clear();
    clock.Advance(250);
    EXPECT_EQ(journal, Journal{c.expected}) << c.show << (c.minimised ? " minimised" : "");
  }
}

TEST_F(TrayTest, TheTaskEntryIsAppliedOnlyAfterAChange) {
  tray->SetShowIcon(tyNever);
  tray->SetShowTaskEntry(tyNever);
  ShowWindow(Application->Handle(), SW_HIDE);
  clock.Advance(250);
  journal.clear();
  clock.Advance(60000);
  EXPECT_TRUE(journal.empty()) << "applied again with nothing changed";
  // Another hand shows the application's window: its button goes again.
  ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
  clock.Advance(250);
  EXPECT_EQ(journal, Journal{"button hidden"});
  ShowWindow(Application->Handle(), SW_HIDE);
}

TEST_F(TrayTest, TheTaskBarIsShownAgainOnlyWhenHiddenHere) {
  shell.BarVisible = false;  // hidden by somebody else
  tray->SetShowTaskBar(false);
  tray->SetShowTaskBar(true);
  tray.reset();
  EXPECT_TRUE(journal.empty());

  shell.BarVisible = true;
  tray = std::make_unique<TDtTrayIcon>(nullptr);
  tray->SetShowIcon(tyAllways);
  tray->SetShowTaskBar(false);
  journal.clear();
  tray.reset();  // the icon goes first
  EXPECT_EQ(journal, (Journal{"delete", "task bar shown"}));
}

TEST_F(TrayTest, IconIndexStaysWithinTheList) {
  tray->SetIconIndex(3);  // no list: ignored
  EXPECT_EQ(tray->GetIconIndex(), -1);
  TImageList icons(nullptr);
  TBitmap strip;
  strip.SetSize(32, 16);  // two images
  icons.AddMasked(&strip, clDefault);
  tray->SetIconList(&icons);
  struct Case {
    int set, expected;
  };
  for (Case c : {Case{5, 1}, Case{0, 0}, Case{-7, -1}, Case{1, 1}, Case{-1, -1}}) {
    tray->SetIconIndex(c.set);
    EXPECT_EQ(tray->GetIconIndex(), c.expected) << c.set;
  }
  tray->SetIconIndex(1);
  tray->SetIconList(nullptr);
  EXPECT_EQ(tray->GetIconIndex(), -1);
  icons.Clear();
  tray->SetIconList(&icons);
  tray->SetIconIndex(4);
  EXPECT_EQ(tray->GetIconIndex(), -1);
}

TEST_F(TrayTest, ATrayReadFromAFormAddsItsIconOnceTheProgramRuns) {
  std::unique_ptr<TComponent> read = horavox::test::ReadFromText(
      "object Tray2: TDtTrayIcon\n  Hint = 'Хоравокс'\n  ShowIcon = tyAllways\n  ShowTaskBar = False\nend\n");
  auto* loaded = static_cast<TDtTrayIcon*>(read.get());
  EXPECT_FALSE(loaded->IconShown());
  EXPECT_TRUE(journal.empty());
  Application->ProcessMessages();
  EXPECT_TRUE(loaded->IconShown());
  EXPECT_EQ(journal, (Journal{"task bar hidden", "add"}));
  EXPECT_EQ(Tip(), L"Хоравокс");
  journal.clear();
  read.reset();
  EXPECT_EQ(journal, (Journal{"delete", "task bar shown"}));
}

TEST_F(TrayTest, TheTextIconIsPlacedByItsAlignment) {
  TDtIconLabel* label = tray->GetIconText();
  label->SetText("7");
  label->SetPosX(3);
  label->SetPosY(4);
  tray->SetShowIcon(tyAllways);
  tray->SetMode(trmText);
  EXPECT_EQ(shell.Last.hIcon, tray->TextIcon()->GetHandle());
  TBitmap measure;
  measure.SetSize(16, 16);
  measure.Canvas()->SetFont(label->GetFont());
  const int tw = measure.Canvas()->TextWidth("7"), th = measure.Canvas()->TextHeight("7");
  struct Case {
    TTrayTextAlign align;
    int x, y;
  };
  const Case cases[] = {
      {ttgCustom, 3, 4},
      {ttgCenter, 8 - tw / 2, 8 - th / 2},
      {ttgCenterBottom, 8 - tw / 2, 16 - th},
      {ttgCenterTop, 8 - tw / 2, 0},
      {ttgCenterLeft, 0, 8 - th / 2},
      {ttgCenterRight, 16 - tw, 8 - th / 2},
  };
  for (const Case& c : cases) {
    label->SetAlignment(c.align);
    EXPECT_EQ(label->X(), c.x) << c.align;
    EXPECT_EQ(label->Y(), c.y) << c.align;
  }
  // A text in a system colour gets a background next to that colour's RGB: the text stays
  // visible.
  label->GetFont()->SetColor(clWindowText);
  EXPECT_FALSE(tray->TextIcon()->Empty());
}

// ---- In Wine's tray ----

HWND WineTray() { return FindWindowW(L"__winex11_standalone_tray", nullptr); }

std::vector<HWND> WineTrayIcons() {
  std::vector<HWND> icons;
  if (HWND tray = WineTray())
    for (HWND icon = nullptr; (icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr));) icons.push_back(icon);
  return icons;
}

TEST(TrayInWineTest, TheIconShowsOpensItsMenuAndGoes) {
  HWND bar = FindWindowW(L"Shell_TrayWnd", nullptr);
  bool barVisible = bar && IsWindowVisible(bar);
  size_t before = WineTrayIcons().size();
  auto tray = std::make_unique<TDtTrayIcon>(nullptr);
  TPopupMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  item->SetCaption("Сказать время");
  menu.Items()->Add(item);
  tray->SetPopupMenu(&menu);
  tray->SetHint("Хоравокс");
  tray->SetShowIcon(tyAllways);
  ASSERT_TRUE(tray->IconShown());
  ASSERT_TRUE(horavox::test::PumpMessagesUntil([&] { return WineTrayIcons().size() == before + 1; }, 5000));
  EXPECT_TRUE(IsWindowVisible(WineTray()));
  EXPECT_EQ(WineTrayTip(WineTrayIcons().back()), L"Хоравокс");
  // A changed tip reaches the shell; an empty one replaces the old.
  tray->SetHint("Часы: Будильник на: 07:30:00");
  EXPECT_EQ(WineTrayTip(WineTrayIcons().back()), L"Часы: Будильник на: 07:30:00");
  tray->SetHint("");
  EXPECT_EQ(WineTrayTip(WineTrayIcons().back()), L"");

  // A right click on the icon: the menu opens (and is closed from a timer inside its loop).
  // It opens on the release, so that no release of the click itself lands beside it.
  tray->GetAction()->Popup = paRightUp;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (menuWindow && IsWindowVisible(menuWindow)) EndMenu();
  });
  int popups = 0;
  menu.OnPopup = [&](TObject*) { ++popups; };
  int menuOpened = 0;
  int hook = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(m.WParam) == menu.GetHandle()) ++menuOpened;
    return false;
  });
  int rightDowns = 0;
  tray->OnMouseRightDown = [&](TObject*) { ++rightDowns; };
  RECT r{};
  GetWindowRect(WineTrayIcons().back(), &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, clicks, sizeof(INPUT));
  EXPECT_TRUE(horavox::test::PumpMessagesUntil([&] { return rightDowns == 1 && popups == 1; }, 5000));
  KillTimer(nullptr, timer);
  Application->UnhookMainWindow(hook);
  // The menu's owner was told that it opens; whether it was still up when the timer looked
  // depends on how soon Wine's tray window takes the activation back.
  EXPECT_EQ(menuOpened, 1);

  tray.reset();
  EXPECT_TRUE(horavox::test::PumpMessagesUntil([&] { return WineTrayIcons().size() == before; }, 5000));
  if (before == 0) {
    EXPECT_FALSE(IsWindowVisible(WineTray()));
  }
  EXPECT_EQ(bar && IsWindowVisible(bar), barVisible);
}

}  // namespace
