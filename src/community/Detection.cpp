// Detection of an entry's application, by reads only.
#include "community/Detection.h"

#include <algorithm>

#include "browsers/BrowserTable.h"
#include "community/Places.h"
#include "util/Text.h"

namespace community {
namespace {

bool KeyExists(platform::Registry& registry, const RegistryPath& at) {
  for (platform::RegRoot root : RootsOf(at.hive)) {
    long error = platform::kErrorSuccess;
    // A key that exists but this account may not read is there all the same.
    if (registry.Open(root, at.path, platform::RegAccess::QueryOnly, false, &error) || !platform::IsNotFound(error)) {
      return true;
    }
  }
  return false;
}

// Whether something matches `parts` from `folder` on: a name by itself, or
// a wildcard part by a listing of its folder; every part but the last a folder.
bool Reaches(platform::FileSystem& files, const std::string& folder, const std::vector<std::string>& parts, size_t next,
             FolderListings* listings) {
  if (next == parts.size()) return files.Exists(folder);
  if (listings && !listings->MayHold(folder, parts[next])) return false;
  const bool last = next + 1 == parts.size();
  const std::string path = folder + (folder.back() == '\\' ? "" : "\\") + parts[next];
  platform::FindData found;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(path, &found);
  if (!find) return false;
  do {
    if (platform::IsDotEntry(found.name)) continue;
    if (last) return true;
    if ((found.attributes & platform::kAttrDirectory) &&
        Reaches(files, path.substr(0, path.find_last_of('\\')) + "\\" + found.name, parts, next + 1, listings)) {
      return true;
    }
  } while (HasWildcard(parts[next]) && find->Next(&found));
  return false;
}

bool WithinOs(platform::Shell& shell, const OsRange& range) {
  platform::OsVersion version;
  if (!shell.QueryVersion(platform::kVersionInfoExSize, &version)) return true;
  const uint32_t now = version.major * 100 + version.minor;
  return (!range.min || now >= *range.min) && (!range.max || now <= *range.max);
}

bool BrowserHere(platform::Platform& platform, SystemFolders& folders, SpecialDetect detect) {
  const char* name = detect == SpecialDetect::Chrome    ? "Google Chrome"
                     : detect == SpecialDetect::Mozilla ? "Firefox"
                     : detect == SpecialDetect::Opera   ? "Opera"
                                                        : nullptr;
  if (!name) return PathExists("%AppData%\\Thunderbird", platform.files, folders);
  for (const browsers::BrowserRow& browser : browsers::kBrowsers) {
    if (std::string(browser.name) != name) continue;
    const Variable base = browser.base == browsers::AppData::Local ? Variable::LocalAppData : Variable::AppData;
    for (const std::string& folder : folders.Values(base)) {
      if (platform.files.IsDirectory(folder + "\\" + browser.dataFolder)) return true;
    }
  }
  return false;
}

}  // namespace

bool FolderListings::MayHold(const std::string& folder, const std::string& name) {
  // Names the system matches otherwise than a listing shows them: patterns,
  // short names, final dots and blanks, letters beyond ASCII.
  if (name.empty() || HasWildcard(name) || name.find('~') != std::string::npos || name.back() == '.' ||
      name.back() == ' ' || std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; })) {
    return true;
  }
  auto [at, added] = names_.try_emplace(util::ToLowerAscii(folder));
  if (added) {
    platform::FindData found;
    std::unique_ptr<platform::FileFind> find =
        files_.FindFirst(folder + (folder.back() == '\\' ? "" : "\\") + "*", &found);
    if (!find) {
      names_.erase(at);  // not listed: every name is asked for as before
      return true;
    }
    do {
      at->second.insert(util::ToLowerAscii(found.name));
    } while (find->Next(&found));
  }
  return at->second.count(util::ToLowerAscii(name)) > 0;
}

bool PathExists(const std::string& path, platform::FileSystem& files, SystemFolders& folders,
                FolderListings* listings) {
  for (const PathPattern& pattern : Expand(path, folders)) {
    if (Reaches(files, pattern.start, pattern.parts, 0, listings)) return true;
  }
  return false;
}

bool IsDetected(const Entry& entry, platform::Platform& platform, SystemFolders& folders, FolderListings* listings) {
  if (!entry.HasRules()) return false;
  if (entry.detectOs && !WithinOs(platform.shell, *entry.detectOs)) return false;
  if (!entry.HasDetection()) return true;
  for (const RegistryPath& key : entry.detectKeys) {
    if (KeyExists(platform.registry, key)) return true;
  }
  for (const std::string& path : entry.detectFiles) {
    if (PathExists(path, platform.files, folders, listings)) return true;
  }
  for (SpecialDetect detect : entry.specialDetects) {
    if (BrowserHere(platform, folders, detect)) return true;
  }
  return false;
}

}  // namespace community
