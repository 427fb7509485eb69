// The Windows hotkey of the real program: switched on from the tray, a press
// hides and shows a stand-in browser's "IEFrame" windows (and no other class)
// and the windows of a stand-in named as a browser of the table, and Exit
// shows them again; the preferences window changes the combination,
// which the system holds for Corvane only while the hotkey is enabled.
#include <gtest/gtest.h>

#include <string>

#include "Driver.h"
#include "Tray.h"
#include "Person.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;

bool WaitForSetting(const std::wstring& name, DWORD expected) { return e2e::WaitForSetting(name, expected, kWait); }

void PressHotkey(HWND main, WPARAM id) {
  SendMessageTimeoutW(main, WM_HOTKEY, id, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
}

class BossKeyE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSetting(L"WindowsHotKeyS", 0);
    WriteSetting(L"IEWHotKey", 1);
    WriteSetting(L"WinVolControl", 1);  // no sound card under Wine: the volume step does nothing
    WriteSetting(L"HotkeyCombination", 1);
    browser = Process(L"\"" + BinFolder() + L"ieframes.exe\"");
    ASSERT_TRUE(browser.started());
    one = WaitForWindow(L"IEFrame", L"Browser One", kWait, browser.id());
    two = WaitForWindow(L"IEFrame", L"Browser Two", kWait, browser.id());
    other = WaitForWindow(L"IEFrameX", L"Not A Browser", kWait, browser.id());
    ASSERT_TRUE(one && two && other);

    corvane = StartCorvane();
    main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForSetting(L"CorvaneRunning", 1));
    ASSERT_EQ(ReadSetting(L"IEStatus"), 0u);
  }
  void TearDown() override {
    if (main) SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
    EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
  }

  Process browser, corvane;
  HWND one = nullptr, two = nullptr, other = nullptr, main = nullptr;
};

TEST_F(BossKeyE2E, TheTrayEntryEnablesTheHotkeyAndPressesHideAndShowOnlyTheBrowsersWindows) {
  // The stand-in under Chrome's program file name: every window of it is a
  // browser's, whatever its class.
  CreateDirectoryW(L"C:\\stand-in", nullptr);
  ASSERT_TRUE(CopyFileW((BinFolder() + L"ieframes.exe").c_str(), L"C:\\stand-in\\chrome.exe", FALSE));
  Process chrome(L"\"C:\\stand-in\\chrome.exe\"");
  ASSERT_TRUE(chrome.started());
  HWND chromeWindow = WaitForWindow(L"IEFrameX", L"Not A Browser", kWait, chrome.id());
  ASSERT_NE(chromeWindow, nullptr);
  ASSERT_TRUE(CombinationIsFree(MOD_CONTROL, VK_F12)) << "not registered while disabled";
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Enable Windows Hotkey", kWait));
  ASSERT_TRUE(WaitForSetting(L"WindowsHotKeyS", 1));
  EXPECT_FALSE(CombinationIsFree(MOD_CONTROL, VK_F12)) << "Corvane holds CTRL + F12 now";
  EXPECT_TRUE(CombinationIsFree(MOD_ALT, VK_F1));

  // The first press after the start takes the show branch.
  PressHotkey(main, 2);
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 1));
  EXPECT_TRUE(IsWindowVisible(one) && IsWindowVisible(two) && IsWindowVisible(other));

  PressHotkey(main, 2);
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 0));
  EXPECT_TRUE(WaitUntilHidden(one, kWait));
  EXPECT_TRUE(WaitUntilHidden(two, kWait));
  EXPECT_TRUE(WaitUntilHidden(chromeWindow, kWait)) << "chrome.exe's window";
  EXPECT_TRUE(IsWindowVisible(other)) << "IEFrameX is not a browser frame";
  Screenshot(nullptr, "hotkey-frames-hidden");

  PressHotkey(main, 3);  // not one of ours; sent, so handled when this returns
  EXPECT_EQ(ReadSetting(L"IEStatus"), 0u);
  EXPECT_FALSE(IsWindowVisible(one));

  PressHotkey(main, 1);
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 1));
  EXPECT_TRUE(IsWindowVisible(one));
  EXPECT_TRUE(IsWindowVisible(two));
  EXPECT_TRUE(IsWindowVisible(chromeWindow));
  Screenshot(nullptr, "hotkey-frames-shown");

  // Switched off again: the combination is released.
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Enable Windows Hotkey", kWait));
  EXPECT_TRUE(WaitForSetting(L"WindowsHotKeyS", 0));
  DWORD start = GetTickCount();
  while (!CombinationIsFree(MOD_CONTROL, VK_F12) && GetTickCount() - start < kWait) Pause(100);
  EXPECT_TRUE(CombinationIsFree(MOD_CONTROL, VK_F12));
}

