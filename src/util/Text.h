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
struct LessNoCase {
  bool operator()(const std::string& a, const std::string& b) const { return CompareNoCase(a, b) < 0; }
};

}  // namespace util
