// The controls of a window where the user picks from many things: a box to
// type a filter in, a list of lines each with a check box (in groups under
// headings without one), and a bar that shows how far some work has come.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace ui {

// A one-line text box; its caption is its text.
class TextBox : public Control {
 public:
  TextBox(Control* parent, std::string name, Rect bounds) : Control(parent, Kind::TextBox, std::move(name), bounds) {}
  const std::string& text() const { return caption(); }
  // The user's typing has made the text `text`: then OnChange runs.
  void UserType(std::string text);
  std::function<void()> OnChange;
};

// Lines with a check box each; a heading line has none.
class CheckList : public Control {
 public:
  struct Line {
    std::string text;
    bool heading = false;
    bool checked = false;
  };
  CheckList(Control* parent, std::string name, Rect bounds)
      : Control(parent, Kind::CheckList, std::move(name), bounds) {}
  const std::vector<Line>& lines() const { return lines_; }
  void SetLines(std::vector<Line> lines);
  void SetChecked(int index, bool checked);
  // The user clicks the check box of line `index` (a heading has none): it
  // changes, then OnToggle runs, which may put it back.
  void UserToggle(int index);
  std::function<void(int index)> OnToggle;

  // For a backend: the lines are new since `revision` was last seen; else
  // only line `changedLine` (-1: none) changed since the last Sync.
  int revision() const { return revision_; }
  int changedLine() const { return changedLine_; }

 private:
  std::vector<Line> lines_;
  int revision_ = 0;
  int changedLine_ = -1;
};

// How far some work has come, in percent.
class ProgressBar : public Control {
 public:
  ProgressBar(Control* parent, std::string name, Rect bounds)
      : Control(parent, Kind::ProgressBar, std::move(name), bounds) {}
  int position() const { return position_; }
  void SetPosition(int percent) {
    position_ = percent;
    Changed();
  }

 private:
  int position_ = 0;
};

}  // namespace ui
