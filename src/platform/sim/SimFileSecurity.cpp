// Owners and access lists of the simulated files: what an entry was given
// (SetSecurity), or else what its place has on a fresh Windows 10 or 11.
#include "platform/sim/SimFileSystem.h"

namespace platform::sim {
namespace {

// Well-known accounts.
const char kSystem[] = "S-1-5-18";
const char kAdministrators[] = "S-1-5-32-544";
const char kUsers[] = "S-1-5-32-545";
const char kAuthenticatedUsers[] = "S-1-5-11";
const char kInteractive[] = "S-1-5-4";
const char kService[] = "S-1-5-6";
const char kCreatorOwner[] = "S-1-3-0";
const char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// FILE_ALL_ACCESS, what "Modify" grants, and "Read & execute".
constexpr uint32_t kFull = 0x1F01FF;
constexpr uint32_t kModify = 0x1301BF;
constexpr uint32_t kReadExecute = 0x1200A9;
// FILE_WRITE_DATA | FILE_APPEND_DATA: creating files and folders in a folder.
constexpr uint32_t kCreate = 0x6;

bool AtOrBelow(const std::string& path, const std::string& folder) {
  if (path.size() < folder.size() || !util::EqualNoCase(path.substr(0, folder.size()), folder)) return false;
  return path.size() == folder.size() || path[folder.size()] == '\\';
}

std::string Trimmed(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

}  // namespace

void SimFileSystem::SetSecurity(const std::string& path, ObjectSecurity security) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (Node* node = Lookup(path)) node->security = std::make_shared<ObjectSecurity>(std::move(security));
}

long SimFileSystem::QuerySecurity(const std::string& path, ObjectSecurity* security) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!Lookup(path)) return kErrorFileNotFound;
  // What the entry or a folder above it was given.
  for (std::string up = Trimmed(path);;) {
    Node* node = Lookup(up);
    if (node && node->security) {
      *security = *node->security;
      return kErrorSuccess;
    }
    const size_t cut = up.find_last_of('\\');
    if (cut == std::string::npos || up.size() <= 3) break;
    up = Trimmed(up.substr(0, cut + 1));
  }
  // What Windows gives each place.
  const std::string at = Trimmed(path);
  *security = ObjectSecurity{};
  auto admins = [&](uint32_t mask) {
    security->entries.push_back({kSystem, mask});
    security->entries.push_back({kAdministrators, mask});
  };
  if (AtOrBelow(at, profileFolder)) {
    security->owner = userSid;
    admins(kFull);
    security->entries.push_back({userSid, kFull});
  } else if (AtOrBelow(at, "C:\\users\\Public")) {
    security->owner = kSystem;
    admins(kFull);
    security->entries.push_back({kInteractive, kFull});
    security->entries.push_back({kService, kFull});
  } else if (AtOrBelow(at, "C:\\ProgramData")) {
    security->owner = kSystem;
    admins(kFull);
    security->entries.push_back({kCreatorOwner, kFull, true, kInheritOnlyAce});
    security->entries.push_back({kUsers, kReadExecute});
    security->entries.push_back({kUsers, kCreate});
  } else if (AtOrBelow(at, "C:\\Program Files") || AtOrBelow(at, "C:\\Program Files (x86)") ||
             AtOrBelow(at, "C:\\windows")) {
    security->owner = kTrustedInstaller;
    security->entries.push_back({kTrustedInstaller, kFull});
    admins(kModify);
    security->entries.push_back({kUsers, kReadExecute});
    security->entries.push_back({kCreatorOwner, kFull, true, kInheritOnlyAce});
  } else if (util::EqualNoCase(at, "C:\\users")) {
    security->owner = kSystem;
    admins(kFull);
    security->entries.push_back({kUsers, kReadExecute});
  } else {
    // A drive's root lets every account make folders in it, and a folder
    // made there gives them all "Modify" and its maker (CREATOR OWNER) full control.
    const bool root = at.size() <= 3;
    security->owner = root ? kSystem : userSid;
    admins(kFull);
    security->entries.push_back({kUsers, kReadExecute});
    security->entries.push_back({kAuthenticatedUsers, root ? kCreate : kModify});
    if (!root) security->entries.push_back({userSid, kFull});
  }
  return kErrorSuccess;
}

}  // namespace platform::sim
