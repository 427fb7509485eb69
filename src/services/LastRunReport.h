// The report of the last real cleaning, kept for the user in
// Corvane\last-run.txt under the local application data.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace services {

constexpr const char* kLastRunFolder = "Corvane";
constexpr const char* kLastRunFile = "last-run.txt";

// The report as a file: UTF-8 with a byte-order mark, so that every editor
// shows names outside the ANSI code page as they are.
std::string ReportFileBytes(const std::string& report);

// A report with, at its end, what the program said of the run: a balloon
// that Focus Assist hides, or that shows while nobody looks, is read here.
std::string ReportWithMessage(const std::string& report, const std::string& message);

// Replaces the last report with `report` at once, as the keep-list is
// replaced, making the folder when it is missing. Empty when written;
// otherwise a sentence that says why not. Nothing is written through a
// link: not when the folder or the file is one, nor when the file has
// another name.
std::string WriteLastRunReport(platform::Platform& platform, const std::string& report);

}  // namespace services
