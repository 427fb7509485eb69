// A browser's database, shaped like what a cleaning needs of it: opened
// read-write without being created, a short wait for another program's lock,
// whether a table and column exist, the rows that match counted and deleted
// (deleted content overwritten), changes in one transaction, an integrity
// check. What went wrong comes back as a value the report can name.
//
// A database's schema is the browser's file, which anyone who could write
// it may have filled: its triggers and views never run, and no statement
// may work without end.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class DbResult {
  Ok,
  CannotOpen,  // missing, a folder, not readable or not writable
  Busy,        // another program holds it locked or open (the wait ran out)
  NoSuchTable,
  NoSuchColumn,
  Malformed,    // damaged, or no database at all: left exactly as it is
  TooMuchWork,  // a statement went on far beyond any browser's database: stopped, nothing changed
  NotListed,    // not the file its folder listed (replaced meanwhile), or one with a second name
  Failed,       // anything else: disk full, an input/output error
};

// The words the report uses for a result.
inline const char* DbResultText(DbResult result) {
  switch (result) {
    case DbResult::Ok:
      return "done";
    case DbResult::CannotOpen:
      return "cannot be opened";
    case DbResult::Busy:
      return "in use by another program";
    case DbResult::NoSuchTable:
      return "lacks a table this item needs (another browser version)";
    case DbResult::NoSuchColumn:
      return "lacks a column this item needs (another browser version)";
    case DbResult::Malformed:
      return "damaged (left as it is)";
    case DbResult::TooMuchWork:
      return "stopped: it asked for far more work than a browser's database takes (left as it was)";
    case DbResult::NotListed:
      return "replaced while it was being opened, or a second name of another file (left alone)";
    case DbResult::Failed:
      break;
  }
  return "could not be changed";
}

enum class DbAccess {
  ReadWrite,
  ReadOnly,  // what a preview opens: it changes nothing, not even the journal
};

// A column of a table.
struct DbColumn {
  std::string table;
  std::string column;
};

// Which rows of `table` a count, deletion or update takes.
struct RowMatch {
  enum class Test {
    Every,
    ValueAmong,     // rows whose `column`, as text, equals one of `values`
    ValueNotAmong,  // rows whose `column` is none of `values` (NULL included)
    Unreferenced,   // rows whose `column` is NULL or appears in no column of `referencedBy`
  };
  RowMatch(std::string table, Test test = Test::Every, std::string column = {}, std::vector<std::string> values = {},
           std::vector<DbColumn> referencedBy = {})
      : table(std::move(table)),
        test(test),
        column(std::move(column)),
        values(std::move(values)),
        referencedBy(std::move(referencedBy)) {}
  std::string table;
  Test test = Test::Every;
  std::string column;
  std::vector<std::string> values;
  std::vector<DbColumn> referencedBy;
};

// A column set by an update: to NULL, or to an integer.
struct ColumnValue {
  std::string column;
  std::optional<int64_t> value;
};

class Database {
 public:
  virtual ~Database() = default;
  // Ok when `table` exists and, unless `column` is empty, has that column.
  virtual DbResult Check(const std::string& table, const std::string& column) = 0;
  virtual DbResult Count(const RowMatch& match, uint64_t* rows) = 0;
  // Deleted rows' content is overwritten in the file, not left in free pages.
  virtual DbResult Delete(const RowMatch& match, uint64_t* rows) = 0;
  virtual DbResult Update(const RowMatch& match, const std::vector<ColumnValue>& values, uint64_t* rows) = 0;
  // Every distinct value of `column` as text (NULL left out) in the rows of
  // the match, with how many of them hold it.
  virtual DbResult Values(const RowMatch& match, const std::string& column,
                          std::map<std::string, uint64_t>* counts) = 0;
  // Begins the one transaction of a cleaning, taking the write lock at once
  // so that a database in use is found before anything is changed.
  virtual DbResult Begin() = 0;
  // Commits, then lets SQLite fold its write-ahead log into the file.
  virtual DbResult Commit() = 0;
  virtual void Rollback() = 0;
  // PRAGMA integrity_check: Ok, or Malformed with what it found.
  virtual DbResult IntegrityCheck() = 0;
};

class Databases {
 public:
  virtual ~Databases() = default;
  // Opens an existing database, never creating one, and reads its schema:
  // null with *result set when that fails (Busy when another program holds
  // it, Malformed when it is damaged or no database). SQLite opens by path,
  // so what it opened is checked afterwards: with `listed`, the file number
  // a listing of its folder (opened as itself) gave, a file that is not
  // that one, or that has a second name (a hard link), is refused with
  // NotListed before anything is read. 0 checks nothing.
  virtual std::unique_ptr<Database> Open(const std::string& path, DbAccess access, uint64_t listed,
                                         DbResult* result) = 0;
};

}  // namespace platform
