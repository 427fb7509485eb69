// Text helpers shared by every layer: comparisons without regard to letter case.
#pragma once

#include <string>

namespace util {

char ToLowerAscii(char c);
std::string ToLowerAscii(std::string s);
// <0, 0, >0 like strcmp, comparing letters without regard to case.
int CompareNoCase(const std::string& a, const std::string& b);
inline bool EqualNoCase(const std::string& a, const std::string& b) { return CompareNoCase(a, b) == 0; }
// Matches a name against a FindFirstFile mask made of '*' and '?', without
// regard to case; "*.*" matches every name.
bool MatchesMask(const std::string& mask, const std::string& name);
// The wildcard match of a mask of '*' and '?' over any kind of text, `same`
// telling whether two of its characters are the same.
template <typename Text, typename Same>
bool MatchesWildcards(const Text& mask, const Text& name, Same same) {
  // Classic wildcard match with backtracking on the last '*'.
  size_t m = 0, n = 0, star = Text::npos, mark = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || same(mask[m], name[n]))) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      mark = n;
    } else if (star != Text::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}
struct LessNoCase {
  bool operator()(const std::string& a, const std::string& b) const { return CompareNoCase(a, b) < 0; }
};

}  // namespace util
