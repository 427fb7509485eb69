// The protected-storage autocomplete cleaner (the first half of the
// autocomplete step) and its security helpers. SIDs and descriptors are
// bytes: a SID in its binary form, a descriptor self-relative.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace cleaner {

// The user SID from the process token; false on any failure.
bool GetCurrentUserSid(platform::Security& security, std::string* sid);
// "S-1-", the authority's last byte, then "-" and each sub-authority.
std::string SidToText(const std::string& sid);
// The key's current DACL as a descriptor; false when none could be read.
bool GetKeyDacl(platform::Security& security, platform::RegRoot root, const std::string& path, std::string* descriptor);
// A descriptor whose DACL grants all key rights, inherited, to the user and
// then to LocalSystem; false when the SID is not a valid one.
bool BuildUserSystemDacl(const std::string& userSid, std::string* descriptor);
// Writes the descriptor's DACL on the key and, when recursive, on every key
// below it, parents before their subkeys.
bool SetKeyDacl(platform::Security& security, platform::RegRoot root, const std::string& path, bool recursive,
                const std::string& descriptor);

// The step: on the NT family the user's data key is opened up and deleted
// and the top key gets its old DACL back; then, on every family, the data
// key under the local machine and the user name goes.
void CleanProtectedStorage(platform::Platform& platform, bool isWinNT);

}  // namespace cleaner
