// What the benchmarks that work the program's windows share: a clock, and
// the real corvane.exe beside them started in the tray with one page of its
// History Cleaner opened from the tray menu.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/driver/Driver.h"

namespace bench {

double Now();  // seconds, from QueryPerformanceCounter

// Starts `corvane` in the tray (its main window in *main) and opens the
// History Cleaner with the tray entry `entry`; the window once shown, or
// null with *error set.
HWND OpenHistoryCleaner(e2e::Process& corvane, const wchar_t* entry, HWND* main, std::string* error);

}  // namespace bench
