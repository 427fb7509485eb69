// The Win32 desktop services.
#include "platform/win32/Win32Desktop.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <vector>

#include "platform/win32/ComApartment.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32SessionProcesses.h"

namespace platform::win32 {

WindowId Win32Desktop::FindTopLevelWindow(const std::string& className, const std::string& title) {
  std::wstring wclass = Wide(className), wtitle = Wide(title);
  return reinterpret_cast<WindowId>(
      FindWindowW(className.empty() ? nullptr : wclass.c_str(), title.empty() ? nullptr : wtitle.c_str()));
}

HICON Win32Desktop::Icon(const std::string& resource) {
  auto it = icons_.find(resource);
  if (it != icons_.end()) return it->second.get();
  HICON icon =
      static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), Wide(resource).c_str(), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  if (icon) icons_.emplace(resource, ScopedHandle<IconTraits>(icon));
  return icon;
}

namespace {

static_assert(kNotifyIconBalloonSize == NOTIFYICONDATAW_V2_SIZE, "the balloon record is the V2 layout");
static_assert(kNotifyIconInfo == NIF_INFO, "NIF_INFO");

DWORD NotifyMessage(NotifyIconOp op) {
  return op == NotifyIconOp::Add ? NIM_ADD : op == NotifyIconOp::Modify ? NIM_MODIFY : NIM_DELETE;
}

// Copies text into a fixed field, cut to fit with its terminating zero.
template <size_t N>
void CopyCut(wchar_t (&field)[N], const std::string& text) {
  std::wstring wide = Wide(text);
  size_t n = wide.size() < N ? wide.size() : N - 1;
  std::wmemcpy(field, wide.data(), n);
  field[n] = L'\0';
}

}  // namespace

bool Win32Desktop::NotifyIcon(NotifyIconOp op, const NotifyIconRecord& record) {
  if (record.flags & NIF_INFO) return NotifyIconBalloon(op, record);
  // The first layout of the structure, as the caller sized it; the tip is ANSI text.
  NOTIFYICONDATAA data;
  if (record.size > sizeof data) return false;  // the system would read past it
  std::memset(&data, 0, sizeof data);
  data.cbSize = record.size;
  data.hWnd = reinterpret_cast<HWND>(record.window);
  data.uID = record.id;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  if (!record.iconResource.empty()) data.hIcon = Icon(record.iconResource);
  std::strncpy(data.szTip, record.tip.c_str(), 63);
  return Shell_NotifyIconA(NotifyMessage(op), &data);
}

bool Win32Desktop::NotifyIconBalloon(NotifyIconOp op, const NotifyIconRecord& record) {
  // The shell reads no more than cbSize says: a V1 record carries no balloon.
  NOTIFYICONDATAW data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = record.size <= sizeof data ? record.size : sizeof data;
  data.hWnd = reinterpret_cast<HWND>(record.window);
  data.uID = record.id;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  if (!record.iconResource.empty()) data.hIcon = Icon(record.iconResource);
  CopyCut(data.szTip, record.tip);
  CopyCut(data.szInfo, record.info);
  CopyCut(data.szInfoTitle, record.infoTitle);
  data.dwInfoFlags = record.infoFlags;
  return Shell_NotifyIconW(NotifyMessage(op), &data);
}

long Win32Desktop::RegisterHotKey(WindowId window, int id, uint32_t modifiers, uint32_t virtualKey) {
  if (::RegisterHotKey(reinterpret_cast<HWND>(window), id, modifiers, virtualKey)) return ERROR_SUCCESS;
  return static_cast<long>(GetLastError());
}

bool Win32Desktop::UnregisterHotKey(WindowId window, int id) {
  return ::UnregisterHotKey(reinterpret_cast<HWND>(window), id);
}

namespace {
BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM lParam) {
  const auto& visit = *reinterpret_cast<const std::function<bool(WindowId)>*>(lParam);
  return visit(reinterpret_cast<WindowId>(hwnd)) ? TRUE : FALSE;
}
}  // namespace

