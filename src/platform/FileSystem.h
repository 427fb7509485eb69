// Files and folders, shaped like the Win32 file calls. Paths are UTF-8 with
// backslashes; the Win32 layer converts them and hands every absolute path to
// the system exactly as given (the \\?\ form).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

namespace platform {

enum : uint32_t {
  kAttrReadOnly = 0x1,
  kAttrHidden = 0x2,
  kAttrSystem = 0x4,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kAttrReparsePoint = 0x400,
  kInvalidAttributes = 0xFFFFFFFF,
};

// The reparse tags of the two kinds of link: IO_REPARSE_TAG_SYMLINK and
// IO_REPARSE_TAG_MOUNT_POINT (a junction, or a volume mounted in a folder).
enum : uint32_t {
  kReparseTagSymlink = 0xA000000C,
  kReparseTagMountPoint = 0xA0000003,
};

struct FindData {
  std::string name;  // the entry's name, no folder
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint32_t reparseTag = 0;  // when attributes has kAttrReparsePoint
  uint64_t fileId = 0;      // the file's number on its volume; 0 when the listing does not say
};

// The entries "." and ".." that a listing gives for the folder and its parent.
inline bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

// The bit of a reparse tag that marks a name surrogate: an entry that stands
// for another name in the namespace (symbolic links, junctions, and the
// links of WSL, app execution aliases, or a container's layers).
constexpr uint32_t kReparseTagNameSurrogateBit = 0x20000000;

// A link, by its reparse tag: any name surrogate (IsReparseTagNameSurrogate),
// and the tag 0, which no file system filter uses and Wine gives a Unix
// symbolic link. Other reparse points (cloud placeholders, deduplicated or
// compressed files) are ordinary entries.
inline bool IsLinkTag(uint32_t tag) { return tag == 0 || (tag & kReparseTagNameSurrogateBit); }

// A junction or symbolic link, by what a listing says of it.
inline bool IsLink(const FindData& entry) {
  return (entry.attributes & kAttrReparsePoint) && IsLinkTag(entry.reparseTag);
}

// What an open file or folder is (GetFinalPathNameByHandle,
// GetFileInformationByHandle).
struct FileIdentity {
  std::string finalPath;   // the path the system reached, every link on the way followed
  uint32_t linkCount = 0;  // the names the file has (hard links)
};

// A folder's owner and what its access list allows, as the system keeps
// them (GetSecurityInfo), SIDs as text ("S-1-5-18").
struct FolderSecurity {
  struct Allowed {
    std::string sid;
    uint32_t rights = 0;  // the access mask of an allowing entry
  };
  std::string owner;
  // The allowing entries that apply to the folder itself (not those only
  // passed on to what is made in it). A folder without an access list
  // allows everyone everything: one entry for Everyone then.
  std::vector<Allowed> allowed;
};

// An open listing (FindFirstFile handle); closed when destroyed.
class FileFind {
 public:
  virtual ~FileFind() = default;
  virtual bool Next(FindData* data) = 0;
};

// A file opened for reading (CreateFile with OPEN_EXISTING, sharing reading,
// writing and deletion); closed when destroyed.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  virtual bool Identify(FileIdentity* identity) = 0;
  // Reads the whole file. A file of more than `maxBytes` is not read:
  // kErrorFileTooLarge. Returns a Win32 error code.
  virtual long ReadAll(size_t maxBytes, std::string* bytes) = 0;
};

// An existing file opened for writing, sharing reading and writing with
// others; closed when destroyed.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual uint64_t Size() = 0;
  virtual bool Seek(uint64_t offset) = 0;
  virtual bool Write(const void* data, uint32_t size) = 0;
};

