// Names and paths as Windows takes them: letters compared in their capitals
// from the upcase table an NTFS volume carries (all the scripts it folds, not
// ASCII alone), and "." and ".." resolved as Win32 path normalisation does.
#pragma once

#include <string>
#include <vector>

namespace platform::sim {

// A character's capital in an NTFS volume's upcase table; itself when it has none.
char32_t NtfsCapital(char32_t c);

// The characters of UTF-8 text in their capitals. A byte that begins no
// well-formed character stands for itself, beyond Unicode.
std::u32string Capitals(const std::string& text);

// <0, 0, >0: the UTF-8 names compared character by character in their
// capitals, which is how NTFS orders and finds a folder's entries. Bytes
// that are no UTF-8 compare as themselves.
int CompareNames(const std::string& a, const std::string& b);
struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const { return CompareNames(a, b) < 0; }
};
inline bool SameNames(const std::string& a, const std::string& b) { return CompareNames(a, b) == 0; }

// Whether `name` matches a FindFirstFile mask of '*' and '?' (each '?' one
// character, not one byte), letters compared as above; "*" and "*.*" match
// every name.
bool MatchesNameMask(const std::string& mask, const std::string& name);

// The parts of a path, its root first ("C:", or the server of
// "\\server\share"), separators single: "." is dropped and ".." takes off
// the part before it, never the root (nor a share's name), as
// GetFullPathName does. Other names, final dots and blanks included, stay
// as given.
std::vector<std::string> PathParts(const std::string& path);

}  // namespace platform::sim
