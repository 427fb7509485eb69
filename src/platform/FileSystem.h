// Files and folders, shaped like the Win32 file calls. Paths are UTF-8 with
// backslashes; the Win32 layer converts them and handles long paths.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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

struct FindData {
  std::string name;  // the entry's name, no folder
  uint32_t attributes = 0;
  uint64_t size = 0;
};

// An open listing (FindFirstFile handle); closed when destroyed.
class FileFind {
 public:
  virtual ~FileFind() = default;
  virtual bool Next(FindData* data) = 0;
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
  virtual std::unique_ptr<FileFind> FindFirst(const std::string& pattern, FindData* first) = 0;

  virtual uint32_t GetAttributes(const std::string& path) = 0;  // kInvalidAttributes when missing
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RemoveFolder(const std::string& path) = 0;  // an empty folder, or a link to a folder
  virtual bool MakeFolder(const std::string& path) = 0;   // one level
  // Removes a junction or symbolic link itself. False when `path` is not a
  // link, or when the system would reach what it leads to instead: never
  // touches the target.
  virtual bool RemoveLink(const std::string& path) = 0;

  // Opens an existing file for writing, sharing read and write with others.
  virtual std::unique_ptr<WritableFile> OpenExistingForWrite(const std::string& path) = 0;

  // Reads a whole file. Returns a Win32 error code (kErrorFileNotFound when missing).
  virtual long ReadWholeFile(const std::string& path, std::string* bytes) = 0;
  // Replaces a file's content atomically: readers see the old or the new file, never a part.
  virtual long ReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;

  // WritePrivateProfileString: sets key=value in [section] of an INI file.
  virtual bool WriteIniString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& value) = 0;

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
