// One control as a real window of a standard class, kept in step with the model.
#include "ui/win32/ControlPeer.h"

#include <commctrl.h>

#include "platform/win32/WideString.h"
#include "ui/InputControls.h"
#include "ui/win32/FormPeer.h"
#include "ui/win32/Win32Dpi.h"
#include "ui/win32/Win32Layout.h"
#include "ui/win32/Win32Look.h"
#include "ui/win32/Win32Ui.h"

namespace ui::win32 {

using platform::win32::Wide;

namespace {

// The height of a drop-down list's open list, below its field.
constexpr int kDropDownHeight = 300;
// The width a page control's tab buttons start from.
constexpr int kTabWidth = 197;

bool PaintedInOwnLook(Kind kind) { return kind == Kind::CheckBox || kind == Kind::RadioBox || kind == Kind::GroupBox; }

// Flat tab buttons are spaced apart, so tabs of the nominal width can overrun
// the row and bring up scroll arrows: narrow them until the row holds them.
// The control wants room for one more spacing and twice the selected tab's
// offset (2) after the last tab.
void FitTabButtons(HWND tabs, int rowWidth, int dpi) {
  int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  int nominalWidth = Scaled(kTabWidth, dpi), height = Scaled(kTabRowHeight - 4, dpi);
  SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(nominalWidth, height));
  if (count < 2) return;
  for (int width = nominalWidth; width > nominalWidth / 2; --width) {
    SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(width, height));
    RECT first{}, second{}, last{};
    SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    if (last.right + (second.left - first.right) + 2 * 2 <= rowWidth) return;
  }
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

ControlPeer::ControlPeer(Win32Ui& ui, FormPeer& form, Control& control, HWND hwnd)
    : ui_(ui), form_(form), control_(control), hwnd_(hwnd), window_(hwnd) {
  if (hwnd_ && PaintedInOwnLook(control_.kind())) {
    SetWindowSubclass(hwnd_, PaintedProc, 0, reinterpret_cast<DWORD_PTR>(this));
  }
}

ControlPeer::~ControlPeer() {
  control_.AttachPeer(nullptr);
  if (IsList()) static_cast<ListControl&>(control_).AttachListPeer(nullptr);
  if (hwnd_) RemoveWindowSubclass(hwnd_, PaintedProc, 0);
}

// A one-line label keeps the width it was laid out with: where the font the
// system substitutes for the one asked for runs wider (Wine has no Arial), its
// characters are drawn closer together, by at most a few pixels each, rather
// than the label losing its end.
void ControlPeer::FitLabel() {
  fitted_ = true;
  tighten_ = 0;
  std::wstring text = WindowText(hwnd_);
  if (text.size() < 2) return;
  RECT place = AbsoluteRect(control_, dpi());
  int width = place.right - place.left;
  TEXTMETRICW metrics{};
  RECT extent{0, 0, 0, 0};
  {
    auto dc = platform::win32::WindowDc(hwnd_);
    auto font = platform::win32::Select(dc.get(), Font());
    GetTextMetricsW(dc.get(), &metrics);
    DrawTextW(dc.get(), text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
  }
  bool oneLine = place.bottom - place.top < 2 * metrics.tmHeight;
  if (!oneLine || extent.right <= width) return;
  int gaps = static_cast<int>(text.size()) - 1;
  int tighten = (extent.right - width + gaps - 1) / gaps;
  int most = Scaled(3, dpi());
  tighten_ = tighten < most ? tighten : most;
}

int ControlPeer::tighten() {
  if (!fitted_) FitLabel();
  return tighten_;
}

Look ControlPeer::DrawnLook() {
  Look look;
  look.back = BackgroundOf(control_);
  look.text = control_.fontColor();
  look.font = Font();
  look.enabled = IsWindowEnabled(hwnd_);
  look.dpi = dpi();
  return look;
}

void ControlPeer::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  Look look = DrawnLook();
  std::wstring caption = WindowText(hwnd_);
  if (control_.kind() == Kind::GroupBox) {
    PaintGroupBox(dc, client, caption, look);
    return;
  }
  // The focus cue shows once the keyboard has been used, as with the system's own buttons.
  bool cues = !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  look.focused = GetFocus() == hwnd_ && cues;
  bool checked = SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  PaintCheckBox(dc, client, caption, checked, control_.kind() == Kind::RadioBox, look);
}

LRESULT CALLBACK ControlPeer::PaintedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto* peer = reinterpret_cast<ControlPeer*>(self);
  LRESULT result = 0;
  peer->ui_.RunHandler([&] { result = peer->PaintedMessage(hwnd, msg, wParam, lParam); });
  return result;
}

