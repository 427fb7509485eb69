// Text helpers shared by every layer: comparisons without regard to letter case.
#pragma once

#include <string>

namespace util {

char ToLowerAscii(char c);
std::string ToLowerAscii(std::string s);
// <0, 0, >0 like strcmp, comparing letters without regard to case.
int CompareNoCase(const std::string& a, const std::string& b);
inline bool EqualNoCase(const std::string& a, const std::string& b) { return CompareNoCase(a, b) == 0; }
struct LessNoCase {
  bool operator()(const std::string& a, const std::string& b) const { return CompareNoCase(a, b) < 0; }
};

}  // namespace util
