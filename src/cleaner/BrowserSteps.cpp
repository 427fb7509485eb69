// Steps 1 to 7, the Internet Explorer steps (not built yet: each does nothing).
#include "cleaner/CleanerThread.h"

namespace cleaner {

void TUWHCleanerThrd::BrowserCacheCleaner() {}
void TUWHCleanerThrd::CookiesCleaner() {}
void TUWHCleanerThrd::TypedURLCleaner() {}
void TUWHCleanerThrd::BrowserHistoryCleaner() {}
void TUWHCleanerThrd::AutoCompleteFormsCleaner() {}
void TUWHCleanerThrd::AutoCompletePasswordsCleaner() {}
void TUWHCleanerThrd::IEFavoritesCleaner() {}

}  // namespace cleaner
