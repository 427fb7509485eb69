// The protected-storage autocomplete cleaner.
#include "cleaner/ProtectedStorage.h"

#include <cstdint>
#include <vector>

#include "cleaner/SystemHelpers.h"

namespace cleaner {
namespace {

using platform::KeyRight;
using platform::RegRoot;

constexpr const char* kProviderKey = "Software\\Microsoft\\Protected Storage System Provider\\";
constexpr const char* kDataKeyName = "e161255a-37c3-11d2-bcaa-00c04fd929db";
constexpr uint8_t kInheritToSubkeysAndObjects = platform::kObjectInheritAce | platform::kContainerInheritAce;
constexpr uint32_t kNameBufferChars = 261;

// Byte buffers of the sizes the calls ask for, freed when the call ends.
using Bytes = std::vector<uint64_t>;
Bytes BufferOf(uint32_t size) { return Bytes((size_t{size} + 7) / 8); }

// The largest record asked for. A token's user is a SID of at most 68 bytes
// after a 16-byte header; a descriptor's lists are at most 64 KiB each (their
// size is 16 bits). A larger size is a broken answer, not a buffer to make.
constexpr uint32_t kMaxSecurityRecord = uint32_t{1} << 20;

uint32_t SubAuthorityCount(const std::string& sid) { return sid.size() >= 2 ? static_cast<uint8_t>(sid[1]) : 0; }

// IsValidSid: revision 1, at most 15 sub-authorities, the length they make.
bool IsValidSid(const std::string& sid) {
  return sid.size() >= 8 && sid[0] == 1 && SubAuthorityCount(sid) <= 15 && sid.size() == 8 + 4 * SubAuthorityCount(sid);
}

uint32_t SubAuthority(const std::string& sid, uint32_t index) {
  uint32_t value = 0;
  for (int b = 3; b >= 0; --b) value = (value << 8) | static_cast<uint8_t>(sid[8 + 4 * index + b]);
  return value;
}

void AppendLittle(std::string* bytes, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) *bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// ACCESS_ALLOWED_ACE: type, flags, size, mask, the SID.
std::string AllowAllAce(const std::string& sid) {
  std::string ace;
  AppendLittle(&ace, platform::kAccessAllowedAceType, 1);
  AppendLittle(&ace, kInheritToSubkeysAndObjects, 1);
  AppendLittle(&ace, static_cast<uint32_t>(8 + sid.size()), 2);
  AppendLittle(&ace, platform::kKeyAllAccess, 4);
  return ace + sid;
}

}  // namespace

bool GetCurrentUserSid(platform::Security& security, std::string* sid) {
  long error = 0;
  std::unique_ptr<platform::AccessToken> token = security.OpenProcessTokenForQuery(&error);
  if (!token) return false;
  uint32_t needed = 0;
  // Asked with no buffer the call must fail with 122; anything else is a failure.
  if (token->QueryUser(nullptr, 0, &needed) != platform::kErrorInsufficientBuffer || needed == 0 ||
      needed > kMaxSecurityRecord) {
    return false;
  }
  Bytes info = BufferOf(needed);
  if (token->QueryUser(info.data(), needed, &needed) != platform::kErrorSuccess) return false;
  std::string copy = security.TokenUserSid(info.data());
  if (!IsValidSid(copy)) return false;
  *sid = copy;
  return true;
}

std::string SidToText(const std::string& sid) {
  if (sid.size() < 8) return "S-1-";
  // The authority is printed from its last byte alone.
  std::string text = "S-1-" + std::to_string(static_cast<uint8_t>(sid[7]));
  uint32_t count = SubAuthorityCount(sid);
  for (uint32_t i = 0; i < count && 8 + 4 * i + 4 <= sid.size(); ++i)
    text += "-" + std::to_string(SubAuthority(sid, i));
  return text;
}

bool GetKeyDacl(platform::Security& security, RegRoot root, const std::string& path, std::string* descriptor) {
  long error = 0;
  std::unique_ptr<platform::SecuredKey> key = security.OpenKey(root, path, KeyRight::ReadControl, &error);
  if (!key) return false;
  uint32_t size = 0;
  if (key->GetDacl(nullptr, &size) != platform::kErrorInsufficientBuffer || size > kMaxSecurityRecord) return false;
  Bytes buffer = BufferOf(size);
  if (key->GetDacl(buffer.data(), &size) != platform::kErrorSuccess) return false;
  descriptor->assign(reinterpret_cast<const char*>(buffer.data()), size);
  return true;
}

bool BuildUserSystemDacl(const std::string& userSid, std::string* descriptor) {
  if (!IsValidSid(userSid)) return false;
  const std::string localSystem("\x01\x01\0\0\0\0\0\x05\x12\0\0\0", 12);  // S-1-5-18
  std::string acl;
  AppendLittle(&acl, platform::kAclRevision, 1);
  AppendLittle(&acl, 0, 1);
  AppendLittle(&acl, static_cast<uint32_t>(userSid.size() + localSystem.size() + 24), 2);
  AppendLittle(&acl, 2, 2);  // two entries
  AppendLittle(&acl, 0, 2);
  acl += AllowAllAce(userSid) + AllowAllAce(localSystem);
  // DACL present, self-relative; no owner, group or SACL; the DACL at 20.
  std::string header;
  AppendLittle(&header, platform::kSecurityDescriptorRevision, 1);
  AppendLittle(&header, 0, 1);
  AppendLittle(&header, platform::kSeDaclPresent | platform::kSeSelfRelative, 2);
  AppendLittle(&header, 0, 4);
  AppendLittle(&header, 0, 4);
  AppendLittle(&header, 0, 4);
  AppendLittle(&header, 20, 4);
  *descriptor = header + acl;
  return true;
}

bool SetKeyDacl(platform::Security& security, RegRoot root, const std::string& path, bool recursive,
                const std::string& descriptor) {
  long error = 0;
  {
    std::unique_ptr<platform::SecuredKey> key = security.OpenKey(root, path, KeyRight::WriteDac, &error);
    if (!key || key->SetDacl(descriptor) != platform::kErrorSuccess) return false;
  }
  if (!recursive) return true;
  std::unique_ptr<platform::SecuredKey> key = security.OpenKey(root, path, KeyRight::Read, &error);
  uint32_t count = 0;
  if (!key || key->QuerySubkeyCount(&count) != platform::kErrorSuccess) return false;
  for (uint32_t index = 0; index < count; ++index) {
    std::string name;
    long rc = key->EnumSubkey(index, kNameBufferChars, &name);
    if (rc == platform::kErrorSuccess) {
      SetKeyDacl(security, root, path + "\\" + name, true, descriptor);
    } else if (rc == platform::kErrorNoMoreItems) {
      break;
    }
  }
  return true;
}

void CleanProtectedStorage(platform::Platform& platform, bool isWinNT) {
  platform::Security& security = platform.security;
  std::string sid;
  if (isWinNT && GetCurrentUserSid(security, &sid)) {
    std::string top = kProviderKey + SidToText(sid);
    std::string data = top + "\\Data";
    std::string dataKey = data + "\\" + kDataKeyName;
    // A key's list is opened only when its old list could be read, so that
    // every key it opens gets its list back; the data key's tree goes.
    std::string savedTop;
    std::string savedData;
    bool haveTop = GetKeyDacl(security, RegRoot::CurrentUser, top, &savedTop);
    bool haveData = GetKeyDacl(security, RegRoot::CurrentUser, data, &savedData);
    std::string opened;
    if (BuildUserSystemDacl(sid, &opened)) {
      if (haveTop) SetKeyDacl(security, RegRoot::CurrentUser, top, false, opened);
      if (haveData) SetKeyDacl(security, RegRoot::CurrentUser, data, false, opened);
      SetKeyDacl(security, RegRoot::CurrentUser, dataKey, true, opened);
      DeleteRegKey(platform.registry, RegRoot::CurrentUser, dataKey);
    }
    if (haveData) SetKeyDacl(security, RegRoot::CurrentUser, data, false, savedData);
    if (haveTop) SetKeyDacl(security, RegRoot::CurrentUser, top, false, savedTop);
  }
  std::string user;
  if (security.LogonUserName(260, &user)) {
    DeleteRegKey(platform.registry, RegRoot::LocalMachine, kProviderKey + user + "\\Data\\" + kDataKeyName);
  }
}

}  // namespace cleaner
