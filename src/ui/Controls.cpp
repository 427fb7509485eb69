// The widget model's state changes.
#include "ui/Controls.h"

#include <algorithm>
#include "util/Text.h"

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

void ComboBox::SetItemIndex(int index) {
  itemIndex_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  Changed();
}

void ComboBox::UserSelect(int index) {
  if (!enabled()) return;
  SetFocus();
  SetItemIndex(index);
}

namespace {
bool LessNoCase(const std::string& a, const std::string& b) { return util::CompareNoCase(a, b) < 0; }
}  // namespace

void ListBox::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (sorted_) {
    std::vector<std::string> lines = items_;
    std::stable_sort(lines.begin(), lines.end(), LessNoCase);
    Clear();
    items_ = std::move(lines);
    selected_.assign(items_.size(), false);
  }
  Changed();
}

int ListBox::Add(const std::string& line) {
  size_t at = items_.size();
  if (sorted_) at = std::upper_bound(items_.begin(), items_.end(), line, LessNoCase) - items_.begin();
  items_.insert(items_.begin() + at, line);
  selected_.insert(selected_.begin() + at, false);
  if (itemIndex_ >= static_cast<int>(at)) ++itemIndex_;
  Changed();
  return static_cast<int>(at);
}

void ListBox::Delete(int index) {
  if (index < 0 || index >= count()) return;
  items_.erase(items_.begin() + index);
  selected_.erase(selected_.begin() + index);
  if (itemIndex_ >= count()) itemIndex_ = count() - 1;
  Changed();
}

void ListBox::Clear() {
  items_.clear();
  selected_.clear();
  itemIndex_ = -1;
  Changed();
}

bool ListBox::selected(int index) const {
  return index >= 0 && index < count() && selected_[index];
}

void ListBox::SetSelected(int index, bool selected) {
  if (index < 0 || index >= count()) return;
  if (!multiSelect_ && selected) selected_.assign(items_.size(), false);
  selected_[index] = selected;
  Changed();
}

void ListBox::SetItemIndex(int index) {
  itemIndex_ = index >= 0 && index < count() ? index : -1;
  if (!multiSelect_) {
    selected_.assign(items_.size(), false);
    if (itemIndex_ >= 0) selected_[itemIndex_] = true;
  }
  Changed();
}

void ListBox::UserClickLine(int index, bool extend) {
  if (!enabled() || index < 0 || index >= count()) return;
  SetFocus();
  if (multiSelect_ && extend) {
    selected_[index] = !selected_[index];
  } else {
    selected_.assign(items_.size(), false);
    selected_[index] = true;
  }
  itemIndex_ = index;
  Changed();
  if (OnClick) OnClick();
}

void ListBox::SetSelectedLook(Color fontColor, bool bold, std::string picture) {
  selectedFontColor_ = fontColor;
  selectedFontBold_ = bold;
  selectedPicture_ = std::move(picture);
  Changed();
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
