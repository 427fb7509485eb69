// The cleaners, one row each: the setting that switches it on, its box in the
// history cleaner window, the worker's step switch it sets and its help page.
// Adding a cleaner means adding a row here and its step to the worker.
#pragma once

#include <array>
#include <cstddef>

#include "cleaner/CleanerThread.h"

namespace app {

using StepSwitch = bool cleaner::TUWHCleanerThrd::*;

enum class CleanerPage { InternetExplorer, Windows, Applications };
enum class CleanerColumn { Left, Right };

struct Cleaner {
  const char* valueName;  // the boolean of the settings key
  const char* caption;    // the text of its box
  CleanerPage page;
  CleanerColumn column;
  int row;                // 1 at the top of its column
  StepSwitch step;        // the worker's switch it sets
  StepSwitch alsoStep;    // a second switch it sets, or null
  const char* helpPage;   // under help/src/; help/check.sh reads these names from this file
};

namespace table {
using TUWHCleanerThrd = cleaner::TUWHCleanerThrd;
constexpr CleanerPage kIE = CleanerPage::InternetExplorer;
constexpr CleanerPage kWin = CleanerPage::Windows;
constexpr CleanerPage kApps = CleanerPage::Applications;
constexpr CleanerColumn kL = CleanerColumn::Left;
constexpr CleanerColumn kR = CleanerColumn::Right;

// In the order of the window's boxes: row k - 1 is "CoolCheckRadioBox" + k.
// "TelenetHistory", "InfranView" and the blanks that end two captions are
// deliberate: value names stored in users' registries and captions users
// have always seen. They are not typing errors to correct.
inline constexpr std::array<Cleaner, 26> kRows = {{
    {"URLAddressBar", "Typed URLs", kIE, kL, 1, &TUWHCleanerThrd::RunTypedURLCleaner, nullptr,
     "cleaners/typed_urls.htm"},
    {"CookiesCleaner", "Cookies", kIE, kL, 2, &TUWHCleanerThrd::RunCookiesCleaner, nullptr, "cleaners/cookies.htm"},
    {"TempInternetFiles", "Temporary Internet Files", kIE, kL, 3, &TUWHCleanerThrd::RunBrowserCacheCleaner, nullptr,
     "cleaners/temporary_internet_files.htm"},
    {"InternetHistoryFiles", "Browser Visit History", kIE, kR, 1, &TUWHCleanerThrd::RunBrowserHistory, nullptr,
     "cleaners/browser_visit_history.htm"},
    {"AutoComplete", "Autocomplete History", kIE, kR, 2, &TUWHCleanerThrd::RunAutoCompleteForms,
     &TUWHCleanerThrd::RunAutoCompletePasswords, "cleaners/autocomplete_history.htm"},
    {"FavoritesCleaner", "Favorites", kIE, kR, 3, &TUWHCleanerThrd::RunIEFavorites, nullptr, "cleaners/favorites.htm"},
    {"WindowsTempFiles", "Temporary Files", kWin, kL, 1, &TUWHCleanerThrd::RunWindowsTempFold, nullptr,
     "cleaners/temporary_files.htm"},
    {"RecentDocs", "Recent Documents History", kWin, kL, 2, &TUWHCleanerThrd::RunRecentDocumentsHistory, nullptr,
     "cleaners/recent_documents_history.htm"},
    {"WindowsRunHist", "Run History", kWin, kL, 3, &TUWHCleanerThrd::RunWindowsRunHistory, nullptr,
     "cleaners/run_history.htm"},
    {"FindFileHistory", "Search History", kWin, kL, 4, &TUWHCleanerThrd::RunFindFilesHistory, nullptr,
     "cleaners/search_history.htm"},
    {"FindCompHistory", "Find Computer History", kWin, kL, 5, &TUWHCleanerThrd::RunFindComputerHistory, nullptr,
     "cleaners/find_computer_history.htm"},
    {"RecycleBin", "Recycle Bin", kWin, kR, 1, &TUWHCleanerThrd::RunRecycleBinCleaner, nullptr,
     "cleaners/recycle_bin.htm"},
    {"LastLogonHistory", "Last Logon History", kWin, kR, 2, &TUWHCleanerThrd::RunLastLogonHistory, nullptr,
     "cleaners/last_logon_history.htm"},
    {"AutoDialHistory", "RAS Auto Dial History", kWin, kR, 3, &TUWHCleanerThrd::RunRASAutoDial, nullptr,
     "cleaners/ras_auto_dial_history.htm"},
    {"NetworkHistory", "Network Places Cache (Network Neighborhood)", kWin, kR, 4,
     &TUWHCleanerThrd::RunNetworkHistory, nullptr, "cleaners/network_places_cache.htm"},
    {"TelenetHistory", "Telnet History", kWin, kR, 5, &TUWHCleanerThrd::RunTelenetHistory, nullptr,
     "cleaners/telnet_history.htm"},
    {"MSWindowsMediaPlayer", "Microsoft Windows Media Player", kApps, kL, 1, &TUWHCleanerThrd::RunMSMediaPlayerCleaner,
     nullptr, "cleaners/windows_media_player.htm"},
    {"ACDSee", "ACD See (Ver. 3, 4, 5)", kApps, kL, 2, &TUWHCleanerThrd::RunACDSeeCleaner, nullptr,
     "cleaners/acdsee.htm"},
    {"AcrobatReader", "Acrobat Reader (Ver. 4, 5, 6)", kApps, kL, 3, &TUWHCleanerThrd::RunAcrobatReaderCleaner, nullptr,
     "cleaners/acrobat_reader.htm"},
    {"MSWord", "MS Word (2000, XP)", kApps, kL, 4, &TUWHCleanerThrd::RunMSWordCleaner, nullptr, "cleaners/ms_word.htm"},
    {"IrfanView", "InfranView (Ver. 3) ", kApps, kL, 5, &TUWHCleanerThrd::RunInfranViewCleaner, nullptr,
     "cleaners/irfanview.htm"},
    {"MSImaging", "Microsoft Imaging", kApps, kR, 1, &TUWHCleanerThrd::RunMSImagingCleaner, nullptr,
     "cleaners/microsoft_imaging.htm"},
    {"MSPaint", "Microsoft Paint", kApps, kR, 2, &TUWHCleanerThrd::RunMSPaintCleaner, nullptr,
     "cleaners/microsoft_paint.htm"},
    {"WinRar", "WinRar (Ver. 2, 3) ", kApps, kR, 3, &TUWHCleanerThrd::RunWinRarCleaner, nullptr, "cleaners/winrar.htm"},
    {"RealOne", "Real One", kApps, kR, 4, &TUWHCleanerThrd::RunRealOneCleaner, nullptr, "cleaners/real_one.htm"},
    {"PowerDVD", "Power DVD", kApps, kR, 5, &TUWHCleanerThrd::RunPowerDVDCleaner, nullptr, "cleaners/power_dvd.htm"},
}};
}  // namespace table

inline constexpr const auto& kCleaners = table::kRows;
constexpr size_t kCleanerCount = kCleaners.size();

namespace detail {
constexpr std::array<const char*, kCleanerCount> ValueNamesOf(const std::array<Cleaner, kCleanerCount>& cleaners) {
  std::array<const char*, kCleanerCount> names{};
  for (size_t i = 0; i < kCleanerCount; ++i) names[i] = cleaners[i].valueName;
  return names;
}
}  // namespace detail

// The cleaner identifiers: the value names alone, in the same order.
inline constexpr std::array<const char*, kCleanerCount> CleanerValueNames = detail::ValueNamesOf(kCleaners);

}  // namespace app
