#pragma once
// No C++ exception may cross a Win32 callback (window procedure, timer, thread procedure):
// such code runs its work through GuardCallback, which hands any exception to one
// replaceable handler. The application object installs the handler that shows the message;
// until then a message goes to stderr. EAbort is silent either way.
#include <exception>
#include <functional>

using TCallbackExceptionHandler = std::function<void(std::exception_ptr)>;

// Installs the handler (an empty one restores the default); returns the previous one.
TCallbackExceptionHandler SetCallbackExceptionHandler(TCallbackExceptionHandler handler);
void HandleCallbackException(std::exception_ptr e) noexcept;

template <class F>
void GuardCallback(F&& work) noexcept {
  try {
    work();
  } catch (...) {
    HandleCallbackException(std::current_exception());
  }
}
