// The state changes of the text box and the check list.
#include "ui/InputControls.h"

namespace ui {

void TextBox::UserType(std::string text) {
  if (!enabled()) return;
  SetFocus();
  SetCaption(std::move(text));
  if (OnChange) OnChange();
}

void CheckList::SetLines(std::vector<Line> lines) {
  lines_ = std::move(lines);
  ++revision_;
  changedLine_ = -1;
  Changed();
}

void CheckList::SetChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(lines_.size()) || lines_[index].heading) return;
  lines_[index].checked = checked;
  changedLine_ = index;
  Changed();
  changedLine_ = -1;
}

void CheckList::UserToggle(int index) {
  if (!enabled() || index < 0 || index >= static_cast<int>(lines_.size()) || lines_[index].heading) return;
  SetFocus();
  SetChecked(index, !lines_[index].checked);
  if (OnToggle) OnToggle(index);
}

}  // namespace ui
