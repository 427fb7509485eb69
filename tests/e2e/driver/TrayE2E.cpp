// The real program in the tray: its icon, the menu the tray callback opens, a
// toggle chosen from it, the main window and the about box, the blocked-pop-up
// announcement, and "Exit".
#include <gtest/gtest.h>

#include "Driver.h"
#include "Person.h"
#include "Tray.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;

// Keys that walk the tray menu from its top: the entries below the first that
// the arrow keys stop on (separators are skipped).
constexpr int kToPopupBlocker = 6;  // Preferences, History…, Popup…, Hotkey…, Enable Auto…, Popup Blocker
constexpr int kToHelp = 9;          // … Popup Blocker, Enable Windows Hotkey, Clean a Browser…, &Help

TEST(TrayE2E, TheIconItsMenuAndAPopupToggleChosenFromIt) {
  Process corvane;
  HWND main = StartInTray(corvane, kWait);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(TrayIconExists(main)) << "the shell knows the icon (window, 1005)";
  ASSERT_EQ(ReadSetting(L"CRVNPBStatus"), 0u);

  // The right button opens the menu at the cursor.
  TrayClick(main, WM_RBUTTONUP);
  HWND menu = WaitForMenu(corvane.id(), kWait);
  ASSERT_NE(menu, nullptr) << "the tray callback with WM_RBUTTONUP opens the menu";
  Screenshot(menu, "tray-menu");
  // "Popup Blocker" ▸ "&Enable Popup Blocking", the first entry of the submenu.
  MenuKey(menu, VK_DOWN, kToPopupBlocker);
  MenuKey(menu, VK_RIGHT);
  Screenshot(nullptr, "tray-menu-popup-blocker");
  MenuKey(menu, VK_RETURN);
  EXPECT_TRUE(WaitUntilMenuClosed(corvane.id(), kWait));
  EXPECT_TRUE(WaitForSetting(L"CRVNPBStatus", 1, kWait)) << "the toggle stores its new state";

  // Chosen again, with the check mark now shown, it goes back.
  TrayClick(main, WM_RBUTTONUP);
  menu = WaitForMenu(corvane.id(), kWait);
  ASSERT_NE(menu, nullptr);
  MenuKey(menu, VK_DOWN, kToPopupBlocker);
  MenuKey(menu, VK_RIGHT);
  Screenshot(nullptr, "tray-menu-popup-blocker-checked");
  MenuKey(menu, VK_RETURN);
  EXPECT_TRUE(WaitUntilMenuClosed(corvane.id(), kWait));
  EXPECT_TRUE(WaitForSetting(L"CRVNPBStatus", 0, kWait));

  // Escape closes the menu without choosing anything.
  TrayClick(main, WM_RBUTTONUP);
  menu = WaitForMenu(corvane.id(), kWait);
  ASSERT_NE(menu, nullptr);
  MenuKey(menu, VK_ESCAPE);
  EXPECT_TRUE(WaitUntilMenuClosed(corvane.id(), kWait));
  EXPECT_TRUE(corvane.Running());

  EXPECT_EQ(ExitByCommand(main, corvane, kWait), 0u);
}

