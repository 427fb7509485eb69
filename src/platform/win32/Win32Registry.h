// The registry through the ...W calls, always in the 64-bit view so every
// build of the program and the blocker module share one settings key.
#pragma once

#include "platform/Registry.h"

namespace platform::win32 {

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegKey> Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                               long* error) override;
  long DeleteTree(RegRoot root, const std::string& path) override;
  long DeleteValue(RegRoot root, const std::string& path, const std::string& name) override;
};

}  // namespace platform::win32
