// JSON through SQLite's JSON functions, on a database in memory.
#include "browsers/JsonQuery.h"

#include <sqlite3.h>

namespace browsers {

bool QueryJson(const std::string& json, const std::string& sql, std::vector<std::vector<std::string>>* rows) {
  rows->clear();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_stmt* stmt = nullptr;
  bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_bind_text(stmt, 1, json.data(), static_cast<int>(json.size()), SQLITE_STATIC) == SQLITE_OK;
  int rc = SQLITE_DONE;
  while (ok && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<std::string>& row = rows->emplace_back();
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const unsigned char* text = sqlite3_column_text(stmt, i);
      row.emplace_back(text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(stmt, i)) : "");
    }
  }
  ok = ok && rc == SQLITE_DONE;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  if (!ok) rows->clear();
  return ok;
}

}  // namespace browsers
