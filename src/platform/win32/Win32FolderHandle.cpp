// Folders opened as themselves, and every entry opened relative to its
// folder's handle (NtOpenFile with a root directory and
// FILE_OPEN_REPARSE_POINT), checked through the handle it was opened by
// (what it is, its file number, the name it reached) and deleted through
// that handle: the way a removal stays inside a tree that someone else
// rearranges meanwhile.
#include "platform/win32/Win32FolderHandle.h"

#include <windows.h>
#include <aclapi.h>
#include <winternl.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/SidText.h"
#include "platform/win32/WideString.h"

// ntdll exports it; MinGW's winternl.h does not declare it.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PVOID apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS infoClass, BOOLEAN singleEntry,
                                               PUNICODE_STRING fileName, BOOLEAN restartScan);

namespace platform::win32 {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
// What a system without POSIX deletion (before Windows 10 1709, or a file
// system without it) answers the extended disposition with.
constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS kStatusNotImplemented = static_cast<NTSTATUS>(0xC0000002);
constexpr NTSTATUS kStatusInvalidInfoClass = static_cast<NTSTATUS>(0xC0000003);
constexpr NTSTATUS kStatusNotSupported = static_cast<NTSTATUS>(0xC00000BB);

// The information classes and records used here that MinGW's headers lack.
constexpr auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr auto kFileBasicInformation = static_cast<FILE_INFORMATION_CLASS>(4);
constexpr auto kFileStandardInformation = static_cast<FILE_INFORMATION_CLASS>(5);
constexpr auto kFileNameInformation = static_cast<FILE_INFORMATION_CLASS>(9);
constexpr auto kFileDispositionInformation = static_cast<FILE_INFORMATION_CLASS>(13);
constexpr auto kFileAttributeTagInformation = static_cast<FILE_INFORMATION_CLASS>(35);
constexpr auto kFileIdFullDirectoryInformation = static_cast<FILE_INFORMATION_CLASS>(38);
constexpr auto kFileDispositionInformationEx = static_cast<FILE_INFORMATION_CLASS>(64);
constexpr ULONG kDispositionDelete = 0x1;
// The name goes at once, though another program still holds the file open
// (sharing deletion): its folder can then be removed too.
constexpr ULONG kDispositionPosixSemantics = 0x2;

struct BasicInformation {
  LARGE_INTEGER creation, lastAccess, lastWrite, change;
  ULONG attributes;
};
struct StandardInformation {
  LARGE_INTEGER allocation, endOfFile;
  ULONG links;
  BOOLEAN deletePending, directory;
};
struct AttributeTagInformation {
  ULONG attributes;
  ULONG reparseTag;
};

bool FailWith(NTSTATUS status) {
  SetLastError(RtlNtStatusToDosError(status));
  return false;
}

HANDLE OpenRelative(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG options) {
  return CreateRelative(root, name, access, kShareAll, FILE_OPEN, options);
}

template <typename Record>
bool Query(HANDLE handle, FILE_INFORMATION_CLASS infoClass, Record* record) {
  IO_STATUS_BLOCK io;
  NTSTATUS status = NtQueryInformationFile(handle, &io, record, sizeof *record, infoClass);
  return NT_SUCCESS(status) || FailWith(status);
}

uint64_t FileIdOf(HANDLE handle) {
  LARGE_INTEGER id{};
  return Query(handle, kFileInternalInformation, &id) ? static_cast<uint64_t>(id.QuadPart) : 0;
}

// What an opened entry is, read through its handle: false with the thread's
// error when it is not the entry listed (`listed`, 0 for any) or when it
// stands for a name elsewhere (a link opened as itself).
bool IsListedEntry(HANDLE handle, uint64_t listed, AttributeTagInformation* tag) {
  if (!Query(handle, kFileAttributeTagInformation, tag)) return false;
  if ((tag->attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(tag->reparseTag)) {
    SetLastError(kErrorStoppedOnSymlink);
    return false;
  }
  if (listed != 0 && FileIdOf(handle) != listed) {
    // Another entry has taken the name since the listing (or, under Wine,
    // the name is a symbolic link that the open followed).
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  return true;
}

// The name an open file or folder has on its volume ("\dir\file"): where
// the open led. Under Wine 8 a Unix symbolic link to a file is listed as its
// target and its handle shows the target too; only this name tells, and a
// deletion through that handle would delete the target.
bool NameOnVolume(HANDLE handle, std::wstring* name) {
  // The longest name a path can hold, in one buffer per thread.
  thread_local std::vector<ULONG> buffer((sizeof(ULONG) + 0x10000) / sizeof(ULONG));
  IO_STATUS_BLOCK io;
  NTSTATUS status = NtQueryInformationFile(handle, &io, buffer.data(),
                                           static_cast<ULONG>(buffer.size() * sizeof(ULONG)), kFileNameInformation);
  if (!NT_SUCCESS(status)) return FailWith(status);
  name->assign(reinterpret_cast<const wchar_t*>(buffer.data() + 1), buffer[0] / sizeof(wchar_t));
  return true;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring WithoutFinalDotsAndBlanks(std::wstring name) {
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  return name;
}

// The volumes, by serial number, whose file system does not know the
// extended disposition (Wine 8 answers STATUS_NOT_IMPLEMENTED for every
// one; on Windows a FAT drive or a share may, beside an NTFS volume that
// takes it): not asked again. One volume's answer says nothing of another's.
class VolumesWithoutPosixDeletion {
 public:
  bool Contains(DWORD volume) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::find(volumes_.begin(), volumes_.end(), volume) != volumes_.end();
  }
  void Add(DWORD volume) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(volumes_.begin(), volumes_.end(), volume) == volumes_.end()) volumes_.push_back(volume);
  }

 private:
  std::mutex mutex_;
  std::vector<DWORD> volumes_;
};

VolumesWithoutPosixDeletion& VolumesWithoutPosix() {
  static VolumesWithoutPosixDeletion volumes;
  return volumes;
}

// Deletes the entry an open handle holds, as POSIX does where the system
// can (Windows 10 1709 and later, on NTFS), else as Windows always has.
// `volume` is the entry's volume's serial number, when known: a volume that
// does not know the extended call is not asked again.
bool DeleteThrough(HANDLE handle, const std::optional<DWORD>& volume) {
  IO_STATUS_BLOCK io;
  NTSTATUS status = kStatusNotImplemented;
  if (!volume || !VolumesWithoutPosix().Contains(*volume)) {
    ULONG flags = kDispositionDelete | kDispositionPosixSemantics;
    status = NtSetInformationFile(handle, &io, &flags, sizeof flags, kFileDispositionInformationEx);
    if (NT_SUCCESS(status)) return true;
    if (volume && (status == kStatusInvalidInfoClass || status == kStatusNotImplemented)) {
      VolumesWithoutPosix().Add(*volume);
    }
  }
  if (status != kStatusInvalidInfoClass && status != kStatusNotImplemented && status != kStatusInvalidParameter &&
      status != kStatusNotSupported) {
    return FailWith(status);
  }
  BOOLEAN deleteFile = TRUE;
  status = NtSetInformationFile(handle, &io, &deleteFile, sizeof deleteFile, kFileDispositionInformation);
  return NT_SUCCESS(status) || FailWith(status);
}

// A SID as text ("S-1-5-18"); empty when the system cannot write it.
// The allowing entries of an access list that apply to its object itself.
// An allowing entry of a kind whose SID is not read here counts as one for
// Everyone, so that no grant is overlooked.
bool AllowedEntries(const ACL* dacl, std::vector<FolderSecurity::Allowed>* allowed) {
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), i, &ace)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;
    const auto* entry = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    switch (header->AceType) {
      case ACCESS_ALLOWED_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        allowed->push_back({Utf8(SidText(const_cast<DWORD*>(&entry->SidStart))), entry->Mask});
        break;
      case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
      case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        allowed->push_back({"S-1-1-0", entry->Mask});
        break;
      default:
        break;  // denying and auditing entries allow nothing
    }
  }
  return true;
}

