// The browser items: the tables, files and folders each takes from a profile.
#include "browsers/BrowserItems.h"

#include <algorithm>
#include <functional>
#include <set>

#include "browsers/JsonQuery.h"
#include "util/Text.h"

namespace browsers {
namespace {

using platform::DbResult;
using platform::RowMatch;
using Test = platform::RowMatch::Test;

// Bookmarks are a small JSON file; a larger one is none of Chromium's.
constexpr size_t kMaxBookmarksBytes = 64 * 1024 * 1024;

const char kLinkLeftAlone[] = "a link, left alone rather than followed";

// One table's part of an item: its rows deleted, or set as `update` says.
struct TableStep {
  TableStep(RowMatch match, uint64_t* counter = nullptr, bool required = true)
      : match(std::move(match)), required(required), counter(counter) {}
  RowMatch match;
  bool required;  // lacking it, the item skips this database
  uint64_t* counter;
  std::vector<platform::ColumnValue> update;
};

// A table some versions have: without it the rest goes on.
TableStep Optional(RowMatch match) { return TableStep(std::move(match), nullptr, false); }

// Chooses the steps once the database is open and its transaction begun
// (the hosts of a cookie jar are read then); Ok, or why to skip it.
using Plan = std::function<DbResult(platform::Database&, std::vector<TableStep>*)>;

void Skipped(ProfileResult* result, const std::string& file, const std::string& reason, bool inUse = false,
             bool link = false) {
  result->skipped.push_back({file, reason, inUse, link});
}

std::string Join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

// A file or folder left alone because of a link: named with the profile's
// skips, and told to whoever follows the refused links.
void LeftAloneForLink(BrowserServices& s, ProfileResult* result, const std::string& path) {
  Skipped(result, path, kLinkLeftAlone, false, true);
  if (s.refused) s.refused(path);
}

// A plain file of the profile at `folder\name`, as the folder's listing
// gives it through the folder's own handle (`*listed`, for its file
// number): false when missing; a link, or a file reached through one, is
// named and left alone.
bool IsProfileFile(BrowserServices& s, const std::string& start, const std::string& folder, const std::string& name,
                   ProfileResult* result, platform::FindData* listed = nullptr) {
  platform::FindData entry;
  std::unique_ptr<platform::FileFind> find = s.files.FindFirst(Join(folder, name), &entry);
  if (!find || (entry.attributes & platform::kAttrDirectory)) return false;
  std::unique_ptr<platform::FolderHandle> home = platform::IsLink(entry) ? nullptr : s.openCleanable(start, folder);
  if (!home) {
    LeftAloneForLink(s, result, Join(folder, name));
    return false;
  }
  std::vector<platform::FindData> entries;
  if (!home->List(&entries)) {
    Skipped(result, Join(folder, name), "its folder could not be read");
    return false;
  }
  auto own = std::find_if(entries.begin(), entries.end(),
                          [&](const platform::FindData& e) { return s.files.SameName(e.name, name); });
  // Gone, or no longer a file, since it was found.
  if (own == entries.end() || (own->attributes & platform::kAttrDirectory)) return false;
  if (platform::IsLink(*own)) {
    LeftAloneForLink(s, result, Join(folder, name));
    return false;
  }
  if (listed) *listed = *own;
  return true;
}

// Whether every table and column a step names is there.
DbResult CheckStep(platform::Database& db, const TableStep& step) {
  DbResult result = db.Check(step.match.table, step.match.test == Test::Every ? "" : step.match.column);
  for (const platform::DbColumn& ref : step.match.referencedBy) {
    if (result == DbResult::Ok) result = db.Check(ref.table, ref.column);
  }
  for (const platform::ColumnValue& value : step.update) {
    if (result == DbResult::Ok) result = db.Check(step.match.table, value.column);
  }
  return result;
}

// Cleans one database of a profile in one transaction: every step, or none.
void CleanDatabase(BrowserServices& s, const std::string& start, const std::string& folder, const std::string& name,
                   const Plan& plan, ProfileResult* result) {
  platform::FindData listed;
  if (!IsProfileFile(s, start, folder, name, result, &listed)) return;
  const std::string path = Join(folder, name);
  DbResult outcome = DbResult::Ok;
  std::unique_ptr<platform::Database> db =
      s.databases.Open(path, platform::DbAccess::ReadWrite, listed.fileId, &outcome);
  std::vector<TableStep> steps;
  if (db) outcome = db->Begin();
  if (db && outcome == DbResult::Ok) outcome = plan(*db, &steps);
  // Another version's schema is found before anything changes.
  std::vector<const TableStep*> run;
  for (const TableStep& step : steps) {
    if (outcome != DbResult::Ok) break;
    DbResult checked = CheckStep(*db, step);
    if (checked == DbResult::Ok) {
      run.push_back(&step);
    } else if (step.required || (checked != DbResult::NoSuchTable && checked != DbResult::NoSuchColumn)) {
      outcome = checked;
    }
  }
  std::vector<uint64_t> counts;
  for (const TableStep* step : run) {
    if (outcome != DbResult::Ok) break;
    uint64_t rows = 0;
    outcome = step->update.empty() ? db->Delete(step->match, &rows) : db->Update(step->match, step->update, &rows);
    counts.push_back(rows);
  }
  if (outcome == DbResult::Ok) outcome = db->Commit();
  if (outcome != DbResult::Ok) {
    if (db) db->Rollback();
    Skipped(result, path, platform::DbResultText(outcome), outcome == DbResult::Busy);
    return;
  }
  for (size_t i = 0; i < run.size(); ++i) {
    if (run[i]->counter) *run[i]->counter += counts[i];
  }
}

// A plan of fixed steps.
Plan Steps(std::vector<TableStep> steps) {
  return [steps](platform::Database&, std::vector<TableStep>* out) {
    *out = steps;
    return DbResult::Ok;
  };
}

// Removes the plain file folder\name; what cannot go is named.
void RemoveProfileFile(BrowserServices& s, const std::string& start, const std::string& folder, const std::string& name,
                       uint64_t* counter, ProfileResult* result) {
  if (!IsProfileFile(s, start, folder, name, result)) return;
  if (s.files.RemoveFile(Join(folder, name))) {
    if (counter) ++*counter;
    return;
  }
  long error = s.files.LastError();
  bool inUse = platform::IsInUse(error);
  Skipped(result, Join(folder, name), inUse ? "in use by another program" : "could not be removed", inUse);
}

// Empties folder\name under the purge's link rules, adding the files it
// removed to *counter and their bytes to *bytes; what stays is named.
void PurgeProfileFolder(BrowserServices& s, const std::string& start, const std::string& folder,
                        const std::string& name, uint64_t* counter, uint64_t* bytes, ProfileResult* result) {
  const std::string path = Join(folder, name);
  if (!s.files.Exists(path)) return;
  if (!s.openCleanable(start, path)) {
    LeftAloneForLink(s, result, path);
    return;
  }
  const PurgeCount count = s.purge(start, path);
  if (counter) *counter += count.removed;
  if (bytes) *bytes += count.bytes;
  if (count.left > 0) Skipped(result, path, std::to_string(count.left) + " files in use or not removable", true);
}

// Cookies: every row whose host is not kept; the kept sites noted.
Plan CookiePlan(const std::string& table, const std::string& column, const KeptHosts& kept, ProfileResult* result) {
  return [table, column, &kept, result](platform::Database& db, std::vector<TableStep>* steps) {
    std::map<std::string, uint64_t> hosts;
    DbResult read = db.Values(RowMatch(table), column, &hosts);
    if (read != DbResult::Ok) return read;
    std::vector<std::string> removed;
    std::set<std::string, util::LessNoCase> sites(result->keptSites.begin(), result->keptSites.end());
    for (const auto& [host, count] : hosts) {
      if (!kept.Keeps(host)) {
        removed.push_back(host);
        continue;
      }
      result->cookiesKept += count;
      if (sites.insert(CookieSite(host)).second) result->keptSites.push_back(CookieSite(host));
    }
    steps->emplace_back(RowMatch(table, Test::ValueAmong, column, removed), &result->cookiesRemoved);
    return DbResult::Ok;
  };
}

// Where a profile keeps its cookies.
struct CookieJar {
  std::string folder, name, table, column;
};
std::vector<CookieJar> CookieJars(const BrowserRow& browser, const Profile& p) {
  if (browser.family == Family::Firefox) return {{p.folder, "cookies.sqlite", "moz_cookies", "host"}};
  // Windows keeps them in Network\; an older version beside it.
  return {{Join(p.folder, "Network"), "Cookies", "cookies", "host_key"}, {p.folder, "Cookies", "cookies", "host_key"}};
}

// The addresses Chromium's Bookmarks file holds.
std::vector<std::string> BookmarkedAddresses(BrowserServices& s, const Profile& profile) {
  std::vector<std::string> addresses;
  std::string json;
  if (s.files.ReadWholeFile(Join(profile.folder, "Bookmarks"), &json, kMaxBookmarksBytes) != platform::kErrorSuccess) {
    return addresses;
  }
  std::vector<std::vector<std::string>> rows;
  QueryJson(json, "SELECT value FROM json_tree(?1) WHERE key = 'url' AND type = 'text'", &rows);
  for (const std::vector<std::string>& row : rows) addresses.push_back(row[0]);
  return addresses;
}

void ChromiumHistory(BrowserServices& s, const Profile& p, ProfileResult* r) {
  std::vector<TableStep> history{{RowMatch("urls"), &r->addresses}, {RowMatch("visits"), &r->visits}};
  for (const char* table : {"visit_source", "keyword_search_terms", "segments", "segment_usage", "downloads",
                            "downloads_url_chains", "downloads_slices", "content_annotations", "context_annotations",
                            "clusters", "clusters_and_visits", "cluster_keywords", "cluster_visit_duplicates",
                            "visited_links", "journeys", "journey_history_entries", "journey_continuation_queries"}) {
    history.push_back(Optional(RowMatch(table)));
  }
  CleanDatabase(s, p.start, p.folder, "History", Steps(history), r);
  CleanDatabase(s, p.start, p.folder, "Top Sites", Steps({TableStep(RowMatch("top_sites"))}), r);
  CleanDatabase(s, p.start, p.folder, "Shortcuts", Steps({TableStep(RowMatch("omni_box_shortcuts"))}), r);
  std::vector<TableStep> predictor{TableStep(RowMatch("network_action_predictor"))};
  for (const char* table : {"resource_prefetch_predictor_url", "resource_prefetch_predictor_host",
                            "resource_prefetch_predictor_host_redirect", "resource_prefetch_predictor_origin",
                            "lcp_critical_path_predictor", "lcp_critical_path_predictor_initiator_origin"}) {
    predictor.push_back(Optional(RowMatch(table)));
  }
  CleanDatabase(s, p.start, p.folder, "Network Action Predictor", Steps(predictor), r);
  // The pages' icons go; a bookmark's page keeps its icon.
  CleanDatabase(
      s, p.start, p.folder, "Favicons",
      Steps({TableStep(RowMatch("icon_mapping", Test::ValueNotAmong, "page_url", BookmarkedAddresses(s, p))),
             TableStep(RowMatch("favicon_bitmaps", Test::Unreferenced, "icon_id", {}, {{"icon_mapping", "icon_id"}})),
             TableStep(RowMatch("favicons", Test::Unreferenced, "id", {}, {{"icon_mapping", "icon_id"}}))}),
      r);
  RemoveProfileFile(s, p.start, p.folder, "Visited Links", nullptr, r);
  RemoveProfileFile(s, p.start, p.folder, "History Provider Cache", nullptr, r);
}

void FirefoxHistory(BrowserServices& s, const Profile& p, ProfileResult* r) {
  // The places a bookmark or keyword points at stay, with their addresses.
  std::vector<std::string> keptAddresses;
  bool placesCleaned = false;
  const std::vector<platform::DbColumn> bookmarked{{"moz_bookmarks", "fk"}, {"moz_keywords", "place_id"}};
  Plan places = [&](platform::Database& db, std::vector<TableStep>* steps) {
    std::vector<std::string> ids;
    for (const platform::DbColumn& ref : bookmarked) {
      std::map<std::string, uint64_t> values;
      DbResult read = db.Values(RowMatch(ref.table), ref.column, &values);
      if (read != DbResult::Ok) return read;
      for (const auto& [id, count] : values) ids.push_back(id);
    }
    std::map<std::string, uint64_t> addresses;
    DbResult read = db.Values(RowMatch("moz_places", Test::ValueAmong, "id", ids), "url", &addresses);
    if (read != DbResult::Ok) return read;
    for (const auto& [address, count] : addresses) keptAddresses.push_back(address);
    // The places that stay keep no trace of a visit either.
    TableStep unvisited(RowMatch("moz_places"));
    unvisited.update = {{"visit_count", 0}, {"last_visit_date", std::nullopt}};
    const std::vector<platform::DbColumn> place{{"moz_places", "id"}};
    *steps = {{RowMatch("moz_historyvisits"), &r->visits},
              {RowMatch("moz_inputhistory")},
              Optional(RowMatch("moz_historyvisits_extra")),
              Optional(RowMatch("moz_places_metadata")),
              Optional(RowMatch("moz_places_metadata_search_queries")),
              {RowMatch("moz_places", Test::Unreferenced, "id", {}, bookmarked), &r->addresses},
              unvisited,
              {RowMatch("moz_origins", Test::Unreferenced, "id", {}, {{"moz_places", "origin_id"}})},
              Optional(RowMatch("moz_places_extra", Test::Unreferenced, "place_id", {}, place)),
              Optional(RowMatch("moz_annos", Test::Unreferenced, "place_id", {}, place))};
    placesCleaned = true;
    return DbResult::Ok;
  };
  size_t skippedBefore = r->skipped.size();
  CleanDatabase(s, p.start, p.folder, "places.sqlite", places, r);
  // Without the places cleaned, the icons of the pages still there are unknown.
  if (!placesCleaned || r->skipped.size() != skippedBefore) return;
  CleanDatabase(
      s, p.start, p.folder, "favicons.sqlite",
      Steps(
          {TableStep(RowMatch("moz_pages_w_icons", Test::ValueNotAmong, "page_url", keptAddresses)),
           TableStep(RowMatch("moz_icons_to_pages", Test::Unreferenced, "page_id", {}, {{"moz_pages_w_icons", "id"}})),
           TableStep(RowMatch("moz_icons", Test::Unreferenced, "id", {}, {{"moz_icons_to_pages", "icon_id"}}))}),
      r);
}

}  // namespace

KeptHosts::KeptHosts(const std::vector<std::string>& keepList) {
  for (const std::string& line : keepList) lines_.insert(util::ToLowerAscii(line));
}

bool KeptHosts::Keeps(const std::string& host) const {
  const std::string site = util::ToLowerAscii(CookieSite(host));
  if (lines_.count(site)) return true;
  // A subdomain: what follows any of its dots is a line.
  for (size_t dot = site.find('.'); dot != std::string::npos; dot = site.find('.', dot + 1)) {
    if (lines_.count(site.substr(dot + 1))) return true;
  }
  return false;
}

std::string CookieSite(const std::string& host) { return !host.empty() && host[0] == '.' ? host.substr(1) : host; }

std::vector<std::string> CookieSites(BrowserServices& s, const BrowserRow& browser, const Profile& p) {
  std::vector<std::string> sites;
  std::set<std::string, util::LessNoCase> seen;
  ProfileResult ignored;
  for (const CookieJar& jar : CookieJars(browser, p)) {
    platform::FindData listed;
    if (!IsProfileFile(s, p.start, jar.folder, jar.name, &ignored, &listed)) continue;
    platform::DbResult result = DbResult::Ok;
    std::unique_ptr<platform::Database> db =
        s.databases.Open(Join(jar.folder, jar.name), platform::DbAccess::ReadOnly, listed.fileId, &result);
    std::map<std::string, uint64_t> hosts;
    if (!db || db->Values(RowMatch(jar.table), jar.column, &hosts) != DbResult::Ok) continue;
    for (const auto& [host, count] : hosts) {
      if (seen.insert(CookieSite(host)).second) sites.push_back(CookieSite(host));
    }
  }
  return sites;
}

CookieStore CleanCookieStore(BrowserServices& s, const std::string& start, const std::string& folder,
                             const std::string& name, const std::vector<std::string>& keepList, ProfileResult* r) {
  // Read for its tables only; the cleaning opens it again as its folder lists it.
  DbResult opened = DbResult::Ok;
  std::unique_ptr<platform::Database> db =
      s.databases.Open(Join(folder, name), platform::DbAccess::ReadOnly, 0, &opened);
  if (!db) {
    // A store another program holds is one all the same: not to be deleted under it.
    if (opened != DbResult::Busy) return CookieStore::NotOne;
    Skipped(r, Join(folder, name), platform::DbResultText(opened), true);
    return CookieStore::Cleaned;
  }
  CookieJar jar{folder, name, "cookies", "host_key"};
  if (db->Check(jar.table, jar.column) != DbResult::Ok) {
    jar.table = "moz_cookies";
    jar.column = "host";
    if (db->Check(jar.table, jar.column) != DbResult::Ok) return CookieStore::NotOne;
  }
  db.reset();
  KeptHosts kept(keepList);
  CleanDatabase(s, start, folder, name, CookiePlan(jar.table, jar.column, kept, r), r);
  return CookieStore::Cleaned;
}

size_t BrowserOfProgram(const std::string& programFile) {
  size_t row = 0;
  while (row < kBrowserCount && !util::EqualNoCase(programFile, kBrowsers[row].programFile)) ++row;
  return row;
}

bool IsRunning(const BrowserRow& browser, const std::vector<std::string>& running) {
  for (const std::string& name : running) {
    if (util::EqualNoCase(name, browser.programFile)) return true;
  }
  return false;
}

void CleanProfileItem(Item item, BrowserServices& s, const BrowserRow& browser, const Profile& p,
                      const std::vector<std::string>& keepList, ProfileResult* r) {
  const bool chromium = browser.family == Family::Chromium;
  switch (item) {
    case Item::Cache:
      for (const char* name : chromium ? std::vector<const char*>{"Cache", "Code Cache", "GPUCache"}
                                       : std::vector<const char*>{"cache2"}) {
        PurgeProfileFolder(s, p.cacheStart, p.cacheFolder, name, nullptr, &r->cacheBytes, r);
      }
      break;
    case Item::Cookies: {
      KeptHosts kept(keepList);
      for (const CookieJar& jar : CookieJars(browser, p)) {
        CleanDatabase(s, p.start, jar.folder, jar.name, CookiePlan(jar.table, jar.column, kept, r), r);
      }
      break;
    }
    case Item::History:
      if (chromium) {
        ChromiumHistory(s, p, r);
      } else {
        FirefoxHistory(s, p, r);
      }
      break;
    case Item::FormData: {
      TableStep entries(RowMatch(chromium ? "autofill" : "moz_formhistory"), &r->formEntries);
      if (chromium) {
        CleanDatabase(s, p.start, p.folder, "Web Data", Steps({entries}), r);
      } else {
        CleanDatabase(s, p.start, p.folder, "formhistory.sqlite",
                      Steps({entries, Optional(RowMatch("moz_history_to_sources")), Optional(RowMatch("moz_sources"))}),
                      r);
      }
      break;
    }
    case Item::Sessions:
      if (chromium) {
        PurgeProfileFolder(s, p.start, p.folder, "Sessions", &r->sessionFiles, nullptr, r);
        for (const char* name : {"Current Session", "Last Session", "Current Tabs", "Last Tabs"}) {
          RemoveProfileFile(s, p.start, p.folder, name, &r->sessionFiles, r);
        }
      } else {
        RemoveProfileFile(s, p.start, p.folder, "sessionstore.jsonlz4", &r->sessionFiles, r);
        PurgeProfileFolder(s, p.start, p.folder, "sessionstore-backups", &r->sessionFiles, nullptr, r);
      }
      break;
  }
}

}  // namespace browsers
