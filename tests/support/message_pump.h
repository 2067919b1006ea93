#pragma once
// Runs the thread's message loop in Windows tests until a condition holds or a deadline
// passes (the deadline only stops a hang; waits end as soon as the condition holds).
#ifdef _WIN32
#include "classlib/core/winapi.h"

namespace horavox::test {

template <class Done>
bool PumpMessagesUntil(Done done, DWORD deadlineMs = 10000) {
  ULONGLONG end = GetTickCount64() + deadlineMs;
  MSG msg;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  return true;
}

}  // namespace horavox::test
#endif
