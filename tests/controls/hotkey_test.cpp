// The global hotkey: what it registers as its key and state change (through a recording
// system), what WM_HOTKEY tells its handler, and real registrations under Wine: a key sent
// by another process, a changed key, and a key another holder has.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "caught_exceptions.h"
#include "controls/kithotkey.h"
#include "message_pump.h"
#include "read_form.h"
#include "test_paths.h"

namespace {

using Log = std::vector<std::string>;

class TRecordingHotKeys : public TKitHotKeySystem {
 public:
  bool Register(HWND, int, UINT Modifiers, UINT Key) override {
    Calls.push_back("register " + std::to_string(Modifiers) + " " + static_cast<char>(Key));
    return Accept;
  }
  void Unregister(HWND, int) override { Calls.push_back("unregister"); }
  Log Calls;
  bool Accept = true;
};

TEST(GlobalHotKeyTest, RegistersOnlyAnActiveNonZeroKey) {
  TRecordingHotKeys system;
  TSeamScope<TKitHotKeySystem> scope(system);
  auto hotkey = std::make_unique<TKitGlobalHotKey>(nullptr);
  const TShortCut ctrlAltT = scCtrl | scAlt | 'T', ctrlAltS = scCtrl | scAlt | 'S';
  struct Step {
    const char* what;
    std::function<void()> act;
    Log calls;
    bool registered;
  };
  const Step steps[] = {
      {"made", [] {}, {}, false},
      {"on without a key", [&] { hotkey->SetActive(false), hotkey->SetActive(true); }, {}, false},
      {"Ctrl+Alt+T", [&] { hotkey->SetHotKey(ctrlAltT); }, {"register 3 T"}, true},
      {"Ctrl+Alt+S", [&] { hotkey->SetHotKey(ctrlAltS); }, {"unregister", "register 3 S"}, true},
      {"off", [&] { hotkey->SetActive(false); }, {"unregister"}, false},
      {"a key while off", [&] { hotkey->SetHotKey(scShift | 'Q'); }, {}, false},
      {"on again", [&] { hotkey->SetActive(true); }, {"register 4 Q"}, true},
      {"key 0", [&] { hotkey->SetHotKey(0); }, {"unregister"}, false},
      {"refused", [&] { system.Accept = false, hotkey->SetHotKey(ctrlAltT); }, {"register 3 T"}, false},
      {"after a refusal", [&] { system.Accept = true, hotkey->SetHotKey(ctrlAltS); }, {"register 3 S"}, true},
      {"freed", [&] { hotkey.reset(); }, {"unregister"}, false},
  };
  for (const Step& step : steps) {
    system.Calls.clear();
    step.act();
    EXPECT_EQ(system.Calls, step.calls) << step.what;
    if (hotkey) {
      EXPECT_EQ(hotkey->Registered(), step.registered) << step.what;
    }
  }
}

TEST(GlobalHotKeyTest, AKeyReadFromAFormIsRegisteredOnceLoaded) {
  TRecordingHotKeys system;
  TSeamScope<TKitHotKeySystem> scope(system);
  std::unique_ptr<TComponent> read = horavox::test::ReadFromText(
      "object HotKey1: TKitGlobalHotKey\n  HotKey = 49217\n  Active = False\n  Active = True\nend\n");
  EXPECT_EQ(system.Calls, Log{"register 3 A"});
}

TEST(GlobalHotKeyTest, TheHandlerGetsTheKeyOfHotKey) {
  TRecordingHotKeys system;
  TSeamScope<TKitHotKeySystem> scope(system);
  TKitGlobalHotKey hotkey(nullptr);
  hotkey.SetHotKey(49217);  // Ctrl+Alt+A
  WORD key = 0;
  TShiftState shift;
  int calls = 0;
  hotkey.OnKeyDown = [&](TObject* Sender, WORD& Key, TShiftState Shift) {
    EXPECT_EQ(Sender, &hotkey);
    key = Key, shift = Shift, ++calls;
  };
  // The physical key does not matter: lParam tells Shift+B.
  SendMessageW(hotkey.WindowHandle(), WM_HOTKEY, hotkey.Id(), MAKELPARAM(MOD_SHIFT, 'B'));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(key, 'A');
  EXPECT_EQ(shift, (TShiftState{ssCtrl, ssAlt}));
  // Another identifier is not ours.
  SendMessageW(hotkey.WindowHandle(), WM_HOTKEY, hotkey.Id() + 1, 0);
  EXPECT_EQ(calls, 1);

  horavox::test::TCaughtExceptions caught;
  hotkey.OnKeyDown = [](TObject*, WORD&, TShiftState) { throw Exception("from the handler"); };
  SendMessageW(hotkey.WindowHandle(), WM_HOTKEY, hotkey.Id(), 0);
  EXPECT_EQ(caught.Messages, std::vector<std::string>{"from the handler"});
}

// ---- Under Wine, with real registrations ----

// Runs the helper, which presses the keys (virtual-key codes) and lets them go.
void PressFromAnotherProcess(const std::vector<int>& keys) {
  std::string command = "\"" + horavox::test::BinaryDir() + "/tests/controls/kit_helper.exe\" keys";
  for (int k : keys) command += " " + std::to_string(k);
  std::wstring line(command.begin(), command.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 10000);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(code, 0u);
}

TEST(GlobalHotKeyTest, AKeyPressedInAnotherProcessReachesTheHandler) {
  TKitGlobalHotKey hotkey(nullptr);
  hotkey.SetHotKey(scCtrl | scAlt | 'A');
  ASSERT_TRUE(hotkey.Registered());
  int calls = 0;
  hotkey.OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++calls; };
  PressFromAnotherProcess({VK_CONTROL, VK_MENU, 'A'});
  EXPECT_TRUE(horavox::test::PumpMessagesUntil([&] { return calls == 1; }, 5000));

  // Changed to Ctrl+Alt+S: the old key does nothing any more, the new one does.
  hotkey.SetHotKey(scCtrl | scAlt | 'S');
  PressFromAnotherProcess({VK_CONTROL, VK_MENU, 'A'});
  PressFromAnotherProcess({VK_CONTROL, VK_MENU, 'S'});
  EXPECT_TRUE(horavox::test::PumpMessagesUntil([&] { return calls == 2; }, 5000));
  horavox::test::PumpMessagesUntil([] { return false; }, 200);  // nothing more arrives
  EXPECT_EQ(calls, 2);
}

TEST(GlobalHotKeyTest, AKeyHeldByAnotherIsNotRegistered) {
  TKitGlobalHotKey first(nullptr), second(nullptr);
  first.SetHotKey(scCtrl | scAlt | 'K');
  EXPECT_NO_THROW(second.SetHotKey(scCtrl | scAlt | 'K'));
  EXPECT_TRUE(first.Registered());
  EXPECT_FALSE(second.Registered());
  EXPECT_TRUE(second.GetActive());
  // Once the first lets go, a new holder gets it.
  first.SetHotKey(0);
  TKitGlobalHotKey third(nullptr);
  third.SetHotKey(scCtrl | scAlt | 'K');
  EXPECT_TRUE(third.Registered());
}

}  // namespace
