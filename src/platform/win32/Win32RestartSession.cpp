// A Restart Manager session.
#include <windows.h>
#include <restartmanager.h>

#include <vector>

#include "platform/win32/Win32Process.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

// Owns the session: RmEndSession when it goes.
class Win32RestartSession : public RestartSession {
 public:
  explicit Win32RestartSession(DWORD handle) : handle_(handle) {}
  ~Win32RestartSession() override { RmEndSession(handle_); }
  Win32RestartSession(const Win32RestartSession&) = delete;
  Win32RestartSession& operator=(const Win32RestartSession&) = delete;

  long RegisterFiles(const std::vector<std::string>& files) override {
    std::vector<std::wstring> wide;
    for (const std::string& file : files) wide.push_back(Wide(file));
    std::vector<LPCWSTR> names;
    for (const std::wstring& name : wide) names.push_back(name.c_str());
    return static_cast<long>(
        RmRegisterResources(handle_, static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0, nullptr));
  }

  long ListUsers(std::vector<uint32_t>* processIds) override {
    // Asked with no room first; the list may grow between the calls.
    std::vector<RM_PROCESS_INFO> list;
    for (int attempt = 0; attempt < 4; ++attempt) {
      UINT needed = 0;
      UINT count = static_cast<UINT>(list.size());
      DWORD reasons = RmRebootReasonNone;
      DWORD error = RmGetList(handle_, &needed, &count, list.empty() ? nullptr : list.data(), &reasons);
      if (error == ERROR_MORE_DATA) {
        list.resize(needed);
        continue;
      }
      if (error != ERROR_SUCCESS) return static_cast<long>(error);
      processIds->clear();
      for (UINT i = 0; i < count && i < list.size(); ++i) processIds->push_back(list[i].Process.dwProcessId);
      return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
  }

  // No RmForceShutdown: a program that will not end is left running rather
  // than cut off with its data unsaved.
  long ShutDownUsers() override { return static_cast<long>(RmShutdown(handle_, 0, nullptr)); }

 private:
  DWORD handle_;
};

}  // namespace

std::unique_ptr<RestartSession> Win32Process::StartRestartSession(long* error) {
  DWORD handle = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  const DWORD started = RmStartSession(&handle, 0, key);
  *error = static_cast<long>(started);
  if (started != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RestartSession>(handle);
}

}  // namespace platform::win32
