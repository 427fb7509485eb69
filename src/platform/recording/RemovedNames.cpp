// Names removed by a preview.
#include "platform/recording/RemovedNames.h"

namespace platform::recording {

std::string RemovedNames::Normal(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i] == '/' ? '\\' : name[i];
    if (c == '\\' && i > 1 && out.back() == '\\') continue;
    out += c;
  }
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}

bool RemovedNames::Contains(const std::string& name) const {
  if (names_.empty()) return false;
  std::string at = util::ToLowerAscii(Normal(name));
  for (;;) {
    if (names_.count(at)) return true;
    size_t cut = at.find_last_of('\\');
    if (cut == std::string::npos || cut == 0) return false;
    at.resize(cut);
  }
}

void RemovedNames::Add(const std::string& name) {
  // The names below it sort together: after "name\" and before "name]".
  std::string at = util::ToLowerAscii(Normal(name));
  names_.erase(names_.lower_bound(at + "\\"), names_.lower_bound(at + "]"));
  names_.insert(at);
}

}  // namespace platform::recording
