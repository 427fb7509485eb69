// The driver's view of Corvane's tray: whether the shell holds its icon, its
// tray callback, and the pop-up menu it opens, chosen from by caption or
// worked with the keyboard as a person does.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "Driver.h"

namespace e2e {

constexpr UINT kTrayCallback = 2025;
constexpr UINT kTrayIconId = 1005;

// Whether the shell holds an icon (window, 1005): a modification that changes
// nothing succeeds only for an icon the shell knows.
bool TrayIconExists(HWND main);

// Sends the tray callback with a mouse message (WM_RBUTTONUP, WM_LBUTTONDBLCLK).
void TrayClick(HWND main, UINT mouseMessage);

// The visible pop-up menu window ("#32768") of process `pid`, waited for.
HWND WaitForMenu(DWORD pid, DWORD timeoutMs);
// Presses a key in the open menu: the menu's own loop reads it from the queue.
void MenuKey(HWND menu, UINT virtualKey, int times = 1);
// Waits until no menu window of the process shows.
bool WaitUntilMenuClosed(DWORD pid, DWORD timeoutMs);

// Opens the menu with the tray callback, presses `keys` in it and then Enter;
// true once the menu has closed.
bool ChooseFromMenu(HWND main, DWORD pid, std::initializer_list<UINT> keys, DWORD timeoutMs);

// The command identifier of the tray menu entry with this caption: opens the
// menu with the tray callback, reads the identifier from the open menu where
// the system lets another process read it (Wine does not: GetMenuItemCount
// gives -1 there), otherwise takes it from the menu's known order, and closes
// the menu again with Escape. 0 when the menu did not open or has no such entry.
UINT TrayMenuCommandId(HWND main, const std::wstring& caption, DWORD timeoutMs);
// Chooses a tray menu entry by caption: its identifier as WM_COMMAND to the
// main window. A menu that closes at once as it opens (Wine, when another
// window is hiding just then) is opened again, up to three times.
bool ChooseTrayMenuEntry(HWND main, const std::wstring& caption, DWORD timeoutMs);

// "Exit" as the uninstaller asks for it; the program's exit code.
std::optional<DWORD> ExitByCommand(HWND main, Process& corvane, DWORD timeoutMs);

// Starts corvane.exe on a fresh settings key and waits until it sits in the
// tray (the splash, given to `atSplash` while it shows, gone; by default kept
// as a screenshot). Returns the main window.
HWND StartInTray(Process& corvane, DWORD timeoutMs, const std::function<void(HWND)>& atSplash = {});

// The autostart value `Corvane` under HKEY_CURRENT_USER's Run key.
std::optional<std::wstring> ReadRunValue();

}  // namespace e2e
