// The Win32 backend: real windows of the standard classes for the widget
// model, the application window, the message loop, timers and menus.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/TaskQueue.h"
#include "ui/Ui.h"
#include "ui/win32/FontCache.h"

namespace ui::win32 {

class ControlPeer;
class FormPeer;

class Win32Ui : public Ui {
 public:
  explicit Win32Ui(HINSTANCE instance);
  ~Win32Ui() override;

  void Realize(Form& form) override;
  void FormDestroyed(Form& form) override;
  void FormVisibilityChanged(Form& form) override;
  void RunModal(Form& form) override;
  void BringToFront(Form& form) override;
  void Repaint(Form& form) override;
  MessageResult ShowMessage(const std::string& text, const std::string& caption, MessageKind kind) override;
  void PopupMenu(Form& owner, MenuItem& menu, Point at) override;
  Point CursorPos() override;
  void PostToForm(Form& form, uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void TimerChanged(Timer& timer) override;
  void TimerDestroyed(Timer& timer) override;
  void Post(std::function<void()> task) override;
  bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) override;
  void SetAppWindow(const std::string& title, bool visible) override;
  void RunMessageLoop() override;
  void Terminate() override;

  HINSTANCE instance() const { return instance_; }
  HWND appWindow() const { return appWindow_.get(); }
  FontCache& fonts() { return fonts_; }
  // The menu entry behind a command identifier of a form's last pop-up menu.
  MenuItem* MenuCommand(Form& form, int id);

 private:
  static LRESULT CALLBACK AppWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK DropPostedPointerMessages(int code, WPARAM wParam, LPARAM lParam);
  platform::win32::ScopedMenu BuildMenu(MenuItem& menu, std::map<int, MenuItem*>& commands, int& nextId);
  HWND ActiveFormWindow() const;
  void ReleaseDestroyedSurfaces();
  void DisableOtherForms(Form& modal);
  void RunPostedTasks();

  HINSTANCE instance_;
  platform::win32::ScopedHandle<platform::win32::WindowTraits> appWindow_;
  platform::win32::ScopedHandle<platform::win32::HookTraits> postedMessageFilter_;
  // Work posted from any thread, run on this one in order.
  TaskQueue tasks_;
  FontCache fonts_;
  std::vector<std::unique_ptr<FormPeer>> forms_;
  std::set<Timer*> timers_;
  std::map<Form*, std::map<int, MenuItem*>> menuCommands_;
  // What each modal form shown disabled, to enable again when it ends.
  std::map<Form*, std::vector<HWND>> disabledBy_;
};

}  // namespace ui::win32