// Opens `name` in `root` as a folder for listing, with the rights to read
// its security and to delete it once emptied, where they are ours; without
// them, still to empty it, where they are not, or where another program
// holds the folder without sharing deletion (its current directory: a
// sharing violation). *deleteRefusal: why it was opened without the right
// to delete it; 0 when it has it.
HANDLE OpenFolderRelative(HANDLE root, const std::wstring& name, DWORD* deleteRefusal) {
  const ACCESS_MASK list = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
  auto open = [&](ACCESS_MASK extra) {
    return CreateRelative(root, name, list | extra, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE);
  };
  *deleteRefusal = 0;
  HANDLE h = open(DELETE | READ_CONTROL);
  if (!h && GetLastError() == ERROR_ACCESS_DENIED) h = open(DELETE);
  if (h || (GetLastError() != ERROR_ACCESS_DENIED && GetLastError() != ERROR_SHARING_VIOLATION)) return h;
  *deleteRefusal = GetLastError();
  h = open(READ_CONTROL);
  return h || GetLastError() != ERROR_ACCESS_DENIED ? h : open(0);
}

class Win32OpenFile : public WritableFile {
 public:
  explicit Win32OpenFile(HANDLE h) : file_(h) {}
  uint64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(file_.get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  }
  bool Seek(uint64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN);
  }
  bool Write(const void* data, uint32_t size) override {
    DWORD written = 0;
    return WriteFile(file_.get(), data, size, &written, nullptr) && written == size;
  }

 private:
  ScopedKernelObject file_;
};

