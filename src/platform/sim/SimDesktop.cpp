// The simulated desktop.
#include "platform/sim/SimDesktop.h"

#include <algorithm>

#include "util/Text.h"

namespace platform::sim {

WindowId SimDesktop::FindTopLevelWindow(const std::string& className, const std::string& title) {
  for (const Window& w : windows_) {
    if ((className.empty() || w.className == className) && (title.empty() || w.title == title)) return w.id;
  }
  return 0;
}

namespace {

// A modification changes only the fields its flags name.
void Modify(NotifyIconRecord& held, const NotifyIconRecord& change) {
  if (change.flags & 1) held.callbackMessage = change.callbackMessage;
  if (change.flags & 2) held.iconResource = change.iconResource;
  if (change.flags & 4) held.tip = change.tip;
}

}  // namespace

bool SimDesktop::NotifyIcon(NotifyIconOp op, const NotifyIconRecord& record) {
  notifyCalls.push_back({op, record});
  if (!trayReady) return false;
  auto key = std::make_pair(record.window, record.id);
  switch (op) {
    case NotifyIconOp::Add:
      if (tray_.count(key)) return false;
      tray_[key] = record;
      return true;
    case NotifyIconOp::Modify:
      if (!tray_.count(key)) return false;
      if ((record.flags & kNotifyIconInfo) && record.size >= kNotifyIconBalloonSize) balloons.push_back(record);
      Modify(tray_[key], record);
      return true;
    case NotifyIconOp::Delete:
      return tray_.erase(key) != 0;
  }
  return false;
}

long SimDesktop::RegisterHotKey(WindowId window, int id, uint32_t modifiers, uint32_t virtualKey) {
  if (heldElsewhere_.count({modifiers, virtualKey})) return kErrorHotkeyAlreadyRegistered;
  for (const Hotkey& h : hotkeys_) {
    if ((h.window == window && h.id == id) || (h.modifiers == modifiers && h.virtualKey == virtualKey)) {
      return kErrorHotkeyAlreadyRegistered;
    }
  }
  hotkeys_.push_back({window, id, modifiers, virtualKey});
  return kErrorSuccess;
}

bool SimDesktop::UnregisterHotKey(WindowId window, int id) {
  auto it =
      std::find_if(hotkeys_.begin(), hotkeys_.end(), [&](const Hotkey& h) { return h.window == window && h.id == id; });
  if (it == hotkeys_.end()) return false;
  hotkeys_.erase(it);
  return true;
}

void SimDesktop::EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) {
  std::vector<WindowId> ids;
  for (const Window& w : windows_) ids.push_back(w.id);
  for (WindowId id : ids) {
    if (!visit(id)) break;
  }
}

std::string SimDesktop::ClassNameOf(WindowId window, int classBufferSize) {
  Window* w = FindWindowById(window);
  if (!w || classBufferSize <= 0) return {};
  return w->className.substr(0, static_cast<size_t>(classBufferSize - 1));
}

bool SimDesktop::ShowWindow(WindowId window, int command) {
  showCalls.emplace_back(window, command);
  Window* w = FindWindowById(window);
  if (!w) return false;
  bool wasVisible = w->visible;
  w->visible = command != kSwHide;
  return wasVisible;
}

bool SimDesktop::IsWindowVisible(WindowId window) {
  Window* w = FindWindowById(window);
  return w && w->visible;
}

void SimDesktop::MarkHiddenForUser(WindowId window, bool hidden) {
  if (Window* w = FindWindowById(window)) w->hiddenForUser = hidden;
}

bool SimDesktop::HasWindowOf(const std::string& programFile) const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [&programFile](const Window& w) { return util::EqualNoCase(w.programFile, programFile); });
}

bool SimDesktop::ShowsWindowOf(const std::string& programFile) const {
  return std::any_of(windows_.begin(), windows_.end(), [&programFile](const Window& w) {
    return util::EqualNoCase(w.programFile, programFile) && (w.visible || w.hiddenForUser);
  });
}

std::string SimDesktop::ProgramFileOf(WindowId window) {
  Window* w = FindWindowById(window);
  return w ? w->programFile : std::string();
}

intptr_t SimDesktop::ShellOpen(WindowId owner, const std::string& verb, const std::string& file, int showCommand) {
  shellCalls.push_back({owner, verb, file, showCommand});
  return 42;
}

WindowId SimDesktop::AddWindow(std::string className, std::string title, bool visible, std::string programFile) {
  WindowId id = nextId_++;
  windows_.push_back({id, std::move(className), std::move(title), visible, std::move(programFile)});
  // Copied: a watcher may end its own watch.
  auto watches = creationWatches_;
  for (auto& [key, created] : watches) created(id);
  return id;
}

namespace {
class SimCreationWatch : public WindowCreationWatch {
 public:
  SimCreationWatch(std::map<int, std::function<void(WindowId)>>& watches, int key) : watches_(watches), key_(key) {}
  ~SimCreationWatch() override { watches_.erase(key_); }

 private:
  std::map<int, std::function<void(WindowId)>>& watches_;
  int key_;
};
}  // namespace

std::unique_ptr<WindowCreationWatch> SimDesktop::WatchWindowsCreated(std::function<void(WindowId)> created) {
  const int key = nextWatch_++;
  creationWatches_[key] = std::move(created);
  return std::make_unique<SimCreationWatch>(creationWatches_, key);
}

std::unique_ptr<WindowCreationWatch> SimDesktop::WatchWindowsDestroyed(std::function<void()> destroyed) {
  const int key = nextWatch_++;
  destructionWatches_[key] = [destroyed = std::move(destroyed)](WindowId) { destroyed(); };
  return std::make_unique<SimCreationWatch>(destructionWatches_, key);
}

void SimDesktop::RemoveWindow(WindowId id) {
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [id](const Window& w) { return w.id == id; }),
                 windows_.end());
  auto watches = destructionWatches_;
  for (auto& [key, destroyed] : watches) destroyed(id);
}

SimDesktop::Window* SimDesktop::FindWindowById(WindowId id) {
  for (Window& w : windows_) {
    if (w.id == id) return &w;
  }
  return nullptr;
}

}  // namespace platform::sim
