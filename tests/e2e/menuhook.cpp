// menuhook.dll: the module of the hook winctl sets on the thread of an open menu. The
// system loads it into that program, where the menu's items can be read (another process
// gets nothing for a menu handle), and it writes them into the shared memory winctl made:
// one line per item, submenus' items after their item, as
//   <index path>|<enabled 1/0>|<checked 1/0>|<caption, or - for a line>
#include <windows.h>

#include <cwchar>
#include <string>

#include "menuhook.h"

namespace {

void ListItems(HMENU Menu, const std::wstring& Path, std::wstring& Out) {
  int count = GetMenuItemCount(Menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 255;
    if (!GetMenuItemInfoW(Menu, static_cast<UINT>(i), TRUE, &info)) continue;
    std::wstring at = Path.empty() ? std::to_wstring(i) : Path + L"." + std::to_wstring(i);
    Out += at + L"|" + ((info.fState & MFS_DISABLED) ? L"0" : L"1") + L"|" + ((info.fState & MFS_CHECKED) ? L"1" : L"0") +
           L"|" + ((info.fType & MFT_SEPARATOR) ? std::wstring(L"-") : std::wstring(text)) + L"\n";
    if (info.hSubMenu) ListItems(info.hSubMenu, at, Out);
  }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ReadMenuHook(int Code, WPARAM W, LPARAM L) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(L);
  if (Code == HC_ACTION && sent->message == RegisterWindowMessageW(kReadMenuMessage)) {
    auto menu = reinterpret_cast<HMENU>(SendMessageW(sent->hwnd, MN_GETHMENU, 0, 0));
    std::wstring items;
    if (menu) ListItems(menu, L"", items);
    if (HANDLE map = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kMenuItemsMapping)) {
      if (auto* view = static_cast<wchar_t*>(MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0))) {
        wcsncpy(view, items.c_str(), kMenuItemsChars - 1);
        view[kMenuItemsChars - 1] = L'\0';
        UnmapViewOfFile(view);
      }
      CloseHandle(map);
    }
  }
  return CallNextHookEx(nullptr, Code, W, L);
}