class Win32FolderHandle : public FolderHandle {
 public:
  // `deleteRefusal`: why the folder was opened without the right to delete
  // it (0 when it has that right or was not asked for it).
  Win32FolderHandle(HANDLE h, std::string path, DWORD deleteRefusal = 0)
      : folder_(h), path_(std::move(path)), deleteRefusal_(deleteRefusal) {}
  const std::string& path() const override { return path_; }

  bool List(std::vector<FindData>* entries) override {
    entries->clear();
    // Large batches: a folder of thousands of files is read in a few calls.
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
      IO_STATUS_BLOCK io;
      NTSTATUS status = NtQueryDirectoryFile(folder_.get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                                             static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)),
                                             kFileIdFullDirectoryInformation, FALSE, nullptr, restart);
      if (status == kStatusNoMoreFiles) return true;
      if (!NT_SUCCESS(status)) return FailWith(status);
      const char* at = reinterpret_cast<const char*>(buffer.data());
      for (;;) {
        const auto* record = reinterpret_cast<const FILE_ID_FULL_DIR_INFORMATION*>(at);
        std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
        if (name != L"." && name != L"..") {
          FindData entry;
          entry.name = Utf8(name);
          entry.attributes = record->FileAttributes;
          entry.size = static_cast<uint64_t>(record->EndOfFile.QuadPart);
          // A reparse point's tag is given in the field that otherwise holds the size of its extended attributes.
          entry.reparseTag = (record->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? record->EaSize : 0;
          entry.fileId = static_cast<uint64_t>(record->FileId.QuadPart);
          entries->push_back(std::move(entry));
        }
        if (record->NextEntryOffset == 0) break;
        at += record->NextEntryOffset;
      }
    }
  }

  std::unique_ptr<FolderHandle> OpenFolder(const std::string& name, uint64_t listed) override {
    return OpenChild(name, listed, 0);
  }

  // The folder `name` opened as itself with exactly `access`, or, when 0,
  // as a purge opens it (OpenFolderRelative), checked to be the entry listed
  // and no link; null with the thread's error set.
  std::unique_ptr<Win32FolderHandle> OpenChild(const std::string& name, uint64_t listed, ACCESS_MASK access) {
    if (listed == 0) {
      // No listing named it yet: this folder's own listing says what the
      // name is, which is how Wine shows a Unix symbolic link (its handle
      // shows the target).
      std::vector<FindData> entries;
      if (!List(&entries)) return nullptr;
      auto entry = std::find_if(entries.begin(), entries.end(), [&](const FindData& e) {
        return CompareStringOrdinal(Wide(e.name).c_str(), -1, Wide(name).c_str(), -1, TRUE) == CSTR_EQUAL;
      });
      if (entry == entries.end()) return Fail<Win32FolderHandle>(ERROR_FILE_NOT_FOUND);
      if (IsLink(*entry)) return Fail<Win32FolderHandle>(kErrorStoppedOnSymlink);
      listed = entry->fileId;
    }
    const std::wstring wide = Wide(name);
    DWORD deleteRefusal = 0;
    HANDLE h = access ? OpenRelative(folder_.get(), wide, access, FILE_DIRECTORY_FILE)
                      : OpenFolderRelative(folder_.get(), wide, &deleteRefusal);
    if (!h) return nullptr;
    ScopedKernelObject opened(h);
    AttributeTagInformation tag;
    if (!IsListedEntry(opened.get(), listed, &tag) || !IsReachedByItsName(opened.get(), wide)) return nullptr;
    auto child = std::make_unique<Win32FolderHandle>(opened.Take(), path_ + "\\" + name, deleteRefusal);
    // No link and no mount point (a link's kind too): on this folder's
    // volume, which is asked once per walk (some 0.6 ms a time under Wine).
    child->volume_ = Volume();
    child->volumeRead_ = true;
    return child;
  }

  bool FinalPath(std::string* path) override { return FinalPathOf(folder_.get(), path); }

  bool ClearReadOnly(const std::string& name, uint64_t listed) override {
    // Checked through the handle that then changes it: a hard link's bit is
    // its file's, which may lie anywhere, and under Wine a Unix symbolic
    // link to a file opens as the file it leads to.
    const std::wstring wide = Wide(name);
    ScopedKernelObject entry(OpenRelative(folder_.get(), wide, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0));
    AttributeTagInformation tag;
    StandardInformation standard;
    BasicInformation basic;
    if (!entry.valid() || !IsListedEntry(entry.get(), listed, &tag) || !IsReachedByItsName(entry.get(), wide) ||
        !Query(entry.get(), kFileStandardInformation, &standard) ||
        !Query(entry.get(), kFileBasicInformation, &basic)) {
      return false;
    }
    if (!standard.directory && standard.links != 1) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    // Times of 0 are left as they are.
    basic.creation.QuadPart = basic.lastAccess.QuadPart = basic.lastWrite.QuadPart = basic.change.QuadPart = 0;
    basic.attributes &= ~ULONG{FILE_ATTRIBUTE_READONLY};
    if (basic.attributes == 0) basic.attributes = FILE_ATTRIBUTE_NORMAL;
    IO_STATUS_BLOCK io;
    NTSTATUS status = NtSetInformationFile(entry.get(), &io, &basic, sizeof basic, kFileBasicInformation);
    return NT_SUCCESS(status) || FailWith(status);
  }

  bool RemoveEntry(const std::string& name, uint64_t listed) override {
    const std::wstring wide = Wide(name);
    ScopedKernelObject entry(OpenRelative(folder_.get(), wide, DELETE | FILE_READ_ATTRIBUTES, 0));
    if (!entry.valid()) return false;
    AttributeTagInformation tag;
    if (!Query(entry.get(), kFileAttributeTagInformation, &tag)) return false;
    const bool link = (tag.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(tag.reparseTag);
    if (!link) {
      if (tag.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A folder that is no link: what Wine opens for a Unix symbolic
        // link to a folder, whose removal would reach the target.
        SetLastError(kErrorStoppedOnSymlink);
        return false;
      }
      if (listed != 0 && FileIdOf(entry.get()) != listed) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
      }
      if (!IsReachedByItsName(entry.get(), wide)) return false;
    }
    return DeleteThrough(entry.get(), Volume());
  }

  bool RemoveSelf() override {
    if (deleteRefusal_ != 0) {
      SetLastError(deleteRefusal_);
      return false;
    }
    return DeleteThrough(folder_.get(), Volume());
  }

  bool ReadSecurity(FolderSecurity* security) override {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error =
        GetSecurityInfo(folder_.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
      SetLastError(error);
      return false;
    }
    ScopedLocalMemory<PSECURITY_DESCRIPTOR> owned(descriptor);
    security->owner = Utf8(SidText(owner));
    security->allowed.clear();
    if (!dacl) {
      // No access list: everyone may do everything.
      security->allowed.push_back({"S-1-1-0", GENERIC_ALL});
      return true;
    }
    return AllowedEntries(dacl, &security->allowed);
  }

  // Gives the folder's handle up to a caller that keeps it.
  [[nodiscard]] HANDLE Take() { return folder_.Take(); }

  std::unique_ptr<WritableFile> OpenFileForWrite(const std::string& name, uint64_t listed) override {
    const std::wstring wide = Wide(name);
    ScopedKernelObject file(
        OpenRelative(folder_.get(), wide, FILE_GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE));
    AttributeTagInformation tag;
    StandardInformation standard;
    if (!file.valid() || !IsListedEntry(file.get(), listed, &tag) || !IsReachedByItsName(file.get(), wide) ||
        !Query(file.get(), kFileStandardInformation, &standard)) {
      return nullptr;
    }
    // Another name of the same file would be written too.
    if (standard.links != 1) return Fail<WritableFile>(ERROR_ACCESS_DENIED);
    return std::make_unique<Win32OpenFile>(file.Take());
  }

 private:
  template <typename T>
  static std::unique_ptr<T> Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
  }

  // Whether the opened `entry` is this folder's entry `name` itself, not
  // what a link of that name leads to (kErrorStoppedOnSymlink). Names are
  // told as the system's path rules give them, final dots and blanks
  // dropped: a name that differs from a sibling's only by those still has
  // to be this folder's.
  bool IsReachedByItsName(HANDLE entry, const std::wstring& name) {
    if (ownName_.empty()) {
      if (!NameOnVolume(folder_.get(), &ownName_)) return false;
      if (ownName_.empty()) ownName_ = L"\\";
    }
    std::wstring reached;
    if (!NameOnVolume(entry, &reached)) return false;
    const size_t cut = reached.find_last_of(L'\\');
    const size_t ownLength = ownName_.back() == L'\\' ? ownName_.size() - 1 : ownName_.size();
    if (cut != std::wstring::npos && SameText(reached.substr(0, cut), ownName_.substr(0, ownLength)) &&
        SameText(WithoutFinalDotsAndBlanks(reached.substr(cut + 1)), WithoutFinalDotsAndBlanks(name))) {
      return true;
    }
    SetLastError(kErrorStoppedOnSymlink);
    return false;
  }

  // The serial number of the folder's volume, which its entries share (a
  // mount point in it is a link, removed as itself); read when first needed.
  const std::optional<DWORD>& Volume() {
    if (!volumeRead_) {
      DWORD serial = 0;
      if (GetVolumeInformationByHandleW(folder_.get(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        volume_ = serial;
      }
      volumeRead_ = true;
    }
    return volume_;
  }

  ScopedKernelObject folder_;
  std::string path_;
  DWORD deleteRefusal_;
  std::wstring ownName_;  // on its volume, read when first needed
  std::optional<DWORD> volume_;
  bool volumeRead_ = false;
};

}  // namespace

