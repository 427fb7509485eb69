// The report of a cleaning run, preview or real: cleaner by cleaner, in the
// order of the history window's boxes, what was removed (or would be) and
// what could not be, and why. Plain text, lines ended by CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browsers/BrowserItems.h"
#include "cleaner/CleanerSteps.h"
#include "cleaner/CleanerThread.h"
#include "cleaner/CleanerTable.h"
#include "platform/recording/Recorder.h"

namespace services {

struct RunOutcome {
  cleaner::CleanerSelection selected;
  std::vector<size_t> cleanersRun;  // the cleaners whose steps began, in order
  bool finished = false;
  std::string failure;                        // what stopped the run when it did not finish
  browsers::BrowsersOutcome browsers;         // what the browser items did, profile by profile
  std::vector<cleaner::StepSkip> skips;       // what the other steps left alone
  std::vector<cleaner::ExtraCleaner> extras;  // the cleaners beyond the table (community entries)
};

std::string FormatRunReport(const platform::recording::Recorder& recorder, const RunOutcome& outcome);

// A cleaner's name in a sentence: its box's caption, a browser item's with
// "(browsers)" after it, a cleaner beyond the table's (kCleanerCount + its
// place in `extras`) its name.
std::string CleanerName(size_t row, const std::vector<cleaner::ExtraCleaner>& extras = {});

// Why a change failed, in words, from a Win32 error code or an HRESULT.
std::string ReasonText(long error);
// "5 bytes", "2048 bytes (2.0 KB)".
std::string SizeText(uint64_t bytes);

}  // namespace services
