// The widget model's state changes.
#include "ui/Controls.h"

#include <algorithm>

#include "ui/Form.h"
#include "ui/Ui.h"

namespace ui {

Control::Control(Control* parent, Kind kind, std::string name, Rect bounds, std::string caption)
    : kind_(kind), parent_(parent), name_(std::move(name)), bounds_(bounds), caption_(std::move(caption)) {
  if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
  // Owned children go after this body; they must not reach back to us.
  for (Control* child : children_) child->parent_ = nullptr;
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

Form* Control::form() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return c->kind_ == Kind::Form ? static_cast<Form*>(const_cast<Control*>(c)) : nullptr;
}

Control* Control::Find(const std::string& name) const {
  for (Control* child : children_) {
    if (child->name_ == name) return child;
    if (Control* found = child->Find(name)) return found;
  }
  return nullptr;
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::SetFocus() {
  if (Form* f = form()) f->FocusControl(this);
}

bool Control::Focused() const {
  Form* f = form();
  return f && f->focusedControl() == this;
}

void Control::UserClick() {
  if (!enabled_) return;
  if (OnClick) OnClick();
}

void CheckBox::UserClick() {
  if (!enabled()) return;
  SetFocus();
  if (kind() == Kind::RadioBox) {
    for (Control* sibling : parent()->children()) {
      if (sibling != this && sibling->kind() == Kind::RadioBox) static_cast<CheckBox*>(sibling)->SetChecked(false);
    }
    SetChecked(true);
  } else {
    SetChecked(!checked_);
  }
  if (OnClick) OnClick();
}

void PageControl::SetActivePageIndex(int index) {
  activePage_ = index;
  int i = 0;
  for (Control* page : children()) {
    if (page->kind() == Kind::TabSheet) page->SetVisible(i++ == activePage_);
  }
  Changed();
}

Control* PageControl::ActivePage() const {
  int i = 0;
  for (Control* page : children()) {
    if (page->kind() == Kind::TabSheet && i++ == activePage_) return page;
  }
  return nullptr;
}

Timer::~Timer() { form_.ui().TimerDestroyed(*this); }

void Timer::SetInterval(uint32_t ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Changed();
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void Timer::Changed() { form_.TimerChanged(*this); }

MenuItem& MenuItem::Add(std::unique_ptr<MenuItem> item) {
  items_.push_back(std::move(item));
  return *items_.back();
}

MenuItem* MenuItem::Find(const std::string& name) {
  for (auto& item : items_) {
    if (item->name() == name) return item.get();
    if (MenuItem* found = item->Find(name)) return found;
  }
  return nullptr;
}

}  // namespace ui
