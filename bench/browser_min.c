/* The minimal program the browser benchmark measures corvane.exe against: on
   the profiles named on its command line (no search for them, no look at a
   schema, no report), the same DELETE and UPDATE statements with the same
   SQLite and secure_delete, one transaction per database, the log folded in
   after it, and the same cache and session files removed without following
   a link, as the program does (LinkSafeDelete.h).
   Usage: browser_min.exe KEPT_SITE {chromium PROFILE | firefox PROFILE CACHE}... */
#include <sqlite3.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

#include <shellapi.h>

#include "LinkSafeDelete.h"

#define PATH_CHARS 1024

static const char* kept_site;

static void purge_in(const wchar_t* folder, const wchar_t* name) {
  wchar_t path[PATH_CHARS];
  swprintf(path, PATH_CHARS, L"%ls\\%ls", folder, name);
  MinimalLinkSafeDelete(path);
}

static void remove_in(const wchar_t* folder, const wchar_t* name) { MinimalLinkSafeRemove(folder, name); }

static int utf8_path(const wchar_t* folder, const wchar_t* name, char* path, int size) {
  wchar_t wide[PATH_CHARS];
  swprintf(wide, PATH_CHARS, L"%ls\\%ls", folder, name);
  return WideCharToMultiByte(CP_UTF8, 0, wide, -1, path, size, NULL, NULL);
}

/* Runs the statements, NULL-ended, on folder\name in one transaction; a
   statement on a table this version lacks fails alone. A missing database
   is left missing. `attach`, when given, is a database of the same folder
   the statements read as "other". */
static void clean(const wchar_t* folder, const wchar_t* name, const char* const* sql, const wchar_t* attach) {
  char path[3 * PATH_CHARS];
  if (!utf8_path(folder, name, path, sizeof path)) return;
  sqlite3* db = NULL;
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, NULL) != SQLITE_OK) {
    sqlite3_close(db);
    return;
  }
  sqlite3_busy_timeout(db, 5000);
  if (attach && utf8_path(folder, attach, path, sizeof path)) {
    char* statement = sqlite3_mprintf("ATTACH %Q AS other", path);
    sqlite3_exec(db, statement, NULL, NULL, NULL);
    sqlite3_free(statement);
  }
  sqlite3_exec(db, "PRAGMA secure_delete = ON; BEGIN IMMEDIATE", NULL, NULL, NULL);
  for (; *sql; ++sql) {
    char* statement = sqlite3_mprintf(*sql, kept_site, kept_site, kept_site);
    sqlite3_exec(db, statement, NULL, NULL, NULL);
    sqlite3_free(statement);
  }
  if (sqlite3_exec(db, "COMMIT", NULL, NULL, NULL) == SQLITE_OK) {
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", NULL, NULL, NULL);
  }
  sqlite3_close(db);
}

/* The kept site and its subdomains, with or without the leading dot. */
#define KEPT(column) "NOT (" column " IN ('%q', '.%q') OR " column " LIKE '%%.%q')"

