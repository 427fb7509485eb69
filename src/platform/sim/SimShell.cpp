// The simulated shell.
#include "platform/sim/SimShell.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "platform/sim/SimNames.h"

namespace platform::sim {
namespace {

using JumpList = SimShell::JumpList;

// A jump list's file holds one line per entry: its kind, a tab, the entry.
struct EntryKind {
  const char* name;
  std::vector<std::string> JumpList::*entries;
};
const EntryKind kEntryKinds[] = {
    {"pinned", &JumpList::pinned}, {"recent", &JumpList::recent}, {"frequent", &JumpList::frequent}};

std::string JumpListText(const JumpList& list) {
  std::string text;
  for (const EntryKind& kind : kEntryKinds) {
    for (const std::string& entry : list.*kind.entries) text += std::string(kind.name) + "\t" + entry + "\n";
  }
  return text;
}

JumpList ParseJumpList(const std::string& text) {
  JumpList list;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    const size_t tab = line.find('\t');
    for (const EntryKind& kind : kEntryKinds) {
      if (tab != std::string::npos && line.compare(0, tab, kind.name) == 0) {
        (list.*kind.entries).push_back(line.substr(tab + 1));
      }
    }
    at = end + 1;
  }
  return list;
}

}  // namespace

SimShell::SimShell(SimFileSystem& files)
    : specialFolders{
          {kCsidlPersonal, "C:\\users\\user\\Documents"},
          {kCsidlFavorites, "C:\\users\\user\\Favorites"},
          {kCsidlRecent, "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent"},
          {kCsidlNetHood, "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts"},
          {kCsidlAppData, "C:\\users\\user\\AppData\\Roaming"},
          {kCsidlInternetCache, "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache"},
          {kCsidlHistory, "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\History"},
          {kCsidlCommonAppData, "C:\\ProgramData"},
          {kCsidlWindows, "C:\\windows"},
          {kCsidlProgramFiles, "C:\\Program Files"},
          {kCsidlProfile, "C:\\users\\user"},
          {kCsidlDesktopDirectory, "C:\\users\\user\\Desktop"},
          {kCsidlLocalAppData, "C:\\users\\user\\AppData\\Local"},
          {kCsidlSystem, "C:\\windows\\system32"},
          {kCsidlProgramFilesX86, "C:\\Program Files (x86)"},
          {kCsidlCommonDocuments, "C:\\users\\Public\\Documents"},
          {kCsidlMyMusic, "C:\\users\\user\\Music"},
          {kCsidlMyPictures, "C:\\users\\user\\Pictures"},
          {kCsidlMyVideo, "C:\\users\\user\\Videos"},
          {kKnownFolderDownloads, "C:\\users\\user\\Downloads"},
          {kKnownFolderLocalAppDataLow, "C:\\users\\user\\AppData\\LocalLow"},
          {kKnownFolderPublic, "C:\\users\\Public"},
          {kKnownFolderUserProfiles, "C:\\users"},
          {kKnownFolderProgramFilesX64, "C:\\Program Files"},
          {kCsidlProgramFilesCommon, "C:\\Program Files\\Common Files"},
          {kCsidlProgramFilesCommonX86, "C:\\Program Files (x86)\\Common Files"},
          {kKnownFolderProgramFilesCommonX64, "C:\\Program Files\\Common Files"},
          {kCsidlStartMenu, "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
          {kCsidlPrograms, "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
          {kCsidlCommonStartMenu, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
          {kCsidlCommonDesktopDirectory, "C:\\users\\Public\\Desktop"},
          {kCsidlSystemX86, "C:\\windows\\SysWOW64"},
          {kCsidlFonts, "C:\\windows\\Fonts"},
      },
      files_(files) {}

void SimShell::MaybeThrow() {
  if (throwOnNextCall.empty()) return;
  std::string what;
  what.swap(throwOnNextCall);
  throw std::runtime_error(what);
}

bool SimShell::SpecialFolder(int csidl, std::string* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  auto it = specialFolders.find(csidl);
  if (it == specialFolders.end() || it->second.empty()) return false;
  *path = it->second;
  return true;
}

bool SimShell::TempFolder(std::string* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  if (tempFolder.empty()) return false;
  *path = tempFolder;
  return true;
}

bool SimShell::UserTempFolder(std::string* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  if (userTempFolder.empty()) return false;
  *path = userTempFolder;
  return true;
}

bool SimShell::WindowsFolder(std::string* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  if (windowsFolder.empty()) return false;
  *path = windowsFolder;
  return true;
}

long SimShell::EmptyRecycleBin(uint32_t flags) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  recycleBinCalls.push_back(flags);
  if (recycleBinResult == kHresultOk) {
    recycled.clear();
    recycledBytes = 0;
  }
  return recycleBinResult;
}

long SimShell::QueryRecycleBin(uint64_t* items, uint64_t* bytes) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  if (recycleQueryResult != kHresultOk) return recycleQueryResult;
  *items = recycled.size();
  *bytes = recycledBytes;
  return kHresultOk;
}

bool SimShell::QueryVersion(uint32_t structSize, OsVersion* version) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  versionCalls.push_back(structSize);
  if (std::find(acceptedVersionSizes.begin(), acceptedVersionSizes.end(), structSize) == acceptedVersionSizes.end()) {
    return false;
  }
  *version = this->version;
  return true;
}

long SimShell::ApplicationIds(std::vector<std::string>* ids) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  if (applicationIdsResult != kHresultOk) return applicationIdsResult;
  *ids = applicationIds;
  return kHresultOk;
}

std::string SimShell::JumpListFile(const std::string& appId) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto recent = specialFolders.find(kCsidlRecent);
  if (recent == specialFolders.end() || recent->second.empty()) return {};
  // Windows names the file for a 64-bit hash of the identifier; this one
  // is FNV-1a over its capitals.
  uint64_t hash = 0xcbf29ce484222325ull;
  for (char32_t c : Capitals(appId)) hash = (hash ^ c) * 0x100000001b3ull;
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return recent->second + "\\AutomaticDestinations\\" + name + ".automaticDestinations-ms";
}

void SimShell::SetJumpList(const std::string& appId, const JumpList& list) {
  const std::string file = JumpListFile(appId);
  if (!file.empty()) files_.AddFile(file, JumpListText(list));
}

SimShell::JumpList SimShell::JumpListOf(const std::string& appId) {
  const std::string file = JumpListFile(appId);
  const SimFileSystem::Node* node = file.empty() ? nullptr : files_.Lookup(file);
  return node && !node->directory ? ParseJumpList(files_.Content(file)) : JumpList{};
}

long SimShell::RemoveAllDestinations(const std::string& appId) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  // SetAppID refuses an empty identifier, as Windows does.
  if (appId.empty()) return kHresultInvalidArgument;
  if (removeDestinationsResult != kHresultOk) return removeDestinationsResult;
  const std::string file = JumpListFile(appId);
  if (file.empty() || !files_.IsFile(file)) return kHresultOk;
  JumpList list = JumpListOf(appId);
  list.recent.clear();
  list.frequent.clear();
  SetJumpList(appId, list);
  return kHresultOk;
}

}  // namespace platform::sim
