#include "classlib/core/clipbrd.h"

namespace {
TClipboard* installed = nullptr;
}

TClipboard& Clipboard() { return installed ? *installed : SystemClipboard(); }

TClipboardScope::TClipboardScope(TClipboard& Clipboard) : FPrevious(installed) { installed = &Clipboard; }
TClipboardScope::~TClipboardScope() { installed = FPrevious; }

#ifndef _WIN32
// No desktop clipboard without Windows: one store for the process.
TClipboard& SystemClipboard() {
  static TMemoryClipboard clipboard;
  return clipboard;
}
#endif
