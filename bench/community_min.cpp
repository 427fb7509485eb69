// The least a program does to read a winapp2.ini file, detect its entries
// and clean the chosen ones, for the community benchmark to measure
// corvane.exe against: the same file, the same probes (a registry key in
// both views, a path with wildcards) and the same link-safe deletions
// (LinkSafeDelete.cpp), none of Corvane's checks (protected folders,
// journals, exclusions, cookie stores, sources' owners).
//   community_min.exe FILE detect             prints the detected entries
//   community_min.exe FILE list|clean NAME... lists, or deletes and lists, what they name
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "LinkSafeDelete.h"

namespace {

struct Entry {
  std::wstring name;
  std::vector<std::wstring> detects, detectFiles, fileKeys, regKeys;
};

std::wstring Widen(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                      wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

std::vector<Entry> Read(const wchar_t* path) {
  std::vector<Entry> entries;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return entries;
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  const std::wstring text = Widen(bytes);
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(L'\n', at);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (line.size() > 2 && line[0] == L'[') {
      std::wstring name = line.substr(1, line.size() - 2);
      if (name.size() > 2 && name.compare(name.size() - 2, 2, L" *") == 0) name.resize(name.size() - 2);
      entries.push_back({name, {}, {}, {}, {}});
      continue;
    }
    const size_t equals = line.find(L'=');
    if (entries.empty() || equals == std::wstring::npos) continue;
    std::wstring key = line.substr(0, equals), value = line.substr(equals + 1);
    while (!key.empty() && iswdigit(key.back())) key.pop_back();
    Entry& e = entries.back();
    if (key == L"Detect") e.detects.push_back(value);
    if (key == L"DetectFile") e.detectFiles.push_back(value);
    if (key == L"FileKey") e.fileKeys.push_back(value);
    if (key == L"RegKey") e.regKeys.push_back(value);
  }
  return entries;
}

std::wstring Known(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

// The folders a path's first variable stands for.
std::vector<std::wstring> Expand(const std::wstring& path) {
  const size_t end = path.find(L'%', 1);
  if (path.empty() || path[0] != L'%' || end == std::wstring::npos) return {};
  const std::wstring name = path.substr(1, end - 1), rest = path.substr(end + 1);
  std::vector<std::wstring> starts;
  if (!_wcsicmp(name.c_str(), L"AppData")) starts = {Known(CSIDL_APPDATA)};
  if (!_wcsicmp(name.c_str(), L"LocalAppData")) starts = {Known(CSIDL_LOCAL_APPDATA)};
  if (!_wcsicmp(name.c_str(), L"ProgramData")) starts = {Known(CSIDL_COMMON_APPDATA)};
  if (!_wcsicmp(name.c_str(), L"UserProfile")) starts = {Known(CSIDL_PROFILE)};
  if (!_wcsicmp(name.c_str(), L"WinDir")) starts = {Known(CSIDL_WINDOWS)};
  if (!_wcsicmp(name.c_str(), L"SystemDrive")) starts = {Known(CSIDL_WINDOWS).substr(0, 2)};
  if (!_wcsicmp(name.c_str(), L"Documents")) starts = {Known(CSIDL_PERSONAL)};
  if (!_wcsicmp(name.c_str(), L"Public")) starts = {Known(CSIDL_COMMON_DOCUMENTS) + L"\\.."};
  if (!_wcsicmp(name.c_str(), L"ProgramFiles")) starts = {Known(CSIDL_PROGRAM_FILES), Known(CSIDL_PROGRAM_FILESX86)};
  if (!_wcsicmp(name.c_str(), L"CommonProgramFiles")) {
    starts = {Known(CSIDL_PROGRAM_FILES_COMMON), Known(CSIDL_PROGRAM_FILES_COMMONX86)};
  }
  for (std::wstring& start : starts) start += rest;
  return starts;
}

// Every existing folder (or, with `files`, file too) a path with wildcards names.
void Resolve(const std::wstring& path, bool files, std::vector<std::wstring>* out) {
  const size_t star = path.find_first_of(L"*?");
  if (star == std::wstring::npos) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (files || (attributes & FILE_ATTRIBUTE_DIRECTORY)))
      out->push_back(path);
    return;
  }
  const size_t cut = path.rfind(L'\\', star), next = path.find(L'\\', star);
  const std::wstring folder = path.substr(0, cut), part = path.substr(cut + 1, next - cut - 1);
  const std::wstring rest = next == std::wstring::npos ? L"" : path.substr(next);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\" + part).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!wcscmp(found.cFileName, L".") || !wcscmp(found.cFileName, L"..")) continue;
    if (rest.empty() || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      Resolve(folder + L"\\" + found.cFileName + rest, files, out);
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

bool KeyExists(const std::wstring& key) {
  const size_t cut = key.find(L'\\');
  const std::wstring root = key.substr(0, cut), path = cut == std::wstring::npos ? L"" : key.substr(cut + 1);
  HKEY hive = root == L"HKLM"   ? HKEY_LOCAL_MACHINE
              : root == L"HKCR" ? HKEY_CLASSES_ROOT
              : root == L"HKU"  ? HKEY_USERS
                                : HKEY_CURRENT_USER;
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_QUERY_VALUE | view, &opened) == ERROR_SUCCESS) {
      RegCloseKey(opened);
      return true;
    }
    if (hive != HKEY_LOCAL_MACHINE && hive != HKEY_CLASSES_ROOT) break;
  }
  return false;
}