static void chromium(const wchar_t* p) {
  static const char* const cookies[] = {"DELETE FROM cookies WHERE " KEPT("host_key"), NULL};
  static const char* const history[] = {"DELETE FROM urls",
                                        "DELETE FROM visits",
                                        "DELETE FROM visit_source",
                                        "DELETE FROM keyword_search_terms",
                                        "DELETE FROM segments",
                                        "DELETE FROM segment_usage",
                                        "DELETE FROM downloads",
                                        "DELETE FROM downloads_url_chains",
                                        "DELETE FROM downloads_slices",
                                        "DELETE FROM content_annotations",
                                        "DELETE FROM context_annotations",
                                        "DELETE FROM clusters",
                                        "DELETE FROM clusters_and_visits",
                                        "DELETE FROM cluster_keywords",
                                        "DELETE FROM cluster_visit_duplicates",
                                        "DELETE FROM visited_links",
                                        "DELETE FROM journeys",
                                        "DELETE FROM journey_history_entries",
                                        "DELETE FROM journey_continuation_queries",
                                        NULL};
  static const char* const top_sites[] = {"DELETE FROM top_sites", NULL};
  static const char* const shortcuts[] = {"DELETE FROM omni_box_shortcuts", NULL};
  static const char* const predictor[] = {"DELETE FROM network_action_predictor",
                                          "DELETE FROM resource_prefetch_predictor_url",
                                          "DELETE FROM resource_prefetch_predictor_host",
                                          "DELETE FROM resource_prefetch_predictor_host_redirect",
                                          "DELETE FROM resource_prefetch_predictor_origin",
                                          "DELETE FROM lcp_critical_path_predictor",
                                          "DELETE FROM lcp_critical_path_predictor_initiator_origin",
                                          NULL};
  /* No Bookmarks file in these profiles: every page's icon goes. */
  static const char* const favicons[] = {
      "DELETE FROM icon_mapping", "DELETE FROM favicon_bitmaps WHERE icon_id NOT IN (SELECT icon_id FROM icon_mapping)",
      "DELETE FROM favicons WHERE id NOT IN (SELECT icon_id FROM icon_mapping)", NULL};
  static const char* const forms[] = {"DELETE FROM autofill", NULL};
  wchar_t network[PATH_CHARS];
  swprintf(network, PATH_CHARS, L"%ls\\Network", p);
  purge_in(p, L"Cache");
  purge_in(p, L"Code Cache");
  purge_in(p, L"GPUCache");
  clean(network, L"Cookies", cookies, NULL);
  clean(p, L"History", history, NULL);
  clean(p, L"Top Sites", top_sites, NULL);
  clean(p, L"Shortcuts", shortcuts, NULL);
  clean(p, L"Network Action Predictor", predictor, NULL);
  clean(p, L"Favicons", favicons, NULL);
  remove_in(p, L"Visited Links");
  remove_in(p, L"History Provider Cache");
  clean(p, L"Web Data", forms, NULL);
  purge_in(p, L"Sessions");
  remove_in(p, L"Current Session");
  remove_in(p, L"Last Session");
  remove_in(p, L"Current Tabs");
  remove_in(p, L"Last Tabs");
}

static void firefox(const wchar_t* p, const wchar_t* cache) {
  static const char* const cookies[] = {"DELETE FROM moz_cookies WHERE " KEPT("host"), NULL};
  static const char* const places[] = {
      "DELETE FROM moz_historyvisits",
      "DELETE FROM moz_inputhistory",
      "DELETE FROM moz_historyvisits_extra",
      "DELETE FROM moz_places_metadata",
      "DELETE FROM moz_places_metadata_search_queries",
      "DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk NOT NULL)"
      " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id NOT NULL)",
      "UPDATE moz_places SET visit_count = 0, last_visit_date = NULL",
      "DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id NOT NULL)",
      "DELETE FROM moz_places_extra WHERE place_id NOT IN (SELECT id FROM moz_places)",
      "DELETE FROM moz_annos WHERE place_id NOT IN (SELECT id FROM moz_places)",
      NULL};
  static const char* const forms[] = {"DELETE FROM moz_formhistory", "DELETE FROM moz_history_to_sources",
                                      "DELETE FROM moz_sources", NULL};
  /* The icons of the pages that stay, read from places.sqlite beside it. */
  static const char* const favicons[] = {
      "DELETE FROM moz_pages_w_icons WHERE page_url NOT IN (SELECT url FROM other.moz_places)",
      "DELETE FROM moz_icons_to_pages WHERE page_id NOT IN (SELECT id FROM moz_pages_w_icons)",
      "DELETE FROM moz_icons WHERE id NOT IN (SELECT icon_id FROM moz_icons_to_pages)", NULL};
  purge_in(cache, L"cache2");
  clean(p, L"cookies.sqlite", cookies, NULL);
  clean(p, L"places.sqlite", places, NULL);
  clean(p, L"favicons.sqlite", favicons, L"places.sqlite");
  clean(p, L"formhistory.sqlite", forms, NULL);
  remove_in(p, L"sessionstore.jsonlz4");
  purge_in(p, L"sessionstore-backups");
}

int main(void) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  static char site[256];
  if (!args || count < 2 || !WideCharToMultiByte(CP_UTF8, 0, args[1], -1, site, sizeof site, NULL, NULL)) return 2;
  kept_site = site;
  for (int i = 2; i < count; ++i) {
    if (!wcscmp(args[i], L"chromium") && i + 1 < count) {
      chromium(args[++i]);
    } else if (!wcscmp(args[i], L"firefox") && i + 2 < count) {
      firefox(args[i + 1], args[i + 2]);
      i += 2;
    } else {
      return 2;
    }
  }
  return 0;
}
