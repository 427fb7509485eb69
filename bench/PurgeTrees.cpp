// The purge benchmark's trees, minimal loop and figures.
#include "PurgeTrees.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PVOID apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS infoClass, BOOLEAN singleEntry,
                                               PUNICODE_STRING fileName, BOOLEAN restartScan);

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

namespace {

constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr auto kFileNameInformation = static_cast<FILE_INFORMATION_CLASS>(9);
constexpr auto kFileDispositionInformation = static_cast<FILE_INFORMATION_CLASS>(13);
constexpr auto kFileAttributeTagInformation = static_cast<FILE_INFORMATION_CLASS>(35);
constexpr auto kFileIdFullDirectoryInformation = static_cast<FILE_INFORMATION_CLASS>(38);
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);

HANDLE OpenAsItself(HANDLE folder, const std::wstring& name, bool isFolder) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  const ACCESS_MASK access = DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE | (isFolder ? FILE_LIST_DIRECTORY : 0);
  const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT |
                        (isFolder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
  NTSTATUS status =
      NtCreateFile(&handle, access, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, options, nullptr, 0);
  return NT_SUCCESS(status) ? handle : nullptr;
}

std::wstring NameOnVolume(HANDLE handle) {
  static std::vector<ULONG> buffer((sizeof(ULONG) + 0x10000) / sizeof(ULONG));
  IO_STATUS_BLOCK io;
  if (!NT_SUCCESS(NtQueryInformationFile(handle, &io, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG)),
                                         kFileNameInformation))) {
    return std::wstring();
  }
  return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + 1), buffer[0] / sizeof(wchar_t));
}

// Listed, no link by its handle, and no link by its name: under Wine a Unix
// symbolic link to a file shows as its target everywhere but in the name.
bool IsListedAndNoLink(HANDLE entry, LONGLONG listed, const std::wstring& expectedName) {
  struct {
    ULONG attributes, reparseTag;
  } tag;
  LARGE_INTEGER id;
  IO_STATUS_BLOCK io;
  return NT_SUCCESS(NtQueryInformationFile(entry, &io, &tag, sizeof tag, kFileAttributeTagInformation)) &&
         !(tag.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         NT_SUCCESS(NtQueryInformationFile(entry, &io, &id, sizeof id, kFileInternalInformation)) &&
         id.QuadPart == listed &&
         CompareStringOrdinal(NameOnVolume(entry).c_str(), -1, expectedName.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void EmptyThroughHandle(HANDLE folder) {
  struct Entry {
    std::wstring name;
    LONGLONG id;
    bool isFolder;
  };
  std::vector<Entry> entries;
  std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IO_STATUS_BLOCK io;
    NTSTATUS status = NtQueryDirectoryFile(folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                                           static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)),
                                           kFileIdFullDirectoryInformation, FALSE, nullptr, restart);
    if (status == kStatusNoMoreFiles || !NT_SUCCESS(status)) break;
    const char* at = reinterpret_cast<const char*>(buffer.data());
    for (;;) {
      const auto* record = reinterpret_cast<const FILE_ID_FULL_DIR_INFORMATION*>(at);
      std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        entries.push_back(
            {std::move(name), record->FileId.QuadPart, (record->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
      }
      if (record->NextEntryOffset == 0) break;
      at += record->NextEntryOffset;
    }
  }
  const std::wstring folderName = NameOnVolume(folder);
  for (const Entry& entry : entries) {
    HANDLE opened = OpenAsItself(folder, entry.name, entry.isFolder);
    if (!opened) continue;
    if (IsListedAndNoLink(opened, entry.id, folderName + L"\\" + entry.name)) {
      if (entry.isFolder) EmptyThroughHandle(opened);
      BOOLEAN remove = TRUE;
      IO_STATUS_BLOCK io;
      NtSetInformationFile(opened, &io, &remove, sizeof remove, kFileDispositionInformation);
    }
    NtClose(opened);
  }
}

}  // namespace

void MinimalLinkSafeDelete(const std::wstring& folder) {
  HANDLE top = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (top == INVALID_HANDLE_VALUE) return;
  EmptyThroughHandle(top);
  CloseHandle(top);
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

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) / double(frequency.QuadPart);
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
