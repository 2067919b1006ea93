#pragma once
// How many GDI objects the test process holds. GetGuiResources answers nothing under
// Wine, so the live entries of the process's GDI handle table (which its process
// environment block points to) are counted instead. -1 when neither is available.
#include <intrin.h>

#include <cstdint>

#include "classlib/core/winapi.h"

inline int LiveGdiObjects() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // the intrinsic reads gs-relative memory
  auto* peb = reinterpret_cast<const std::uint8_t*>(__readgsqword(0x60));
#pragma GCC diagnostic pop
  auto* table = *reinterpret_cast<const std::uint8_t* const*>(peb + 0xF8);  // GdiSharedHandleTable
  if (!table) return -1;
  // Entries of 24 bytes; a live one has a type (byte 14).
  int live = 0;
  for (int i = 0; i < 0x10000; ++i)
    if (table[i * 24 + 14] != 0) ++live;
  return live;
}
