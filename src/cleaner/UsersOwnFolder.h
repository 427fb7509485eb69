// Whether a folder is the user's own, as its security says: a place no
// other account can rearrange while a cleaning works in it.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace cleaner {

// Whether `folder` (an absolute path) and every folder above it are the
// user's own: each owned by the user or by the system's own accounts, and
// no other account allowed to change it (make, rename or delete its
// entries, delete it, change its access list or owner). The drive's root is
// judged by what reaches the entries it has: every signed-in user may make
// folders at the root of C:\. Each folder is opened through the one above
// it, as itself, so a link on the way is no folder of the user's. False
// with why not in *why, a phrase such as "other accounts may change D:\x".
bool IsUsersOwnFolder(platform::Platform& platform, const std::string& folder, std::string* why);

}  // namespace cleaner
