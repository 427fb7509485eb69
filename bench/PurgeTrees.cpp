// The purge benchmark's trees, minimal loop and figures.
#include "PurgeTrees.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

namespace bench {

bool TreeStock::PlaceNext(const std::wstring& target) {
  const std::wstring tree = folder_ + L"\\tree-" + std::to_wstring(next_++);
  for (int f = 0; f < kFolders; ++f) {
    const std::wstring name = L"\\folder" + std::to_wstring(f);
    if (!MoveFileExW((tree + name).c_str(), (target + name).c_str(), 0)) return false;
  }
  return RemoveDirectoryW(tree.c_str());
}

void MinimalDelete(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!wcscmp(data.cFileName, L".") || !wcscmp(data.cFileName, L"..")) continue;
    std::wstring path = folder + L"\\" + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      MinimalDelete(path);
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

bool IsEmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  int entries = 0;
  do ++entries;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return entries == 2;  // . and ..
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, path);
  std::wstring folder(path, n);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

double Times::Median() const {
  std::vector<double> sorted = runs;
  std::sort(sorted.begin(), sorted.end());
  return sorted[sorted.size() / 2];
}

double Times::Best() const { return *std::min_element(runs.begin(), runs.end()); }

double MedianRatio(const Times& side, const Times& reference, const Times* less) {
  Times ratios;
  for (size_t round = 0; round < side.runs.size(); ++round) {
    ratios.runs.push_back((side.runs[round] - (less ? less->runs[round] : 0)) / reference.runs[round]);
  }
  return ratios.Median();
}

}  // namespace bench