void Win32Desktop::EnumTopLevelWindows(const std::function<bool(WindowId)>& visit) {
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

std::string Win32Desktop::ClassNameOf(WindowId window, int classBufferSize) {
  if (classBufferSize <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(classBufferSize), '\0');
  ::GetClassNameA(reinterpret_cast<HWND>(window), buffer.data(), classBufferSize);
  return std::string(buffer.data());
}

bool Win32Desktop::ShowWindow(WindowId window, int command) {
  return ::ShowWindow(reinterpret_cast<HWND>(window), command);
}

bool Win32Desktop::IsWindowVisible(WindowId window) {
  return ::IsWindowVisible(reinterpret_cast<HWND>(window)) != FALSE;
}

void Win32Desktop::MarkHiddenForUser(WindowId window, bool hidden) {
  HWND hwnd = reinterpret_cast<HWND>(window);
  if (hidden) {
    SetPropW(hwnd, kHiddenForUserProperty, reinterpret_cast<HANDLE>(1));
  } else {
    RemovePropW(hwnd, kHiddenForUserProperty);
  }
}

std::string Win32Desktop::ProgramFileOf(WindowId window) {
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId) || processId == 0) return {};
  // Found in this session's list: another session's process is another
  // user's, and one running elevated is named without being opened.
  for (const SessionProcess& p : SessionProcesses()) {
    if (p.id == processId) return Utf8(p.file);
  }
  return {};
}

intptr_t Win32Desktop::ShellOpen(WindowId owner, const std::string& verb, const std::string& file, int showCommand) {
  // The handler of a verb may be a shell extension, which is a COM object.
  ComApartment com;
  HINSTANCE result = ShellExecuteW(reinterpret_cast<HWND>(owner), Wide(verb).c_str(), Wide(file).c_str(), nullptr,
                                   nullptr, showCommand);
  return reinterpret_cast<intptr_t>(result);
}

namespace {
// An out-of-context WinEvent hook: the system queues the events to the
// thread that set it and calls back as that thread handles its messages, so
// nothing runs between windows. Wine 8 sends EVENT_OBJECT_CREATE for other
// processes' windows but no EVENT_OBJECT_SHOW, and RegisterShellHookWindow
// fails there; creation is what both report.
class Win32WindowEventWatch : public WindowCreationWatch {
 public:
  Win32WindowEventWatch(DWORD event, std::function<void(HWND)> seen) : event_(event), seen_(std::move(seen)) {}
  ~Win32WindowEventWatch() override {
    if (hook_) UnhookWinEvent(hook_);
    Watches().erase(hook_);
  }
  bool Hook() {
    hook_ = SetWinEventHook(event_, event_, nullptr, Event, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (hook_) Watches()[hook_] = this;
    return hook_ != nullptr;
  }

 private:
  // The callback knows its hook only: hooks are set and called on one thread.
  static std::map<HWINEVENTHOOK, Win32WindowEventWatch*>& Watches() {
    static std::map<HWINEVENTHOOK, Win32WindowEventWatch*> watches;
    return watches;
  }
  static void CALLBACK Event(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    // The window itself, not a part of it; a new one must be top-level (a
    // destroyed one can no longer say).
    if (object != OBJID_WINDOW || child != CHILDID_SELF || !hwnd) return;
    if (event == EVENT_OBJECT_CREATE && GetAncestor(hwnd, GA_ROOT) != hwnd) return;
    auto found = Watches().find(hook);
    if (found != Watches().end()) found->second->seen_(hwnd);
  }

  DWORD event_;
  std::function<void(HWND)> seen_;
  HWINEVENTHOOK hook_ = nullptr;
};

std::unique_ptr<WindowCreationWatch> WatchWindowEvent(DWORD event, std::function<void(HWND)> seen) {
  auto watch = std::make_unique<Win32WindowEventWatch>(event, std::move(seen));
  if (!watch->Hook()) return nullptr;
  return watch;
}
}  // namespace

std::unique_ptr<WindowCreationWatch> Win32Desktop::WatchWindowsCreated(std::function<void(WindowId)> created) {
  return WatchWindowEvent(EVENT_OBJECT_CREATE,
                          [created = std::move(created)](HWND hwnd) { created(reinterpret_cast<WindowId>(hwnd)); });
}

std::unique_ptr<WindowCreationWatch> Win32Desktop::WatchWindowsDestroyed(std::function<void()> destroyed) {
  return WatchWindowEvent(EVENT_OBJECT_DESTROY, [destroyed = std::move(destroyed)](HWND) { destroyed(); });
}

}  // namespace platform::win32
