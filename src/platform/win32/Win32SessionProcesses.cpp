// The processes of this session.
#include "platform/win32/Win32SessionProcesses.h"

#include <windows.h>
#include <wtsapi32.h>

// MinGW's headers lack WTSEnumerateProcessesExW (Windows 7 and later) and
// its release; declared as Microsoft's wtsapi32.h declares them.
extern "C" {
enum WtsTypeClass { kWtsTypeProcessInfoLevel0 = 0 };
BOOL WINAPI WTSEnumerateProcessesExW(HANDLE server, DWORD* level, DWORD sessionId, LPWSTR* processInfo, DWORD* count);
BOOL WINAPI WTSFreeMemoryExW(WtsTypeClass type, PVOID memory, ULONG count);
}

namespace platform::win32 {
namespace {

// The list the system made, released with the call that knows its layout.
class WtsProcessList {
 public:
  WtsProcessList() = default;
  ~WtsProcessList() {
    if (info_) WTSFreeMemoryExW(kWtsTypeProcessInfoLevel0, info_, count_);
  }
  WtsProcessList(const WtsProcessList&) = delete;
  WtsProcessList& operator=(const WtsProcessList&) = delete;
  // Level 0: the session, id, name and user of each process.
  bool Enumerate(DWORD session) {
    DWORD level = 0;
    LPWSTR info = nullptr;
    if (!WTSEnumerateProcessesExW(WTS_CURRENT_SERVER_HANDLE, &level, session, &info, &count_)) return false;
    info_ = reinterpret_cast<WTS_PROCESS_INFOW*>(info);
    return info_ != nullptr;
  }
  const WTS_PROCESS_INFOW* begin() const { return info_; }
  const WTS_PROCESS_INFOW* end() const { return info_ ? info_ + count_ : nullptr; }

 private:
  WTS_PROCESS_INFOW* info_ = nullptr;
  DWORD count_ = 0;
};

}  // namespace

std::vector<SessionProcess> SessionProcesses() {
  // ProcessIdToSessionId needs query rights a standard user lacks on an
  // elevated process; the list carries each session, asked of this process only.
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return {};
  WtsProcessList list;
  if (!list.Enumerate(session)) return {};
  std::vector<SessionProcess> processes;
  for (const WTS_PROCESS_INFOW& p : list) {
    if (p.SessionId == session && p.pProcessName) processes.push_back({p.ProcessId, p.pProcessName});
  }
  return processes;
}

}  // namespace platform::win32