HANDLE CreateRelative(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                      ULONG options) {
  if (name.empty() || name.size() * sizeof(wchar_t) > 0xFFFE) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, root, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  NTSTATUS status = NtCreateFile(
      &handle, access | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
      options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT, nullptr, 0);
  if (!NT_SUCCESS(status)) {
    FailWith(status);
    return nullptr;
  }
  return handle;
}

HANDLE OpenFolderBelow(const std::wstring& start, const std::wstring& path, ACCESS_MASK access) {
  // Without a start, the root: "\\?\C:\" or "\\?\UNC\server\share\", which is no link.
  size_t top = start.size();
  while (top > 0 && start[top - 1] == L'\\') --top;
  if (start.empty()) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
      const size_t server = path.find(L'\\', 8);
      top = server == std::wstring::npos || server == 8 ? 0 : std::min(path.find(L'\\', server + 1), path.size());
    } else if (path.size() >= 6 && path.rfind(L"\\\\?\\", 0) == 0 && path[5] == L':') {
      top = 6;
    }
  }
  const bool below = top > 0 && top <= path.size() && (top == path.size() || path[top] == L'\\') &&
                     CompareStringOrdinal(path.c_str(), static_cast<int>(top), (start.empty() ? path : start).c_str(),
                                          static_cast<int>(top), TRUE) == CSTR_EQUAL;
  if (!below) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  std::vector<std::wstring> names;
  for (size_t at = top + 1; at < path.size();) {
    size_t end = path.find(L'\\', at);
    if (end == std::wstring::npos) end = path.size();
    if (end > at) names.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  const ACCESS_MASK list = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  // The start where it leads; a root needs its separator ("\\?\C:" alone is the volume).
  std::wstring first = path.substr(0, top);
  if (start.empty() || first.back() == L':') first += L'\\';
  ScopedFile opened(CreateFileW(first.c_str(), (names.empty() ? access : 0) | list, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!opened.valid()) return nullptr;
  auto level = std::make_unique<Win32FolderHandle>(opened.Take(), Utf8(path.substr(0, top)));
  for (size_t i = 0; i < names.size(); ++i) {
    level = level->OpenChild(Utf8(names[i]), 0, (i + 1 == names.size() ? access : 0) | list);
    if (!level) {
      // A folder missing on the way, as CreateFile says it.
      if (GetLastError() == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_PATH_NOT_FOUND);
      return nullptr;
    }
  }
  return level->Take();
}

std::unique_ptr<FolderHandle> OpenFolderHandle(const std::string& path, bool asItself) {
  const std::wstring wide = WidePath(path);
  if (asItself) {
    // What the folder's parent lists for it, which is how Wine shows a Unix
    // symbolic link; on Windows the handle's own check below decides.
    WIN32_FIND_DATAW found;
    {
      // Closed before the last error below is set.
      ScopedHandle<FindFileTraits> find(
          FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
      if (!find.valid()) return nullptr;
    }
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(found.dwReserved0)) {
      SetLastError(kErrorStoppedOnSymlink);
      return nullptr;
    }
  }
  // With the right to read its security where that right is ours.
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (asItself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  const DWORD list = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  ScopedFile folder(CreateFileW(wide.c_str(), list | READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
  if (!folder.valid() && GetLastError() == ERROR_ACCESS_DENIED) {
    folder = ScopedFile(CreateFileW(wide.c_str(), list, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
  }
  AttributeTagInformation tag;
  if (!folder.valid() || !Query(folder.get(), kFileAttributeTagInformation, &tag)) return nullptr;
  if (!(tag.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_DIRECTORY);
    return nullptr;
  }
  if (asItself && (tag.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(tag.reparseTag)) {
    SetLastError(kErrorStoppedOnSymlink);
    return nullptr;
  }
  std::string trimmed = path;
  while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
  return std::make_unique<Win32FolderHandle>(folder.Take(), trimmed);
}

}  // namespace platform::win32
