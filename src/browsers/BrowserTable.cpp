// The browser table.
#include "browsers/BrowserTable.h"

namespace browsers {

const BrowserRow kBrowsers[] = {
    {"Microsoft Edge", "CleanEdge", "msedge.exe", Family::Chromium, AppData::Local, "Microsoft\\Edge\\User Data", false},
    {"Google Chrome", "CleanChrome", "chrome.exe", Family::Chromium, AppData::Local, "Google\\Chrome\\User Data", false},
    {"Brave", "CleanBrave", "brave.exe", Family::Chromium, AppData::Local, "BraveSoftware\\Brave-Browser\\User Data",
     false},
    {"Vivaldi", "CleanVivaldi", "vivaldi.exe", Family::Chromium, AppData::Local, "Vivaldi\\User Data", false},
    {"Opera", "CleanOpera", "opera.exe", Family::Chromium, AppData::Roaming, "Opera Software\\Opera Stable", true},
    {"Firefox", "CleanFirefox", "firefox.exe", Family::Firefox, AppData::Roaming, "Mozilla\\Firefox", false},
};
const size_t kBrowserCount = sizeof(kBrowsers) / sizeof(kBrowsers[0]);

}  // namespace browsers
