// ANSI and UTF-8, through UTF-16.
#include "platform/win32/Win32AnsiText.h"

#include <windows.h>

#include "platform/win32/WideString.h"

namespace platform::win32 {

bool Win32AnsiText::ToUtf8(const std::string& ansi, std::string* utf8) {
  std::wstring wide;
  return ToWide(CP_ACP, ansi, &wide) && FromWide(CP_UTF8, wide.data(), wide.size(), utf8);
}

bool Win32AnsiText::FromUtf8(const std::string& utf8, std::string* ansi) {
  std::wstring wide;
  return ToWide(CP_UTF8, utf8, &wide) && FromWide(CP_ACP, wide.data(), wide.size(), ansi);
}

}  // namespace platform::win32
