// Files and folders through the ...W calls, every absolute path in the \\?\ form.
#pragma once

#include "platform/FileSystem.h"
#include "platform/sqlite/SqliteDatabases.h"

namespace platform::win32 {

// What a database SQLite opened is, by the handle SQLite holds: its number
// on its volume (the one a folder's listing gives) and its names.
bool IdentifyOpenedDatabase(void* handle, const std::string& path, sqlite::OpenedFile* file);

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<FileFind> FindFirst(const std::string& pattern, FindData* first) override;
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path, bool asItself) override;
  uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool MakeFolder(const std::string& path) override;
  bool Identify(const std::string& path, FileIdentity* identity) override;
  bool LongPathName(const std::string& path, std::string* longPath) override;
  bool SameName(const std::string& a, const std::string& b) override;
  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, long* error) override;
  long ReplaceFileBelow(const std::string& start, const std::string& path, const std::string& bytes) override;
  bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value) override;
  long LastError() override;
};

}  // namespace platform::win32
