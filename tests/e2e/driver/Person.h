// What a person does to a running Corvane and then looks for: waits for a
// window to show or a preference to be stored, keys typed through the X
// server, and whether a hotkey combination is held.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Waits, bounded, until the settings key holds `expected` under `name`.
bool WaitForSetting(const std::wstring& name, DWORD expected, DWORD timeoutMs);
// Waits, bounded, until a window is visible.
bool WaitUntilVisible(HWND window, DWORD timeoutMs);
// Whether a check box or radio box of another process is checked.
bool IsChecked(HWND box);
// True when the combination is free: it can be registered here (and is
// released again at once). Corvane holding it makes this fail.
bool CombinationIsFree(UINT modifiers, UINT key);
// Types keys through the X server with xdotool, as a person at the keyboard
// would, after a click at (x, y) on one of our windows: the click gives Wine
// the X focus, which the pointer alone does not when an earlier test's window
// had it. Wine starts a Unix program without a handle to wait on, so the
// caller waits for the effect instead. False without xdotool.
bool TypeKeysThroughX(int x, int y, const std::wstring& keys);

}  // namespace e2e
