// The real program's start on a fresh machine, a second instance, and exit.
#include <gtest/gtest.h>

#include "Driver.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;

TEST(StartUpE2E, AFirstStartRestoresTheDefaultsAndASecondCopyEndsWithItsMessage) {
  DeleteSettingsKey();
  Process corvane = StartCorvane();
  ASSERT_TRUE(corvane.started());

  HWND box = WaitForMessageBox(L"An error has occurred while trying to read user preferences", kWait, corvane.id());
  ASSERT_NE(box, nullptr) << "the read-error message on a machine without the settings key";
  EXPECT_EQ(MessageBoxText(box),
            L"An error has occurred while trying to read user preferences. Program will restore default preferences");
  EXPECT_EQ(WindowText(box), L"Corvane 2.4");
  Screenshot(box, "startup-read-error");
  ASSERT_TRUE(AnswerMessageBox(box, IDOK));

  HWND splash = WaitForWindow(L"TSplashScreen", L"Splash", kWait, corvane.id());
  if (splash && IsWindowVisible(splash)) Screenshot(splash, "startup-splash");

  HWND main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
  ASSERT_NE(main, nullptr);
  DWORD start = GetTickCount();
  while (ReadSetting(L"CorvaneRunning") != 1u && GetTickCount() - start < kWait) Pause(100);
  EXPECT_EQ(ReadSetting(L"CorvaneRunning"), 1u);
  if (splash) {
    EXPECT_TRUE(WaitUntilHidden(splash, kWait)) << "the splash goes after its pause";
  }
  EXPECT_FALSE(IsWindowVisible(main)) << "only the tray icon shows";

  // The settings key through the real registry.
  EXPECT_EQ(ReadSetting(L"SoundIndex"), 0u);
  EXPECT_EQ(ReadSetting(L"HotkeyCombination"), 1u);
  EXPECT_EQ(ReadSetting(L"CleanerSchedule"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadSetting(L"EPWC"), 0u);
  EXPECT_EQ(ReadSetting(L"URLAddressBar"), 0u);
  EXPECT_EQ(ReadSetting(L"PowerDVD"), 0u);
  EXPECT_EQ(ReadSetting(L"IEStatus"), 0u);
  EXPECT_FALSE(ReadSetting(L"CRVNBFirst"));
  EXPECT_EQ(ReadSetting(L"HotkeyAllBrowsers"), 1u);
  EXPECT_EQ(ReadSetting(L"CleanOnBrowserClose"), 0u);
  EXPECT_EQ(SettingNames().size(), 26u + 5 + 6 + 6 + 8 + 4 + 1 + 1 + 1)
      << "the cleaners, the browsers' items and switches, what Windows 10 and 11 keep, the hotkey's reach, the "
         "cleaning when a browser closes";

  // A second copy finds the first one's window titled "Corvane", says so and ends.
  Process second = StartCorvane();
  HWND another = WaitForMessageBox(L"There is another instance of the program running", kWait, second.id());
  ASSERT_NE(another, nullptr);
  EXPECT_EQ(WindowText(another), L"Corvane");
  Screenshot(another, "startup-second-instance");
  ASSERT_TRUE(AnswerMessageBox(another, IDOK));
  EXPECT_EQ(second.WaitForExit(kWait), 0u);
  EXPECT_TRUE(corvane.Running());

  // "Exit", as the uninstaller asks for it.
  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
  EXPECT_EQ(ReadSetting(L"CorvaneRunning"), 0u);
}

TEST(StartUpE2E, TheNextStartShowsNoMessageAndReadsWhatWasLeft) {
  // The key the previous test left behind, with one change made outside.
  WriteSetting(L"SoundNotification", 1);
  WriteSetting(L"IEStatus", 1);
  Process corvane = StartCorvane();
  HWND main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
  ASSERT_NE(main, nullptr);
  DWORD start = GetTickCount();
  while (ReadSetting(L"IEStatus") != 0u && GetTickCount() - start < kWait) Pause(100);
  EXPECT_EQ(ReadSetting(L"IEStatus"), 0u) << "written false at every start";
  EXPECT_EQ(WaitForMessageBox(L"An error", 1500, corvane.id()), nullptr);
  EXPECT_EQ(ReadSetting(L"SoundNotification"), 1u);
  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
}

}  // namespace
}  // namespace e2e
