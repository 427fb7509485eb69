// The Windows steps: what Windows itself remembers.
#include <memory>
#include <string>
#include <vector>

#include "cleaner/CleanerSteps.h"
#include "cleaner/FolderPurge.h"
#include "cleaner/TempFolderGuard.h"
#include "util/Text.h"

namespace cleaner {
namespace {

const char kFindBars[] =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\";
const char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const char kSearchAssistant[] = "Software\\Microsoft\\Search Assistant\\ACMru\\";
const char kTelnet[] = "Software\\Microsoft\\Telnet";

}  // namespace

void CleanerSteps::RASAutoDialCleaner() { DeleteRegKey("Software\\Microsoft\\RAS Autodial\\Addresses"); }

void CleanerSteps::FindFilesHistoryCleaner() {
  DeleteRegKey(std::string(kExplorer) + "Doc Find Spec MRU");
  DeleteRegKey(std::string(kFindBars) + "ContainingTextMRU");
  DeleteRegKey(std::string(kFindBars) + "FilesNamedMRU");
  DeleteRegKey(std::string(kSearchAssistant) + "5603");
  DeleteRegKey(std::string(kSearchAssistant) + "5604");
}

void CleanerSteps::FindComputerHistoryCleaner() {
  DeleteRegKey(std::string(kExplorer) + "FindComputerMRU");
  DeleteRegKey(std::string(kFindBars) + "ComputerNameMRU");
  DeleteRegKey(std::string(kSearchAssistant) + "5001");
  DeleteRegKey(std::string(kSearchAssistant) + "5647");
}

void CleanerSteps::NetworkHistoryCleaner() {
  if (!GetSpecialFolder(platform::kCsidlNetHood, &path_)) return;
  const std::string netHood = path_;
  // The files and links at the top (the folder's own desktop.ini stays),
  // then each location, a folder that goes whole or stays whole.
  PurgeFolder(netHood, netHood, false, false, "*");
  std::string link;
  std::unique_ptr<platform::FolderHandle> home = OpenCleanableFolder(platform_.files, netHood, netHood, &link);
  if (!link.empty()) RefuseLink(link);
  std::vector<platform::FindData> entries;
  if (!home || !home->List(&entries)) return;
  for (const platform::FindData& entry : entries) {
    if (stop_) return;
    if ((entry.attributes & platform::kAttrDirectory) && !platform::IsLink(entry)) {
      RemoveNetworkLocation(netHood, *home, entry);
    }
  }
}

void CleanerSteps::RemoveNetworkLocation(const std::string& netHood, platform::FolderHandle& home,
                                         const platform::FindData& location) {
  // A location is its desktop.ini, which makes Explorer show the folder as a
  // place, and its target.lnk. Everything but desktop.ini goes first; only
  // when nothing else stayed does desktop.ini go, and the folder, so that
  // no place is left that leads nowhere.
  if (!PurgeFolder(netHood, home.path() + "\\" + location.name, false, false)) return;
  std::unique_ptr<platform::FolderHandle> folder = home.OpenFolder(location.name, location.fileId);
  std::vector<platform::FindData> left;
  if (!folder || !folder->List(&left)) return;
  for (const platform::FindData& entry : left) {
    if ((entry.attributes & platform::kAttrDirectory) || !util::EqualNoCase(entry.name, "desktop.ini")) return;
  }
  for (const platform::FindData& entry : left) {
    if (!folder->RemoveEntry(entry.name, entry.fileId)) return;
  }
  // Explorer marks the folder read-only, which makes its desktop.ini count.
  if (location.attributes & platform::kAttrReadOnly) home.ClearReadOnly(location.name, location.fileId);
  folder->RemoveSelf();
}

void CleanerSteps::TelenetHistoryCleaner() {
  for (int n = 1; n <= 8; ++n) {
    const std::string number = std::to_string(n);
    DeleteRegValue(kTelnet, "Machine" + number);
    DeleteRegValue(kTelnet, "Service" + number);
    DeleteRegValue(kTelnet, "TermType" + number);
  }
  // The last connection's three values go together or not at all.
  if (DeleteRegValue(kTelnet, "LastMachine") && DeleteRegValue(kTelnet, "LastService")) {
    DeleteRegValue(kTelnet, "LastTermType");
  }
}

void CleanerSteps::WindowsRunHistoryCleaner() { DeleteRegKey(std::string(kExplorer) + "RunMRU"); }

void CleanerSteps::WindowsTempFoldCleaner() {
  if (!GetTempFolder(&path_)) return;
  TempFolderRefusal refusal;
  std::unique_ptr<platform::FolderHandle> temp = OpenPurgeableTempFolder(platform_, path_, &refusal);
  if (refusal.link) {
    RefuseLink(refusal.folder);
  } else if (!refusal.folder.empty()) {
    RefuseFolder(refusal.folder, refusal.reason);
  }
  // The temporary folder is the one place where desktop.ini files go too.
  if (temp) PurgeFolder(std::move(temp), true, false);
}

void CleanerSteps::RecycleBinCleaner() {
  platform_.shell.EmptyRecycleBin(platform::kRecycleNoConfirmation | platform::kRecycleNoProgressUi |
                                  platform::kRecycleNoSound);
}

void CleanerSteps::RecentDocumentsCleaner() {
  // The recent items' shortcuts only. Beside them Windows keeps every
  // program's jump list, its pins and Explorer's Quick Access pins
  // (AutomaticDestinations, CustomDestinations): those are the jump-list
  // step's, which keeps the pins.
  if (GetSpecialFolder(platform::kCsidlRecent, &path_)) PurgeFolder(path_, path_, false, false, "*.lnk");
  DeleteRegKey(std::string(kExplorer) + "RecentDocs");
}

void CleanerSteps::LastLogonHistoryCleaner() {
  const char kWinlogonNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  if (DeleteRegValue(kWinlogonNt, "DefaultUserName") && DeleteRegValue(kWinlogonNt, "AltDefaultUserName")) {
    DeleteRegValue("Software\\Microsoft\\Windows\\CurrentVersion\\Winlogon", "DefaultUserName",
                   platform::RegRoot::LocalMachine);
  }
}

}  // namespace cleaner
