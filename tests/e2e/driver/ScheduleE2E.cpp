// The interval list of the real main window stores its choice only when the
// focus moves to another control of the window, not when the window hides.
#include <gtest/gtest.h>

#include <vector>

#include "Driver.h"
#include "Tray.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;

HWND OpenPreferences(HWND main) {
  if (!ChooseTrayMenuEntry(main, L"Preferences", kWait)) return nullptr;
  DWORD start = GetTickCount();
  while (!IsWindowVisible(main) && GetTickCount() - start < kWait) Pause(100);
  return IsWindowVisible(main) ? main : nullptr;
}

// A click gives the list the focus and drops it down; Escape folds it up,
// and the arrow key picks the first entry, as a person would.
bool ChooseTheFirstInterval(HWND combo) {
  PostMessageW(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
  PostMessageW(combo, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
  Pause(300);
  PostMessageW(combo, WM_KEYDOWN, VK_ESCAPE, 0);
  Pause(200);
  PostMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
  return WaitUntil([combo] { return SendMessageW(combo, CB_GETCURSEL, 0, 0) == 0; }, kWait);
}

TEST(ScheduleE2E, AnIntervalChosenAndLeftByHidingTheWindowIsNotStoredUntilTheFocusMoves) {
  Process corvane = StartCorvane();
  if (HWND box = WaitForMessageBox(L"An error has occurred while trying to read", 4000, corvane.id())) {
    AnswerMessageBox(box, IDOK);
  }
  HWND main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
  ASSERT_NE(main, nullptr);
  DWORD start = GetTickCount();
  while (ReadSetting(L"CorvaneRunning") != 1u && GetTickCount() - start < kWait) Pause(100);
  WaitPastSplash(corvane.id(), kWait);
  WriteSetting(L"CleanerSchedule", 0xFFFFFFFFu);

  ASSERT_NE(OpenPreferences(main), nullptr);
  HWND combo = FindWindowExW(main, nullptr, L"ComboBox", nullptr);
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(ChooseTheFirstInterval(combo));
  Screenshot(main, "schedule-interval-chosen");

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntilHidden(main, kWait));
  ASSERT_TRUE(Settled(main));
  EXPECT_EQ(ReadSetting(L"CleanerSchedule"), 0xFFFFFFFFu) << "hiding the window is no change of focus";

  ASSERT_NE(OpenPreferences(main), nullptr);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), -1) << "shown again, the list shows what is stored";
  EXPECT_TRUE(ChooseTheFirstInterval(combo));
  HWND autoBox = FindChild(main, L"Button", L"Enable auto history cleaner");
  ASSERT_NE(autoBox, nullptr);
  SendMessageTimeoutW(autoBox, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  start = GetTickCount();
  while (ReadSetting(L"CleanerSchedule") != 0u && GetTickCount() - start < kWait) Pause(100);
  EXPECT_EQ(ReadSetting(L"CleanerSchedule"), 0u) << "stored when the check box takes the focus";
  EXPECT_EQ(ReadSetting(L"AutoCleaner"), 1u);

  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
}

}  // namespace
}  // namespace e2e
