// The kernel's process services.
#pragma once

#include "platform/Process.h"

namespace platform::win32 {

class Win32Process : public Process {
 public:
  MutexResult CreateInitiallyOwnedMutex(const std::string& name) override;
  TakenMutex TryTakeMutex(const std::string& name) override;
  TakenMutex TryTakeUserMutex(const std::string& name) override;
  std::string UserSid() override;
  std::thread StartThread(std::function<void()> body) override;
  void ExitNow(uint32_t exitCode) override;
  std::string ExecutablePath() override;
  ModuleId LoadModule(const std::string& fullPath) override;
  bool CallExport(ModuleId module, const std::string& exportName, HResult* result) override;
  std::vector<RunningProcess> RunningProcesses() override;
  std::unique_ptr<ProgramEndWatch> WatchProgramEnd(const std::string& programFile,
                                                   std::function<void()> allEnded) override;
  std::unique_ptr<RestartSession> StartRestartSession(long* error) override;
};

}  // namespace platform::win32
