// Browsers' databases on SQLite, for real files: the same code on Windows and
// on Linux, so the contract suite pins it on both.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Database.h"

namespace platform::sqlite {

class SqliteDatabases : public Databases {
 public:
  // `realPath` turns a path the program names into the file's path on this
  // machine: none on Windows; on Linux the host tests place the simulated
  // machine's databases in real files.
  explicit SqliteDatabases(std::function<std::string(const std::string&)> realPath = {})
      : realPath_(std::move(realPath)) {}

  std::unique_ptr<Database> Open(const std::string& path, DbAccess access, DbResult* result) override;

  // How long a statement waits for another program's lock before Busy.
  static constexpr int kBusyTimeoutMs = 500;

 private:
  std::function<std::string(const std::string&)> realPath_;
};

}  // namespace platform::sqlite
