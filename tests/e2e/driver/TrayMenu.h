// Choosing an entry of Corvane's tray menu from another process with the
// keyboard, as a person can. Under Wine another process's menu cannot be read
// (GetMenuItemCount on the handle MN_GETHMENU gives answers -1), so entries
// are reached by their place in the menu.
#pragma once

#include <windows.h>

namespace e2e {

// Opens the tray menu of the main window `main` (the tray callback with a
// right click), moves down to the entry at `position` among the entries that
// are not separators, and for a submenu opens it and moves to `subPosition`;
// then presses Enter and waits until the menu has closed. False when the menu
// did not open or close in time.
bool ChooseTrayEntry(HWND main, int position, int subPosition, DWORD timeoutMs);

}  // namespace e2e
