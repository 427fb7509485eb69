// Profile discovery.
#include "browsers/Profiles.h"

#include <algorithm>

#include "browsers/JsonQuery.h"
#include "cookies/KeepList.h"
#include "platform/Process.h"
#include "util/Text.h"

namespace browsers {
namespace {

// Local State and profiles.ini are small; a larger file is none of theirs.
constexpr size_t kMaxListBytes = 16 * 1024 * 1024;

// A device's name (CON, NUL, COM1 ...), which Windows takes for the device
// in any folder and with any extension ("nul.txt"), blanks before it aside.
bool IsDeviceName(const std::string& name) {
  std::string base = util::ToLowerAscii(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (base == device) return true;
  }
  // COM and LPT with a digit, or with the superscripts 1, 2 and 3 (UTF-8).
  if (base.size() < 4 || (base.compare(0, 3, "com") != 0 && base.compare(0, 3, "lpt") != 0)) return false;
  const std::string number = base.substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" || number == "\xC2\xB2" ||
         number == "\xC2\xB3";
}

// One folder name, nothing that climbs out or names another place: no
// separator or drive, no wildcard (FindFirstFile takes *, ?, <, > and "
// for patterns, so "*" would find the data folder's own "." entry), no
// device, and no final dot or blank (which the system drops, so the name
// would be another's).
bool IsPlainName(const std::string& name) {
  if (name.empty() || platform::IsDotEntry(name) || name.back() == '.' || name.back() == ' ') return false;
  if (name.find_first_of("\\/:*?<>\"|") != std::string::npos || IsDeviceName(name)) return false;
  return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// A relative path of plain names, with "/" or "\" between them.
bool IsPlainRelativePath(const std::string& path) {
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find_first_of("\\/", begin);
    if (end == std::string::npos) end = path.size();
    if (!IsPlainName(path.substr(begin, end - begin))) return false;
    begin = end + 1;
  }
  return true;
}

std::string WindowsSeparators(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool IsProfileFolderName(const std::string& name) {
  if (util::EqualNoCase(name, "Default")) return true;
  const std::string prefix = "Profile ";
  if (name.size() <= prefix.size() || !util::EqualNoCase(name.substr(0, prefix.size()), prefix)) return false;
  return name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

// Adds the profile folder `name` of `data` when it is a folder and no link,
// and not there already; a link in its place is added to *refusedLinks (when given).
void AddChromiumProfile(platform::FileSystem& files, const std::string& data, const std::string& name,
                        const std::string& shown, const std::string& start, std::vector<Profile>* profiles,
                        std::vector<std::string>* refusedLinks) {
  if (!IsPlainName(name)) return;
  for (const Profile& p : *profiles) {
    if (util::EqualNoCase(p.folder, data + "\\" + name)) return;
  }
  platform::FindData entry;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(data + "\\" + name, &entry);
  if (!find || !(entry.attributes & platform::kAttrDirectory)) return;
  std::string folder = data + "\\" + entry.name;
  if (platform::IsLink(entry)) {
    // Listed twice when Local State names it too: told once.
    if (refusedLinks && std::find(refusedLinks->begin(), refusedLinks->end(), folder) == refusedLinks->end()) {
      refusedLinks->push_back(folder);
    }
    return;
  }
  profiles->push_back({shown.empty() ? entry.name : shown, folder, start, folder, start});
}

std::vector<Profile> ChromiumProfiles(platform::FileSystem& files, const BrowserRow& browser, const std::string& base,
                                      const AppDataFolders& appData, std::vector<std::string>* refusedLinks) {
  std::vector<Profile> profiles;
  const std::string data = base + "\\" + browser.dataFolder;
  if (!files.IsDirectory(data)) return profiles;
  if (browser.folderIsProfile) {
    // Its caches are kept under the local application data, as Firefox's are.
    bool roaming = browser.base == AppData::Roaming;
    profiles.push_back({browser.name, data, base, roaming ? appData.local + "\\" + browser.dataFolder : data,
                        roaming ? appData.local : base});
    return profiles;
  }
  std::string localState;
  if (files.ReadWholeFile(data + "\\Local State", &localState, kMaxListBytes) == platform::kErrorSuccess) {
    std::vector<std::vector<std::string>> rows;
    // A Local State that is no JSON lists nothing; the folders still count.
    QueryJson(localState, "SELECT key, json_extract(value, '$.name') FROM json_each(?1, '$.profile.info_cache')",
              &rows);
    for (const std::vector<std::string>& row : rows) {
      AddChromiumProfile(files, data, row[0], row[1], base, &profiles, refusedLinks);
    }
  }
  platform::FindData entry;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(data + "\\*", &entry);
  for (bool more = find != nullptr; more; more = find->Next(&entry)) {
    if (IsProfileFolderName(entry.name)) AddChromiumProfile(files, data, entry.name, "", base, &profiles, refusedLinks);
  }
  return profiles;
}

std::vector<Profile> FirefoxProfiles(platform::FileSystem& files, const BrowserRow& browser, const std::string& base,
                                     const AppDataFolders& appData) {
  std::vector<Profile> profiles;
  const std::string data = base + "\\" + browser.dataFolder;
  std::string ini;
  if (files.ReadWholeFile(data + "\\profiles.ini", &ini, kMaxListBytes) != platform::kErrorSuccess) return profiles;
  struct Entry {
    std::string name, path;
    bool relative = true;
  };
  std::vector<Entry> entries;
  bool inProfile = false;
  for (const std::string& line : cookies::SplitLines(ini)) {
    if (!line.empty() && line[0] == '[') {
      // [Profile0], [Profile1], ...; [General] and [Install...] are no profiles.
      inProfile = util::EqualNoCase(line.substr(0, 8), "[Profile");
      if (inProfile) entries.emplace_back();
      continue;
    }
    size_t equals = line.find('=');
    if (!inProfile || equals == std::string::npos) continue;
    std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (util::EqualNoCase(key, "Name")) entries.back().name = value;
    if (util::EqualNoCase(key, "Path")) entries.back().path = value;
    if (util::EqualNoCase(key, "IsRelative")) entries.back().relative = value != "0";
  }
  for (const Entry& e : entries) {
    Profile profile;
    profile.name = e.name.empty() ? e.path : e.name;
    if (e.relative) {
      if (!IsPlainRelativePath(e.path)) continue;
      const std::string relative = std::string(browser.dataFolder) + "\\" + WindowsSeparators(e.path);
      profile.folder = base + "\\" + relative;
      profile.start = base;
      profile.cacheFolder = appData.local + "\\" + relative;
      profile.cacheStart = appData.local;
    } else {
      // A drive's or a share's path of plain names, below its root.
      const std::string path = WindowsSeparators(e.path);
      if (!platform::IsFullPath(path) || !IsPlainRelativePath(path.substr(path[1] == ':' ? 3 : 2))) continue;
      // A profile kept elsewhere keeps its caches in itself.
      profile.folder = profile.cacheFolder = profile.start = profile.cacheStart = path;
      profile.elsewhere = true;
    }
    bool known = false;
    for (const Profile& p : profiles) known = known || util::EqualNoCase(p.folder, profile.folder);
    platform::FindData entry;
    std::unique_ptr<platform::FileFind> find = files.FindFirst(profile.folder, &entry);
    if (!known && find && (entry.attributes & platform::kAttrDirectory) && !platform::IsLink(entry)) {
      profiles.push_back(profile);
    }
  }
  return profiles;
}

}  // namespace

std::vector<Profile> FindProfiles(platform::FileSystem& files, const BrowserRow& browser, const AppDataFolders& appData,
                                  std::vector<std::string>* refusedLinks) {
  const std::string& base = browser.base == AppData::Local ? appData.local : appData.roaming;
  if (base.empty()) return {};
  return browser.family == Family::Chromium ? ChromiumProfiles(files, browser, base, appData, refusedLinks)
                                            : FirefoxProfiles(files, browser, base, appData);
}

}  // namespace browsers
