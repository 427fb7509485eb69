// Paths of the format on this machine, and the places rules leave alone.
#include "community/Places.h"

#include <algorithm>

#include "util/Text.h"

namespace community {
namespace {

bool SameText(const std::string& a, const char* b) { return util::EqualNoCase(a, b); }

// The path as written with every variable after the first given its
// folder's text: %UserName% in the middle of a path.
bool SubstituteRest(std::string* rest, SystemFolders& folders) {
  for (size_t at = rest->find('%'); at != std::string::npos; at = rest->find('%', at)) {
    const size_t end = rest->find('%', at + 1);
    if (end == std::string::npos) return false;
    std::optional<Variable> variable = VariableNamed(std::string_view(*rest).substr(at + 1, end - at - 1));
    if (!variable || folders.Values(*variable).empty()) return false;
    const std::string& value = folders.Values(*variable).front();
    rest->replace(at, end - at + 1, value);
    at += value.size();
  }
  return true;
}

}  // namespace

std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c != '\\' && c != '/') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(std::move(part));
      part.clear();
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

std::vector<std::string> PathPattern::Segments() const {
  std::vector<std::string> segments = PathParts(start);
  segments.insert(segments.end(), parts.begin(), parts.end());
  return segments;
}

std::vector<PathPattern> Expand(const std::string& path, SystemFolders& folders) {
  std::vector<std::string> starts;
  std::string rest;
  if (!path.empty() && path[0] == '%') {
    const size_t end = path.find('%', 1);
    std::optional<Variable> variable =
        end == std::string::npos ? std::nullopt : VariableNamed(std::string_view(path).substr(1, end - 1));
    if (!variable) return {};
    starts = folders.Values(*variable);
    rest = path.substr(end + 1);
  } else if (path.rfind("\\\\", 0) == 0) {
    // A share: its server and name are where it starts.
    std::vector<std::string> parts = PathParts(path);
    if (parts.size() < 2) return {};
    starts.push_back("\\\\" + parts[0] + "\\" + parts[1]);
    for (size_t i = 2; i < parts.size(); ++i) rest += "\\" + parts[i];
  } else {
    starts.push_back(path.substr(0, 2));
    rest = path.substr(2);
  }
  if (!SubstituteRest(&rest, folders)) return {};
  std::vector<PathPattern> patterns;
  for (std::string start : starts) {
    // A drive alone is its root.
    if (start.size() == 2 && start[1] == ':') start += '\\';
    PathPattern pattern{start, PathParts(rest)};
    // A variable glued to more of a name ("%ProgramFiles%x") starts at its parent.
    if (!rest.empty() && rest[0] != '\\') {
      std::vector<std::string> startParts = PathParts(start);
      if (startParts.size() < 2) continue;
      pattern.parts.front() = startParts.back() + pattern.parts.front();
      pattern.start = start.substr(0, start.find_last_of('\\'));
      if (pattern.start.size() == 2) pattern.start += '\\';
    }
    patterns.push_back(std::move(pattern));
  }
  return patterns;
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

bool PartMatches(platform::FileSystem& files, const std::string& pattern, const std::string& segment) {
  return HasWildcard(pattern) ? util::MatchesMask(pattern, segment) : files.SameName(pattern, segment);
}

bool PrefixMatches(platform::FileSystem& files, const std::vector<std::string>& pattern,
                   const std::vector<std::string>& path, bool whole) {
  if (pattern.size() > path.size() || (whole && pattern.size() != path.size())) return false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (!PartMatches(files, pattern[i], path[i])) return false;
  }
  return true;
}

bool TakesEverything(const std::string& pattern) { return pattern.find_first_not_of("*?.") == std::string::npos; }

