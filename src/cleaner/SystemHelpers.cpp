// The shared registry and version routines of the cleaner steps.
#include "cleaner/SystemHelpers.h"

namespace cleaner {

bool DeleteRegKey(platform::Registry& registry, platform::RegRoot root, const std::string& path) {
  return registry.DeleteTree(root, path) == platform::kErrorSuccess;
}

bool DeleteRegValue(platform::Registry& registry, platform::RegRoot root, const std::string& path,
                    const std::string& name) {
  return registry.DeleteValue(root, path, name) == platform::kErrorSuccess;
}

bool IsWinNT(platform::Shell& shell) {
  constexpr uint32_t kPlatformNt = 2;
  platform::OsVersion version;
  if (!shell.QueryVersion(platform::kVersionInfoExSize, &version) &&
      !shell.QueryVersion(platform::kVersionInfoSize, &version)) {
    return false;
  }
  return version.platformId == kPlatformNt;
}

}  // namespace cleaner
