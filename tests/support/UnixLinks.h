// Under Wine, a Unix symbolic link stands for a junction or symbolic link
// that another user planted (Wine lists it as a reparse point, and its own
// CreateSymbolicLink makes nothing). The tests make and remove such links
// with the system's ln and rm, which Wine starts like any program; Wine's
// own deletions would reach what a link leads to instead of the link.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/WideString.h"
#include "tests/support/WineUnixPath.h"

namespace testsupport {

inline std::string UnixPath(const std::string& windowsPath) { return UnixPath(platform::win32::Wide(windowsPath)); }

// Starts a Unix program; Wine gives no handle to wait on, so callers wait
// for what it does.
inline bool RunUnix(const char* program, const std::vector<std::string>& arguments) {
  auto dosName = WineExport<wchar_t*(CDECL*)(const char*)>("wine_get_dos_file_name");
  wchar_t* path = dosName ? dosName(program) : nullptr;
  if (!path) return false;
  std::wstring command = platform::win32::Wide(program);
  for (const std::string& argument : arguments) command += L" \"" + platform::win32::Wide(argument) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessW(path, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  HeapFree(GetProcessHeap(), 0, path);
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  return started;
}

// Waits up to five seconds for a path to be there, or to be gone.
inline bool WaitForPath(const std::string& path, bool there) {
  const std::wstring wide = platform::win32::WidePath(path);
  for (int i = 0; i < 100; ++i) {
    if ((GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) == there) return true;
    Sleep(50);
  }
  return false;
}

// A Unix symbolic link at `path` (whose folder exists) to `target`.
inline bool MakeUnixLink(const std::string& path, const std::string& target) {
  size_t cut = path.rfind('\\');
  std::string folder = UnixPath(path.substr(0, cut));
  return !folder.empty() && RunUnix("/bin/ln", {"-s", UnixPath(target), folder + "/" + path.substr(cut + 1)}) &&
         WaitForPath(path, true);
}

// Removes a link itself (or a tree, never following its links) from the Unix side.
inline bool RemoveUnixPath(const std::string& path) {
  std::string unixPath = UnixPath(path);
  return !unixPath.empty() && RunUnix("/bin/rm", {"-rf", unixPath}) && WaitForPath(path, false);
}

}  // namespace testsupport
