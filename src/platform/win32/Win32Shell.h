// The shell's folder lookups, the recycle bin and the version query.
#pragma once

#include "platform/Shell.h"

namespace platform::win32 {

class Win32Shell : public Shell {
 public:
  bool SpecialFolder(int csidl, std::string* path) override;
  bool TempFolder(std::string* path) override;
  bool UserTempFolder(std::string* path) override;
  bool WindowsFolder(std::string* path) override;
  long EmptyRecycleBin(uint32_t flags) override;
  long QueryRecycleBin(uint64_t* items, uint64_t* bytes) override;
  bool QueryVersion(uint32_t structSize, OsVersion* version) override;
  // In Win32JumpLists.cpp.
  long ApplicationIds(std::vector<std::string>* ids) override;
  long RemoveAllDestinations(const std::string& appId) override;
};

}  // namespace platform::win32