TEST_F(BossKeyE2E, ARealKeyPressThroughTheXServerReachesTheHotkey) {
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Enable Windows Hotkey", kWait));
  ASSERT_TRUE(WaitForSetting(L"WindowsHotKeyS", 1));
  RECT r;
  GetWindowRect(other, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;

  ASSERT_TRUE(TypeKeysThroughX(x, y, L"ctrl+F12")) << "xdotool is needed (scripts/setup.sh installs it)";
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 1)) << "the first press shows";
  ASSERT_TRUE(TypeKeysThroughX(x, y, L"ctrl+F12"));
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 0));
  EXPECT_TRUE(WaitUntilHidden(one, kWait));
  EXPECT_TRUE(WaitUntilHidden(two, kWait));
  EXPECT_TRUE(IsWindowVisible(other));

  // alt+F1 is not the registered combination. Typed by one xdotool, the keys
  // arrive in order: once the ctrl+F12 after it has shown the windows,
  // alt+F1 has done nothing.
  ASSERT_TRUE(TypeKeysThroughX(x, y, L"alt+F1 ctrl+F12"));
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 1)) << "alt+F1 toggled nothing: ctrl+F12 shows";
  EXPECT_TRUE(IsWindowVisible(one));
  ASSERT_TRUE(TypeKeysThroughX(x, y, L"ctrl+F12"));
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 0));
  EXPECT_TRUE(WaitUntilHidden(one, kWait));

  // Exit brings back what the hotkey hid.
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Exit", kWait));
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
  main = nullptr;
  EXPECT_TRUE(IsWindowVisible(one) && IsWindowVisible(two));
  EXPECT_EQ(ReadSetting(L"IEStatus"), 1u) << "stored as shown";
  EXPECT_TRUE(CombinationIsFree(MOD_CONTROL, VK_F12));
}

TEST_F(BossKeyE2E, ThePreferencesWindowShowsTheStoredStateAndChangesTheCombination) {
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Windows Hotkey Preferences", kWait));
  HWND pref = WaitForWindow(L"TBossKeyPref", L"Windows Hotkey Prefrences", kWait, corvane.id());
  ASSERT_NE(pref, nullptr);
  DWORD start = GetTickCount();
  while (!IsWindowVisible(pref) && GetTickCount() - start < kWait) Pause(100);
  ASSERT_TRUE(IsWindowVisible(pref));
  RECT client;
  GetClientRect(pref, &client);
  EXPECT_EQ(client.right, 370);
  EXPECT_EQ(client.bottom, 319);

  for (const wchar_t* caption :
       {L"Windows Hotkey Status", L"Internet Explorer Hotkey Status", L"Windows Volume Control", L"Windows Hotkey"}) {
    EXPECT_NE(FindChild(pref, L"Button", caption), nullptr) << "group box";
  }
  HWND enable = FindChild(pref, L"Button", L"Enable windows hotkey");
  HWND browserBox = FindChild(pref, L"Button", L"Enable Internet Explorer hotkey");
  HWND volume = FindChild(pref, L"Button", L"Enable windows volume control");
  HWND ctrlF12 = FindChild(pref, L"Button", L"CTRL + F12");
  HWND altF1 = FindChild(pref, L"Button", L"ALT + F1");
  HWND allBrowsers = FindChild(pref, L"Button", L"Also hide the other browsers' windows");
  ASSERT_TRUE(enable && browserBox && volume && ctrlF12 && altF1 && allBrowsers);
  auto checked = [](HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; };
  EXPECT_TRUE(checked(allBrowsers)) << "on unless cleared";
  EXPECT_FALSE(checked(enable));
  EXPECT_TRUE(checked(browserBox));
  EXPECT_TRUE(checked(volume));
  EXPECT_TRUE(checked(ctrlF12));
  EXPECT_FALSE(checked(altF1));
  Pause(500);
  EXPECT_TRUE(Screenshot(pref, "hotkey-preferences"));

  // "ALT + F1" while the hotkey is disabled: stored, and left to other programs.
  SendMessageTimeoutW(altF1, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_TRUE(WaitForSetting(L"HotkeyCombination", 0));
  EXPECT_TRUE(checked(altF1));
  EXPECT_FALSE(checked(ctrlF12));
  EXPECT_TRUE(CombinationIsFree(MOD_ALT, VK_F1)) << "another program can take ALT + F1";
  EXPECT_TRUE(CombinationIsFree(MOD_CONTROL, VK_F12));

  // Enabled here: ALT + F1 is held, the tray entry and the press handler follow at once.
  SendMessageTimeoutW(enable, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_TRUE(WaitForSetting(L"WindowsHotKeyS", 1));
  EXPECT_TRUE(checked(enable));
  EXPECT_FALSE(CombinationIsFree(MOD_ALT, VK_F1));
  PressHotkey(main, 1);
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 1));
  PressHotkey(main, 1);
  EXPECT_TRUE(WaitUntilHidden(one, kWait));
  EXPECT_TRUE(IsWindowVisible(other));
  Screenshot(pref, "hotkey-preferences-enabled");

  // The browser action switched off: the frames it hid come back.
  SendMessageTimeoutW(browserBox, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_TRUE(WaitForSetting(L"IEWHotKey", 0));
  EXPECT_TRUE(WaitUntilVisible(one, kWait));
  EXPECT_TRUE(IsWindowVisible(two));
  EXPECT_EQ(ReadSetting(L"IEStatus"), 1u);
}

}  // namespace
}  // namespace e2e
