#pragma once
// TFinally: runs a cleanup when its scope ends, also when an exception leaves it (a cleanup
// that fails then is dropped, so the first exception is the one reported). TUpdateScope: an
// object's BeginUpdate held for a scope.
#include <exception>
#include <utility>

namespace classlib::detail {

// Runs a scope's cleanup from its destructor: a cleanup that fails while an exception is
// already leaving the scope is dropped (UncaughtAtStart: std::uncaught_exceptions() when the
// scope began).
template <class F>
void RunScopeCleanup(int UncaughtAtStart, F& Cleanup) {
  if (std::uncaught_exceptions() > UncaughtAtStart) {
    try {
      Cleanup();
    } catch (...) {
    }
  } else {
    Cleanup();
  }
}

}  // namespace classlib::detail

// Runs the cleanup when the scope ends, also by an exception.
template <class F>
class TFinally {
 public:
  explicit TFinally(F f) : FF(std::move(f)) {}
  ~TFinally() noexcept(false) { classlib::detail::RunScopeCleanup(FUncaught, FF); }
  TFinally(const TFinally&) = delete;
  TFinally& operator=(const TFinally&) = delete;

 private:
  F FF;
  int FUncaught = std::uncaught_exceptions();
};

// Calls Target->BeginUpdate() now and Target->EndUpdate() when the scope ends (a string list,
// a collection: their changes are reported once, at the end); nothing without a target.
template <class T>
class TUpdateScope {
 public:
  explicit TUpdateScope(T* Target) : FTarget(Target) {
    if (FTarget) FTarget->BeginUpdate();
  }
  ~TUpdateScope() noexcept(false) {
    auto end = [this] {
      if (FTarget) FTarget->EndUpdate();
    };
    classlib::detail::RunScopeCleanup(FUncaught, end);
  }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  T* FTarget;
  int FUncaught = std::uncaught_exceptions();
};
