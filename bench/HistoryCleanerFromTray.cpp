// The benchmarks' clock and their way into the History Cleaner.
#include "HistoryCleanerFromTray.h"

#include "tests/e2e/driver/Person.h"
#include "tests/e2e/driver/Tray.h"

namespace bench {

namespace {
constexpr DWORD kWait = 60000;
}  // namespace

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) / double(frequency.QuadPart);
}

HWND OpenHistoryCleaner(e2e::Process& corvane, const wchar_t* entry, HWND* main, std::string* error) {
  *main = e2e::StartInTray(corvane, kWait);
  if (!*main) {
    *error = "Corvane did not start in the tray";
    return nullptr;
  }
  if (!e2e::ChooseTrayMenuEntry(*main, entry, kWait)) {
    *error = "the tray menu did not open the history cleaner";
    return nullptr;
  }
  HWND window = e2e::WaitForWindow(L"THistoryCleanerPref", L"History Cleaner", kWait, corvane.id());
  if (!window || !e2e::WaitUntilVisible(window, kWait)) {
    *error = "the history cleaner window did not show";
    return nullptr;
  }
  return window;
}

}  // namespace bench
