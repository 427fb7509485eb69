// A simulated process: a mutex table that several simulated processes can
// share, threads that can be refused, a settable executable path, and DLLs
// whose exports are functions.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Process.h"
#include "util/Text.h"

namespace platform::sim {

class SimDesktop;

// The kernel's named mutexes, shared by the processes of one simulated machine.
struct SimMutexTable {
  struct Mutex {
    int handles = 0;         // open handles; the mutex goes with the last one
    std::thread::id owner;   // none when free
    int ownerCount = 0;      // recursive ownership
    bool abandoned = false;  // the owner ended without releasing it
    std::string ownerSid;    // the account that made it; empty for default security
  };
  std::mutex lock;
  std::map<std::string, Mutex> mutexes;

  bool Exists(const std::string& name) {
    std::lock_guard<std::mutex> guard(lock);
    return mutexes.count(name) != 0;
  }
  // Every mutex a thread still owns becomes abandoned, as when the thread ends.
  void AbandonOwnedBy(std::thread::id thread);
};

class SimProcess : public Process {
 public:
  explicit SimProcess(std::shared_ptr<SimMutexTable> mutexes = std::make_shared<SimMutexTable>())
      : mutexes_(std::move(mutexes)) {}

  MutexResult CreateInitiallyOwnedMutex(const std::string& name) override;
  TakenMutex TryTakeMutex(const std::string& name) override;
  TakenMutex TryTakeUserMutex(const std::string& name) override;
  std::string UserSid() override { return userSid; }
  // A thread that ends owning a mutex leaves it abandoned.
  std::thread StartThread(std::function<void()> body) override;
  // Records the exit; the simulation cannot end the test's own process.
  void ExitNow(uint32_t exitCode) override { exitedWith = exitCode; }
  std::string ExecutablePath() override { return executablePath; }
  ModuleId LoadModule(const std::string& fullPath) override;
  bool CallExport(ModuleId module, const std::string& exportName, HResult* result) override;
  // The programs of `runningPrograms` and `backgroundPrograms`, then this
  // one (showing a window when one of its windows on `desktop` is shown).
  std::vector<RunningProcess> RunningProcesses() override;
  // Waits for the processes of that name this user may open: not the elevated ones.
  std::unique_ptr<ProgramEndWatch> WatchProgramEnd(const std::string& programFile,
                                                   std::function<void()> allEnded) override;
  // A session over `filesInUse`: its users are the processes of the
  // programs holding a registered file; a shutdown ends them as EndProgram
  // does, except those in `refuseToEnd`, and none at all when one of them
  // runs elevated (the Restart Manager would need rights this user lacks).
  std::unique_ptr<RestartSession> StartRestartSession(long* error) override;

  std::string executablePath = "C:\\Program Files\\Corvane\\corvane.exe";
  // The account the process runs as. Processes of one machine that share the
  // mutex table but not this are other users', in any session.
  std::string userSid = "S-1-5-21-1004336348-1177238915-682003330-1001";
  // DLLs on the disk that LoadModule finds: full path -> export name -> function.
  std::map<std::string, std::map<std::string, std::function<HResult()>>, util::LessNoCase> libraries;
  // Every load asked for, by the name or path given.
  std::map<std::string, int, util::LessNoCase> loadCount;
  // The system is out of threads: StartThread throws as std::thread does.
  bool refuseThreads = false;
  std::optional<uint32_t> exitedWith;
  // Other programs running in this session, by file name: one process each,
  // showing a window, as a program the user has open.
  std::vector<std::string> runningPrograms;
  // Where a program of `runningPrograms` may have its windows: one whose
  // windows there are all hidden, none hidden for the user, shows none.
  const SimDesktop* desktop = nullptr;
  // The same without any window shown: a browser its settings keep running
  // after its last window closed.
  std::vector<std::string> backgroundPrograms;
  // Programs of those two lists that run elevated: listed, but a standard
  // user may not open their processes (OpenProcess refuses).
  std::set<std::string, util::LessNoCase> elevated;
  // Every process of `programFile` ends: its names leave the lists above, and
  // each watch that waited for them calls back on a thread of its own.
  void EndProgram(const std::string& programFile);
  // The last window of `programFile` closes, and its process goes on in the background.
  void KeepInBackground(const std::string& programFile);
  // Files that a running program holds open, for the Restart Manager: path -> program file.
  std::map<std::string, std::string, util::LessNoCase> filesInUse;
  // Programs that stay when the Restart Manager asks them to end.
  std::set<std::string, util::LessNoCase> refuseToEnd;
  // The programs the Restart Manager ended, in order.
  std::vector<std::string> endedByRestartManager;
  // RmStartSession fails with this when not 0.
  long restartSessionError = 0;
  // Whether a process of `programFile` is in one of the lists, or is this one.
  bool Runs(const std::string& programFile);
  // The watches not yet ended.
  size_t programWatches() const { return programWatches_.size(); }
  std::shared_ptr<SimMutexTable> mutexes() const { return mutexes_; }
  // Where the mutexes of TryTakeUserMutex of the account `sid` are, in the table.
  static std::string UserNamespace(const std::string& sid) { return "<private namespace of " + sid + ">\\"; }

 private:
  TakenMutex Take(const std::string& name, const std::string& ownerSid);

  std::shared_ptr<SimMutexTable> mutexes_;
  std::map<ModuleId, std::string> loaded_;
  struct ProgramWatch {
    std::string programFile;
    std::function<void()> allEnded;
  };
  std::map<int, ProgramWatch> programWatches_;
  int nextWatch_ = 0;
};

}  // namespace platform::sim
