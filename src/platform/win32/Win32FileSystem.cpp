// The Win32 file system, every absolute path in the \\?\ form.
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>
#include <objbase.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32FolderHandle.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most one ReadFile or WriteFile call is asked to move.
constexpr size_t kChunkBytes = 1 << 20;

FindData ToFindData(const WIN32_FIND_DATAW& w) {
  // dwReserved0 holds the reparse tag when the entry is a reparse point.
  uint32_t tag = (w.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? w.dwReserved0 : 0;
  return {Utf8(w.cFileName), w.dwFileAttributes, (static_cast<uint64_t>(w.nFileSizeHigh) << 32) | w.nFileSizeLow, tag};
}

// A path from a call that answers the length it wrote into `buffer`, or,
// when `size` is too small, the size needed, terminator included; 0 when it
// fails. The buffer grows until the path fits.
template <typename Call>
bool AskPath(Call call, std::wstring* path) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n > kLongestPath) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      *path = std::move(buffer);
      return true;
    }
    buffer.assign(n, L'\0');
  }
}

bool IdentifyHandle(HANDLE h, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!FinalPathOf(h, &identity->finalPath) || !GetFileInformationByHandle(h, &info)) return false;
  identity->linkCount = info.nNumberOfLinks;
  return true;
}

class Win32ReadableFile : public ReadableFile {
 public:
  explicit Win32ReadableFile(HANDLE h) : file_(h) {}
  bool Identify(FileIdentity* identity) override { return IdentifyHandle(file_.get(), identity); }
  long ReadAll(size_t maxBytes, std::string* bytes) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size)) return static_cast<long>(GetLastError());
    // Compared before anything is allocated, and in 64 bits, so that a size
    // size_t cannot hold (a 32-bit build) is refused rather than wrapped.
    if (static_cast<uint64_t>(size.QuadPart) > maxBytes) return ERROR_FILE_TOO_LARGE;
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < data.size()) {
      DWORD got = 0;
      DWORD want = static_cast<DWORD>(std::min(data.size() - done, kChunkBytes));
      if (!ReadFile(file_.get(), data.data() + done, want, &got, nullptr)) return static_cast<long>(GetLastError());
      if (got == 0) break;
      done += got;
    }
    data.resize(done);
    *bytes = std::move(data);
    return ERROR_SUCCESS;
  }

 private:
  ScopedFile file_;
};

class Win32Find : public FileFind {
 public:
  explicit Win32Find(HANDLE h) : find_(h) {}
  bool Next(FindData* data) override {
    WIN32_FIND_DATAW listed;
    if (!FindNextFileW(find_.get(), &listed)) return false;
    *data = ToFindData(listed);
    return true;
  }

 private:
  ScopedHandle<FindFileTraits> find_;
};

// Writes all of `bytes` to an open file and to the disk.
long WriteAll(HANDLE file, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    DWORD want = static_cast<DWORD>(std::min(bytes.size() - done, kChunkBytes));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, want, &written, nullptr)) return static_cast<long>(GetLastError());
    if (written != want) return ERROR_WRITE_FAULT;
    done += written;
  }
  if (!FlushFileBuffers(file)) return static_cast<long>(GetLastError());
  return ERROR_SUCCESS;
}

// A name nobody can guess beforehand, so nobody can have put a file or a
// link there: 128 random bits (a version 4 GUID comes from the system's
// random generator).
std::wstring UnguessableSuffix() {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) return {};
  wchar_t text[40];
  if (StringFromGUID2(guid, text, 40) == 0) return {};
  return std::wstring(L".") + text + L".tmp";
}

// FILE_RENAME_INFORMATION, for NtSetInformationFile.
struct RenameInformation {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;
  WCHAR fileName[1];
};
constexpr auto kFileRenameInformation = static_cast<FILE_INFORMATION_CLASS>(10);

