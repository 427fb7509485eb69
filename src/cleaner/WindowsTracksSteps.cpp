// The steps for what Windows 10 and 11 keep: Explorer's typed paths and
// searches, the file dialogs' lists, the jump lists' recent and frequent
// entries, the thumbnail cache and the Timeline's activities.
#include <memory>
#include <string>
#include <vector>

#include "cleaner/CleanerSteps.h"
#include "cleaner/FolderPurge.h"
#include "util/Text.h"

namespace cleaner {
namespace {

const char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

// The Timeline's database and the tables that hold the activities; a
// version without one of them keeps its other rows cleaned.
const char kActivitiesCache[] = "ActivitiesCache.db";
const char* const kActivityTables[] = {"Activity", "ActivityOperation", "Activity_PackageId"};

// The folder `below` the user's local application data, opened under the
// purge's link rules, and its entries: null when it is missing, reached
// through a link (*refusedLink is then the link) or cannot be listed.
std::unique_ptr<platform::FolderHandle> ListLocalFolder(platform::Platform& platform, const char* below,
                                                        std::string* folder, std::vector<platform::FindData>* entries,
                                                        std::string* refusedLink) {
  std::string local;
  if (!platform.shell.SpecialFolder(platform::kCsidlLocalAppData, &local)) return nullptr;
  *folder = local + below;
  std::unique_ptr<platform::FolderHandle> home = OpenCleanableFolder(platform.files, local, *folder, refusedLink);
  if (!home || !home->List(entries)) return nullptr;
  return home;
}

}  // namespace

void CleanerSteps::ExplorerTypedPathsCleaner() { DeleteRegKey(std::string(kExplorer) + "TypedPaths"); }

void CleanerSteps::ExplorerSearchCleaner() { DeleteRegKey(std::string(kExplorer) + "WordWheelQuery"); }

void CleanerSteps::FileDialogsHistoryCleaner() {
  // The lists only: the dialogs' sizes and places beside them stay.
  for (const char* list : {"OpenSavePidlMRU", "LastVisitedPidlMRU", "LastVisitedPidlMRULegacy"}) {
    DeleteRegKey(std::string(kExplorer) + "ComDlg32\\" + list);
  }
}

void CleanerSteps::JumpListsCleaner() {
  // A jump list is kept under its application's AppUserModelID, which its
  // file's name only hashes; the shell's Applications folder names them.
  // Deleting the files would lose the pins too.
  std::vector<std::string> ids;
  const long listed = platform_.shell.ApplicationIds(&ids);
  if (!platform::Succeeded(listed)) {
    Skipped("the jump lists", "Windows did not list its applications", false, listed);
    return;
  }
  for (const std::string& id : ids) {
    if (stop_) return;
    // A failure is noted with the application it concerns.
    platform_.shell.RemoveAllDestinations(id);
  }
}

void CleanerSteps::ThumbnailCacheCleaner() {
  std::string folder, link;
  std::vector<platform::FindData> entries;
  std::unique_ptr<platform::FolderHandle> home =
      ListLocalFolder(platform_, "\\Microsoft\\Windows\\Explorer", &folder, &entries, &link);
  if (!link.empty()) RefuseLink(link);
  if (!home) return;
  for (const platform::FindData& entry : entries) {
    if (stop_) return;
    if ((entry.attributes & platform::kAttrDirectory) || !util::MatchesMask("thumbcache_*.db", entry.name)) continue;
    if (home->RemoveEntry(entry.name, entry.fileId)) continue;
    const long error = platform_.files.LastError();
    // Explorer holds the caches it uses while it runs.
    if (platform::IsInUse(error)) Skipped(folder + "\\" + entry.name, "in use by Explorer", true);
  }
}

void CleanerSteps::TimelineCleaner() {
  // One folder per account that signed in.
  std::string platformFolder, link;
  std::vector<platform::FindData> entries;
  std::unique_ptr<platform::FolderHandle> home =
      ListLocalFolder(platform_, "\\ConnectedDevicesPlatform", &platformFolder, &entries, &link);
  if (!link.empty()) RefuseLink(link);
  if (!home) return;
  for (const platform::FindData& entry : entries) {
    if (stop_) return;
    if (!(entry.attributes & platform::kAttrDirectory)) continue;
    // A link in an account's place may lead to any database: not followed.
    if (platform::IsLink(entry)) {
      RefuseLink(platformFolder + "\\" + entry.name);
      continue;
    }
    // The database as its folder, opened as itself, lists it: SQLite opens
    // it by its path, and what it opened must be that file.
    std::unique_ptr<platform::FolderHandle> account = home->OpenFolder(entry.name, entry.fileId);
    std::vector<platform::FindData> files;
    if (!account || !account->List(&files)) continue;
    for (const platform::FindData& file : files) {
      if ((file.attributes & platform::kAttrDirectory) || !platform_.files.SameName(file.name, kActivitiesCache)) {
        continue;
      }
      const std::string path = account->path() + "\\" + file.name;
      if (platform::IsLink(file)) {
        RefuseLink(path);
      } else {
        CleanActivitiesCache(path, file.fileId);
      }
    }
  }
}

void CleanerSteps::CleanActivitiesCache(const std::string& path, uint64_t listed) {
  using platform::DbResult;
  DbResult result = DbResult::Ok;
  std::unique_ptr<platform::Database> db =
      platform_.databases.Open(path, platform::DbAccess::ReadWrite, listed, &result);
  // The write lock is taken before anything changes, so a database the
  // system holds is found untouched.
  if (db) result = db->Begin();
  std::vector<std::string> missing;
  for (const char* table : kActivityTables) {
    if (result != DbResult::Ok) break;
    const DbResult checked = db->Check(table, "");
    if (checked == DbResult::NoSuchTable) {
      missing.push_back(table);
      continue;
    }
    uint64_t rows = 0;
    result = checked == DbResult::Ok ? db->Delete(platform::RowMatch(table), &rows) : checked;
  }
  if (result == DbResult::Ok) result = db->Commit();
  if (result != DbResult::Ok) {
    if (db) db->Rollback();
    Skipped(path, platform::DbResultText(result), result == DbResult::Busy, 0, result != DbResult::Busy);
    return;
  }
  for (const std::string& table : missing) Skipped(path + ": " + table, "no such table in this version");
}

}  // namespace cleaner
