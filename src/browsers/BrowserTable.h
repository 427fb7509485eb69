// The browsers a cleaning knows: one row each. Adding a Chromium browser is
// one more row.
#pragma once

#include <array>
#include <cstddef>

namespace browsers {

enum class Family { Chromium, Firefox };
enum class AppData { Local, Roaming };

struct BrowserRow {
  const char* name;         // as the window and the report show it
  const char* settingName;  // the settings value that switches it on (missing counts as on)
  const char* programFile;  // a running process of this name holds its files
  Family family;
  AppData base;            // the application data folder its data folder lies in
  const char* dataFolder;  // below `base`
  bool folderIsProfile;    // the data folder is the one profile (Opera)
  // Its own settings that keep it running after its last window closes, as
  // its settings page names them (Settings, System); empty when none is known.
  const char* keptRunningBy;
};

namespace table {
constexpr Family kChromium = Family::Chromium;
constexpr AppData kLocal = AppData::Local;
constexpr AppData kRoaming = AppData::Roaming;
inline constexpr std::array<BrowserRow, 6> kRows = {{
    {"Microsoft Edge", "CleanEdge", "msedge.exe", kChromium, kLocal, "Microsoft\\Edge\\User Data", false,
     "its settings \"Startup boost\" and \"Continue running background extensions and apps when Microsoft Edge is "
     "closed\""},
    {"Google Chrome", "CleanChrome", "chrome.exe", kChromium, kLocal, "Google\\Chrome\\User Data", false,
     "its setting \"Continue running background apps when Google Chrome is closed\""},
    {"Brave", "CleanBrave", "brave.exe", kChromium, kLocal, "BraveSoftware\\Brave-Browser\\User Data", false,
     "its setting \"Continue running background apps when Brave is closed\""},
    {"Vivaldi", "CleanVivaldi", "vivaldi.exe", kChromium, kLocal, "Vivaldi\\User Data", false, ""},
    {"Opera", "CleanOpera", "opera.exe", kChromium, kRoaming, "Opera Software\\Opera Stable", true, ""},
    {"Firefox", "CleanFirefox", "firefox.exe", Family::Firefox, kRoaming, "Mozilla\\Firefox", false, ""},
}};
}  // namespace table

inline constexpr const std::array<BrowserRow, 6>& kBrowsers = table::kRows;
constexpr size_t kBrowserCount = table::kRows.size();

// Which browsers a run cleans: one switch per row of kBrowsers.
using BrowserSelection = std::array<bool, kBrowserCount>;

}  // namespace browsers
