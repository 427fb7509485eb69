// The settings key, its value names and the messages about it.
#pragma once

namespace app {

// Every preference lives in this key under HKEY_LOCAL_MACHINE.
constexpr const char* kSettingsKey = "SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";
// The autostart value `Corvane` lives in this key under HKEY_CURRENT_USER.
constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Corvane";

namespace value {
constexpr const char* kCleanerSchedule = "CleanerSchedule";
constexpr const char* kAutoCleaner = "AutoCleaner";
constexpr const char* kPopupBlocking = "CRVNPBStatus";
constexpr const char* kSoundNotification = "SoundNotification";
constexpr const char* kSoundIndex = "SoundIndex";
constexpr const char* kAnimTrayIcon = "AnimTrayIcon";
constexpr const char* kWindowsHotKey = "WindowsHotKeyS";
constexpr const char* kHotkeyCombination = "HotkeyCombination";
constexpr const char* kIEWHotKey = "IEWHotKey";
constexpr const char* kWinVolControl = "WinVolControl";
constexpr const char* kIEStatus = "IEStatus";
constexpr const char* kCorvaneRunning = "CorvaneRunning";
constexpr const char* kBlockerFirstStart = "CRVNBFirst";
constexpr const char* kEliminatedPopups = "EPWC";
}  // namespace value

constexpr const char* kApplySettingsError = "An error has occurred while trying to apply user settings";
constexpr const char* kReadPreferencesError =
    "An error has occurred while trying to read user preferences. Program will restore default preferences";

constexpr const char* kApplicationTitle = "Corvane 2.4";
constexpr const char* kMutexName = "CorvaneMUTEX";
constexpr const char* kBlockerModule = "cvblock.dll";

}  // namespace app