// Renames the file open as `file` to `name` in the folder open as `folder`,
// replacing what has that name: the name itself, whether a file, a link or
// another name of a file, never what a link leads to.
long RenameThrough(HANDLE file, HANDLE folder, const std::wstring& name) {
  std::vector<unsigned char> buffer(sizeof(RenameInformation) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
  rename->replaceIfExists = TRUE;
  rename->rootDirectory = folder;
  rename->fileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename->fileName);
  IO_STATUS_BLOCK io;
  NTSTATUS status = NtSetInformationFile(file, &io, rename, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  return NT_SUCCESS(status) ? ERROR_SUCCESS : static_cast<long>(RtlNtStatusToDosError(status));
}

// A path in the \\?\ form; a relative one taken from the current folder,
// as the system would. Empty when the system cannot say.
std::wstring FullPath(const std::string& path) {
  std::wstring wide = WidePath(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  std::wstring full;
  if (!AskPath([&wide](wchar_t* buffer, DWORD size) { return GetFullPathNameW(wide.c_str(), size, buffer, nullptr); },
               &full)) {
    return {};
  }
  return WidePath(Utf8(full));
}

}  // namespace

bool IdentifyOpenedDatabase(void* handle, const std::string&, sqlite::OpenedFile* file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle || !GetFileInformationByHandle(static_cast<HANDLE>(handle), &info)) return false;
  file->fileId = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  file->links = info.nNumberOfLinks;
  return true;
}

bool FinalPathOf(HANDLE handle, std::string* path) {
  std::wstring reached;
  if (!AskPath(
          [handle](wchar_t* buffer, DWORD size) {
            return GetFinalPathNameByHandleW(handle, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
          },
          &reached)) {
    return false;
  }
  *path = Utf8(WithoutLongPrefix(reached));
  return true;
}

std::unique_ptr<FileFind> Win32FileSystem::FindFirst(const std::string& pattern, FindData* first) {
  std::wstring wide = WidePath(pattern);
  WIN32_FIND_DATAW w;
  // No short names, which nothing here uses and Windows would look up for
  // every entry, and larger batches per call. Wine takes both flags and
  // makes the same calls as for FindFirstFileW.
  HANDLE h =
      FindFirstFileExW(wide.c_str(), FindExInfoBasic, &w, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  *first = ToFindData(w);
  return std::make_unique<Win32Find>(h);
}

uint32_t Win32FileSystem::GetAttributes(const std::string& path) { return GetFileAttributesW(WidePath(path).c_str()); }

bool Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(WidePath(path).c_str(), attributes);
}

// Through its folder's handle, as the purge deletes: a link at the name goes
// as a link, and one that Wine opens as its target is left alone (Wine's
// DeleteFileW deletes the target). Errors are DeleteFileW's.
bool Win32FileSystem::RemoveFile(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos || cut == 0 || cut + 1 == path.size()) return DeleteFileW(WidePath(path).c_str());
  std::string parent = path.substr(0, cut);
  if (parent.back() == ':') parent += '\\';  // "C:" alone is the drive's current folder
  std::unique_ptr<FolderHandle> folder = OpenFolderHandle(parent, false);
  if (!folder) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_DIRECTORY) SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (folder->RemoveEntry(path.substr(cut + 1), 0)) return true;
  if (GetLastError() == kErrorStoppedOnSymlink) {
    // A folder that is no link is simply not a file.
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY) {
      SetLastError(ERROR_ACCESS_DENIED);
    }
  }
  return false;
}

bool Win32FileSystem::RemoveFolder(const std::string& path) { return RemoveDirectoryW(WidePath(path).c_str()); }

bool Win32FileSystem::MakeFolder(const std::string& path) { return CreateDirectoryW(WidePath(path).c_str(), nullptr); }

std::unique_ptr<FolderHandle> Win32FileSystem::OpenFolder(const std::string& path, bool asItself) {
  return OpenFolderHandle(path, asItself);
}

