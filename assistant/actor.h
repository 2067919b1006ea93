#pragma once
// TAssistantActor: a character delivered as an actor library, a DLL that exports
// GetActorInfo (returning the actor header in the library's own memory) and carries the
// compressed animation streams as numbered binary-data resources and the frame sounds as
// numbered "WAVE" resources. Read only. BitmapToRegion turns a bitmap into a window region.
#include <functional>
#include <mutex>
#include <optional>

#include "assistant/actorformat.h"
#include "assistant/regionruns.h"
#include "classlib/core/winapi.h"

class TAssistantActor : public TObject {
  HX_CLASS(TAssistantActor, TObject)
 public:
  TAssistantActor() = default;
  ~TAssistantActor() override;

  // Loads FileName's library and reads its header; nothing when already open. EActorError
  // "<file>\r\nFile not found" or "<file>\r\nFile is not a valid actor library".
  void Open();
  // Calls OnClose, then unloads the library.
  void Close();
  const String& GetFileName() const { return FFileName; }
  // Another name (letter case ignored) closes the old library and opens the new one; the
  // same name while open does nothing; an empty name only closes.
  void SetFileName(const String& fileName);
  bool IsClosed() const;

  // Header values; 0 (or none) while closed.
  int AnimationCount() const;
  int FrameWidth() const;
  int FrameHeight() const;
  int TransparentIndex() const;
  String ActorName() const;
  HPALETTE Palette() const { return FPalette; }        // owned by the actor
  COLORREF TransparentColor() const { return FTransparentColor; }
  // Record i (1-based), by value; none while closed or out of range.
  std::optional<TAnimationRecord> Animation(int i) const;
  std::optional<TPaletteEntry> PaletteEntry(int index) const;
  int FindAnimation(int category, int n) const;
  int IndexOfName(const String& name) const;
  // The library, for its "WAVE" resources; null while closed.
  HMODULE Module() const { return FModule; }
  // Decompresses and reads animation i's stream. EActorError naming the file and the
  // animation when it is out of range, its resource is missing or its stream is corrupt.
  TActorAnimation ReadAnimation(int i) const;

  void Lock() const { FLock.lock(); }
  void Unlock() const { FLock.unlock(); }

  std::function<void(TAssistantActor* Sender)> OnOpen;
  std::function<void(TAssistantActor* Sender)> OnClose;

 private:
  [[noreturn]] void Fail(const std::string& why) const;

  HMODULE FModule = nullptr;
  HPALETTE FPalette = nullptr;
  COLORREF FTransparentColor = 0;
  String FFileName;
  std::optional<TActorHeader> FHeader;
  mutable std::recursive_mutex FLock;  // the actor lock: loading and unloading against readers
};

// A new region (owned by the caller) of the bitmap's pixels that are not transparent.
// 1-bit bitmaps compare each bit with `transparent` (0 or 1), 8-bit ones each palette index;
// other formats compare each pixel's colour with the RGB colour `transparent`. An empty
// bitmap gives the empty region (0, 0, 0, 0).
HRGN BitmapToRegion(HBITMAP bitmap, std::uint32_t transparent);
// A region made of the rectangles within a width × height box.
HRGN RegionFromRects(const std::vector<TRunRect>& rects, int width, int height);
