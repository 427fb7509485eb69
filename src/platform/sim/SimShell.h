// The simulated shell: special folders by number (as Wine names them), the
// temporary and Windows folders, a recycle bin, the version query and the
// jump lists, kept as Windows keeps them, in files in the Recent folder; each
// of which a test can take away or change.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/sim/SimFileSystem.h"

namespace platform::sim {

class SimShell : public Shell {
 public:
  explicit SimShell(SimFileSystem& files);

  bool SpecialFolder(int csidl, std::string* path) override;
  bool TempFolder(std::string* path) override;
  bool UserTempFolder(std::string* path) override;
  bool WindowsFolder(std::string* path) override;
  long EmptyRecycleBin(uint32_t flags) override;
  long QueryRecycleBin(uint64_t* items, uint64_t* bytes) override;
  bool QueryVersion(uint32_t structSize, OsVersion* version) override;
  long ApplicationIds(std::vector<std::string>* ids) override;
  long RemoveAllDestinations(const std::string& appId) override;

  // For tests; an empty path means the system cannot name that folder.
  std::map<int, std::string> specialFolders;
  // Where Windows keeps each account's temporary folder; the process's and
  // the account's own are the same unless a test makes them differ.
  std::string tempFolder = "C:\\users\\user\\AppData\\Local\\Temp\\";
  std::string userTempFolder = tempFolder;
  std::string windowsFolder = "C:\\windows";
  // Items in the recycle bin and their size; emptying it clears them.
  std::vector<std::string> recycled;
  uint64_t recycledBytes = 0;
  long recycleBinResult = kHresultOk;
  long recycleQueryResult = kHresultOk;
  std::vector<uint32_t> recycleBinCalls;  // the flags of every call
  OsVersion version{6, 1, 7601, 2};
  std::vector<uint32_t> acceptedVersionSizes{kVersionInfoExSize, kVersionInfoSize};
  std::vector<uint32_t> versionCalls;  // the structure size of every call
  // The applications the Applications folder lists (their AppUserModelIDs).
  std::vector<std::string> applicationIds;
  long applicationIdsResult = kHresultOk;
  // An application's jump list, as Windows keeps it: in a file of Recent's
  // AutomaticDestinations folder named for a hash of its AppUserModelID
  // (letter case aside). Removing its destinations empties the recent and
  // frequent entries and keeps the pinned ones (Quick Access's pins are
  // Explorer's). Writing one makes its file.
  struct JumpList {
    std::vector<std::string> pinned, recent, frequent;
  };
  void SetJumpList(const std::string& appId, const JumpList& list);
  // What the application's file holds; nothing when there is no file.
  JumpList JumpListOf(const std::string& appId);
  // Its file's path, which a missing Recent folder leaves empty.
  std::string JumpListFile(const std::string& appId);
  long removeDestinationsResult = kHresultOk;
  // The next call of any kind raises this message as std::runtime_error,
  // as a system call that runs out of memory would.
  std::string throwOnNextCall;

 private:
  void MaybeThrow();
  SimFileSystem& files_;
  std::recursive_mutex mutex_;
};

}  // namespace platform::sim
