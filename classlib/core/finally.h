#pragma once
// TFinally: runs a cleanup when its scope ends, also when an exception leaves it (a cleanup
// that fails then is dropped, so the first exception is the one reported).
#include <exception>
#include <utility>

// Runs the cleanup when the scope ends, also by an exception.
template <class F>
class TFinally {
 public:
  explicit TFinally(F f) : FF(std::move(f)) {}
  ~TFinally() noexcept(false) {
    if (std::uncaught_exceptions() > FUncaught) {
      try {
        FF();
      } catch (...) {
      }
    } else {
      FF();
    }
  }
  TFinally(const TFinally&) = delete;
  TFinally& operator=(const TFinally&) = delete;

 private:
  F FF;
  int FUncaught = std::uncaught_exceptions();
};
