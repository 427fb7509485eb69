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
    // No sound card under Wine: a press with the volume step on says once that
    // there is nothing to mute (its own test below).
    WriteSetting(L"WinVolControl", 0);
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
  EXPECT_FALSE(checked(volume));
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

// Wine's Core Audio has no playback device here and answers E_NOTFOUND, as
// Windows does on a machine without one: the first press says so, once.
TEST_F(BossKeyE2E, WithoutASoundDeviceTheFirstMutingPressSaysSoOnce) {
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Enable Windows Hotkey", kWait));
  ASSERT_TRUE(WaitForSetting(L"WindowsHotKeyS", 1));
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Windows Hotkey Preferences", kWait));
  HWND pref = WaitForWindow(L"TBossKeyPref", L"Windows Hotkey Prefrences", kWait, corvane.id());
  ASSERT_NE(pref, nullptr);
  HWND volume = FindChild(pref, L"Button", L"Enable windows volume control");
  ASSERT_NE(volume, nullptr);
  SendMessageTimeoutW(volume, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  ASSERT_TRUE(WaitForSetting(L"WinVolControl", 1));

  PostMessageW(main, WM_HOTKEY, 2, 0);  // the press waits for the message
  HWND box = WaitForMessageBox(L"no sound output device", kWait, corvane.id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"Windows has no sound output device, so the Windows hotkey has no sound to mute.");
  Screenshot(box, "hotkey-no-sound-device");
  ASSERT_TRUE(AnswerMessageBox(box, IDOK));
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 1)) << "the window step still ran";
  PostMessageW(main, WM_HOTKEY, 2, 0);
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 0));
  EXPECT_EQ(WaitForMessageBox(L"no sound output device", 1500, corvane.id()), nullptr) << "said once";
}

// Another program took CTRL + F12 first (this driver, registering it for its
// own thread): Windows refuses it to Corvane, which says so, offers ALT + F1
// and shows the hotkey off until it holds a combination.
TEST_F(BossKeyE2E, ACombinationAnotherProgramHoldsIsToldAndTheOtherOneTaken) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x7B01, MOD_CONTROL, VK_F12));
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Enable Windows Hotkey", kWait));
  HWND box = WaitForMessageBox(L"is used by another program", kWait, corvane.id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box),
            L"CTRL + F12 is used by another program, so the Windows hotkey is off. Use ALT + F1 instead?");
  Screenshot(box, "hotkey-taken");
  ASSERT_TRUE(AnswerMessageBox(box, IDNO));
  EXPECT_TRUE(WaitForSetting(L"WindowsHotKeyS", 1)) << "the choice stays, for the next start";
  EXPECT_EQ(ReadSetting(L"HotkeyCombination"), 1u);
  EXPECT_TRUE(CombinationIsFree(MOD_ALT, VK_F1)) << "nothing held";

  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Windows Hotkey Preferences", kWait));
  HWND pref = WaitForWindow(L"TBossKeyPref", L"Windows Hotkey Prefrences", kWait, corvane.id());
  ASSERT_NE(pref, nullptr);
  ASSERT_TRUE(WaitUntilVisible(pref, kWait));
  HWND enable = FindChild(pref, L"Button", L"Enable windows hotkey");
  ASSERT_NE(enable, nullptr);
  EXPECT_FALSE(IsChecked(enable)) << "shown off";

  // Ticked again: tried again, and this time the other one is taken.
  PostClick(enable);
  box = WaitForMessageBox(L"is used by another program", kWait, corvane.id());
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(AnswerMessageBox(box, IDYES));
  EXPECT_TRUE(WaitForSetting(L"HotkeyCombination", 0));
  EXPECT_FALSE(CombinationIsFree(MOD_ALT, VK_F1)) << "Corvane holds ALT + F1";
  EXPECT_TRUE(WaitUntil([enable] { return IsChecked(enable); }, kWait)) << "shown on";
  EXPECT_TRUE(IsChecked(FindChild(pref, L"Button", L"ALT + F1")));
  UnregisterHotKey(nullptr, 0x7B01);
}

}  // namespace
}  // namespace e2e
