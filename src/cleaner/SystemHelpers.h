// The registry and version routines the cleaner steps share.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/Shell.h"

namespace cleaner {

// Deletes a key with all its subkeys and values; true when the system reported success.
bool DeleteRegKey(platform::Registry& registry, platform::RegRoot root, const std::string& path);
// Deletes one named value; true when the system reported success.
bool DeleteRegValue(platform::Registry& registry, platform::RegRoot root, const std::string& path,
                    const std::string& name);
// True on the NT family. Asks with the extended version structure first,
// then with the basic one; false when both are refused.
bool IsWinNT(platform::Shell& shell);

}  // namespace cleaner
