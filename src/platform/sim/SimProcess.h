// A simulated process: a mutex table that several simulated processes can
// share, a settable executable path, and DLLs whose exports are functions.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/Process.h"
#include "util/Text.h"

namespace platform::sim {

// The kernel's named objects, shared by the processes of one simulated machine.
struct SimMutexTable {
  std::map<std::string, int> handles;  // name -> open handles
};

class SimProcess : public Process {
 public:
  explicit SimProcess(std::shared_ptr<SimMutexTable> mutexes = std::make_shared<SimMutexTable>())
      : mutexes_(std::move(mutexes)) {}

  MutexResult CreateInitiallyOwnedMutex(const std::string& name) override;
  std::string ExecutablePath() override { return executablePath; }
  ModuleId LoadModule(const std::string& fullPath) override;
  bool CallExport(ModuleId module, const std::string& exportName, HResult* result) override;

  std::string executablePath = "C:\\Program Files\\Corvane\\corvane.exe";
  // DLLs on the disk that LoadModule finds: full path -> export name -> function.
  std::map<std::string, std::map<std::string, std::function<HResult()>>, util::LessNoCase> libraries;
  // Every load asked for, by the name or path given.
  std::map<std::string, int, util::LessNoCase> loadCount;
  std::shared_ptr<SimMutexTable> mutexes() const { return mutexes_; }

 private:
  std::shared_ptr<SimMutexTable> mutexes_;
  std::map<ModuleId, std::string> loaded_;
};

}  // namespace platform::sim
