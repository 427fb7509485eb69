// Browsers' databases on SQLite, for real files: the same code on Windows and
// on Linux, so the contract suite pins it on both.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Database.h"

namespace platform::sqlite {

// What the file SQLite opened for a database is: its number on its volume
// and how many names it has.
struct OpenedFile {
  uint64_t fileId = 0;
  uint32_t links = 0;
};

// Says what SQLite opened, from the system's handle of it where SQLite gives
// one (Windows), else from `path` once SQLite has found that the path still
// names the file it holds. False when the system cannot say.
using IdentifyOpened = std::function<bool(void* handle, const std::string& path, OpenedFile* file)>;

// By the path alone, with stat(): what POSIX offers, for the tests on Linux.
bool IdentifyByPath(void* handle, const std::string& path, OpenedFile* file);

class SqliteDatabases : public Databases {
 public:
  // How much work one call may ask of SQLite, in its virtual machine's
  // steps: a cleaning's statements take some 30 steps a row they look at,
  // so this is room for several million rows, beyond any browser's
  // database, and some seconds' work. Far more is no browser's database but
  // one made to hold the run.
  static constexpr uint64_t kMaxSteps = 200'000'000;

  // `realPath` turns a path the program names into the file's path on this
  // machine: none on Windows; on Linux the host tests place the simulated
  // machine's databases in real files. `maxSteps` is for tests.
  explicit SqliteDatabases(IdentifyOpened identify = IdentifyByPath,
                           std::function<std::string(const std::string&)> realPath = {}, uint64_t maxSteps = kMaxSteps)
      : identify_(std::move(identify)), realPath_(std::move(realPath)), maxSteps_(maxSteps) {}

  std::unique_ptr<Database> Open(const std::string& path, DbAccess access, uint64_t listed, DbResult* result) override;

  // How long a statement waits for another program's lock before Busy.
  static constexpr int kBusyTimeoutMs = 500;

 private:
  IdentifyOpened identify_;
  std::function<std::string(const std::string&)> realPath_;
  uint64_t maxSteps_;
};

}  // namespace platform::sqlite
