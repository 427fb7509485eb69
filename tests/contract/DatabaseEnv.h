// What the database contract runs against: the simulation's databases, and
// SQLite on real files (on Linux beside the simulation, on Windows under
// Wine). Each env makes its fixtures its own way; the tests see only the
// platform interface.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Database.h"
#include "platform/sqlite/SqliteDatabases.h"

namespace contract {

class DatabaseEnv {
 public:
  using Row = std::vector<std::optional<std::string>>;
  virtual ~DatabaseEnv() = default;
  virtual platform::Databases& databases() = 0;
  // A path for a new file, in a folder of its own.
  virtual std::string NewPath(const std::string& name) = 0;
  // A database at `path` (made when missing) with one more table of columns
  // without a declared type, holding `rows`.
  virtual void MakeTable(const std::string& path, const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<Row>& rows) = 0;
  virtual void MakeFile(const std::string& path, const std::string& bytes) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Another program holding the database's write lock, until the token goes.
  virtual std::shared_ptr<void> Lock(const std::string& path) = 0;
  // Damages the first table's rows; the schema still reads.
  virtual void Damage(const std::string& path) = 0;
  // Whether the database's file, journal or write-ahead log holds `text`
  // anywhere; nothing for the simulation, whose files hold no real pages.
  virtual std::optional<bool> FilesContain(const std::string& path, const std::string& text) = 0;
  // Runs `sql` on the database as another program would; false where there
  // is no SQL (the simulation).
  virtual bool Exec(const std::string& path, const std::string& sql) = 0;
  // Databases that allow each call `steps` of work; null where work is not
  // counted (the simulation).
  virtual std::unique_ptr<platform::Databases> Bounded(uint64_t steps) = 0;
  // The number a listing of the file's folder gives it.
  virtual uint64_t ListedId(const std::string& path) = 0;
  // A second name for the file, as a hard link.
  virtual void HardLink(const std::string& path, const std::string& second) = 0;
  // Moves the file `from` over `to`, as another program may between a
  // listing and an open.
  virtual void MoveOver(const std::string& from, const std::string& to) = 0;
};

// The envs of this build, by name, and one made afresh for a test.
std::vector<std::string> DatabaseEnvNames();
std::unique_ptr<DatabaseEnv> MakeDatabaseEnv(const std::string& name);

// SQLite on real files, in folders that `newFolder` gives, with `separator`
// between a folder and a name: its opened files told by `identify`, the
// numbers of listed ones by `listedId`.
std::unique_ptr<DatabaseEnv> MakeSqliteDatabaseEnv(std::string (*newFolder)(), char separator,
                                                   platform::sqlite::IdentifyOpened identify,
                                                   uint64_t (*listedId)(const std::string& path));

}  // namespace contract