TEST(TrayE2E, TheMainWindowShowsOnADoubleClickAndItsAutostartBoxWritesTheRunValue) {
  Process corvane;
  HWND main = StartInTray(corvane, kWait);
  ASSERT_NE(main, nullptr);
  ASSERT_FALSE(IsWindowVisible(main));

  TrayClick(main, WM_LBUTTONDBLCLK);
  DWORD start = GetTickCount();
  while (!IsWindowVisible(main) && GetTickCount() - start < kWait) Pause(100);
  ASSERT_TRUE(IsWindowVisible(main)) << "a double-click restores the program and shows Preferences";
  Pause(300);
  Screenshot(main, "main-window");
  Screenshot(nullptr, "main-window-on-screen");

  // The check boxes keep their captions as window text and their state in the BUTTON class.
  HWND autostart = FindChild(main, L"Button", L"Start Corvane when windows start");
  ASSERT_NE(autostart, nullptr);
  EXPECT_NE(FindChild(main, L"Button", L"Enable auto history cleaner"), nullptr);
  EXPECT_NE(FindChild(main, L"Button", L"Auto Run History Cleaner"), nullptr);
  EXPECT_NE(FindChild(main, L"Static", L"w w w . t e s s a l y . e x a m p l e"), nullptr);
  EXPECT_EQ(SendMessageW(autostart, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(ReadRunValue());

  SendMessageW(autostart, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(autostart, BM_GETCHECK, 0, 0), BST_CHECKED);
  auto run = ReadRunValue();
  ASSERT_TRUE(run);
  ASSERT_GT(run->size(), 16u);
  EXPECT_EQ(run->front(), L'"') << "quoted, for a path with blanks: " << *run;
  EXPECT_EQ(run->substr(run->size() - 13), L"\\corvane.exe\"");
  EXPECT_EQ(run->substr(2, 2), L":\\") << "a full path: " << *run;
  Pause(200);
  Screenshot(main, "main-window-autostart-checked");

  SendMessageW(autostart, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(autostart, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(ReadRunValue());

  // The close box only hides the window.
  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntilHidden(main, kWait));
  EXPECT_TRUE(corvane.Running());

  EXPECT_EQ(ExitByCommand(main, corvane, kWait), 0u);
}

// Moves the pointer to a screen point, waits (bounded) until the window under
// it shows `answered`, and gives the cursor it shows then.
HCURSOR PointerAt(int x, int y, const std::function<bool()>& answered) {
  SetCursorPos(x, y);
  WaitUntil(answered, kWait);
  CURSORINFO info{};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

TEST(TrayE2E, TheAboutBoxOpensModallyFromTheHelpMenuAndItsLinkLightsUp) {
  Process corvane;
  HWND main = StartInTray(corvane, kWait);
  ASSERT_NE(main, nullptr);

  TrayClick(main, WM_RBUTTONUP);
  HWND menu = WaitForMenu(corvane.id(), kWait);
  ASSERT_NE(menu, nullptr);
  MenuKey(menu, VK_DOWN, kToHelp);
  MenuKey(menu, VK_RIGHT);
  Screenshot(nullptr, "tray-menu-help");
  MenuKey(menu, VK_UP);  // from the first entry up to the last, "About Us"
  MenuKey(menu, VK_RETURN);

  HWND about = WaitForWindow(L"TAboutBox", L"About Us", kWait, corvane.id());
  ASSERT_NE(about, nullptr);
  DWORD start = GetTickCount();
  while (!IsWindowVisible(about) && GetTickCount() - start < kWait) Pause(100);
  ASSERT_TRUE(IsWindowVisible(about));
  Pause(300);
  Screenshot(about, "about-box");
  // Its picture (run-length encoded in the resources) is drawn: the colour by
  // the client's corner is one stripe of a gradient, not the whole box.
  RECT outer;
  GetWindowRect(about, &outer);
  POINT corner{4, 4};
  ClientToScreen(about, &corner);
  HDC screen = GetDC(nullptr);
  COLORREF cornerColor = GetPixel(screen, corner.x, corner.y);
  ReleaseDC(nullptr, screen);
  int area = (outer.right - outer.left) * (outer.bottom - outer.top);
  EXPECT_LT(CountScreenPixels(about, cornerColor), area / 4) << "the About picture is drawn";
  HWND link = FindChild(about, L"Static", L"w w w . t e s s a l y . e x a m p l e");
  ASSERT_NE(link, nullptr);

  // Modal: the program's other windows take no input while the box shows.
  EXPECT_FALSE(IsWindowEnabled(main));
  HWND other = WaitForWindow(L"THistoryCleanerPref", L"History Cleaner", 0, corvane.id());
  ASSERT_NE(other, nullptr);
  EXPECT_FALSE(IsWindowEnabled(other));
  EXPECT_TRUE(IsWindowEnabled(about));

  // The pointer over the link turns it red and the cursor a hand; off it,
  // white and the arrow again. Wine refuses another process's cursor to
  // GetIconInfo (ERROR_INVALID_CURSOR_HANDLE), so the cursor is told apart
  // by its handle between the two places rather than by its picture.
  RECT box, r;
  GetWindowRect(about, &box);
  GetWindowRect(link, &r);
  const COLORREF red = RGB(255, 0, 0), white = RGB(255, 255, 255);
  auto hot = [&] { return CountScreenPixels(link, red) > 0 && CountScreenPixels(link, white) == 0; };
  auto cold = [&] { return CountScreenPixels(link, white) > 0 && CountScreenPixels(link, red) == 0; };
  HCURSOR offLink = PointerAt(box.left + 40, box.bottom - 30, cold);
  HCURSOR onLink = PointerAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, hot);
  Screenshot(about, "about-box-link-hot");
  EXPECT_TRUE(hot()) << "red over the link";
  EXPECT_NE(onLink, offLink) << "the hand over the link";
  EXPECT_EQ(PointerAt(box.left + 40, box.bottom - 30, cold), offLink) << "the arrow again off it";
  Screenshot(about, "about-box-link-cold");
  EXPECT_TRUE(cold()) << "white off the link";

  SendMessageW(about, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntilHidden(about, kWait));
  // The modal loop enables them once it has seen the box hidden.
  DWORD hidden = GetTickCount();
  while (!IsWindowEnabled(main) && GetTickCount() - hidden < kWait) Pause(50);
  EXPECT_TRUE(IsWindowEnabled(main)) << "the other windows take input again";
  EXPECT_TRUE(corvane.Running());

  // Windows ends the session: the program agrees, then ends as Exit does.
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kWait, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_TRUE(corvane.Running()) << "asking ends nothing";
  SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_FALSE(TrayIconExists(main)) << "gone before WM_ENDSESSION returns";
  EXPECT_EQ(ReadSetting(L"CorvaneRunning"), 0u);
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
}

// Sends WM_COPYDATA as the blocker module does; returns the milliseconds until it returned.
double SendBlockedPopup(HWND main, const void* data, DWORD size, LRESULT* answer, ULONG_PTR dataId = 1) {
  COPYDATASTRUCT copy{dataId, size, const_cast<void*>(data)};
  LARGE_INTEGER frequency, before, after;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&before);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, kWait, &result);
  QueryPerformanceCounter(&after);
  *answer = static_cast<LRESULT>(result);
  return static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

TEST(TrayE2E, ABlockedPopupReportReturnsOnlyAfterTheAnnouncementAndAFloodIsCountedNotPlayed) {
  Process corvane;
  HWND main = StartInTray(corvane, kWait);
  ASSERT_NE(main, nullptr);
  // Both announcements on, through the tray menu's check marks: the second and
  // third entries of "Popup Blocker".
  const UINT down = VK_DOWN, right = VK_RIGHT;
  ASSERT_TRUE(ChooseFromMenu(main, corvane.id(), {down, down, down, down, down, down, right, down}, kWait));
  ASSERT_TRUE(ChooseFromMenu(main, corvane.id(), {down, down, down, down, down, down, right, down, down}, kWait));
  ASSERT_TRUE(WaitForSetting(L"SoundNotification", 1, kWait));
  ASSERT_TRUE(WaitForSetting(L"AnimTrayIcon", 1, kWait));

  const char address[] = "http://popup.example/ad";
  LRESULT answer = 0;
  double ms = SendBlockedPopup(main, address, sizeof address, &answer);
  std::printf("WM_COPYDATA with both announcements on returned after %.0f ms\n", ms);
  EXPECT_GE(ms, 2400.0) << "the sender waits for the sound and the four blinks";
  EXPECT_EQ(answer, 1);

  // At once after it, a flood: no block at all, one far longer than any
  // address and not terminated, and twenty reports of pop-up windows the
  // module could not count (the tag 0x4356 and one in the low word), each
  // counted here and none announced.
  const DWORD counted = ReadSetting(L"EPWC").value_or(0);
  ms = SendBlockedPopup(main, nullptr, 0, &answer);
  std::printf("WM_COPYDATA without a block, just after, returned after %.0f ms\n", ms);
  std::string longBlock(256 * 1024, 'x');
  ms += SendBlockedPopup(main, longBlock.data(), static_cast<DWORD>(longBlock.size()), &answer);
  for (int i = 0; i < 20; ++i) ms += SendBlockedPopup(main, address, sizeof address, &answer, 0x43560001);
  std::printf("22 reports just after an announcement returned after %.0f ms in all\n", ms);
  EXPECT_LT(ms, 2400.0) << "a flood is not played one by one";
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(ReadSetting(L"EPWC"), counted + 20) << "every report the module could not count is counted";

  // Once the gap after the last announcement has passed, the next is played.
  Pause(3200);
  ms = SendBlockedPopup(main, longBlock.data(), static_cast<DWORD>(longBlock.size()), &answer);
  std::printf("WM_COPYDATA with a 256 KiB block after the gap returned after %.0f ms\n", ms);
  EXPECT_GE(ms, 2400.0);
  EXPECT_TRUE(corvane.Running());
  EXPECT_TRUE(TrayIconExists(main)) << "the animation ends on the icon, still in the tray";

  // "Exit" from the menu: the last entry, one step up from the top.
  ASSERT_TRUE(ChooseFromMenu(main, corvane.id(), {VK_UP}, kWait));
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
  EXPECT_EQ(ReadSetting(L"CorvaneRunning"), 0u);
  EXPECT_FALSE(TrayIconExists(main)) << "the icon is gone with the program";
}

}  // namespace
}  // namespace e2e
