// The recorded databases: a decorator per open database that notes its row
// changes.
#include "platform/recording/RecordingDatabases.h"

#include <vector>

namespace platform::recording {
namespace {

class RecordingDatabase : public Database {
 public:
  RecordingDatabase(std::unique_ptr<Database> inner, std::string path, Recorder& recorder)
      : inner_(std::move(inner)), path_(std::move(path)), recorder_(recorder) {}

  DbResult Check(const std::string& table, const std::string& column) override { return inner_->Check(table, column); }
  DbResult Count(const RowMatch& match, uint64_t* rows) override { return inner_->Count(match, rows); }
  DbResult Values(const RowMatch& match, const std::string& column, std::map<std::string, uint64_t>* counts) override {
    return inner_->Values(match, column, counts);
  }
  DbResult IntegrityCheck() override { return inner_->IntegrityCheck(); }

  DbResult Delete(const RowMatch& match, uint64_t* rows) override {
    DbResult result = recorder_.preview() ? inner_->Count(match, rows) : inner_->Delete(match, rows);
    Noted(ChangeKind::DeleteRows, match.table, result, *rows);
    return result;
  }
  DbResult Update(const RowMatch& match, const std::vector<ColumnValue>& values, uint64_t* rows) override {
    DbResult result = recorder_.preview() ? inner_->Count(match, rows) : inner_->Update(match, values, rows);
    Noted(ChangeKind::UpdateRows, match.table, result, *rows);
    return result;
  }

  // A preview holds no write lock and changes nothing to commit.
  DbResult Begin() override {
    DbResult result = recorder_.preview() ? DbResult::Ok : inner_->Begin();
    inTransaction_ = result == DbResult::Ok;
    return result;
  }
  DbResult Commit() override {
    DbResult result = recorder_.preview() ? DbResult::Ok : inner_->Commit();
    // A failed commit changed nothing: its notes say why.
    for (Change& change : pending_) {
      if (result != DbResult::Ok) change.error = DbResultError(result);
      recorder_.Note(std::move(change));
    }
    pending_.clear();
    inTransaction_ = false;
    return result;
  }
  void Rollback() override {
    if (!recorder_.preview()) inner_->Rollback();
    pending_.clear();
    inTransaction_ = false;
  }

 private:
  // A failed change is the caller's to report (the table another version
  // lacks, the lock): only rows taken, or refused at the end, are noted.
  void Noted(ChangeKind kind, const std::string& table, DbResult result, uint64_t rows) {
    if (result != DbResult::Ok || rows == 0) return;
    Change change;
    change.kind = kind;
    change.target = path_;
    change.name = table;
    change.items = rows;
    if (inTransaction_) {
      pending_.push_back(std::move(change));
    } else {
      recorder_.Note(std::move(change));
    }
  }

  std::unique_ptr<Database> inner_;
  std::string path_;
  Recorder& recorder_;
  bool inTransaction_ = false;
  std::vector<Change> pending_;
};

}  // namespace

long DbResultError(DbResult result) {
  switch (result) {
    case DbResult::Ok:
      return kErrorSuccess;
    case DbResult::Busy:
      return kErrorSharingViolation;
    case DbResult::CannotOpen:
      return kErrorAccessDenied;
    case DbResult::Malformed:
      return kErrorFileCorrupt;
    default:
      return kErrorDatabaseFailure;
  }
}

std::unique_ptr<Database> RecordingDatabases::Open(const std::string& path, DbAccess access, uint64_t listed,
                                                   DbResult* result) {
  // Read-only in a preview: not even a journal or log is folded in.
  std::unique_ptr<Database> inner =
      inner_.Open(path, recorder_.preview() ? DbAccess::ReadOnly : access, listed, result);
  return inner ? std::make_unique<RecordingDatabase>(std::move(inner), path, recorder_) : nullptr;
}

}  // namespace platform::recording
