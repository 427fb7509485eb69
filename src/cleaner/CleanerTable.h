// The cleaners, one row each, in the order a run cleans them: the setting
// that switches it on, its box in the history cleaner window, the step that
// cleans and its help page. Adding a cleaner means adding a row here, its
// step to CleanerSteps and its page to help/src/cleaners/.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "cleaner/CleanerSteps.h"

namespace cleaner {

using StepFunction = void (CleanerSteps::*)();

enum class CleanerPage { InternetExplorer, Windows, Applications, Browsers, WindowsTracks };
enum class CleanerColumn { Left, Right };

struct Cleaner {
  const char* valueName;  // the boolean of the settings key
  const char* caption;    // the text of its box
  CleanerPage page;       // where its box is: the page,
  CleanerColumn column;   // the column
  int row;                // and the line in that column, 1 at the top
  StepFunction step;      // what a run does for it
  const char* helpPage;   // under help/src/; help/check.sh reads these names from this file
};

namespace table {
using S = CleanerSteps;
constexpr CleanerPage kIE = CleanerPage::InternetExplorer;
constexpr CleanerPage kWin = CleanerPage::Windows;
constexpr CleanerPage kApps = CleanerPage::Applications;
constexpr CleanerPage kWeb = CleanerPage::Browsers;
constexpr CleanerPage kWin10 = CleanerPage::WindowsTracks;
constexpr CleanerColumn kL = CleanerColumn::Left;
constexpr CleanerColumn kR = CleanerColumn::Right;

// "TelenetHistory", "InfranView" and the blanks that end two captions are
// deliberate: value names stored in users' registries and captions users
// have always seen. They are not typing errors to correct.
inline constexpr std::array<Cleaner, 37> kRows = {{
    {"TempInternetFiles", "Temporary Internet Files", kIE, kL, 3, &S::BrowserCacheCleaner,
     "cleaners/temporary_internet_files.htm"},
    {"CookiesCleaner", "Cookies", kIE, kL, 2, &S::CookiesCleaner, "cleaners/cookies.htm"},
    {"URLAddressBar", "Typed URLs", kIE, kL, 1, &S::TypedURLCleaner, "cleaners/typed_urls.htm"},
    {"InternetHistoryFiles", "Browser Visit History", kIE, kR, 1, &S::BrowserHistoryCleaner,
     "cleaners/browser_visit_history.htm"},
    {"AutoComplete", "Autocomplete History", kIE, kR, 2, &S::AutoCompleteCleaner, "cleaners/autocomplete_history.htm"},
    {"FavoritesCleaner", "Favorites", kIE, kR, 3, &S::IEFavoritesCleaner, "cleaners/favorites.htm"},
    {"AutoDialHistory", "RAS Auto Dial History", kWin, kR, 3, &S::RASAutoDialCleaner,
     "cleaners/ras_auto_dial_history.htm"},
    {"FindFileHistory", "Search History", kWin, kL, 4, &S::FindFilesHistoryCleaner, "cleaners/search_history.htm"},
    {"FindCompHistory", "Find Computer History", kWin, kL, 5, &S::FindComputerHistoryCleaner,
     "cleaners/find_computer_history.htm"},
    {"NetworkHistory", "Network Places Cache (Network Neighborhood)", kWin, kR, 4, &S::NetworkHistoryCleaner,
     "cleaners/network_places_cache.htm"},
    {"TelenetHistory", "Telnet History", kWin, kR, 5, &S::TelenetHistoryCleaner, "cleaners/telnet_history.htm"},
    {"WindowsRunHist", "Run History", kWin, kL, 3, &S::WindowsRunHistoryCleaner, "cleaners/run_history.htm"},
    {"WindowsTempFiles", "Temporary Files", kWin, kL, 1, &S::WindowsTempFoldCleaner, "cleaners/temporary_files.htm"},
    {"RecycleBin", "Recycle Bin", kWin, kR, 1, &S::RecycleBinCleaner, "cleaners/recycle_bin.htm"},
    {"RecentDocs", "Recent Documents History", kWin, kL, 2, &S::RecentDocumentsCleaner,
     "cleaners/recent_documents_history.htm"},
    {"LastLogonHistory", "Last Logon History", kWin, kR, 2, &S::LastLogonHistoryCleaner,
     "cleaners/last_logon_history.htm"},
    {"MSWindowsMediaPlayer", "Microsoft Windows Media Player", kApps, kL, 1, &S::MSMediaPlayerCleaner,
     "cleaners/windows_media_player.htm"},
    {"ACDSee", "ACD See (Ver. 3, 4, 5)", kApps, kL, 2, &S::ACDSeeCleaner, "cleaners/acdsee.htm"},
    {"AcrobatReader", "Acrobat Reader (Ver. 4, 5, 6)", kApps, kL, 3, &S::AcrobatReaderCleaner,
     "cleaners/acrobat_reader.htm"},
    {"MSWord", "MS Word (2000, XP)", kApps, kL, 4, &S::MSWordCleaner, "cleaners/ms_word.htm"},
    {"IrfanView", "InfranView (Ver. 3) ", kApps, kL, 5, &S::InfranViewCleaner, "cleaners/irfanview.htm"},
    {"MSImaging", "Microsoft Imaging", kApps, kR, 1, &S::MSImagingCleaner, "cleaners/microsoft_imaging.htm"},
    {"MSPaint", "Microsoft Paint", kApps, kR, 2, &S::MSPaintCleaner, "cleaners/microsoft_paint.htm"},
    {"WinRar", "WinRar (Ver. 2, 3) ", kApps, kR, 3, &S::WinRarCleaner, "cleaners/winrar.htm"},
    {"RealOne", "Real One", kApps, kR, 4, &S::RealOneCleaner, "cleaners/real_one.htm"},
    {"PowerDVD", "Power DVD", kApps, kR, 5, &S::PowerDVDCleaner, "cleaners/power_dvd.htm"},
    // Every profile of the browsers switched on (browsers/BrowserTable.h).
    {"BrowserCache", "Cache", kWeb, kL, 1, &S::BrowsersCacheCleaner, "cleaners/browsers_cache.htm"},
    {"BrowserCookies", "Cookies, except the sites kept", kWeb, kL, 2, &S::BrowsersCookiesCleaner,
     "cleaners/browsers_cookies.htm"},
    {"BrowserHistory", "History", kWeb, kL, 3, &S::BrowsersHistoryCleaner, "cleaners/browsers_history.htm"},
    {"BrowserFormData", "Form data", kWeb, kL, 4, &S::BrowsersFormDataCleaner, "cleaners/browsers_form_data.htm"},
    {"BrowserSessions", "Open tabs and sessions", kWeb, kL, 5, &S::BrowsersSessionsCleaner,
     "cleaners/browsers_sessions.htm"},
    // What Windows 10 and 11 keep.
    {"ExplorerTypedPaths", "Explorer Typed Paths", kWin10, kL, 1, &S::ExplorerTypedPathsCleaner,
     "cleaners/explorer_typed_paths.htm"},
    {"ExplorerSearchHistory", "Explorer Search History", kWin10, kL, 2, &S::ExplorerSearchCleaner,
     "cleaners/explorer_search_history.htm"},
    {"FileDialogHistory", "Open and Save Dialog History", kWin10, kL, 3, &S::FileDialogsHistoryCleaner,
     "cleaners/file_dialog_history.htm"},
    {"JumpListHistory", "Jump Lists (pinned items kept)", kWin10, kR, 1, &S::JumpListsCleaner,
     "cleaners/jump_lists.htm"},
    {"ThumbnailCache", "Thumbnail Cache", kWin10, kR, 2, &S::ThumbnailCacheCleaner, "cleaners/thumbnail_cache.htm"},
    {"WindowsTimeline", "Timeline Activities", kWin10, kR, 3, &S::TimelineCleaner, "cleaners/timeline.htm"},
}};
}  // namespace table

constexpr size_t kCleanerCount = table::kRows.size();

namespace detail {
// The window's order: page by page, the left column before the right, top down.
constexpr bool BoxBefore(const Cleaner& a, const Cleaner& b) {
  if (a.page != b.page) return a.page < b.page;
  if (a.column != b.column) return a.column < b.column;
  return a.row < b.row;
}
// Row i of the result is the row of the table whose box comes i-th.
constexpr std::array<size_t, kCleanerCount> BoxOrder() {
  std::array<size_t, kCleanerCount> order{};
  for (size_t i = 0; i < kCleanerCount; ++i) {
    size_t j = i;
    for (; j > 0 && BoxBefore(table::kRows[i], table::kRows[order[j - 1]]); --j) order[j] = order[j - 1];
    order[j] = i;
  }
  return order;
}
constexpr std::array<Cleaner, kCleanerCount> CleanersInBoxOrder() {
  std::array<Cleaner, kCleanerCount> cleaners{};
  for (size_t i = 0; i < kCleanerCount; ++i) cleaners[i] = table::kRows[BoxOrder()[i]];
  return cleaners;
}
constexpr std::array<size_t, kCleanerCount> RunOrder() {
  std::array<size_t, kCleanerCount> run{};
  for (size_t i = 0; i < kCleanerCount; ++i) run[BoxOrder()[i]] = i;
  return run;
}
constexpr bool EveryBoxHasAPlaceOfItsOwn() {
  for (size_t i = 1; i < kCleanerCount; ++i) {
    if (!BoxBefore(table::kRows[BoxOrder()[i - 1]], table::kRows[BoxOrder()[i]])) return false;
  }
  return true;
}
static_assert(EveryBoxHasAPlaceOfItsOwn(), "two cleaners share a place in the window");
}  // namespace detail

// The cleaners in the order of the window's boxes, which is also the order
// of the settings, of a selection and of the report: box k is
// "CoolCheckRadioBox" + k, entry k - 1 here.
inline constexpr std::array<Cleaner, kCleanerCount> kCleaners = detail::CleanersInBoxOrder();
// The entries of kCleaners in the order a run cleans them.
inline constexpr std::array<size_t, kCleanerCount> kRunOrder = detail::RunOrder();

// The cleaner identifiers: the value names alone, in the order of kCleaners.
inline constexpr std::array<const char*, kCleanerCount> CleanerValueNames = [] {
  std::array<const char*, kCleanerCount> names{};
  for (size_t i = 0; i < kCleanerCount; ++i) names[i] = kCleaners[i].valueName;
  return names;
}();

// Which cleaners a run cleans: one switch per entry of kCleaners.
using CleanerSelection = std::array<bool, kCleanerCount>;

// The entry of kCleaners with this value name.
constexpr std::optional<size_t> CleanerIndexOf(std::string_view valueName) {
  for (size_t i = 0; i < kCleanerCount; ++i) {
    if (valueName == kCleaners[i].valueName) return i;
  }
  return std::nullopt;
}

}  // namespace cleaner
