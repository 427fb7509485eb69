// List boxes and combo boxes: their lines and selection, and the native list
// told of each change as it is made.
#include <algorithm>
#include <numeric>

#include "ui/Controls.h"
#include "util/Text.h"

namespace ui {

namespace {

size_t Characters(const std::vector<std::string>& lines) {
  size_t n = 0;
  for (const std::string& line : lines) n += line.size() + 1;
  return n;
}

}  // namespace

ListControl::Batch::Batch(ListPeer* peer, int adding, size_t characters) : peer_(peer) {
  if (peer_) peer_->BeginBatch(adding, characters);
}

ListControl::Batch::~Batch() {
  if (peer_) peer_->EndBatch();
}

void ListControl::AttachListPeer(ListPeer* peer) {
  listPeer_ = peer;
  ResendLines();
}

void ListControl::ResendLines() {
  if (!listPeer_) return;
  Batch batch(listPeer_, count(), Characters(items_));
  listPeer_->ClearLines();
  for (int i = 0; i < count(); ++i) listPeer_->InsertLine(i, items_[static_cast<size_t>(i)]);
  SendSelection(*listPeer_);
}

void ComboBox::SetItemIndex(int index) {
  itemIndex_ = index >= 0 && index < count() ? index : -1;
  if (listPeer_) listPeer_->SetCurrentLine(itemIndex_);
}

void ComboBox::UserSelect(int index) {
  if (!enabled()) return;
  SetFocus();
  SetItemIndex(index);
}

void ComboBox::SendSelection(ListPeer& peer) const { peer.SetCurrentLine(itemIndex_); }

void ListBox::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (!sorted_ || std::is_sorted(items_.begin(), items_.end(), util::LessNoCase{})) return;
  // Each line keeps its selection, and the caret its line.
  std::vector<size_t> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [this](size_t a, size_t b) { return util::LessNoCase{}(items_[a], items_[b]); });
  std::vector<std::string> lines;
  std::vector<bool> flags;
  int caret = -1;
  for (size_t from : order) {
    if (static_cast<int>(from) == itemIndex_) caret = static_cast<int>(lines.size());
    lines.push_back(std::move(items_[from]));
    flags.push_back(selected_[from]);
  }
  items_ = std::move(lines);
  selected_ = std::move(flags);
  itemIndex_ = caret;
  ResendLines();
}

std::vector<int> ListBox::Merge(std::vector<std::string> lines) {
  if (sorted_) std::stable_sort(lines.begin(), lines.end(), util::LessNoCase{});
  const size_t characters = Characters(lines);
  std::vector<std::string> merged;
  std::vector<bool> flags;
  std::vector<int> added;
  merged.reserve(items_.size() + lines.size());
  flags.reserve(items_.size() + lines.size());
  int caret = -1;
  size_t old = 0;
  auto keepOld = [&] {
    if (static_cast<int>(old) == itemIndex_) caret = static_cast<int>(merged.size());
    merged.push_back(std::move(items_[old]));
    flags.push_back(selected_[old]);
    ++old;
  };
  for (std::string& line : lines) {
    // After every old line it does not sort before; unsorted, after them all.
    while (old < items_.size() && (!sorted_ || !util::LessNoCase{}(line, items_[old]))) keepOld();
    added.push_back(static_cast<int>(merged.size()));
    merged.push_back(std::move(line));
    flags.push_back(false);
  }
  while (old < items_.size()) keepOld();

  bool caretMoved = caret != itemIndex_;
  items_ = std::move(merged);
  selected_ = std::move(flags);
  itemIndex_ = caret;
  if (listPeer_) {
    Batch batch(listPeer_, static_cast<int>(added.size()), characters);
    // In ascending order each line goes in where it stays: every line before it is in place.
    for (int at : added) listPeer_->InsertLine(at, items_[static_cast<size_t>(at)]);
    // A native list leaves its caret at its index when lines go in before it.
    if (caretMoved) listPeer_->SetCurrentLine(itemIndex_);
  }
  return added;
}

int ListBox::Add(const std::string& line) { return Merge({line}).front(); }

