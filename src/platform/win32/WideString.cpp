// UTF-8 and UTF-16 conversion.
#include "platform/win32/WideString.h"

#include <windows.h>

namespace platform::win32 {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const wchar_t* wide, size_t length) {
  if (length == 0) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::string Utf8(const std::wstring& wide) { return Utf8(wide.data(), wide.size()); }

std::wstring WidePath(const std::string& utf8) {
  std::wstring path = Wide(utf8);
  if (path.rfind(L"\\\\", 0) == 0) return path;  // already \\?\ or a UNC name
  std::wstring folded;
  for (wchar_t c : path) {
    if (c == L'/') c = L'\\';
    if (c == L'\\' && !folded.empty() && folded.back() == L'\\') continue;
    folded += c;
  }
  // MAX_PATH counts the terminator; a folder also needs room for "\*.*".
  bool absolute = folded.size() > 2 && folded[1] == L':' && folded[2] == L'\\';
  if (absolute && folded.size() >= MAX_PATH - 12) return L"\\\\?\\" + folded;
  return folded;
}

}  // namespace platform::win32
