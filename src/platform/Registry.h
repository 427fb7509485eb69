// The registry, shaped like the Reg* calls: errors come back as Win32 error codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

namespace platform {

// The hives, and two of them as a 32-bit program on 64-bit Windows sees
// them (opened with KEY_WOW64_32KEY): there Windows redirects SOFTWARE, and
// the classes' CLSID, Interface and a few more, to their WOW6432Node, and
// leaves the rest shared. Every other root is the 64-bit view, whatever the
// program's own width.
enum class RegRoot { CurrentUser, LocalMachine, ClassesRoot, Users, CurrentConfig, LocalMachine32, ClassesRoot32 };

// The rights a handle is opened with: exactly what its calls need, so that a
// key whose access list grants a standard user only these still opens.
// KEY_QUERY_VALUE | KEY_SET_VALUE, KEY_SET_VALUE (which deleting a value needs
// too) and KEY_QUERY_VALUE.
enum class RegAccess { QueryAndSet, SetOnly, QueryOnly };

enum class RegType : uint32_t { None = 0, String = 1, Binary = 3, DWord = 4 };

struct RegValue {
  RegType type = RegType::None;
  uint32_t number = 0;  // RegType::DWord
  std::string data;     // RegType::String (UTF-8, no terminator) or Binary (raw bytes)

  static RegValue DWord(uint32_t n) { return {RegType::DWord, n, {}}; }
  static RegValue String(std::string s) { return {RegType::String, 0, std::move(s)}; }
  static RegValue Binary(std::string bytes) { return {RegType::Binary, 0, std::move(bytes)}; }
};

// An open key; closed when destroyed.
class RegKey {
 public:
  virtual ~RegKey() = default;
  // kErrorFileNotFound when the value is missing.
  virtual long QueryValue(const std::string& name, RegValue* value) = 0;
  virtual long SetValue(const std::string& name, const RegValue& value) = 0;
  virtual long DeleteValue(const std::string& name) = 0;
  // The names of the key's values (RegEnumValue), in the system's order.
  virtual long ValueNames(std::vector<std::string>* names) = 0;
  // The key's name in the registry's own namespace, as NtQueryKey gives it
  // ("\REGISTRY\MACHINE\SOFTWARE\WOW6432Node\Vendor"): two handles with
  // the same name are one key, as a key both views share is.
  virtual long FullName(std::string* name) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens root\path. With `create`, missing keys on the path are created
  // (RegCreateKeyEx); without it a missing key gives kErrorFileNotFound.
  // Returns null and sets *error on failure.
  virtual std::unique_ptr<RegKey> Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                                       long* error) = 0;
  // Deletes a key with all its subkeys and values (SHDeleteKey, in the root's view).
  virtual long DeleteTree(RegRoot root, const std::string& path) = 0;
  // Deletes one value of a key (SHDeleteValue, in the root's view).
  virtual long DeleteValue(RegRoot root, const std::string& path, const std::string& name) = 0;
};

}  // namespace platform
