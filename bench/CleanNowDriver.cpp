// Drives "Clean Now" of the real program from this process.
#include "CleanNowDriver.h"

#include <cstring>

#include "HistoryCleanerFromTray.h"
#include "Person.h"
#include "Tray.h"
#include "cleaner/CleanerTable.h"

namespace bench {
namespace {

constexpr DWORD kWait = 30000;
constexpr DWORD kLongestCleaning = 300000;
// The completion message is looked for this often: often enough to be a
// small part of a cleaning's time, seldom enough not to load the server the
// purge itself waits on.
constexpr DWORD kPollMs = 10;

std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

}  // namespace

bool CleanNowDriver::Start(std::string* error) {
  main_ = e2e::StartInTray(corvane_, kWait);
  if (!main_) {
    *error = "Corvane did not start in the tray";
    return false;
  }
  for (const char* name : cleaner::CleanerValueNames) {
    e2e::WriteSetting(Wide(name), std::string(name) == "WindowsTempFiles" ? 1 : 0);
  }
  if (!e2e::ChooseTrayMenuEntry(main_, L"Windows History Cleaner", kWait)) {
    *error = "the tray menu did not open the history cleaner";
    return false;
  }
  HWND window = e2e::WaitForWindow(L"THistoryCleanerPref", L"History Cleaner", kWait, corvane_.id());
  if (!window || !e2e::WaitUntilVisible(window, kWait)) {
    *error = "the history cleaner window did not show";
    return false;
  }
  cleanNow_ = e2e::FindChild(window, L"Button", L"Clean Now");
  HWND tempBox = e2e::FindChild(window, L"Button", L"Temporary Files");
  if (!cleanNow_ || !tempBox || !e2e::IsChecked(tempBox)) {
    *error = "the window has no \"Clean Now\" or its \"Temporary Files\" box is not ticked";
    return false;
  }
  return true;
}

double CleanNowDriver::TimeOneCleaning() {
  e2e::PostClick(cleanNow_);
  HWND ask = e2e::WaitForMessageBox(L"Start cleaning now?", kWait, corvane_.id());
  if (!ask) return -1;
  // Not waiting for the question to close: the completion message of an
  // empty folder may come before that wait would notice.
  const double start = Now();
  if (!e2e::PressMessageBoxButton(ask, IDYES)) return -1;
  HWND done = e2e::WaitForMessageBox(L"All selected history tracks cleaned successfully", kLongestCleaning,
                                     corvane_.id(), kPollMs);
  const double end = Now();
  if (!done || !e2e::AnswerMessageBox(done, IDOK)) return -1;
  return end - start;
}

CleanNowDriver::~CleanNowDriver() {
  if (main_) e2e::ExitByCommand(main_, corvane_, kWait);
}

}  // namespace bench
