// The database contract's env on SQLite and real files: fixtures made and
// locked with SQLite's own calls, as a browser would.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "DatabaseEnv.h"
#include "platform/sqlite/SqliteDatabases.h"

namespace contract {
namespace {

void RunSql(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "?";
    sqlite3_free(message);
    throw std::runtime_error(sql + ": " + text);
  }
}

std::string Literal(const std::optional<std::string>& value) {
  if (!value) return "NULL";
  std::string quoted = "'";
  for (char c : *value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SqliteDatabaseEnv : public DatabaseEnv {
 public:
  SqliteDatabaseEnv(std::string (*newFolder)(), char separator, platform::sqlite::IdentifyOpened identify,
                    uint64_t (*listedId)(const std::string&))
      : newFolder_(newFolder), separator_(separator), identify_(identify), listedId_(listedId), databases_(identify) {}

  platform::Databases& databases() override { return databases_; }
  std::string NewPath(const std::string& name) override { return newFolder_() + separator_ + name; }

  void MakeTable(const std::string& path, const std::string& table, const std::vector<std::string>& columns,
                 const std::vector<Row>& rows) override {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string sql = "BEGIN; CREATE TABLE \"" + table + "\" (";
    for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + columns[i];
    sql += ");";
    for (const Row& row : rows) {
      sql += "INSERT INTO \"" + table + "\" VALUES (";
      for (size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + Literal(i < row.size() ? row[i] : std::nullopt);
      sql += ");";
    }
    try {
      RunSql(db, sql + "COMMIT;");
    } catch (...) {
      sqlite3_close(db);
      throw;
    }
    sqlite3_close(db);
  }

  void MakeFile(const std::string& path, const std::string& bytes) override {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  bool Exists(const std::string& path) override { return std::ifstream(path, std::ios::binary).is_open(); }

  std::shared_ptr<void> Lock(const std::string& path) override {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    // As Chromium keeps its databases: exclusive locking, held after a write.
    RunSql(db, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;");
    return std::shared_ptr<void>(db, [](void* handle) {
      sqlite3_exec(static_cast<sqlite3*>(handle), "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(static_cast<sqlite3*>(handle));
    });
  }

  void Damage(const std::string& path) override {
    // Page 1 holds the schema; page 2 is the first table's, here its rows.
    std::string bytes = ReadBytes(path);
    const size_t page = 4096;
    if (bytes.size() < 2 * page) throw std::runtime_error("too small to damage: " + path);
    for (size_t i = page; i < page + 64; ++i) bytes[i] = '\xFF';
    MakeFile(path, bytes);
  }

  std::optional<bool> FilesContain(const std::string& path, const std::string& text) override {
    for (const char* suffix : {"", "-journal", "-wal"}) {
      if (ReadBytes(path + suffix).find(text) != std::string::npos) return true;
    }
    return false;
  }

  bool Exec(const std::string& path, const std::string& sql) override {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    try {
      RunSql(db, sql);
    } catch (...) {
      sqlite3_close(db);
      throw;
    }
    sqlite3_close(db);
    return true;
  }

  std::unique_ptr<platform::Databases> Bounded(uint64_t steps) override {
    return std::make_unique<platform::sqlite::SqliteDatabases>(identify_, nullptr, steps);
  }

  uint64_t ListedId(const std::string& path) override { return listedId_(path); }

  void HardLink(const std::string& path, const std::string& second) override {
    std::filesystem::create_hard_link(std::filesystem::u8path(path), std::filesystem::u8path(second));
  }

  void MoveOver(const std::string& from, const std::string& to) override {
    std::filesystem::rename(std::filesystem::u8path(from), std::filesystem::u8path(to));
  }

 private:
  std::string (*newFolder_)();
  char separator_;
  platform::sqlite::IdentifyOpened identify_;
  uint64_t (*listedId_)(const std::string&);
  platform::sqlite::SqliteDatabases databases_;
};

}  // namespace

std::unique_ptr<DatabaseEnv> MakeSqliteDatabaseEnv(std::string (*newFolder)(), char separator,
                                                   platform::sqlite::IdentifyOpened identify,
                                                   uint64_t (*listedId)(const std::string& path)) {
  return std::make_unique<SqliteDatabaseEnv>(newFolder, separator, std::move(identify), listedId);
}

}  // namespace contract
