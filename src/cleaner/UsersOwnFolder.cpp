// The user's own folders.
#include "cleaner/UsersOwnFolder.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "cleaner/FolderPurge.h"
#include "cleaner/ProtectedStorage.h"

namespace cleaner {
namespace {

// The rights that change a folder or what it holds: FILE_ADD_FILE,
// FILE_ADD_SUBDIRECTORY, FILE_DELETE_CHILD, DELETE, WRITE_DAC, WRITE_OWNER,
// GENERIC_ALL and GENERIC_WRITE; of them, those that reach the entries a
// folder has already.
constexpr uint32_t kAddFile = 0x2, kAddSubdirectory = 0x4, kDeleteChild = 0x40, kDelete = 0x10000;
constexpr uint32_t kWriteDac = 0x40000, kWriteOwner = 0x80000, kGenericAll = 0x10000000, kGenericWrite = 0x40000000;
constexpr uint32_t kReachesEntries = kDeleteChild | kDelete | kWriteDac | kWriteOwner | kGenericAll;
constexpr uint32_t kChanges = kReachesEntries | kAddFile | kAddSubdirectory | kGenericWrite;

// The accounts of the system itself, which may do anything anyway:
// LocalSystem, the Administrators, TrustedInstaller; and the owner's rights
// (OWNER RIGHTS), once the owner is one of these or the user.
bool IsSystems(const std::string& sid) {
  return sid == "S-1-5-18" || sid == "S-1-5-32-544" ||
         sid == "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
}

// Why the folder, as its security says, is not the user's; empty when it is.
std::string WhyNotOwn(const platform::FolderSecurity& security, const std::string& user, bool root,
                      const std::string& path) {
  if (security.owner != user && !IsSystems(security.owner)) return "another account owns " + path;
  const uint32_t harmful = root ? kReachesEntries : kChanges;
  for (const platform::FolderSecurity::Allowed& entry : security.allowed) {
    if ((entry.rights & harmful) && entry.sid != user && !IsSystems(entry.sid) && entry.sid != "S-1-3-4") {
      return "other accounts may change " + path;
    }
  }
  return {};
}

}  // namespace

bool IsUsersOwnFolder(platform::Platform& platform, const std::string& folder, std::string* why) {
  std::string sid;
  if (!GetCurrentUserSid(platform.security, &sid)) {
    *why = "Windows did not say which account runs the cleaning";
    return false;
  }
  const std::string user = SidToText(sid);
  const size_t root = RootLength(folder);
  std::vector<std::string> parts = Components(folder.substr(root));
  if (root == 0 || std::any_of(parts.begin(), parts.end(), platform::IsDotEntry)) {
    *why = "it is no plain full path";
    return false;
  }
  std::string path = folder.substr(0, root) + "\\";
  std::unique_ptr<platform::FolderHandle> level = platform.files.OpenFolder(path, false);
  for (size_t i = 0;; ++i) {
    platform::FolderSecurity security;
    if (!level || !level->ReadSecurity(&security)) {
      *why = "Windows did not say who may change " + path;
      return false;
    }
    *why = WhyNotOwn(security, user, i == 0, path);
    if (!why->empty()) return false;
    if (i == parts.size()) return true;
    path = level->path() + "\\" + parts[i];
    level = level->OpenFolder(parts[i], 0);
    if (!level && platform.files.LastError() == platform::kErrorStoppedOnSymlink) {
      *why = path + " is a link to another place";
      return false;
    }
  }
}

}  // namespace cleaner
