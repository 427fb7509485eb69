// ANSI and UTF-8.
#include "platform/win32/Win32AnsiText.h"

#include <windows.h>

#include "platform/win32/WideString.h"

namespace platform::win32 {

std::string Win32AnsiText::ToUtf8(const std::string& ansi) {
  if (ansi.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return Utf8(wide);
}

std::string Win32AnsiText::FromUtf8(const std::string& utf8) {
  std::wstring wide = Wide(utf8);
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr, nullptr);
  return ansi;
}

}  // namespace platform::win32
