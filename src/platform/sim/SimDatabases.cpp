// The simulated databases: row matches evaluated over text rows, a
// transaction as a copy of the tables taken at its beginning.
#include "platform/sim/SimDatabases.h"

#include <algorithm>
#include <set>

namespace platform::sim {
namespace {

// What SQLite keeps as a file's first bytes.
const char kHeader[] = "SQLite format 3";

class SimDatabase : public Database {
 public:
  SimDatabase(std::shared_ptr<SimDatabases::Db> db, DbAccess access) : db_(std::move(db)), access_(access) {}
  ~SimDatabase() override { Rollback(); }

  DbResult Check(const std::string& table, const std::string& column) override {
    if (db_->locked) return DbResult::Busy;
    auto it = db_->tables.find(table);
    if (it == db_->tables.end()) return DbResult::NoSuchTable;
    if (!column.empty() && ColumnIndex(it->second, column) < 0) return DbResult::NoSuchColumn;
    return DbResult::Ok;
  }

  DbResult Count(const RowMatch& match, uint64_t* rows) override {
    std::vector<bool> matched;
    DbResult result = Matches(match, &matched);
    *rows = static_cast<uint64_t>(std::count(matched.begin(), matched.end(), true));
    return result;
  }

  DbResult Delete(const RowMatch& match, uint64_t* rows) override {
    *rows = 0;
    std::vector<bool> matched;
    DbResult result = Writable();
    if (result == DbResult::Ok) result = Matches(match, &matched);
    if (result != DbResult::Ok) return result;
    std::vector<SimDatabases::Row>& all = db_->tables[match.table].rows;
    std::vector<SimDatabases::Row> kept;
    for (size_t i = 0; i < all.size(); ++i) {
      if (!matched[i]) kept.push_back(std::move(all[i]));
    }
    *rows = all.size() - kept.size();
    all = std::move(kept);
    return DbResult::Ok;
  }

  DbResult Update(const RowMatch& match, const std::vector<ColumnValue>& values, uint64_t* rows) override {
    *rows = 0;
    std::vector<bool> matched;
    DbResult result = Writable();
    if (result == DbResult::Ok) result = Matches(match, &matched);
    for (size_t i = 0; result == DbResult::Ok && i < values.size(); ++i) result = Check(match.table, values[i].column);
    if (result != DbResult::Ok) return result;
    SimDatabases::Table& table = db_->tables[match.table];
    for (size_t r = 0; r < table.rows.size(); ++r) {
      if (!matched[r]) continue;
      ++*rows;
      for (const ColumnValue& value : values) {
        table.rows[r][ColumnIndex(table, value.column)] =
            value.value ? std::optional<std::string>(std::to_string(*value.value)) : std::nullopt;
      }
    }
    return DbResult::Ok;
  }

  DbResult Values(const RowMatch& match, const std::string& column, std::map<std::string, uint64_t>* counts) override {
    counts->clear();
    std::vector<bool> matched;
    DbResult result = Check(match.table, column);
    if (result == DbResult::Ok) result = Matches(match, &matched);
    if (result != DbResult::Ok) return result;
    const SimDatabases::Table& table = db_->tables[match.table];
    int index = ColumnIndex(table, column);
    for (size_t r = 0; r < table.rows.size(); ++r) {
      if (matched[r] && table.rows[r][index]) ++(*counts)[*table.rows[r][index]];
    }
    return DbResult::Ok;
  }

  DbResult Begin() override {
    DbResult result = Writable();
    if (result != DbResult::Ok) return result;
    if (snapshot_) return DbResult::Failed;  // no transaction within a transaction
    snapshot_ = std::make_unique<SimDatabases::Tables>(db_->tables);
    return DbResult::Ok;
  }

  DbResult Commit() override {
    if (!snapshot_) return DbResult::Failed;
    if (db_->locked) return DbResult::Busy;
    snapshot_.reset();
    return DbResult::Ok;
  }

  void Rollback() override {
    if (!snapshot_) return;
    db_->tables = std::move(*snapshot_);
    snapshot_.reset();
  }

  DbResult IntegrityCheck() override {
    if (db_->locked) return DbResult::Busy;
    return db_->damaged ? DbResult::Malformed : DbResult::Ok;
  }