void ListBox::AddLines(std::vector<std::string> lines) {
  if (!lines.empty()) Merge(std::move(lines));
}

void ListBox::Delete(int index) {
  if (index < 0 || index >= count()) return;
  if (listPeer_) listPeer_->DeleteLine(index);
  items_.erase(items_.begin() + index);
  selected_.erase(selected_.begin() + index);
  if (!multiSelect_ && itemIndex_ >= index) itemIndex_ = itemIndex_ == index ? -1 : itemIndex_ - 1;
  if (itemIndex_ >= count()) itemIndex_ = count() - 1;
}

void ListBox::DeleteSelected() {
  if (!multiSelect_) {
    Delete(itemIndex_);
    return;
  }
  if (std::find(selected_.begin(), selected_.end(), true) == selected_.end()) return;
  if (listPeer_) {
    Batch batch(listPeer_, 0, 0);
    for (int i = count() - 1; i >= 0; --i) {
      if (selected_[static_cast<size_t>(i)]) listPeer_->DeleteLine(i);
    }
  }
  size_t kept = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (selected_[i]) continue;
    if (kept != i) items_[kept] = std::move(items_[i]);
    ++kept;
  }
  items_.resize(kept);
  selected_.assign(kept, false);
  // As a native list does: the caret stays at its index, within the lines.
  if (itemIndex_ >= count()) itemIndex_ = count() - 1;
}

void ListBox::Clear() {
  items_.clear();
  selected_.clear();
  itemIndex_ = -1;
  if (listPeer_) listPeer_->ClearLines();
}

bool ListBox::selected(int index) const {
  return index >= 0 && index < count() && selected_[static_cast<size_t>(index)];
}

void ListBox::SetSelected(int index, bool selected) {
  if (index < 0 || index >= count()) return;
  if (!multiSelect_) {
    if (selected)
      SelectOnly(index);
    else if (index == itemIndex_)
      SelectOnly(-1);
    return;
  }
  selected_[static_cast<size_t>(index)] = selected;
  if (selected) itemIndex_ = index;
  if (listPeer_) listPeer_->SelectLine(index, selected);
}

void ListBox::SetItemIndex(int index) {
  if (index < 0 || index >= count()) index = -1;
  if (!multiSelect_) {
    SelectOnly(index);
    return;
  }
  itemIndex_ = index;
  if (listPeer_) listPeer_->SetCurrentLine(itemIndex_);
}

void ListBox::SelectOnly(int index) {
  selected_.assign(items_.size(), false);
  if (index >= 0) selected_[static_cast<size_t>(index)] = true;
  itemIndex_ = index;
  if (listPeer_) listPeer_->SetCurrentLine(index);
}

void ListBox::UserClickLine(int index, bool extend) {
  if (!enabled() || index < 0 || index >= count()) return;
  SetFocus();
  if (multiSelect_) {
    bool select = !(extend && selected(index));
    if (!extend) {
      selected_.assign(items_.size(), false);
      if (listPeer_) listPeer_->SelectLine(-1, false);
    }
    SetSelected(index, select);
  }
  SetItemIndex(index);
  if (OnClick) OnClick();
}

void ListBox::AdoptSelection(const std::vector<int>& selectedLines, int caret) {
  selected_.assign(items_.size(), false);
  for (int i : selectedLines) {
    if (i >= 0 && i < count()) selected_[static_cast<size_t>(i)] = true;
  }
  itemIndex_ = caret >= 0 && caret < count() ? caret : -1;
}

void ListBox::SendSelection(ListPeer& peer) const {
  if (multiSelect_) {
    for (int i = 0; i < count(); ++i) {
      if (selected_[static_cast<size_t>(i)]) peer.SelectLine(i, true);
    }
  }
  peer.SetCurrentLine(itemIndex_);
}

void ListBox::SetSelectedLook(Color fontColor, bool bold, std::string picture) {
  selectedFontColor_ = fontColor;
  selectedFontBold_ = bold;
  selectedPicture_ = std::move(picture);
  Changed();
}

}  // namespace ui
