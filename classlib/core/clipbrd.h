#pragma once
// The clipboard's text, behind a seam: production binds it to the system's clipboard
// (Unicode text under Windows; a process-wide store in the native tree), tests install a
// TMemoryClipboard for as long as a TClipboardScope lives, so nothing they copy reaches the
// desktop and nothing on the desktop changes what they read.
#include <string>

class TClipboard {
 public:
  virtual ~TClipboard() = default;
  // The clipboard holds text.
  virtual bool HasText() = 0;
  // The text (UTF-8); "" when there is none.
  virtual std::string GetAsText() = 0;
  // Replaces what the clipboard holds by Text.
  virtual void SetAsText(const std::string& Text) = 0;
};

// The clipboard in use: the installed one, otherwise the system's.
TClipboard& Clipboard();
TClipboard& SystemClipboard();

// Installs a clipboard for as long as it lives, then puts the previous one back.
class TClipboardScope {
 public:
  explicit TClipboardScope(TClipboard& Clipboard);
  ~TClipboardScope();
  TClipboardScope(const TClipboardScope&) = delete;
  TClipboardScope& operator=(const TClipboardScope&) = delete;

 private:
  TClipboard* FPrevious;
};

// A clipboard in memory (for tests, and the native tree's system one).
class TMemoryClipboard : public TClipboard {
 public:
  bool HasText() override { return FHasText; }
  std::string GetAsText() override { return FHasText ? FText : std::string(); }
  void SetAsText(const std::string& Text) override {
    FText = Text;
    FHasText = true;
  }
  void Clear() {
    FText.clear();
    FHasText = false;
  }

 private:
  std::string FText;
  bool FHasText = false;
};
