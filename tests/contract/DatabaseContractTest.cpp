// Browsers' databases: what a cleaning relies on, the same of the simulation
// and of SQLite on real files.
#include <gtest/gtest.h>

#include "DatabaseEnv.h"

namespace contract {
namespace {

using platform::ColumnValue;
using platform::DbAccess;
using platform::DbResult;
using platform::RowMatch;

class DatabaseContract : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { env_ = MakeDatabaseEnv(GetParam()); }

  // A cookie jar of four rows: three hosts, one without a host.
  std::string Cookies() {
    std::string path = env_->NewPath("Cookies");
    env_->MakeTable(path, "cookies", {"id", "host_key", "value"},
                    {{"1", ".kept.example", "a"},
                     {"2", "gone.example", "b"},
                     {"3", "gone.example", "c"},
                     {"4", std::nullopt, "d"}});
    return path;
  }

  std::unique_ptr<platform::Database> Open(const std::string& path, DbAccess access = DbAccess::ReadWrite) {
    DbResult result = DbResult::Failed;
    std::unique_ptr<platform::Database> db = env_->databases().Open(path, access, 0, &result);
    EXPECT_EQ(result, DbResult::Ok) << path;
    EXPECT_EQ(db != nullptr, result == DbResult::Ok);
    return db;
  }

  DbResult OpenFails(const std::string& path) {
    DbResult result = DbResult::Ok;
    std::unique_ptr<platform::Database> db = env_->databases().Open(path, DbAccess::ReadWrite, 0, &result);
    EXPECT_EQ(db, nullptr);
    return result;
  }

  static uint64_t Rows(platform::Database& db, const std::string& table) {
    uint64_t rows = 99;
    EXPECT_EQ(db.Count(RowMatch{table}, &rows), DbResult::Ok);
    return rows;
  }

