// Files and folders, shaped like the Win32 file calls. Paths are UTF-8 with
// backslashes; the Win32 layer converts them and hands every absolute path to
// the system exactly as given (the \\?\ form).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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
};

// The entries "." and ".." that a listing gives for the folder and its parent.
inline bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

// A junction or symbolic link, by what a listing says of it. Other reparse
// points (cloud placeholders, deduplicated or compressed files) are ordinary
// entries. A reparse point whose tag is 0 counts as a link: no file system
// filter uses that tag, and Wine lists a Unix symbolic link so.
inline bool IsLink(const FindData& entry) {
  return (entry.attributes & kAttrReparsePoint) &&
         (entry.reparseTag == kReparseTagSymlink || entry.reparseTag == kReparseTagMountPoint ||
          entry.reparseTag == 0);
}

// What an open file or folder is (GetFinalPathNameByHandle,
// GetFileInformationByHandle).
struct FileIdentity {
  std::string finalPath;  // the path the system reached, every link on the way followed
  uint32_t linkCount = 0;  // the names the file has (hard links)
};

// An open listing (FindFirstFile handle); closed when destroyed.
class FileFind {
 public:
  virtual ~FileFind() = default;
  virtual bool Next(FindData* data) = 0;
  // Deletes the entry listed last, by its name as listed, in the folder of
  // the pattern: FileSystem::RemoveFile(folder + "\\" + name), without that
  // path being built and converted again for every file of a purge.
  virtual bool RemoveListedFile() = 0;
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

// A file opened for writing (CreateFile with OPEN_EXISTING); closed when destroyed.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual uint32_t SizeLow() = 0;  // GetFileSize's low 32 bits
  virtual bool Seek(uint64_t offset) = 0;
  virtual bool Write(const void* data, uint32_t size) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // FindFirstFile with a pattern such as "C:\dir\*.*"; null when nothing
  // matches or the folder cannot be listed. `*first` receives the first entry.
  // A path without wildcards finds that entry itself, a link not followed.
  virtual std::unique_ptr<FileFind> FindFirst(const std::string& pattern, FindData* first) = 0;

  virtual uint32_t GetAttributes(const std::string& path) = 0;  // kInvalidAttributes when missing
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RemoveFolder(const std::string& path) = 0;  // an empty folder, or a link to a folder
  virtual bool MakeFolder(const std::string& path) = 0;   // one level
  // Removes a junction or symbolic link itself. False when `path` is not a
  // link (kErrorNotAReparsePoint), or when the system would reach what it
  // leads to instead (kErrorStoppedOnSymlink): never touches the target.
  virtual bool RemoveLink(const std::string& path) = 0;
  // Opens a file or folder, links followed, and says what it reached; false
  // when it cannot be opened.
  virtual bool Identify(const std::string& path, FileIdentity* identity) = 0;
  // GetLongPathName: the path with every short (8.3) name replaced by the
  // long one; the path as given when the system cannot say.
  virtual std::string LongPathName(const std::string& path) = 0;

  // Opens an existing file for reading; null with *error set when it cannot.
  virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, long* error) = 0;
  // Opens an existing file for writing, sharing read and write with others.
  virtual std::unique_ptr<WritableFile> OpenExistingForWrite(const std::string& path) = 0;

  // Replaces a file's content atomically: readers see the old or the new file, never a part.
  virtual long ReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;

  // WritePrivateProfileString: sets key=value in [section] of an INI file.
  virtual bool WriteIniString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& value) = 0;

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
