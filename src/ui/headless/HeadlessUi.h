// The headless backend: no windows, only the widget model's state. Tests act
// as the user through the model, answer message boxes from a script, run
// timers on the virtual clock and deliver posted work when they choose.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/SimClock.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/TaskQueue.h"
#include "ui/Ui.h"
#include "ui/headless/HeadlessList.h"

namespace ui::headless {

class HeadlessUi : public Ui {
 public:
  explicit HeadlessUi(platform::sim::SimClock& clock) : clock_(clock) {}
  ~HeadlessUi() override;

  // List boxes and combo boxes get a stand-in native list each.
  void Realize(Form& form) override;
  void FormDestroyed(Form& form) override;
  void FormVisibilityChanged(Form&) override {}
  void RunModal(Form& form) override;
  void BringToFront(Form& form) override { foreground = &form; }
  void Repaint(Form& form) override { repaintedCaptions.push_back(form.caption()); }
  MessageResult ShowMessage(const std::string& text, const std::string& caption, MessageKind kind) override;
  void PopupMenu(Form& owner, MenuItem& menu, Point at) override;
  Point CursorPos() override { return cursor; }
  void PostToForm(Form& form, uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void TimerChanged(Timer& timer) override;
  void TimerDestroyed(Timer& timer) override;
  void Post(std::function<void()> task) override;
  // Runs the posted work as it comes, waiting in real time.
  bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) override;
  void SetAppWindow(const std::string& title, bool visible) override {
    appTitle = title;
    appWindowVisible = visible;
  }
  void RunMessageLoop() override {}
  void Terminate() override { terminated = true; }

  // A window message arriving at a form's window (sent by any program, this
  // one included): the form's handling runs as the window procedure would run
  // it. True when the form handled it.
  bool Deliver(Form& form, Message& message);
  // Moves the virtual clock on by `ms`, firing every timer that falls due on the way.
  void AdvanceTime(uint64_t ms);
  // The stand-in native list of a list box or combo box; null for other controls.
  const HeadlessList* NativeList(const Control& control) const;
  // Runs the work posted so far (a worker's termination, for one).
  int RunPosted();
  // The next posts raise std::bad_alloc, as on a machine out of memory.
  std::atomic<int> postsToRefuse{0};
  // Waits, at most `timeoutMs` of real time, until some work has been posted.
  bool WaitForPosted(int timeoutMs);

  struct Box {
    std::string text;
    std::string caption;
    MessageKind kind;
  };
  std::vector<Box> boxes;
  // Answers for the next message boxes, in order; when none is left an OK box
  // answers Ok and a confirmation No.
  std::deque<MessageResult> answers;
  // Runs while a modal form is shown; the form stays shown if it is not hidden.
  std::function<void(Form&)> onModal;
  // Runs while a pop-up menu is open: a test chooses an entry there.
  std::function<void(MenuItem&)> onPopupMenu;

  struct Popup {
    Form* owner;
    MenuItem* menu;
    Point at;
  };
  std::vector<Popup> popups;
  struct Posted {
    Form* form;
    uint32_t msg;
    uintptr_t wParam;
    intptr_t lParam;
  };
  std::vector<Posted> postedMessages;
  // The captions at painting time: a form painted may be gone by the time a test looks.
  std::vector<std::string> repaintedCaptions;
  Form* foreground = nullptr;
  Point cursor;
  std::string appTitle;
  bool appWindowVisible = false;
  bool terminated = false;
  // The bound of every PumpUntil, in order.
  std::vector<uint32_t> pumpTimeouts;

 private:
  platform::sim::SimClock& clock_;
  std::map<Timer*, uint64_t> due_;  // running timers and when each fires next
  TaskQueue tasks_;
  uintptr_t nextHandle_ = 0x1000;
  struct Attached {
    ListControl* control;
    std::unique_ptr<HeadlessList> native;
  };
  std::map<const Control*, Attached> lists_;
};

}  // namespace ui::headless