  std::unique_ptr<DatabaseEnv> env_;
};

TEST_P(DatabaseContract, AMissingDatabaseIsNotCreatedAndOtherBytesAreNoDatabase) {
  std::string missing = env_->NewPath("History");
  EXPECT_EQ(OpenFails(missing), DbResult::CannotOpen);
  EXPECT_FALSE(env_->Exists(missing));

  std::string text = env_->NewPath("Web Data");
  env_->MakeFile(text, std::string(5000, 'x'));
  EXPECT_EQ(OpenFails(text), DbResult::Malformed);

  // SQLite reads an empty file as a database without tables.
  std::string empty = env_->NewPath("Top Sites");
  env_->MakeFile(empty, "");
  std::unique_ptr<platform::Database> db = Open(empty);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(db->Check("top_sites", ""), DbResult::NoSuchTable);
}

TEST_P(DatabaseContract, TablesAndColumnsAreFoundWithoutRegardToCase) {
  std::unique_ptr<platform::Database> db = Open(Cookies());
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(db->Check("cookies", ""), DbResult::Ok);
  EXPECT_EQ(db->Check("COOKIES", "Host_Key"), DbResult::Ok);
  EXPECT_EQ(db->Check("cookies", "host"), DbResult::NoSuchColumn);
  EXPECT_EQ(db->Check("moz_cookies", "host"), DbResult::NoSuchTable);
  uint64_t rows = 99;
  EXPECT_EQ(db->Count({"cookies", RowMatch::Test::ValueAmong, "host", {"x"}}, &rows), DbResult::NoSuchColumn);
  EXPECT_EQ(db->Delete({"moz_cookies"}, &rows), DbResult::NoSuchTable);
  EXPECT_EQ(rows, 0u);
}

TEST_P(DatabaseContract, RowsMatchByTheirValuesAsText) {
  std::unique_ptr<platform::Database> db = Open(Cookies());
  ASSERT_NE(db, nullptr);
  std::map<std::string, uint64_t> hosts;
  ASSERT_EQ(db->Values({"cookies"}, "host_key", &hosts), DbResult::Ok);
  EXPECT_EQ(hosts, (std::map<std::string, uint64_t>{{".kept.example", 1}, {"gone.example", 2}}));

  uint64_t rows = 0;
  EXPECT_EQ(db->Count({"cookies", RowMatch::Test::ValueAmong, "host_key", {"gone.example", "GONE.EXAMPLE"}}, &rows),
            DbResult::Ok);
  EXPECT_EQ(rows, 2u) << "values are compared exactly, letter case included";
  EXPECT_EQ(db->Count({"cookies", RowMatch::Test::ValueAmong, "id", {"1", "4"}}, &rows), DbResult::Ok);
  EXPECT_EQ(rows, 2u);
  std::map<std::string, uint64_t> values;
  EXPECT_EQ(db->Values({"cookies", RowMatch::Test::ValueAmong, "id", {"2", "4"}}, "value", &values), DbResult::Ok);
  EXPECT_EQ(values, (std::map<std::string, uint64_t>{{"b", 1}, {"d", 1}}));
  // A row without a value is among no values.
  EXPECT_EQ(db->Delete({"cookies", RowMatch::Test::ValueNotAmong, "host_key", {".kept.example"}}, &rows), DbResult::Ok);
  EXPECT_EQ(rows, 3u);
  EXPECT_EQ(db->Values({"cookies"}, "host_key", &hosts), DbResult::Ok);
  EXPECT_EQ(hosts, (std::map<std::string, uint64_t>{{".kept.example", 1}}));
  EXPECT_EQ(Rows(*db, "cookies"), 1u);
}

TEST_P(DatabaseContract, UnreferencedRowsAreThoseNoOtherTablePointsAt) {
  std::string path = env_->NewPath("places.sqlite");
  env_->MakeTable(path, "moz_places", {"id", "url"}, {{"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", "d"}});
  env_->MakeTable(path, "moz_bookmarks", {"id", "fk"}, {{"10", "2"}, {"11", std::nullopt}});
  env_->MakeTable(path, "moz_keywords", {"id", "place_id"}, {{"20", "3"}});
  std::unique_ptr<platform::Database> db = Open(path);
  ASSERT_NE(db, nullptr);
  RowMatch orphans{
      "moz_places", RowMatch::Test::Unreferenced, "id", {}, {{"moz_bookmarks", "fk"}, {"moz_keywords", "place_id"}}};
  uint64_t rows = 0;
  // A NULL among the references makes NOT IN match nothing; it must not here.
  EXPECT_EQ(db->Delete(orphans, &rows), DbResult::Ok);
  EXPECT_EQ(rows, 2u);
  std::map<std::string, uint64_t> left;
  EXPECT_EQ(db->Values({"moz_places"}, "url", &left), DbResult::Ok);
  EXPECT_EQ(left, (std::map<std::string, uint64_t>{{"b", 1}, {"c", 1}}));
  RowMatch missing{"moz_places", RowMatch::Test::Unreferenced, "id", {}, {{"moz_annos", "place_id"}}};
  EXPECT_EQ(db->Count(missing, &rows), DbResult::NoSuchTable);
}

TEST_P(DatabaseContract, AnUpdateSetsColumnsOfTheMatchingRows) {
  std::string path = env_->NewPath("places.sqlite");
  env_->MakeTable(path, "moz_places", {"id", "visit_count", "last_visit_date"}, {{"1", "5", "100"}, {"2", "7", "200"}});
  std::unique_ptr<platform::Database> db = Open(path);
  ASSERT_NE(db, nullptr);
  uint64_t rows = 0;
  EXPECT_EQ(db->Update({"moz_places", RowMatch::Test::ValueAmong, "id", {"2"}},
                       {{"visit_count", 0}, {"last_visit_date", std::nullopt}}, &rows),
            DbResult::Ok);
  EXPECT_EQ(rows, 1u);
  std::map<std::string, uint64_t> counts, dates;
  EXPECT_EQ(db->Values({"moz_places"}, "visit_count", &counts), DbResult::Ok);
  EXPECT_EQ(counts, (std::map<std::string, uint64_t>{{"0", 1}, {"5", 1}}));
  EXPECT_EQ(db->Values({"moz_places"}, "last_visit_date", &dates), DbResult::Ok);
  EXPECT_EQ(dates, (std::map<std::string, uint64_t>{{"100", 1}}));
  EXPECT_EQ(db->Update({"moz_places"}, {{"frecency", 0}}, &rows), DbResult::NoSuchColumn);
}

TEST_P(DatabaseContract, ChangesLastOnlyWhenCommitted) {
  std::string path = Cookies();
  {
    std::unique_ptr<platform::Database> db = Open(path);
    ASSERT_NE(db, nullptr);
    uint64_t rows = 0;
    ASSERT_EQ(db->Begin(), DbResult::Ok);
    EXPECT_EQ(db->Delete({"cookies"}, &rows), DbResult::Ok);
    EXPECT_EQ(rows, 4u);
    EXPECT_EQ(Rows(*db, "cookies"), 0u);
    db->Rollback();
    EXPECT_EQ(Rows(*db, "cookies"), 4u);
    // A transaction left open is rolled back when the database is closed.
    ASSERT_EQ(db->Begin(), DbResult::Ok);
    EXPECT_EQ(db->Delete({"cookies"}, &rows), DbResult::Ok);
  }
  std::unique_ptr<platform::Database> db = Open(path);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(Rows(*db, "cookies"), 4u);
  uint64_t rows = 0;
  ASSERT_EQ(db->Begin(), DbResult::Ok);
  EXPECT_EQ(db->Delete({"cookies", RowMatch::Test::ValueAmong, "id", {"2"}}, &rows), DbResult::Ok);
  ASSERT_EQ(db->Commit(), DbResult::Ok);
  db.reset();
  db = Open(path);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(Rows(*db, "cookies"), 3u);
  EXPECT_EQ(db->IntegrityCheck(), DbResult::Ok);
}

TEST_P(DatabaseContract, ADatabaseOpenedReadOnlyRefusesChanges) {
  std::string path = Cookies();
  std::unique_ptr<platform::Database> db = Open(path, DbAccess::ReadOnly);
  ASSERT_NE(db, nullptr);
  uint64_t rows = 0;
  EXPECT_EQ(db->Delete({"cookies"}, &rows), DbResult::CannotOpen);
  EXPECT_EQ(Rows(*db, "cookies"), 4u);
}

TEST_P(DatabaseContract, ADatabaseAnotherProgramHoldsIsBusy) {
  std::string path = Cookies();
  std::unique_ptr<platform::Database> before = Open(path);
  ASSERT_NE(before, nullptr);
  std::shared_ptr<void> lock = env_->Lock(path);
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(OpenFails(path), DbResult::Busy);
  // One opened before the lock was taken waits a moment, then gives up.
  EXPECT_EQ(before->Begin(), DbResult::Busy);
  lock.reset();
  before->Rollback();
  EXPECT_EQ(Rows(*before, "cookies"), 4u);
}

TEST_P(DatabaseContract, ADamagedDatabaseIsMalformedAndLeftAlone) {
  std::string path = Cookies();
  env_->Damage(path);
  std::unique_ptr<platform::Database> db = Open(path);
  ASSERT_NE(db, nullptr) << "the schema of a database damaged inside still reads";
  EXPECT_EQ(db->Check("cookies", "host_key"), DbResult::Ok);
  uint64_t rows = 0;
  EXPECT_EQ(db->Count({"cookies"}, &rows), DbResult::Malformed);
  EXPECT_EQ(db->IntegrityCheck(), DbResult::Malformed);
}

TEST_P(DatabaseContract, DeletedRowsAreNotLeftReadableInTheFiles) {
  std::string path = Cookies();
  env_->MakeTable(path, "urls", {"url"}, {{"https://secret-address.example/"}});
  if (!env_->FilesContain(path, "secret-address")) GTEST_SKIP() << "the simulation's files hold no real pages";
  ASSERT_TRUE(*env_->FilesContain(path, "gone.example"));
  std::unique_ptr<platform::Database> db = Open(path);
  ASSERT_NE(db, nullptr);
  uint64_t rows = 0;
  ASSERT_EQ(db->Begin(), DbResult::Ok);
  EXPECT_EQ(db->Delete({"cookies", RowMatch::Test::ValueAmong, "host_key", {"gone.example"}}, &rows), DbResult::Ok);
  EXPECT_EQ(db->Delete({"urls"}, &rows), DbResult::Ok);
  ASSERT_EQ(db->Commit(), DbResult::Ok);
  db.reset();
  EXPECT_FALSE(*env_->FilesContain(path, "gone.example"));
  EXPECT_FALSE(*env_->FilesContain(path, "secret-address"));
  EXPECT_TRUE(*env_->FilesContain(path, "kept.example"));
}

// SQLite opens by its path: what it opened must be the file a listing of
// its folder gave, with one name, or nothing of it is read.
TEST_P(DatabaseContract, AFileThatIsNotTheOneItsFolderListedIsRefused) {
  const std::string path = Cookies();
  const uint64_t listed = env_->ListedId(path);
  ASSERT_NE(listed, 0u);
  DbResult result = DbResult::Failed;
  EXPECT_NE(env_->databases().Open(path, DbAccess::ReadWrite, listed, &result), nullptr);
  EXPECT_EQ(result, DbResult::Ok) << "the opened file's number is the one its folder's listing gives";

  // Another file moved into its place since the listing.
  env_->MoveOver(Cookies(), path);
  EXPECT_EQ(env_->databases().Open(path, DbAccess::ReadWrite, listed, &result), nullptr);
  EXPECT_EQ(result, DbResult::NotListed);
  // A second name for it, anywhere.
  const uint64_t now = env_->ListedId(path);
  env_->HardLink(path, path + ".second");
  EXPECT_EQ(env_->databases().Open(path, DbAccess::ReadOnly, now, &result), nullptr);
  EXPECT_EQ(result, DbResult::NotListed);
  EXPECT_NE(Open(path), nullptr) << "without a listing, nothing is checked";
}

// A database's triggers never run: not one that copies each deleted row
// elsewhere, nor one that puts it back. What is counted is what went.
TEST_P(DatabaseContract, TheTriggersOfADatabaseNeverRun) {
  const std::string path = Cookies();
  if (!env_->Exec(path,
                  "CREATE TABLE stash(host);"
                  "CREATE TRIGGER copy AFTER DELETE ON cookies BEGIN INSERT INTO stash VALUES (old.host_key); END;"
                  "CREATE TRIGGER back AFTER DELETE ON cookies BEGIN "
                  "INSERT INTO cookies VALUES (old.id, old.host_key, old.value); END;")) {
    GTEST_SKIP() << "the simulation runs no SQL";
  }
  std::unique_ptr<platform::Database> db = Open(path);
  ASSERT_NE(db, nullptr);
  uint64_t rows = 0;
  ASSERT_EQ(db->Begin(), DbResult::Ok);
  EXPECT_EQ(db->Delete({"cookies", RowMatch::Test::ValueAmong, "host_key", {"gone.example"}}, &rows), DbResult::Ok);
  EXPECT_EQ(rows, 2u);
  ASSERT_EQ(db->Commit(), DbResult::Ok);
  EXPECT_EQ(Rows(*db, "cookies"), 2u);
  EXPECT_EQ(Rows(*db, "stash"), 0u);
}

// A call that asks far more work than it is allowed is stopped, and what it
// had changed is undone.
TEST_P(DatabaseContract, ACallBeyondItsShareOfWorkIsStoppedAndChangesNothing) {
  std::unique_ptr<platform::Databases> bounded = env_->Bounded(50'000);
  if (!bounded) GTEST_SKIP() << "the simulation counts no work";
  const std::string path = env_->NewPath("places.sqlite");
  std::vector<DatabaseEnv::Row> places;
  for (int i = 0; i < 20000; ++i) places.push_back({std::to_string(i)});
  env_->MakeTable(path, "moz_places", {"id"}, places);
  DbResult result = DbResult::Failed;
  std::unique_ptr<platform::Database> db = bounded->Open(path, DbAccess::ReadWrite, 0, &result);
  ASSERT_NE(db, nullptr);
  uint64_t rows = 0;
  ASSERT_EQ(db->Begin(), DbResult::Ok);
  EXPECT_EQ(db->Delete({"moz_places", RowMatch::Test::ValueNotAmong, "id", {"1"}}, &rows), DbResult::TooMuchWork);
  db->Rollback();
  db.reset();
  db = Open(path);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(Rows(*db, "moz_places"), 20000u);
}

INSTANTIATE_TEST_SUITE_P(Envs, DatabaseContract, ::testing::ValuesIn(DatabaseEnvNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace contract
