// The tray as another program sees it.
#include "Tray.h"

#include <shellapi.h>

namespace e2e {

bool TrayIconExists(HWND main) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = main;
  data.uID = kTrayIconId;
  data.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TrayClick(HWND main, UINT mouseMessage) { PostMessageW(main, kTrayCallback, kTrayIconId, mouseMessage); }

namespace {

HWND VisibleMenu(DWORD pid) {
  HWND menu = nullptr;
  while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(menu, &owner);
    if (owner == pid && IsWindowVisible(menu)) return menu;
  }
  return nullptr;
}

}  // namespace

HWND WaitForMenu(DWORD pid, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND menu = VisibleMenu(pid)) return menu;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Pause(50);
  }
}

void MenuKey(HWND menu, UINT virtualKey, int times) {
  for (int i = 0; i < times; ++i) {
    PostMessageW(menu, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(menu, WM_KEYUP, virtualKey, 0xC0000001);
    Pause(100);
  }
}

bool WaitUntilMenuClosed(DWORD pid, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (VisibleMenu(pid)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pause(50);
  }
  return true;
}

bool ChooseFromMenu(HWND main, DWORD pid, std::initializer_list<UINT> keys, DWORD timeoutMs) {
  TrayClick(main, WM_RBUTTONUP);
  HWND menu = WaitForMenu(pid, timeoutMs);
  if (!menu) return false;
  for (UINT key : keys) MenuKey(menu, key);
  MenuKey(menu, VK_RETURN);
  return WaitUntilMenuClosed(pid, timeoutMs);
}

namespace {

// The tray menu's entries that have a command, in their order: Corvane
// numbers them from 100 each time the menu opens ("Exit" keeps 9001).
const wchar_t* const kTrayMenuCommands[] = {L"Preferences",
                                            L"Internet Explorer History Cleaner",
                                            L"Windows History Cleaner",
                                            L"Applications History Cleaner",
                                            L"Popup Blocker Preferences",
                                            L"Windows Hotkey Preferences",
                                            L"Enable Auto History Cleaner",
                                            L"&Enable Popup Blocking",
                                            L"Play a Sound When a Popup Window is Blocked",
                                            L"Animate System Tray Icon When a Popup Window is Blocked",
                                            L"Enable Windows Hotkey",
                                            L"Clean a Browser When It Closes",
                                            L"&Contents and Topics",
                                            L"&Online Support",
                                            L"Online &FAQ",
                                            L"Submit Support Ticket",
                                            L"About Us"};

UINT KnownTrayMenuCommand(const std::wstring& caption) {
  if (caption == L"Exit") return 9001;
  for (UINT i = 0; i < sizeof kTrayMenuCommands / sizeof kTrayMenuCommands[0]; ++i) {
    if (caption == kTrayMenuCommands[i]) return 100 + i;
  }
  return 0;
}

// The command identifier of an entry anywhere in a menu, by caption.
UINT FindMenuCommand(HMENU menu, const std::wstring& caption) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (UINT id = FindMenuCommand(sub, caption)) return id;
      continue;
    }
    wchar_t text[256] = {0};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    if (caption == text) return GetMenuItemID(menu, i);
  }
  return 0;
}

}  // namespace

UINT TrayMenuCommandId(HWND main, const std::wstring& caption, DWORD timeoutMs) {
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  TrayClick(main, WM_RBUTTONUP);
  HWND popup = WaitForMenu(pid, timeoutMs);
  if (!popup) return 0;
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  UINT id = menu && GetMenuItemCount(menu) > 0 ? FindMenuCommand(menu, caption) : KnownTrayMenuCommand(caption);
  MenuKey(popup, VK_ESCAPE);
  WaitUntilMenuClosed(pid, timeoutMs);
  return id;
}

bool ChooseTrayMenuEntry(HWND main, const std::wstring& caption, DWORD timeoutMs) {
  UINT id = 0;
  for (int attempt = 0; attempt < 3 && !id; ++attempt) id = TrayMenuCommandId(main, caption, timeoutMs / 3 + 1);
  return id && PostMessageW(main, WM_COMMAND, id, 0);
}

std::optional<DWORD> ExitByCommand(HWND main, Process& corvane, DWORD timeoutMs) {
  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, timeoutMs, nullptr);
  return corvane.WaitForExit(timeoutMs);
}

HWND StartInTray(Process& corvane, DWORD timeoutMs, const std::function<void(HWND)>& atSplash) {
  // A settings key with the pop-up switches off: the start fills in the rest
  // without the read-error message.
  DeleteSettingsKey();
  for (const wchar_t* name : {L"CRVNPBStatus", L"SoundNotification", L"AnimTrayIcon"}) WriteSetting(name, 0);
  corvane = StartCorvane();
  if (!corvane.started()) return nullptr;
  // The splash shows for 1200 ms while the program sleeps; catch it on the way.
  DWORD start = GetTickCount();
  HWND splash = nullptr;
  while (!splash && GetTickCount() - start < timeoutMs) {
    HWND found = FindWindowW(L"TSplashScreen", nullptr);
    if (found && IsWindowVisible(found)) splash = found;
    Sleep(20);
  }
  if (!splash) return nullptr;
  Sleep(200);
  if (atSplash) {
    atSplash(splash);
  } else {
    Screenshot(splash, "splash");
  }
  if (!WaitUntilHidden(splash, timeoutMs)) return nullptr;
  return WaitForWindow(L"TCorvaneMain", L"Preferences", timeoutMs, corvane.id());
}

std::optional<std::wstring> ReadRunValue() {
  wchar_t value[1024] = {0};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Corvane", RRF_RT_REG_SZ,
                   nullptr, value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

}  // namespace e2e
