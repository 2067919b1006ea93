#pragma once
// What winctl and menuhook.dll share: the message that asks for an open menu's items and
// the shared memory they are written to.

// Sent to the menu's window (#32768).
inline constexpr wchar_t kReadMenuMessage[] = L"HoravoxWinctlReadMenu";
inline constexpr wchar_t kMenuItemsMapping[] = L"HoravoxWinctlMenuItems";
inline constexpr unsigned kMenuItemsChars = 16384;
