#include "classlib/windows/application.h"
#include "classlib/windows/pictures.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#include "controls/kitapp.h"

std::intptr_t controls::detail::CreateInstanceMutex(const String& Name, bool& AlreadyExists) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Utf8ToWide(Name).c_str());
  AlreadyExists = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
  return reinterpret_cast<std::intptr_t>(mutex);
}

void controls::detail::CloseInstanceMutex(std::intptr_t Mutex) {
  if (Mutex) CloseHandle(reinterpret_cast<HANDLE>(Mutex));
}

std::int64_t controls::detail::QueryPerformanceFrequency() {
  LARGE_INTEGER f;
  return ::QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
}

void controls::detail::InstallHandCursor() {
  // A cursor of our own either way: the screen destroys the cursors it holds, and the
  // system's shared one must stay.
  auto cursor = static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kKitHandCursorResource),
                                                IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  if (!cursor) cursor = CopyIcon(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
  Screen->SetCursors(crKitHand, cursor);
}

void controls::detail::DeleteBitmap(TBitmap* Bitmap) { delete Bitmap; }

TBitmap* TKitApplication::GetCheckerBrushBitmap(TColor Color) {
  std::uint32_t rgb = Color == clNone ? 0xFFFFFF : ColorToRGB(Color) & 0xFFFFFF;
  if (FCheckerBitmap && rgb == FCheckerColor) return FCheckerBitmap;
  if (!FCheckerBitmap) {
    FCheckerBitmap = new TBitmap;
    FCheckerBitmap->SetSize(8, 8);  // white
  }
  TCanvas* canvas = FCheckerBitmap->Canvas();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if ((x ^ y) & 1) canvas->SetPixels(x, y, static_cast<TColor>(rgb));
  FCheckerBitmap->FreeContext();  // free for brushes and GetDIBits
  FCheckerColor = rgb;
  return FCheckerBitmap;
}
