// A simulated desktop: other programs' top-level windows, the tray, the
// global hotkey table and the shell's execute call, all recorded.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Desktop.h"
#include "platform/ErrorCodes.h"

namespace platform::sim {

class SimDesktop : public Desktop {
 public:
  struct Window {
    WindowId id = 0;
    std::string className;
    std::string title;
    bool visible = true;
    std::string programFile;     // what ProgramFileOf gives: empty for another session's
    bool hiddenForUser = false;  // MarkHiddenForUser
  };
  struct Hotkey {
    WindowId window = 0;
    int id = 0;
    uint32_t modifiers = 0;
    uint32_t virtualKey = 0;
  };
  struct NotifyCall {
    NotifyIconOp op;
    NotifyIconRecord record;
  };
  struct ShellCall {
    WindowId owner;
    std::string verb;
    std::string file;
    int show;
  };

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

  // For tests. A window added is one another program creates: the creation
  // watches hear of it.
  WindowId AddWindow(std::string className, std::string title, bool visible = true, std::string programFile = "");
  Window* FindWindowById(WindowId id);
  // Whether `programFile` has a window here, and whether one of them is
  // visible or hidden for the user.
  bool HasWindowOf(const std::string& programFile) const;
  bool ShowsWindowOf(const std::string& programFile) const;
  // Another program destroys a window: the destruction watches hear of it.
  void RemoveWindow(WindowId id);
  // A combination that another program holds: registering it fails.
  void HoldElsewhere(uint32_t modifiers, uint32_t virtualKey) { heldElsewhere_.insert({modifiers, virtualKey}); }
  const std::vector<Hotkey>& hotkeys() const { return hotkeys_; }
  // The icons in the tray: (window, id) -> the current record.
  const std::map<std::pair<WindowId, uint32_t>, NotifyIconRecord>& trayIcons() const { return tray_; }
  std::vector<NotifyCall> notifyCalls;
  // False while Explorer is still starting at sign-in: the shell refuses
  // every notify-icon call.
  bool trayReady = true;
  // The balloons the tray showed: a modification with NIF_INFO of an icon it
  // holds, in a record large enough to carry one.
  std::vector<NotifyIconRecord> balloons;
  std::vector<ShellCall> shellCalls;
  std::vector<std::pair<WindowId, int>> showCalls;

 private:
  std::vector<Window> windows_;
  std::vector<Hotkey> hotkeys_;
  std::set<std::pair<uint32_t, uint32_t>> heldElsewhere_;
  std::map<std::pair<WindowId, uint32_t>, NotifyIconRecord> tray_;
  WindowId nextId_ = 0x10000;
  std::map<int, std::function<void(WindowId)>> creationWatches_;
  std::map<int, std::function<void(WindowId)>> destructionWatches_;
  int nextWatch_ = 0;
};

}  // namespace platform::sim
