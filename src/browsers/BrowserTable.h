// The browsers a cleaning knows: one row each. Adding a Chromium browser is
// one more row.
#pragma once

#include <cstddef>

namespace browsers {

enum class Family { Chromium, Firefox };
enum class AppData { Local, Roaming };

struct BrowserRow {
  const char* name;         // as the window and the report show it
  const char* settingName;  // the settings value that switches it on (missing counts as on)
  const char* programFile;  // a running process of this name holds its files
  Family family;
  AppData base;             // the application data folder its data folder lies in
  const char* dataFolder;   // below `base`
  bool folderIsProfile;     // the data folder is the one profile (Opera)
};

extern const BrowserRow kBrowsers[];
extern const size_t kBrowserCount;

}  // namespace browsers
