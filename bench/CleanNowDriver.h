// The purge as a person meets it: the real corvane.exe beside the benchmark,
// in the tray, with only "Temporary Files" switched on and its history
// cleaner window open; a cleaning is started with "Clean Now", confirmed with
// "Yes", and timed until its completion message shows.
#pragma once

#include <windows.h>

#include <string>

#include "Driver.h"

namespace bench {

class CleanNowDriver {
 public:
  // False, with *error set, when Corvane or its window cannot be brought up.
  bool Start(std::string* error);
  // Seconds from "Yes" to "All selected history tracks cleaned successfully";
  // negative when a step of it fails.
  double TimeOneCleaning();
  ~CleanNowDriver();  // "Exit" from the tray

 private:
  e2e::Process corvane_;
  HWND main_ = nullptr;
  HWND cleanNow_ = nullptr;
};

}  // namespace bench
