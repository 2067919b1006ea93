#include "xbase/filebackend.h"

#include <chrono>
#include <thread>

namespace {
TxbFileSystem*& Installed() {
  static TxbFileSystem* fs = nullptr;
  return fs;
}
}  // namespace

TxbFileSystem& FileSystem() {
  TxbFileSystem* fs = Installed();
  return fs ? *fs : SystemFileSystem();
}

TxbFileSystemScope::TxbFileSystemScope(TxbFileSystem& fs) : FPrevious(Installed()) { Installed() = &fs; }
TxbFileSystemScope::~TxbFileSystemScope() { Installed() = FPrevious; }

TxbLockRetryPolicy& LockRetryPolicy() {
  static TxbLockRetryPolicy policy;
  return policy;
}

bool RetryLock(const std::function<bool()>& tryLock) {
  const TxbLockRetryPolicy& policy = LockRetryPolicy();
  int attempts = policy.Attempts < 1 ? 1 : policy.Attempts;
  for (int i = 0; i < attempts; ++i) {
    if (tryLock()) return true;
    if (policy.Sleep)
      policy.Sleep(policy.IntervalMs);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(policy.IntervalMs));
  }
  return false;
}