bool Detected(const Entry& e) {
  for (const std::wstring& key : e.detects) {
    if (KeyExists(key)) return true;
  }
  for (const std::wstring& path : e.detectFiles) {
    for (const std::wstring& expanded : Expand(path)) {
      std::vector<std::wstring> found;
      Resolve(expanded, true, &found);
      if (!found.empty()) return true;
    }
  }
  return e.detects.empty() && e.detectFiles.empty();
}

// Takes the files a pattern matches, and says each as a report would.
int Matches(const wchar_t* folder, const wchar_t* name, void* context) {
  for (const std::wstring& pattern : *static_cast<std::vector<std::wstring>*>(context)) {
    if (!PathMatchSpecW(name, pattern.c_str())) continue;
    wprintf(L"%ls\\%ls\n", folder, name);
    return 1;
  }
  return 0;
}

unsigned long Clean(const Entry& e, bool countOnly) {
  unsigned long taken = 0;
  for (const std::wstring& key : e.fileKeys) {
    const size_t bar = key.find(L'|');
    if (bar == std::wstring::npos) continue;
    const size_t flag = key.find(L'|', bar + 1);
    std::vector<std::wstring> patterns;
    const std::wstring list = key.substr(bar + 1, flag == std::wstring::npos ? std::wstring::npos : flag - bar - 1);
    for (size_t at = 0; at <= list.size();) {
      size_t end = list.find(L';', at);
      if (end == std::wstring::npos) end = list.size();
      if (end > at) patterns.push_back(list.substr(at, end - at));
      at = end + 1;
    }
    const std::wstring flags = flag == std::wstring::npos ? L"" : key.substr(flag + 1);
    const bool removeSelf = flags == L"REMOVESELF", recurse = removeSelf || flags == L"RECURSE";
    for (const std::wstring& expanded : Expand(key.substr(0, bar))) {
      std::vector<std::wstring> folders;
      Resolve(expanded, false, &folders);
      for (const std::wstring& folder : folders) {
        taken += MinimalLinkSafeRemoveMatching(folder.c_str(), Matches, &patterns, recurse, removeSelf, countOnly);
      }
    }
  }
  for (const std::wstring& key : e.regKeys) {
    if (countOnly || key.rfind(L"HKCU\\", 0) != 0) continue;
    const size_t bar = key.find(L'|');
    const std::wstring path = key.substr(5, bar == std::wstring::npos ? std::wstring::npos : bar - 5);
    if (bar == std::wstring::npos) {
      RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), key.substr(bar + 1).c_str());
    }
  }
  return taken;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::vector<Entry> entries = Read(argv[1]);
  const std::wstring mode = argv[2];
  if (mode == L"detect") {
    for (const Entry& e : entries) {
      if (Detected(e)) wprintf(L"%ls\n", e.name.c_str());
    }
    return 0;
  }
  unsigned long taken = 0;
  for (int i = 3; i < argc; ++i) {
    for (const Entry& e : entries) {
      if (_wcsicmp(e.name.c_str(), argv[i]) == 0 && Detected(e)) taken += Clean(e, mode == L"list");
    }
  }
  wprintf(L"%lu files\n", taken);
  return 0;
}
