// The registry through the ...W calls, in the 64-bit view unless a root
// names the 32-bit one, so every build of the program and the blocker
// module share one settings key.
#pragma once

#include <windows.h>

#include "platform/Registry.h"

namespace platform::win32 {

// The predefined key of a root, and the view flag (KEY_WOW64_64KEY or
// KEY_WOW64_32KEY) every open below it takes.
HKEY RootKey(RegRoot root);
REGSAM ViewOf(RegRoot root);

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegKey> Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                               long* error) override;
  long DeleteTree(RegRoot root, const std::string& path) override;
  long DeleteValue(RegRoot root, const std::string& path, const std::string& name) override;
};

}  // namespace platform::win32