 private:
  static int ColumnIndex(const SimDatabases::Table& table, const std::string& column) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (util::EqualNoCase(table.columns[i], column)) return static_cast<int>(i);
    }
    return -1;
  }

  DbResult Writable() {
    if (db_->locked) return DbResult::Busy;
    return access_ == DbAccess::ReadOnly ? DbResult::CannotOpen : DbResult::Ok;
  }

  // Which rows of the match's table it takes, after checking every table and
  // column it names. The schema of a damaged database reads; its rows do not.
  DbResult Matches(const RowMatch& match, std::vector<bool>* matched) {
    matched->clear();
    bool every = match.test == RowMatch::Test::Every;
    DbResult result = Check(match.table, every ? std::string() : match.column);
    if (result != DbResult::Ok) return result;
    if (db_->damaged) return DbResult::Malformed;
    const SimDatabases::Table& table = db_->tables[match.table];
    int index = every ? -1 : ColumnIndex(table, match.column);
    std::set<std::string> among(match.values.begin(), match.values.end());
    std::set<std::string> referenced;
    if (match.test == RowMatch::Test::Unreferenced) {
      for (const DbColumn& ref : match.referencedBy) {
        std::map<std::string, uint64_t> values;
        result = Values(RowMatch{ref.table}, ref.column, &values);
        if (result != DbResult::Ok) return result;
        for (const auto& [value, count] : values) referenced.insert(value);
      }
    }
    for (const SimDatabases::Row& row : table.rows) {
      bool take = true;
      switch (match.test) {
        case RowMatch::Test::Every:
          break;
        case RowMatch::Test::ValueAmong:
          take = row[index] && among.count(*row[index]);
          break;
        case RowMatch::Test::ValueNotAmong:
          take = !row[index] || !among.count(*row[index]);
          break;
        case RowMatch::Test::Unreferenced:
          take = !row[index] || !referenced.count(*row[index]);
          break;
      }
      matched->push_back(take);
    }
    return DbResult::Ok;
  }

  std::shared_ptr<SimDatabases::Db> db_;
  DbAccess access_;
  std::unique_ptr<SimDatabases::Tables> snapshot_;
};

}  // namespace

std::unique_ptr<Database> SimDatabases::Open(const std::string& path, DbAccess access, uint64_t listed,
                                             DbResult* result) {
  SimFileSystem::Node* node = files_.Lookup(path);
  if (!node || node->directory || node->unreadable || (access == DbAccess::ReadWrite && node->unwritable)) {
    *result = DbResult::CannotOpen;
    return nullptr;
  }
  // As SQLite opens it, by its path: a link there leads to another file
  // than the one listed.
  if (listed != 0 && (!node->linkTarget.empty() || node->id != listed || node->linkCount != 1)) {
    *result = DbResult::NotListed;
    return nullptr;
  }
  if (node->heldOpen && !node->holderSharesWrite) {
    *result = DbResult::Busy;
    return nullptr;
  }
  std::shared_ptr<Db> db = Lookup(path);
  if (!db) {
    // SQLite reads an empty file as an empty database; other bytes are none.
    if (!node->content.empty()) {
      *result = DbResult::Malformed;
      return nullptr;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    db = databases_[node->id] = std::make_shared<Db>();
  }
  if (db->locked) {
    *result = DbResult::Busy;
    return nullptr;
  }
  *result = DbResult::Ok;
  return std::make_unique<SimDatabase>(db, access);
}

void SimDatabases::AddTable(const std::string& path, const std::string& table, std::vector<std::string> columns,
                            std::vector<Row> rows) {
  if (!files_.Lookup(path)) files_.AddFile(path, kHeader);
  const uint64_t file = files_.Lookup(path)->id;
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Db>& db = databases_[file];
  if (!db) db = std::make_shared<Db>();
  for (Row& row : rows) row.resize(columns.size());
  db->tables[table] = Table{std::move(columns), std::move(rows)};
}

std::shared_ptr<SimDatabases::Db> SimDatabases::Lookup(const std::string& path) {
  SimFileSystem::Node* node = files_.Lookup(path);
  if (!node) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = databases_.find(node->id);
  return it == databases_.end() ? nullptr : it->second;
}

}  // namespace platform::sim
