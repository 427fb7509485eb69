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

std::optional<DWORD> ExitByCommand(HWND main, Process& corvane, DWORD timeoutMs) {
  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, timeoutMs, nullptr);
  return corvane.WaitForExit(timeoutMs);
}

HWND StartInTray(Process& corvane, DWORD timeoutMs) {
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
  Screenshot(splash, "splash");
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
