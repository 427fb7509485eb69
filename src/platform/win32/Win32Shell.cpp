// The Win32 shell calls.
#include "platform/win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <userenv.h>

#include <cstring>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {

namespace {

// The known folders that have no CSIDL number, by our own numbers.
const KNOWNFOLDERID* KnownFolderOf(int id) {
  switch (id) {
    case kKnownFolderDownloads:
      return &FOLDERID_Downloads;
    case kKnownFolderOneDrive:
      return &FOLDERID_SkyDrive;
    case kKnownFolderLocalAppDataLow:
      return &FOLDERID_LocalAppDataLow;
    case kKnownFolderPublic:
      return &FOLDERID_Public;
    case kKnownFolderUserProfiles:
      return &FOLDERID_UserProfiles;
    case kKnownFolderSavedGames:
      return &FOLDERID_SavedGames;
    case kKnownFolderLinks:
      return &FOLDERID_Links;
    case kKnownFolderContacts:
      return &FOLDERID_Contacts;
    case kKnownFolderSearches:
      return &FOLDERID_SavedSearches;
    case kKnownFolderPublicDownloads:
      return &FOLDERID_PublicDownloads;
    case kKnownFolderProgramFilesX64:
      return &FOLDERID_ProgramFilesX64;
    case kKnownFolderProgramFilesCommonX64:
      return &FOLDERID_ProgramFilesCommonX64;
  }
  return nullptr;
}

bool KnownFolder(const KNOWNFOLDERID& id, std::string* path) {
  wchar_t* known = nullptr;
  HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &known);
  if (SUCCEEDED(result) && known) *path = Utf8(known);
  CoTaskMemFree(known);
  return SUCCEEDED(result) && known;
}

// What Windows sets for a 32-bit program on 64-bit Windows, to which the
// 64-bit folders are no known folder (SHGetKnownFolderPath refuses
// FOLDERID_ProgramFilesX64 there).
bool EnvironmentFolder(const wchar_t* name, std::string* path) {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return false;
  *path = Utf8(buffer, n);
  return true;
}

}  // namespace

bool Win32Shell::SpecialFolder(int csidl, std::string* path) {
  if (const KNOWNFOLDERID* id = KnownFolderOf(csidl)) {
    if (KnownFolder(*id, path)) return true;
    if (csidl == kKnownFolderProgramFilesX64) return EnvironmentFolder(L"ProgramW6432", path);
    if (csidl == kKnownFolderProgramFilesCommonX64) return EnvironmentFolder(L"CommonProgramW6432", path);
    return false;
  }
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return false;
  *path = Utf8(buffer);
  return true;
}

bool Win32Shell::TempFolder(std::string* path) {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH, buffer);
  // A result longer than the buffer is the size it would need: no path.
  if (n == 0 || n > MAX_PATH) return false;
  *path = Utf8(buffer, n);
  return true;
}

bool Win32Shell::UserTempFolder(std::string* path) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token)) return false;
  ScopedKernelObject ownedToken(token);
  void* block = nullptr;
  if (!CreateEnvironmentBlock(&block, token, FALSE)) return false;
  ScopedHandle<EnvironmentBlockTraits> environment(block);
  // GetTempPath's order: TMP, then TEMP.
  for (const wchar_t* name : {L"TMP=", L"TEMP="}) {
    const size_t length = wcslen(name);
    for (const wchar_t* entry = static_cast<const wchar_t*>(block); *entry; entry += wcslen(entry) + 1) {
      if (CompareStringOrdinal(entry, static_cast<int>(length), name, static_cast<int>(length), TRUE) == CSTR_EQUAL &&
          entry[length]) {
        *path = Utf8(entry + length);
        return true;
      }
    }
  }
  return false;
}

bool Win32Shell::WindowsFolder(std::string* path) {
  wchar_t buffer[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return false;
  *path = Utf8(buffer, n);
  return true;
}

long Win32Shell::EmptyRecycleBin(uint32_t flags) {
  return static_cast<long>(SHEmptyRecycleBinW(nullptr, nullptr, flags));
}

long Win32Shell::QueryRecycleBin(uint64_t* items, uint64_t* bytes) {
  // A null root asks for the bins of every drive together.
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  HRESULT result = SHQueryRecycleBinW(nullptr, &info);
  if (SUCCEEDED(result)) {
    *items = static_cast<uint64_t>(info.i64NumItems);
    *bytes = static_cast<uint64_t>(info.i64Size);
  }
  return static_cast<long>(result);
}

bool Win32Shell::QueryVersion(uint32_t structSize, OsVersion* version) {
  // The ANSI structure, so the two sizes are those of OSVERSIONINFOEXA and
  // OSVERSIONINFOA; the call checks the size it is given.
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  if (structSize > sizeof info) return false;
  info.dwOSVersionInfoSize = structSize;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
  *version = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
  return true;
}

}  // namespace platform::win32
