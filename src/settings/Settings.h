// The settings key and every value in it, one line each: its name, its type,
// its default and what restoring the defaults does with it. The start-up
// reading, the windows and the restoring all take them from here.
#pragma once

#include <array>
#include <cstdint>

namespace settings {

// Every preference lives in this key under HKEY_LOCAL_MACHINE.
constexpr const char* kSettingsKey = "SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";
// The autostart value `Corvane` lives in this key under HKEY_CURRENT_USER.
constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Corvane";

enum class SettingType { Boolean, Integer };

// What restoring the defaults does with a value.
enum class Restore {
  IfMissing,  // writes the default when the value is missing; a present one keeps its data
  Always,     // writes the default over whatever is there
  Never,      // leaves it alone
};

struct Setting {
  const char* name;
  SettingType type;
  int32_t fallback;  // the default: what a reader writes for a missing value, and what the restore writes
  Restore restore;
  int32_t atStart;  // what the start-up reading writes for a missing value
};

namespace value {
using T = SettingType;
using R = Restore;
//                                name                  type        default  restore        at start
inline constexpr Setting kPopupBlocking{"CRVNPBStatus", T::Boolean, 0, R::IfMissing, 0};
inline constexpr Setting kSoundNotification{"SoundNotification", T::Boolean, 0, R::IfMissing, 1};
inline constexpr Setting kAnimTrayIcon{"AnimTrayIcon", T::Boolean, 0, R::IfMissing, 1};
inline constexpr Setting kWindowsHotKey{"WindowsHotKeyS", T::Boolean, 0, R::IfMissing, 0};
inline constexpr Setting kWinVolControl{"WinVolControl", T::Boolean, 0, R::IfMissing, 0};
inline constexpr Setting kIEWHotKey{"IEWHotKey", T::Boolean, 0, R::IfMissing, 0};
inline constexpr Setting kAutoCleaner{"AutoCleaner", T::Boolean, 0, R::IfMissing, 0};
inline constexpr Setting kIEStatus{"IEStatus", T::Boolean, 0, R::IfMissing, 0};
inline constexpr Setting kSoundIndex{"SoundIndex", T::Integer, 0, R::Always, 0};
inline constexpr Setting kHotkeyCombination{"HotkeyCombination", T::Integer, 1, R::Always, 1};
inline constexpr Setting kCleanerSchedule{"CleanerSchedule", T::Integer, -1, R::Always, -1};
inline constexpr Setting kEliminatedPopups{"EPWC", T::Integer, 0, R::Always, 0};
inline constexpr Setting kCorvaneRunning{"CorvaneRunning", T::Boolean, 0, R::Never, 0};
inline constexpr Setting kBlockerFirstStart{"CRVNBFirst", T::Boolean, 0, R::Never, 0};
inline constexpr Setting kHotkeyAllBrowsers{"HotkeyAllBrowsers", T::Boolean, 1, R::IfMissing, 1};
inline constexpr Setting kCleanOnBrowserClose{"CleanOnBrowserClose", T::Boolean, 0, R::IfMissing, 0};
// The module's registration was refused for lack of rights, to be told once.
inline constexpr Setting kBlockerRegistrationDenied{"BlockerRegistrationDenied", T::Boolean, 0, R::Never, 0};
}  // namespace value

// Every value but the cleaner switches (which the cleaner table names) and
// kBlockerRegistrationDenied (which no restoring touches), in the order the
// restoring of the defaults goes through them, after the cleaner switches.
inline constexpr std::array<const Setting*, 16> kSettings = {
    &value::kPopupBlocking,  &value::kSoundNotification, &value::kAnimTrayIcon,      &value::kWindowsHotKey,
    &value::kWinVolControl,  &value::kIEWHotKey,         &value::kAutoCleaner,       &value::kIEStatus,
    &value::kSoundIndex,     &value::kHotkeyCombination, &value::kCleanerSchedule,   &value::kEliminatedPopups,
    &value::kCorvaneRunning, &value::kBlockerFirstStart, &value::kHotkeyAllBrowsers, &value::kCleanOnBrowserClose};

// The users who switched autostart on, by SID, separated by ";" (a text
// value): the uninstaller removes each one's autostart entry.
constexpr const char* kAutostartUsers = "AutostartUsers";

// A cleaner switch of the cleaner table: off unless chosen.
constexpr Setting CleanerSwitch(const char* name) { return {name, SettingType::Boolean, 0, Restore::IfMissing, 0}; }
// A browser switch of the browser table (browsers/BrowserTable.h): a
// browser is cleaned unless the user turned it off, so a missing one is on.
constexpr Setting BrowserSwitch(const char* name) { return {name, SettingType::Boolean, 1, Restore::IfMissing, 1}; }

constexpr const char* kApplySettingsError = "An error has occurred while trying to apply user settings";
constexpr const char* kReadPreferencesError =
    "An error has occurred while trying to read user preferences. Program will restore default preferences";

constexpr const char* kApplicationTitle = "Corvane 2.4";
constexpr const char* kMutexName = "CorvaneMUTEX";
constexpr const char* kBlockerModule = "cvblock.dll";

}  // namespace settings
