// Reading JSON (Chromium's Local State and Bookmarks) with SQLite's own JSON
// functions rather than a parser of our own.
#pragma once

#include <string>
#include <vector>

namespace browsers {

// Runs `sql` on a database of its own in memory, with `json` bound as ?1,
// and gives each row's columns as text (NULL as empty). False when the
// statement fails: the text is no JSON, or too deeply nested.
bool QueryJson(const std::string& json, const std::string& sql, std::vector<std::vector<std::string>>* rows);

}  // namespace browsers