ProtectedFolders::ProtectedFolders(platform::Platform& platform) : files_(platform.files) {
  static const struct {
    int id;
    const char* name;
  } kKnown[] = {{platform::kCsidlWindows, "Windows"},
                {platform::kCsidlSystem, "System32"},
                {platform::kCsidlSystemX86, "SysWOW64"},
                {platform::kCsidlProgramFiles, "Program Files"},
                {platform::kCsidlProgramFilesX86, "Program Files (x86)"},
                {platform::kKnownFolderProgramFilesX64, "Program Files"},
                {platform::kCsidlProgramFilesCommon, "Common Files"},
                {platform::kCsidlProgramFilesCommonX86, "Common Files (x86)"},
                {platform::kKnownFolderProgramFilesCommonX64, "Common Files"},
                {platform::kCsidlCommonAppData, "ProgramData"},
                {platform::kKnownFolderUserProfiles, "Users"},
                {platform::kCsidlProfile, "the profile folder"},
                {platform::kKnownFolderPublic, "Public"},
                {platform::kCsidlPersonal, "Documents"},
                {platform::kCsidlDesktopDirectory, "Desktop"},
                {platform::kKnownFolderDownloads, "Downloads"},
                {platform::kCsidlMyPictures, "Pictures"},
                {platform::kCsidlMyMusic, "Music"},
                {platform::kCsidlMyVideo, "Videos"},
                {platform::kKnownFolderOneDrive, "OneDrive"},
                {platform::kCsidlAppData, "AppData\\Roaming"},
                {platform::kCsidlLocalAppData, "AppData\\Local"},
                {platform::kKnownFolderLocalAppDataLow, "AppData\\LocalLow"},
                {platform::kCsidlStartMenu, "Start Menu"},
                {platform::kCsidlPrograms, "Start Menu\\Programs"},
                {platform::kCsidlStartup, "Startup"},
                {platform::kCsidlFavorites, "Favorites"},
                {platform::kCsidlTemplates, "Templates"},
                {platform::kCsidlSendTo, "SendTo"},
                {platform::kCsidlFonts, "Fonts"},
                {platform::kKnownFolderSavedGames, "Saved Games"},
                {platform::kKnownFolderLinks, "Links"},
                {platform::kKnownFolderContacts, "Contacts"},
                {platform::kKnownFolderSearches, "Searches"},
                {platform::kCsidlCommonDocuments, "Public Documents"},
                {platform::kCsidlCommonDesktopDirectory, "Public Desktop"},
                {platform::kCsidlCommonMusic, "Public Music"},
                {platform::kCsidlCommonPictures, "Public Pictures"},
                {platform::kCsidlCommonVideo, "Public Videos"},
                {platform::kKnownFolderPublicDownloads, "Public Downloads"},
                {platform::kCsidlCommonStartMenu, "the Start Menu of all users"},
                {platform::kCsidlCommonPrograms, "the Programs of all users"},
                {platform::kCsidlCommonStartup, "the Startup of all users"},
                {platform::kCsidlCommonTemplates, "the Templates of all users"},
                {platform::kCsidlCommonFavorites, "the Favorites of all users"}};
  auto add = [this](const char* name, const std::string& path) {
    std::vector<std::string> parts = PathParts(path);
    if (!parts.empty()) places_.push_back({name, std::move(parts), path});
  };
  for (const auto& known : kKnown) {
    std::string path, longPath;
    if (!platform.shell.SpecialFolder(known.id, &path)) continue;
    add(known.name, path);
    // As the paths a walk builds from listed names have it, too.
    if (files_.LongPathName(path, &longPath) && !files_.SameName(longPath, path)) add(known.name, longPath);
  }
  std::string windows;
  if (platform.shell.WindowsFolder(&windows)) add("Windows", windows);
}

std::string ProtectedFolders::NameOf(const std::string& folder) const {
  std::vector<std::string> parts = PathParts(folder);
  const bool share = folder.rfind("\\\\", 0) == 0;
  if (parts.size() <= (share ? 2u : 1u)) return share ? "a share's root" : "a drive's root";
  for (const Place& place : places_) {
    if (PrefixMatches(files_, place.parts, parts, true)) return place.name;
  }
  return {};
}

std::string ProtectedFolders::Below(const std::string& folder) const {
  std::vector<std::string> parts = PathParts(folder);
  for (const Place& place : places_) {
    if (place.parts.size() > parts.size() && PrefixMatches(files_, parts, place.parts, false)) return place.path;
  }
  return {};
}

std::vector<platform::RegRoot> RootsOf(Hive hive) {
  using platform::RegRoot;
  switch (hive) {
    case Hive::CurrentUser:
      return {RegRoot::CurrentUser};
    case Hive::LocalMachine:
      return {RegRoot::LocalMachine, RegRoot::LocalMachine32};
    case Hive::ClassesRoot:
      return {RegRoot::ClassesRoot, RegRoot::ClassesRoot32};
    case Hive::Users:
      return {RegRoot::Users};
    case Hive::CurrentConfig:
      break;
  }
  return {RegRoot::CurrentConfig};
}

