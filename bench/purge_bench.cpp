// Times PurgeFolder on the Win32 layer against a minimal delete loop, each on
// its own identical tree of small files; prints the times and their ratio.
// Run by purge_bench.sh, which adds the host's rm -rf for comparison.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cleaner/FolderPurge.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WideString.h"

namespace {

constexpr int kFolders = 400;
constexpr int kFilesPerFolder = 50;  // 20,000 files in all

bool MakeTree(const std::wstring& top) {
  if (!CreateDirectoryW(top.c_str(), nullptr)) return false;
  const char content[] = "a small file of the kind a temporary folder fills up with\r\n";
  for (int f = 0; f < kFolders; ++f) {
    std::wstring folder = top + L"\\folder" + std::to_wstring(f);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
    for (int n = 0; n < kFilesPerFolder; ++n) {
      std::wstring file = folder + L"\\file" + std::to_wstring(n) + L".tmp";
      HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h == INVALID_HANDLE_VALUE) return false;
      DWORD written = 0;
      WriteFile(h, content, sizeof content - 1, &written, nullptr);
      CloseHandle(h);
    }
  }
  return true;
}

// The least a program can do to empty a tree.
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

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring base = std::wstring(temp) + L"purge-bench";
  platform::win32::Win32FileSystem files;
  std::vector<double> purge, loop;
  for (int round = 0; round < rounds; ++round) {
    // Alternate which goes first, so caches favour neither.
    for (int turn = 0; turn < 2; ++turn) {
      bool purgeTurn = (round + turn) % 2 == 0;
      std::wstring top = base + (purgeTurn ? L"-purge" : L"-loop");
      if (!MakeTree(top)) {
        std::fprintf(stderr, "could not build the tree in %s\n", platform::win32::Utf8(top).c_str());
        return 2;
      }
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      if (purgeTurn) {
        cleaner::PurgeFolder(files, platform::win32::Utf8(top), cleaner::PurgeOptions{true, false});
      } else {
        MinimalDelete(top);
      }
      QueryPerformanceCounter(&end);
      if (!IsEmptyFolder(top)) {
        std::fprintf(stderr, "the tree was not emptied\n");
        return 3;
      }
      RemoveDirectoryW(top.c_str());
      (purgeTurn ? purge : loop).push_back(Seconds(start, end));
    }
  }
  std::printf("files %d folders %d rounds %d\n", kFolders * kFilesPerFolder, kFolders, rounds);
  // Medians, and the best of each: the machine may be shared, and the best
  // run is the one least disturbed.
  std::printf("purge_seconds %.3f\n", Median(purge));
  std::printf("loop_seconds %.3f\n", Median(loop));
  std::printf("purge_best_seconds %.3f\n", *std::min_element(purge.begin(), purge.end()));
  std::printf("loop_best_seconds %.3f\n", *std::min_element(loop.begin(), loop.end()));
  return 0;
}
