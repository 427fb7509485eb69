// Whether an entry's application is on this machine: looked at only when
// someone asks (the window, /list, a run of the chosen entries), never at
// start.
#pragma once

#include <map>
#include <set>
#include <string>

#include "community/Definitions.h"
#include "community/Variables.h"
#include "platform/Platform.h"

namespace community {

// An entry is offered when any of its detect keys matches (a registry key
// exists, in either view where Windows redirects it; a path exists, with
// wildcards in any part; the browser a SpecialDetect names has its data
// here); one without any is offered always. A DetectOS range holds it to
// those Windows versions. An entry with nothing it can clean is never offered.
// Folders' names read once, for detecting many entries at one moment (the
// window, /list): most detect paths name an application's folder in one of
// a few known folders, and one listing of each answers every one that is not
// there, where a probe each costs a request to the system. Not for a run,
// whose cleaning changes what is there between entries.
class FolderListings {
 public:
  explicit FolderListings(platform::FileSystem& files) : files_(files) {}
  // False only when `folder` surely holds nothing named `name`.
  bool MayHold(const std::string& folder, const std::string& name);

 private:
  platform::FileSystem& files_;
  std::map<std::string, std::set<std::string>> names_;  // both lower-cased
};

bool IsDetected(const Entry& entry, platform::Platform& platform, SystemFolders& folders,
                FolderListings* listings = nullptr);

// Whether the path of the format (variables, wildcards) names something
// that exists here.
bool PathExists(const std::string& path, platform::FileSystem& files, SystemFolders& folders,
                FolderListings* listings = nullptr);

}  // namespace community
