// Process-wide services: the instance mutex, the executable's path, DLL exports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A named kernel mutex handle; closed when destroyed.
class NamedMutex {
 public:
  virtual ~NamedMutex() = default;
};

struct MutexResult {
  std::unique_ptr<NamedMutex> handle;  // null when the creation failed
  bool alreadyExisted = false;         // GetLastError() == ERROR_ALREADY_EXISTS
};

using ModuleId = uintptr_t;  // 0: not loaded

class Process {
 public:
  virtual ~Process() = default;
  // CreateMutex with default security, initially owned.
  virtual MutexResult CreateInitiallyOwnedMutex(const std::string& name) = 0;
  // The full path of the running executable (GetModuleFileName).
  virtual std::string ExecutablePath() = 0;
  // LoadModule with the standard search; the module stays loaded until exit.
  virtual ModuleId LoadModule(const std::string& name) = 0;
  // Calls an export that takes no arguments and returns an HRESULT-sized
  // value. False, without calling, when the module has no such export.
  virtual bool CallExport(ModuleId module, const std::string& exportName, long* result) = 0;
};

}  // namespace platform
