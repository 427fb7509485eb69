// Browsers' databases in memory, kept beside the simulated file system's
// files: a database is a file of the simulation with tables of text rows.
// What SQLite does with a real file is modelled: a missing file is not
// created, an empty file is an empty database, a file of other bytes is no
// database, a file another program holds without sharing writes is busy, a
// file that is not the one listed is refused; and
// faults to inject: a database another program keeps locked, one that is
// damaged inside.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Database.h"
#include "platform/sim/SimFileSystem.h"
#include "util/Text.h"

namespace platform::sim {

class SimDatabases : public Databases {
 public:
  using Row = std::vector<std::optional<std::string>>;
  struct Table {
    std::vector<std::string> columns;
    std::vector<Row> rows;
  };
  using Tables = std::map<std::string, Table, util::LessNoCase>;
  struct Db {
    Tables tables;
    bool locked = false;   // another program holds its lock
    bool damaged = false;  // its schema reads, its tables do not
  };

  explicit SimDatabases(SimFileSystem& files) : files_(files) {}

  std::unique_ptr<Database> Open(const std::string& path, DbAccess access, uint64_t listed, DbResult* result) override;

  // For tests. Makes the file too when it is missing.
  void AddTable(const std::string& path, const std::string& table, std::vector<std::string> columns,
                std::vector<Row> rows = {});
  // The database at `path`; null when none was made there.
  std::shared_ptr<Db> Lookup(const std::string& path);

 private:
  SimFileSystem& files_;
  std::mutex mutex_;
  // By the file's number: found by its path as the file system finds it,
  // and gone with the file.
  std::map<uint64_t, std::shared_ptr<Db>> databases_;
};

}  // namespace platform::sim
