// A top-level window of the program: created once, shown and hidden, and
// destroyed only at exit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Controls.h"

namespace ui {

class Ui;
class Timer;

// A window message as the program sees it.
struct Message {
  uint32_t msg = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  // For WM_COPYDATA: the block the sender passed (null when it passed none).
  const void* copyData = nullptr;
  uint32_t copyDataSize = 0;
  intptr_t result = 0;
  uintptr_t copyDataId = 0;  // its dwData
};

enum : uint32_t {
  kWmNull = 0x0000,
  kWmQueryEndSession = 0x0011,
  kWmEndSession = 0x0016,
  kWmCommand = 0x0111,
  kWmCopyData = 0x004A,
  kWmHotKey = 0x0312,
  kWmLButtonDblClk = 0x0203,
  kWmRButtonUp = 0x0205,
  // Explorer's "TaskbarCreated" broadcast (a registered message on Windows).
  kWmTaskbarCreated = 0x10000,
};

enum class Cursor { Default, HandPoint };

class Form : public Control {
 public:
  // `className` is the window class; `width` x `height` is the client area.
  Form(Ui& ui, std::string className, std::string caption, int width, int height);
  ~Form() override;

  Ui& ui() const { return ui_; }
  const std::string& className() const { return className_; }
  int clientWidth() const { return bounds().width; }
  int clientHeight() const { return bounds().height; }
  // The native window (an HWND); the headless backend gives a unique number.
  uintptr_t handle() const { return handle_; }
  void SetHandle(uintptr_t h) { handle_ = h; }
  // Borderless (the splash) rather than a fixed dialog frame.
  bool borderless() const { return borderless_; }
  void SetBorderless(bool b) { borderless_ = b; }
  // WM_COPYDATA reaches the window from programs of a lower integrity level
  // too (a browser in Protected Mode); set before the window is made.
  bool receivesCopyDataFromLowerIntegrity() const { return copyDataFromLowerIntegrity_; }
  void SetReceivesCopyDataFromLowerIntegrity(bool on) { copyDataFromLowerIntegrity_ = on; }

  void Show();  // runs OnShow when it goes from hidden to shown
  void Hide();
  void ShowModal();  // returns when the form is hidden again
  bool modal() const { return modal_; }
  // Closing as the close box does: OnClose decides; by default the form hides.
  void Close();
  // Sets the window state to normal (not minimised) and brings it to the front.
  void ShowNormal() {
    Show();
    BringToFront();
  }
  void BringToFront();
  // Paints the window at once, even when no message loop runs.
  void Repaint();

  Control* focusedControl() const { return focused_; }
  void FocusControl(Control* control);  // runs the OnExit of the control that loses the focus

  Cursor cursor() const { return cursor_; }
  void SetCursor(Cursor c) {
    cursor_ = c;
    Changed();
  }

  std::function<void()> OnShow;
  // Set `hide` to false to keep the window shown.
  std::function<void(bool& hide)> OnClose;

  // Messages of the form's own window, before default processing. Returning
  // true consumes the message.
  std::function<bool(Message&)> OnMessage;

  void TimerChanged(Timer& timer);

 private:
  Ui& ui_;
  std::string className_;
  uintptr_t handle_ = 0;
  bool borderless_ = false;
  bool copyDataFromLowerIntegrity_ = false;
  bool modal_ = false;
  Control* focused_ = nullptr;
  Cursor cursor_ = Cursor::Default;
};

}  // namespace ui
