// Wine's own exports of kernel32, which reach the Unix side; missing on
// Windows, where the helpers answer empty.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

template <typename Export>
Export WineExport(const char* name) {
  FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32"), name);
  return reinterpret_cast<Export>(reinterpret_cast<void (*)()>(proc));
}

// The Unix path of a Windows path; empty when not under Wine.
inline std::string UnixPath(const std::wstring& windowsPath) {
  auto unixName = WineExport<char*(CDECL*)(const wchar_t*)>("wine_get_unix_file_name");
  char* name = unixName ? unixName(windowsPath.c_str()) : nullptr;
  std::string text = name ? name : "";
  HeapFree(GetProcessHeap(), 0, name);
  return text;
}

}  // namespace testsupport
