// What a backend (real Win32 windows, or headless state for tests) gives the
// program: message boxes, menus, the message loop, timers and the
// application window.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace ui {

class Form;
class MenuItem;
class Timer;

enum class MessageKind { Plain, Error, Information, Confirmation };
enum class MessageResult { Ok, Yes, No, Cancel };

struct Point {
  int x = 0, y = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // Creates the native windows of a form and its controls.
  virtual void Realize(Form& form) = 0;
  virtual void FormDestroyed(Form& form) = 0;
  virtual void FormVisibilityChanged(Form& form) = 0;
  // Runs a modal loop until the form is hidden.
  virtual void RunModal(Form& form) = 0;
  virtual void BringToFront(Form& form) = 0;
  virtual void Repaint(Form& form) = 0;

  // Error and information boxes have an OK button, confirmations Yes and No.
  virtual MessageResult ShowMessage(const std::string& text, const std::string& caption, MessageKind kind) = 0;

  // Shows a pop-up menu at a screen point and returns when it has closed,
  // after running the chosen entry's OnClick.
  virtual void PopupMenu(Form& owner, MenuItem& menu, Point at) = 0;
  virtual Point CursorPos() = 0;
  virtual void PostToForm(Form& form, uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;

  virtual void TimerChanged(Timer& timer) = 0;
  virtual void TimerDestroyed(Timer& timer) = 0;

  // Runs `task` on the user-interface thread; callable from any thread.
  virtual void Post(std::function<void()> task) = 0;
  // Handles messages and posted work until `done` answers true or `timeoutMs`
  // have passed; answers `done`. The user-interface thread waits for a
  // worker only this way, so that the worker's own posted end can arrive.
  virtual bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) = 0;

  // The application's hidden top-level window: its title, and whether it shows
  // (with a taskbar button).
  virtual void SetAppWindow(const std::string& title, bool visible) = 0;

  virtual void RunMessageLoop() = 0;
  virtual void Terminate() = 0;

  // Runs an event handler where the system's dispatch calls the program (a
  // window procedure, a timer, posted work): an exception that escapes it is
  // shown in an error box and the program goes on. False when it threw.
  template <class Handler>
  bool RunHandler(Handler&& handler) noexcept {
    try {
      handler();
      return true;
    } catch (const std::exception& e) {
      ReportEscapedError(e.what());
    } catch (...) {
      ReportEscapedError(nullptr);
    }
    return false;
  }
  // The caption of that error box: the application's title.
  void SetErrorCaption(std::string caption) { errorCaption_ = std::move(caption); }

 private:
  void ReportEscapedError(const char* what) noexcept;
  std::string errorCaption_;
  bool reportingError_ = false;
};

}  // namespace ui