// The BUTTON class keeps the state, the caption and the keyboard handling; only
// its painting is replaced. Messages after which the class repaints (some paint
// at once rather than through WM_PAINT) are followed by a repaint of our own.
LRESULT ControlPeer::PaintedMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSELEAVE:
    case WM_KEYDOWN:
    case WM_KEYUP: {
      LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    default:
      return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
}

int ControlPeer::dpi() const { return form_.dpi(); }

HFONT ControlPeer::Font() { return ui_.fonts().For(control_, dpi()); }

HBITMAP ControlPeer::Picture() { return picture_.Get(control_.picture(), dpi()); }

SIZE ControlPeer::PictureSize() {
  Picture();
  SIZE layout = picture_.LayoutSize();
  return {Scaled(layout.cx, dpi()), Scaled(layout.cy, dpi())};
}

HBITMAP ControlPeer::SelectedPicture() {
  return control_.kind() == Kind::ListBox
             ? selectedPicture_.Get(static_cast<ListBox&>(control_).selectedPicture(), dpi())
             : nullptr;
}

void ControlPeer::Place() {
  if (!hwnd_) return;
  placedAt_ = control_.bounds();
  RECT r = AbsoluteRect(control_, dpi());
  int height = r.bottom - r.top;
  if (control_.kind() == Kind::PageControl) height = Scaled(kTabRowHeight, dpi());
  if (control_.kind() == Kind::ComboBox) height += Scaled(kDropDownHeight, dpi());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (control_.kind() == Kind::ListBox) SetLineHeight();
  if (control_.kind() == Kind::PageControl) FitTabButtons(hwnd_, r.right - r.left, dpi());
  if (control_.kind() == Kind::CheckList) {
    RECT client;
    GetClientRect(hwnd_, &client);
    SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, 0, client.right - GetSystemMetrics(SM_CXVSCROLL));
  }
  fitted_ = false;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ControlPeer::SetLineHeight() {
  int height = static_cast<ListBox&>(control_).itemHeight();
  if (height > 0) SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, Scaled(height, dpi()));
}

void ControlPeer::Sync() {
  if (reading_) return;
  if (!hwnd_) {
    // A container without a window: its children show and hide with it.
    for (Control* child : control_.children()) {
      if (child->peer()) child->peer()->Sync();
    }
    InvalidateRect(form_.hwnd(), nullptr, TRUE);
    return;
  }
  // A control the form moved (the Browsers page's boxes of the browsers found).
  if (control_.bounds() != placedAt_) Place();
  std::wstring caption = Wide(control_.caption());
  if (control_.kind() != Kind::ComboBox && control_.kind() != Kind::ListBox && control_.kind() != Kind::CheckList &&
      WindowText(hwnd_) != caption) {
    SetWindowTextW(hwnd_, caption.c_str());
  }
  EnableWindow(hwnd_, control_.enabled());
  ShowWindow(hwnd_, ShowsOnItsForm(control_) ? SW_SHOWNA : SW_HIDE);
  switch (control_.kind()) {
    case Kind::Label:
      fitted_ = false;
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case Kind::CheckBox:
    case Kind::RadioBox:
      SendMessageW(hwnd_, BM_SETCHECK, static_cast<CheckBox&>(control_).checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Kind::ListBox:
      SetLineHeight();
      break;
    case Kind::CheckList:
      SyncCheckList();
      break;
    case Kind::ProgressBar:
      SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(static_cast<ProgressBar&>(control_).position()), 0);
      break;
    case Kind::TextBox:
      break;
    case Kind::PageControl:
      SendMessageW(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(static_cast<PageControl&>(control_).activePageIndex()), 0);
      for (Control* page : control_.children()) {
        if (page->peer()) page->peer()->Sync();
      }
      break;
    default:
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
  }
}

namespace {
// A list view item's check box: none (0), clear (1) or checked (2).
UINT CheckImage(const CheckList::Line& line) { return INDEXTOSTATEIMAGEMASK(line.heading ? 0 : line.checked ? 2 : 1); }
}  // namespace