// A folder opened as itself, never through a link at its own name, and kept
// open: what is listed, opened, deleted through it is this folder's, even
// when someone renames it or puts a link in its place meanwhile. A purge
// walks a tree with these (the NtOpenFile-relative-to-a-handle way), so no
// link swapped in during the run can lead it elsewhere.
class FolderHandle {
 public:
  virtual ~FolderHandle() = default;
  // The path it was opened by, for what a caller reports.
  virtual const std::string& path() const = 0;
  // Every entry of the folder, "." and ".." left out, as the system lists
  // them through the handle. False (LastError) when it cannot be listed.
  virtual bool List(std::vector<FindData>* entries) = 0;
  // Opens the entry `name` as a folder of its own, as itself: null when it
  // is no folder, is a link or another reparse point that stands for a
  // name elsewhere, is not the entry `listed` (the file number a listing
  // gave; 0 to skip that check), or cannot be opened (LastError).
  virtual std::unique_ptr<FolderHandle> OpenFolder(const std::string& name, uint64_t listed) = 0;
  // Where the folder is now, every link on the way followed
  // (GetFinalPathNameByHandle): what a check of the place must look at,
  // since a name can be made to lead elsewhere after it was checked.
  virtual bool FinalPath(std::string* path) = 0;
  // Clears the read-only attribute of the entry `name`, opened as itself and
  // checked before anything changes: false when it is a link, is not the
  // entry `listed` (0 to skip that check), or is a file with another name (a
  // hard link), whose bit is every name's (kErrorAccessDenied).
  virtual bool ClearReadOnly(const std::string& name, uint64_t listed) = 0;
  // Deletes the entry `name`, opened as itself: a file, or a link as a link,
  // never what it leads to. False when it is not the entry `listed`
  // (kErrorFileNotFound), and for a folder that is no link or a file
  // whose name is another's (kErrorStoppedOnSymlink: what Wine opens for a
  // link to a folder or to a file).
  virtual bool RemoveEntry(const std::string& name, uint64_t listed) = 0;
  // Removes this folder itself, through the handle, when it is empty.
  virtual bool RemoveSelf() = 0;
  // Opens the file `name` for writing, as itself: null when it is a link,
  // has a second name (a hard link) or is not the entry `listed`.
  virtual std::unique_ptr<WritableFile> OpenFileForWrite(const std::string& name, uint64_t listed) = 0;
  // This folder's owner and access list, read through the handle. False
  // (LastError) when the system cannot say.
  virtual bool ReadSecurity(FolderSecurity* security) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // FindFirstFile with a pattern such as "C:\dir\*.*"; null when nothing
  // matches or the folder cannot be listed. `*first` receives the first entry.
  // A path without wildcards finds that entry itself, a link not followed.
  virtual std::unique_ptr<FileFind> FindFirst(const std::string& pattern, FindData* first) = 0;

  // Opens the folder at `path`. With `asItself`, a link at its last name is
  // not followed: null then, as for a missing folder or one that cannot be
  // opened (LastError). Without it, that link leads where it leads (a
  // folder the system named may be redirected by its owner).
  virtual std::unique_ptr<FolderHandle> OpenFolder(const std::string& path, bool asItself) = 0;

  virtual uint32_t GetAttributes(const std::string& path) = 0;  // kInvalidAttributes when missing
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RemoveFolder(const std::string& path) = 0;  // an empty folder, or a link to a folder
  virtual bool MakeFolder(const std::string& path) = 0;    // one level
  // Opens a file or folder, links followed, and says what it reached; false
  // when it cannot be opened.
  virtual bool Identify(const std::string& path, FileIdentity* identity) = 0;
  // GetLongPathName: the path with every short (8.3) name replaced by the
  // long one; false when the system cannot say (a missing path, one it
  // cannot read).
  virtual bool LongPathName(const std::string& path, std::string* longPath) = 0;
  // Whether two names (or paths) are the same for the file system: every
  // letter compared without regard to case, in all of Unicode, as Windows
  // compares file names (CompareStringOrdinal, ignoring case).
  virtual bool SameName(const std::string& a, const std::string& b) = 0;

  // Opens an existing file for reading; null with *error set when it cannot.
  virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, long* error) = 0;

  // Replaces a file's content atomically: readers see the old or the new
  // file, never a part. Its folder and every folder above it up to `start`
  // are opened as themselves, each through the one above: one that is a
  // link refuses the write (kErrorStoppedOnSymlink), since another account
  // may have made it lead anywhere. `start` is a folder the system named,
  // which its owner may have moved with a link: opened where it leads. The
  // path lies at or below it. A relative path is taken from the current
  // folder.
  virtual long ReplaceFileBelow(const std::string& start, const std::string& path, const std::string& bytes) = 0;
  // The same with every folder from the drive or share down opened as itself.
  long ReplaceWholeFile(const std::string& path, const std::string& bytes) { return ReplaceFileBelow({}, path, bytes); }

  // WritePrivateProfileString: sets key=value in [section] of an INI file.
  virtual bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& value) = 0;

  // The Win32 error code of the last call above that failed on the calling
  // thread, for the calls that answer with a bool or a null handle
  // (GetLastError): asked right after the failed call, before any other.
  virtual long LastError() = 0;

  // Reads a whole file of at most `maxBytes`. Returns a Win32 error code
  // (kErrorFileNotFound when missing, kErrorFileTooLarge when larger).
  long ReadWholeFile(const std::string& path, std::string* bytes, size_t maxBytes = SIZE_MAX) {
    long error = 0;
    std::unique_ptr<ReadableFile> file = OpenForRead(path, &error);
    return file ? file->ReadAll(maxBytes, bytes) : error;
  }
  bool Exists(const std::string& path) { return GetAttributes(path) != kInvalidAttributes; }
  bool IsFile(const std::string& path) {
    uint32_t a = GetAttributes(path);
    return a != kInvalidAttributes && !(a & kAttrDirectory);
  }
  bool IsDirectory(const std::string& path) {
    uint32_t a = GetAttributes(path);
    return a != kInvalidAttributes && (a & kAttrDirectory);
  }
};

}  // namespace platform
