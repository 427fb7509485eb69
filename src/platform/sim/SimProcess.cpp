// The simulated process services.
#include "platform/sim/SimProcess.h"

#include <algorithm>
#include <system_error>

#include "platform/sim/SimDesktop.h"

namespace platform::sim {
namespace {

// One open handle of a named mutex; an owning one releases its ownership
// first, but only on the thread that owns it, as ReleaseMutex does.
class SimMutex : public NamedMutex {
 public:
  SimMutex(std::shared_ptr<SimMutexTable> table, std::string name, bool owning)
      : table_(std::move(table)), name_(std::move(name)), owning_(owning) {}
  ~SimMutex() override {
    std::lock_guard<std::mutex> guard(table_->lock);
    SimMutexTable::Mutex& m = table_->mutexes[name_];
    if (owning_ && m.owner == std::this_thread::get_id() && --m.ownerCount == 0) m.owner = {};
    if (--m.handles == 0) table_->mutexes.erase(name_);
  }

 private:
  std::shared_ptr<SimMutexTable> table_;
  std::string name_;
  bool owning_;
};

}  // namespace

void SimMutexTable::AbandonOwnedBy(std::thread::id thread) {
  std::lock_guard<std::mutex> guard(lock);
  for (auto& [name, m] : mutexes) {
    if (m.owner != thread) continue;
    m.owner = {};
    m.ownerCount = 0;
    m.abandoned = true;
  }
}

MutexResult SimProcess::CreateInitiallyOwnedMutex(const std::string& name) {
  MutexResult result;
  std::lock_guard<std::mutex> guard(mutexes_->lock);
  SimMutexTable::Mutex& m = mutexes_->mutexes[name];
  result.alreadyExisted = m.handles++ != 0;
  // The initial ownership is granted only to the creator.
  bool owning = !result.alreadyExisted;
  if (owning) {
    m.owner = std::this_thread::get_id();
    m.ownerCount = 1;
  }
  result.handle = std::make_unique<SimMutex>(mutexes_, name, owning);
  return result;
}

TakenMutex SimProcess::TryTakeMutex(const std::string& name) { return Take(name, {}); }

TakenMutex SimProcess::TryTakeUserMutex(const std::string& name) {
  // The namespace bound to the user's SID, where no other account can make
  // an object: no name another process can give reaches it.
  TakenMutex taken = Take(UserNamespace(userSid) + name, userSid);
  taken.inPrivateNamespace = true;
  return taken;
}

TakenMutex SimProcess::Take(const std::string& name, const std::string& ownerSid) {
  TakenMutex taken;
  std::lock_guard<std::mutex> guard(mutexes_->lock);
  const bool existed = mutexes_->mutexes.count(name) != 0;
  SimMutexTable::Mutex& m = mutexes_->mutexes[name];
  if (!existed) m.ownerSid = ownerSid;
  // A user's own mutex: another account's object of that name is not shared
  // (its access list refuses, or its owner is not the user).
  if (!ownerSid.empty() && m.ownerSid != ownerSid) {
    taken.result = MutexTake::Failed;
    return taken;
  }
  std::thread::id self = std::this_thread::get_id();
  if (m.owner != std::thread::id() && m.owner != self) {
    if (m.handles == 0) mutexes_->mutexes.erase(name);
    taken.result = MutexTake::Busy;
    return taken;
  }
  taken.result = m.abandoned ? MutexTake::TakenAbandoned : MutexTake::Taken;
  m.abandoned = false;
  m.owner = self;
  ++m.ownerCount;
  ++m.handles;
  taken.handle = std::make_unique<SimMutex>(mutexes_, name, true);
  return taken;
}

std::thread SimProcess::StartThread(std::function<void()> body) {
  if (refuseThreads) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  return std::thread([table = mutexes_, body = std::move(body)] {
    body();
    table->AbandonOwnedBy(std::this_thread::get_id());
  });
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

namespace {
bool Same(const std::string& a, const std::string& b) { return util::EqualNoCase(a, b); }
bool Among(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&name](const std::string& n) { return Same(n, name); });
}
}  // namespace

std::vector<RunningProcess> SimProcess::RunningProcesses() {
  // Ids as Windows gives them, multiples of 4, one range per list.
  std::vector<RunningProcess> processes;
  uint32_t id = 0x1000;
  // A program of the list with no window on the desktop shows one the test did not add.
  for (const std::string& name : runningPrograms) {
    processes.push_back({id += 4, name, !desktop || !desktop->HasWindowOf(name) || desktop->ShowsWindowOf(name)});
  }
  id = 0x2000;
  for (const std::string& name : backgroundPrograms) processes.push_back({id += 4, name, false});
  const std::string own = executablePath.substr(executablePath.find_last_of('\\') + 1);
  processes.push_back({0x100, own, desktop && desktop->ShowsWindowOf(own)});
  return processes;
}

