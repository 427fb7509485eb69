// Process-wide services: named mutexes, threads, the executable's path, DLL
// exports, the programs running beside this one, and ending the process.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ErrorCodes.h"

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

// What trying to take a named mutex without waiting gave.
enum class MutexTake {
  Taken,
  TakenAbandoned,  // taken; its last owner ended without releasing it (WAIT_ABANDONED)
  Busy,            // another thread owns it
  Failed,          // the mutex could not be created or opened
};

struct TakenMutex {
  // Held while this lives: releasing it on destruction works only on the
  // thread that took it, as Windows mutexes belong to a thread. Null unless taken.
  std::unique_ptr<NamedMutex> handle;
  MutexTake result = MutexTake::Failed;
  // TryTakeUserMutex: the mutex is in the user's private namespace (false:
  // the system has none, and it is the Global\ name).
  bool inPrivateNamespace = false;
};

using ModuleId = uintptr_t;  // 0: not loaded

// A wait on the processes of one program; ends when destroyed. Destroying it
// waits for a call of its callback that has begun, so it must not be
// destroyed from inside that call.
class ProgramEndWatch {
 public:
  virtual ~ProgramEndWatch() = default;
};

// A path that names its drive ("C:\\...") or its server ("\\\\server\\..."), so
// that nothing is looked up along a search path or from the current folder.
inline bool IsFullPath(const std::string& path) {
  bool drive =
      path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' && path[2] == '\\';
  return drive || path.rfind("\\\\", 0) == 0;
}

// A process of this session.
struct RunningProcess {
  uint32_t id = 0;
  std::string programFile;  // its program file's name ("msedge.exe")
  // It shows a top-level window: the user has it open. A browser kept
  // running after its last window closed shows none (its own windows stay
  // hidden).
  bool windowShown = false;
};

// A Restart Manager session (RmStartSession), ended when destroyed
// (RmEndSession): it learns which processes use some files and closes them
// as Windows closes programs before an update. Results are Win32 error codes.
class RestartSession {
 public:
  virtual ~RestartSession() = default;
  // RmRegisterResources with these files.
  virtual long RegisterFiles(const std::vector<std::string>& files) = 0;
  // RmGetList: the ids of the processes that have a registered file open.
  virtual long ListUsers(std::vector<uint32_t>* processIds) = 0;
  // RmShutdown, not forced: each of those processes is asked to end, as
  // before an update, and may refuse (kErrorFailShutdown); one this user may
  // not close leaves them all running (kErrorFailNoActionReboot).
  virtual long ShutDownUsers() = 0;
};

class Process {
 public:
  virtual ~Process() = default;
  // CreateMutex with default security, initially owned.
  virtual MutexResult CreateInitiallyOwnedMutex(const std::string& name) = 0;
  // CreateMutex (not initially owned), then a wait of zero. A thread that
  // owns it already takes it again, as Windows counts recursive ownership.
  virtual TakenMutex TryTakeMutex(const std::string& name) = 0;
  // The same for a mutex of this user's alone, one for every session of the
  // machine: <name> in a private namespace bound to the user's SID
  // (CreatePrivateNamespace), which only the user's processes can make or
  // open, the namespace and the mutex owned by the user with an access list
  // that lets no other account open them. A scheduled run in session 0 and
  // the tray in the user's session meet on it; another account can neither
  // share it, nor hold it, nor make it first. Where the system has no
  // private namespaces (Wine), "Global\<name>-<the user's SID>" with the
  // same owner and access list instead: Failed then when an object of that
  // name exists that is not the user's own.
  virtual TakenMutex TryTakeUserMutex(const std::string& name) = 0;
  // The SID of the user this process runs as, in its text form
  // ("S-1-5-21-..."); empty when the system cannot say.
  virtual std::string UserSid() = 0;
  // Starts a thread running `body`; throws std::system_error when the system
  // cannot create one.
  virtual std::thread StartThread(std::function<void()> body) = 0;
  // Ends the process at once with `exitCode` (ExitProcess): other threads
  // stop wherever they are, and the system releases what the process held.
  virtual void ExitNow(uint32_t exitCode) = 0;
  // The full path of the running executable (GetModuleFileName).
  virtual std::string ExecutablePath() = 0;
  // Loads the module at exactly this full path, never one found along the
  // library search path; a relative name loads nothing. The module stays
  // loaded until exit.
  virtual ModuleId LoadModule(const std::string& fullPath) = 0;
  // Calls an export that takes no arguments and returns an HRESULT. False,
  // without calling, when the module has no such export.
  virtual bool CallExport(ModuleId module, const std::string& exportName, HResult* result) = 0;
  // The processes of this process's session, this one included, as the
  // system lists them without opening any (WTSEnumerateProcessesEx): one
  // running elevated, which a standard user may not open, is there too.
  // Other users' sessions are not listed. Empty when the system cannot say.
  virtual std::vector<RunningProcess> RunningProcesses() = 0;
  // Their program files' names.
  std::vector<std::string> RunningProgramNames() {
    std::vector<std::string> names;
    for (RunningProcess& p : RunningProcesses()) names.push_back(std::move(p.programFile));
    return names;
  }
  // Opens every process of this session whose program file is `programFile`
  // (the name, as RunningProcesses gives it) for waiting, and calls
  // `allEnded` once, on a thread of the system's, when all of them have
  // ended; processes of that name started later are not waited for, nor
  // one this user may not open (running elevated). The system wakes nobody
  // meanwhile. Null when no such process could be opened.
  virtual std::unique_ptr<ProgramEndWatch> WatchProgramEnd(const std::string& programFile,
                                                           std::function<void()> allEnded) = 0;
  // A new Restart Manager session; null, with the error in *error, when
  // the system gives none.
  virtual std::unique_ptr<RestartSession> StartRestartSession(long* error) = 0;
};

}  // namespace platform
