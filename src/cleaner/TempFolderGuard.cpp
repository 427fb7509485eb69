// The temporary folder's guard.
#include "cleaner/TempFolderGuard.h"

#include <vector>

namespace cleaner {
namespace {

std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + '\\') {
    if (c != '\\' && c != '/') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(std::move(part));
      part.clear();
    }
  }
  return parts;
}

// Whether the path `inner` is `outer` or lies below it, part by part.
bool AtOrBelow(platform::FileSystem& files, const std::vector<std::string>& inner,
               const std::vector<std::string>& outer) {
  if (outer.empty() || inner.size() < outer.size()) return false;
  for (size_t i = 0; i < outer.size(); ++i) {
    if (!files.SameName(inner[i], outer[i])) return false;
  }
  return true;
}

// Whether the folder at `temp`, a path in its long form, may be emptied.
bool IsPurgeablePlace(platform::Platform& platform, const std::vector<std::string>& temp) {
  platform::FileSystem& files = platform.files;
  if (temp.size() < 2) return false;  // a drive root
  // A known folder that does not exist cannot be the temporary folder or
  // hold it; one that exists is compared in its long form.
  auto known = [&](int id, std::vector<std::string>* parts) {
    std::string path, longPath;
    if (!platform.shell.SpecialFolder(id, &path)) return false;
    *parts = Parts(files.LongPathName(path, &longPath) ? longPath : path);
    return !parts->empty();
  };
  std::vector<std::string> other;
  // The Windows folder's own Temp is the temporary folder of the system's
  // accounts (a run as SYSTEM from the Task Scheduler): that one may be
  // emptied, and nothing else of the system's.
  auto windowsTemp = [&](std::vector<std::string> windows) {
    windows.push_back("Temp");
    return temp.size() == windows.size() && AtOrBelow(files, temp, windows);
  };
  // The system's own: neither they nor anything below them.
  for (int id : {platform::kCsidlWindows, platform::kCsidlSystem, platform::kCsidlProgramFiles,
                 platform::kCsidlProgramFilesX86}) {
    if (!known(id, &other) || !AtOrBelow(files, temp, other)) continue;
    if (id == platform::kCsidlWindows && windowsTemp(other)) continue;
    return false;
  }
  std::string windows;
  if (platform.shell.WindowsFolder(&windows) && AtOrBelow(files, temp, Parts(windows)) &&
      !windowsTemp(Parts(windows))) {
    return false;
  }
  // The user's and the public ones: neither they nor a folder that holds one.
  for (int id :
       {platform::kCsidlProfile, platform::kCsidlPersonal, platform::kCsidlDesktopDirectory, platform::kCsidlMyMusic,
        platform::kCsidlMyVideo, platform::kCsidlMyPictures, platform::kKnownFolderDownloads,
        platform::kKnownFolderOneDrive, platform::kCsidlAppData, platform::kCsidlLocalAppData,
        platform::kCsidlCommonAppData, platform::kCsidlCommonDocuments, platform::kCsidlCommonDesktopDirectory,
        platform::kCsidlCommonMusic, platform::kCsidlCommonPictures, platform::kCsidlCommonVideo}) {
    if (!known(id, &other)) continue;
    if (AtOrBelow(files, other, temp)) return false;
    // The public profile has no number of its own: it holds the public documents.
    if (id == platform::kCsidlCommonDocuments) {
      other.pop_back();
      if (AtOrBelow(files, other, temp)) return false;
    }
  }
  return true;
}

}  // namespace

bool IsPurgeableTempFolder(platform::Platform& platform, const std::string& folder, std::string* refusedLink) {
  platform::FileSystem& files = platform.files;
  std::string longForm;
  platform::FileIdentity reached;
  if (!files.LongPathName(folder, &longForm) || !files.Identify(longForm, &reached)) return false;
  if (!IsPurgeablePlace(platform, Parts(longForm))) return false;
  if (IsPurgeablePlace(platform, Parts(reached.finalPath))) return true;
  if (refusedLink) {
    *refusedLink = longForm;
    while (!refusedLink->empty() && (refusedLink->back() == '\\' || refusedLink->back() == '/'))
      refusedLink->pop_back();
  }
  return false;
}

}  // namespace cleaner
