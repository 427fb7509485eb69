// Steps 18 to 27, the application steps (not built yet: each does nothing).
#include "cleaner/CleanerThread.h"

namespace cleaner {

void TUWHCleanerThrd::MSMediaPlayerCleaner() {}
void TUWHCleanerThrd::ACDSeeCleaner() {}
void TUWHCleanerThrd::AcrobatReaderCleaner() {}
void TUWHCleanerThrd::MSWordCleaner() {}
void TUWHCleanerThrd::InfranViewCleaner() {}
void TUWHCleanerThrd::MSImagingCleaner() {}
void TUWHCleanerThrd::MSPaintCleaner() {}
void TUWHCleanerThrd::WinRarCleaner() {}
void TUWHCleanerThrd::RealOneCleaner() {}
void TUWHCleanerThrd::PowerDVDCleaner() {}

}  // namespace cleaner
