// The stand-in native list.
#include "ui/headless/HeadlessList.h"

namespace ui::headless {

void HeadlessList::BeginBatch(int, size_t) {
  ++operations_;
  ++batchDepth_;
}

void HeadlessList::EndBatch() {
  ++operations_;
  --batchDepth_;
}

void HeadlessList::InsertLine(int index, const std::string& line) {
  ++operations_;
  if (index < 0 || index > static_cast<int>(lines_.size())) {
    ++refused_;
    return;
  }
  lines_.insert(lines_.begin() + index, line);
  selected_.insert(selected_.begin() + index, false);
  // A single selection moves with its line; a caret does not.
  if (!multiSelect_ && current_ >= index) ++current_;
}

void HeadlessList::DeleteLine(int index) {
  ++operations_;
  if (index < 0 || index >= static_cast<int>(lines_.size())) {
    ++refused_;
    return;
  }
  lines_.erase(lines_.begin() + index);
  selected_.erase(selected_.begin() + index);
  if (!multiSelect_ && current_ >= index) current_ = current_ == index ? -1 : current_ - 1;
  if (current_ >= static_cast<int>(lines_.size())) current_ = static_cast<int>(lines_.size()) - 1;
}

void HeadlessList::ClearLines() {
  ++operations_;
  lines_.clear();
  selected_.clear();
  current_ = -1;
}

void HeadlessList::SelectLine(int index, bool selected) {
  ++operations_;
  if (!multiSelect_ || index < -1 || index >= static_cast<int>(lines_.size())) {
    ++refused_;
    return;
  }
  if (index == -1) {
    selected_.assign(lines_.size(), selected);
    return;
  }
  selected_[static_cast<size_t>(index)] = selected;
  if (selected) current_ = index;
}

void HeadlessList::SetCurrentLine(int index) {
  ++operations_;
  if (index < -1 || index >= static_cast<int>(lines_.size())) {
    ++refused_;
    return;
  }
  if (index >= 0 || !multiSelect_) current_ = index;
}

bool HeadlessList::selected(int index) const {
  if (index < 0 || index >= static_cast<int>(lines_.size())) return false;
  return multiSelect_ ? selected_[static_cast<size_t>(index)] : index == current_;
}

}  // namespace ui::headless
