#include "classlib/core/clipbrd.h"

#include <cstring>

#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

namespace {

// The clipboard is opened for one operation at a time; another program may hold it a
// moment, so opening is tried a few times.
class TClipboardOpen {
 public:
  TClipboardOpen() {
    for (int i = 0; i < 5 && !FOpen; ++i) {
      FOpen = OpenClipboard(nullptr) != 0;
      if (!FOpen) Sleep(10);
    }
  }
  ~TClipboardOpen() {
    if (FOpen) CloseClipboard();
  }
  bool Open() const { return FOpen; }

 private:
  bool FOpen = false;
};

class TSystemClipboard : public TClipboard {
 public:
  bool HasText() override { return IsClipboardFormatAvailable(CF_UNICODETEXT) != 0; }

  std::string GetAsText() override {
    TClipboardOpen open;
    if (!open.Open()) return {};
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (!text) return {};
    // Bounded by the block's size: a text without its terminating zero reads no further.
    size_t most = GlobalSize(data) / sizeof(wchar_t);
    std::wstring value(text, wcsnlen(text, most));
    GlobalUnlock(data);
    return WideToUtf8(value);
  }

  void SetAsText(const std::string& Text) override {
    std::wstring wide = Utf8ToWide(Text);
    TClipboardOpen open;
    if (!open.Open()) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!block) return;
    void* p = GlobalLock(block);
    std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
  }
};

}  // namespace

TClipboard& SystemClipboard() {
  static TSystemClipboard clipboard;
  return clipboard;
}
