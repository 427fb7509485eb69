// The benchmarks' link-safe deletion.
#include "LinkSafeDelete.h"

#include <windows.h>
#include <winternl.h>

#include <string>
#include <utility>
#include <vector>

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PVOID apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS infoClass, BOOLEAN singleEntry,
                                               PUNICODE_STRING fileName, BOOLEAN restartScan);

namespace {

constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr auto kFileNameInformation = static_cast<FILE_INFORMATION_CLASS>(9);
constexpr auto kFileDispositionInformation = static_cast<FILE_INFORMATION_CLASS>(13);
constexpr auto kFileAttributeTagInformation = static_cast<FILE_INFORMATION_CLASS>(35);
constexpr auto kFileIdFullDirectoryInformation = static_cast<FILE_INFORMATION_CLASS>(38);
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);

struct Entry {
  std::wstring name;
  LONGLONG id;  // 0: not listed, any
  bool isFolder;
};

HANDLE OpenAsItself(HANDLE folder, const Entry& entry) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(entry.name.c_str());
  text.Length = text.MaximumLength = static_cast<USHORT>(entry.name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  const ACCESS_MASK access = DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE | (entry.isFolder ? FILE_LIST_DIRECTORY : 0);
  const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT |
                        (entry.isFolder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
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

bool IsLink(HANDLE opened) {
  struct {
    ULONG attributes, reparseTag;
  } tag;
  IO_STATUS_BLOCK io;
  return !NT_SUCCESS(NtQueryInformationFile(opened, &io, &tag, sizeof tag, kFileAttributeTagInformation)) ||
         (tag.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsListedAndOwnName(HANDLE opened, LONGLONG listed, const std::wstring& expectedName) {
  LARGE_INTEGER id;
  IO_STATUS_BLOCK io;
  return NT_SUCCESS(NtQueryInformationFile(opened, &io, &id, sizeof id, kFileInternalInformation)) &&
         (listed == 0 || id.QuadPart == listed) &&
         CompareStringOrdinal(NameOnVolume(opened).c_str(), -1, expectedName.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void EmptyThroughHandle(HANDLE folder);

void RemoveThroughHandle(HANDLE folder, const std::wstring& folderName, const Entry& entry) {
  HANDLE opened = OpenAsItself(folder, entry);
  if (!opened) return;
  bool remove = IsLink(opened);
  if (!remove && IsListedAndOwnName(opened, entry.id, folderName + L"\\" + entry.name)) {
    if (entry.isFolder) EmptyThroughHandle(opened);
    remove = true;
  }
  if (remove) {
    BOOLEAN yes = TRUE;
    IO_STATUS_BLOCK io;
    NtSetInformationFile(opened, &io, &yes, sizeof yes, kFileDispositionInformation);
  }
  NtClose(opened);
}

std::vector<Entry> ListThroughHandle(HANDLE folder) {
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
  return entries;
}

void EmptyThroughHandle(HANDLE folder) {
  const std::wstring folderName = NameOnVolume(folder);
  for (const Entry& entry : ListThroughHandle(folder)) RemoveThroughHandle(folder, folderName, entry);
}

struct Matching {
  int (*matches)(const wchar_t*, const wchar_t*, void*);
  void* context;
  int recurse, removeEmptied, countOnly;
  unsigned long taken = 0;
};

// The matching files of an open folder, and of its subfolders; true when it is left empty.
bool RemoveMatching(HANDLE folder, const std::wstring& path, Matching& m) {
  const std::wstring folderName = NameOnVolume(folder);
  bool empty = true;
  for (const Entry& entry : ListThroughHandle(folder)) {
    if (entry.isFolder) {
      HANDLE sub = m.recurse ? OpenAsItself(folder, entry) : nullptr;
      bool gone = false;
      if (sub && !IsLink(sub) && IsListedAndOwnName(sub, entry.id, folderName + L"\\" + entry.name) &&
          RemoveMatching(sub, path + L"\\" + entry.name, m) && m.removeEmptied && !m.countOnly) {
        BOOLEAN yes = TRUE;
        IO_STATUS_BLOCK io;
        gone = NT_SUCCESS(NtSetInformationFile(sub, &io, &yes, sizeof yes, kFileDispositionInformation));
      }
      if (sub) NtClose(sub);
      empty = empty && gone;
    } else if (m.matches(path.c_str(), entry.name.c_str(), m.context)) {
      ++m.taken;
      if (!m.countOnly) RemoveThroughHandle(folder, folderName, entry);
      empty = empty && !m.countOnly;
    } else {
      empty = false;
    }
  }
  return empty;
}

HANDLE OpenFolder(const wchar_t* folder) {
  return CreateFileW(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

void MinimalLinkSafeDelete(const wchar_t* folder) {
  HANDLE top = OpenFolder(folder);
  if (top == INVALID_HANDLE_VALUE) return;
  EmptyThroughHandle(top);
  CloseHandle(top);
}

unsigned long MinimalLinkSafeRemoveMatching(const wchar_t* folder,
                                            int (*matches)(const wchar_t*, const wchar_t*, void*), void* context,
                                            int recurse, int removeEmptied, int countOnly) {
  HANDLE top = CreateFileW(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE | DELETE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (top == INVALID_HANDLE_VALUE) return 0;
  Matching m{matches, context, recurse, removeEmptied, countOnly};
  if (RemoveMatching(top, folder, m) && removeEmptied && !countOnly) {
    BOOLEAN yes = TRUE;
    IO_STATUS_BLOCK io;
    NtSetInformationFile(top, &io, &yes, sizeof yes, kFileDispositionInformation);
  }
  CloseHandle(top);
  return m.taken;
}

void MinimalLinkSafeRemove(const wchar_t* folder, const wchar_t* name) {
  HANDLE home = OpenFolder(folder);
  if (home == INVALID_HANDLE_VALUE) return;
  RemoveThroughHandle(home, NameOnVolume(home), Entry{name, 0, false});
  CloseHandle(home);
}
