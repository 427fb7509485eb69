// UTF-8 inside the program, UTF-16 at the Win32 boundary: the one conversion.
#pragma once

#include <string>

namespace platform::win32 {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide, size_t length);
// A path for the ...W file calls: doubled separators folded (the \\?\ form
// takes a path literally) and long paths given the \\?\ prefix.
std::wstring WidePath(const std::string& utf8);

}  // namespace platform::win32
