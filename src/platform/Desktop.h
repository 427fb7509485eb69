// The Windows user interface services that are not one of the program's own
// windows: the tray, global hotkeys, other programs' windows, the shell.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

using WindowId = uintptr_t;  // an HWND; 0 is none

// NOTIFYICONDATAA_V1_SIZE for this build's word size.
constexpr uint32_t kNotifyIconV1Size = sizeof(void*) == 8 ? 104 : 88;

// NOTIFYICONDATAW_V2_SIZE for this build's word size: the smallest record
// that carries a balloon.
constexpr uint32_t kNotifyIconBalloonSize = sizeof(void*) == 8 ? 952 : 936;
// The record's flags (NIF_MESSAGE, NIF_ICON, NIF_TIP, NIF_INFO) and a
// balloon's icon (NIIF_ERROR).
enum : uint32_t { kNotifyIconMessage = 0x1, kNotifyIconIcon = 0x2, kNotifyIconTip = 0x4, kNotifyIconInfo = 0x10 };
enum : uint32_t { kBalloonError = 3 };

// The notify-icon record: the first, smallest layout of NOTIFYICONDATA, and a
// balloon for a record of kNotifyIconBalloonSize with kNotifyIconInfo set.
struct NotifyIconRecord {
  uint32_t size = 0;  // cbSize, as the caller fills it in
  WindowId window = 0;
  uint32_t id = 0;
  uint32_t flags = 0;  // kNotifyIcon*
  uint32_t callbackMessage = 0;
  std::string iconResource;  // the ICON resource shown, by name
  std::string tip;
  std::string infoTitle{};  // the balloon's title and text (cut to 63 and 255 characters)
  std::string info{};
  uint32_t infoFlags = 0;  // NIIF_*, as kBalloonError
};

enum class NotifyIconOp { Add = 0, Modify = 1, Delete = 2 };

struct TopLevelWindow {
  WindowId id = 0;
  std::string className;
  bool visible = false;
};

// Learning of windows of other programs made or destroyed; ends when destroyed.
class WindowCreationWatch {
 public:
  virtual ~WindowCreationWatch() = default;
};

enum : int { kSwHide = 0, kSwShow = 5, kSwShowDefault = 10 };

// A hot key's modifiers (MOD_ALT, MOD_CONTROL) and the keys it may be (VK_F1, VK_F12).
enum : uint32_t { kModAlt = 0x1, kModControl = 0x2 };
enum : uint32_t { kVkF1 = 0x70, kVkF12 = 0x7B };

class Desktop {
 public:
  virtual ~Desktop() = default;

  // FindWindow; an empty string matches any class or any title.
  virtual WindowId FindTopLevelWindow(const std::string& className, const std::string& title) = 0;

  // Shell_NotifyIcon; the result is the call's BOOL. A record with a
  // balloon goes as the wide structure, so any text shows.
  virtual bool NotifyIcon(NotifyIconOp op, const NotifyIconRecord& record) = 0;

  // RegisterHotKey: kErrorSuccess, or the error it failed with
  // (kErrorHotkeyAlreadyRegistered when another hotkey has the combination).
  virtual long RegisterHotKey(WindowId window, int id, uint32_t modifiers, uint32_t virtualKey) = 0;
  virtual bool UnregisterHotKey(WindowId window, int id) = 0;

  // EnumWindows: calls `visit` for every top-level window until it returns false.
  // ClassNameOf into a buffer of `classBufferSize` characters gives at most
  // classBufferSize - 1 characters of the class name.
  virtual void EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) = 0;
  virtual std::string ClassNameOf(WindowId window, int classBufferSize) = 0;
  virtual bool ShowWindow(WindowId window, int command) = 0;
  virtual bool IsWindowVisible(WindowId window) = 0;
  // A window the hotkey hid is still one the user has open: marked, it
  // counts as shown in Process::RunningProcesses until the mark comes off.
  // The mark is the window's own, so it holds while Corvane restarts.
  virtual void MarkHiddenForUser(WindowId window, bool hidden) = 0;
  // The file name of the program whose process made `window`
  // ("chrome.exe"; GetWindowThreadProcessId, then that process among this
  // session's as Process::RunningProcesses lists them, without opening it:
  // one running elevated is named too); empty when the system does not say.
  virtual std::string ProgramFileOf(WindowId window) = 0;

  // Calls `created` with every top-level window another program creates from
  // now on, on the calling thread as its messages are handled (an
  // out-of-context EVENT_OBJECT_CREATE hook). Null when the system refuses.
  virtual std::unique_ptr<WindowCreationWatch> WatchWindowsCreated(std::function<void(WindowId)> created) = 0;
  // The same for every top-level window another program destroys
  // (EVENT_OBJECT_DESTROY): the window is gone, so only that one went.
  virtual std::unique_ptr<WindowCreationWatch> WatchWindowsDestroyed(std::function<void()> destroyed) = 0;

  // ShellOpen; the result is the call's instance value (> 32 on success).
  virtual intptr_t ShellOpen(WindowId owner, const std::string& verb, const std::string& file, int showCommand) = 0;
};

}  // namespace platform
