// Browsers' databases on SQLite: statements built from a row match, with the
// table and every column checked first so that another browser version's
// schema is named as such rather than as a failure.
#include "platform/sqlite/SqliteDatabases.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <new>
#include <string>
#include <unordered_set>

namespace platform::sqlite {
namespace {

// Windows' sharing and lock violations: the file is open in another program.
constexpr int kSharingViolation = 32;
constexpr int kLockViolation = 33;

// How often SQLite reports its progress, in its virtual machine's steps.
constexpr int kStepsPerReport = 10000;

// An identifier between double quotes, any quote in it doubled.
std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) { rc_ = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  int prepared() const { return rc_; }
  sqlite3_stmt* get() { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_ = SQLITE_OK;
};

class SqliteDatabase : public Database {
 public:
  SqliteDatabase(sqlite3* db, uint64_t maxSteps) : db_(db), maxSteps_(maxSteps) {
    // The value test of a row match: whether a column's text is among the
    // values of the current statement. Direct only, so no schema object of
    // the browser's can call it.
    sqlite3_create_function_v2(db_, "corvane_among", 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, this, &Among, nullptr, nullptr,
                               nullptr);
    // Every call below gets its share of work; beyond it SQLite stops the
    // statement (SQLITE_INTERRUPT) and undoes what it had changed.
    sqlite3_progress_handler(db_, kStepsPerReport, &Progress, this);
  }
  ~SqliteDatabase() override {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
  }

  DbResult Check(const std::string& table, const std::string& column) override {
    Fresh();
    Statement tables(db_, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
    if (tables.prepared() != SQLITE_OK) return Result(tables.prepared());
    sqlite3_bind_text(tables.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(tables.get());
    if (rc == SQLITE_DONE) return DbResult::NoSuchTable;
    if (rc != SQLITE_ROW) return Result(rc);
    if (column.empty()) return DbResult::Ok;
    Statement columns(db_, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE");
    if (columns.prepared() != SQLITE_OK) return Result(columns.prepared());
    sqlite3_bind_text(columns.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(columns.get(), 2, column.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(columns.get());
    if (rc == SQLITE_DONE) return DbResult::NoSuchColumn;
    return rc == SQLITE_ROW ? DbResult::Ok : Result(rc);
  }

  DbResult Count(const RowMatch& match, uint64_t* rows) override {
    Fresh();
    *rows = 0;
    std::string where;
    DbResult checked = Where(match, &where);
    if (checked != DbResult::Ok) return checked;
    Statement count(db_, "SELECT count(*) FROM " + Quoted(match.table) + where);
    if (count.prepared() != SQLITE_OK) return Result(count.prepared());
    int rc = sqlite3_step(count.get());
    if (rc != SQLITE_ROW) return Result(rc);
    *rows = static_cast<uint64_t>(sqlite3_column_int64(count.get(), 0));
    return DbResult::Ok;
  }

  DbResult Delete(const RowMatch& match, uint64_t* rows) override {
    Fresh();
    return Change("DELETE FROM " + Quoted(match.table), match, {}, rows);
  }

  DbResult Update(const RowMatch& match, const std::vector<ColumnValue>& values, uint64_t* rows) override {
    Fresh();
    std::string sql = "UPDATE " + Quoted(match.table) + " SET ";
    for (size_t i = 0; i < values.size(); ++i) {
      DbResult checked = Check(match.table, values[i].column);
      if (checked != DbResult::Ok) return checked;
      sql += (i ? ", " : "") + Quoted(values[i].column) + " = ?" + std::to_string(i + 1);
    }
    return Change(sql, match, values, rows);
  }

  DbResult Values(const RowMatch& match, const std::string& column, std::map<std::string, uint64_t>* counts) override {
    Fresh();
    counts->clear();
    std::string where;
    DbResult checked = Check(match.table, column);
    if (checked == DbResult::Ok) checked = Where(match, &where);
    if (checked != DbResult::Ok) return checked;
    where += (where.empty() ? " WHERE " : " AND ") + Quoted(column) + " IS NOT NULL";
    Statement values(db_,
                     "SELECT " + Quoted(column) + ", count(*) FROM " + Quoted(match.table) + where + " GROUP BY 1");
    if (values.prepared() != SQLITE_OK) return Result(values.prepared());
    int rc;
    while ((rc = sqlite3_step(values.get())) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(values.get(), 0);
      int bytes = sqlite3_column_bytes(values.get(), 0);
      (*counts)[std::string(reinterpret_cast<const char*>(text), bytes)] +=
          static_cast<uint64_t>(sqlite3_column_int64(values.get(), 1));
    }
    return rc == SQLITE_DONE ? DbResult::Ok : Result(rc);
  }

  DbResult Begin() override {
    Fresh();
    return Exec("BEGIN IMMEDIATE");
  }

  DbResult Commit() override {
    Fresh();
    DbResult result = Exec("COMMIT");
    // The deleted rows may still stand in the write-ahead log: let SQLite
    // fold it into the file now. With a reader still on the log this folds
    // what it can; the rest goes at the browser's next checkpoint.
    if (result == DbResult::Ok) sqlite3_exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    return result;
  }

  void Rollback() override {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }

  DbResult IntegrityCheck() override {
    Fresh();
    Statement check(db_, "PRAGMA integrity_check");
    if (check.prepared() != SQLITE_OK) return Result(check.prepared());
    int rc = sqlite3_step(check.get());
    if (rc != SQLITE_ROW) return Result(rc);
    const unsigned char* text = sqlite3_column_text(check.get(), 0);
    return text && std::string(reinterpret_cast<const char*>(text)) == "ok" ? DbResult::Ok : DbResult::Malformed;
  }

  // What an SQLite result code means to a cleaning.
  DbResult Result(int rc) {
    switch (rc & 0xFF) {
      case SQLITE_OK:
      case SQLITE_ROW:
      case SQLITE_DONE:
        return DbResult::Ok;
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        return DbResult::Busy;
      case SQLITE_CORRUPT:
      case SQLITE_NOTADB:
        return DbResult::Malformed;
      case SQLITE_INTERRUPT:
        return DbResult::TooMuchWork;
      case SQLITE_CANTOPEN:
      case SQLITE_IOERR: {
        int system = sqlite3_system_errno(db_);
        if (system == kSharingViolation || system == kLockViolation) return DbResult::Busy;
        return (rc & 0xFF) == SQLITE_CANTOPEN ? DbResult::CannotOpen : DbResult::Failed;
      }
      case SQLITE_PERM:
      case SQLITE_READONLY:
      case SQLITE_AUTH:
        return DbResult::CannotOpen;
      default:
        return DbResult::Failed;
    }
  }

  // A new call's share of work begins.
  void Fresh() { steps_ = 0; }

 private:
  static int Progress(void* self) {
    auto* database = static_cast<SqliteDatabase*>(self);
    database->steps_ += kStepsPerReport;
    return database->steps_ > database->maxSteps_ ? 1 : 0;
  }

  static void Among(sqlite3_context* context, int, sqlite3_value** args) {
    auto* self = static_cast<SqliteDatabase*>(sqlite3_user_data(context));
    const unsigned char* text = sqlite3_value_text(args[0]);
    if (!text) {
      sqlite3_result_int(context, 0);
      return;
    }
    // Nothing may be thrown through SQLite's frames.
    try {
      std::string value(reinterpret_cast<const char*>(text), sqlite3_value_bytes(args[0]));
      sqlite3_result_int(context, self->among_.count(value) ? 1 : 0);
    } catch (const std::bad_alloc&) {
      sqlite3_result_error_nomem(context);
    }
  }

  // The WHERE clause of a match, after checking every table and column it names.
  DbResult Where(const RowMatch& match, std::string* where) {
    DbResult checked = Check(match.table, match.test == RowMatch::Test::Every ? std::string() : match.column);
    if (checked != DbResult::Ok) return checked;
    const std::string column = Quoted(match.column);
    switch (match.test) {
      case RowMatch::Test::Every:
        where->clear();
        break;
      case RowMatch::Test::ValueAmong:
      case RowMatch::Test::ValueNotAmong:
        among_ = std::unordered_set<std::string>(match.values.begin(), match.values.end());
        *where = std::string(" WHERE ") + (match.test == RowMatch::Test::ValueNotAmong ? "NOT " : "") +
                 "corvane_among(" + column + ")";
        break;
      case RowMatch::Test::Unreferenced:
        where->clear();
        for (const DbColumn& ref : match.referencedBy) {
          checked = Check(ref.table, ref.column);
          if (checked != DbResult::Ok) return checked;
          *where += (where->empty() ? " WHERE " : " AND ") + column + " NOT IN (SELECT " + Quoted(ref.column) +
                    " FROM " + Quoted(ref.table) + " WHERE " + Quoted(ref.column) + " IS NOT NULL)";
        }
        // NOT IN gives NULL for a NULL column: such a row is referenced by nothing.
        if (!where->empty()) *where = " WHERE " + column + " IS NULL OR (" + where->substr(7) + ")";
        break;
    }
    return DbResult::Ok;
  }

  DbResult Change(const std::string& head, const RowMatch& match, const std::vector<ColumnValue>& values,
                  uint64_t* rows) {
    *rows = 0;
    std::string where;
    DbResult checked = Where(match, &where);
    if (checked != DbResult::Ok) return checked;
    Statement change(db_, head + where);
    if (change.prepared() != SQLITE_OK) return Result(change.prepared());
    for (size_t i = 0; i < values.size(); ++i) {
      int index = static_cast<int>(i + 1);
      if (values[i].value) {
        sqlite3_bind_int64(change.get(), index, *values[i].value);
      } else {
        sqlite3_bind_null(change.get(), index);
      }
    }
    int rc = sqlite3_step(change.get());
    if (rc != SQLITE_DONE) return Result(rc);
    *rows = static_cast<uint64_t>(sqlite3_changes64(db_));
    return DbResult::Ok;
  }

  DbResult Exec(const char* sql) { return Result(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr)); }

  sqlite3* db_;
  uint64_t maxSteps_;
  uint64_t steps_ = 0;
  std::unordered_set<std::string> among_;
};

// Switches one of the connection's options off and reads it back.
bool SwitchedOff(sqlite3* db, int option) {
  int on = 1;
  return sqlite3_db_config(db, option, 0, &on) == SQLITE_OK && on == 0;
}

// Whether SQLite holds the file `listed` names, by one name only.
bool IsListedFile(sqlite3* db, const std::string& file, const IdentifyOpened& identify, uint64_t listed) {
  // POSIX's VFS knows whether its path still names the file it holds;
  // Windows' hands out its handle instead.
  int moved = 0;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved) return false;
  void* handle = nullptr;
  sqlite3_file_control(db, "main", SQLITE_FCNTL_WIN32_GET_HANDLE, &handle);
  OpenedFile opened;
  return identify(handle, file, &opened) && opened.fileId == listed && opened.links == 1;
}

}  // namespace

bool IdentifyByPath(void*, const std::string& path, OpenedFile* file) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  *file = {static_cast<uint64_t>(status.st_ino), static_cast<uint32_t>(status.st_nlink)};
  return true;
}

std::unique_ptr<Database> SqliteDatabases::Open(const std::string& path, DbAccess access, uint64_t listed,
                                                DbResult* result) {
  const std::string file = realPath_ ? realPath_(path) : path;
  // Never SQLITE_OPEN_CREATE: a missing database stays missing. Read-only
  // access opens it writable too, see below.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_EXRESCODE;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
  if (!db) {
    *result = DbResult::Failed;
    return nullptr;
  }
  auto database = std::make_unique<SqliteDatabase>(db, maxSteps_);
  if (rc != SQLITE_OK) {
    *result = database->Result(rc);
    if (*result == DbResult::Ok || *result == DbResult::Failed) *result = DbResult::CannotOpen;
    return nullptr;
  }
  // SQLite opened it by its path: the file it holds must be the one its
  // folder listed, before anything of it is read.
  if (listed != 0 && !IsListedFile(db, file, identify_, listed)) {
    *result = DbResult::NotListed;
    return nullptr;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // A browser's schema is input from elsewhere: no writes to it, no
  // functions with side effects called from it, and none of its triggers
  // or views run, even plain SQL ones: a trigger could copy or put back
  // every row a cleaning deletes, or hold it without end.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  if (!SwitchedOff(db, SQLITE_DBCONFIG_ENABLE_TRIGGER) || !SwitchedOff(db, SQLITE_DBCONFIG_ENABLE_VIEW)) {
    *result = DbResult::Failed;
    return nullptr;
  }
  sqlite3_exec(db, "PRAGMA secure_delete = ON", nullptr, nullptr, nullptr);
  if (access == DbAccess::ReadOnly) {
    // Opened read-only, a database in WAL mode gets a shared-memory file
    // beside it that stays. Holding its lock until closed, a connection keeps
    // that index in memory instead; refusing every write, and folding no log
    // in when it closes, it leaves the files as it found them. A log it made
    // itself (empty) goes when it closes.
    // (SQLite's test of existence counts an empty file as none; the test of
    // access does not.)
    const std::string log = file + "-wal";
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    int exists = 1, writable = 1;
    vfs->xAccess(vfs, log.c_str(), SQLITE_ACCESS_EXISTS, &exists);
    vfs->xAccess(vfs, log.c_str(), SQLITE_ACCESS_READWRITE, &writable);
    if (exists || writable) sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_exec(db, "PRAGMA locking_mode = EXCLUSIVE; PRAGMA query_only = ON", nullptr, nullptr, nullptr);
  }
  // Opening reads nothing yet; reading the schema finds a damaged file, a
  // file that is no database, and a lock held by another program.
  rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    *result = database->Result(rc);
    return nullptr;
  }
  // SQLite opens a file it may not write read-only without a word.
  if (access == DbAccess::ReadWrite && sqlite3_db_readonly(db, "main") == 1) {
    *result = DbResult::CannotOpen;
    return nullptr;
  }
  *result = DbResult::Ok;
  return database;
}

}  // namespace platform::sqlite
