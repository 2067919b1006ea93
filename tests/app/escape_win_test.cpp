// Escape closes the settings window, the player and the about box, as their close buttons
// (or the player's close box) do: pressed where the keyboard is when the window comes up.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/About.h"
#include "app/Unit3.h"
#include "app/Unit5.h"
#include "classlib/windows/application.h"
#include "classlib/core/timers.h"
#include "classlib/core/unicode.h"
#include "tests/classlib/gui_test_util.h"

namespace {

// Escape pressed in the window of this caption once it is up, at its focused control.
std::unique_ptr<guitest::TDialogWatcher> EscapeIn(const std::wstring& Caption) {
  DWORD thread = GetCurrentThreadId();
  return std::make_unique<guitest::TDialogWatcher>(
      thread, [Caption](HWND w) { return guitest::TextOf(w) == Caption; },
      [thread](HWND Window) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        HWND target = GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : Window;
        PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
      });
}

// Shown modally until closed, or for 5 s at most: the result (mrAbort when it stayed).
TModalResult ShowModalAWhile(TCustomForm* Form) {
  TTimer stop(nullptr);
  stop.SetInterval(5000);
  stop.OnTimer = [Form](TObject*) { Form->SetModalResult(mrAbort); };
  stop.SetEnabled(true);
  return Form->ShowModal();
}

TEST(EscapeKey, ClosesTheSettingsWindowAndTheAboutBox) {
  {
    std::unique_ptr<TForm3> settings(NewForm<TForm3>(Application));
    auto watcher = EscapeIn(L"Настройки");
    EXPECT_NE(ShowModalAWhile(settings.get()), mrAbort) << "the settings window stayed";
    EXPECT_EQ(watcher->Seen(), 1);
  }
  {
    std::unique_ptr<TAboutBox> about(NewForm<TAboutBox>(Application));
    auto watcher = EscapeIn(L"О программе");
    EXPECT_EQ(ShowModalAWhile(about.get()), mrOk) << "the about box stayed";  // as "Ясно!"
    EXPECT_EQ(watcher->Seen(), 1);
  }
}

TEST(EscapeKey, ClosesThePlayer) {
  std::unique_ptr<TForm5> player(NewForm<TForm5>(Application));
  auto watcher = EscapeIn(L"Мини проигрыватель");
  player->Show();
  EXPECT_TRUE(guitest::PumpUntil([&] { return !player->GetVisible(); }, 5000)) << "the player stayed";
}

}  // namespace
