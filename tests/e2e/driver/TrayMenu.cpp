// Driving the tray menu with the keyboard: the menu's own loop reads the keys
// posted to its window from the program's queue.
#include "TrayMenu.h"

#include "Driver.h"

namespace e2e {

namespace {

constexpr UINT kTrayCallback = 2025;
constexpr WPARAM kTrayIconId = 1005;

HWND VisibleMenuOf(DWORD pid) {
  HWND menu = nullptr;
  while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(menu, &owner);
    if (owner == pid && IsWindowVisible(menu)) return menu;
  }
  return nullptr;
}

void PressKey(HWND menu, UINT key, int times) {
  for (int i = 0; i < times; ++i) {
    PostMessageW(menu, WM_KEYDOWN, key, 1);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
    Pause(100);
  }
}

}  // namespace

bool ChooseTrayEntry(HWND main, int position, int subPosition, DWORD timeoutMs) {
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  PostMessageW(main, kTrayCallback, kTrayIconId, WM_RBUTTONUP);
  HWND menu = nullptr;
  DWORD start = GetTickCount();
  while (!(menu = VisibleMenuOf(pid))) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pause(50);
  }
  // The first Down selects the first entry; separators are passed over.
  PressKey(menu, VK_DOWN, position + 1);
  if (subPosition >= 0) {
    PressKey(menu, VK_RIGHT, 1);  // opens the submenu on its first entry
    PressKey(VisibleMenuOf(pid), VK_DOWN, subPosition);
  }
  PressKey(VisibleMenuOf(pid), VK_RETURN, 1);
  start = GetTickCount();
  while (VisibleMenuOf(pid)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pause(50);
  }
  return true;
}

}  // namespace e2e
