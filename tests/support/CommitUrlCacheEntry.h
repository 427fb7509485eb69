// Puts an entry in the real URL cache as a browser would, for the Win32
// tests and the benchmark: CreateUrlCacheEntryA gives the local file, which
// gets a line of text, then CommitUrlCacheEntryA records the entry with
// `headerBytes` of header text in its record.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

namespace testsupport {

inline bool CommitUrlCacheEntry(const std::string& sourceName, DWORD type, DWORD headerBytes = 0) {
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(sourceName.c_str(), 0, "txt", file, 0)) return false;
  HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, "id=1\n", 5, &written, nullptr);
  CloseHandle(h);
  std::string header(headerBytes, 'h');
  FILETIME zero = {};
  return CommitUrlCacheEntryA(sourceName.c_str(), file, zero, zero, type,
                              headerBytes ? reinterpret_cast<BYTE*>(header.data()) : nullptr, headerBytes, nullptr,
                              nullptr);
}

}  // namespace testsupport
