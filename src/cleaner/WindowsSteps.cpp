// Steps 8 to 17, the Windows steps (not built yet: each does nothing).
#include "cleaner/CleanerThread.h"

namespace cleaner {

void TUWHCleanerThrd::RASAutoDialCleaner() {}
void TUWHCleanerThrd::FindFilesHistoryCleaner() {}
void TUWHCleanerThrd::FindComputerHistoryCleaner() {}
void TUWHCleanerThrd::NetworkHistoryCleaner() {}
void TUWHCleanerThrd::TelenetHistoryCleaner() {}
void TUWHCleanerThrd::WindowsRunHistoryCleaner() {}
void TUWHCleanerThrd::WindowsTempFoldCleaner() {}
void TUWHCleanerThrd::RecycleBinCleaner() {}
void TUWHCleanerThrd::RecentDocumentsCleaner() {}
void TUWHCleanerThrd::LastLogonHistoryCleaner() {}

}  // namespace cleaner
