// UTF-8 inside the program, UTF-16 at the Win32 boundary: the one conversion.
#pragma once

#include <cstddef>
#include <string>

namespace platform::win32 {

// The longest path the ...W calls take, in characters with the terminator;
// no path the system gives is longer.
constexpr size_t kLongestPath = 32768;

// MultiByteToWideChar / WideCharToMultiByte with `codePage` (CP_UTF8,
// CP_ACP). False when the system refuses the conversion (a text longer than
// the calls take, a code page it does not know); *out is then untouched, so
// a failure never passes for an empty text.
bool ToWide(unsigned codePage, const std::string& text, std::wstring* out);
bool FromWide(unsigned codePage, const wchar_t* wide, size_t length, std::string* out);

// UTF-8 and UTF-16 for names and paths; std::range_error when the system
// refuses the conversion, never an empty string in its place (an empty key
// path would name the root key itself).
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide, size_t length);

// A path for the ...W file calls. An absolute path gets the \\?\ form
// (\\?\UNC\ for a share), so the system takes every name as it is: a name
// ending in a dot or a space, or "...", reaches exactly that entry, and long
// paths work. Separators are made single backslashes and "." and ".."
// components are resolved first, since the \\?\ form would take them
// literally. A path that already has that form is left as it is.
std::wstring WidePath(const std::string& utf8);

// The \\?\ form taken off a path the system gave (GetFinalPathNameByHandle).
std::wstring WithoutLongPrefix(const std::wstring& path);

}  // namespace platform::win32
