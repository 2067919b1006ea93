#include "classlib/core/callbackguard.h"

#include <cstdio>
#include <mutex>

#include "classlib/core/exceptions.h"

namespace {

std::mutex handlerLock;
TCallbackExceptionHandler handler;

void DefaultHandler(std::exception_ptr e) {
  try {
    std::rethrow_exception(e);
  } catch (const EAbort&) {
  } catch (const std::exception& x) {
    std::fprintf(stderr, "%s\n", x.what());
  } catch (...) {
    std::fprintf(stderr, "Unknown exception\n");
  }
}

}  // namespace

TCallbackExceptionHandler SetCallbackExceptionHandler(TCallbackExceptionHandler h) {
  std::lock_guard lock(handlerLock);
  std::swap(handler, h);
  return h;
}

void HandleCallbackException(std::exception_ptr e) noexcept {
  TCallbackExceptionHandler h;
  {
    std::lock_guard lock(handlerLock);
    h = handler;
  }
  try {
    if (h) h(e);
    else DefaultHandler(e);
  } catch (...) {
    // A handler that fails itself has nowhere left to report to.
  }
}
