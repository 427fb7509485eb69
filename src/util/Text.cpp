// Text helpers.
#include "util/Text.h"

namespace util {

char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ToLowerAscii(std::string s) {
  for (char& c : s) c = ToLowerAscii(c);
  return s;
}

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(ToLowerAscii(a[i]));
    unsigned char y = static_cast<unsigned char>(ToLowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool MatchesMask(const std::string& mask, const std::string& name) {
  if (mask == "*.*" || mask == "*") return true;
  return MatchesWildcards(mask, name, [](char a, char b) { return ToLowerAscii(a) == ToLowerAscii(b); });
}

}  // namespace util
