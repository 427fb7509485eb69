// A stand-in for a native list box or combo box: what it would hold after the
// operations the widget model sent it, and how many it took. Tests compare it
// with the model and count what a change of the lines costs.
#pragma once

#include <string>
#include <vector>

#include "ui/Controls.h"

namespace ui::headless {

class HeadlessList : public ListPeer {
 public:
  explicit HeadlessList(bool multiSelect) : multiSelect_(multiSelect) {}

  void BeginBatch(int adding, size_t characters) override;
  void EndBatch() override;
  void InsertLine(int index, const std::string& line) override;
  void DeleteLine(int index) override;
  void ClearLines() override;
  void SelectLine(int index, bool selected) override;
  void SetCurrentLine(int index) override;

  const std::vector<std::string>& lines() const { return lines_; }
  bool selected(int index) const;
  // As the native lists keep it: it stays at its index when lines go in
  // before it and stays within the lines when lines go out.
  int current() const { return current_; }
  // Every call counts as the one message it stands for.
  long operations() const { return operations_; }
  // A call with an index the list does not have (a native list refuses it).
  int refused() const { return refused_; }
  bool batchOpen() const { return batchDepth_ > 0; }

 private:
  bool multiSelect_;
  std::vector<std::string> lines_;
  std::vector<bool> selected_;
  int current_ = -1;
  long operations_ = 0;
  int refused_ = 0;
  int batchDepth_ = 0;
};

}  // namespace ui::headless
