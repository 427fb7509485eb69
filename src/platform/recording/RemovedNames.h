// What a preview has removed, by name: a path or a registry key. Removing a
// folder or key removes everything below it, so one name stands for a whole
// tree, and the set grows with what was removed, not with what it held.
#pragma once

#include <set>
#include <string>

#include "util/Text.h"

namespace platform::recording {

class RemovedNames {
 public:
  // True when `name` or a name above it was removed.
  bool Contains(const std::string& name) const;
  void Add(const std::string& name);

  // One spelling per name: backslashes, single (but a share's leading
  // pair), no trailing one.
  static std::string Normal(const std::string& name);

 private:
  // In lower case, compared byte by byte: a preview looks names up for
  // every entry it lists and removes, and most share a long folder.
  std::set<std::string> names_;
};

}  // namespace platform::recording
