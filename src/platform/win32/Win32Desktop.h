// The tray, global hotkeys, other programs' windows and the shell.
#pragma once

#include <map>
#include <string>

#include "platform/Desktop.h"
#include "platform/win32/ScopedHandle.h"

namespace platform::win32 {

// The window property MarkHiddenForUser sets, which Win32Process reads.
constexpr wchar_t kHiddenForUserProperty[] = L"Corvane.HiddenForUser";

class Win32Desktop : public Desktop {
 public:
  WindowId FindTopLevelWindow(const std::string& className, const std::string& title) override;
  bool NotifyIcon(NotifyIconOp op, const NotifyIconRecord& record) override;
  long RegisterHotKey(WindowId window, int id, uint32_t modifiers, uint32_t virtualKey) override;
  bool UnregisterHotKey(WindowId window, int id) override;
  void EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) override;
  std::string ClassNameOf(WindowId window, int classBufferSize) override;
  bool ShowWindow(WindowId window, int command) override;
  bool IsWindowVisible(WindowId window) override;
  void MarkHiddenForUser(WindowId window, bool hidden) override;
  std::string ProgramFileOf(WindowId window) override;
  intptr_t ShellOpen(WindowId owner, const std::string& verb, const std::string& file, int showCommand) override;
  std::unique_ptr<WindowCreationWatch> WatchWindowsCreated(std::function<void(WindowId)> created) override;
  std::unique_ptr<WindowCreationWatch> WatchWindowsDestroyed(std::function<void()> destroyed) override;

 private:
  bool NotifyIconBalloon(NotifyIconOp op, const NotifyIconRecord& record);
  HICON Icon(const std::string& resource);
  std::map<std::string, ScopedHandle<IconTraits>> icons_;  // loaded from our resources on first use
};

}  // namespace platform::win32
