// The application window, the message loop, modal loops, timers, menus and
// message boxes.
#include "ui/win32/Win32Ui.h"

#include <commctrl.h>

#include "platform/win32/WideString.h"
#include "ui/win32/FormPeer.h"

namespace ui::win32 {

using platform::win32::ScopedMenu;
using platform::win32::Wide;

namespace {
// "Run the posted tasks": the message carries nothing, so one that another
// program posts (any program on the desktop can) only runs our own queue.
constexpr UINT kRunTasks = WM_APP + 1;
constexpr int kFirstMenuCommand = 100;

// Messages whose lParam points at memory that the program or a control reads
// or writes: structures, text, and a timer's callback, which DispatchMessage
// calls directly. Our own controls send them, from this thread, and our
// timers carry no callback; posted, they can only come from another program,
// with an address of its choosing. The system itself refuses to post
// WM_COPYDATA and the owner-draw messages (ERROR_MESSAGE_SYNC_ONLY), so they
// never reach the queue.
bool PointsIntoMemory(const MSG& msg) {
  switch (msg.message) {
    case WM_NOTIFY:
    case WM_SETTEXT:
    case WM_GETTEXT:
      return true;
    case WM_TIMER:
      return msg.lParam != 0;
    default:
      // The edit, list box and combo box messages (EM_*, LB_*, CB_*): many
      // carry a text or a buffer to fill.
      return (msg.message >= EM_GETSEL && msg.message <= EM_GETIMESTATUS) ||
             (msg.message >= CB_GETEDITSEL && msg.message <= CB_MSGMAX) ||
             (msg.message >= LB_ADDSTRING && msg.message <= LB_MSGMAX);
  }
}
}  // namespace

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = AppWindowProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, L"MAINICON");
  wc.lpszClassName = L"TApplication";
  RegisterClassExW(&wc);
  // The hidden owner of every form: forms get no taskbar buttons of their own.
  appWindow_.Reset(CreateWindowExW(0, L"TApplication", L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                   GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                                   nullptr, instance_, nullptr));
  SetWindowLongPtrW(appWindow(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // Every message loop of this thread, the system's modal ones included.
  postedMessageFilter_.Reset(
      SetWindowsHookExW(WH_GETMESSAGE, DropPostedPointerMessages, nullptr, GetCurrentThreadId()));
}

// The forms' windows first, as the application window owns them; the hook
// and that window are released after this, by their owners.
Win32Ui::~Win32Ui() {
  for (Timer* timer : timers_) KillTimer(appWindow(), reinterpret_cast<UINT_PTR>(timer));
  forms_.clear();
}

LRESULT CALLBACK Win32Ui::DropPostedPointerMessages(int code, WPARAM wParam, LPARAM lParam) {
  // Only posted messages pass here; sent ones go straight to the window.
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && PointsIntoMemory(*msg)) msg->message = WM_NULL;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Win32Ui::Realize(Form& form) {
  forms_.push_back(std::make_unique<FormPeer>(*this, form));
  forms_.back()->Create();
}

void Win32Ui::FormDestroyed(Form& form) {
  menuCommands_.erase(&form);
  for (auto it = forms_.begin(); it != forms_.end(); ++it) {
    if (&(*it)->form() == &form) {
      bool shown = (*it)->shown();
      forms_.erase(it);
      if (shown) ReleaseDestroyedSurfaces();
      return;
    }
  }
}

// Wine keeps the drawing surface of a window that has been on screen (for
// the splash, half a megabyte of X shared memory) referenced from the cached
// DCs that drew the window and its controls, even once it is destroyed, until
// each of those DCs serves another window. Borrowing more of the cache's DCs
// at once than a form draws with hands them all to the application window.
// Windows only lends and takes back its DCs.
void Win32Ui::ReleaseDestroyedSurfaces() {
  constexpr int kCachedDcs = 16;
  HDC dcs[kCachedDcs];
  for (HDC& dc : dcs) dc = GetDCEx(appWindow(), nullptr, DCX_CACHE);
  for (HDC dc : dcs) {
    if (dc) ReleaseDC(appWindow(), dc);
  }
}

static HWND HwndOf(Form& form) { return reinterpret_cast<HWND>(form.handle()); }

void Win32Ui::FormVisibilityChanged(Form& form) {
  // The other windows wait from before a modal form shows, as the system's
  // dialogs do: none takes input, nor looks usable, while it comes up.
  if (form.modal() && form.visible()) DisableOtherForms(form);
  // A window without a frame (the splash) shows without taking the focus
  // from the program the user is in.
  auto* peer = static_cast<FormPeer*>(form.peer());
  if (form.visible() && peer) peer->FollowDpi();
  int show = form.borderless() ? SW_SHOWNA : SW_SHOW;
  ShowWindow(HwndOf(form), form.visible() ? show : SW_HIDE);
  if (form.visible() && peer) peer->MarkShown();
  // A modal loop waits in GetMessage, which returns only for a posted
  // message: hidden by a sent one (WM_CLOSE from another program), the form
  // would leave the other windows disabled until the next input.
  if (form.modal() && !form.visible()) PostMessageW(HwndOf(form), WM_NULL, 0, 0);
}

void Win32Ui::DisableOtherForms(Form& modal) {
  std::vector<HWND>& disabled = disabledBy_[&modal];
  for (auto& peer : forms_) {
    HWND hwnd = peer->hwnd();
    if (&peer->form() != &modal && IsWindowEnabled(hwnd)) {
      EnableWindow(hwnd, FALSE);
      disabled.push_back(hwnd);
    }
  }
}

void Win32Ui::RunModal(Form& form) {
  // A form already shown when it became modal has disabled nothing yet.
  if (!disabledBy_.count(&form)) DisableOtherForms(form);
  MSG msg;
  while (form.visible()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageW(HwndOf(form), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  for (HWND hwnd : disabledBy_[&form]) EnableWindow(hwnd, TRUE);
  disabledBy_.erase(&form);
}

void Win32Ui::BringToFront(Form& form) {
  HWND hwnd = HwndOf(form);
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
}

void Win32Ui::Repaint(Form& form) {
  RedrawWindow(HwndOf(form), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

HWND Win32Ui::ActiveFormWindow() const {
  HWND active = GetActiveWindow();
  for (auto& peer : forms_) {
    if (peer->hwnd() == active && IsWindowVisible(active)) return active;
  }
  return nullptr;
}

MessageResult Win32Ui::ShowMessage(const std::string& text, const std::string& caption, MessageKind kind) {
  UINT type = MB_OK;
  switch (kind) {
    case MessageKind::Plain:
      type = MB_OK;
      break;
    case MessageKind::Error:
      type = MB_OK | MB_ICONERROR;
      break;
    case MessageKind::Information:
      type = MB_OK | MB_ICONINFORMATION;
      break;
    case MessageKind::Confirmation:
      type = MB_YESNO | MB_ICONQUESTION;
      break;
  }
  int answer = MessageBoxW(ActiveFormWindow(), Wide(text).c_str(), Wide(caption).c_str(), type | MB_SETFOREGROUND);
  switch (answer) {
    case IDYES:
      return MessageResult::Yes;
    case IDNO:
      return MessageResult::No;
    case IDCANCEL:
      return MessageResult::Cancel;
    default:
      return MessageResult::Ok;
  }
}

ScopedMenu Win32Ui::BuildMenu(MenuItem& menu, std::map<int, MenuItem*>& commands, int& nextId) {
  ScopedMenu handle(CreatePopupMenu());
  for (auto& item : menu.items()) {
    if (item->separator()) {
      AppendMenuW(handle.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->checked() ? MF_CHECKED : MF_UNCHECKED);
    std::wstring text = Wide(item->caption());
    if (!item->items().empty()) {
      ScopedMenu sub = BuildMenu(*item, commands, nextId);
      // The menu destroys the submenu it holds.
      if (AppendMenuW(handle.get(), flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), text.c_str())) {
        static_cast<void>(sub.Take());
      }
      continue;
    }
    int id = item->commandId() ? item->commandId() : nextId++;
    commands[id] = item.get();
    AppendMenuW(handle.get(), flags, static_cast<UINT_PTR>(id), text.c_str());
  }
  return handle;
}

void Win32Ui::PopupMenu(Form& owner, MenuItem& menu, Point at) {
  std::map<int, MenuItem*>& commands = menuCommands_[&owner];
  commands.clear();
  int nextId = kFirstMenuCommand;
  ScopedMenu handle = BuildMenu(menu, commands, nextId);
  int chosen = TrackPopupMenuEx(handle.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_BOTTOMALIGN, at.x,
                                at.y, HwndOf(owner), nullptr);
  handle.Reset();
  if (MenuItem* item = MenuCommand(owner, chosen)) item->UserClick();
}

MenuItem* Win32Ui::MenuCommand(Form& form, int id) {
  auto commands = menuCommands_.find(&form);
  if (commands == menuCommands_.end()) return nullptr;
  auto item = commands->second.find(id);
  return item == commands->second.end() ? nullptr : item->second;
}

Point Win32Ui::CursorPos() {
  POINT p{0, 0};
  GetCursorPos(&p);
  return {p.x, p.y};
}

void Win32Ui::PostToForm(Form& form, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  PostMessageW(HwndOf(form), msg, wParam, lParam);
}

void Win32Ui::TimerChanged(Timer& timer) {
  UINT_PTR id = reinterpret_cast<UINT_PTR>(&timer);
  if (timer.enabled() && timer.interval() > 0) {
    timers_.insert(&timer);
    SetTimer(appWindow(), id, timer.interval(), nullptr);  // restarts a running timer
  } else {
    timers_.erase(&timer);
    KillTimer(appWindow(), id);
  }
}

void Win32Ui::TimerDestroyed(Timer& timer) {
  timers_.erase(&timer);
  KillTimer(appWindow(), reinterpret_cast<UINT_PTR>(&timer));
}

void Win32Ui::Post(std::function<void()> task) {
  tasks_.Push(std::move(task));
  // Should the post fail (a full queue), the task runs with the next one.
  PostMessageW(appWindow(), kRunTasks, 0, 0);
}

void Win32Ui::RunPostedTasks() {
  while (std::optional<std::function<void()>> task = tasks_.Take()) RunHandler(*task);
}

bool Win32Ui::PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The quit belongs to the loop outside this wait.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return done();
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

void Win32Ui::SetAppWindow(const std::string& title, bool visible) {
  SetWindowTextW(appWindow(), Wide(title).c_str());
  ShowWindow(appWindow(), visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Ui::RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND active = ActiveFormWindow();
    if (active && IsDialogMessageW(active, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32Ui::Terminate() { PostQuitMessage(0); }

LRESULT CALLBACK Win32Ui::AppWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == kRunTasks) {
    self->RunPostedTasks();
    return 0;
  }
  if (self && msg == WM_TIMER) {
    // The identifier is only compared with ours, never followed.
    auto* timer = reinterpret_cast<Timer*>(wParam);
    if (self->timers_.count(timer)) self->RunHandler([timer] { timer->Fire(); });
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace ui::win32
