// The simulated process services.
#include "platform/sim/SimProcess.h"

namespace platform::sim {
namespace {

class SimMutex : public NamedMutex {
 public:
  SimMutex(std::shared_ptr<SimMutexTable> table, std::string name) : table_(std::move(table)), name_(std::move(name)) {
    ++table_->handles[name_];
  }
  ~SimMutex() override {
    if (--table_->handles[name_] == 0) table_->handles.erase(name_);
  }

 private:
  std::shared_ptr<SimMutexTable> table_;
  std::string name_;
};

}  // namespace

MutexResult SimProcess::CreateInitiallyOwnedMutex(const std::string& name) {
  MutexResult result;
  result.alreadyExisted = mutexes_->handles.count(name) != 0;
  result.handle = std::make_unique<SimMutex>(mutexes_, name);
  return result;
}

ModuleId SimProcess::LoadModule(const std::string& fullPath) {
  ++loadCount[fullPath];
  if (!IsFullPath(fullPath) || !libraries.count(fullPath)) return 0;
  ModuleId id = loaded_.size() + 1;
  loaded_[id] = fullPath;
  return id;
}

bool SimProcess::CallExport(ModuleId module, const std::string& exportName, HResult* result) {
  auto lib = loaded_.find(module);
  if (lib == loaded_.end()) return false;
  auto& exports = libraries[lib->second];
  auto fn = exports.find(exportName);
  if (fn == exports.end()) return false;
  *result = fn->second();
  return true;
}

}  // namespace platform::sim
