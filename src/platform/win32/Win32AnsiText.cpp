// ANSI and UTF-8, through UTF-16.
#include "platform/win32/Win32AnsiText.h"

#include <windows.h>

#include "platform/win32/WideString.h"

namespace platform::win32 {

// The conversions fill in what they cannot convert (a default character, a
// best fit, U+FFFD) without failing, whatever the code page; so each result
// is converted back and must give exactly what it came from.

bool Win32AnsiText::ToUtf8(const std::string& ansi, std::string* utf8) {
  std::wstring wide;
  std::string back, text;
  if (!ToWide(CP_ACP, ansi, &wide) || !FromWide(CP_ACP, wide.data(), wide.size(), &back) || back != ansi) {
    return false;
  }
  if (!FromWide(CP_UTF8, wide.data(), wide.size(), &text)) return false;
  *utf8 = std::move(text);
  return true;
}

bool Win32AnsiText::FromUtf8(const std::string& utf8, std::string* ansi) {
  std::wstring wide, back;
  std::string text;
  if (!ToWide(CP_UTF8, utf8, &wide) || !FromWide(CP_ACP, wide.data(), wide.size(), &text) ||
      !ToWide(CP_ACP, text, &back) || back != wide) {
    return false;
  }
  *ansi = std::move(text);
  return true;
}

}  // namespace platform::win32
