// The Windows steps: what Windows itself remembers.
#include <string>

#include "cleaner/CleanerSteps.h"
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
  if (GetSpecialFolder(platform::kCsidlNetHood, &path_)) PurgeFolder(path_, path_, false, false);
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
  if (GetSpecialFolder(platform::kCsidlRecent, &path_)) PurgeFolder(path_, path_, false, false);
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