bool Win32FileSystem::Identify(const std::string& path, FileIdentity* identity) {
  ScopedFile file(CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.valid() && IdentifyHandle(file.get(), identity);
}

bool Win32FileSystem::LongPathName(const std::string& path, std::string* longPath) {
  // Wine leaves a short name in the \\?\ form as it is (Windows resolves
  // it), so a path that fits MAX_PATH is given in its plain form.
  std::wstring wide = WidePath(path);
  std::wstring plain = WithoutLongPrefix(wide);
  const std::wstring& asked = plain.size() < MAX_PATH ? plain : wide;
  std::wstring result;
  if (!AskPath([&asked](wchar_t* buffer, DWORD size) { return GetLongPathNameW(asked.c_str(), buffer, size); },
               &result)) {
    return false;
  }
  // WidePath drops a trailing separator; the answer keeps the one asked with.
  *longPath = Utf8(WithoutLongPrefix(result));
  if (!path.empty() && (path.back() == '\\' || path.back() == '/') && longPath->back() != '\\') *longPath += '\\';
  return true;
}

bool Win32FileSystem::SameName(const std::string& a, const std::string& b) {
  return CompareStringOrdinal(Wide(a).c_str(), -1, Wide(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::unique_ptr<ReadableFile> Win32FileSystem::OpenForRead(const std::string& path, long* error) {
  HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  *error = ERROR_SUCCESS;
  return std::make_unique<Win32ReadableFile>(h);
}

long Win32FileSystem::ReplaceFileBelow(const std::string& start, const std::string& path, const std::string& bytes) {
  // Written beside the target and renamed over it, so a reader sees the old
  // file or the new one, never a part. The temporary file is made new, in
  // the target's folder as opened once, under a name nobody can guess, so
  // nothing planted is opened and no link followed; it is written, renamed
  // or deleted only through its own handle, which no one else may write or
  // delete through.
  // The folder is reached from the start, or else the root, every folder
  // on the way opened as itself, so that no link someone else may turn a
  // folder into leads the file elsewhere.
  std::wstring target = FullPath(path);
  if (target.empty()) return static_cast<long>(GetLastError());
  const size_t cut = target.find_last_of(L'\\');
  const std::wstring suffix = UnguessableSuffix();
  if (cut == std::wstring::npos || cut + 1 >= target.size()) return ERROR_INVALID_NAME;
  if (suffix.empty()) return ERROR_GEN_FAILURE;
  const std::wstring name = target.substr(cut + 1);
  ScopedKernelObject folder(
      OpenFolderBelow(start.empty() ? std::wstring() : FullPath(start), target.substr(0, cut), FILE_ADD_FILE));
  if (!folder.valid()) return static_cast<long>(GetLastError());
  // FILE_CREATE fails on any entry of that name, a link included, which is
  // not followed. Shared for reading alone: a reader of the target may open
  // it as soon as it has the target's name, while this handle still holds it.
  ScopedKernelObject file(CreateRelative(folder.get(), name + suffix, GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                         FILE_CREATE, FILE_NON_DIRECTORY_FILE));
  if (!file.valid()) return static_cast<long>(GetLastError());
  long error = WriteAll(file.get(), bytes);
  if (error == ERROR_SUCCESS) error = RenameThrough(file.get(), folder.get(), name);
  if (error != ERROR_SUCCESS) {
    FILE_DISPOSITION_INFO dispose = {TRUE};
    SetFileInformationByHandle(file.get(), FileDispositionInfo, &dispose, sizeof dispose);
  }
  return error;
}

bool Win32FileSystem::WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                                     const std::string& value) {
  return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                    WidePath(file).c_str());
}

// Every call above returns straight after the system call that failed; what
// runs in between (freeing a path's buffer) leaves the thread's error alone.
long Win32FileSystem::LastError() { return static_cast<long>(GetLastError()); }

}  // namespace platform::win32
