// The headless backend.
#include "ui/headless/HeadlessUi.h"

#include <new>

#include <chrono>

namespace ui::headless {

namespace {

template <class F>
void ForEachControl(Control& parent, const F& f) {
  for (Control* child : parent.children()) {
    f(*child);
    ForEachControl(*child, f);
  }
}

}  // namespace

HeadlessUi::~HeadlessUi() {
  for (auto& [key, attached] : lists_) attached.control->AttachListPeer(nullptr);
}

void HeadlessUi::Realize(Form& form) {
  form.SetHandle(nextHandle_++);
  ForEachControl(form, [this](Control& c) {
    if (c.kind() != Kind::ListBox && c.kind() != Kind::ComboBox) return;
    auto& list = static_cast<ListControl&>(c);
    bool multi = c.kind() == Kind::ListBox && static_cast<ListBox&>(c).multiSelect();
    Attached& attached = lists_[&c];
    attached.control = &list;
    attached.native = std::make_unique<HeadlessList>(multi);
    list.AttachListPeer(attached.native.get());
  });
}

void HeadlessUi::FormDestroyed(Form& form) {
  ForEachControl(form, [this](Control& c) {
    auto it = lists_.find(&c);
    if (it == lists_.end()) return;
    it->second.control->AttachListPeer(nullptr);
    lists_.erase(it);
  });
}

const HeadlessList* HeadlessUi::NativeList(const Control& control) const {
  auto it = lists_.find(&control);
  return it == lists_.end() ? nullptr : it->second.native.get();
}

void HeadlessUi::RunModal(Form& form) {
  if (onModal) onModal(form);
}

MessageResult HeadlessUi::ShowMessage(const std::string& text, const std::string& caption, MessageKind kind) {
  boxes.push_back({text, caption, kind});
  if (!answers.empty()) {
    MessageResult answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return kind == MessageKind::Confirmation ? MessageResult::No : MessageResult::Ok;
}

void HeadlessUi::PopupMenu(Form& owner, MenuItem& menu, Point at) {
  popups.push_back({&owner, &menu, at});
  if (onPopupMenu) onPopupMenu(menu);
}

void HeadlessUi::PostToForm(Form& form, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  postedMessages.push_back({&form, msg, wParam, lParam});
}

bool HeadlessUi::Deliver(Form& form, Message& message) {
  bool handled = false;
  if (form.OnMessage) RunHandler([&] { handled = form.OnMessage(message); });
  return handled;
}

void HeadlessUi::TimerChanged(Timer& timer) {
  if (timer.enabled() && timer.interval() > 0) {
    due_[&timer] = clock_.NowMs() + timer.interval();
  } else {
    due_.erase(&timer);
  }
}

void HeadlessUi::TimerDestroyed(Timer& timer) { due_.erase(&timer); }

void HeadlessUi::AdvanceTime(uint64_t ms) {
  uint64_t end = clock_.NowMs() + ms;
  for (;;) {
    Timer* next = nullptr;
    uint64_t when = end + 1;
    for (const auto& [timer, due] : due_) {
      if (due < when) {
        next = timer;
        when = due;
      }
    }
    if (!next || when > end) break;
    clock_.Advance(when - clock_.NowMs());
    due_[next] = when + next->interval();
    RunHandler([next] { next->Fire(); });
  }
  if (end > clock_.NowMs()) clock_.Advance(end - clock_.NowMs());
}

void HeadlessUi::Post(std::function<void()> task) {
  if (postsToRefuse > 0 && postsToRefuse-- > 0) throw std::bad_alloc();
  tasks_.Push(std::move(task));
}

int HeadlessUi::RunPosted() {
  int ran = 0;
  while (std::optional<std::function<void()>> task = tasks_.Take()) {
    RunHandler(*task);
    ++ran;
  }
  return ran;
}

bool HeadlessUi::PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
  pumpTimeouts.push_back(timeoutMs);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    RunPosted();
    if (done()) return true;
    auto now = std::chrono::steady_clock::now();
    if (now >= end) return false;
    WaitForPosted(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(end - now).count()));
  }
}

bool HeadlessUi::WaitForPosted(int timeoutMs) { return tasks_.WaitForTask(timeoutMs); }

}  // namespace ui::headless