bool SimProcess::Runs(const std::string& programFile) {
  return Among(runningPrograms, programFile) || Among(backgroundPrograms, programFile) ||
         Same(programFile, executablePath.substr(executablePath.find_last_of('\\') + 1));
}

void SimProcess::KeepInBackground(const std::string& programFile) {
  auto other = [&programFile](const std::string& name) { return !Same(name, programFile); };
  const auto moved = std::stable_partition(runningPrograms.begin(), runningPrograms.end(), other);
  backgroundPrograms.insert(backgroundPrograms.end(), moved, runningPrograms.end());
  runningPrograms.erase(moved, runningPrograms.end());
}

namespace {
class SimProgramEndWatch : public ProgramEndWatch {
 public:
  SimProgramEndWatch(std::function<void()> end) : end_(std::move(end)) {}
  ~SimProgramEndWatch() override { end_(); }

 private:
  std::function<void()> end_;
};
}  // namespace

std::unique_ptr<ProgramEndWatch> SimProcess::WatchProgramEnd(const std::string& programFile,
                                                             std::function<void()> allEnded) {
  // An elevated process cannot be opened for waiting.
  if (elevated.count(programFile) || (!Among(runningPrograms, programFile) && !Among(backgroundPrograms, programFile)))
    return nullptr;
  const int key = nextWatch_++;
  programWatches_[key] = {programFile, std::move(allEnded)};
  return std::make_unique<SimProgramEndWatch>([this, key] { programWatches_.erase(key); });
}

void SimProcess::EndProgram(const std::string& programFile) {
  auto same = [&programFile](const std::string& name) { return Same(name, programFile); };
  for (auto* list : {&runningPrograms, &backgroundPrograms}) {
    list->erase(std::remove_if(list->begin(), list->end(), same), list->end());
  }
  for (auto it = programWatches_.begin(); it != programWatches_.end();) {
    if (!same(it->second.programFile)) {
      ++it;
      continue;
    }
    // A wait ends once: the system's thread calls back and the wait is spent.
    std::function<void()> allEnded = std::move(it->second.allEnded);
    it = programWatches_.erase(it);
    std::thread(allEnded).join();
  }
}

}  // namespace platform::sim

namespace platform::sim {
namespace {

class SimRestartSession : public RestartSession {
 public:
  explicit SimRestartSession(SimProcess& process) : process_(process) {}
  long RegisterFiles(const std::vector<std::string>& files) override {
    registered_.insert(registered_.end(), files.begin(), files.end());
    return kErrorSuccess;
  }
  long ListUsers(std::vector<uint32_t>* processIds) override {
    processIds->clear();
    const std::vector<std::string> users = UserPrograms();
    for (const RunningProcess& p : process_.RunningProcesses()) {
      if (Among(users, p.programFile)) processIds->push_back(p.id);
    }
    return kErrorSuccess;
  }
  long ShutDownUsers() override {
    const std::vector<std::string> users = UserPrograms();
    for (const std::string& program : users) {
      if (process_.elevated.count(program)) return kErrorFailNoActionReboot;
    }
    long result = kErrorSuccess;
    for (const std::string& program : users) {
      if (process_.refuseToEnd.count(program)) {
        result = kErrorFailShutdown;
        continue;
      }
      process_.EndProgram(program);
      process_.endedByRestartManager.push_back(program);
    }
    return result;
  }

 private:
  // The running programs that hold a registered file, each once.
  std::vector<std::string> UserPrograms() {
    std::vector<std::string> programs;
    for (const std::string& file : registered_) {
      auto held = process_.filesInUse.find(file);
      if (held == process_.filesInUse.end() || !process_.Runs(held->second) || Among(programs, held->second)) continue;
      programs.push_back(held->second);
    }
    return programs;
  }

  SimProcess& process_;
  std::vector<std::string> registered_;
};

}  // namespace

std::unique_ptr<RestartSession> SimProcess::StartRestartSession(long* error) {
  *error = restartSessionError;
  if (restartSessionError != kErrorSuccess) return nullptr;
  return std::make_unique<SimRestartSession>(*this);
}

}  // namespace platform::sim