// New lines are sent whole, in one batch; a check alone, by itself.
void ControlPeer::SyncCheckList() {
  auto& list = static_cast<CheckList&>(control_);
  syncing_ = true;
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  if (list.revision() != checkListRevision_) {
    checkListRevision_ = list.revision();
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, list.lines().size(), 0);
    for (size_t i = 0; i < list.lines().size(); ++i) {
      std::wstring text = Wide(list.lines()[i].text);
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = text.data();
      SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      // A new item has a clear box: its own is set once it is there.
      item.state = CheckImage(list.lines()[i]);
      SendMessageW(hwnd_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  } else if (list.changedLine() >= 0) {
    item.state = CheckImage(list.lines()[static_cast<size_t>(list.changedLine())]);
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(list.changedLine()), reinterpret_cast<LPARAM>(&item));
  }
  syncing_ = false;
}

void ControlPeer::CheckChanged(const NMLISTVIEW& change) {
  auto& list = static_cast<CheckList&>(control_);
  if (syncing_ || !(change.uChanged & LVIF_STATE) || change.iItem < 0 ||
      static_cast<size_t>(change.iItem) >= list.lines().size()) {
    return;
  }
  const UINT image = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
  if (image == 0 || image == ((change.uOldState & LVIS_STATEIMAGEMASK) >> 12)) return;
  if (list.lines()[static_cast<size_t>(change.iItem)].checked != (image == 2)) list.UserToggle(change.iItem);
}

void ControlPeer::ReadFromNative() {
  reading_ = true;
  switch (control_.kind()) {
    case Kind::TextBox: {
      // The program's own text is no typing.
      std::string text = platform::win32::Utf8(WindowText(hwnd_));
      if (text != control_.caption()) static_cast<TextBox&>(control_).UserType(std::move(text));
      break;
    }
    case Kind::ComboBox:
      static_cast<ComboBox&>(control_).SetItemIndex(static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)));
      break;
    case Kind::ListBox: {
      auto& list = static_cast<ListBox&>(control_);
      std::vector<int> selected;
      int caret = -1;
      if (list.multiSelect()) {
        LRESULT n = SendMessageW(hwnd_, LB_GETSELCOUNT, 0, 0);
        if (n > 0) {
          selected.resize(static_cast<size_t>(n));
          n = SendMessageW(hwnd_, LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(selected.data()));
          selected.resize(n > 0 ? static_cast<size_t>(n) : 0);
        }
        caret = static_cast<int>(SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0));
      } else {
        caret = static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
        if (caret >= 0) selected.push_back(caret);
      }
      list.AdoptSelection(selected, caret);
      break;
    }
    default:
      break;
  }
  reading_ = false;
}

namespace {

// The messages by which a list box and a combo box do the same.
struct ListMessages {
  UINT insert, remove, reset, initStorage;
};
constexpr ListMessages kListBoxMessages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_INITSTORAGE};
constexpr ListMessages kComboBoxMessages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_INITSTORAGE};

const ListMessages& MessagesOf(const Control& c) {
  return c.kind() == Kind::ComboBox ? kComboBoxMessages : kListBoxMessages;
}

}  // namespace

// Only a window with WS_VISIBLE has its redrawing held: a class that passes
// WM_SETREDRAW on to DefWindowProc would otherwise be made visible by the
// message that turns redrawing back on.
void ControlPeer::BeginBatch(int adding, size_t characters) {
  holdingRedraw_ = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  if (holdingRedraw_) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  // Wine 8 gives the room back at the next line it adds (it trims its array
  // to the lines it holds); Windows keeps it for the lines to come.
  if (adding > 0) {
    SendMessageW(hwnd_, MessagesOf(control_).initStorage, static_cast<WPARAM>(adding),
                 static_cast<LPARAM>(characters * sizeof(wchar_t)));
  }
}

void ControlPeer::EndBatch() {
  if (!holdingRedraw_) return;
  holdingRedraw_ = false;
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ControlPeer::InsertLine(int index, const std::string& line) {
  SendMessageW(hwnd_, MessagesOf(control_).insert, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(Wide(line).c_str()));
}

void ControlPeer::DeleteLine(int index) {
  SendMessageW(hwnd_, MessagesOf(control_).remove, static_cast<WPARAM>(index), 0);
}

void ControlPeer::ClearLines() { SendMessageW(hwnd_, MessagesOf(control_).reset, 0, 0); }

void ControlPeer::SelectLine(int index, bool selected) {
  if (control_.kind() == Kind::ListBox) SendMessageW(hwnd_, LB_SETSEL, selected, index);
}

void ControlPeer::SetCurrentLine(int index) {
  if (reading_) return;
  if (control_.kind() == Kind::ComboBox) {
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else if (!static_cast<ListBox&>(control_).multiSelect()) {
    SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else if (index >= 0) {
    SendMessageW(hwnd_, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
  }
}

}  // namespace ui::win32
