// The trees the purge benchmark empties, the least a program can do to
// empty one, and the figures of a side. purge_bench.sh builds the trees
// beforehand on the Unix side (far faster than through Wine): tree-0,
// tree-1, ... in one folder, each 400 folders of 51 empty files.
#pragma once

#include <string>
#include <vector>

namespace bench {

constexpr int kFolders = 400;
constexpr int kFilesPerFolder = 51;  // 20,400 files in all

// The prepared trees, handed out in order.
class TreeStock {
 public:
  explicit TreeStock(std::wstring folder) : folder_(std::move(folder)) {}
  // Moves the folders of the next tree into `target`, which exists; false
  // when no tree is left or a move fails.
  bool PlaceNext(const std::wstring& target);

 private:
  std::wstring folder_;
  int next_ = 0;
};

// FindFirstFileW, DeleteFileW and RemoveDirectoryW, nothing else: empties
// `folder` and keeps it. Not the same work as the purge: under Wine 8 a
// Unix symbolic link's name opens what it leads to, and DeleteFileW then
// deletes the target and leaves the link. The link-safe loop is in
// LinkSafeDelete.h.
void MinimalDelete(const std::wstring& folder);
bool IsEmptyFolder(const std::wstring& folder);
std::wstring TempFolder();  // GetTempPathW, without its final separator

// The times of one side's runs, one a round.
struct Times {
  std::vector<double> runs;
  double Median() const;
  double Best() const;
};

// The median of each round's own ratio, (side - less) / reference: on a
// shared machine steadier than the ratio of the medians, since the sides of
// one round run close together.
double MedianRatio(const Times& side, const Times& reference, const Times* less = nullptr);

}  // namespace bench
