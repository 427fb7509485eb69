// Where a browser keeps its profiles: Chromium's Local State and its
// "Default" and "Profile N" folders, Firefox's profiles.ini.
#pragma once

#include <string>
#include <vector>

#include "browsers/BrowserTable.h"
#include "platform/FileSystem.h"

namespace browsers {

// The user's application data folders, as the system names them.
struct AppDataFolders {
  std::string local;    // CSIDL_LOCAL_APPDATA
  std::string roaming;  // CSIDL_APPDATA
};

struct Profile {
  std::string name;    // as the browser shows it
  std::string folder;  // its files
  std::string start;   // the folder the system named that `folder` lies in: nothing above it is cleaned
  // Where its caches are: the profile folder itself, or the same path under
  // the local application data for a profile kept in the roaming one.
  std::string cacheFolder;
  std::string cacheStart;
  // Kept outside the browser's folder (a full path in profiles.ini), in a
  // folder anyone may have made: cleaned only when it is the user's own.
  bool elsewhere = false;
};

// The profiles of `browser` that exist, each once: for Chromium those the
// browser lists in Local State and the "Default" / "Profile N" folders
// present; for Firefox every profile of profiles.ini. A name that would
// lead out of the browser's folder, or that the system would take for
// another (a wildcard, a device, a final dot or blank), is no profile. A
// Chromium profile folder that is a link is none either, and is added to
// *refusedLinks when given.
std::vector<Profile> FindProfiles(platform::FileSystem& files, const BrowserRow& browser, const AppDataFolders& appData,
                                  std::vector<std::string>* refusedLinks = nullptr);

}  // namespace browsers