std::vector<platform::RegRoot> ViewsOf(platform::Registry& registry, const RegistryPath& at) {
  using platform::RegRoot;
  std::vector<RegRoot> roots = RootsOf(at.hive);
  if (roots.size() == 1) return roots;
  const RegRoot wide = roots[0], narrow = roots[1];
  long error = platform::kErrorSuccess, narrowError = platform::kErrorSuccess;
  std::unique_ptr<platform::RegKey> a = registry.Open(wide, at.path, platform::RegAccess::QueryOnly, false, &error);
  std::unique_ptr<platform::RegKey> b =
      registry.Open(narrow, at.path, platform::RegAccess::QueryOnly, false, &narrowError);
  if (!b && platform::IsNotFound(narrowError)) return {wide};
  std::string nameA, nameB;
  if (a && b && a->FullName(&nameA) == platform::kErrorSuccess && b->FullName(&nameB) == platform::kErrorSuccess &&
      util::EqualNoCase(nameA, nameB)) {
    return {wide};
  }
  return {wide, narrow};
}

bool IsProtectedKey(Hive hive, const std::string& path) {
  std::vector<std::string> parts = PathParts(path);
  if (hive == Hive::Users) {
    // HKEY_USERS holds an account's key where another root holds its keys.
    if (parts.size() <= 1) return true;
    parts.erase(parts.begin());
  }
  if (parts.empty()) return true;
  std::string key = hive == Hive::ClassesRoot ? "Software\\Classes" : "";
  for (const std::string& part : parts) key += (key.empty() ? "" : "\\") + part;
  // The 32-bit copy of Software is held to the same rules.
  const std::string copy = "Software\\Wow6432Node";
  if (util::EqualNoCase(key.substr(0, copy.size()), copy)) {
    if (key.size() == copy.size()) return true;
    if (key[copy.size()] == '\\') key.erase(8, copy.size() - 8);
  }
  static const char* const kKeys[] = {"Software",
                                      "Software\\Classes",
                                      "Software\\Classes\\CLSID",
                                      "Software\\Classes\\Interface",
                                      "Software\\Classes\\TypeLib",
                                      "Software\\Classes\\AppID",
                                      "Software\\Classes\\Wow6432Node",
                                      "Software\\Microsoft",
                                      "Software\\Policies",
                                      "Software\\Microsoft\\Windows",
                                      "Software\\Microsoft\\Windows\\CurrentVersion",
                                      "Software\\Microsoft\\Windows NT",
                                      "Software\\Microsoft\\Windows NT\\CurrentVersion",
                                      "SYSTEM",
                                      "SYSTEM\\CurrentControlSet"};
  return std::any_of(std::begin(kKeys), std::end(kKeys), [&key](const char* k) { return SameText(key, k); });
}

namespace {
const char* const kPasswordStores[] = {
    "Login Data", "Login Data For Account", "logins.json", "logins-backup.json", "key4.db",
    "key3.db",    "signons.sqlite"};
}  // namespace

bool IsPasswordStore(const std::string& name) {
  return std::any_of(std::begin(kPasswordStores), std::end(kPasswordStores),
                     [&name](const char* store) { return SameText(name, store); });
}

bool PatternNamesPasswords(const std::string& pattern) {
  if (TakesEverything(pattern)) return false;
  return std::any_of(std::begin(kPasswordStores), std::end(kPasswordStores),
                     [&pattern](const char* store) { return util::MatchesMask(pattern, store); });
}

bool DeletesPasswords(const Entry& entry) {
  return std::any_of(entry.files.begin(), entry.files.end(), [](const FileRule& rule) {
    return std::any_of(rule.patterns.begin(), rule.patterns.end(), PatternNamesPasswords);
  });
}

std::string DatabaseOfJournal(const std::string& name) {
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    const size_t length = std::char_traits<char>::length(suffix);
    if (name.size() > length && SameText(name.substr(name.size() - length), suffix)) {
      return name.substr(0, name.size() - length);
    }
  }
  return {};
}

}  // namespace community
