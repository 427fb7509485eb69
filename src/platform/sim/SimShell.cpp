// The simulated shell.
#include "platform/sim/SimShell.h"

#include <algorithm>
#include <stdexcept>

namespace platform::sim {

SimShell::SimShell()
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
      } {}

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

long SimShell::RemoveAllDestinations(const std::string& appId) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  MaybeThrow();
  // SetAppID refuses an empty identifier, as Windows does.
  if (appId.empty()) return kHresultInvalidArgument;
  if (removeDestinationsResult != kHresultOk) return removeDestinationsResult;
  auto it = jumpLists.find(appId);
  if (it != jumpLists.end()) {
    it->second.recent.clear();
    it->second.frequent.clear();
  }
  return kHresultOk;
}

}  // namespace platform::sim
