// A registry accessor for one operation: opens one key, reads and writes
// typed values, and closes the key when destroyed. Reading a missing value or
// a value of another type, and any failed write, throw RegistryError.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace settings {

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryAccessor {
 public:
  RegistryAccessor(platform::Registry& registry, platform::RegRoot root,
                   platform::RegAccess access = platform::RegAccess::QueryAndSet)
      : registry_(registry), root_(root), access_(access) {}

  // A leading backslash is allowed and ignored. False when the key cannot be
  // opened (or, with `canCreate`, created).
  bool OpenKey(const std::string& path, bool canCreate);
  void CloseKey() { key_.reset(); }

  bool ValueExists(const std::string& name);
  bool ReadBool(const std::string& name);  // any non-zero number is true
  int32_t ReadInteger(const std::string& name);
  std::string ReadString(const std::string& name);
  void WriteBool(const std::string& name, bool value);
  void WriteInteger(const std::string& name, int32_t value);
  void WriteString(const std::string& name, const std::string& value);
  // True when the value is gone: deleted now, or not there to begin with.
  bool DeleteValue(const std::string& name);

 private:
  platform::RegKey& Key(const std::string& name);
  platform::Registry& registry_;
  platform::RegRoot root_;
  platform::RegAccess access_;
  std::unique_ptr<platform::RegKey> key_;
};

}  // namespace settings
