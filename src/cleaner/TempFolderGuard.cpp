// The temporary folder's guard.
#include "cleaner/TempFolderGuard.h"

#include <vector>

namespace cleaner {
namespace {

using Parts = std::vector<std::string>;

const char kRefused[] = "not emptied as the temporary folder: ";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A path's names, "." left out and ".." taking off the name before it, as
// the system resolves a path.
Parts PartsOf(const std::string& path) {
  Parts parts;
  std::string part;
  for (char c : path + '\\') {
    if (!IsSeparator(c)) {
      part += c;
      continue;
    }
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  }
  return parts;
}

// "C:\" or "\\server\share": nothing below the drive or the share.
bool IsRoot(const std::string& path, const Parts& parts) {
  const bool share = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  return parts.size() <= (share ? 2u : 1u);
}

// The folders the rules compare a place with, each in its long form.
class Places {
 public:
  explicit Places(platform::Platform& platform) : platform_(platform), files_(platform.files) {
    // The Windows folder's own Temp is the temporary folder of the system's
    // accounts (a run as SYSTEM from the Task Scheduler): that one may be
    // emptied, and nothing else of the system's.
    std::string path;
    AddKnown(platform::kCsidlWindows, &system_);
    if (platform.shell.WindowsFolder(&path)) AddPlace(path, &system_);
    for (Parts temp : system_) {
      temp.push_back("Temp");
      windowsTemp_.push_back(std::move(temp));
    }
    for (int id : {platform::kCsidlSystem, platform::kCsidlProgramFiles, platform::kCsidlProgramFilesX86}) {
      AddKnown(id, &system_);
    }
    for (int id :
         {platform::kCsidlProfile, platform::kCsidlPersonal, platform::kCsidlDesktopDirectory, platform::kCsidlMyMusic,
          platform::kCsidlMyVideo, platform::kCsidlMyPictures, platform::kKnownFolderDownloads,
          platform::kKnownFolderOneDrive, platform::kCsidlAppData, platform::kCsidlLocalAppData,
          platform::kCsidlCommonAppData, platform::kCsidlCommonDocuments, platform::kCsidlCommonDesktopDirectory,
          platform::kCsidlCommonMusic, platform::kCsidlCommonPictures, platform::kCsidlCommonVideo}) {
      AddKnown(id, &known_);
    }
    if (platform.shell.UserTempFolder(&path)) AddPlace(path, &ownTemp_);
    // Every account's profile lies beside the user's own.
    if (platform.shell.SpecialFolder(platform::kCsidlProfile, &path)) {
      profiles_ = LongParts(path);
      if (!profiles_.empty()) profiles_.pop_back();
    }
  }

  // Why the folder at `path`, in its long form, may not be emptied; empty when it may.
  std::string WhyNot(const std::string& path) const {
    const Parts place = PartsOf(path);
    if (IsRoot(path, place)) return std::string(kRefused) + "it is the root of a drive or share";
    const bool windowsTemp = Listed(place, windowsTemp_);
    for (const Parts& system : system_) {
      if (AtOrBelow(place, system) && !windowsTemp) {
        return std::string(kRefused) + "it is a folder of Windows or of the programs, or lies in one";
      }
    }
    for (const Parts& known : known_) {
      if (AtOrBelow(known, place)) {
        return std::string(kRefused) + "it is a folder Windows keeps for you or for all users, or holds one";
      }
    }
    if (windowsTemp || Listed(place, ownTemp_)) return {};
    for (const Parts& known : known_) {
      if (AtOrBelow(place, known)) {
        return std::string(kRefused) + "it lies in a folder Windows keeps for you or for all users";
      }
    }
    if (AtOrBelow(place, profiles_)) return std::string(kRefused) + "it lies in another account's profile";
    return {};
  }

 private:
  Parts LongParts(const std::string& path) const {
    std::string longPath;
    return PartsOf(files_.LongPathName(path, &longPath) ? longPath : path);
  }
  void AddPlace(const std::string& path, std::vector<Parts>* places) const {
    Parts parts = LongParts(path);
    if (!parts.empty()) places->push_back(std::move(parts));
  }
  // A known folder by its name, and where it leads when its owner moved it
  // with a link. One that does not exist cannot be the temporary folder or
  // hold it.
  void AddKnown(int id, std::vector<Parts>* places) const {
    std::string path;
    if (!platform_.shell.SpecialFolder(id, &path)) return;
    AddPlace(path, places);
    platform::FileIdentity reached;
    if (files_.Identify(path, &reached)) AddPlace(reached.finalPath, places);
  }
  // Whether `inner` is `outer` or lies below it, name by name.
  bool AtOrBelow(const Parts& inner, const Parts& outer) const {
    if (outer.empty() || inner.size() < outer.size()) return false;
    for (size_t i = 0; i < outer.size(); ++i) {
      if (!files_.SameName(inner[i], outer[i])) return false;
    }
    return true;
  }
  bool Listed(const Parts& place, const std::vector<Parts>& places) const {
    for (const Parts& listed : places) {
      if (listed.size() == place.size() && AtOrBelow(place, listed)) return true;
    }
    return false;
  }

  platform::Platform& platform_;
  platform::FileSystem& files_;
  std::vector<Parts> system_;       // neither they nor anything below them
  std::vector<Parts> windowsTemp_;  // of the system's, these alone
  std::vector<Parts> known_;        // neither they, nor a folder that holds one, nor one below them
  std::vector<Parts> ownTemp_;      // below the user's folders, this alone
  Parts profiles_;                  // the folder of every account's profile
};

// As a report names a folder: "C:\" stays, since "C:" is another place.
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != ':') path.pop_back();
  return path;
}

}  // namespace

std::unique_ptr<platform::FolderHandle> OpenPurgeableTempFolder(platform::Platform& platform, const std::string& folder,
                                                                TempFolderRefusal* refusal) {
  platform::FileSystem& files = platform.files;
  *refusal = {};
  std::string longForm;
  if (!files.LongPathName(folder, &longForm)) {
    // A folder that is not there is nothing to do.
    if (files.Exists(folder)) {
      *refusal = {WithoutTrailingSeparators(folder), std::string(kRefused) + "Windows cannot give its long name"};
    }
    return nullptr;
  }
  // Opened once, where it leads: its owner may have moved it with a link.
  // What is checked below is where this handle is, and the purge goes
  // through it, so nothing that takes the name meanwhile is emptied.
  std::unique_ptr<platform::FolderHandle> temp = files.OpenFolder(longForm, false);
  if (!temp) return nullptr;
  const std::string name = WithoutTrailingSeparators(longForm);
  std::string reached;
  if (!temp->FinalPath(&reached)) {
    *refusal = {name, std::string(kRefused) + "Windows cannot say where it leads"};
    return nullptr;
  }
  const Places places(platform);
  std::string why = places.WhyNot(longForm);
  if (!why.empty()) {
    *refusal = {name, why};
    return nullptr;
  }
  why = places.WhyNot(reached);
  if (!why.empty()) {
    *refusal = {name, "it leads to " + reached + ": " + why, true};
    return nullptr;
  }
  return temp;
}

}  // namespace cleaner
