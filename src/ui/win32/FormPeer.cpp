// Forms as real windows: their creation, their controls, painting and messages.
#include "ui/win32/FormPeer.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/WideString.h"
#include "ui/InputControls.h"
#include "ui/win32/Win32Dpi.h"
#include "ui/win32/Win32Drawing.h"
#include "ui/win32/Win32Layout.h"
#include "ui/win32/Win32Look.h"
#include "ui/win32/Win32Ui.h"

namespace ui::win32 {

using platform::win32::Wide;

// The messages a form hears are given to it by their system numbers.
static_assert(kWmNull == WM_NULL && kWmQueryEndSession == WM_QUERYENDSESSION && kWmEndSession == WM_ENDSESSION);
static_assert(kWmCommand == WM_COMMAND && kWmCopyData == WM_COPYDATA && kWmHotKey == WM_HOTKEY);
static_assert(kWmLButtonDblClk == WM_LBUTTONDBLCLK && kWmRButtonUp == WM_RBUTTONUP);
// "TaskbarCreated" is registered, so numbered from 0xC000 up; ours is past them all.
static_assert(kWmTaskbarCreated > 0xFFFF);

namespace {

// Our controls send their notifications (WM_NOTIFY, WM_DRAWITEM) from this
// thread. Sent from another thread or process, the message is not theirs, and
// its pointer is an address in the sender's memory or one of its choosing:
// Windows does not carry WM_NOTIFY's structure across processes.
bool SentFromThisThread() { return InSendMessageEx(nullptr) == ISMEX_NOSEND; }

// WM_GETDPISCALEDSIZE, Windows 10 1703 on: the size the window wants at a
// DPI, asked before WM_DPICHANGED, whose suggested rectangle then has it.
constexpr UINT kWmGetDpiScaledSize = 0x02E4;

DWORD StyleOf(const Form& form) { return form.borderless() ? WS_POPUP : WS_POPUP | WS_CAPTION | WS_SYSMENU; }

DWORD ExStyleOf(const Form& form) {
  return form.borderless() ? WS_EX_TOOLWINDOW | WS_EX_TOPMOST : WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}

}  // namespace

FormPeer::FormPeer(Win32Ui& ui, Form& form) : ui_(ui), form_(form) {}

FormPeer::~FormPeer() {
  controls_.clear();
  form_.AttachPeer(nullptr);
}

void FormPeer::Create() {
  std::wstring className = Wide(form_.className());
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(ui_.instance(), className.c_str(), &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = ui_.instance();
    wc.hIcon = LoadIconW(ui_.instance(), L"MAINICON");
    wc.hCursor = nullptr;  // set on WM_SETCURSOR from the form's cursor
    wc.lpszClassName = className.c_str();
    RegisterClassExW(&wc);
  }
  // Made without a size at the middle of the screen: its DPI, which sizes
  // it, is that of the monitor it is on.
  int middleX = GetSystemMetrics(SM_CXSCREEN) / 2, middleY = GetSystemMetrics(SM_CYSCREEN) / 2;
  hwnd_ = CreateWindowExW(ExStyleOf(form_), className.c_str(), Wide(form_.caption()).c_str(), StyleOf(form_), middleX,
                          middleY, 0, 0, ui_.appWindow(), nullptr, ui_.instance(), this);
  window_.Reset(hwnd_);
  if (hwnd_) {
    int dpi = DpiOf(hwnd_);
    dpi_ = dpi > 0 ? dpi : SystemDpi();
    SIZE size = WindowSize(dpi_);
    SetWindowPos(hwnd_, nullptr, middleX - size.cx / 2, middleY - size.cy / 2, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (hwnd_ && form_.receivesCopyDataFromLowerIntegrity()) {
    // User Interface Privilege Isolation drops messages from processes of a
    // lower integrity level, as the browser's is under Protected Mode, where
    // the blocker module runs. Only WM_COPYDATA is let through, and only here.
    ChangeWindowMessageFilterEx(hwnd_, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
  }
  form_.SetHandle(reinterpret_cast<uintptr_t>(hwnd_));
  form_.AttachPeer(this);
  CreateControls(form_);
}

void FormPeer::CreateControls(Control& parent) {
  for (Control* c : parent.children()) {
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD;
    switch (c->kind()) {
      // Labels are drawn by the form so that a picture behind them can show.
      case Kind::Label:
        cls = L"STATIC";
        style |= SS_OWNERDRAW | SS_NOTIFY;
        break;
      // Pictures lie behind the other controls, which may stand on them.
      case Kind::Picture:
        cls = L"STATIC";
        style |= SS_OWNERDRAW | WS_CLIPSIBLINGS;
        break;
      case Kind::CheckBox:
        cls = L"BUTTON";
        style |= BS_CHECKBOX | BS_NOTIFY | WS_TABSTOP;
        break;
      case Kind::RadioBox:
        cls = L"BUTTON";
        style |= BS_RADIOBUTTON | BS_NOTIFY | WS_TABSTOP;
        break;
      case Kind::Button:
        cls = L"BUTTON";
        style |= (c->picture().empty() ? BS_PUSHBUTTON : BS_OWNERDRAW) | BS_NOTIFY | WS_TABSTOP;
        break;
      case Kind::GroupBox:
        cls = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
      case Kind::ComboBox:
        cls = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        break;
      case Kind::ListBox:
        // Never LBS_SORT, even for a sorted list: the class compares with
        // CompareStringW (which passes over hyphens) and puts a line before
        // the lines equal to it, so its order would differ from the
        // program's and an index would name another line. Lines go in with
        // LB_INSERTSTRING at the index the program sorted them to.
        cls = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
        if (static_cast<ListBox*>(c)->multiSelect()) style |= LBS_EXTENDEDSEL;
        if (static_cast<ListBox*>(c)->drawnLook()) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        break;
      case Kind::PageControl:
        cls = WC_TABCONTROLW;
        style |= TCS_BUTTONS | TCS_FLATBUTTONS | TCS_FIXEDWIDTH | WS_TABSTOP;
        break;
      case Kind::TextBox:
        cls = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
        break;
      // A list view with check boxes: what screen readers and UI Automation
      // know as a list of items that can be checked.
      case Kind::CheckList:
        cls = WC_LISTVIEWW;
        style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP;
        break;
      case Kind::ProgressBar:
        cls = PROGRESS_CLASSW;
        break;
      default:
        break;  // panels and tab sheets are drawn by the form
    }
    HWND hwnd = nullptr;
    if (cls) {
      // Placed, and given its font, with the others once all are made.
      hwnd = CreateWindowExW(0, cls, Wide(c->caption()).c_str(), style, 0, 0, 0, 0, hwnd_, nullptr, ui_.instance(),
                             nullptr);
      if (c->kind() == Kind::Picture)
        SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (c->kind() == Kind::PageControl) {
        int i = 0;
        for (Control* page : c->children()) {
          if (page->kind() != Kind::TabSheet) continue;
          std::wstring text = Wide(page->caption());
          TCITEMW item{};
          item.mask = TCIF_TEXT;
          item.pszText = text.data();
          SendMessageW(hwnd, TCM_INSERTITEMW, static_cast<WPARAM>(i++), reinterpret_cast<LPARAM>(&item));
        }
      }
      if (c->kind() == Kind::CheckList) {
        // One column, as wide as the list once it is placed.
        SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        LVCOLUMNW column{};
        SendMessageW(hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
      }
    }
    controls_.push_back(std::make_unique<ControlPeer>(ui_, *this, *c, hwnd));
    ControlPeer* peer = controls_.back().get();
    c->AttachPeer(peer);
    if (peer->IsList()) static_cast<ListControl*>(c)->AttachListPeer(peer);
    CreateControls(*c);
  }
  if (&parent == &form_) {
    for (auto& peer : controls_) peer->Place();
    for (auto& peer : controls_) peer->Sync();
  }
}

SIZE FormPeer::WindowSize(int dpi) const {
  RECT frame = FrameAround(RECT{0, 0, Scaled(form_.clientWidth(), dpi), Scaled(form_.clientHeight(), dpi)},
                           StyleOf(form_), ExStyleOf(form_), dpi);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

void FormPeer::Rescale(int dpi, const RECT* place) {
  RECT r;
  if (place) {
    r = *place;
  } else {
    if (dpi == dpi_) return;
    GetWindowRect(hwnd_, &r);
    SIZE size = WindowSize(dpi);
    int left = (r.left + r.right - size.cx) / 2, top = (r.top + r.bottom - size.cy) / 2;
    r = RECT{left, top, left + size.cx, top + size.cy};
  }
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (auto& peer : controls_) peer->Place();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FormPeer::FollowDpi() {
  int dpi = DpiOf(hwnd_);
  if (dpi > 0) Rescale(dpi, nullptr);
}

void FormPeer::Sync() {
  if (!hwnd_) return;
  std::wstring caption = Wide(form_.caption());
  if (WindowText(hwnd_) != caption) SetWindowTextW(hwnd_, caption.c_str());
}

ControlPeer* FormPeer::PeerOf(HWND child) {
  for (auto& peer : controls_) {
    if (peer->hwnd() == child) return peer.get();
  }
  return nullptr;
}

ControlPeer* FormPeer::PeerAt(POINT p) {
  // The control drawn last is on top.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    Control& c = (*it)->control();
    if (c.kind() == Kind::Panel || c.kind() == Kind::TabSheet || !ShowsOnItsForm(c)) continue;
    RECT r = AbsoluteRect(c, dpi_);
    if (PtInRect(&r, p)) return it->get();
  }
  return nullptr;
}

HBRUSH FormPeer::Brush(Color color) {
  auto& brush = brushes_[color];
  if (!brush.valid()) brush.Reset(CreateSolidBrush(color));
  return brush.get();
}

void FormPeer::PaintBackground(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, Brush(form_.color()));
  for (auto& peer : controls_) {
    Control& c = peer->control();
    if ((c.kind() == Kind::Panel || c.kind() == Kind::TabSheet) && ShowsOnItsForm(c)) {
      RECT r = AbsoluteRect(c, dpi_);
      FillRect(dc, &r, Brush(c.color()));
    }
  }
}

void FormPeer::PaintBehind(HDC dc, const ControlPeer& peer, RECT client) {
  RECT place = AbsoluteRect(peer.control(), dpi_);
  for (auto& other : controls_) {
    if (other.get() == &peer) break;  // only what lies below it
    Control& c = other->control();
    RECT picture = AbsoluteRect(c, dpi_), overlap;
    if (c.kind() != Kind::Picture || !ShowsOnItsForm(c) || !IntersectRect(&overlap, &picture, &place)) continue;
    if (HBITMAP bitmap = other->Picture()) {
      FillRect(dc, &client, Brush(BackgroundOf(peer.control())));
      OffsetRect(&picture, client.left - place.left, client.top - place.top);
      StretchBitmap(dc, bitmap, picture);
      return;
    }
  }
  FillRect(dc, &client, Brush(BackgroundOf(peer.control())));
}

void FormPeer::DrawItem(const DRAWITEMSTRUCT& item) {
  ControlPeer* peer = PeerOf(item.hwndItem);
  if (!peer) return;
  Control& c = peer->control();
  if (item.CtlType == ODT_BUTTON && c.kind() == Kind::Button) {
    DrawGlyphButton(item, c, peer->Picture(), peer->PictureSize(), BackgroundOf(c), peer->Font(), dpi_);
    return;
  }
  if (item.CtlType == ODT_LISTBOX && c.kind() == Kind::ListBox) {
    DrawListLine(item, static_cast<ListBox&>(c), peer->SelectedPicture(), peer->Font(), dpi_);
    return;
  }
  if (c.kind() == Kind::Picture) {
    HBITMAP bitmap = peer->Picture();
    if (bitmap) {
      StretchBitmap(item.hDC, bitmap, item.rcItem);
    } else {
      FillRect(item.hDC, &item.rcItem, Brush(BackgroundOf(c)));
    }
    return;
  }
  PaintBehind(item.hDC, *peer, item.rcItem);
  Look look = peer->DrawnLook();
  look.tighten = peer->tighten();
  PaintLabelText(item.hDC, item.rcItem, WindowText(item.hwndItem), look);
}

bool FormPeer::Command(WPARAM wParam, LPARAM lParam) {
  ControlPeer* peer = PeerOf(reinterpret_cast<HWND>(lParam));
  if (!peer) return false;
  Control& c = peer->control();
  WORD code = HIWORD(wParam);
  switch (c.kind()) {
    case Kind::ComboBox:
      if (code == CBN_SELCHANGE) peer->ReadFromNative();
      if (code == CBN_SETFOCUS) c.SetFocus();
      break;
    case Kind::ListBox:
      if (code == LBN_SELCHANGE) {
        peer->ReadFromNative();
        if (c.OnClick) c.OnClick();
      }
      if (code == LBN_SETFOCUS) c.SetFocus();
      break;
    case Kind::TextBox:
      if (code == EN_CHANGE) peer->ReadFromNative();
      if (code == EN_SETFOCUS) c.SetFocus();
      break;
    default:
      if (code == BN_CLICKED) {  // STN_CLICKED, too, for labels
        ReadListsFromNative();
        c.UserClick();
      }
      if (code == BN_SETFOCUS) c.SetFocus();
      break;
  }
  return true;
}

// A selection made without a notification (LB_SETSEL from an assistive tool,
// UI Automation) counts like one made with the mouse.
void FormPeer::ReadListsFromNative() {
  for (auto& peer : controls_) {
    if (peer->IsList()) peer->ReadFromNative();
  }
}

LRESULT CALLBACK FormPeer::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<FormPeer*>(create->lpCreateParams)->hwnd_ = hwnd;
    ScaleNonClientArea(hwnd);
  }
  auto* self = reinterpret_cast<FormPeer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  self->ui_.RunHandler([&] { result = self->Handle(msg, wParam, lParam); });
  return result;
}

LRESULT FormPeer::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The program sees the message first.
  if (form_.OnMessage) {
    // The shell broadcasts "TaskbarCreated" when it restarts; the number is
    // the session's, registered here once, at the first message.
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    Message m{msg == taskbarCreated ? kWmTaskbarCreated : msg, wParam, lParam, nullptr, 0, 0};
    if (msg == WM_COPYDATA && lParam) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      m.copyData = data->lpData;
      m.copyDataSize = data->lpData ? data->cbData : 0;
      m.copyDataId = data->dwData;
    }
    if (form_.OnMessage(m)) return m.result;
  }
  switch (msg) {
    case WM_CLOSE:
      form_.Close();
      return 0;
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_DRAWITEM:
      if (!SentFromThisThread() || !lParam) break;
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (lParam && Command(wParam, lParam)) return 0;
      if (!lParam) {
        if (MenuItem* item = ui_.MenuCommand(form_, LOWORD(wParam))) {
          item->UserClick();
          return 0;
        }
      }
      break;
    case WM_NOTIFY: {
      if (!SentFromThisThread() || !lParam) break;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      ControlPeer* peer = PeerOf(header->hwndFrom);
      if (peer && peer->control().kind() == Kind::PageControl && header->code == TCN_SELCHANGE) {
        auto& pages = static_cast<PageControl&>(peer->control());
        pages.SetActivePageIndex(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
      }
      if (peer && peer->control().kind() == Kind::CheckList && header->code == LVN_ITEMCHANGED) {
        peer->CheckChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
      }
      break;
    }
    // The system's own messages, sent on this thread as the window moves to
    // a monitor of another DPI, carry the DPI and a structure of this
    // process. Any program can send them, with a pointer into its own
    // memory: from elsewhere they only make the window ask the system.
    case kWmGetDpiScaledSize:
      if (!SentFromThisThread() || !lParam || wParam == 0) break;
      *reinterpret_cast<SIZE*>(lParam) = WindowSize(static_cast<int>(wParam));
      return TRUE;
    case WM_DPICHANGED:
      if (SentFromThisThread() && lParam && HIWORD(wParam) > 0) {
        Rescale(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      } else {
        FollowDpi();
      }
      return 0;
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(hwnd_, &p);
      if (ControlPeer* peer = PeerAt(p)) peer->control().UserMouseMove();
      SetCursor(LoadCursorW(nullptr, form_.cursor() == Cursor::HandPoint ? IDC_HAND : IDC_ARROW));
      return TRUE;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace ui::win32
